// Stored window settings: properties set by name, sub-objects through dotted
// paths, the loading step afterwards, and clear errors for bad files.
#include "Align.h"
#include "StoredSettings.h"

#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

class SettingsPart : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER caption)
  Q_PROPERTY(double Low MEMBER low)
  Q_PROPERTY(int Count MEMBER count)
  Q_PROPERTY(quint32 Color MEMBER color)
  Q_PROPERTY(bool Shown MEMBER shown)
  Q_PROPERTY(Platform::TPenStyle Pen MEMBER pen)
  Q_PROPERTY(Platform::TFontStyles Style MEMBER style)
  Q_PROPERTY(QStringList Lines MEMBER lines)
  Q_PROPERTY(SettingsPart* Sub READ Sub)
  Q_PROPERTY(int ReadOnly READ ReadOnly)
public:
  explicit SettingsPart(QObject* parent = nullptr, bool withSub = true) : QObject(parent) {
    if (withSub) sub = new SettingsPart(this, false);
  }
  SettingsPart* Sub() const { return sub; }
  int ReadOnly() const { return 1; }
  Q_INVOKABLE void SetLoading(bool v) { loadingSeen |= v; }
  Q_INVOKABLE void Loaded() { ++loadedCalls; }

  QString caption;
  double low = 0;
  int count = 0;
  quint32 color = 0;
  bool shown = false;
  TPenStyle pen = psSolid;
  TFontStyles style;
  QStringList lines;
  SettingsPart* sub = nullptr;
  bool loadingSeen = false;
  int loadedCalls = 0;
};

namespace {

struct StoredSettingsTest : ::testing::Test {
  QWidget window;
  SettingsPart* part = new SettingsPart(&window);
  StoredSettingsTest() {
    window.setObjectName("Window");
    part->setObjectName("Part1");
  }
  QString ErrorOf(const QString& text) {
    try {
      ApplyStoredSettings(&window, text, "w.settings");
    } catch (const EStoredSettingsError& e) {
      return e.Message();
    }
    return {};
  }
};

TEST_F(StoredSettingsTest, SetsPropertiesOfEveryKindByName) {
  ApplyStoredSettings(&window,
                      "# comment\n[Part1]\nCaption = \"usec \\\"q\\\"\"\nLow = -1.1\nCount = 0x10\n"
                      "Color = clSilver\nShown = true\nPen = psDashDot\nStyle = [fsBold, fsItalic]\n"
                      "Lines = [\"LX_One\", \"two, three\"]\nSub.Caption = \"inner\"\nSub.Color = 255\n",
                      "w.settings");
  EXPECT_EQ(part->caption, "usec \"q\"");
  EXPECT_DOUBLE_EQ(part->low, -1.1);
  EXPECT_EQ(part->count, 16);
  EXPECT_EQ(part->color, 0xC0C0C0u);
  EXPECT_TRUE(part->shown);
  EXPECT_EQ(part->pen, psDashDot);
  EXPECT_EQ(part->style, TFontStyles(fsBold | fsItalic));
  EXPECT_EQ(part->lines, (QStringList{"LX_One", "two, three"}));
  EXPECT_EQ(part->sub->caption, "inner");
  EXPECT_EQ(part->sub->color, 255u);
  // Every component is put into loading state first and gets its loading step afterwards.
  EXPECT_TRUE(part->loadingSeen);
  EXPECT_EQ(part->loadedCalls, 1);
  EXPECT_EQ(part->sub->loadedCalls, 1);
}

TEST_F(StoredSettingsTest, PlacesToolkitWidgets) {
  auto* button = new QPushButton(&window);
  button->setObjectName("Button");
  auto* fill = new QWidget(&window);
  fill->setObjectName("Fill");
  ApplyStoredSettings(&window,
                      "[Window]\nClientWidth = 300\nClientHeight = 200\n[Button]\nLeft = 6\nTop = 7\n"
                      "Width = 50\nHeight = 20\ntext = \"Go\"\n[Fill]\nAlign = alClient\n",
                      "w.settings");
  EXPECT_EQ(window.size(), QSize(300, 200));
  EXPECT_EQ(button->geometry(), QRect(6, 7, 50, 20));
  EXPECT_EQ(button->text(), "Go");
  EXPECT_EQ(GetAlign(fill), alClient);
  EXPECT_EQ(fill->geometry(), QRect(0, 0, 300, 200));
}

TEST_F(StoredSettingsTest, BadFilesNameFileLineAndProperty) {
  EXPECT_EQ(ErrorOf("[Part1]\nCount = 3\nNope = 1\n"), "w.settings:3: Part1.Nope: SettingsPart has no property 'Nope'");
  EXPECT_EQ(ErrorOf("[Missing]\n"), "w.settings:1: no component named 'Missing'");
  EXPECT_EQ(ErrorOf("Count = 1\n"), "w.settings:1: Count: no [component] before it");
  EXPECT_EQ(ErrorOf("[Part1]\nCount\n"), "w.settings:2: expected 'Property = value'");
  EXPECT_EQ(ErrorOf("[Part1]\nCount = many\n"), "w.settings:2: Part1.Count: 'many' is not a whole number");
  EXPECT_EQ(ErrorOf("[Part1]\nCount = 99999999999\n"), "w.settings:2: Part1.Count: number out of range");
  EXPECT_EQ(ErrorOf("[Part1]\nCaption = \"open\n"), "w.settings:2: Part1.Caption: unterminated text");
  EXPECT_EQ(ErrorOf("[Part1]\nCaption = bare\n"), "w.settings:2: Part1.Caption: a quoted text is expected");
  EXPECT_EQ(ErrorOf("[Part1]\nPen = psWavy\n"), "w.settings:2: Part1.Pen: 'psWavy' is not a value of TPenStyle");
  EXPECT_EQ(ErrorOf("[Part1]\nShown = yes\n"), "w.settings:2: Part1.Shown: true or false is expected");
  EXPECT_EQ(ErrorOf("[Part1]\nLow = 1,5\n"), "w.settings:2: Part1.Low: a number is expected");
  EXPECT_EQ(ErrorOf("[Part1]\nSub = 1\n"), "w.settings:2: Part1.Sub: is an object; set its properties one by one");
  EXPECT_EQ(ErrorOf("[Part1]\nReadOnly = 2\n"), "w.settings:2: Part1.ReadOnly: 'ReadOnly' is read-only");
  EXPECT_EQ(ErrorOf("[Part1\n"), "w.settings:1: section without closing ']'");
}

TEST_F(StoredSettingsTest, MissingFileIsAnError) {
  EXPECT_THROW(LoadStoredSettings(&window, "/nonexistent/x.settings"), EStoredSettingsError);
}

} // namespace

#include "StoredSettingsTest.moc"
