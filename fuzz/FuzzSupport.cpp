#include "FuzzSupport.h"

#include "Application.h"

#include <QLocale>
#include <QTemporaryDir>
#include <cstring>

void FuzzInitApplication() {
  static TApplication* app = nullptr;
  if (app) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QTemporaryDir runtime, config;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("XDG_CONFIG_DIRS", config.path().toLocal8Bit());
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  static int argc = 1;
  static char name[] = "kalvora-fuzz";
  static char* argv[] = {name, nullptr};
  app = new TApplication(argc, argv);
}

double FuzzDouble(FuzzedDataProvider& in) {
  const auto bits = in.ConsumeIntegral<quint64>();
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

QString FuzzText(FuzzedDataProvider& in, size_t maxBytes) {
  const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
  return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}
