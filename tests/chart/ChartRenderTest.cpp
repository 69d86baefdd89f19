// What the chart draws: grid values and grid styles, shadow, caption,
// background picture modes and highlighted areas, crosshairs and text labels.
#include "TRChart.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

QRgb Rgb(TColor c) { return ColorToRGB(c); }

std::vector<double> Grid(const TRChart& chart, bool x) {
  std::vector<double> values(TCustomRChart::MaxGridLines);
  values.resize(static_cast<size_t>(chart.GridValues(x, values.data())));
  return values;
}

void ExpectValues(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9 * std::max(1.0, want[i])) << i;
}

// A shown chart (280 x 200, margins 50, 20, 20, 40) with one world unit per
// pixel in layer 1: world (x, y) is data-image pixel (x, 140 - y) and control
// pixel (x + 50, 160 - y).
class Drawn : public ::testing::Test {
protected:
  void SetUp() override {
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(1, 0, 0, 210, 140);
  }
  QRgb Data(int x, int y) { return chart.DataImage().Image().pixel(x, y); }
  QRgb Window(int x, int y) { return chart.WindowImage().pixel(x, y); }
  // Width and height of a text in a font, as the chart's canvas measures them.
  static QSize TextSize(const TFontData& font, const QString& text) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(&scratch);
    canvas.Font = font;
    return QSize(canvas.TextWidth(text), canvas.TextHeight(text));
  }
  TRChart chart;
};

// ---- grid values ------------------------------------------------------------------------------

TEST_F(Drawn, GridStepsOnLinearAxes) {
  chart.SetLayerRange(1, 0, 0, 10, 10);
  chart.SetGridDx(0.3);
  std::vector<double> want;
  for (int i = 0; i <= 33; ++i) want.push_back(i * 0.3); // the last value below 10 is 9.9
  ExpectValues(Grid(chart, true), want);

  // A negative step on a linear axis steps by its size from a multiple below the range.
  chart.SetLayerRange(1, 0, 10.5, 10, 0.5); // inverted: the grid walks upwards all the same
  chart.SetGridDy(-2);
  ExpectValues(Grid(chart, false), {0, 2, 4, 6, 8, 10});

  // Steps below -3 are ignored; a step too fine for the range stops after 1000 lines.
  chart.SetGridDx(-3.5);
  EXPECT_EQ(chart.GridDx(), 0.3);
  chart.SetGridDx(0.001);
  const std::vector<double> fine = Grid(chart, true);
  ASSERT_EQ(fine.size(), 1000u);
  EXPECT_NEAR(fine.back(), 0.999, 1e-9);
}

TEST_F(Drawn, GridStepsOnLogarithmicAxes) {
  chart.Scale1X()->SetRangeLow(1);
  chart.Scale1X()->SetRangeHigh(1000);
  chart.Scale1X()->SetLogarithmic(true);
  ASSERT_TRUE(chart.Scale1X()->Logarithmic());
  chart.SetGridDx(-1);
  ExpectValues(Grid(chart, true), {1, 10, 100});
  chart.SetGridDx(-2);
  ExpectValues(Grid(chart, true), {2, 5, 10, 20, 50, 100, 200, 500});
  chart.SetGridDx(-3);
  std::vector<double> want;
  for (double decade : {1.0, 10.0, 100.0})
    for (int m = 1; m <= 9; ++m) want.push_back(m * decade);
  ExpectValues(Grid(chart, true), want);
  // Any other negative step starts at the low end and goes on in leading-digit steps.
  chart.SetGridDx(-2.5);
  chart.Scale1X()->SetRangeLow(3.7);
  ExpectValues(Grid(chart, true), {3.7, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100,
                                   200, 300, 400, 500, 600, 700, 800, 900});
  // A positive step counts linearly even on a logarithmic axis.
  chart.SetGridDx(300);
  ExpectValues(Grid(chart, true), {300, 600, 900});
  // -2 and -3 start from the low end's leading digit.
  chart.Scale1X()->SetRangeLow(30);
  chart.SetGridDx(-2);
  ExpectValues(Grid(chart, true), {50, 100, 200, 500});
  chart.SetGridDx(-3);
  EXPECT_NEAR(Grid(chart, true).front(), 30, 1e-9);
}

