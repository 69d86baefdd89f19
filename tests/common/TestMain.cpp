// Test entry point: a headless application with a pinned English locale, and
// private runtime and configuration folders so that test programs never meet
// each other's (or a user's) windows, locks and settings. Every test gets
// settings folders of its own, so no test sees what another one stored.
#include "Application.h"
#include "SettingsScope.h"

#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SettingsPerTest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { scope_ = std::make_unique<TSettingsScope>(); }
  void OnTestEnd(const ::testing::TestInfo&) override { scope_.reset(); }
  std::unique_ptr<TSettingsScope> scope_;
};

} // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtime, config, userConfig;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("XDG_CONFIG_DIRS", config.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", userConfig.path().toLocal8Bit()); // the user's settings
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new SettingsPerTest);
  return RUN_ALL_TESTS();
}
