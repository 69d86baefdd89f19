// Colours, fonts and device capabilities.
#include "Colors.h"
#include "DeviceCaps.h"
#include "Font.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QVariant>
#include <gtest/gtest.h>

namespace {

TEST(Colors, PlainValuesAre0x00BBGGRR) {
  EXPECT_EQ(ColorToRGB(0x00332211), qRgb(0x11, 0x22, 0x33));
  EXPECT_EQ(ColorToRGB(clRed), qRgb(255, 0, 0));
  EXPECT_EQ(ColorToRGB(clBlue), qRgb(0, 0, 255));
  EXPECT_EQ(ColorToRGB(clOlive), qRgb(128, 128, 0));
  EXPECT_EQ(ToQColor(clTeal), QColor(0, 128, 128));
  EXPECT_EQ(RGBToColor(qRgb(0x11, 0x22, 0x33)), 0x00332211u);
  EXPECT_EQ(RGBToColor(ColorToRGB(clSkyBlue)), clSkyBlue);
}

TEST(Colors, SystemColoursResolveToTheDefaults) {
  EXPECT_EQ(ColorToRGB(clBtnFace), qRgb(240, 240, 240));
  EXPECT_EQ(ColorToRGB(clBtnShadow), qRgb(160, 160, 160));
  EXPECT_EQ(ColorToRGB(clBtnHighlight), qRgb(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clGrayText), qRgb(109, 109, 109));
  EXPECT_EQ(ColorToRGB(clWindow), qRgb(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clWindowText), qRgb(0, 0, 0));
  EXPECT_EQ(ColorToRGB(clBtnText), qRgb(0, 0, 0));
  EXPECT_EQ(ColorToRGB(clInfoBk), qRgb(255, 255, 225));
  EXPECT_EQ(ColorToRGB(clHighlight), qRgb(0, 120, 215));
  EXPECT_EQ(ColorToRGB(cl3DDkShadow), qRgb(105, 105, 105));
  EXPECT_EQ(ColorToRGB(cl3DLight), qRgb(227, 227, 227));
  EXPECT_EQ(qAlpha(ColorToRGB(clBtnFace)), 255);
}

TEST(Colors, NamesOfStoredSettings) {
  EXPECT_EQ(ColorFromName(QStringLiteral("clSilver")), clSilver);
  EXPECT_EQ(ColorFromName(QStringLiteral("clBtnFace")), clBtnFace);
  EXPECT_EQ(ColorFromName(QStringLiteral("clInfoBk")), clInfoBk);
  EXPECT_EQ(ColorFromName(QStringLiteral("cl3DDkShadow")), cl3DDkShadow);
  EXPECT_EQ(ColorFromName(QStringLiteral("clMoneyGreen")), clMoneyGreen);
  EXPECT_EQ(ColorFromName(QStringLiteral("clwhite")), clWhite);
  EXPECT_FALSE(ColorFromName(QStringLiteral("clNoSuchColour")).has_value());
  EXPECT_FALSE(ColorFromName(QStringLiteral("$00FF0000")).has_value());
  EXPECT_FALSE(ColorFromName(QStringLiteral("255")).has_value());
}

TEST(Fonts, FaceSubstitutionAndPixelSize) {
  TFontData d;
  d.Name = QStringLiteral("Arial");
  d.Height = -13;
  QFont f = ToQFont(d);
  EXPECT_EQ(f.pixelSize(), 13);
  EXPECT_TRUE(QFontInfo(f).family().startsWith(QLatin1String("Liberation Sans"))) << QFontInfo(f).family().toStdString();
  EXPECT_EQ(QFontInfo(f).pixelSize(), 13);

  d.Name = QStringLiteral("Courier New");
  EXPECT_TRUE(QFontInfo(ToQFont(d)).family().startsWith(QLatin1String("Liberation Mono")));
  d.Name = QStringLiteral("MS Sans Serif");
  EXPECT_TRUE(QFontInfo(ToQFont(d)).family().startsWith(QLatin1String("Liberation Sans")));
  d.Name = QStringLiteral("Times New Roman");
  EXPECT_TRUE(QFontInfo(ToQFont(d)).family().startsWith(QLatin1String("Liberation Serif")));
  EXPECT_EQ(SubstituteFontFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(SubstituteFontFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
}

TEST(Fonts, PositiveHeightIsTheCellHeight) {
  TFontData d;
  d.Name = QStringLiteral("Arial");
  for (int h : {12, 16, 20, 30}) {
    d.Height = h;
    const QFont f = ToQFont(d);
    EXPECT_LT(f.pixelSize(), h);
    EXPECT_NEAR(QFontMetrics(f).height(), h, 1) << h;
  }
}

TEST(Fonts, Styles) {
  TFontData d;
  d.Style = fsBold | fsItalic;
  QFont f = ToQFont(d);
  EXPECT_TRUE(f.bold());
  EXPECT_TRUE(f.italic());
  EXPECT_FALSE(f.underline());
  EXPECT_FALSE(f.strikeOut());
  d.Style = fsUnderline | fsStrikeOut;
  f = ToQFont(d);
  EXPECT_FALSE(f.bold());
  EXPECT_TRUE(f.underline());
  EXPECT_TRUE(f.strikeOut());
  EXPECT_EQ(f.hintingPreference(), QFont::PreferFullHinting);
}

TEST(Fonts, TFontSettersCompareStoreAndNotify) {
  TFont font;
  int changes = 0;
  QObject* sender = nullptr;
  font.OnChange = [&](QObject* s) {
    ++changes;
    sender = s;
  };
  font.SetName(QStringLiteral("Arial"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(sender, &font);
  font.SetName(QStringLiteral("Arial"));
  EXPECT_EQ(changes, 1);
  font.SetHeight(-16);
  font.SetHeight(-16);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(font.Size(), 12);
  font.SetSize(8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(changes, 3);
  font.SetStyle(fsBold);
  font.SetStyle(fsBold);
  font.SetColor(clRed);
  font.SetColor(clRed);
  EXPECT_EQ(changes, 5);
  TFont other;
  other.Assign(font);
  EXPECT_EQ(other.Data(), font.Data());
  font.Assign(other);
  EXPECT_EQ(changes, 5);
  // Published properties by name.
  EXPECT_TRUE(font.setProperty("Height", -20));
  EXPECT_EQ(font.Height(), -20);
  EXPECT_EQ(font.property("Name").toString(), QStringLiteral("Arial"));
  EXPECT_EQ(changes, 6);
}

TEST(DeviceCaps, SquareScreenPixels) {
  EXPECT_EQ(DeviceCaps::ScreenAspectX(), 36);
  EXPECT_EQ(DeviceCaps::ScreenAspectY(), 36);
}

} // namespace
