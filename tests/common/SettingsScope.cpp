#include "SettingsScope.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

// The folder QSettings uses now for the scope: the one of a file it would open there.
QString CurrentFolder(QSettings::Scope scope) {
  const QSettings probe(QSettings::IniFormat, scope, QStringLiteral("o"), QStringLiteral("a"));
  return QDir::cleanPath(probe.fileName()).chopped(int(sizeof("/o/a.ini")) - 1);
}

void SetFolder(QSettings::Scope scope, const QString& folder) {
  QSettings::setPath(QSettings::IniFormat, scope, folder);
  QSettings::setPath(QSettings::NativeFormat, scope, folder);
}

void Restore(const char* name, bool had, const QByteArray& value) {
  if (had) qputenv(name, value);
  else qunsetenv(name);
}

} // namespace

TSettingsScope::TSettingsScope()
    : previousUser_(CurrentFolder(QSettings::UserScope)), previousSystem_(CurrentFolder(QSettings::SystemScope)),
      previousHome_(qgetenv("XDG_CONFIG_HOME")), previousDirs_(qgetenv("XDG_CONFIG_DIRS")),
      hadHome_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")), hadDirs_(qEnvironmentVariableIsSet("XDG_CONFIG_DIRS")) {
  QDir().mkpath(UserFolder());
  QDir().mkpath(SystemFolder());
  SetFolder(QSettings::UserScope, UserFolder());
  SetFolder(QSettings::SystemScope, SystemFolder());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(UserFolder()));
  qputenv("XDG_CONFIG_DIRS", QFile::encodeName(SystemFolder()));
}

TSettingsScope::~TSettingsScope() {
  SetFolder(QSettings::UserScope, previousUser_);
  SetFolder(QSettings::SystemScope, previousSystem_);
  Restore("XDG_CONFIG_HOME", hadHome_, previousHome_);
  Restore("XDG_CONFIG_DIRS", hadDirs_, previousDirs_);
}

QString TSettingsScope::UserFolder() const { return dir_.filePath(QStringLiteral("user")); }
QString TSettingsScope::SystemFolder() const { return dir_.filePath(QStringLiteral("system")); }
