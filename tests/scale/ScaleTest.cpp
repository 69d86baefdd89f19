// The scale's model: setter rules, value-to-pixel mapping, the tick record,
// painting control and copying; and the date/time label settings.
#include "TScale.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

// ---- TDTLabel ---------------------------------------------------------------------------

TEST(DTLabel, BareDefaultsAndNotifications) {
  TDTLabel d;
  EXPECT_EQ(d.TimeFormat(), tfHHMMSS);
  EXPECT_TRUE(d.DateSeparator().isEmpty());
  EXPECT_TRUE(d.DateSeparatorChar().isNull());
  EXPECT_EQ(d.YearLength(), ylNone);
  EXPECT_FALSE(d.MonthName());
  EXPECT_EQ(d.DateOrder(), doMMDDYY);
  EXPECT_EQ(d.DateForTime(), dtNone);

  int changes = 0;
  d.OnChange = [&](QObject*) { ++changes; };
  d.SetTimeFormat(tfHHMMSS); // always notifies
  d.SetDateOrder(doMMDDYY);  // always notifies
  EXPECT_EQ(changes, 2);
  d.SetYearLength(ylNone); // unchanged values stay silent
  d.SetMonthName(false);
  d.SetDateForTime(dtNone);
  d.SetDateSeparator(QString());
  EXPECT_EQ(changes, 2);
  d.SetDateSeparator(QStringLiteral("/"));
  d.SetTimeSeparator(QStringLiteral("."));
  d.SetMonthName(true);
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(d.DateSeparator(), QStringLiteral("/"));
  EXPECT_TRUE(d.setProperty("YearLength", QStringLiteral("ylYY")));
  EXPECT_EQ(d.YearLength(), ylYY);
}

TEST(DTLabel, AssignCopiesTheSettingsNotTheHandler) {
  TDTLabel from, to;
  from.ApplyScaleDefaults();
  int fromChanges = 0, toChanges = 0;
  from.OnChange = [&](QObject*) { ++fromChanges; };
  to.OnChange = [&](QObject*) { ++toChanges; };
  to.Assign(from);
  EXPECT_EQ(to.DateSeparator(), QStringLiteral("-"));
  EXPECT_EQ(to.TimeSeparator(), QStringLiteral(":"));
  EXPECT_EQ(to.YearLength(), ylYYYY);
  EXPECT_TRUE(to.MonthName());
  EXPECT_EQ(to.DateForTime(), dtOnePerDay);
  EXPECT_EQ(to.DateOrder(), doDDMMYY);
  EXPECT_EQ(toChanges, 1);
  to.SetTimeFormat(tfAMPM);
  EXPECT_EQ(fromChanges, 0);
}

// ---- setters ----------------------------------------------------------------------------

TEST(Scale, DefaultsOfCreation) {
  TScale s;
  EXPECT_EQ(s.width(), 400);
  EXPECT_EQ(s.height(), 400);
  EXPECT_EQ(s.ScaleType(), sctXB);
  EXPECT_EQ(s.RangeLow(), 0.0);
  EXPECT_EQ(s.RangeHigh(), 100.0);
  EXPECT_EQ(s.DecPlaces(), -2);
  EXPECT_EQ(s.MinTicks(), 3);
  EXPECT_EQ(s.CaptionPosX(), 4);
  EXPECT_EQ(s.MarginBottom(), 20);
  EXPECT_EQ(s.ColorBackGnd(), clBtnFace);
  EXPECT_EQ(s.FrameStyle(), fsLowered);
  EXPECT_TRUE(s.SuppressPaint());
  EXPECT_TRUE(s.LoadingFlag());
  EXPECT_FALSE(s.ChartOwned());
  EXPECT_EQ(s.DateFormat()->DateOrder(), doDDMMYY);
  EXPECT_EQ(s.DateFormat()->TimeSeparator(), QStringLiteral(":"));
}

TEST(Scale, RangeEndsNeverMeet) {
  TScale s;
  s.SetRangeLow(5);
  s.SetRangeHigh(5);
  EXPECT_EQ(s.RangeLow(), 6.0);
  EXPECT_EQ(s.RangeHigh(), 5.0);
  s.SetRangeLow(5);
  EXPECT_EQ(s.RangeLow(), 5.0);
  EXPECT_EQ(s.RangeHigh(), 6.0);
}

TEST(Scale, LogarithmicNeedsAPositiveRangeOnceLoaded) {
  TScale s; // range 0 .. 100
  s.SetLogarithmic(true);
  EXPECT_TRUE(s.Logarithmic()); // accepted while loading
  s.SetLogarithmic(false);
  s.Loaded();
  EXPECT_FALSE(s.LoadingFlag());
  s.SetLogarithmic(true);
  EXPECT_FALSE(s.Logarithmic());
  s.SetRangeLow(1);
  s.SetLogarithmic(true);
  EXPECT_TRUE(s.Logarithmic());
  s.SetLabelType(ftDateTime);
  EXPECT_FALSE(s.Logarithmic());
  s.SetLogarithmic(true);
  EXPECT_FALSE(s.Logarithmic());
}

