// Pixel tests of drawn scales: tick lengths, label and caption positions, frames,
// transparent painting, messages, the tick record and printing at true point size.
#include "Pixels.h"
#include "TScale.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <gtest/gtest.h>

namespace {

constexpr TColor kBack = clWhite, kScale = clRed, kText = clBlue;

// The bounding box of the text pixels inside area: blue text, smoothed against
// a white background, is clearly bluer than red (ticks) and white (background).
QRect InkBox(const QImage& image, const QRect& area) {
  return TestPixels::InkBox(image, [](QRgb p) { return qBlue(p) - qRed(p) > 60; }, area & image.rect());
}

// A stand-alone opaque scale drawing into its own window surface.
class DrawnScale : public ::testing::Test {
protected:
  void SetUp() override {
    scale.SetBounds(0, 0, 200, 60);
    scale.SetColorBackGnd(kBack);
    scale.SetColorScale(kScale);
    scale.SetFrameStyle(fsNone);
    scale.Font()->SetColor(kText);
    scale.Loaded();
    scale.SetSuppressPaint(false); // as when its window is created
  }
  const QImage& Image() { return scale.WindowImage(); }
  TColor At(int x, int y) { return RGBToColor(Image().pixel(x, y)); }
  TScale scale;
};

TEST_F(DrawnScale, HorizontalTicksAndLabels) {
  // sctXB, 0 .. 100 over x 20 .. 179, base line at y 39; majors every 20, shorts every 5.
  const int x20 = scale.ValueToPixel(20), x5 = scale.ValueToPixel(5);
  EXPECT_EQ(At(100, 39), kScale);
  EXPECT_EQ(At(x20, 33), kScale); // long tick: 7 pixels from the base line
  EXPECT_EQ(At(x20, 32), kBack);
  EXPECT_EQ(At(x5, 36), kScale); // short tick: 4 pixels
  EXPECT_EQ(At(x5, 35), kBack);
  EXPECT_EQ(At(100, 40), kBack);
  // Labels sit above the long ticks, centred on them.
  TCanvas& c = scale.WindowCanvas();
  const int h = c.TextHeight("0");
  const QRect label = InkBox(Image(), QRect(x20 - 15, 39 - h - 7, 30, h));
  ASSERT_FALSE(label.isEmpty());
  EXPECT_NEAR(label.center().x(), x20, 2);
  EXPECT_TRUE(InkBox(Image(), QRect(0, 39 - 6, 200, 7)).isEmpty());
  EXPECT_EQ(scale.NumTicks(), 21);
  EXPECT_EQ(scale.TickPosition(1), 0.0);
  EXPECT_EQ(scale.TickPosition(2), 5.0);

  scale.SetScaleType(sctXT); // base line at y 20, ticks and labels below
  EXPECT_EQ(At(x20, 26), kScale);
  EXPECT_EQ(At(x20, 27), kBack);
  EXPECT_EQ(At(x5, 23), kScale);
  EXPECT_EQ(At(x5, 24), kBack);
  EXPECT_FALSE(InkBox(Image(), QRect(x20 - 15, 27, 30, h)).isEmpty());
}

TEST_F(DrawnScale, HorizontalLabelsStayInsideTheControl) {
  scale.SetMarginLeft(0);
  scale.SetMarginRight(1); // the ticks at 0 and 100 lie on the control's edges
  scale.SetRangeHigh(10000);
  const QRect all = InkBox(Image(), QRect(0, 0, 200, 39));
  EXPECT_GE(all.left(), 2);
  EXPECT_LE(all.left(), 4);
  // The text box ends at Width - 2 (one pixel later for an odd width: w - 2 x (w / 2) = 1).
  EXPECT_LE(all.right(), 198);
  EXPECT_GE(all.right(), 193);
}

TEST_F(DrawnScale, VerticalTicksAndLabels) {
  scale.SetBounds(0, 0, 80, 200);
  scale.SetScaleType(sctYL); // base line at x 20; 100 at y 20, 0 at y 179
  const int y20 = scale.ValueToPixel(20), y5 = scale.ValueToPixel(5);
  EXPECT_EQ(At(20, 100), kScale);
  EXPECT_EQ(At(25, y20), kScale); // long: 6 pixels
  EXPECT_EQ(At(26, y20), kBack);
  EXPECT_EQ(At(23, y5), kScale); // short: 4 pixels
  EXPECT_EQ(At(24, y5), kBack);
  TCanvas& c = scale.WindowCanvas();
  const int h = c.TextHeight("0");
  const QRect label = InkBox(Image(), QRect(20, y20 - h, 60, 2 * h));
  ASSERT_FALSE(label.isEmpty());
  EXPECT_GE(label.left(), 28);
  EXPECT_LE(label.left(), 30);
  EXPECT_NEAR(label.center().y(), y20, 3);
  EXPECT_EQ(scale.NumTicks(), 27); // shorts, then the majors again

  scale.SetScaleType(sctYR); // base line at x 59, labels end 8 pixels left of it
  EXPECT_EQ(At(54, y20), kScale);
  EXPECT_EQ(At(53, y20), kBack);
  const QRect right = InkBox(Image(), QRect(0, y20 - h, 59, 2 * h));
  EXPECT_LE(right.right(), 51);
  EXPECT_GE(right.right(), 48);
}

// The date line of a sub-day calendar tick sits directly above the tick's time
// label (top at y - 3 x (hd / 2)), also when that top lies above the control: it
// is then cut off at the edge, never moved onto the time label.
TEST_F(DrawnScale, VerticalDateLinesStayAboveTheirTimeLabels) {
  scale.SetBounds(0, 0, 120, 240);
  scale.SetScaleType(sctYL);
  scale.SetMarginTop(10); // the top tick's time label starts near the top edge
  scale.SetLabelType(ftDateTime);
  scale.SetShortTicks(false);
  scale.SetRangeLow(45000.25); // 06:00 .. 18:00, a tick every 3 hours
  scale.SetRangeHigh(45000.75);
  TCanvas& c = scale.WindowCanvas();
  const int h = c.TextHeight("0");
  const int top = scale.ValueToPixel(45000.75), middle = scale.ValueToPixel(45000.5);
  ASSERT_EQ(top, 10);
  ASSERT_LT(top - 3 * (h / 2), 0);
  const auto timeRows = [&](int y) { return Image().copy(28, y - h / 2 + 1, 92, h - 1); };

  scale.DateFormat()->SetDateForTime(dtNone);
  const QImage topTime = timeRows(top), middleTime = timeRows(middle);
  const QRect middleInk = InkBox(Image(), QRect(28, middle - 2 * h, 92, 4 * h));
  ASSERT_FALSE(middleInk.isEmpty());

  scale.DateFormat()->SetDateForTime(dtAllTicks);
  EXPECT_TRUE(timeRows(top) == topTime);
  EXPECT_TRUE(timeRows(middle) == middleTime);
  // Away from the edge the date line shows whole above the time label...
  const QRect middleDate = InkBox(Image(), QRect(28, middle - 2 * h, 92, 4 * h));
  EXPECT_LT(middleDate.top(), middleInk.top() - h / 2);
  EXPECT_GE(middleDate.top(), middle - 3 * (h / 2));
  // ... and at the top only its lowest rows are left inside the control.
  EXPECT_FALSE(InkBox(Image(), QRect(28, 0, 92, top - h / 2 + 1)).isEmpty());
}

TEST_F(DrawnScale, CaptionAnchorsAndAlignment) {
  scale.SetShowBaseLine(false);
  scale.SetLabelType(ftNoFigs);
  scale.SetCaption("usec");
  scale.SetCaptionAnchor(uaSclBotRgt);
  scale.SetCaptionAlignment(taRightJustify);
  scale.SetCaptionPosX(-3);
  scale.SetCaptionPosY(2);
  const int w = scale.WindowCanvas().TextWidth("usec");
  QRect ink = InkBox(Image(), Image().rect());
  // Ends at Width - MarginRight + CaptionPosX, top at the base line + CaptionPosY.
  EXPECT_LE(ink.right(), 200 - 20 - 3 - 1);
  EXPECT_GE(ink.left(), 200 - 20 - 3 - w);
  EXPECT_GE(ink.top(), 41);
  EXPECT_EQ(At(scale.ValueToPixel(52.5), 39), kBack); // no base line between the ticks

  scale.SetCaptionAnchor(uaSclCenter);
  scale.SetCaptionAlignment(taCenter);
  scale.SetCaptionPosX(0);
  ink = InkBox(Image(), Image().rect());
  EXPECT_NEAR(ink.center().x(), 100, 3);

  scale.SetBounds(0, 0, 80, 200);
  scale.SetScaleType(sctYL);
  scale.SetCaptionAnchor(uaSclTopLft);
  scale.SetCaptionAlignment(taLeftJustify);
  ink = InkBox(Image(), Image().rect());
  EXPECT_GE(ink.left(), 20);
  EXPECT_LE(ink.left(), 22);
  EXPECT_GE(ink.top(), 22);
}

TEST_F(DrawnScale, FrameStylesAndSchemes) {
  scale.SetBounds(0, 0, 50, 40);
  const TColor grey = 0x808080, silver = 0xC0C0C0, fill = 0xFFFFFFFF; // fill: the background shows
  struct Row {
    TFrameStyle style;
    TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
  };
  const Row rows[] = {{fsSimple, clBlack, clBlack, fill, fill},
                      {fsLowered, grey, clWhite, clBlack, silver},
                      {fsRaised, clWhite, clBlack, silver, grey},
                      {fsEmbossed, clWhite, grey, grey, clWhite},
                      {fsEngraved, grey, clWhite, clWhite, grey}};
  scale.SetColorBackGnd(clYellow);
  for (const Row& r : rows) {
    scale.SetFrameStyle(r.style);
    const TColor innerTL = r.innerTopLeft == fill ? clYellow : r.innerTopLeft;
    const TColor innerBR = r.innerBottomRight == fill ? clYellow : r.innerBottomRight;
    EXPECT_EQ(At(0, 10), r.outerTopLeft) << r.style;
    EXPECT_EQ(At(10, 0), r.outerTopLeft) << r.style;
    EXPECT_EQ(At(49, 10), r.outerBottomRight) << r.style;
    EXPECT_EQ(At(10, 39), r.outerBottomRight) << r.style;
    EXPECT_EQ(At(1, 10), innerTL) << r.style;
    EXPECT_EQ(At(48, 10), innerBR) << r.style;
    EXPECT_EQ(At(10, 38), innerBR) << r.style;
  }
  scale.SetFrameStyle(fsNone);
  EXPECT_EQ(At(0, 10), clYellow);
  scale.SetFrameStyle(fsLowered);
  scale.SetColorScheme(csSystem);
  EXPECT_EQ(Image().pixel(0, 10), ColorToRGB(clBtnShadow));
}

TEST(ScaleOnACanvas, TransparentDrawsNoBackgroundOrFrameAndRaisesEvents) {
  TBitmap image(200, 60);
  image.Canvas().Brush.Color = clAqua;
  image.Canvas().FillRect(0, 0, 200, 60);
  TScale scale;
  scale.SetBounds(0, 0, 200, 60);
  scale.SetChartOwned(true);
  scale.SetExternalCanvas(&image.Canvas(), 0, 10);
  scale.SetTransparent(true);
  scale.SetFrameStyle(fsRaised);
  scale.SetColorBackGnd(clYellow);
  scale.SetColorScale(kScale);
  std::vector<QPoint> points;
  std::vector<double> values;
  scale.OnScaleTickDrawn = [&](QObject* sender, TCanvas& c, TScaleType type, double v, int x, int y) {
    EXPECT_EQ(sender, &scale);
    EXPECT_EQ(&c, &image.Canvas());
    EXPECT_EQ(type, sctXB);
    points.push_back({x, y});
    values.push_back(v);
  };
  scale.ForcedPaint();
  EXPECT_EQ(image.Image().pixel(0, 0), ColorToRGB(clAqua));
  EXPECT_EQ(image.Image().pixel(199, 59), ColorToRGB(clAqua));
  EXPECT_EQ(image.Image().pixel(100, 30), ColorToRGB(clAqua));
  ASSERT_EQ(points.size(), 27u); // 21 short and 6 long tick marks
  // Only OffsetY applies to a horizontal scale: base line at 10 + 39.
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].y(), 49);
    EXPECT_EQ(points[i].x(), scale.ValueToPixel(values[i]));
  }
  EXPECT_EQ(image.Image().pixel(100, 49), ColorToRGB(kScale));
}

