// The chart's fast redraw after a scroll-bar step against a straightforward
// drawing of every segment of the curve, pixel for pixel: whatever the fast path
// does to save time (mapping in double, skipping clipping work), it draws exactly
// the pixels of the platform's line rule applied to each of the 10,000 segments.
#include "Colors.h"
#include "Pixels.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>

namespace {

// One line from (x0, y0) towards (x1, y1) without its end pixel, pixel by pixel:
// pixel i has major coordinate a0 + i and minor coordinate
// b0 + floor((2 i dMin + dMaj - 1 + bias) / (2 dMaj)); lines in octants 3, 5, 6 and 8
// take the minor step at an exact half (bias 1). Pixels outside clip are left out.
void ReferenceLine(QImage& image, const QRect& clip, int x0, int y0, int x1, int y1, QRgb rgb) {
  const long long dx = x1 - x0, dy = y1 - y0;
  const long long adx = std::llabs(dx), ady = std::llabs(dy);
  if (adx == 0 && ady == 0) return;
  int octant;
  if (dy > 0) octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  else octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  const long long bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
  const bool xMajor = adx >= ady;
  const long long dMaj = xMajor ? adx : ady, dMin = xMajor ? ady : adx;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  for (long long i = 0; i < dMaj; ++i) {
    const long long step = (2 * i * dMin + dMaj - 1 + bias) / (2 * dMaj);
    const long long x = xMajor ? x0 + sx * i : x0 + sx * step;
    const long long y = xMajor ? y0 + sy * step : y0 + sy * i;
    if (clip.contains(int(x), int(y))) image.setPixel(int(x), int(y), rgb);
  }
}

struct FastPathPixels : ::testing::Test {
  TForm1 form;
  TRChart* chart = form.RCResponse;

  void SetUp() override {
    form.show();
    QCoreApplication::processEvents();
    form.CalcResponse();
    chart->Paint();
  }
  void SetPositions(int r, int c, int l) {
    // Without the change handler: the test runs CalcResponse itself.
    for (QScrollBar* bar : {form.SBarR, form.SBarC, form.SBarL}) bar->blockSignals(true);
    form.SBarR->setValue(r);
    form.SBarC->setValue(c);
    form.SBarL->setValue(l);
    for (QScrollBar* bar : {form.SBarR, form.SBarC, form.SBarL}) bar->blockSignals(false);
  }
  QRect DataImageRect() const {
    const int w = chart->width() - chart->MarginLeft() - chart->MarginRight() - chart->ShadowWidth() + 1;
    const int h = chart->height() - chart->MarginTop() - chart->MarginBottom() - chart->ShadowWidth() + 1;
    return QRect(chart->MarginLeft(), chart->MarginTop(), w, h);
  }

  // Compares the window after CalcResponse (the fast path) with the empty chart's
  // window plus every segment drawn on its own, the data area's frame on top.
  void ExpectSamePixels(const char* what) {
    SCOPED_TRACE(what);
    chart->ClearItems();
    chart->ShowItems();
    const QImage empty = chart->WindowImage().copy();

    const int fastBefore = chart->RenderStats().FastRedraws;
    form.CalcResponse();
    ASSERT_EQ(chart->RenderStats().FastRedraws, fastBefore + 1);
    ASSERT_EQ(chart->ItemCount(), 10001);
    const QImage drawn = chart->WindowImage().copy();

    QImage expected = empty;
    const QRect clip = DataImageRect();
    const QRgb pen = ColorToRGB(chart->Item(1).Color) | 0xFF000000u;
    auto pixel = [&](int i) {
      const QPoint p = chart->MapToPixel(1, chart->Item(i).X, chart->Item(i).Y);
      return QPoint(std::clamp(p.x(), -30000, 30000), std::clamp(p.y(), -30000, 30000));
    };
    QPoint from = pixel(0);
    for (int i = 1; i <= 10000; ++i) {
      const QPoint to = pixel(i);
      ReferenceLine(expected, clip, from.x(), from.y(), to.x(), to.y(), pen);
      from = to;
    }
    // The frame is drawn over the curve.
    for (int x = clip.left(); x <= clip.right(); ++x)
      for (int y : {clip.top(), clip.bottom()}) expected.setPixel(x, y, empty.pixel(x, y));
    for (int y = clip.top(); y <= clip.bottom(); ++y)
      for (int x : {clip.left(), clip.right()}) expected.setPixel(x, y, empty.pixel(x, y));

    const TestPixels::TPixelDifference d = TestPixels::ComparePixels(drawn, expected);
    EXPECT_EQ(d.count, 0) << "first difference at " << d.first.x() << "," << d.first.y();
    EXPECT_GT(TestPixels::ComparePixels(drawn, empty).count, 100); // the curve is really there
  }
};

TEST_F(FastPathPixels, EverySegmentIsDrawnExactlyInTheDesignedView) {
  ExpectSamePixels("designed values");
  SetPositions(0, 10, 10);
  ExpectSamePixels("undamped, highest frequency: a dense zigzag");
  SetPositions(10000, 10, 10);
  ExpectSamePixels("aperiodic: the curve leaves the range, clamped pixels");
  SetPositions(1, 5000, 5000);
  ExpectSamePixels("slow, barely damped oscillation");
}

TEST_F(FastPathPixels, EverySegmentIsDrawnExactlyWhenZoomed) {
  chart->SetLayerRange(1, 2, -0.6L, 6, 0.6L);
  ExpectSamePixels("zoomed: the curve is clipped at every edge");
  SetPositions(0, 220, 1000);
  chart->SetLayerRange(1, 4, -1.0L, 4.05L, 1.0L);
  ExpectSamePixels("deep zoom: long segments, most of them outside");
  chart->SetLayerRange(1, 10, 1.1L, 0, -1.1L);
  ExpectSamePixels("reversed ranges");
}

} // namespace
