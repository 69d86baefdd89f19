// The translation engine: reading ".itl" tables, looking keys up, translating
// whole windows and writing the file of collected keys.
#include "MessageBox.h"
#include "SaveFile.h"
#include "TLexivaran2000.h"
#include "Tables.h"
#include "Windows1252.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

void Load(TLexivaran2000& engine, const QByteArray& table) { TestTables::LoadTable(engine, table); }

} // namespace

// Objects with the kinds of published properties the engine walks through.
class TScaleProps : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER caption)
public:
  using QObject::QObject;
  QString caption;
};

class TScalePropsDerived : public TScaleProps {
  Q_OBJECT
public:
  using TScaleProps::TScaleProps;
};

class OtherPart : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER caption)
public:
  using QObject::QObject;
  QString caption;
};

class Item : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER caption)
public:
  using QObject::QObject;
  QString caption;
};

class Component : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER caption)
  Q_PROPERTY(QString Name MEMBER name)
  Q_PROPERTY(QString Fixed READ Fixed)
  Q_PROPERTY(QStringList Lines MEMBER lines)
  Q_PROPERTY(QObject* Scale READ Scale)
  Q_PROPERTY(QObject* Derived READ Derived)
  Q_PROPERTY(QObject* Other READ Other)
  Q_PROPERTY(QObject* Empty READ Empty)
  Q_PROPERTY(QList<QObject*> Items READ Items)
public:
  explicit Component(QObject* parent = nullptr) : QObject(parent) {
    scale = new TScaleProps(this);
    derived = new TScalePropsDerived(this);
    other = new OtherPart; // not a child: reached only through the property
    items = {new Item(this), new Item(this)};
  }
  ~Component() override { delete other; }
  QString Fixed() const { return QStringLiteral("LX_Exit"); }
  QObject* Scale() const { return scale; }
  QObject* Derived() const { return derived; }
  QObject* Other() const { return other; }
  QObject* Empty() const { return nullptr; }
  QList<QObject*> Items() const { return items; }

  QString caption, name;
  QStringList lines;
  TScaleProps* scale;
  TScalePropsDerived* derived;
  OtherPart* other;
  QList<QObject*> items;
};

TEST(TranslationTable, RecordsAreSplitAndNormalisedAsWritten) {
  TLexivaran2000 engine;
  Load(engine, "garbage before [Reset]=Zur\xc3\xbc" "ck|$$\r\n"
               "[  Reset\r\n Two]=x|$$"
               "[Tab\tKey  ]=y|$$"
               "[Lines]=first\r\nsecond\\nthird|$$"
               "no brackets]=text|$$"
               "[nokey=rest of it|$$"
               "[Reset]=duplicate|$$"
               "trailing [After]=ignored");
  ASSERT_EQ(engine.Count(), 7);
  EXPECT_EQ(engine.Keys()[0], "reset");
  EXPECT_EQ(engine.Texts()[0], QString::fromUtf8("Zur\xc3\xbc" "ck"));
  // Leading spaces go, CR LF and runs of spaces become one space, trailing spaces stay.
  EXPECT_EQ(engine.Keys()[1], "reset two");
  EXPECT_EQ(engine.Keys()[2], "tab key ");
  // A line break inside a text is two spaces; backslash-n is a line break.
  EXPECT_EQ(engine.Texts()[3], "first  second\r\nthird");
  // Without "[" the key runs from the record's start; without "]=" the key is
  // empty and the text starts after the record's first character.
  EXPECT_EQ(engine.Keys()[4], "no brackets");
  EXPECT_EQ(engine.Texts()[4], "text");
  EXPECT_EQ(engine.Keys()[5], "");
  EXPECT_EQ(engine.Texts()[5], "nokey=rest of it");
  // Duplicates stay, the first one wins.
  EXPECT_EQ(engine.Translate("Reset"), QString::fromUtf8("Zur\xc3\xbc" "ck"));
}

TEST(TranslationTable, TheSpacedKeyIsFoundOnlyWithItsTrailingSpace) {
  TLexivaran2000 engine;
  Load(engine, "[  Reset\r\n ]=spaced|$$");
  EXPECT_EQ(engine.Keys()[0], "reset ");
  EXPECT_EQ(engine.Translate("Reset "), "spaced");
  EXPECT_EQ(engine.Translate("Reset"), "Reset");
}

