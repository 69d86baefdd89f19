// The numeric label as a control: setter rules, its picture to the pixel, the
// overflow rule in pixels, the disabled and transparent looks, Assign and the mouse.
#include "TNumLab.h"

#include "Canvas.h"
#include "Exceptions.h"
#include "Mouse.h"
#include "Pixels.h"
#include "StoredSettings.h"

#include <QCoreApplication>
#include <QPalette>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

QRgb Rgb(TColor c) { return ColorToRGB(c) & 0xFFFFFFu; }

QRgb Px(const TNumLab& lab, int x, int y) { return lab.Picture().pixel(x, y) & 0xFFFFFFu; }

// The layout of the main window's labels: 143 x 22, box at 28 .. 101.
constexpr int W = 143, H = 22, L = 28, B = 72;

std::unique_ptr<TNumLab> MakeLabel() {
  auto lab = std::make_unique<TNumLab>();
  lab->resize(W, H);
  lab->SetLeftSpace(L);
  lab->SetLabelWidth(B);
  lab->SetColorOutBakG(clAqua);
  lab->SetColorLabBakG(clYellow);
  return lab;
}

int TextWidth(const TNumLab& lab, const QString& text) {
  QImage image(1, 1, QImage::Format_RGB32);
  TCanvas c(&image);
  c.Font = lab.Font()->Data();
  return c.TextWidth(text);
}

// Columns of the picture (within rows y0 .. y1) that hold a pixel of the given colour.
std::vector<int> ColumnsWith(const TNumLab& lab, QRgb color, int x0, int x1, int y0 = 0, int y1 = H - 1) {
  std::vector<int> cols;
  for (int x = x0; x <= x1; ++x)
    for (int y = y0; y <= y1; ++y)
      if (Px(lab, x, y) == color) {
        cols.push_back(x);
        break;
      }
  return cols;
}

// Columns holding anything but the given background.
std::vector<int> InkColumns(const TNumLab& lab, QRgb background, int x0, int x1, int y0, int y1) {
  std::vector<int> cols;
  for (int x = x0; x <= x1; ++x)
    for (int y = y0; y <= y1; ++y)
      if (Px(lab, x, y) != background) {
        cols.push_back(x);
        break;
      }
  return cols;
}

// Mean position of the pixels of exactly that colour within r (NaN when there are none).
QPointF Centroid(const TNumLab& lab, QRgb color, const QRect& r) {
  double sx = 0, sy = 0;
  int n = 0;
  for (int x = r.left(); x <= r.right(); ++x)
    for (int y = r.top(); y <= r.bottom(); ++y)
      if (Px(lab, x, y) == color) {
        sx += x;
        sy += y;
        ++n;
      }
  const double nan = std::nan("");
  return n ? QPointF(sx / n, sy / n) : QPointF(nan, nan);
}

// Bounding box of the pixels within r that differ from the background.
QRect InkBox(const TNumLab& lab, QRgb background, const QRect& r) {
  return TestPixels::InkBox(lab.Picture(), TestPixels::OffBackground(background, TestPixels::RgbOnly), r);
}

} // namespace

TEST(TNumLab, SettersClampIgnoreAndRepaintAtOnce) {
  auto lab = MakeLabel();
  int paints = 0;
  lab->OnBeforeDisplay = [&](QObject* sender, QString&) {
    EXPECT_EQ(sender, lab.get());
    ++paints;
  };
  lab->SetPrecision(20);
  EXPECT_EQ(lab->Precision(), 15);
  EXPECT_EQ(paints, 1);
  lab->SetPrecision(-1);
  EXPECT_EQ(lab->Precision(), 15);
  EXPECT_EQ(paints, 1);
  lab->SetLeftSpace(500);
  EXPECT_EQ(lab->LeftSpace(), W);
  lab->SetLeftSpace(-3);
  EXPECT_EQ(lab->LeftSpace(), W);
  lab->SetLeftSpace(L);

  paints = 0;
  lab->SetValue(4.7);
  EXPECT_EQ(paints, 1); // synchronously, not deferred
  lab->SetValue(4.7);
  lab->SetValue(std::nan(""));
  EXPECT_EQ(lab->Value(), 4.7);
  EXPECT_EQ(paints, 1);
  lab->SetLeftText("R");
  lab->SetLeftText("R");
  EXPECT_EQ(paints, 2);
  lab->SetEnabled(true); // no equality test
  lab->SetColorScheme(csBWG);
  EXPECT_EQ(paints, 4);
  lab->SetTransparent(true); // only invalidates: the parent paints its background first
  EXPECT_EQ(paints, 4);
  lab->SetTransparent(false);
  EXPECT_EQ(paints, 5);
  lab->hide(); // nothing is drawn while the label is hidden
  lab->SetValue(1.0);
  EXPECT_EQ(paints, 5);
}