TEST(ChartGrid, ALogarithmicAxisThatReachesZeroEndsTheWalk) {
  // A chart made in code accepts a logarithmic axis on 0 ... 1 (its objects never load).
  TRChart chart;
  chart.Scale1X()->SetLogarithmic(true);
  ASSERT_TRUE(chart.Scale1X()->Logarithmic());
  for (double step : {-1.0, -2.0, -3.0, -2.5}) {
    chart.SetGridDx(step);
    EXPECT_LE(Grid(chart, true).size(), 1000u) << step;
  }
}

TEST_F(Drawn, GridWithoutAStepFollowsTheRecordedTicks) {
  chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  chart.SetGridStyle(gsLines); // paints: the scales record their ticks
  for (bool x : {true, false}) {
    TScale* scale = x ? chart.ScaleObjectX(1) : chart.ScaleObjectY(1);
    ASSERT_GE(scale->NumTicks(), 1);
    std::vector<double> want;
    const double hi = x ? 10 : 1.1;
    for (int i = 1; i <= scale->NumTicks() && scale->TickPosition(i) < hi; ++i)
      want.push_back(scale->TickPosition(i));
    ExpectValues(Grid(chart, x), want);
  }
}

// ---- grid styles ------------------------------------------------------------------------------

TEST_F(Drawn, GridStylesDrawLinesDotsAndPoints) {
  chart.SetGridColor(clRed);
  chart.SetGridDx(30);
  chart.SetGridDy(35);

  chart.SetGridStyle(gsVertLines);
  for (int y = 1; y < 140; ++y) ASSERT_EQ(Data(30, y), Rgb(clRed)) << y;
  EXPECT_EQ(Data(31, 70), Rgb(clWhite));
  EXPECT_EQ(Data(100, 105), Rgb(clWhite)); // no horizontal lines

  chart.SetGridStyle(gsHorizLines);
  for (int x = 1; x < 210; ++x) ASSERT_EQ(Data(x, 105), Rgb(clRed)) << x;
  EXPECT_EQ(Data(30, 50), Rgb(clWhite));

  // Dotted lines: three on, three off, the gaps in ChartColor.
  chart.SetChartColor(clYellow);
  chart.SetGridStyle(gsDotLines);
  int on = 0, off = 0;
  for (int y = 1; y < 140; ++y) {
    const QRgb p = Data(60, y);
    ASSERT_TRUE(p == Rgb(clRed) || p == Rgb(clYellow)) << y;
    (p == Rgb(clRed) ? on : off)++;
  }
  EXPECT_GT(on, 60);
  EXPECT_GT(off, 60);
  on = off = 0;
  for (int x = 1; x < 210; ++x) (Data(x, 70) == Rgb(clRed) ? on : off)++; // y = 70 is a grid value
  EXPECT_GT(on, 90);
  EXPECT_GT(off, 90);

  // Points at every pair of grid values: 6 x 3 inside the frame.
  chart.SetGridStyle(gsPoints);
  int points = 0;
  for (int x = 1; x < 210; ++x)
    for (int y = 1; y < 140; ++y) points += Data(x, y) == Rgb(clRed);
  EXPECT_EQ(points, 18);
  EXPECT_EQ(Data(30, 105), Rgb(clRed));
  EXPECT_EQ(Data(180, 35), Rgb(clRed));

  // The fast path draws the same grid; NoGrid leaves it out.
  chart.ShowItems();
  EXPECT_EQ(Window(30 + 50, 105 + 20), Rgb(clRed));
  chart.DrawDataBackground(chart.DataImage().Canvas(), 0, 0);
  chart.RenderItems(chart.DataImage().Canvas(), 0, 0, false, true);
  EXPECT_EQ(Data(30, 105), Rgb(clYellow));
}

// ---- shadow and caption -----------------------------------------------------------------------

