#include "Registry.h"

#include <QSettings>
#include <QStringList>

namespace Platform {

QString RegReadString(TRegistryRoot root, const QString& key, const QString& valueName) {
  QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  if (parts.size() < 3 || parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) != 0) return QString();
  const QSettings::Scope scope =
      root == TRegistryRoot::HKEY_LOCAL_MACHINE ? QSettings::SystemScope : QSettings::UserScope;
  QSettings settings(QSettings::IniFormat, scope, parts[1], parts[2]);
  const QString group = parts.mid(3).join(QLatin1Char('/'));
  if (!group.isEmpty()) settings.beginGroup(group);
  const QVariant v = settings.value(valueName);
  // A list (a value with commas) is read back as it was written.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
  return v.toString();
}

} // namespace Platform