TEST(ScaleOnACanvas, MessagesInsteadOfTicks) {
  TBitmap image(200, 200);
  for (TScaleType type : {sctXB, sctYL, sctYR}) {
    image.Canvas().Brush.Color = clWhite;
    image.Canvas().FillRect(0, 0, 200, 200);
    TScale scale;
    scale.SetBounds(0, 0, 200, 200);
    scale.SetChartOwned(true);
    scale.SetExternalCanvas(&image.Canvas(), 0, 0);
    scale.SetTransparent(true);
    scale.SetShowBaseLine(false);
    scale.Font()->SetColor(kText);
    scale.SetScaleType(type);
    scale.SetLabelType(ftDateTime);
    scale.SetRangeLow(100);
    scale.SetRangeHigh(50); // inverted: invalid
    scale.ForcedPaint();
    EXPECT_EQ(scale.NumTicks(), 0);
    const QRect ink = InkBox(image.Image(), image.Image().rect());
    ASSERT_FALSE(ink.isEmpty()) << type;
    const int p = scale.ValueToPixel(75);
    const int h = image.Canvas().TextHeight("T");
    if (type == sctXB) {
      EXPECT_NEAR(ink.center().x(), p, 2);
      EXPECT_GE(ink.top(), 179 + 7);
    } else {
      EXPECT_GE(ink.top(), p - h); // three lines from p - h
      EXPECT_LE(ink.bottom(), p + 2 * h);
      EXPECT_GT(ink.bottom(), p + h);
      if (type == sctYL) {
        EXPECT_GE(ink.left(), 22);
      } else {
        EXPECT_LE(ink.right(), 179 - 2);
      }
    }
  }
}

