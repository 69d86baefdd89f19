// Painting of the chart: paint lock and visibility, the fast path of
// ShowItems, polyline batching of line-to items, and what reaches the images.
#include "TRChart.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A chart that records every polyline of its item rendering.
class RecordingChart : public TRChart {
public:
  std::vector<std::vector<QPoint>> polylines;

protected:
  void DrawPolyline(TCanvas& canvas, const QPoint* points, int count) override {
    polylines.emplace_back(points, points + count);
    TRChart::DrawPolyline(canvas, points, count);
  }
};

QRgb Rgb(TColor c) { return ColorToRGB(c); }

// A shown chart with one world unit per pixel: data-image pixel (x, 140 - y).
class ShownChart : public ::testing::Test {
protected:
  void SetUp() override {
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(1, 0, 0, 210, 140);
    chart.ResetRenderStats();
    chart.polylines.clear();
  }
  RecordingChart chart;
};

std::vector<size_t> Sizes(const std::vector<std::vector<QPoint>>& polylines) {
  std::vector<size_t> sizes;
  for (const auto& p : polylines) sizes.push_back(p.size());
  return sizes;
}

// ---- paint lock and visibility --------------------------------------------------------------

TEST(ChartPaint, NothingIsPaintedWhileLockedOrInvisible) {
  RecordingChart c;
  c.MoveTo(0, 0);
  c.LineTo(1, 1);
  c.Paint();
  c.ShowItems();
  c.SetChartColor(clYellow);
  EXPECT_EQ(c.RenderStats().FullPaints, 0);
  EXPECT_EQ(c.RenderStats().FastRedraws, 0);
  EXPECT_TRUE(c.PaintLocked());

  c.show(); // the window exists: the lock is gone
  EXPECT_FALSE(c.PaintLocked());
  EXPECT_FALSE(c.ScaleObjectX(1)->isVisible()); // the scales never show windows of their own
  EXPECT_TRUE(c.ScaleObjectX(1)->Visible());
  QCoreApplication::processEvents();
  c.ResetRenderStats();

  const bool saved = c.LockPaint();
  EXPECT_FALSE(saved);
  c.Paint();
  EXPECT_EQ(c.RenderStats().FullPaints, 0);
  EXPECT_TRUE(c.RestorePaintLock(true) == false && c.PaintLocked()); // same value: nothing
  EXPECT_EQ(c.RenderStats().FullPaints, 0);
  EXPECT_TRUE(c.RestorePaintLock(saved)); // set -> clear repaints
  EXPECT_EQ(c.RenderStats().FullPaints, 1);

  c.hide();
  c.ResetRenderStats();
  c.polylines.clear();
  c.ShowItems();
  c.Paint();
  EXPECT_EQ(c.RenderStats().FullPaints, 0);
  EXPECT_EQ(c.RenderStats().FastRedraws, 0);
  EXPECT_TRUE(c.polylines.empty());
}

TEST_F(ShownChart, SettersRepaintOnlyWithAutoRedraw) {
  chart.SetDataColor(clRed); // affects later items only
  chart.SetLineWidth(2);
  EXPECT_EQ(chart.RenderStats().FullPaints, 0);
  chart.SetGridColor(clSilver);
  EXPECT_EQ(chart.RenderStats().FullPaints, 1);
  chart.SetLayerRange(0, 0, 0, 1, 1);
  EXPECT_EQ(chart.RenderStats().FullPaints, 2); // once for all sixteen layers

  chart.SetAutoRedraw(false);
  chart.SetChartColor(clYellow);
  EXPECT_EQ(chart.RenderStats().FullPaints, 2);
  chart.ShowItems(); // without AutoRedraw: a full paint
  EXPECT_EQ(chart.RenderStats().FullPaints, 3);
  EXPECT_EQ(chart.RenderStats().FastRedraws, 0);
}

// ---- polyline batching ----------------------------------------------------------------------

TEST_F(ShownChart, TheMainCurveIsDrawnAs51Polylines) {
  chart.ClearItems();
  chart.MoveTo(0, 70);
  for (int i = 1; i <= 10000; ++i) chart.LineTo(i * 0.021, 70);
  chart.ShowItems();
  EXPECT_EQ(chart.RenderStats().FastRedraws, 1);
  EXPECT_EQ(chart.RenderStats().FullPaints, 0);
  ASSERT_EQ(chart.polylines.size(), 51u);
  EXPECT_EQ(chart.RenderStats().Polylines, 51);
  for (size_t i = 0; i < 50; ++i) EXPECT_EQ(chart.polylines[i].size(), 200u) << i;
  EXPECT_EQ(chart.polylines[50].size(), 51u);
  EXPECT_EQ(chart.polylines[0].front(), QPoint(0, 70));
  for (size_t i = 1; i < 51; ++i) EXPECT_EQ(chart.polylines[i].front(), chart.polylines[i - 1].back());
  EXPECT_EQ(chart.polylines[50].back(), QPoint(210, 70));
}