TEST(TranslationTable, ApplicationNameAndLegacyEncoding) {
  TLexivaran2000 engine("Kalvora");
  // Not valid UTF-8: read in the 8-bit code page older tables were written in.
  Load(engine, "[t]=<%appname%> \xfc<%APPNAME%>|$$");
  EXPECT_EQ(engine.Translate("T"), QString::fromUtf8("Kalvora \xc3\xbc" "Kalvora"));
}

TEST(TranslationTable, EightBitTablesAreReadInTheDesktopCodePage) {
  using Enc = TLexivaran2000::TTableEncoding;
  TLexivaran2000 engine;
  EXPECT_EQ(engine.TableEncoding(), Enc::Utf8); // nothing read yet
  // Not UTF-8: 0x80 .. 0x9F are the code page's quotes, dashes and the euro sign.
  Load(engine, "[e]=\x80\x93x\x94|$$[q]=\x84\x85\x99\x96\x97|$$");
  EXPECT_EQ(engine.Translate("e"), QString::fromUtf8("\u20ac\u201cx\u201d"));
  EXPECT_EQ(engine.Translate("q"), QString::fromUtf8("\u201e\u2026\u2122\u2013\u2014"));
  EXPECT_EQ(engine.TableEncoding(), Enc::Windows1252);
  // A table that decodes as UTF-8 throughout stays UTF-8, even where its bytes
  // would also make sense in the code page.
  Load(engine, "[e]=\xe2\x82\xac|$$");
  EXPECT_EQ(engine.Translate("e"), QString::fromUtf8("\u20ac"));
  EXPECT_EQ(engine.TableEncoding(), Enc::Utf8);
  // With the byte-order mark it is UTF-8 whatever follows; bad bytes become U+FFFD.
  Load(engine, "\xef\xbb\xbf[e]=\xc3\xa4\x80|$$");
  EXPECT_EQ(engine.Translate("e"), QString::fromUtf8("\u00e4\ufffd"));
  EXPECT_EQ(engine.TableEncoding(), Enc::Utf8WithBom);
}

TEST(Windows1252, MatchesThePlatformCodecAndRoundTripsEveryByte) {
  QByteArray all;
  for (int b = 0; b < 256; ++b) all += char(b);
  const QString text = DecodeWindows1252(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(EncodeWindows1252(text), all);
  QStringDecoder platform("windows-1252");
  if (platform.isValid()) { // where Qt has the code page (through ICU)
    EXPECT_EQ(text, platform.decode(all));
  }
  EXPECT_EQ(text[0x80], QChar(0x20AC));
  EXPECT_EQ(text[0x9F], QChar(0x0178));
  EXPECT_EQ(text[0x81], QChar(0x0081)); // undefined in the code page: the control itself
  // What the code page cannot hold is one '?' per character; the controls the
  // table replaced have no byte of their own.
  EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("a\u00e9\u65e5\U0001F600\u0080")), "a\xe9???");
}

TEST(TranslationTable, LoadingReplacesTheTableAndReadsFromTheStart) {
  TLexivaran2000 engine;
  Load(engine, "[a]=1|$$[b]=2|$$");
  QBuffer second;
  second.setData("[c]=3|$$");
  second.open(QIODevice::ReadOnly);
  second.seek(5);
  engine.LoadFromStream(second);
  ASSERT_EQ(engine.Count(), 1);
  EXPECT_EQ(engine.Translate("a"), "a");
  EXPECT_EQ(engine.Translate("c"), "3");
  Load(engine, "");
  EXPECT_EQ(engine.Count(), 0);
}

TEST(Translate, ArgumentsReplacePlaceholdersInOrder) {
  TLexivaran2000 engine;
  Load(engine, "[pair]=<%2%> and <%1%>|$$[again]=<%1%><%1%>-<%3%>|$$[chain]=<%1%>|$$");
  EXPECT_EQ(engine.Translate("pair", {"a", "b"}), "b and a");
  EXPECT_EQ(engine.Translate("again", {"x"}), "xx-<%3%>");
  // An argument that itself holds a later placeholder gets it replaced in turn;
  // one that holds its own placeholder does not loop.
  EXPECT_EQ(engine.Translate("chain", {"<%2%>", "two"}), "two");
  EXPECT_EQ(engine.Translate("chain", {"<%1%>"}), "<%1%>");
  // A key without an entry still gets its arguments.
  EXPECT_EQ(engine.Translate("missing <%1%>", {"arg"}), "missing arg");
}