TEST(TNumLab, HandlerThatChangesTheLabelNeitherRecursesNorHangs) {
  auto lab = MakeLabel();
  int calls = 0;
  lab->OnBeforeDisplay = [&](QObject*, QString& text) {
    ++calls;
    lab->SetValue(lab->Value() + 1); // a setter inside the paint
    text = QStringLiteral("x");
  };
  lab->SetValue(10);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(lab->Value(), 11);
  EXPECT_EQ(lab->ShownText(), "x");
}

TEST(TNumLab, FrameStylesToThePixel) {
  struct Case {
    TFrameStyle style;
    TColor outline, upperLeft, lowerRight;
  };
  const Case cases[] = {
      {fsLowered, clGray, clBlack, clWhite},
      {fsRaised, clGray, clWhite, clBlack},
      {fsEmbossed, clWhite, clGray, clGray},
      {fsEngraved, clGray, clWhite, clWhite},
  };
  auto lab = MakeLabel();
  lab->SetEmpty(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.style));
    lab->SetFrameStyle(c.style);
    // Box outline: x 28 .. 101, y 0 .. 20.
    EXPECT_EQ(Px(*lab, L, 10), Rgb(c.outline));
    EXPECT_EQ(Px(*lab, 50, 0), Rgb(c.outline));
    EXPECT_EQ(Px(*lab, L + B + 1, 10), Rgb(c.outline));
    EXPECT_EQ(Px(*lab, 50, H - 2), Rgb(c.outline));
    // Upper-left line: (29, 19) up to (29, 1), along to (100, 1).
    EXPECT_EQ(Px(*lab, L + 1, H - 3), Rgb(c.upperLeft));
    EXPECT_EQ(Px(*lab, L + 1, 1), Rgb(c.upperLeft));
    EXPECT_EQ(Px(*lab, L + B, 1), Rgb(c.upperLeft));
    EXPECT_EQ(Px(*lab, L + 1, H - 2), Rgb(c.outline)); // the line starts above the outline's bottom
    // Lower-right line: (29, 21) along to (102, 21), up to (102, 1); its end pixel stays out.
    EXPECT_EQ(Px(*lab, L + 1, H - 1), Rgb(c.lowerRight));
    EXPECT_EQ(Px(*lab, L + B + 2, H - 1), Rgb(c.lowerRight));
    EXPECT_EQ(Px(*lab, L + B + 2, 1), Rgb(c.lowerRight));
    EXPECT_EQ(Px(*lab, L + B + 2, 0), Rgb(clAqua));
    EXPECT_EQ(Px(*lab, L, H - 1), Rgb(clAqua));
    // Inside the box and outside it.
    EXPECT_EQ(Px(*lab, 60, 10), Rgb(clYellow));
    EXPECT_EQ(Px(*lab, 120, 10), Rgb(clAqua));
    EXPECT_EQ(Px(*lab, 5, 10), Rgb(clAqua));
  }

  lab->SetFrameStyle(fsSimple); // one rectangle over the full height
  EXPECT_EQ(Px(*lab, L, H - 1), Rgb(clGray));
  EXPECT_EQ(Px(*lab, L + B + 1, H - 1), Rgb(clGray));
  EXPECT_EQ(Px(*lab, L + B + 2, 10), Rgb(clAqua));
  EXPECT_EQ(Px(*lab, L + 1, 10), Rgb(clYellow));
  lab->SetFrameStyle(fsNone); // outlined in the box colour
  EXPECT_EQ(Px(*lab, L, 10), Rgb(clYellow));
  EXPECT_EQ(Px(*lab, 50, H - 1), Rgb(clYellow));
}

