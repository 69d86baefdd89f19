// Large display lists: the list's storage (capacity in AllocSize steps, storage
// kept across ClearItems), and the item drawing's shortcuts (column runs drawn as
// spans, items outside the image skipped) against a straightforward drawing of
// every item, pixel for pixel.
#include "ItemList.h"
#include "ItemRuns.h"
#include "Pixels.h"
#include "TRChart.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

namespace {

using Platform::TPenStyle;

// ---- storage ------------------------------------------------------------------------------

TEST(LargeList, CapacityReadsAllocSizeStepsWhileStorageGrowsGeometrically) {
  TRChart c;
  c.SetAllocSize(1000);
  c.MoveTo(0, 0);
  for (int i = 1; i < 250000; ++i) c.LineTo(i, 0);
  EXPECT_EQ(c.ItemCount(), 250000);
  EXPECT_EQ(c.Capacity(), 250000);
  c.LineTo(1, 1);
  EXPECT_EQ(c.Capacity(), 251000);
  // Two runs (one move-to, the line-tos); storage at most twice what is used.
  EXPECT_EQ(c.Items().Runs().size(), 2u);
  EXPECT_LE(c.Items().StorageBytes(), 2 * 250001 * sizeof(TItemPoint) + 1024);
  EXPECT_EQ(c.Item(250000).Y, 1.0);
  EXPECT_EQ(c.Item(249999).X, 249999.0);

  // The storage stays across ClearItems; the capacity starts again from 0.
  const TItemPoint* storage = c.Items().Points();
  c.ClearItems();
  EXPECT_EQ(c.Capacity(), 0);
  EXPECT_EQ(c.Items().Points(), storage);
  c.MoveTo(5, 5);
  EXPECT_EQ(c.Capacity(), 1000);
  EXPECT_EQ(c.Items().Points(), storage);
  EXPECT_EQ(c.Item(0).X, 5.0);
  EXPECT_EQ(c.Item(1).X, 0.0); // beyond the count: an empty item, not the old one
}

TEST(LargeList, StorageIsKeptUpToItsBound) {
  TItemList list;
  const TItemAttrs line{clBlack, clSilver, 1, 1, Platform::psSolid, 0, ikLineTo, 0};
  // Exactly the bound stays (a list of 4,000,001 points is redrawn without new storage).
  const size_t bound = TItemList::RetainedBytes / sizeof(TItemPoint);
  for (size_t i = 0; i < bound; ++i) list.Append(line, double(i), 0);
  const TItemPoint* storage = list.Points();
  list.Clear();
  EXPECT_EQ(list.Points(), storage);
  const size_t beyond = bound + 1;
  for (size_t i = 0; i < beyond; ++i) list.Append(line, double(i), 0);
  EXPECT_GT(list.PointBytes(), TItemList::RetainedBytes);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.PointBytes(), 0u);
  list.Append(line, 1, 2);
  EXPECT_EQ(list.Item(0).Y, 2.0);
}

TEST(LargeList, RunsKeepEveryItemsAttributesAndTrackRisingX) {
  TItemList list;
  TItemAttrs a{clRed, clSilver, 1, 1, Platform::psSolid, 0, ikLineTo, 0};
  TItemAttrs b = a;
  b.ItemClass = 7;
  list.Append(a, 1, 0);
  list.Append(a, 1, 0); // equal x still rises
  list.Append(a, 2, 0);
  list.Append(b, 0, 0); // a new run may start lower
  list.Append(b, -1, 0);
  list.Append(a, 5, 0);
  list.Append(a, std::numeric_limits<double>::quiet_NaN(), 0);
  ASSERT_EQ(list.Runs().size(), 3u);
  EXPECT_TRUE(list.Runs()[0].Rising);
  EXPECT_FALSE(list.Runs()[1].Rising);
  EXPECT_FALSE(list.Runs()[2].Rising); // NaN is not a rise
  EXPECT_EQ(list.RunOf(2), 0);
  EXPECT_EQ(list.RunOf(3), 1);
  EXPECT_EQ(list.RunOf(6), 2);
  EXPECT_EQ(list.Item(4).ItemClass, 7);
  EXPECT_EQ(list.Item(5).ItemClass, 0);
  EXPECT_EQ(list.Item(5).Color, TColor(clRed));

  TItemList copy;
  copy.AssignPrefix(list, 4);
  EXPECT_EQ(copy.Count(), 4);
  EXPECT_EQ(copy.Runs().size(), 2u);
  EXPECT_EQ(copy.Item(3).ItemClass, 7);
}

// ---- column runs ----------------------------------------------------------------------------