TEST_F(Drawn, ShadowInBothStyles) {
  chart.SetShadowColor(clNavy);
  chart.SetShadowBakColor(clLime);
  const int W = 280, H = 200;
  // Width 0: neither shadow nor page outline.
  EXPECT_EQ(Window(W - 1, H - 1), Rgb(clBtnFace));

  chart.SetShadowWidth(8);
  // Flying: a flat shadow that starts SW - 1 from the page's left and top ends.
  EXPECT_EQ(Window(W - 4, 3), Rgb(clLime));   // top-right corner square
  EXPECT_EQ(Window(3, H - 4), Rgb(clLime));   // bottom-left corner square
  EXPECT_EQ(Window(W - 4, 10), Rgb(clNavy));  // right shadow
  EXPECT_EQ(Window(100, H - 2), Rgb(clNavy)); // bottom shadow
  EXPECT_EQ(Window(W - 8, 100), Rgb(clBlack)); // page outline at W - SW
  EXPECT_EQ(Window(100, H - 8), Rgb(clBlack));
  EXPECT_EQ(Window(0, 100), Rgb(clBlack));
  EXPECT_EQ(Window(100, 0), Rgb(clBlack));
  EXPECT_EQ(chart.DataImage().Width(), W - 50 - 20 - 8 + 1);

  // Box: slanted faces from the page's corners, outlined in black.
  chart.SetShadowStyle(ssBox);
  EXPECT_EQ(Window(W - 2, 2), Rgb(clLime));    // above the slant
  EXPECT_EQ(Window(W - 4, 100), Rgb(clNavy));  // right face
  EXPECT_EQ(Window(W - 1, 100), Rgb(clBlack)); // its outer edge
  EXPECT_EQ(Window(2, H - 2), Rgb(clLime));    // left of the bottom slant
  EXPECT_EQ(Window(100, H - 4), Rgb(clNavy));
  EXPECT_EQ(Window(100, H - 1), Rgb(clBlack));
}

TEST_F(Drawn, CaptionSitsAtItsAnchor) {
  const QString text = QStringLiteral("Title");
  const QSize size = TextSize(chart.Font()->Data(), text);
  ASSERT_GT(size.width(), 0);
  // The text as a canvas draws it at (x, y) with a clear brush on WindColor.
  auto expectCaptionAt = [&](int x, int y) {
    QImage reference(chart.WindowImage().size(), QImage::Format_RGB32);
    reference.fill(Rgb(clBtnFace));
    TCanvas canvas(&reference);
    canvas.Font = chart.Font()->Data();
    canvas.Brush.Style = bsClear;
    canvas.TextOut(x, y, text);
    const QRect area(x, y, size.width(), size.height());
    EXPECT_EQ(chart.WindowImage().copy(area), reference.copy(area)) << x << "," << y;
  };
  // Defaults: right-justified, ending at the data area's right edge, 16 above its top.
  chart.SetCaption(text);
  expectCaptionAt(280 - 20 - size.width(), 20 - 16);

  chart.Scale1X()->SetVisible(false);
  chart.SetShadowWidth(8);
  chart.SetCaptionAlignment(taLeftJustify);
  chart.SetCaptionAnchorHoriz(cahChartLeft);
  chart.SetCaptionAnchorVert(cavChartBottom);
  chart.SetCaptionPosY(0);
  expectCaptionAt(50, 200 - 40); // 8 below the data area's bottom line
  chart.SetCaptionAlignment(taCenter);
  chart.SetCaptionAnchorHoriz(cahChartCenter);
  chart.SetCaptionPosX(3);
  expectCaptionAt(3 + 50 + (280 - 50 - 20 - 8) / 2 - size.width() / 2, 160);
}

// ---- background ---------------------------------------------------------------------------------

