// The chart and the numeric labels on a screen of device pixel ratio 2 (this test
// program runs with QT_SCALE_FACTOR=2): the layout stays in logical pixels, the
// drawing takes the device's pixels.
#include "Canvas.h"
#include "Pixels.h"
#include "TForm1.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "TScale.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

const TestPixels::TInk Dark = TestPixels::DarkerThan(100);

// The rows of ink in an area of an image.
int InkHeight(const QImage& image, const QRect& area) { return TestPixels::InkHeight(image, Dark, area); }

// Whether some aligned 2 x 2 block of the area has pixels of different colours: an
// enlarged picture of half the resolution has none.
bool HasMixedBlocks(const QImage& image, const QRect& area) {
  for (int y = area.top() & ~1; y < area.bottom(); y += 2)
    for (int x = area.left() & ~1; x < area.right(); x += 2) {
      const QRgb p = image.pixel(x, y);
      if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p)
        return true;
    }
  return false;
}

class HiDpi : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "this program runs with QT_SCALE_FACTOR=2";
  }
};

class HiDpiChart : public HiDpi {
protected:
  void SetUp() override {
    HiDpi::SetUp();
    if (HasFatalFailure()) return;
    chart.SetBounds(0, 0, 300, 200);
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(1, 0, 0, 100, 100);
    chart.ClearItems();
    chart.MoveTo(0, 10);
    chart.LineTo(100, 47);
    chart.ShowItems();
  }
  TRChart chart;
};

TEST_F(HiDpiChart, TheCurveTakesDevicePixelsTwoPixelsWide) {
  ASSERT_EQ(chart.DeviceScale(), 2);
  const QImage& image = chart.WindowImage();
  ASSERT_EQ(image.size(), QSize(600, 400));
  EXPECT_EQ(image.devicePixelRatio(), 2.0);

  // Inside the frame and its ticks every device column holds the line two pixels high,
  // and the line's steps fall between the 2 x 2 blocks a doubled picture is made of.
  const int left = chart.MarginLeft(), top = chart.MarginTop();
  const int right = 300 - chart.MarginRight(), bottom = 200 - chart.MarginBottom();
  int halfSteps = 0;
  for (int x = 2 * (left + 8); x < 2 * (right - 2); ++x) {
    int dark = 0, first = -1;
    for (int y = 2 * (top + 2); y < 2 * (bottom - 8); ++y)
      if (Dark(image.pixel(x, y))) {
        if (first < 0) first = y;
        ++dark;
      }
    ASSERT_EQ(dark, 2) << x;
    halfSteps += first % 2;
  }
  EXPECT_GT(halfSteps, 50);
  // Items are mapped at device resolution, not as twice a rounded logical pixel.
  const TScaleFactors& f = chart.ScaleFactors(1);
  EXPECT_LE(std::fabs(chart.MapToPixel(1, 100, 47, 2).y() - 2 * (f.ky * 47 + f.dy)), 0.5L);
}

TEST_F(HiDpiChart, TheFastRedrawGivesTheFullPaintsPixels) {
  chart.ResetRenderStats();
  chart.ClearItems();
  chart.MoveTo(0, 90);
  chart.LineTo(30, 5);
  chart.LineTo(100, 60);
  chart.ShowItems();
  ASSERT_EQ(chart.RenderStats().FastRedraws, 1);
  const QImage fast = chart.WindowImage().copy();
  chart.Paint();
  ASSERT_EQ(chart.RenderStats().FullPaints, 1);
  EXPECT_TRUE(fast == chart.WindowImage());
}

