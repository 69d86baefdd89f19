// Drawing the whole chart onto another canvas (a vector picture's or a
// printer's), and cancelling a zoom band from the program.
#include "Mouse.h"
#include "TRChart.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

class ChartPaintTo : public ::testing::Test {
protected:
  void SetUp() override {
    chart.SetBounds(0, 0, 500, 280);
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  }
  // Counts the pixels of one colour inside and outside the data area.
  void Count(const QImage& image, TColor color, int& inside, int& outside) {
    inside = outside = 0;
    const QRgb rgb = ColorToRGB(color);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++(chart.InDataArea(x, y) ? inside : outside);
  }
  TRChart chart;
};

TEST_F(ChartPaintTo, DrawsTheChartCutAtTheDataAreaAndLeavesTheWindowAlone) {
  chart.SetDataColor(clRed);
  chart.MoveTo(-50, -5); // far outside the range on both ends
  chart.LineTo(60, 5);
  chart.ShowItems();
  TCrossHair* ch = chart.CrossHair(1);
  ch->SetColor(clBlue);
  ch->SetPosX(5);
  ch->SetPosY(0.2);
  ch->SetMode(chBoth);
  chart.Paint();
  const QImage window = chart.WindowImage().copy();
  const int paints = chart.RenderStats().FullPaints;

  QImage picture(chart.size(), QImage::Format_RGB32);
  picture.fill(Qt::green);
  {
    TCanvas canvas(static_cast<QPaintDevice*>(&picture));
    chart.PaintTo(canvas);
  }
  int inside = 0, outside = 0;
  Count(picture, clRed, inside, outside);
  EXPECT_GT(inside, 100);
  EXPECT_EQ(outside, 0);
  Count(picture, clBlue, inside, outside);
  EXPECT_GT(inside, 400); // both crosshair lines
  EXPECT_EQ(outside, 0);
  Count(picture, clLime, inside, outside);
  EXPECT_EQ(inside + outside, 0); // every pixel drawn over
  // The axes are there, as in the window.
  EXPECT_EQ(picture.pixel(10, 275), window.pixel(10, 275));
  EXPECT_TRUE(chart.WindowImage() == window);
  EXPECT_EQ(chart.RenderStats().FullPaints, paints);
  EXPECT_EQ(chart.ScaleObjectX(1)->ExternalCanvas(), &chart.ControlImage().Canvas());
}

TEST_F(ChartPaintTo, CancelZoomBandRemovesTheBandAndZoomsNothing) {
  chart.Paint();
  const QImage before = chart.WindowImage().copy();
  chart.CancelZoomBand(); // no band: nothing happens
  EXPECT_TRUE(chart.WindowImage() == before);
  chart.SetMouseAction(maZoomWindPos);
  auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
    TestMouse::Send(chart, type, p, b, held);
  };
  send(QEvent::MouseButtonPress, {100, 60}, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, {300, 200}, Qt::NoButton, Qt::LeftButton);
  EXPECT_FALSE(chart.WindowImage() == before);
  chart.CancelZoomBand();
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal);
  EXPECT_TRUE(chart.WindowImage() == before);
  send(QEvent::MouseButtonRelease, {300, 200}, Qt::LeftButton, Qt::NoButton);
  EXPECT_DOUBLE_EQ(chart.Scale1X()->RangeHigh(), 10);
}

} // namespace