TEST_F(Drawn, BackgroundPictureModes) {
  QTemporaryDir dir;
  QImage picture(2, 1, QImage::Format_RGB32);
  picture.setPixel(0, 0, Rgb(clRed));
  picture.setPixel(1, 0, Rgb(clBlue));
  const QString file = dir.filePath(QStringLiteral("two.bmp"));
  ASSERT_TRUE(picture.save(file, "BMP"));
  chart.BackGroundImg()->SetIncludePath(true);
  chart.BackGroundImg()->SetName(file);

  chart.BackGroundImg()->SetFillMode(bfStretch);
  EXPECT_EQ(Data(50, 70), Rgb(clRed));
  EXPECT_EQ(Data(160, 70), Rgb(clBlue));
  EXPECT_EQ(Data(0, 70), Rgb(clBlack)); // the frame is drawn over it

  chart.BackGroundImg()->SetFillMode(bfTile);
  EXPECT_EQ(Data(10, 5), Rgb(clRed));
  EXPECT_EQ(Data(11, 5), Rgb(clBlue));
  EXPECT_EQ(Data(208, 139), Rgb(clRed));
  EXPECT_EQ(Data(209, 139), Rgb(clBlue));

  chart.BackGroundImg()->SetFillMode(bfSimple);
  EXPECT_EQ(Data(1, 1), Rgb(clWhite)); // the 2 x 1 picture lies under the frame's top row
  EXPECT_EQ(Data(1, 0), Rgb(clBlack));
  EXPECT_EQ(Data(100, 70), Rgb(clWhite));
  EXPECT_EQ(chart.BackGroundImg()->Name(), file);

  // A picture file that is gone, or is no picture, is dropped at the next drawing.
  QFile::remove(file);
  chart.Paint();
  EXPECT_TRUE(chart.BackGroundImg()->Name().isEmpty());
  EXPECT_EQ(Data(100, 70), Rgb(clWhite));
  QFile broken(dir.filePath(QStringLiteral("broken.bmp")));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("BM not a picture");
  broken.close();
  chart.SetAutoRedraw(false);
  chart.BackGroundImg()->SetName(broken.fileName());
  chart.ClearItems(); // draws the background outside any paint
  EXPECT_TRUE(chart.BackGroundImg()->Name().isEmpty());
}

TEST_F(Drawn, HighlightedAreaInEveryMode) {
  TBakGndImg* bg = chart.BackGroundImg();
  bg->SetAreaColor(clAqua);
  bg->SetAreaLeft(30);
  bg->SetAreaRight(60);
  bg->SetAreaTop(100);
  bg->SetAreaBottom(50);
  // Data-image pixels: xl = 30, xr = 60, yt = 40, yb = 90; right and bottom exclusive.
  struct Case {
    TBGAreaMode mode;
    QPoint inside, outside;
  };
  const Case cases[] = {
      {bamLeft, {29, 130}, {30, 130}},   {bamRight, {60, 130}, {59, 130}},
      {bamTop, {150, 39}, {150, 40}},    {bamBottom, {150, 90}, {150, 89}},
      {bamVStripe, {45, 130}, {60, 130}}, {bamHStripe, {150, 60}, {150, 90}},
      {bamRect, {59, 89}, {45, 90}},
  };
  for (const Case& c : cases) {
    bg->SetAreaMode(c.mode);
    EXPECT_EQ(Data(c.inside.x(), c.inside.y()), Rgb(clAqua)) << c.mode;
    EXPECT_EQ(Data(c.outside.x(), c.outside.y()), Rgb(clWhite)) << c.mode;
  }
  bg->SetAreaMode(bamVStripe);
  EXPECT_EQ(Data(25, 130), Rgb(clWhite));
  // Far outside the range the area is clamped, not lost.
  bg->SetAreaMode(bamRect);
  bg->SetAreaRight(1e300);
  bg->SetAreaBottom(-1e300);
  EXPECT_EQ(Data(200, 130), Rgb(clAqua));
  EXPECT_EQ(Data(20, 130), Rgb(clWhite));
  bg->SetAreaMode(bamNone);
  EXPECT_EQ(Data(45, 60), Rgb(clWhite));
}

// ---- crosshairs -------------------------------------------------------------------------------