TEST_F(ShownChart, PenChangesAndMoveToEndAPolyline) {
  chart.MoveTo(0, 140);
  chart.SetDataColor(clRed);
  chart.LineTo(10, 140);
  chart.LineTo(20, 140);
  chart.LineTo(30, 140);
  chart.SetDataColor(clBlue); // new colour: new polyline from the current point
  chart.LineTo(40, 140);
  chart.LineTo(50, 140);
  chart.SetLineWidth(3); // new width: the same
  chart.LineTo(60, 140);
  chart.MoveTo(100, 100); // a break: no segment joins the parts
  chart.LineTo(110, 100);
  chart.ShowItems();
  ASSERT_EQ(Sizes(chart.polylines), (std::vector<size_t>{4, 3, 2, 2}));
  EXPECT_EQ(chart.polylines[1].front(), QPoint(30, 0));
  EXPECT_EQ(chart.polylines[2].front(), QPoint(50, 0));
  EXPECT_EQ(chart.polylines[3].front(), QPoint(100, 40));
}

TEST_F(ShownChart, FirstLineStartsAtTheCornerAndFarPointsAreClamped) {
  chart.LineTo(10, 130);
  chart.LineTo(1e9, -1e9);
  chart.ShowItems();
  ASSERT_EQ(chart.polylines.size(), 1u);
  EXPECT_EQ(chart.polylines[0][0], QPoint(0, 0));
  EXPECT_EQ(chart.polylines[0][1], QPoint(10, 10));
  EXPECT_EQ(chart.polylines[0][2], QPoint(30000 - 50, 30000 - 20));
}

TEST_F(ShownChart, ExactlyFullBufferLeavesAOnePointPolyline) {
  chart.MoveTo(0, 0);
  for (int i = 1; i <= 199; ++i) chart.LineTo(i * 0.5, 0);
  chart.ShowItems();
  EXPECT_EQ(Sizes(chart.polylines), (std::vector<size_t>{200, 1}));
}

// ---- images -------------------------------------------------------------------------------

TEST_F(ShownChart, FullPaintComposesTheWindow) {
  chart.SetChartColor(clYellow);
  chart.Scale1X()->SetScalePos(10); // the x axis base line 10 pixels below the data area
  chart.Scale1X()->SetColorScale(clRed);
  chart.SetDataColor(clBlue);
  chart.MoveTo(0, 70);
  chart.LineTo(210, 70);
  chart.ResetRenderStats();
  chart.Paint();
  EXPECT_EQ(chart.RenderStats().FullPaints, 1);

  const QImage& data = chart.DataImage().Image();
  EXPECT_EQ(data.size(), QSize(211, 141));
  EXPECT_EQ(data.pixel(0, 0), Rgb(clBlack));     // frame of the data area
  EXPECT_EQ(data.pixel(210, 140), Rgb(clBlack)); // frame corner
  EXPECT_EQ(data.pixel(20, 20), Rgb(clYellow));  // background
  EXPECT_EQ(data.pixel(100, 70), Rgb(clBlue));   // the curve

  const QImage& window = chart.WindowImage();
  EXPECT_EQ(window.pixel(5, 5), Rgb(clBtnFace));
  EXPECT_EQ(window.pixel(150, 90), Rgb(clBlue));
  EXPECT_EQ(window.pixel(50, 20), Rgb(clBlack));
  EXPECT_EQ(window.pixel(100, 170), Rgb(clRed)); // drawn by the layer's scale object
  EXPECT_EQ(window.pixel(100, 165), Rgb(clBtnFace)); // between the data area and the axis

  // ClearItems erases the data image, but not the window.
  chart.ClearItems();
  EXPECT_EQ(chart.DataImage().Image().pixel(100, 70), Rgb(clYellow));
  EXPECT_EQ(chart.WindowImage().pixel(150, 90), Rgb(clBlue));
  chart.ShowItems();
  EXPECT_EQ(chart.WindowImage().pixel(150, 90), Rgb(clYellow));
}

TEST_F(ShownChart, ControlImageAndWindowStayApartAcrossPaintsAndFastRedraws) {
  chart.SetDataColor(clBlue);
  chart.MoveTo(0, 70);
  chart.LineTo(210, 70);
  for (int round = 0; round < 3; ++round) {
    chart.Paint();
    const QImage& control = chart.ControlImage().Image();
    EXPECT_EQ(chart.WindowImage(), control) << round;
    const QImage before = control.copy();
    chart.ClearItems();
    chart.MoveTo(0, 30 + round);
    chart.LineTo(210, 30 + round);
    chart.ShowItems(); // the fast path changes the window's data area only
    EXPECT_EQ(chart.ControlImage().Image(), before) << round;
    EXPECT_EQ(chart.WindowImage().pixel(150, 20 + 140 - 30 - round), Rgb(clBlue)) << round;
    EXPECT_EQ(control.pixel(150, 20 + 140 - 30 - round), Rgb(chart.ChartColor())) << round;
    EXPECT_EQ(chart.WindowImage().copy(0, 0, 50, 200), before.copy(0, 0, 50, 200)) << round;
  }
}