TEST(Scale, ClampingSetters) {
  TScale s;
  s.SetLabelType(ftTime);
  EXPECT_EQ(s.DecPlaces(), 4);
  s.SetDecPlaces(13);
  EXPECT_EQ(s.DecPlaces(), 12);
  s.SetDecPlaces(-4);
  EXPECT_EQ(s.DecPlaces(), -3);
  s.SetMinTicks(0);
  EXPECT_EQ(s.MinTicks(), 0);
  s.SetMinTicks(1);
  EXPECT_EQ(s.MinTicks(), 2);
  s.SetMinTicks(50);
  EXPECT_EQ(s.MinTicks(), 10);
  s.SetMarginLeft(-5);
  s.SetMarginTop(-1);
  EXPECT_EQ(s.MarginLeft(), 0);
  EXPECT_EQ(s.MarginTop(), 0);

  s.SetColorScheme(csSystem);
  EXPECT_EQ(s.FrameShadowColor(), clBtnShadow);
  EXPECT_EQ(s.FrameLightColor(), clBtnHighlight);
  s.SetColorScheme(csBWG);
  EXPECT_EQ(s.FrameShadowColor(), 0x808080u);
  EXPECT_EQ(s.FrameLightColor(), clWhite);
}

// The settings handed over in one value keep every setter's rule, in the setters' order.
TEST(Scale, AxisSettingsGoThroughTheSetterRules) {
  TScale s;
  s.Loaded();
  TAxisSettings a;
  a.RangeLow = 5;
  a.RangeHigh = 5;          // the ends meet: the low end moves away
  a.Logarithmic = true;     // checked on the range just set
  a.LabelType = ftTime;     // forces 4 decimal places
  a.DecPlaces = 20;
  a.MinTicks = 1;
  a.Caption = QStringLiteral("t_us");
  a.Visible = false;
  s.SetAxisSettings(a);
  EXPECT_EQ(s.RangeLow(), 6.0);
  EXPECT_EQ(s.RangeHigh(), 5.0);
  EXPECT_TRUE(s.Logarithmic()); // 6 .. 5 is positive
  EXPECT_EQ(s.DecPlaces(), 4);
  EXPECT_EQ(s.MinTicks(), 2);
  EXPECT_EQ(s.AxisSettings().Caption, QStringLiteral("t_us"));
  EXPECT_FALSE(s.Visible());

  a.RangeLow = -1;
  a.LabelType = ftDateTime; // a date axis is never logarithmic
  s.SetAxisSettings(a);
  EXPECT_FALSE(s.Logarithmic());
  EXPECT_EQ(s.DecPlaces(), 12);
}

// ---- mapping ------------------------------------------------------------------------------

TEST(ScaleMapping, LinearHorizontalAndVertical) {
  TScale s; // 400 wide, margins 20: 0 at x 20, 100 at x 379
  EXPECT_EQ(s.ValueToPixel(0), 20);
  EXPECT_EQ(s.ValueToPixel(100), 379);
  s.SetRangeHigh(359); // one unit per pixel
  EXPECT_EQ(s.ValueToPixel(0.5), 20); // 20.5 rounds to even
  EXPECT_EQ(s.ValueToPixel(1.5), 22); // 21.5 rounds to even
  EXPECT_EQ(s.ValueToPixel(1e300), 2147483647);
  EXPECT_EQ(s.ValueToPixel(-1e300), -2147483647);

  s.SetScaleType(sctYL); // high end at the top
  EXPECT_EQ(s.ValueToPixel(359), 20);
  EXPECT_EQ(s.ValueToPixel(0), 379);
  s.SetRangeLow(359); // inverted: low end at the top
  s.SetRangeHigh(0);
  EXPECT_EQ(s.ValueToPixel(359), 379);
}

TEST(ScaleMapping, LogarithmicAndDegenerateSizes) {
  TScale s;
  s.SetRangeLow(1);
  s.SetRangeHigh(1000);
  s.SetLogarithmic(true);
  EXPECT_EQ(s.ValueToPixel(1), 20);
  EXPECT_EQ(s.ValueToPixel(10), 140); // 20 + 359 / 3
  EXPECT_EQ(s.ValueToPixel(1000), 379);
  EXPECT_EQ(s.ValueToPixel(0), 0);
  s.SetRangeLow(1000);
  s.SetRangeHigh(1);
  EXPECT_EQ(s.ValueToPixel(-2), 400);

  // Narrower than its margins: every value maps to the middle.
  TScale narrow;
  narrow.SetBounds(0, 0, 30, 400);
  EXPECT_EQ(narrow.ScaleFactor(), 0.0);
  EXPECT_EQ(narrow.ValueToPixel(0), 15);
  EXPECT_EQ(narrow.ValueToPixel(77), 15);
}

// ---- painting and the tick record ---------------------------------------------------------