// The pixels a polyline sets on a blank image (the canvas's own line rule).
std::set<std::pair<int, int>> Covered(const std::vector<QPoint>& points) {
  QImage image(40, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  TCanvas canvas(&image);
  canvas.Pen.Color = clBlack;
  canvas.Polyline(points.data(), int(points.size()));
  std::set<std::pair<int, int>> set;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      if (image.pixel(x, y) != QColor(Qt::white).rgb()) set.insert({x, y});
  return set;
}

TEST(ColumnRuns, ReducedPolylinesCoverTheSamePixels) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    // A walk that stays in a few columns for a while, with steps up, down and none,
    // leaving and entering the image.
    std::vector<QPoint> points;
    int x = int(random() % 6) + 15, y = int(random() % 40);
    const int count = 2 + int(random() % 60);
    for (int i = 0; i < count; ++i) {
      points.emplace_back(x, y);
      if (random() % 8 == 0) x += int(random() % 3) - 1;
      y += int(random() % 7) - 3;
      if (random() % 20 == 0) y += int(random() % 41) - 20;
    }
    std::vector<QPoint> reduced(points.size());
    const int n = ItemRuns::ReduceColumnRuns(points.data(), int(points.size()), reduced.data());
    ASSERT_LE(n, int(points.size()));
    reduced.resize(size_t(n));
    ASSERT_EQ(reduced.front(), points.front());
    ASSERT_EQ(reduced.back(), points.back()); // the next polyline continues from here
    ASSERT_EQ(Covered(reduced), Covered(points)) << "round " << round;
  }
  // A long run in one column becomes four points.
  const std::vector<QPoint> column{{3, 10}, {3, 12}, {3, 5}, {3, 9}, {3, 20}, {3, 11}};
  QPoint out[6];
  ASSERT_EQ(ItemRuns::ReduceColumnRuns(column.data(), 6, out), 4);
  EXPECT_EQ(out[1], QPoint(3, 20));
  EXPECT_EQ(out[2], QPoint(3, 5));
}

TEST(ColumnRuns, OnlyPlainHairlinesOnImagesAreReduced) {
  using namespace Platform;
  QImage image(4, 4, QImage::Format_RGB32);
  TCanvas canvas(&image);
  EXPECT_TRUE(ItemRuns::PlainHairline(canvas));
  for (TPenStyle s : {psSolid, psClear, psInsideFrame}) {
    EXPECT_TRUE(ItemRuns::PlainHairlineStyle(s, 0));
    EXPECT_TRUE(ItemRuns::PlainHairlineStyle(s, 1));
    EXPECT_FALSE(ItemRuns::PlainHairlineStyle(s, 2));
  }
  for (TPenStyle s : {psDash, psDot, psDashDot, psDashDotDot})
    EXPECT_FALSE(ItemRuns::PlainHairlineStyle(s, 1));
  canvas.Pen.Mode = pmXor; // pixels set twice would flip back
  EXPECT_FALSE(ItemRuns::PlainHairline(canvas));
  // At device scale 2 a one-pixel pen is two device pixels wide.
  QImage fine(8, 8, QImage::Format_RGB32);
  fine.setDevicePixelRatio(2);
  TCanvas fineCanvas(&fine);
  ASSERT_EQ(fineCanvas.DeviceScale(), 2);
  EXPECT_FALSE(ItemRuns::PlainHairline(fineCanvas));
}

// ---- the item drawing against a straightforward one ------------------------------------------

