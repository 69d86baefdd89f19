#pragma once
// A private, empty folder for the settings a test reads and writes: the user's
// settings (QSettings' user scope, $XDG_CONFIG_HOME) and the system's (its system
// scope, $XDG_CONFIG_DIRS, where the registry's values live). Programs the test
// starts inherit the folders. The destructor restores what was there before, so
// scopes nest; the test main gives every test one (see TestMain.cpp), and a
// fixture that looks at the files holds its own.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TSettingsScope {
public:
  TSettingsScope();
  ~TSettingsScope();
  TSettingsScope(const TSettingsScope&) = delete;
  TSettingsScope& operator=(const TSettingsScope&) = delete;

  // Where the user's settings go (Kalvora's: UserFolder() + "/Kalvora/Kalvora.ini").
  QString UserFolder() const;
  // Where the system's settings go (the registry: SystemFolder() + "/Orvex/quillon.ini").
  QString SystemFolder() const;

private:
  QTemporaryDir dir_;
  QString previousUser_, previousSystem_;
  QByteArray previousHome_, previousDirs_;
  bool hadHome_ = false, hadDirs_ = false;
};

// A test whose settings start empty and vanish with it.
class SettingsScopedTest : public ::testing::Test {
protected:
  TSettingsScope settings;
};
