#pragma once
// The registry, read-only: a key "\Software\<Organisation>\<Application>\<Group...>"
// is the INI file of QSettings for that organisation and application (system
// scope: the first directory of $XDG_CONFIG_DIRS, else /etc/xdg, for
// HKEY_LOCAL_MACHINE; the user's configuration for HKEY_CURRENT_USER), the rest
// of the key its group and the value name its key.
#include <QString>

namespace Platform {

enum class TRegistryRoot { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER };

// The string value, or an empty string when the key or value is missing.
QString RegReadString(TRegistryRoot root, const QString& key, const QString& valueName);

} // namespace Platform