TEST(TNumLab, SystemColourSchemeAndAssignedFrameColours) {
  auto lab = MakeLabel();
  lab->SetEmpty(true);
  lab->SetColorScheme(csSystem);
  EXPECT_EQ(Px(*lab, L, 10), Rgb(clBtnShadow));
  EXPECT_EQ(Px(*lab, L + B + 2, 10), Rgb(clBtnHighlight));
  EXPECT_NE(Rgb(clBtnShadow), Rgb(clGray));

  TNumLab copy;
  copy.resize(W, H);
  copy.Assign(lab.get()); // scheme and frame colours travel together
  EXPECT_EQ(copy.ColorScheme(), csSystem);
  EXPECT_EQ(Px(copy, L, 10), Rgb(clBtnShadow));
}

TEST(TNumLab, SideTextsArePlacedByTheirAlignment) {
  auto lab = MakeLabel();
  lab->SetEmpty(true);
  lab->SetColorOutText(clBlue);
  lab->SetLeftText("R");
  lab->SetRightText("Ohm");
  const QRgb bg = Rgb(clAqua);
  const int wl = TextWidth(*lab, "R"), wr = TextWidth(*lab, "Ohm");

  lab->SetLeftTextAlignment(taLeftJustify);
  auto ink = InkColumns(*lab, bg, 0, L - 1, 0, H - 1);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.front(), 7);
  EXPECT_LE(ink.back(), 7 + wl);
  lab->SetLeftTextAlignment(taRightJustify); // ends 5 pixels before the box
  ink = InkColumns(*lab, bg, 0, L - 1, 0, H - 1);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.front(), L - wl - 5);
  EXPECT_LE(ink.back(), L - 5);
  EXPECT_GE(ink.back(), L - 5 - 3);

  lab->SetRightTextAlignment(taLeftJustify); // starts 7 pixels after the box
  ink = InkColumns(*lab, bg, L + B + 3, W - 1, 0, H - 1);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.front(), L + B + 7);
  EXPECT_LE(ink.front(), L + B + 7 + 2);
  lab->SetRightTextAlignment(taRightJustify); // ends 6 pixels before the right edge
  ink = InkColumns(*lab, bg, L + B + 3, W - 1, 0, H - 1);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.front(), W - wr - 6);
  EXPECT_LE(ink.back(), W - 6);
  EXPECT_GE(ink.back(), W - 6 - 3);
}

TEST(TNumLab, OverflowIsMeasuredInPixels) {
  auto lab = MakeLabel();
  const QString text = QStringLiteral("12345.678");
  const int w = TextWidth(*lab, text);
  lab->OnBeforeDisplay = [&](QObject*, QString& t) { t = text; };
  lab->SetLabelWidth(w + 6); // exactly fits: LabelWidth - 6 = w
  EXPECT_EQ(lab->ShownText(), text);
  lab->SetLabelWidth(w + 5); // one pixel too wide
  EXPECT_EQ(lab->ShownText(), "*********");

  // A state text of any width is clipped, never replaced.
  lab->OnBeforeDisplay = nullptr;
  lab->SetLabelWidth(B);
  lab->SetColorLabText(clRed);
  lab->SetDisplayType(TNumLab::dtState);
  lab->SetAlignment(taLeftJustify);
  lab->SetStateText(QStringLiteral("a very long state text that cannot fit at all"));
  EXPECT_EQ(lab->ShownText(), lab->StateText());
  const auto red = ColumnsWith(*lab, Rgb(clRed), 0, W - 1);
  ASSERT_FALSE(red.empty());
  EXPECT_GE(red.front(), L + 3);
  EXPECT_LE(red.back(), L + B - 2); // clip rectangle (L + 3, 2, L + B - 1, H - 3)
}

