#include "TableLocator.h"

#include "TLexivaran2000.h"

#include <QDir>
#include <QFileInfo>

#ifndef KALVORA_DATA_FROM_BIN
#define KALVORA_DATA_FROM_BIN "../share/kalvora"
#endif

namespace {

bool IsFile(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

// "de_AT.UTF-8@euro" -> "de_AT", "de"; the C and POSIX locales -> nothing.
QStringList LanguagesOf(const QString& locale) {
  QString name = locale.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0).trimmed();
  if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX")) return {};
  // Only names that can be part of a file name: "de", "pt_BR", "sr_RS".
  for (const QChar c : name)
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_')) return {};
  QStringList result{name};
  const QString language = name.section(QLatin1Char('_'), 0, 0);
  if (language != name && !language.isEmpty()) result << language;
  return result;
}

} // namespace

namespace TableLocator {

QStringList UserLanguages(const QProcessEnvironment& environment) {
  QString locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = environment.value(QLatin1String(name));
    if (!locale.isEmpty()) break;
  }
  const QStringList localeLanguages = LanguagesOf(locale);
  if (localeLanguages.isEmpty()) return {};
  QStringList result;
  const QStringList wanted = environment.value(QStringLiteral("LANGUAGE")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
  for (const QString& entry : wanted)
    for (const QString& language : LanguagesOf(entry))
      if (!result.contains(language)) result << language;
  for (const QString& language : localeLanguages)
    if (!result.contains(language)) result << language;
  return result;
}

QString DataFolder(const QString& programFile) {
  const QString bin = QFileInfo(programFile).absolutePath();
  return QDir::cleanPath(bin + QLatin1Char('/') + QLatin1String(KALVORA_DATA_FROM_BIN)) + QLatin1Char('/');
}

QString FindTranslationTable(const QString& programFile, const QStringList& languages) {
  const QString beside = ItlFileNameFor(programFile);
  if (IsFile(beside)) return beside;
  const QString stem = QFileInfo(programFile).completeBaseName();
  if (stem.isEmpty()) return beside;
  const QString folder = DataFolder(programFile);
  for (const QString& language : languages) {
    const QString table = folder + stem + QLatin1Char('-') + language + QStringLiteral(".itl");
    if (IsFile(table)) return table;
  }
  const QString neutral = folder + stem + QStringLiteral(".itl");
  return IsFile(neutral) ? neutral : beside;
}

QString FindTranslationTable(const QString& programFile) {
  return FindTranslationTable(programFile, UserLanguages());
}

QString FindDataFile(const QString& programFile, const QString& fileName) {
  if (programFile.isEmpty() || fileName.isEmpty() || fileName.contains(QLatin1Char('/'))) return QString();
  const QString path = DataFolder(programFile) + fileName;
  return IsFile(path) ? path : QString();
}

} // namespace TableLocator