TEST_F(Drawn, CrosshairsStayInsideTheDataArea) {
  TCrossHair* ch = chart.CrossHair1();
  ch->SetColor(clRed);
  ch->SetPosX(105);
  ch->SetPosY(70); // control pixel (155, 90)
  ch->SetMode(chBoth);
  EXPECT_EQ(Window(51, 90), Rgb(clRed));
  EXPECT_EQ(Window(259, 90), Rgb(clRed));
  EXPECT_EQ(Window(260, 90), Rgb(clBlack)); // frame: the line's end pixel is left out
  EXPECT_EQ(Window(50, 90), Rgb(clBlack));
  EXPECT_EQ(Window(155, 21), Rgb(clRed));
  EXPECT_EQ(Window(155, 159), Rgb(clRed));
  EXPECT_EQ(Window(155, 160), Rgb(clBlack));
  EXPECT_EQ(Window(154, 89), Rgb(clWhite));

  // The fast path draws them into the data image at its place in the window.
  chart.ShowItems();
  EXPECT_EQ(Data(105, 70), Rgb(clRed));
  EXPECT_EQ(Window(51, 90), Rgb(clRed));
  EXPECT_EQ(Window(155, 159), Rgb(clRed));

  // Only a horizontal line; on the data area's edge (within half the width) nothing.
  ch->SetMode(chHoriz);
  EXPECT_EQ(Window(155, 50), Rgb(clWhite));
  ch->SetLineWid(5); // h = 2: drawn only when 22 < py < 158
  ch->SetPosY(138);  // py = 22
  EXPECT_EQ(Window(100, 22), Rgb(clWhite));
  EXPECT_EQ(Window(100, 23), Rgb(clWhite));
  ch->SetPosY(137); // py = 23: a band of five rows from x = 53 (with the wide pen's round ends)
  for (int y = 21; y <= 25; ++y) EXPECT_EQ(Window(100, y), Rgb(clRed)) << y;
  EXPECT_EQ(Window(100, 26), Rgb(clWhite));
  EXPECT_NE(Window(48, 23), Rgb(clRed));
  ch->SetPosY(-5); // below the range: not drawn into the margin
  int red = 0;
  for (int x = 0; x < 280; ++x) red += Window(x, 165) == Rgb(clRed);
  EXPECT_EQ(red, 0);

  // Another layer's mapping places crosshair 2.
  chart.SetLayerRange(2, 0, 0, 1, 1);
  chart.CrossHair2()->SetColor(clBlue);
  chart.CrossHair2()->SetPosX(0.5);
  chart.CrossHair2()->SetMode(chVert);
  EXPECT_EQ(Window(155, 100), Rgb(clBlue));
  chart.CrossHair2()->SetMode(chOff);
  ch->SetMode(chOff);
  EXPECT_EQ(Window(155, 100), Rgb(clWhite));
}

// ---- text labels ------------------------------------------------------------------------------

TEST_F(Drawn, TextLabelBoxesAndShadows) {
  ASSERT_NE(chart.TextLabel(1), nullptr);
  ASSERT_NE(chart.TextLabel(30), nullptr);
  EXPECT_EQ(chart.TextLabel(0), nullptr);
  EXPECT_EQ(chart.TextLabel(31), nullptr);
  TTextLabel* l = chart.TextLabel(1);
  EXPECT_FALSE(l->Visible());
  EXPECT_EQ(l->Mode(), tlOff);

  const QSize text = TextSize(l->Font()->Data(), QStringLiteral("Hi"));
  const int tw = text.width(), th = text.height();
  l->SetAttachToData(tlamNone);
  l->SetPosX(150); // control pixels
  l->SetPosY(100);
  l->SetAlignment(taLeftJustify);
  l->SetColorBkg(clYellow);
  l->SetColorBorder(clRed);
  l->SetCaption(QStringLiteral("Hi"));
  l->SetMode(tlBox);
  EXPECT_EQ(Window(148, 99), Rgb(clWhite)); // invisible still
  l->SetVisible(true);
  // Box (146, 100 - th - 2) - (150 + tw + 4, 102), outline on the right and bottom inside.
  const int left = 146, top = 100 - th - 2, right = 150 + tw + 4 - 1, bottom = 101;
  EXPECT_EQ(Window(left, 95), Rgb(clRed));
  EXPECT_EQ(Window(right, 95), Rgb(clRed));
  EXPECT_EQ(Window(148, top), Rgb(clRed));
  EXPECT_EQ(Window(148, bottom), Rgb(clRed));
  EXPECT_EQ(Window(148, 99), Rgb(clYellow));
  EXPECT_EQ(Window(left - 1, 95), Rgb(clWhite));
  EXPECT_EQ(Window(right + 1, 95), Rgb(clWhite));
  EXPECT_EQ(Window(148, bottom + 1), Rgb(clWhite));

  // Transparent: only the outline and the text.
  l->SetTransparent(true);
  EXPECT_EQ(Window(148, 99), Rgb(clWhite));
  EXPECT_EQ(Window(left, 95), Rgb(clRed));
  l->SetTransparent(false);

  // Shadow: the box again, shifted by (3, 3) in the shadow colour, under the box.
  l->SetMode(tlShadow);
  EXPECT_EQ(Window(right + 3, bottom + 3), Rgb(clGray));
  EXPECT_EQ(Window(right + 1, top + 2), Rgb(clWhite));
  EXPECT_EQ(Window(right + 1, top + 3), Rgb(clGray));
  EXPECT_EQ(Window(right, bottom), Rgb(clRed));

  // Simple: filled without a visible border; underline: a border-coloured base line.
  l->SetMode(tlsimple);
  EXPECT_EQ(Window(left, 95), Rgb(clYellow));
  l->SetMode(tlUnderline);
  EXPECT_EQ(Window(151, 100), Rgb(clRed));
  EXPECT_EQ(Window(150 + tw, 100), Rgb(clYellow)); // the line's end pixel is left out

  // Label 1 is drawn last, over label 2 at the same place.
  TTextLabel* l2 = chart.TextLabel(2);
  l2->SetAttachToData(tlamNone);
  l2->SetPosX(150);
  l2->SetPosY(100);
  l2->SetAlignment(taLeftJustify);
  l2->SetColorBkg(clLime);
  l2->SetCaption(QStringLiteral("Hi"));
  l2->SetMode(tlsimple);
  l2->SetVisible(true);
  EXPECT_EQ(Window(148, 99), Rgb(clYellow));
  l->SetVisible(false);
  EXPECT_EQ(Window(148, 99), Rgb(clLime));
}