TEST(ScaleOnACanvas, TheRecordKeepsTheFirst250Ticks) {
  TBitmap image(800, 60);
  TScale scale;
  scale.SetBounds(0, 0, 800, 60);
  scale.SetChartOwned(true);
  scale.SetExternalCanvas(&image.Canvas(), 0, 0);
  scale.SetTransparent(true);
  scale.SetMinTicks(0);
  scale.SetRangeHigh(400); // whole numbers: 401 short ticks and 401 long ones
  int drawn = 0;
  scale.OnScaleTickDrawn = [&](QObject*, TCanvas&, TScaleType, double, int, int) { ++drawn; };
  scale.ForcedPaint();
  EXPECT_EQ(drawn, 802);
  EXPECT_EQ(scale.NumTicks(), 250);
  EXPECT_EQ(scale.TickPosition(250), 249.0);
  EXPECT_EQ(scale.TickPosition(251), 0.0);
}

// A handler that throws while the chart has its scale draw: the scale goes back
// to drawing only when asked, instead of painting onto the chart's image on its own.
TEST(ScaleOnACanvas, AThrowingHandlerLeavesPaintingSuppressed) {
  TBitmap image(200, 60);
  TScale scale;
  scale.SetBounds(0, 0, 200, 60);
  scale.SetChartOwned(true);
  scale.SetExternalCanvas(&image.Canvas(), 0, 0);
  scale.SetSuppressPaint(true);
  int drawn = 0;
  scale.OnScaleTickDrawn = [&](QObject*, TCanvas&, TScaleType, double, int, int) {
    ++drawn;
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(scale.ForcedPaint(), std::runtime_error);
  EXPECT_EQ(drawn, 1);
  EXPECT_TRUE(scale.SuppressPaint());
  scale.SetRangeHigh(50); // a change redraws nothing by itself
  EXPECT_EQ(drawn, 1);
}

TEST(ScaleOnACanvas, AbsurdRangesPaintWithoutFailing) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  TBitmap image(300, 300);
  const double ranges[][2] = {{nan, 1}, {0, inf}, {-1e308, 1e308}, {1e300, 1e300 * 1.0000001}, {5e-324, 1e-323}};
  for (const auto& r : ranges)
    for (TScaleType type : {sctXB, sctXT, sctYL, sctYR})
      for (TFigType labels : {ftNum, ftTime, ftDateTime}) {
        TScale scale;
        scale.SetBounds(0, 0, 300, 300);
        scale.SetChartOwned(true);
        scale.SetExternalCanvas(&image.Canvas(), 0, 0);
        scale.SetTransparent(true);
        scale.SetScaleType(type);
        scale.SetLabelType(labels);
        scale.SetRangeLow(r[0]);
        scale.SetRangeHigh(r[1]);
        scale.SetLogarithmic(true); // unchecked on a scale that is not loaded
        scale.ForcedPaint();
        scale.SetLogarithmic(false);
        scale.ForcedPaint();
        EXPECT_LE(scale.NumTicks(), TScale::MaxRecordedTicks);
      }
}

TEST(ScaleOnACanvas, PrintingKeepsThePointSize) {
  QTemporaryDir dir;
  QPdfWriter pdf(dir.filePath("scale.pdf"));
  pdf.setResolution(1200);
  TCanvas printer(&pdf);
  TScale scale;
  scale.SetBounds(0, 0, 400, 80);
  scale.SetChartOwned(true);
  scale.SetTransparent(true);
  scale.Font()->SetSize(10); // 13 pixels on the screen
  scale.SetExternalCanvas(&printer, 0, 0);
  scale.ForcedPaint();
  EXPECT_EQ(printer.Font.Height, -167); // 10 points at 1200 pixels per inch
  EXPECT_EQ(scale.NumTicks(), 21);
  printer.EndDraw();

  TBitmap screen(400, 80); // an image canvas keeps the screen size
  scale.SetExternalCanvas(&screen.Canvas(), 0, 0);
  scale.ForcedPaint();
  EXPECT_EQ(screen.Canvas().Font.Height, -13);
}

} // namespace
