// Where the translation table is found: beside the program first, then the
// installed data folder's table for the user's language, then its neutral
// table; and the user's languages as the locale variables name them.
#include "TableLocator.h"
#include "TkdbDemonClient.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QProcessEnvironment Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
  QProcessEnvironment environment;
  for (const auto& [name, value] : values) environment.insert(QLatin1String(name), QLatin1String(value));
  return environment;
}

QStringList Languages(std::initializer_list<std::pair<const char*, const char*>> values) {
  return TableLocator::UserLanguages(Environment(values));
}

void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(content);
}

// An installed layout: <prefix>/bin/kalvora and its data folder.
struct Installation {
  QTemporaryDir prefix;
  QString program = prefix.filePath("bin/kalvora");
  QString data = TableLocator::DataFolder(program);
  Installation() { WriteFile(program, "program"); }
  QString Table(const QString& name) {
    WriteFile(data + name, "[Reset]=" + name.toUtf8() + "|$$");
    return data + name;
  }
};

// Sets locale variables for the lifetime of the object.
struct LocaleVariables {
  explicit LocaleVariables(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
      saved.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
      qunsetenv(name);
    }
    for (const auto& [name, value] : values) qputenv(name, value);
  }
  ~LocaleVariables() {
    for (const auto& [name, value, set] : saved)
      set ? qputenv(name, value) : qunsetenv(name);
  }
  std::vector<std::tuple<const char*, QByteArray, bool>> saved;
};

} // namespace

TEST(UserLanguages, TheLocaleVariablesInGettextOrder) {
  // A locale name gives its language with and without the country; codeset and modifier go.
  EXPECT_EQ(Languages({{"LANG", "de_AT.UTF-8"}}), QStringList({"de_AT", "de"}));
  EXPECT_EQ(Languages({{"LANG", "de_DE.ISO-8859-15@euro"}}), QStringList({"de_DE", "de"}));
  EXPECT_EQ(Languages({{"LANG", "de"}}), QStringList({"de"}));
  // LC_ALL before LC_MESSAGES before LANG; an empty variable counts as unset.
  EXPECT_EQ(Languages({{"LC_ALL", "fr_FR.UTF-8"}, {"LC_MESSAGES", "de_DE"}, {"LANG", "it_IT"}}), QStringList({"fr_FR", "fr"}));
  EXPECT_EQ(Languages({{"LC_ALL", ""}, {"LC_MESSAGES", "de_DE"}, {"LANG", "it_IT"}}), QStringList({"de_DE", "de"}));
  // LANGUAGE is a list of preferences that comes first; the locale's language follows.
  EXPECT_EQ(Languages({{"LANGUAGE", "fr:de_CH"}, {"LANG", "de_AT.UTF-8"}}), QStringList({"fr", "de_CH", "de", "de_AT"}));
  EXPECT_EQ(Languages({{"LANGUAGE", "::de::"}, {"LANG", "en_GB.UTF-8"}}), QStringList({"de", "en_GB", "en"}));
}

TEST(UserLanguages, NoLanguageUnderTheCLocaleOrFromBadNames) {
  EXPECT_TRUE(Languages({}).isEmpty());
  for (const char* c : {"C", "POSIX", "C.UTF-8", "C.utf8"}) {
    EXPECT_TRUE(Languages({{"LANG", c}}).isEmpty()) << c;
    // As with gettext, LANGUAGE does not override the C locale...
    EXPECT_TRUE(Languages({{"LANGUAGE", "de"}, {"LC_ALL", c}}).isEmpty()) << c;
  }
  // ...nor stand alone without any locale.
  EXPECT_TRUE(Languages({{"LANGUAGE", "de"}}).isEmpty());
  // Names that could reach another folder are no languages.
  EXPECT_EQ(Languages({{"LANGUAGE", "../../etc/x:de/..:de"}, {"LANG", "../x"}}), QStringList());
  EXPECT_EQ(Languages({{"LANGUAGE", "../../etc/x:de"}, {"LANG", "fr_FR"}}), QStringList({"de", "fr_FR", "fr"}));
}

TEST(FindTranslationTable, BesideTheProgramThenTheDataFolderByLanguage) {
  Installation install;
  const QString beside = install.prefix.filePath("bin/kalvora.itl");
  // Nothing anywhere: the name beside the program, which then fails to open.
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"de"}), beside);
  // Only a German table: not taken for other languages.
  const QString german = install.Table("kalvora-de.itl");
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"fr"}), beside);
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"de_AT", "de"}), german);
  // The neutral table for any other language, and without any.
  const QString neutral = install.Table("kalvora.itl");
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"fr_FR", "fr"}), neutral);
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {}), neutral);
  // The first wanted language that has a table wins; a country's own table before the language's.
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"fr", "de"}), german);
  const QString austrian = install.Table("kalvora-de_AT.itl");
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"de_AT", "de"}), austrian);
  // A folder is no table.
  QDir().mkpath(install.data + "kalvora-fr.itl");
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"fr"}), neutral);
  // A table beside the program comes first, whatever the language.
  WriteFile(beside, "[Reset]=beside|$$");
  EXPECT_EQ(TableLocator::FindTranslationTable(install.program, {"de"}), beside);
}

TEST(FindTranslationTable, TheTableIsNamedAfterTheProgram) {
  Installation install;
  install.Table("kalvora-de.itl");
  const QString copy = install.prefix.filePath("bin/rlc-demo");
  EXPECT_EQ(TableLocator::FindTranslationTable(copy, {"de"}), install.prefix.filePath("bin/rlc-demo.itl"));
  const QString own = install.Table("rlc-demo-de.itl");
  EXPECT_EQ(TableLocator::FindTranslationTable(copy, {"de"}), own);
}

TEST(FindDataFile, OnlyPlainNamesInTheDataFolder) {
  Installation install;
  const QString icon = install.Table("kalvora.png");
  EXPECT_EQ(TableLocator::FindDataFile(install.program, "kalvora.png"), icon);
  EXPECT_EQ(TableLocator::FindDataFile(install.program, "missing.png"), "");
  EXPECT_EQ(TableLocator::FindDataFile(install.program, "../kalvora/kalvora.png"), "");
  EXPECT_EQ(TableLocator::FindDataFile(install.program, ""), "");
  EXPECT_EQ(TableLocator::FindDataFile("", "kalvora.png"), "");
}

// The host link's stand-alone loading takes the table of the user's language
// from the data folder: a German desktop gets the German window.
TEST(FindTranslationTable, TheHostLinkLoadsTheUsersLanguage) {
  Installation install;
  WriteFile(install.data + "kalvora.itl", "[Reset]=Reset|$$");
  WriteFile(install.data + "kalvora-de.itl", "[Reset]=Zur\xc3\xbc" "cksetzen|$$");
  auto loadedCaption = [&] {
    QWidget owner;
    auto* button = new QPushButton("LX_Reset", &owner);
    auto* client = new TkdbDemonClient(&owner, {install.program}, install.program);
    client->SetUseQuillonServer(false);
    client->SetMultiStart(true);
    client->Loaded();
    return button->text();
  };
  {
    LocaleVariables german({{"LANG", "de_AT.UTF-8"}});
    EXPECT_EQ(loadedCaption(), QString::fromUtf8("Zur\xc3\xbc" "cksetzen"));
  }
  {
    LocaleVariables other({{"LANGUAGE", "it"}, {"LC_ALL", "fr_FR.UTF-8"}});
    EXPECT_EQ(loadedCaption(), "Reset");
  }
}