TEST(TNumLab, OverflowIndicatorIsAlignedByItsOwnWidth) {
  for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
    SCOPED_TRACE(int(a));
    auto overflowing = MakeLabel();
    overflowing->SetAlignment(a);
    overflowing->SetValue(1e12); // "1000000000000.00" is wider than the box
    EXPECT_EQ(overflowing->ShownText(), "*********");
    auto direct = MakeLabel();
    direct->SetAlignment(a);
    direct->OnBeforeDisplay = [](QObject*, QString& t) { t = QStringLiteral("*********"); };
    direct->Paint();
    EXPECT_EQ(overflowing->Picture(), direct->Picture());
  }
}

TEST(TNumLab, LongerTextFromTheHandlerIsTestedForOverflow) {
  auto lab = MakeLabel();
  lab->SetOverflowIndicator("#");
  lab->OnBeforeDisplay = [](QObject*, QString& t) { t += QStringLiteral(" is much too long for the box"); };
  lab->SetValue(4.7);
  EXPECT_EQ(lab->ShownText(), "#");
  lab->OnBeforeDisplay = [](QObject*, QString& t) { t += QStringLiteral(" V"); };
  lab->SetValue(4.8);
  EXPECT_EQ(lab->ShownText(), "4.80 V");
}

TEST(TNumLab, EmptyDrawsTheBoxWithoutText) {
  auto lab = MakeLabel();
  lab->SetColorLabText(clRed);
  lab->SetValue(4.7);
  EXPECT_FALSE(ColumnsWith(*lab, Rgb(clRed), L, L + B).empty());
  int calls = 0;
  lab->OnBeforeDisplay = [&](QObject*, QString&) { ++calls; };
  lab->SetEmpty(true);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lab->ShownText(), "");
  for (int x = L + 2; x < L + B; ++x)
    for (int y = 2; y < H - 2; ++y) ASSERT_EQ(Px(*lab, x, y), Rgb(clYellow)) << x << "," << y;
  EXPECT_EQ(Px(*lab, L + 1, 10), Rgb(clBlack)); // the frame is still there
}

TEST(TNumLab, DisabledLooksEngraved) {
  auto lab = MakeLabel();
  lab->SetColorOutText(clBlue);
  lab->SetColorLabText(clRed);
  lab->SetLeftText("H");
  lab->SetRightText("H");
  lab->SetValue(8.88);
  const QRgb bg = Rgb(clAqua), white = Rgb(clWhite), grey = Rgb(clGray);
  const QRect left(0, 0, L, H), right(L + B + 3, 0, W - L - B - 3, H), box(L + 3, 2, B - 4, H - 5);
  const QRect leftInk = InkBox(*lab, bg, left), rightInk = InkBox(*lab, bg, right);
  lab->SetRightTextAlignment(taRightJustify);
  const QRect rightJustifiedInk = InkBox(*lab, bg, right);

  lab->SetEnabled(false);
  EXPECT_FALSE(lab->isEnabled());
  // Side texts: grey, with a white copy one pixel lower and to the right (to the left
  // for a right-justified right text); no text colour anywhere.
  EXPECT_TRUE(std::isnan(Centroid(*lab, Rgb(clBlue), lab->rect()).x()));
  EXPECT_FALSE(std::isnan(Centroid(*lab, grey, left).x()));
  EXPECT_FALSE(std::isnan(Centroid(*lab, white, left).x()));
  EXPECT_EQ(InkBox(*lab, bg, left), leftInk.adjusted(0, 0, 1, 1));
  EXPECT_EQ(InkBox(*lab, bg, right), rightJustifiedInk.adjusted(-1, 0, 0, 1));
  lab->SetRightTextAlignment(taLeftJustify);
  EXPECT_EQ(InkBox(*lab, bg, right), rightInk.adjusted(0, 0, 1, 1));
  // The value: grey, without a white copy.
  EXPECT_TRUE(std::isnan(Centroid(*lab, Rgb(clRed), box).x()));
  EXPECT_FALSE(std::isnan(Centroid(*lab, grey, box).x()));
  EXPECT_TRUE(std::isnan(Centroid(*lab, white, box).x()));

  lab->SetEnabled(true);
  EXPECT_EQ(InkBox(*lab, bg, left), leftInk);
  EXPECT_FALSE(std::isnan(Centroid(*lab, Rgb(clRed), box).x()));
}