TEST(Translate, MissingKeysComeBackAndAreCollectedOnce) {
  TLexivaran2000 engine;
  Load(engine, "[known]=Known|$$");
  EXPECT_EQ(engine.Translate("Nowhere"), "Nowhere");
  EXPECT_TRUE(engine.Collected().isEmpty()); // only collected when switched on
  engine.AutoCreateItlFile = true;
  engine.Translate("Nowhere");
  engine.Translate("Nowhere");
  engine.Translate("NOWHERE");
  engine.Translate("known");
  EXPECT_EQ(engine.Collected(), QStringList{"[Nowhere]=Nowhere|$$"});
  engine.AutoCreateItlFile = false;
}

TEST(Translate, HookSeesSuccessfulLookupsOnly) {
  TLexivaran2000 engine;
  Load(engine, "[k]=text <%1%>|$$");
  QStringList seen;
  engine.TextHook = [&](TLexivaran2000* e, const QString& key, QString& text) {
    EXPECT_EQ(e, &engine);
    seen << key + "=" + text;
    text += "!";
  };
  EXPECT_EQ(engine.Translate("K", {"1"}), "text 1!");
  EXPECT_EQ(engine.Translate("other"), "other");
  EXPECT_EQ(seen, QStringList{"K=text 1"});
}

TEST(TranslateComponent, PlaceholdersOfAWindowAndWhatItOwns) {
  TLexivaran2000 engine;
  Load(engine, "[exit]=Beenden|$$[about]=\xc3\x9c" "ber|$$[line]=Zeile|$$[scale]=Skala|$$[item]=Eintrag|$$");
  QWidget window;
  window.setWindowTitle("LX_About");
  window.setObjectName("LX_Exit");
  auto* button = new QPushButton("LX_Exit", &window);
  auto* lower = new QPushButton("lx_Exit", &window);
  auto* label = new QLabel("Text LX_Exit", &window);
  auto* menu = new QMenu(&window);
  QAction* action = menu->addAction("LX_About");
  auto* part = new Component(button); // owned one level down
  part->caption = "LX_Exit";
  part->name = "LX_Exit";
  part->lines = {"LX_Line", "plain", "LX_Unknown"};
  part->scale->caption = "LX_Scale";
  part->derived->caption = "LX_Scale";
  part->other->caption = "LX_Scale";
  qobject_cast<Item*>(part->items[0])->caption = "LX_Item";

  engine.TranslateComponent(&window);

  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("\xc3\x9c" "ber"));
  EXPECT_EQ(window.objectName(), "LX_Exit"); // the name is never changed
  EXPECT_EQ(button->text(), "Beenden");
  EXPECT_EQ(lower->text(), "lx_Exit"); // the prefix is case-sensitive
  EXPECT_EQ(label->text(), "Text LX_Exit");
  EXPECT_EQ(action->text(), QString::fromUtf8("\xc3\x9c" "ber"));
  EXPECT_EQ(part->caption, "Beenden");
  EXPECT_EQ(part->name, "LX_Exit");
  EXPECT_EQ(part->lines, (QStringList{"Zeile", "plain", "Unknown"}));
  EXPECT_EQ(part->scale->caption, "Skala");
  EXPECT_EQ(part->derived->caption, "Skala");
  EXPECT_EQ(part->other->caption, "LX_Scale"); // other object properties are left alone
  EXPECT_EQ(qobject_cast<Item*>(part->items[0])->caption, "Eintrag");
}

TEST(TranslateComponent, HooksOrderAndSkippedObjects) {
  TLexivaran2000 engine;
  Load(engine, "[a]=A|$$[b]=B|$$[c]=C|$$");
  QObject root;
  root.setObjectName("root");
  auto* first = new Component(&root);
  first->setObjectName("first");
  first->caption = "LX_a";
  auto* skipped = new Component(&root);
  skipped->setObjectName("skipped");
  skipped->caption = "LX_a";
  auto* inner = new Component(skipped); // owned by a skipped object: still visited
  inner->setObjectName("inner");
  inner->caption = "LX_b";
  auto* list = new Component(&root);
  list->lines = {"LX_a", "LX_b", "LX_c"};

  QStringList objects, keys;
  engine.ObjectHook = [&](TLexivaran2000*, QObject* o, bool& translate) {
    if (!o->objectName().isEmpty()) objects << o->objectName();
    if (o == skipped) translate = false;
  };
  engine.TextHook = [&](TLexivaran2000*, const QString& key, QString&) { keys << key; };
  engine.TranslateComponent(&root);

  EXPECT_EQ(objects, (QStringList{"root", "first", "skipped", "inner"}));
  EXPECT_EQ(first->caption, "A");
  EXPECT_EQ(skipped->caption, "LX_a");
  EXPECT_EQ(inner->caption, "B");
  // String lists go from the last line to the first.
  EXPECT_EQ(list->lines, (QStringList{"A", "B", "C"}));
  EXPECT_EQ(keys.mid(keys.size() - 3), (QStringList{"c", "b", "a"}));
}