// A list long enough for the large-list shortcuts (a rising run, many items per
// column, items left and right of the image) against every item mapped at device
// resolution and drawn in polylines of 200 points, as the rendering rules say.
TEST_F(HiDpiChart, ALongRisingListGivesThePixelsOfEveryItemDrawn) {
  chart.ClearItems();
  const QImage empty = chart.DataImage().Image().copy();
  ASSERT_EQ(empty.devicePixelRatio(), 2.0);
  const int count = TRChart::LongRun + 10000;
  chart.MoveTo(-5, 50);
  for (int i = 1; i < count; ++i) {
    const double x = -5 + 110.0 * i / count;
    chart.LineTo(x, 50 + 45 * std::sin(x / 7) + (i % 13) * 0.37);
  }
  chart.ShowItems();

  QImage expected = empty.copy();
  TCanvas canvas(&expected);
  ASSERT_EQ(canvas.DeviceScale(), 2);
  canvas.Pen.Color = chart.DataColor();
  std::vector<QPoint> buffer;
  for (int i = 0; i < chart.ItemCount(); ++i) {
    const TDisplayItem it = chart.Item(i);
    const QPoint m = chart.MapToPixel(1, it.X, it.Y, 2);
    buffer.push_back(QPoint(m.x() - 2 * chart.MarginLeft(), m.y() - 2 * chart.MarginTop()));
    if (buffer.size() == 200 || i + 1 == chart.ItemCount()) {
      canvas.PolylineDevice(buffer.data(), int(buffer.size()));
      buffer.erase(buffer.begin(), buffer.end() - 1);
    }
  }
  const int aw = 300 - chart.MarginLeft() - chart.MarginRight() - chart.ShadowWidth();
  const int ah = 200 - chart.MarginTop() - chart.MarginBottom() - chart.ShadowWidth();
  canvas.Pen.Color = chart.ChartFrameColor();
  canvas.MoveTo(0, 0);
  for (const QPoint p : {QPoint(aw, 0), QPoint(aw, ah), QPoint(0, ah), QPoint(0, 0)}) canvas.LineTo(p.x(), p.y());

  const QImage& drawn = chart.DataImage().Image();
  ASSERT_EQ(drawn.size(), expected.size());
  EXPECT_EQ(TestPixels::ComparePixels(drawn, expected).count, 0);
}

TEST_F(HiDpi, TheWindowKeepsItsLayoutAndTheLabelsTextIsTwiceAsHigh) {
  TForm1 form;
  const QImage chart = form.RenderChart(470, 220, 1000);
  EXPECT_EQ(form.RCResponse->size(), QSize(505, 482));
  EXPECT_EQ(chart.size(), QSize(1010, 964));
  EXPECT_TRUE(HasMixedBlocks(chart, QRect(0, 0, 2 * form.RCResponse->MarginLeft() - 2, 964))); // axis labels
  EXPECT_EQ(form.NLabR->geometry(), QRect(72, 192, 143, 22));

  const QImage label = form.NLabR->grab().toImage();
  ASSERT_EQ(label.size(), QSize(286, 44));
  const int box = form.NLabR->LeftSpace(), width = form.NLabR->LabelWidth();
  const QRect valueBox(2 * (box + 3), 2 * 2, 2 * (width - 4), 2 * 17);
  const int h2 = InkHeight(label, valueBox);
  EXPECT_TRUE(HasMixedBlocks(label, valueBox)); // drawn at the device size, not enlarged

  // The same text drawn at scale 1.
  QImage one(100, 30, QImage::Format_RGB32);
  one.fill(Qt::white);
  TCanvas c(&one);
  c.Font = form.NLabR->Font()->Data();
  c.Font.Color = clBlack;
  c.TextOut(2, 2, QStringLiteral("4.70"));
  const int h1 = InkHeight(one, one.rect());
  ASSERT_GT(h1, 6);
  EXPECT_GE(h2, 2 * h1 - 2);
  EXPECT_LE(h2, 2 * h1 + 2);
}

// A scale of its own (opaque, framed) draws into an off-screen image at the device scale.
TEST_F(HiDpi, AFramedScaleIsDrawnAtTheDeviceResolution) {
  TScale scale;
  scale.SetBounds(0, 0, 240, 40);
  scale.SetScaleType(ScaleTypes::sctXB);
  scale.SetRangeLow(0);
  scale.SetRangeHigh(10);
  scale.SetTransparent(false);
  scale.SetColorBackGnd(clWhite);
  scale.SetFrameStyle(fsSimple);
  scale.show();
  QCoreApplication::processEvents();
  scale.Paint();
  const QImage& image = scale.WindowImage();
  ASSERT_EQ(image.size(), QSize(480, 80));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(Dark(image.pixel(x, 40)), x < 2) << x; // the frame
  EXPECT_TRUE(HasMixedBlocks(image, QRect(4, 4, 472, 60)));                   // the labels
}

} // namespace
