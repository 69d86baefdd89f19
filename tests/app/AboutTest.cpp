// The About box: its designed layout, fonts and bevels, the arrangement of the
// links on every showing, and the OK button ending a real modal showing.
#include "Colors.h"
#include "Font.h"
#include "StoredSettingsCheck.h"
#include "TFrmAbout.h"
#include "TUrlLab.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TFontData Data(const char* name, int height, TFontStyles style, TColor color) {
  TFontData f;
  f.Name = QString::fromLatin1(name);
  f.Height = height;
  f.Style = style;
  f.Color = color;
  return f;
}

void ExpectFont(const QWidget* w, const TFontData& f) {
  SCOPED_TRACE(w->objectName().toStdString());
  EXPECT_EQ(w->font(), ToQFont(f));
  EXPECT_EQ(w->palette().color(QPalette::WindowText), ToQColor(f.Color));
}

// Shows the box without a modal loop (as the splash hook does) and closes it with OK.
void ShowAndClose(TFrmAbout& box) {
  box.show();
  ASSERT_TRUE(box.isVisible());
  box.BButOKClick();
  EXPECT_FALSE(box.isVisible());
}

} // namespace

// Every line of the stored settings, read back through the property it names
// (places relative to the parent, fonts, texts before translation, links).
TEST(AboutBox, TheBoxHoldsEveryStoredSetting) {
  TFrmAbout box;
  const TSettingsReadBack stored =
      ReadBackStoredSettings(&box, QStringLiteral(KALVORA_RESOURCES "/forms/FrmAbout.settings"), false);
  EXPECT_GT(stored.lines, 100);
  EXPECT_TRUE(stored.mismatches.isEmpty()) << stored.mismatches.join('\n').toStdString();
}

TEST(AboutBox, ComponentsSitInTheirPanels) {
  TFrmAbout box;
  // The labels and links sit inside their panels, placed relative to them.
  for (QWidget* w : {static_cast<QWidget*>(box.LblName), static_cast<QWidget*>(box.LblVersion),
                     static_cast<QWidget*>(box.LblAuthor), static_cast<QWidget*>(box.LblCopyright)})
    EXPECT_EQ(w->parentWidget(), box.Panel1) << w->objectName().toStdString();
  for (QWidget* w : {static_cast<QWidget*>(box.LblWebSite), static_cast<QWidget*>(box.UrlLabVKTSuite),
                     static_cast<QWidget*>(box.UrlLabSimulations), static_cast<QWidget*>(box.UrlLabHomepage)})
    EXPECT_EQ(w->parentWidget(), box.Panel2) << w->objectName().toStdString();

  // Our maker and our addresses.
  EXPECT_TRUE(box.LblCopyright->text().contains("the Kalvora developers"));
  for (TUrlLab* link : {box.UrlLabVKTSuite, box.UrlLabSimulations}) {
    // The label treats only "http://" addresses as web addresses.
    EXPECT_TRUE(link->URL().startsWith("http://kalvora.example/")) << link->URL().toStdString();
    EXPECT_FALSE(link->Caption().isEmpty());
  }
  EXPECT_FALSE(box.windowIcon().isNull());
  EXPECT_FALSE(box.BButOK->icon().isNull());
}

TEST(AboutBox, FontsAndColours) {
  TFrmAbout box;
  const TFontData boxFont = Data("Arial", -13, {}, clBlack);
  ExpectFont(&box, boxFont);
  ExpectFont(box.LblVersion, boxFont); // taken over from the box
  ExpectFont(box.LblName, Data("Arial", -30, fsBold | fsItalic, clMaroon));
  ExpectFont(box.LblDescription, Data("Arial", -13, {}, clMaroon));
  EXPECT_EQ(box.palette().color(QPalette::Window), ToQColor(clBtnFace));
  for (TUrlLab* link : {box.UrlLabVKTSuite, box.UrlLabSimulations, box.UrlLabHomepage}) {
    SCOPED_TRACE(link->objectName().toStdString());
    EXPECT_EQ(link->Font()->Data(), Data("Courier New", -13, fsBold, clBlue));
    EXPECT_EQ(link->FontActive()->Data(), Data("Courier New", -13, fsBold | fsUnderline, clRed));
    EXPECT_FALSE(link->AutoSize());
    EXPECT_EQ(link->font(), ToQFont(Data("Courier New", -13, fsBold, clBlue)));
  }
}