class ExternalCanvas : public ::testing::Test {
protected:
  void SetUp() override {
    image.SetSize(200, 100);
    image.Canvas().Brush.Color = clWhite;
    image.Canvas().FillRect(0, 0, 200, 100);
    scale.SetChartOwned(true);
    scale.SetSuppressPaint(true);
    scale.SetExternalCanvas(&image.Canvas(), 0, 0);
    scale.SetTransparent(true);
    scale.SetBounds(0, 0, 200, 100);
    scale.SetColorScale(clRed);
  }
  TBitmap image;
  TScale scale;
};

TEST_F(ExternalCanvas, ForcedPaintDrawsWhilePaintIsSuppressed) {
  // sctXB: base line at y = 100 - 20 - 1 = 79 from x 20.
  scale.Redraw();
  EXPECT_EQ(image.Image().pixel(100, 79), ColorToRGB(clWhite));
  int before = 0, after = 0;
  scale.OnBeforeScaleRendered = [&](QObject*, TCanvas& c) {
    EXPECT_EQ(&c, &image.Canvas());
    ++before;
  };
  scale.OnAfterScaleRendered = [&](QObject*, TCanvas&) { ++after; };
  scale.ForcedPaint();
  EXPECT_TRUE(scale.SuppressPaint());
  EXPECT_EQ(image.Image().pixel(100, 79), ColorToRGB(clRed));
  EXPECT_EQ(image.Image().pixel(scale.ValueToPixel(52.5), 78), ColorToRGB(clWhite)); // between ticks
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);

  // A chart's invisible scale draws nothing.
  scale.SetScaleType(sctYL); // base line at x = 20
  scale.SetVisible(false);
  scale.ForcedPaint();
  EXPECT_EQ(image.Image().pixel(20, 50), ColorToRGB(clWhite));
  scale.SetVisible(true);
  scale.SetShowBaseLine(false);
  scale.ForcedPaint();
  EXPECT_EQ(image.Image().pixel(20, scale.ValueToPixel(52.5)), ColorToRGB(clWhite)); // between ticks
  scale.SetShowBaseLine(true);
  scale.ForcedPaint();
  EXPECT_EQ(image.Image().pixel(20, scale.ValueToPixel(52.5)), ColorToRGB(clRed));
}

TEST_F(ExternalCanvas, OpaqueScaleFillsItsAreaAtTheOffset) {
  scale.SetBounds(0, 0, 50, 40);
  scale.SetTransparent(false);
  scale.SetColorBackGnd(clYellow);
  scale.SetFrameStyle(fsSimple);
  scale.SetExternalCanvas(&image.Canvas(), 100, 50);
  scale.ForcedPaint();
  EXPECT_EQ(image.Image().pixel(125, 60), ColorToRGB(clYellow));
  EXPECT_EQ(image.Image().pixel(100, 50), ColorToRGB(clBlack)); // simple frame
  EXPECT_EQ(image.Image().pixel(149, 89), ColorToRGB(clBlack));
  EXPECT_EQ(image.Image().pixel(99, 50), ColorToRGB(clWhite));
  EXPECT_EQ(image.Image().pixel(150, 60), ColorToRGB(clWhite));
}

TEST(Scale, TickPositionOutsideTheRecordIsZero) {
  TScale s;
  EXPECT_EQ(s.NumTicks(), 0);
  EXPECT_EQ(s.TickPosition(0), 0.0);
  EXPECT_EQ(s.TickPosition(1), 0.0);
  EXPECT_EQ(s.TickPosition(-7), 0.0);
}

TEST(Scale, AssignCopiesTheAxis) {
  TScale a, b;
  TBitmap target(10, 10);
  a.SetScaleType(sctYR);
  a.SetRangeLow(-3);
  a.SetRangeHigh(7);
  a.SetCaption(QStringLiteral("V"));
  a.SetMarginLeft(33);
  a.SetFrameStyle(fsRaised);
  a.SetColorScheme(csSystem);
  a.DateFormat()->SetDateSeparator(QStringLiteral("/"));
  a.SetExternalCanvas(&target.Canvas(), 4, 5);
  a.SetSuppressPaint(false);
  int ticks = 0;
  a.OnScaleTickDrawn = [&](QObject*, TCanvas&, TScaleType, double, int, int) { ++ticks; };
  b.Assign(a);
  EXPECT_EQ(b.ScaleType(), sctYR);
  EXPECT_EQ(b.RangeLow(), -3.0);
  EXPECT_EQ(b.RangeHigh(), 7.0);
  EXPECT_EQ(b.Caption(), QStringLiteral("V"));
  EXPECT_EQ(b.MarginLeft(), 33);
  EXPECT_EQ(b.FrameStyle(), fsRaised);
  EXPECT_EQ(b.FrameLightColor(), clBtnHighlight);
  EXPECT_EQ(b.DateFormat()->DateSeparator(), QStringLiteral("/"));
  EXPECT_NE(b.DateFormat(), a.DateFormat());
  EXPECT_EQ(b.ExternalCanvas(), &target.Canvas());
  EXPECT_FALSE(b.SuppressPaint());
  EXPECT_EQ(b.ScaleFactor(), a.ScaleFactor());
  ASSERT_TRUE(static_cast<bool>(b.OnScaleTickDrawn));
}

} // namespace