TEST_F(Drawn, TextLabelAnchorsAndLines) {
  TTextLabel* l = chart.TextLabel(3);
  l->SetColorBkg(clYellow);
  l->SetCaption(QStringLiteral("A\nBB"));
  l->SetAlignment(taRightJustify);
  l->SetVerticalAlignment(vaBottom);
  l->SetMode(tlsimple);
  l->SetPosX(150); // world, layer 1: control (200, 90)
  l->SetPosY(70);
  l->SetVisible(true);
  const TFontData font = l->Font()->Data();
  const int th = TextSize(font, QStringLiteral("A")).height();
  const int wa = TextSize(font, QStringLiteral("A")).width();
  const int tw = TextSize(font, QStringLiteral("BB")).width();
  ASSERT_GT(wa, 0);
  ASSERT_GT(tw, wa);
  // Ink (non-background pixels) of one line, between two rows of the window.
  auto ink = [&](int top, int bottom) {
    QRect r;
    for (int y = top; y < bottom; ++y)
      for (int x = 100; x < 260; ++x)
        if (Window(x, y) != Rgb(clYellow) && Window(x, y) != Rgb(clWhite)) r |= QRect(x, y, 1, 1);
    return r;
  };
  const QRect a = ink(90 - 2 * th, 90 - th), bb = ink(90 - th, 90);
  ASSERT_FALSE(a.isEmpty());
  ASSERT_FALSE(bb.isEmpty());
  // Both lines end at the anchor; "A" is right-aligned above "BB".
  EXPECT_LE(a.right(), 200);
  EXPECT_GE(a.right(), 200 - 3);
  EXPECT_LE(bb.right(), 200);
  EXPECT_GE(bb.right(), 200 - 3);
  EXPECT_GE(a.left(), 200 - wa - 1);
  EXPECT_LT(bb.left(), a.left());
  // The box spans both lines: 2 above the block, 2 below the anchor, 4 beside it.
  EXPECT_EQ(Window(200 - tw - 4, 90 - 2 * th - 2), Rgb(clYellow));
  EXPECT_EQ(Window(200 + 3, 91), Rgb(clYellow));
  EXPECT_EQ(Window(200 + 4, 91), Rgb(clWhite));
  EXPECT_EQ(Window(200 - tw - 5, 90), Rgb(clWhite));

  // vaTop puts the anchor at the block's top, vaCenter in its middle.
  l->SetVerticalAlignment(vaTop);
  EXPECT_FALSE(ink(90, 90 + th).isEmpty());
  EXPECT_TRUE(ink(90 - 2 * th, 90 - 2).isEmpty());
  // tlamXOnly: x from the layer, y in control pixels.
  l->SetAttachToData(tlamXOnly);
  l->SetPosY(40);
  EXPECT_FALSE(ink(40, 40 + th).isEmpty());
  // A label anchored far away is clipped, not clamped into view.
  l->SetPosX(1e12);
  EXPECT_TRUE(ink(40, 40 + 2 * th).isEmpty());
}

} // namespace