TEST(TranslateComponent, EachObjectOnceEvenWhenReachedTwice) {
  // A translation that again starts with the prefix must not be translated a
  // second time because the scale object is also a child.
  TLexivaran2000 engine;
  Load(engine, "[scale]=LX_scale2|$$[scale2]=wrong|$$");
  Component part;
  part.scale->caption = "LX_Scale";
  engine.TranslateComponent(&part);
  EXPECT_EQ(part.scale->caption, "LX_scale2");
  engine.TranslateComponent(nullptr); // nothing to do, no crash
}

class CollectedFile : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
  }
  void TearDown() override {
    QDir::setCurrent(previous);
    SetMessageBoxHook(nullptr);
  }
  QByteArray Written(const QString& name) {
    QFile f(dir.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  QTemporaryDir dir;
  QString previous;
};

TEST_F(CollectedFile, WrittenAtDestructionIntoTheCurrentDirectory) {
  {
    TLexivaran2000 engine;
    engine.SetProgramFileName("/opt/sim/kalvora");
    Load(engine, "[Reset]=Zur\xc3\xbc" "ck|$$[two]=a\\nb|$$");
    engine.AutoCreateItlFile = true;
    engine.Translate("Missing");
    engine.Translate("missing");
    engine.Translate("Other");
    EXPECT_EQ(engine.CollectedFileName(), "kalvora.itl");
  }
  // Collected keys first, then the table with its normalised texts as they are.
  EXPECT_EQ(Written("kalvora.itl"), "[Missing]=Missing|$$\r\n[Other]=Other|$$\r\n"
                                    "[reset]=Zur\xc3\xbc" "ck|$$\r\n[two]=a\r\nb|$$\r\n");
}

// A named pipe or a folder of the file's name is refused, reported, and stays.
TEST_F(CollectedFile, NeverWrittenOverSomethingThatIsNotAPlainFile) {
  ASSERT_EQ(::mkfifo("kalvora.itl", 0600), 0);
  ASSERT_TRUE(QDir().mkdir("prog.itl"));
  QStringList errors;
  SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  for (const char* program : {"/opt/sim/kalvora", "/opt/sim/prog.bin"}) {
    TLexivaran2000 engine;
    engine.SetProgramFileName(program);
    engine.AutoCreateItlFile = true;
    engine.Translate("Missing");
  }
  ASSERT_EQ(errors.size(), 2);
  EXPECT_TRUE(errors[0].contains("kalvora.itl") && errors[0].contains("named pipe")) << errors[0].toStdString();
  EXPECT_TRUE(errors[1].contains("prog.itl") && errors[1].contains("folder")) << errors[1].toStdString();
  EXPECT_EQ(FileKindOf("kalvora.itl"), TFileKind::Pipe);
  EXPECT_EQ(FileKindOf("prog.itl"), TFileKind::Folder);
  EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 2);
}

TEST_F(CollectedFile, ReadingTheWrittenFileDoesNotGiveBackTheTexts) {
  {
    TLexivaran2000 engine;
    engine.SetProgramFileName("/opt/sim/prog.bin");
    Load(engine, "[k]=one\\ntwo|$$");
    engine.AutoCreateItlFile = true;
  }
  TLexivaran2000 again;
  Load(again, Written("prog.itl"));
  EXPECT_EQ(again.Translate("k"), "one  two");
}

TEST_F(CollectedFile, NothingWrittenWhenSwitchedOffAndErrorsAreShown) {
  {
    TLexivaran2000 engine;
    engine.SetProgramFileName("/opt/sim/quiet");
    engine.Translate("x");
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("quiet.itl")));

  QStringList errors;
  SetMessageBoxHook([&](TMessageKind kind, const QString& text) {
    EXPECT_EQ(kind, TMessageKind::Error);
    errors << text;
  });
  QDir().mkdir(dir.filePath("blocked.itl")); // a directory where the file should go
  {
    TLexivaran2000 engine;
    engine.SetProgramFileName("/opt/sim/blocked");
    engine.AutoCreateItlFile = true;
  }
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Cannot create file \"blocked.itl\"")) << errors[0].toStdString();
}