TEST(AboutBox, PanelsHaveALoweredOuterAndARaisedInnerBevel) {
  TFrmAbout box;
  for (QFrame* panel : {box.Panel1, box.Panel2}) {
    SCOPED_TRACE(panel->objectName().toStdString());
    const QImage image = panel->grab().toImage();
    const int r = image.width() - 1, b = image.height() - 1;
    const QRgb shadow = ToQColor(clBtnShadow).rgb(), light = ToQColor(clBtnHighlight).rgb();
    // Outer line: shadow along the top and left, highlight along the bottom and right.
    EXPECT_EQ(image.pixel(0, 0), shadow);
    EXPECT_EQ(image.pixel(r / 2, 0), shadow);
    EXPECT_EQ(image.pixel(0, b / 2), shadow);
    EXPECT_EQ(image.pixel(r / 2, b), light);
    EXPECT_EQ(image.pixel(r, b / 2), light);
    // Inner line: highlight along the top and left, shadow along the bottom and right.
    EXPECT_EQ(image.pixel(r / 2, 1), light);
    EXPECT_EQ(image.pixel(1, b / 2), light);
    EXPECT_EQ(image.pixel(r / 2, b - 1), shadow);
    EXPECT_EQ(image.pixel(r - 1, b / 2), shadow);
    EXPECT_EQ(image.pixel(4, 4), ToQColor(clBtnFace).rgb()); // the face inside
  }
}

TEST(AboutBox, LinksAreArrangedOnEveryShowing) {
  TFrmAbout box;
  auto expectTwoCentredLinks = [&] {
    EXPECT_FALSE(box.UrlLabHomepage->Visible());
    EXPECT_EQ(box.UrlLabVKTSuite->pos(), QPoint(152, 16));
    EXPECT_EQ(box.UrlLabSimulations->pos(), QPoint(152, 32));
  };
  auto expectThreeLinks = [&] {
    EXPECT_TRUE(box.UrlLabHomepage->Visible());
    EXPECT_EQ(box.UrlLabVKTSuite->pos(), QPoint(152, 8));
    EXPECT_EQ(box.UrlLabSimulations->pos(), QPoint(152, 24));
    EXPECT_EQ(box.UrlLabHomepage->pos(), QPoint(152, 40));
  };
  // No home page of its own: the links do not creep down on later showings.
  box.UrlLabHomepage->SetCaption("HomePage");
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ShowAndClose(box);
    expectTwoCentredLinks();
  }
  // A caption of its own brings the link back and the others to their places.
  box.UrlLabHomepage->SetCaption("Kalvora home page");
  ShowAndClose(box);
  expectThreeLinks();
  ShowAndClose(box);
  expectThreeLinks();
  // Only the exact text counts as "no home page".
  for (const char* caption : {"homepage", "HomePage ", "LX_HomePage"}) {
    SCOPED_TRACE(caption);
    box.UrlLabHomepage->SetCaption(caption);
    ShowAndClose(box);
    expectThreeLinks();
  }
  box.UrlLabHomepage->SetCaption("HomePage");
  ShowAndClose(box);
  expectTwoCentredLinks();
}

TEST(AboutBox, OKEndsTheModalShowingAndTheHookReplacesIt) {
  TFrmAbout box;
  box.UrlLabHomepage->SetCaption("HomePage");
  bool arrangedWhileShown = false;
  QTimer::singleShot(0, &box, [&] {
    arrangedWhileShown = box.isVisible() && box.UrlLabVKTSuite->pos() == QPoint(152, 16);
    box.BButOK->click();
  });
  EXPECT_EQ(box.ShowModal(), QDialog::Accepted);
  EXPECT_TRUE(arrangedWhileShown);
  EXPECT_FALSE(box.isVisible());

  int hookCalls = 0;
  box.ShowModalHook = [&](TFrmAbout* shown) {
    EXPECT_EQ(shown, &box);
    ++hookCalls;
    return int(QDialog::Rejected);
  };
  EXPECT_EQ(box.ShowModal(), QDialog::Rejected);
  EXPECT_EQ(hookCalls, 1);
  EXPECT_FALSE(box.isVisible());
}