TEST(TNumLab, TransparentLabelLetsTheParentShowThrough) {
  QWidget parent;
  parent.resize(200, 40);
  QPalette pal = parent.palette();
  const QColor parentColor(0x20, 0x80, 0xC0);
  pal.setColor(QPalette::Window, parentColor);
  parent.setPalette(pal);
  parent.setAutoFillBackground(true);
  auto* lab = new TNumLab(&parent);
  lab->setGeometry(10, 5, W, H);
  lab->SetLeftSpace(L);
  lab->SetLabelWidth(B);
  lab->SetColorOutBakG(clAqua);
  lab->SetColorLabBakG(clYellow);
  lab->SetEmpty(true);
  parent.show();
  QCoreApplication::processEvents();

  auto render = [&] {
    QImage image(parent.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    parent.render(&image);
    return image;
  };
  QImage opaque = render();
  EXPECT_EQ(opaque.pixel(15, 15) & 0xFFFFFFu, Rgb(clAqua));
  EXPECT_EQ(opaque.pixel(10 + 60, 15) & 0xFFFFFFu, Rgb(clYellow));

  lab->SetTransparent(true);
  QCoreApplication::processEvents();
  QImage transparent = render();
  EXPECT_EQ(transparent.pixel(15, 15) & 0xFFFFFFu, parentColor.rgb() & 0xFFFFFFu);
  EXPECT_EQ(transparent.pixel(10 + W - 3, 15) & 0xFFFFFFu, parentColor.rgb() & 0xFFFFFFu);
  EXPECT_EQ(transparent.pixel(10 + 60, 15) & 0xFFFFFFu, Rgb(clYellow)); // the box stays
  // The outline (grey) ANDed with the background.
  const QRgb anded = (Rgb(clGray) & parentColor.rgb()) & 0xFFFFFFu;
  EXPECT_EQ(transparent.pixel(10 + L, 15) & 0xFFFFFFu, anded);

  // Text in black stays black on the parent's background.
  lab->SetEmpty(false);
  lab->SetLeftText("W");
  lab->SetColorOutText(clBlack);
  QCoreApplication::processEvents();
  transparent = render();
  bool black = false;
  for (int x = 10; x < 10 + L; ++x)
    for (int y = 5; y < 5 + H; ++y) black |= (transparent.pixel(x, y) & 0xFFFFFFu) == 0;
  EXPECT_TRUE(black);
}

TEST(TNumLab, AssignCopiesTheDisplaySettingsOnly) {
  auto src = MakeLabel();
  src->SetLeftText("U");
  src->SetRightText("V");
  src->SetPrecision(4);
  src->SetFrameStyle(fsRaised);
  src->SetAlignment(taLeftJustify);
  src->SetLeftTextAlignment(taCenter);
  src->SetRightTextAlignment(taCenter);
  src->SetOverflowIndicator("!");
  src->SetStateText("off");
  src->SetValue(1.5);
  src->SetColorLabText(clRed);
  src->SetColorOutText(clBlue);
  src->SetDisplayType(TNumLab::dtExp);
  src->SetComma(true);
  src->SetForcePlusSign(true);
  src->SetDTFormat("yyyy");
  src->SetEnabled(false);
  src->SetEmpty(true);

  TNumLab dest;
  dest.resize(W, H);
  int calls = 0;
  dest.OnBeforeDisplay = [&](QObject*, QString&) { ++calls; };
  dest.Assign(src.get());
  EXPECT_EQ(dest.LeftSpace(), L);
  EXPECT_EQ(dest.LabelWidth(), B);
  EXPECT_EQ(dest.LeftText(), "U");
  EXPECT_EQ(dest.RightText(), "V");
  EXPECT_EQ(dest.Precision(), 4);
  EXPECT_EQ(dest.FrameStyle(), fsRaised);
  EXPECT_EQ(dest.Alignment(), taLeftJustify);
  EXPECT_EQ(dest.LeftTextAlignment(), taCenter);
  EXPECT_EQ(dest.RightTextAlignment(), taCenter);
  EXPECT_EQ(dest.OverflowIndicator(), "!");
  EXPECT_EQ(dest.StateText(), "off");
  EXPECT_EQ(dest.Value(), 1.5);
  EXPECT_EQ(dest.ColorLabBakG(), clYellow);
  EXPECT_EQ(dest.ColorOutBakG(), clAqua);
  EXPECT_EQ(dest.ColorLabText(), clRed);
  EXPECT_EQ(dest.ColorOutText(), clBlue);
  EXPECT_EQ(dest.DisplayType(), TNumLab::dtExp);
  EXPECT_TRUE(dest.Empty());
  // Not copied: separator, plus sign, date pattern, enabled state, handler.
  EXPECT_FALSE(dest.Comma());
  EXPECT_FALSE(dest.ForcePlusSign());
  EXPECT_EQ(dest.DTFormat(), "mmm-dd, yyyy");
  EXPECT_TRUE(dest.Enabled());
  EXPECT_TRUE(static_cast<bool>(dest.OnBeforeDisplay));
  EXPECT_EQ(Px(dest, L + 1, 10), Rgb(clWhite)); // repainted: raised frame

  TNumLab other;
  src->SetEmpty(false);
  src->AssignTo(&other); // assigning a label to a label copies it there
  EXPECT_EQ(other.LeftText(), "U");
  EXPECT_EQ(other.ValueText(), "1.500E+000");

  QObject plain;
  EXPECT_THROW(dest.Assign(&plain), EConvertError);
  EXPECT_THROW(dest.Assign(nullptr), EConvertError);
  EXPECT_THROW(src->AssignTo(&plain), EConvertError);
}

TEST(TNumLab, MouseAreaFollowsTheMouseBeforeOnMouseMove) {
  auto lab = MakeLabel();
  std::vector<int> seen;
  lab->OnMouseMove = [&](QObject*, Qt::KeyboardModifiers, int, int) { seen.push_back(lab->MouseArea()); };
  for (int x : {0, L, L + 1, L + B, L + B + 1, W - 1}) {
    TestMouse::Move(*lab, QPoint(x, 5));
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 1, 2, 2}));

  int clicks = 0;
  lab->OnClick = [&](QObject* s) {
    EXPECT_EQ(s, lab.get());
    ++clicks;
  };
  TestMouse::Click(*lab, QPoint(50, 5));
  EXPECT_EQ(clicks, 1);
}