TEST_F(CollectedFile, WrittenInTheEncodingTheTableWasReadIn) {
  const struct {
    const char* program;
    QByteArray table;
    QByteArray written;
  } cases[] = {
      {"cp1252", "[e]=\x80\x93x\x94|$$", "[Gr\xfc\xdf" "e \x80]=Gr\xfc\xdf" "e \x80|$$\r\n[e]=\x80\x93x\x94|$$\r\n"},
      {"utf8", "[e]=\xe2\x82\xac|$$",
       "[Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac]=Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac|$$\r\n[e]=\xe2\x82\xac|$$\r\n"},
      {"bom", "\xef\xbb\xbf[e]=x|$$",
       "\xef\xbb\xbf[Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac]=Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac|$$\r\n[e]=x|$$\r\n"},
      {"none", QByteArray(), "[Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac]=Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac|$$\r\n"},
  };
  for (const auto& c : cases) {
    {
      TLexivaran2000 engine;
      engine.SetProgramFileName(c.program);
      if (!c.table.isNull()) Load(engine, c.table);
      engine.AutoCreateItlFile = true;
      engine.Translate(QString::fromUtf8("Gr\u00fc\u00dfe \u20ac"));
    }
    EXPECT_EQ(Written(QString(c.program) + ".itl"), c.written) << c.program;
  }
}

// A write that fails part-way (here: the process may not grow files beyond a
// few bytes) leaves the old file as it was and no temporary file behind.
TEST_F(CollectedFile, AFailedWriteKeepsTheOldFile) {
  const QByteArray old = "[old]=kept|$$\r\n";
  {
    QFile f(dir.filePath("big.itl"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(old);
  }
  QStringList errors;
  SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  QByteArray table;
  for (int i = 0; i < 2000; ++i) table += "[key" + QByteArray::number(i) + "]=a longer text of the key|$$\r\n";
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousSignal = signal(SIGXFSZ, SIG_IGN); // a failed write, not a killed process
  {
    TLexivaran2000 engine;
    engine.SetProgramFileName("big");
    Load(engine, table);
    engine.AutoCreateItlFile = true;
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  } // written here
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousSignal);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Error writing file \"big.itl\"")) << errors[0].toStdString();
  EXPECT_EQ(Written("big.itl"), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"big.itl"});
}

TEST(ItlFileName, TheExtensionIsReplaced) {
  EXPECT_EQ(ItlFileNameFor("kalvora"), "kalvora.itl");
  EXPECT_EQ(ItlFileNameFor("/usr/lib/kalvora/kalvora"), "/usr/lib/kalvora/kalvora.itl");
  EXPECT_EQ(ItlFileNameFor("C:\\Sim\\prog.exe"), "C:\\Sim\\prog.itl");
  EXPECT_EQ(ItlFileNameFor("/a.b/prog"), "/a.b/prog.itl");
  EXPECT_EQ(ItlFileNameFor("/a/x.tar.gz"), "/a/x.tar.itl");
}

TEST(ShippedTables, EveryKeyOfTheProgramInEnglishAndGerman) {
  const QStringList keys = {"Kalvora", "Description", "Reset", "About", "Exit", "OK", "HomePage"};
  for (const char* name : {"kalvora.itl", "kalvora-de.itl"}) {
    TLexivaran2000 engine;
    ASSERT_TRUE(TestTables::LoadShippedTable(engine, QLatin1String(name))) << name;
    for (const QString& key : keys) {
      EXPECT_TRUE(engine.Keys().contains(key.toLower())) << name << " lacks " << key.toStdString();
      EXPECT_FALSE(engine.Translate(key).isEmpty()) << name;
      EXPECT_FALSE(engine.Translate(key).contains('\n')) << name;
    }
    const QString language = engine.Translate("$dlglanguage$").toLower();
    EXPECT_EQ(language, QString(name) == "kalvora.itl" ? "lgenglish" : "lggerman");
  }
  TLexivaran2000 engine;
  ASSERT_TRUE(TestTables::LoadShippedTable(engine, QStringLiteral("kalvora-de.itl")));
  EXPECT_EQ(engine.Translate("Reset"), QString::fromUtf8("&Zur\xc3\xbc" "cksetzen")); // with its Alt+letter mark
}

#include "TranslationTest.moc"