// The items drawn as the rendering rules say, without any shortcut: every item
// mapped with MapToPixel; line-to items in polylines of at most 200 points with
// the pen changes ending them; a plain hairline's segments each drawn on its own.
void DrawReference(TRChart& c, QImage& image, int xo, int yo, bool monochrome, TPenMode mode) {
  TCanvas canvas(&image);
  canvas.Pen.Mode = mode;
  canvas.Pen.Width = c.LineWidth();
  canvas.Pen.Color = c.ChartColor();
  canvas.Pen.Style = Platform::psSolid;
  canvas.Brush.Color = c.ChartColor();
  QPoint current(xo, yo);
  std::vector<QPoint> buffer;
  auto flush = [&] {
    if (buffer.empty()) return;
    const bool plain = ItemRuns::PlainHairline(canvas);
    if (plain)
      for (size_t i = 1; i < buffer.size(); ++i) {
        canvas.MoveTo(buffer[i - 1].x(), buffer[i - 1].y());
        canvas.LineTo(buffer[i].x(), buffer[i].y());
      }
    else
      canvas.Polyline(buffer.data(), int(buffer.size()));
    current = buffer.back();
    buffer.clear();
  };
  for (int i = 0; i < c.ItemCount(); ++i) {
    const TDisplayItem it = c.Item(i);
    if (!c.ClassVisible(it.ItemClass) || !c.LayerVisible(it.Layer)) continue;
    if (it.LineWidth != canvas.Pen.Width) {
      flush();
      canvas.Pen.Width = it.LineWidth;
    }
    const QPoint m = c.MapToPixel(it.Layer, it.X, it.Y);
    const QPoint p(std::clamp(m.x(), -30000, 30000) - c.MarginLeft() + xo,
                   std::clamp(m.y(), -30000, 30000) - c.MarginTop() + yo);
    if (it.Kind == ikMoveTo) {
      flush();
      current = p;
      continue;
    }
    const TColor color = monochrome ? 0 : it.Color;
    if (color != canvas.Pen.Color || it.PenStyle != canvas.Pen.Style || it.FillColor != canvas.Brush.Color) {
      flush();
      canvas.Pen.Color = color;
      canvas.Pen.Style = it.PenStyle;
      canvas.Brush.Color = it.FillColor;
    }
    if (buffer.empty()) buffer.push_back(current);
    buffer.push_back(p);
    if (buffer.size() == 200) {
      flush();
      buffer.push_back(current);
    }
  }
  flush();
  // The frame of the data area, over the items.
  const int aw = c.width() - c.MarginLeft() - c.MarginRight() - c.ShadowWidth();
  const int ah = c.height() - c.MarginTop() - c.MarginBottom() - c.ShadowWidth();
  canvas.Pen.Width = 1;
  canvas.Pen.Color = c.ChartFrameColor();
  canvas.Pen.Style = Platform::psSolid;
  canvas.MoveTo(xo, yo);
  canvas.LineTo(xo + aw, yo);
  canvas.LineTo(xo + aw, yo + ah);
  canvas.LineTo(xo, yo + ah);
  canvas.LineTo(xo, yo);
}

int Differences(const QImage& a, const QImage& b, QPoint& first) {
  const TestPixels::TPixelDifference d = TestPixels::ComparePixels(a, b);
  if (d.count) first = d.first;
  return d.count;
}

class LargeListPixels : public ::testing::Test {
protected:
  void SetUp() override {
    chart.resize(420, 300);
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(0, 0, -1.1L, 10, 1.1L);
    chart.Paint();
    chart.ClearItems();
    empty = chart.DataImage().Image().copy();
  }
  // The fast redraw of the chart's list against the reference.
  void ExpectSamePixels(const char* what, bool visible) {
    SCOPED_TRACE(what);
    chart.ShowItems();
    QImage expected = empty.copy();
    DrawReference(chart, expected, 0, 0, false, Platform::pmCopy);
    QPoint first;
    const QImage& drawn = chart.DataImage().Image();
    EXPECT_EQ(Differences(drawn, expected, first), 0) << "first at " << first.x() << "," << first.y();
    if (visible) {
      EXPECT_NE(drawn, empty); // something was drawn
    }
    // Into a larger image at an offset, where no frame hides the image's edge columns.
    QImage big(chart.width() + 40, chart.height() + 30, QImage::Format_RGB32);
    big.fill(Qt::white);
    expected = big.copy();
    TCanvas canvas(&big);
    chart.RenderItems(canvas, 20, 10, false, true);
    DrawReference(chart, expected, 20, 10, false, Platform::pmCopy);
    EXPECT_EQ(Differences(big, expected, first), 0) << "offset, first at " << first.x() << "," << first.y();
  }
  void Ranges(const std::vector<std::array<long double, 4>>& views, const char* what) {
    for (const auto& v : views) {
      chart.SetLayerRange(1, v[0], v[1], v[2], v[3]);
      ExpectSamePixels(what, &v == &views.front()); // the first view shows the items
    }
  }
  TRChart chart;
  QImage empty;
};

const std::vector<std::array<long double, 4>> Views{
    {0, -1.1L, 10, 1.1L},   {2, -0.6L, 6, 0.6L},    {4, -0.1L, 4.01L, 0.1L},
    {10, -1.1L, 0, 1.1L},   {6, 0.6L, 2, -0.6L},    {-20, -5, 30, 5},
    {9.9L, -1.1L, 15, 1.1L}, {-5, -1.1L, 0.1L, 1.1L}};

