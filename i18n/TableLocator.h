#pragma once
// Where Kalvora finds its translation table and the other data files it ships.
// A table beside the program comes first, as designed; an installed program
// has none there and looks in its data folder (share/kalvora relative to the
// program, so a relocated installation works too), choosing the table of the
// user's language.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace TableLocator {

// The user's languages, most wanted first, read as gettext reads them: the
// colon list LANGUAGE, then the first set one of LC_ALL, LC_MESSAGES and LANG.
// Each locale name gives its language with and without the country
// ("de_AT.UTF-8" gives "de_AT", "de"). Under the C or POSIX locale there is
// no language (LANGUAGE is ignored then, as gettext does).
QStringList UserLanguages(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// The data folder of the program file programFile ("/opt/k/bin/kalvora" gives
// "/opt/k/share/kalvora/").
QString DataFolder(const QString& programFile);

// The translation table to read for programFile: the ".itl" file beside it
// when there is one; else, in the data folder, "<name>-<language>.itl" for the
// first of languages that has one, else "<name>.itl" (name: the program
// file's name without extension). When none exists, the file beside the
// program, whose opening then fails as it would without an installation.
QString FindTranslationTable(const QString& programFile, const QStringList& languages);
QString FindTranslationTable(const QString& programFile);

// The data file fileName of the program's data folder; empty when it is not there.
QString FindDataFile(const QString& programFile, const QString& fileName);

} // namespace TableLocator
