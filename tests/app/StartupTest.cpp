// Start-up branding: the order of the main window's FormShow (the first curve
// only after the splash), the About texts by dialog language, the home-page
// link, and the application icon from the work area, fetched from a teaching
// server when one is used. The splash runs through the About box's hook, so
// nothing blocks; message boxes are recorded by the message box hook.
#include "MessageBox.h"
#include "SettingsScope.h"
#include "TForm1.h"
#include "TFrmAbout.h"
#include "TRChart.h"
#include "TUrlLab.h"
#include "Tables.h"
#include "TeachingServer.h"
#include "TkdbDemonClient.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QSize TestIconSize(40, 40);

// A small valid icon file of our own (its size tells it apart from the designed icon).
QByteArray TestIconBytes(QRgb colour = qRgb(200, 30, 30)) {
  QImage image(TestIconSize, QImage::Format_ARGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

void WriteFile(const QString& fileName, const QByteArray& bytes) {
  QFile file(fileName);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << fileName.toStdString();
  file.write(bytes);
}

QByteArray ReadFile(const QString& fileName) {
  QFile file(fileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool IsTestIcon(const QIcon& icon) { return icon.availableSizes().contains(TestIconSize); }

// What the About box showed while it was the splash.
struct SplashView {
  int chartItems = -1;
  QString title, okCaption, name, version, webSite, description, homeCaption, homeURL;
  bool homeVisible = false;
  QPoint firstLink;
};

// FormShow restores the chart's remembered choices: each test starts with empty settings.
class StartupTest : public SettingsScopedTest {
protected:
  void SetUp() override {
    SetMessageBoxHook([this](TMessageKind kind, const QString& text) {
      EXPECT_EQ(kind, TMessageKind::Error);
      errors << text;
    });
    QApplication::setWindowIcon(QIcon());
    ASSERT_TRUE(programDir.isValid() && serverFiles.isValid() && serverWorkArea.isValid());
    program = programDir.filePath("kalvora");
    form = std::make_unique<TForm1>();
    about = new TFrmAbout(form.get());
    form->SetAboutBox(about);
    about->ShowModalHook = [this](TFrmAbout* box) {
      box->show(); // its own FormShow arranges the links
      SplashView v;
      v.chartItems = form->RCResponse->ItemCount();
      v.title = box->windowTitle();
      v.okCaption = box->BButOK->text();
      v.name = box->LblName->text();
      v.version = box->LblVersion->text();
      v.webSite = box->LblWebSite->text();
      v.description = box->LblDescription->text();
      v.homeCaption = box->UrlLabHomepage->Caption();
      v.homeURL = box->UrlLabHomepage->URL();
      v.homeVisible = box->UrlLabHomepage->Visible();
      v.firstLink = box->UrlLabVKTSuite->pos();
      splashes.push_back(v);
      box->BButOKClick();
      return int(QDialog::Accepted);
    };
  }
  void TearDown() override {
    form.reset();
    server.reset();
    SetMessageBoxHook(nullptr);
    QApplication::setWindowIcon(QIcon());
  }

  // Gives the form a host link for a program at programDir/kalvora with this
  // translation table, beside the program or served by a teaching server.
  void UseHostLink(const QByteArray& table, bool withServer = false) {
    delete form->cliDemon.data(); // one host link window class per process
    QStringList arguments{program};
    if (withServer) {
      WriteFile(serverFiles.filePath("kalvora.itl"), table);
      TTeachingServerOptions options;
      options.suffix = QStringLiteral("startuptest");
      options.filesDir = serverFiles.path();
      options.env[QStringLiteral("QuillonWorkArea")] = workArea.isEmpty() ? serverWorkArea.path() + '/' : workArea;
      server = std::make_unique<TTeachingServer>(options);
      QString error;
      ASSERT_TRUE(server->Start(error)) << error.toStdString();
      arguments << "/serverhandle=" + options.suffix;
    } else {
      WriteFile(program + ".itl", table);
    }
    auto* client = new TkdbDemonClient(form.get(), arguments, program);
    client->SetMultiStart(true);
    client->SetUseQuillonServer(withServer);
    client->Loaded();
    form->cliDemon = client;
  }

  // Runs FormShow (on an empty chart, as at start) and checks that it showed the
  // splash once, before the first curve.
  void RunFormShow() {
    form->RCResponse->ClearItems();
    const size_t before = splashes.size();
    form->FormShow();
    ASSERT_EQ(splashes.size(), before + 1);
    EXPECT_EQ(splashes.back().chartItems, 0);
    EXPECT_EQ(form->RCResponse->ItemCount(), 10001);
  }

  // Whether the application, the main window and the About box all show the test icon.
  bool AllShowTestIcon() {
    return IsTestIcon(QApplication::windowIcon()) && IsTestIcon(form->windowIcon()) && IsTestIcon(about->windowIcon());
  }
  // Whether all three still show the icons they were designed with.
  bool AllDesigned() {
    return QApplication::windowIcon().isNull() && !form->windowIcon().isNull() && !IsTestIcon(form->windowIcon()) &&
           !about->windowIcon().isNull() && !IsTestIcon(about->windowIcon());
  }

  void CheckShippedTable(const char* table, const QString& title, const QString& homeURL, const QString& webSite,
                         const QString& description);

  QTemporaryDir programDir, serverFiles, serverWorkArea;
  QString program;
  QString workArea; // the server's work area; empty: serverWorkArea
  std::unique_ptr<TTeachingServer> server;
  std::unique_ptr<TForm1> form;
  TFrmAbout* about = nullptr;
  std::vector<SplashView> splashes;
  QStringList errors;
};

QByteArray Table(const QByteArray& records) { return records; }

} // namespace

// The program's directory holds a shipped table and the icon it names, as the
// build lays them out; the splash shows the table's language and our texts.
void StartupTest::CheckShippedTable(const char* table, const QString& title, const QString& homeURL,
                                    const QString& webSite, const QString& description) {
  const QString resources = QStringLiteral(KALVORA_RESOURCES);
  UseHostLink(ReadFile(resources + "/" + table));
  ASSERT_TRUE(QFile::copy(resources + "/images/kalvora.png", programDir.filePath("kalvora.png")));
  RunFormShow();
  const SplashView& v = splashes.back();
  EXPECT_EQ(v.name, "Kalvora");
  EXPECT_EQ(v.version, "Version 1.0");
  EXPECT_EQ(v.title, title);
  EXPECT_EQ(v.okCaption, "OK");
  EXPECT_EQ(v.homeURL, homeURL);
  EXPECT_TRUE(v.homeVisible);
  EXPECT_EQ(v.firstLink, QPoint(152, 8));
  EXPECT_EQ(v.webSite, webSite);
  EXPECT_EQ(v.description, description);
  EXPECT_EQ(v.description.count(QLatin1String(". ")), 2); // three sentences
  EXPECT_TRUE(v.description.contains("Kalvora"));
  EXPECT_TRUE(v.description.contains("Qt 6"));
  // The shipped icon is in use everywhere.
  for (const QIcon& icon : {QApplication::windowIcon(), form->windowIcon(), about->windowIcon()})
    EXPECT_TRUE(icon.availableSizes().contains(QSize(64, 64)));
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(StartupTest, TheShippedEnglishTableBrandsTheSplash) {
  CheckShippedTable("kalvora.itl", "About", "http://kalvora.example/", TFrmAbout::EnglishWebSite,
                    TFrmAbout::EnglishDescription);
}

TEST_F(StartupTest, TheShippedGermanTableBrandsTheSplash) {
  CheckShippedTable("kalvora-de.itl", QString::fromUtf8("\xc3\x9c" "ber"), "http://kalvora.example/de/",
                    TFrmAbout::GermanWebSite, TFrmAbout::GermanDescription);
}

TEST_F(StartupTest, DialogLanguageIsGermanOnlyForLgGermanInAnyCase) {
  UseHostLink(Table("[HomePage]=Home|$$"));
  const struct {
    QByteArray entry;
    bool german;
  } cases[] = {{"[$dlglanguage$]=lggerman|$$", true},  {"[$dlglanguage$]=LgGerman|$$", true},
               {"[$DlgLanguage$]=LGGERMAN|$$", true},  {"[$dlglanguage$]=german|$$", false},
               {"[$dlglanguage$]=lgEnglish|$$", false}, {"[$dlglanguage$]=lggerman |$$", false},
               {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry.toStdString());
    TestTables::LoadTable(form->cliDemon->Translator(), c.entry);
    RunFormShow();
    EXPECT_EQ(splashes.back().webSite, c.german ? TFrmAbout::GermanWebSite : TFrmAbout::EnglishWebSite);
    EXPECT_EQ(splashes.back().description, c.german ? TFrmAbout::GermanDescription : TFrmAbout::EnglishDescription);
  }
}

TEST_F(StartupTest, WithoutEntriesTheKeysShowAndTheHomePageLinkHides) {
  UseHostLink(QByteArray());
  RunFormShow();
  RunFormShow(); // a second showing arranges the links the same way
  for (const SplashView& v : splashes) {
    EXPECT_EQ(v.homeURL, "HomePageURL");
    EXPECT_EQ(v.homeCaption, "HomePage");
    EXPECT_FALSE(v.homeVisible);
    EXPECT_EQ(v.firstLink, QPoint(152, 16));
    EXPECT_EQ(v.title, "About");
    EXPECT_EQ(v.description, TFrmAbout::EnglishDescription);
  }
  EXPECT_TRUE(AllDesigned());
  EXPECT_TRUE(errors.isEmpty());
}

TEST_F(StartupTest, WithoutServerTheIconInTheWorkAreaIsUsed) {
  // Work area without a server: the program's directory. A missing file or a
  // folder of that name leaves the designed icons, silently.
  UseHostLink(Table("[AppIconName]=own.png|$$"));
  RunFormShow();
  EXPECT_TRUE(AllDesigned());
  ASSERT_TRUE(QDir(programDir.path()).mkdir("own.png"));
  RunFormShow();
  EXPECT_TRUE(AllDesigned());
  EXPECT_TRUE(errors.isEmpty());

  ASSERT_TRUE(QDir(programDir.path()).rmdir("own.png"));
  WriteFile(programDir.filePath("own.png"), TestIconBytes());
  RunFormShow();
  EXPECT_TRUE(AllShowTestIcon());
  EXPECT_TRUE(errors.isEmpty());
}

TEST_F(StartupTest, AnIconFileThatCannotBeReadIsReportedAndStartUpGoesOn) {
  UseHostLink(Table("[AppIconName]=broken.ico|$$[$dlglanguage$]=lgGerman|$$"));
  for (const QByteArray& content : {QByteArray("this is not an icon"), QByteArray()}) {
    SCOPED_TRACE(content.size());
    errors.clear();
    WriteFile(programDir.filePath("broken.ico"), content);
    RunFormShow(); // the splash and the first curve still come
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(programDir.filePath("broken.ico"))) << errors[0].toStdString();
    EXPECT_TRUE(AllDesigned());
    // The later steps ran as well.
    EXPECT_EQ(splashes.back().description, TFrmAbout::GermanDescription);
    EXPECT_EQ(splashes.back().name, "Kalvora");
  }
}

TEST_F(StartupTest, UnderAServerTheIconIsFetchedIntoTheWorkArea) {
  const QString saved = serverWorkArea.filePath("served.png");
  // A different icon of that name already lies in the work area: it is replaced.
  WriteFile(saved, TestIconBytes(qRgb(0, 0, 255)).append("old"));
  WriteFile(serverFiles.filePath("served.png"), TestIconBytes());
  UseHostLink(Table("[AppIconName]=served.png|$$"), true);
  RunFormShow();
  EXPECT_EQ(ReadFile(saved), TestIconBytes());
  EXPECT_TRUE(AllShowTestIcon());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  // Only the work area counts: nothing was written beside the program.
  EXPECT_FALSE(QFile::exists(programDir.filePath("served.png")));
}

TEST_F(StartupTest, UnderAServerMissingOrEmptyFilesLeaveTheIconsAlone) {
  // The server offers a valid icon under the key's own name: without an entry
  // nothing is fetched.
  WriteFile(serverFiles.filePath("AppIconName"), TestIconBytes());
  WriteFile(serverFiles.filePath("empty.png"), QByteArray());
  UseHostLink(Table("[HomePage]=Home|$$"), true);
  RunFormShow();
  EXPECT_FALSE(QFile::exists(serverWorkArea.filePath("AppIconName")));
  EXPECT_TRUE(AllDesigned());

  // A server without the file.
  TestTables::LoadTable(form->cliDemon->Translator(), "[AppIconName]=absent.png|$$");
  RunFormShow();
  EXPECT_FALSE(QFile::exists(serverWorkArea.filePath("absent.png")));
  EXPECT_TRUE(AllDesigned());

  // An empty file from the server is not saved; a file already in the work area stays and is used.
  TestTables::LoadTable(form->cliDemon->Translator(), "[AppIconName]=empty.png|$$");
  WriteFile(serverWorkArea.filePath("empty.png"), TestIconBytes());
  RunFormShow();
  EXPECT_EQ(ReadFile(serverWorkArea.filePath("empty.png")), TestIconBytes());
  EXPECT_TRUE(AllShowTestIcon());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(StartupTest, UnderAServerAFileThatCannotBeSavedOrReadIsReported) {
  WriteFile(serverFiles.filePath("text.png"), "plain text, not a picture");
  UseHostLink(Table("[AppIconName]=text.png|$$"), true);
  RunFormShow();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("text.png"));
  EXPECT_EQ(ReadFile(serverWorkArea.filePath("text.png")), "plain text, not a picture");
  EXPECT_TRUE(AllDesigned());

  // A work area that cannot take the file: reported, and start-up goes on.
  errors.clear();
  WriteFile(serverFiles.filePath("good.png"), TestIconBytes());
  TestTables::LoadTable(form->cliDemon->Translator(), "[AppIconName]=good.png|$$");
  ASSERT_TRUE(QDir(serverWorkArea.path()).removeRecursively());
  RunFormShow();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("good.png")) << errors[0].toStdString();
  EXPECT_TRUE(AllDesigned());
}

TEST_F(StartupTest, IconNamesFromOutsideWithAFolderPartAreRefusedAndNothingLandsOutside) {
  // The work area is a folder inside serverWorkArea: whatever lands beside it is outside.
  const QDir outside(serverWorkArea.path());
  ASSERT_TRUE(outside.mkpath("work/a"));
  workArea = outside.filePath("work") + '/';
  const QString target = outside.filePath("target.png");
  WriteFile(target, "the link's target");
  ASSERT_TRUE(QFile::link(target, workArea + "link.png"));
  for (const char* name : {"escaped.png", "abs.png", "b.png", "link.png", "x.png"})
    WriteFile(serverFiles.filePath(name), TestIconBytes()); // served by file-name part
  UseHostLink(Table(""), true);
  const QString refused[] = {"../escaped.png", outside.filePath("abs.png"), "a/../../b.png", "sub\\x.png",
                             "..", "link.png"};
  for (const QString& name : refused) {
    SCOPED_TRACE(name.toStdString());
    errors.clear();
    TestTables::LoadTable(form->cliDemon->Translator(), "[AppIconName]=" + name.toUtf8() + "|$$");
    RunFormShow(); // the splash and the first curve still come
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains('"' + name + '"')) << errors[0].toStdString();
    EXPECT_TRUE(AllDesigned());
  }
  EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList{"target.png"});
  EXPECT_EQ(ReadFile(target), "the link's target");
  EXPECT_EQ(QDir(workArea).entryList(QDir::Files | QDir::System), QStringList{"link.png"});
  EXPECT_TRUE(QDir(workArea + "a").isEmpty());
  // A translated table says it in its language.
  errors.clear();
  TestTables::LoadTable(form->cliDemon->Translator(), "[AppIconName]=../escaped.png|$$[FileNameRefused]=Abgelehnt: <%1%>|$$");
  RunFormShow();
  EXPECT_EQ(errors, QStringList{"Abgelehnt: ../escaped.png"});
}

TEST_F(StartupTest, AnIconBesideTheProgramThatIsALinkIsUsedWithoutAServer) {
  // Only writing through a link is refused; reading the work area's icon through one is fine.
  QTemporaryDir elsewhere;
  WriteFile(elsewhere.filePath("real.png"), TestIconBytes());
  ASSERT_TRUE(QFile::link(elsewhere.filePath("real.png"), programDir.filePath("linked.png")));
  UseHostLink(Table("[AppIconName]=linked.png|$$"));
  RunFormShow();
  EXPECT_TRUE(AllShowTestIcon());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(StartupTest, WithoutServerAnIconNameWithAFolderPartIsRefusedToo) {
  WriteFile(programDir.filePath("own.png"), TestIconBytes());
  UseHostLink(Table("[AppIconName]=../" + QFileInfo(programDir.path()).fileName().toUtf8() + "/own.png|$$"));
  RunFormShow();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("/own.png\"")) << errors[0].toStdString();
  EXPECT_TRUE(AllDesigned());
}