TEST_F(LargeListPixels, DenseAndSteepCurvesInEveryView) {
  chart.MoveTo(0, 0);
  for (int i = 1; i <= 60000; ++i) {
    const double t = i * (10.0 / 60000);
    chart.LineTo(t, std::exp(-0.3 * t) * std::sin(40 * t));
  }
  Ranges(Views, "dense damped sine");

  chart.ClearItems();
  chart.MoveTo(0, 0);
  for (int i = 1; i <= TRChart::LongRun + 10000; ++i) // a zigzag from far below to far above
    chart.LineTo(i * (10.0 / 60000), (i % 2 ? 1 : -1) * (i % 7 == 0 ? 1e12 : 1.05));
  Ranges(Views, "steep zigzag, far outside");

  chart.ClearItems();
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  chart.MoveTo(-inf, 0);
  for (int i = 1; i <= TRChart::LongRun + 10000; ++i) // with steps, flat stretches, NaN and inf
    chart.LineTo(i * (10.0 / 60000), i % 9973 == 0 ? nan : i % 7919 == 0 ? -inf
                                                   : std::round(std::sin(i * 0.0004) * 4) / 4);
  chart.LineTo(inf, 0.5);
  chart.LineTo(inf, nan);
  Ranges(Views, "rising from and to infinity, steps, NaN");

  chart.ClearItems();
  chart.MoveTo(0, 0);
  for (int i = 1; i <= TRChart::LongRun + 10000; ++i) // slow ramps: columns end on their extremes
    chart.LineTo(i * (10.0 / 60000), std::fmod(i * 0.0001, 1.0) * (i % 20000 < 10000 ? 1 : -1));
  Ranges(Views, "ramps up and down");

  chart.ClearItems();
  chart.MoveTo(0, 1);
  for (int i = 1; i <= 300; ++i) chart.LineTo(i / 29.3, std::sin(i * 1.3)); // long segments
  Ranges(Views, "sparse: segments across many columns");
}

TEST_F(LargeListPixels, NonMonotonicXAndBrokenRuns) {
  chart.MoveTo(5, 0);
  for (int i = 1; i <= 30000; ++i) // a figure that runs back and forth across the view
    chart.LineTo(5 + 6 * std::sin(i * 0.0031), std::sin(i * 0.0017));
  Ranges(Views, "back and forth");

  chart.ClearItems();
  chart.MoveTo(0, 0);
  for (int i = 1; i <= 20000; ++i) {
    const double x = i * 0.0005;
    if (i % 5000 == 0) chart.MoveTo(x - 3, 0.5); // a break, and one step back
    chart.LineTo(i == 12345 ? x - 4 : x, std::cos(x * 3));
  }
  Ranges(Views, "rising runs with a step back and breaks");
}

TEST_F(LargeListPixels, EveryPenStyleAndWidthWithSeveralLayersAndClasses) {
  using namespace Platform;
  chart.SetLayerRange(2, -3, -2, 13, 2); // a second layer with its own range
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
  const TColor colors[] = {clBlack, clRed, clBlue, clGreen};
  int k = 0;
  for (TPenStyle style : styles)
    for (int width : {0, 1, 2, 3}) {
      chart.SetPenStyle(style);
      chart.SetLineWidth(width);
      chart.SetDataColor(colors[k % 4]);
      chart.SetFillColor(k % 3 ? clSilver : clYellow);
      chart.SetClassDefault(k % 5);
      chart.SetCurrentLayer(k % 3 + 1);
      chart.MoveTo(0, 0);
      for (int i = 1; i <= 1500; ++i)
        chart.LineTo(i * (10.0 / 1500), std::sin(i * 0.05 + k) * (0.3 + 0.02 * k));
      ++k;
    }
  chart.SetClassVisible(3, false);
  chart.SetLayerVisible(3, false);
  Ranges({{0, -1.1L, 10, 1.1L}, {2, -0.6L, 6, 0.6L}, {10, 1.1L, 0, -1.1L}}, "styles, widths, layers");
}

TEST_F(LargeListPixels, OtherCanvasesOffsetsMonochromeAndXorHandlers) {
  chart.SetDataColor(clRed);
  chart.MoveTo(0, 0);
  for (int i = 1; i <= 40000; ++i) chart.LineTo(i * 0.00025, std::sin(i * 0.002));
  chart.SetLayerRange(1, 1, -0.8L, 7, 0.8L);

  // Into a larger image at an offset, in black: the image's own width decides what shows.
  QImage big(600, 500, QImage::Format_RGB32);
  big.fill(Qt::white);
  QImage expected = big.copy();
  TCanvas canvas(&big);
  chart.RenderItems(canvas, 30, 20, true, true);
  DrawReference(chart, expected, 30, 20, true, Platform::pmCopy);
  QPoint first;
  EXPECT_EQ(Differences(big, expected, first), 0) << first.x() << "," << first.y();

  // A handler that switches the pen to XOR: pixels set twice flip back, so every
  // segment is drawn as it comes.
  chart.OnBeforeRenderData = [](QObject*, TCanvas& c, int, int) { c.Pen.Mode = Platform::pmXor; };
  chart.ShowItems();
  expected = empty.copy();
  DrawReference(chart, expected, 0, 0, false, Platform::pmXor);
  EXPECT_EQ(Differences(chart.DataImage().Image(), expected, first), 0) << first.x() << "," << first.y();
}

} // namespace
