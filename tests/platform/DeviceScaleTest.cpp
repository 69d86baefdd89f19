// The canvas on images with a device pixel ratio above 1: logical drawing at the
// device's resolution, device-pixel polylines, text and copies between scales.
#include "Canvas.h"
#include "Pixels.h"

#include <QColor>
#include <climits>
#include <cmath>
#include <string>
#include <vector>
#include <gtest/gtest.h>

namespace {

QImage Blank(int w, int h, int scale) {
  QImage image(w * scale, h * scale, QImage::Format_RGB32);
  if (scale != 1) image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  return image;
}

// Every pixel of one repeated scale x scale times.
QImage Enlarged(const QImage& one, int scale) {
  QImage big(one.size() * scale, QImage::Format_RGB32);
  for (int y = 0; y < big.height(); ++y)
    for (int x = 0; x < big.width(); ++x) big.setPixel(x, y, one.pixel(x / scale, y / scale));
  return big;
}

// The first device pixel where the two differ, or "none".
std::string FirstDifference(const QImage& a, const QImage& b) {
  return TestPixels::FirstDifference(a, b, TestPixels::RgbOnly);
}

const TestPixels::TInk Dark = TestPixels::DarkerThan(128);

// Whether some aligned 2 x 2 block is partly dark: what an enlarged picture never has.
bool HasHalfBlocks(const QImage& image) {
  for (int y = 0; y + 1 < image.height(); y += 2)
    for (int x = 0; x + 1 < image.width(); x += 2) {
      const int n = Dark(image.pixel(x, y)) + Dark(image.pixel(x + 1, y)) + Dark(image.pixel(x, y + 1)) +
                    Dark(image.pixel(x + 1, y + 1));
      if (n == 1 || n == 2 || n == 3) return true;
    }
  return false;
}

// Horizontal and vertical drawing of every kind the components use.
void DrawAxisAligned(TCanvas& c) {
  c.Brush = {clYellow, bsSolid};
  c.Pen = TPen{clBlack, 1, psSolid, pmCopy};
  c.Rectangle(2, 2, 30, 20);
  c.Rectangle(40, 3, 42, 9); // two pixels wide: the outline is everything
  c.Pen.Style = psDash;
  c.Brush.Style = bsClear;
  c.Rectangle(5, 25, 70, 50);
  c.Pen.Style = psDot;
  c.Brush = {clAqua, bsSolid}; // fills the gaps
  c.Rectangle(8, 28, 66, 46);
  c.Pen = TPen{clRed, 3, psSolid, pmCopy};
  c.Rectangle(35, 12, 60, 22);
  c.Pen.Style = psInsideFrame;
  c.Rectangle(62, 2, 78, 18);
  // Lines in all four directions, the dash phase running on.
  c.Pen = TPen{clNavy, 1, psDashDot, pmCopy};
  c.MoveTo(3, 55);
  c.LineTo(75, 55);
  c.LineTo(75, 78);
  c.LineTo(10, 78);
  c.LineTo(10, 60);
  c.Pen.Style = psSolid;
  const QPoint corner[3] = {{20, 75}, {20, 62}, {50, 62}};
  c.Polyline(corner, 3);
  c.Brush = {clLime, bsSolid};
  c.FillRect(30, 65, 45, 72);
  c.SetPixel(60, 70, clFuchsia);
  // A picture of scale 1 and an XOR band drawn twice where it overlaps itself.
  QImage picture(6, 4, QImage::Format_RGB32);
  picture.fill(QColor(10, 120, 200));
  picture.setPixel(1, 2, qRgb(250, 0, 0));
  c.Draw(50, 30, picture);
  c.Pen = TPen{clWhite, 1, psDot, pmXor};
  c.Brush.Style = bsClear;
  c.Rectangle(15, 8, 55, 40);
  c.Rectangle(20, 10, 50, 35);
  c.Rectangle(20, 10, 50, 35);
}

TEST(DeviceScale, RatiosRoundToTheNearestWholeScale) {
  const double ratios[] = {1.0, 1.25, 1.5, 2.0, 2.5, 0.5, std::nan(""), 100.0};
  const int scales[] = {1, 1, 2, 2, 3, 1, 1, MaxDeviceScale};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(DeviceScaleFor(ratios[i]), scales[i]) << ratios[i];
}

TEST(DeviceScale, AxisAlignedDrawingIsTheExactEnlargement) {
  QImage one = Blank(80, 80, 1);
  TCanvas c1(&one);
  DrawAxisAligned(c1);
  for (int scale : {2, 3}) {
    QImage big = Blank(80, 80, scale);
    TCanvas c(&big);
    EXPECT_EQ(c.DeviceScale(), scale);
    EXPECT_EQ(c.Width(), 80);
    EXPECT_EQ(c.Height(), 80);
    DrawAxisAligned(c);
    EXPECT_EQ(FirstDifference(big, Enlarged(one, scale)), "none") << "scale " << scale;
    EXPECT_EQ(c.Pixel(60, 70), clFuchsia); // the block's first pixel
    EXPECT_EQ(c.PenPos(), c1.PenPos());
  }
}

// A gentle curve in device pixels with steps of one to three pixels, some from outside
// the image: two pixels high in every column, at half-block positions, and the same
// through the short-step path (a plain pen) as through the general one (XOR).
TEST(DeviceScale, DevicePolylinesDrawBetweenLogicalPixels) {
  std::vector<QPoint> curve;
  for (int x = -6; x < 140; x += 1 + (x & 1) + (x % 5 == 0))
    curve.emplace_back(x, 40 + int(std::lround(5 * std::sin(x / 7.0))));
  curve.emplace_back(400, 200);
  QImage plain = Blank(64, 48, 2), xored = Blank(64, 48, 2);
  TCanvas a(&plain), b(&xored);
  a.Pen.Color = clBlack;
  b.Pen = TPen{clWhite, 1, psSolid, pmXor};
  a.PolylineDevice(curve.data(), int(curve.size()));
  b.PolylineDevice(curve.data(), int(curve.size()));
  EXPECT_EQ(FirstDifference(plain, xored), "none");
  EXPECT_TRUE(HasHalfBlocks(plain));
  for (int x = 0; x < 128; ++x) {
    int dark = 0;
    for (int y = 0; y < 96; ++y) dark += Dark(plain.pixel(x, y));
    EXPECT_EQ(dark, 2) << x;
  }
  EXPECT_EQ(a.PenPos(), QPoint(200, 100)); // the logical pixel of the last point
}

TEST(DeviceScale, CoordinatesAtTheEndsOfTheRangeAreClipped) {
  QImage big = Blank(20, 20, 2);
  TCanvas c(&big);
  c.Pen.Style = psDot;
  const QPoint far[3] = {{INT_MIN, 5}, {INT_MAX, 5}, {INT_MAX, INT_MAX}};
  c.PolylineDevice(far, 3);
  int dots = 0;
  for (int x = 0; x < 12; ++x) dots += Dark(big.pixel(x, 5)) && Dark(big.pixel(x, 6));
  EXPECT_EQ(dots, 6); // one period of the dotted pen, 6 on and 6 off
  c.Polyline(far, 3);
  c.MoveTo(INT_MIN, INT_MIN);
  c.LineTo(INT_MAX, INT_MAX);
  c.SetPixel(INT_MAX, INT_MAX, clRed);
  EXPECT_EQ(c.Pixel(INT_MAX, 0), 0xFFFFFFFFu);

  // A rectangle around the whole range: its outline is far outside, its interior fills.
  c.Pen.Style = psSolid;
  c.Brush = {clYellow, bsSolid};
  c.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(c.Pixel(10, 10), clYellow);
}

// The height of the ink in an image.
int InkHeight(const QImage& image) { return TestPixels::InkHeight(image, Dark); }

TEST(DeviceScale, TextIsRenderedAtTheDeviceSizeAndMeasuredInLogicalPixels) {
  QImage one = Blank(60, 30, 1), big = Blank(60, 30, 2);
  TCanvas c1(&one), c2(&big);
  for (TCanvas* c : {&c1, &c2}) {
    c->Font.Name = QStringLiteral("Arial");
    c->Font.Height = -13;
    c->Font.Color = clBlack;
    c->Brush = {clWhite, bsSolid};
    c->TextOut(4, 6, QStringLiteral("8g]"));
  }
  EXPECT_EQ(c2.TextWidth(QStringLiteral("8g]")), c1.TextWidth(QStringLiteral("8g]")));
  EXPECT_EQ(c2.TextHeight(QStringLiteral("8g]")), c1.TextHeight(QStringLiteral("8g]")));
  EXPECT_EQ(c2.PenPos(), c1.PenPos());
  const int h1 = InkHeight(one), h2 = InkHeight(big);
  ASSERT_GT(h1, 8);
  EXPECT_GE(h2, 2 * h1 - 2);
  EXPECT_LE(h2, 2 * h1 + 2);
}

TEST(DeviceScale, ImagesAreCopiedAtTheirLogicalSize) {
  TBitmap bitmap;
  bitmap.SetSize(10, 5, 2);
  EXPECT_EQ(bitmap.Width(), 10);
  EXPECT_EQ(bitmap.Height(), 5);
  EXPECT_EQ(bitmap.Scale(), 2);
  EXPECT_EQ(bitmap.Image().size(), QSize(20, 10));
  bitmap.Image().fill(Qt::blue);
  bitmap.Image().setPixel(3, 5, qRgb(255, 0, 0)); // a device pixel inside a block

  // Same scale: pixel for pixel, odd device pixels included.
  QImage big = Blank(20, 20, 2);
  TCanvas c(&big);
  c.Draw(1, 1, bitmap.Image());
  EXPECT_EQ(big.pixel(5, 7), qRgb(255, 0, 0));
  EXPECT_EQ(big.pixel(4, 7), qRgb(0, 0, 255));
  EXPECT_EQ(big.pixel(21, 11), qRgb(0, 0, 255));
  EXPECT_EQ(big.pixel(22, 11), qRgb(255, 255, 255)); // beyond the 10 x 5 logical pixels
  EXPECT_EQ(big.pixel(21, 12), qRgb(255, 255, 255));

  // A part of it, given in its logical pixels, onto a canvas of scale 1: at that many pixels.
  QImage one = Blank(20, 20, 1);
  TCanvas c1(&one);
  c1.CopyRect(QRect(0, 0, 2, 3), bitmap.Image(), QRect(1, 2, 2, 3));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(c1.Pixel(x, y) == clWhite, x == 2 || y == 3) << x << "," << y;
}

} // namespace