TEST(TNumLab, FontFollowsTheWindowUntilSetByItsOwnSettings) {
  QWidget form;
  form.setObjectName("Form");
  auto* lab = new TNumLab(&form);
  lab->setObjectName("NLab");
  ApplyStoredSettings(&form, "[Form]\nFont.Name = \"Arial\"\nFont.Height = -20\n", "form.settings");
  EXPECT_TRUE(lab->ParentFont());
  EXPECT_EQ(lab->Font()->Height(), -20);
  EXPECT_EQ(lab->Font()->Name(), "Arial");

  ApplyStoredSettings(&form, "[NLab]\nFont.Height = -11\nValue = 4.7\n", "form.settings");
  EXPECT_FALSE(lab->ParentFont());
  EXPECT_EQ(lab->Font()->Height(), -11);
  EXPECT_EQ(lab->ValueText(), "4.70");
  ApplyStoredSettings(&form, "[Form]\nFont.Height = -30\n", "form.settings");
  EXPECT_EQ(lab->Font()->Height(), -11);
  lab->SetParentFont(true);
  EXPECT_EQ(lab->Font()->Height(), -30);
}

TEST(TNumLab, ImpossibleGeometryDoesNotCrash) {
  auto lab = MakeLabel();
  lab->SetValue(1.0);
  lab->SetLabelWidth(-40);
  lab->SetValue(2.0);
  EXPECT_EQ(lab->ShownText(), "*********");
  lab->resize(0, 0);
  lab->SetValue(3.0);
  EXPECT_TRUE(lab->Picture().isNull());
  lab->resize(3, 2);
  lab->SetLabelWidth(B);
  lab->SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(lab->Picture().size(), QSize(3, 2));
}