TEST_F(ShownChart, ScaleHandlersSeeAFilledControlImage) {
  QRgb seen = 0;
  chart.OnScalesRendered = [&](QObject*, TCanvas& canvas, int, int) {
    seen = canvas.Image()->pixel(150, 90); // inside the data area, before its copy
  };
  chart.SetChartColor(clYellow);
  chart.Paint();
  chart.Paint();
  EXPECT_EQ(seen, Rgb(chart.WindColor()));
  EXPECT_EQ(chart.WindowImage().pixel(150, 90), Rgb(clYellow));
}

TEST_F(ShownChart, RenderEventsComeInOrderWithTheirOrigins) {
  std::vector<std::string> calls;
  chart.OnScalesRendered = [&](QObject* s, TCanvas& canvas, int top, int left) {
    EXPECT_EQ(s, &chart);
    EXPECT_EQ(&canvas, &chart.ControlImage().Canvas());
    calls.push_back("scales " + std::to_string(top) + "," + std::to_string(left));
  };
  chart.OnBeforeRenderData = [&](QObject*, TCanvas& canvas, int top, int left) {
    canvas.Pen.Color = clRed; // given back before the items are drawn
    calls.push_back("before " + std::to_string(top) + "," + std::to_string(left));
  };
  chart.OnDataRendered = [&](QObject*, TCanvas&, int top, int left) {
    calls.push_back("data " + std::to_string(top) + "," + std::to_string(left));
  };
  chart.Paint();
  EXPECT_EQ(calls, (std::vector<std::string>{"scales 0,0", "before 20,50", "data 20,50"}));
  calls.clear();
  chart.ShowItems();
  EXPECT_EQ(calls, (std::vector<std::string>{"before 20,50", "data 20,50"}));
}

TEST_F(ShownChart, EmptyDataAreaPaintsWithoutItems) {
  chart.MoveTo(0, 0);
  chart.LineTo(100, 100);
  chart.SetMarginLeft(400);
  EXPECT_EQ(chart.DataImage().Width(), 0);
  chart.Paint();
  chart.ShowItems();
  EXPECT_TRUE(chart.polylines.empty());
  EXPECT_GE(chart.RenderStats().FullPaints, 1);
}

// ClearItems already filled the data area; the fast path leaves that fill alone
// only while nothing drew into the image and the colours are the same.
TEST_F(ShownChart, FastRedrawStartsFromAFreshBackground) {
  chart.Paint();
  const QRgb background = Rgb(chart.ChartColor());
  auto fastRedraw = [&](auto between) {
    chart.ClearItems();
    between();
    chart.MoveTo(10, 10);
    chart.LineTo(20, 10);
    chart.ShowItems();
  };
  fastRedraw([] {});
  EXPECT_EQ(chart.DataImage().Image().pixel(15, 130), Rgb(chart.DataColor()));
  fastRedraw([&] {
    TCanvas& c = chart.DataImage().Canvas();
    c.Pen.Color = clRed;
    c.MoveTo(100, 50);
    c.LineTo(101, 50);
  });
  EXPECT_EQ(chart.DataImage().Image().pixel(100, 50), background); // the stray pixel is gone
  EXPECT_EQ(chart.DataImage().Image().pixel(15, 120), background); // and the previous line
  fastRedraw([&] {
    chart.SetAutoRedraw(false); // the colour changes without a repaint
    chart.SetChartColor(clYellow);
    chart.SetAutoRedraw(true);
  });
  EXPECT_EQ(chart.DataImage().Image().pixel(100, 50), Rgb(clYellow));
  EXPECT_EQ(chart.RenderStats().FullPaints, 1);
}

TEST(ChartPaint, SharersRepaintWithTheSourceItems) {
  TRChart source, viewer;
  source.show();
  viewer.show();
  QCoreApplication::processEvents();
  viewer.SetUseDataOf(&source);
  for (TRChart* c : {&source, &viewer}) c->SetLayerRange(1, 0, 0, 210, 140);
  viewer.ResetRenderStats();
  source.SetDataColor(clRed);
  source.MoveTo(0, 70);
  source.LineTo(210, 70);
  source.ShowItems();
  EXPECT_GE(viewer.RenderStats().FullPaints, 1);
  EXPECT_EQ(viewer.DataImage().Image().pixel(100, 70), Rgb(clRed));
  EXPECT_EQ(viewer.WindowImage().pixel(150, 90), Rgb(clRed));

  // ShowItems on the viewer repaints its source as well.
  source.ResetRenderStats();
  viewer.ShowItems();
  EXPECT_EQ(source.RenderStats().FullPaints, 1);
}

} // namespace
