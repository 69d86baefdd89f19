// Pixel tests of the canvas conventions (Canvas.h) on off-screen images.
#include "Canvas.h"
#include "Pixels.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kRed = 0xFFFF0000, kGreen = 0xFF00FF00,
               kBlue = 0xFF0000FF;

QImage MakeImage(int w, int h, QRgb fill = kWhite) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

int Count(const QImage& img, QRgb c) { return TestPixels::CountInk(img, TestPixels::Exactly(c)); }

int CountNot(const QImage& img, QRgb c) { return img.width() * img.height() - Count(img, c); }

// The bounding box of pixels that differ from background.
QRect Ink(const QImage& img, QRgb background) { return TestPixels::InkBox(img, TestPixels::OffBackground(background)); }

// ---- Rectangle ----------------------------------------------------------------------------

TEST(Canvas, RectangleOutlineCoversX1ToX2Minus1) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.Pen.Color = clBlack;
  c.Brush.Color = clRed;
  c.Rectangle(2, 3, 8, 9);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 2 && x <= 7 && y >= 3 && y <= 8;
      const bool edge = inside && (x == 2 || x == 7 || y == 3 || y == 8);
      const QRgb expected = !inside ? kWhite : edge ? kBlack : kRed;
      ASSERT_EQ(img.pixel(x, y), expected) << "at " << x << "," << y;
    }
}

TEST(Canvas, RectangleClearBrushLeavesInterior) {
  QImage img = MakeImage(20, 20, kBlue);
  TCanvas c(&img);
  c.Pen.Color = clBlack;
  c.Brush.Style = bsClear;
  c.Rectangle(2, 3, 8, 9);
  EXPECT_EQ(img.pixel(2, 3), kBlack);
  EXPECT_EQ(img.pixel(7, 8), kBlack);
  EXPECT_EQ(img.pixel(8, 8), kBlue);
  EXPECT_EQ(img.pixel(7, 9), kBlue);
  for (int y = 4; y <= 7; ++y)
    for (int x = 3; x <= 6; ++x) EXPECT_EQ(img.pixel(x, y), kBlue);
  EXPECT_EQ(Count(img, kBlack), 2 * 6 + 2 * 4);
}

TEST(Canvas, RectangleNormalisesSwappedCorners) {
  QImage a = MakeImage(20, 20), b = MakeImage(20, 20);
  TCanvas ca(&a), cb(&b);
  ca.Brush.Color = cb.Brush.Color = clLime;
  ca.Rectangle(2, 3, 8, 9);
  cb.Rectangle(8, 9, 2, 3);
  EXPECT_EQ(a, b);
  cb.Rectangle(QRect(QPoint(2, 3), QPoint(7, 8))); // QRect: inclusive right/bottom
  EXPECT_EQ(a, b);
}

TEST(Canvas, RectangleClearPenFillsWholeArea) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.Pen.Style = psClear;
  c.Brush.Color = clRed;
  c.Rectangle(2, 3, 8, 9);
  EXPECT_EQ(Count(img, kRed), 6 * 6);
  EXPECT_EQ(img.pixel(2, 3), kRed);
  EXPECT_EQ(img.pixel(7, 8), kRed);
}

TEST(Canvas, RectangleXorTwiceRestores) {
  QImage img = MakeImage(40, 30);
  TCanvas c(&img);
  c.Brush.Color = clBlue;
  c.Rectangle(0, 0, 40, 30);
  for (int i = 0; i < 40; i += 3) c.SetPixel(i, i % 30, clRed);
  const QImage before = img.copy();
  c.Pen.Mode = pmXor;
  c.Pen.Color = clWhite;
  c.Brush.Style = bsClear;
  c.Rectangle(30, 25, 5, 4); // dragged up and to the left
  EXPECT_NE(img, before);
  EXPECT_EQ(img.pixel(5, 4), qRgb(255, 255, 0)); // white XOR blue, on the outline
  c.Rectangle(30, 25, 5, 4);
  EXPECT_EQ(img, before);
}

TEST(Canvas, ThinRectanglesDrawEachPixelOnce) {
  QImage img = MakeImage(20, 20, kBlack);
  TCanvas c(&img);
  c.Pen.Mode = pmXor;
  c.Pen.Color = clWhite;
  c.Brush.Style = bsClear;
  c.Rectangle(2, 2, 3, 10); // one column
  c.Rectangle(5, 2, 7, 10); // two columns
  EXPECT_EQ(Count(img, kWhite), 8 + 16);
}

TEST(Canvas, WideInsideFramePenStaysInside) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.Pen.Width = 3;
  c.Pen.Style = psInsideFrame;
  c.Brush.Color = clRed;
  c.Rectangle(2, 2, 14, 12);
  EXPECT_EQ(img.pixel(1, 2), kWhite);
  EXPECT_EQ(img.pixel(2, 2), kBlack);
  EXPECT_EQ(img.pixel(4, 4), kBlack);
  EXPECT_EQ(img.pixel(5, 5), kRed);
  EXPECT_EQ(img.pixel(13, 11), kBlack);
  EXPECT_EQ(img.pixel(14, 11), kWhite);
  EXPECT_EQ(Count(img, kRed), (14 - 2 - 6) * (12 - 2 - 6));
}

TEST(Canvas, FillRectUsesBrushOnly) {
  QImage img = MakeImage(10, 10);
  TCanvas c(&img);
  c.Pen.Color = clBlack;
  c.Brush.Color = clGreen; // 0x008000
  c.FillRect(1, 1, 4, 3);
  EXPECT_EQ(Count(img, qRgb(0, 0x80, 0)), 3 * 2);
  EXPECT_EQ(Count(img, kBlack), 0);
  EXPECT_EQ(img.pixel(3, 2), qRgb(0, 0x80, 0));
  EXPECT_EQ(img.pixel(4, 2), kWhite);
}

// ---- Lines --------------------------------------------------------------------------------

TEST(Canvas, LineToLeavesOutEndPixelInAllDirections) {
  const QPoint targets[] = {{15, 10}, {15, 15}, {10, 15}, {5, 15}, {5, 10}, {5, 5}, {10, 5}, {15, 5}};
  for (QPoint t : targets) {
    QImage img = MakeImage(21, 21);
    TCanvas c(&img);
    c.MoveTo(10, 10);
    c.LineTo(t.x(), t.y());
    EXPECT_EQ(c.PenPos(), t);
    EXPECT_EQ(img.pixel(10, 10), kBlack) << t.x() << "," << t.y();
    EXPECT_EQ(img.pixel(t), kWhite) << t.x() << "," << t.y();
    EXPECT_EQ(Count(img, kBlack), 5) << t.x() << "," << t.y();
    const QPoint step((t.x() - 10) / 5, (t.y() - 10) / 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(img.pixel(QPoint(10, 10) + step * i), kBlack);
  }
}

TEST(Canvas, SlopedLineHasOnePixelPerMajorStep) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.MoveTo(0, 0);
  c.LineTo(10, 4);
  EXPECT_EQ(Count(img, kBlack), 10);
  for (int x = 0; x < 10; ++x) {
    int n = 0;
    for (int y = 0; y < 20; ++y) n += img.pixel(x, y) == kBlack;
    EXPECT_EQ(n, 1) << x;
  }
  EXPECT_EQ(img.pixel(10, 4), kWhite);
  EXPECT_EQ(img.pixel(0, 0), kBlack);
  EXPECT_EQ(img.pixel(9, 4), kBlack);
}

TEST(Canvas, PolylineDrawsInnerVerticesOnceAndNotTheLastPoint) {
  QImage img = MakeImage(20, 20, kBlack);
  TCanvas c(&img);
  c.Pen.Mode = pmXor;
  c.Pen.Color = clWhite;
  const QPoint pts[] = {{2, 2}, {10, 2}, {10, 10}, {2, 10}};
  c.Polyline(pts, 4);
  EXPECT_EQ(c.PenPos(), QPoint(2, 10));
  EXPECT_EQ(Count(img, kWhite), 24);
  EXPECT_EQ(img.pixel(10, 2), kWhite); // inner vertex, once
  EXPECT_EQ(img.pixel(10, 10), kWhite);
  EXPECT_EQ(img.pixel(2, 10), kBlack); // last point
  EXPECT_EQ(img.pixel(2, 2), kWhite);
}

TEST(Canvas, ClearPenDrawsNothing) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.Pen.Style = psClear;
  c.MoveTo(0, 0);
  c.LineTo(15, 7);
  const QPoint pts[] = {{1, 1}, {18, 1}, {18, 18}};
  c.Polyline(pts, 3);
  c.Brush.Style = bsClear;
  c.Rectangle(2, 2, 12, 12);
  EXPECT_EQ(CountNot(img, kWhite), 0);
  EXPECT_EQ(c.PenPos(), QPoint(18, 18));
}

std::vector<bool> Pattern(std::initializer_list<int> runs, int length) {
  std::vector<bool> on;
  while (int(on.size()) < length) {
    bool v = true;
    for (int r : runs) {
      for (int i = 0; i < r; ++i) on.push_back(v);
      v = !v;
    }
  }
  on.resize(length);
  return on;
}

struct StyleCase {
  TPenStyle style;
  std::vector<bool> on;
};

TEST(Canvas, PenStylePatternsAndGapColours) {
  const int n = 70;
  const StyleCase cases[] = {
      {psSolid, Pattern({1}, n)},
      {psInsideFrame, Pattern({1}, n)},
      {psDash, Pattern({18, 6}, n)},
      {psDot, Pattern({3, 3}, n)},
      {psDashDot, Pattern({9, 6, 3, 6}, n)},
      {psDashDotDot, Pattern({9, 3, 3, 3, 3, 3}, n)},
  };
  for (const StyleCase& sc : cases) {
    for (TBrushStyle bs : {bsSolid, bsClear}) {
      QImage img = MakeImage(80, 10, kGreen);
      TCanvas c(&img);
      c.Pen.Style = sc.style;
      c.Pen.Color = clBlack;
      c.Brush.Color = clRed;
      c.Brush.Style = bs;
      c.MoveTo(0, 5);
      c.LineTo(n, 5);
      for (int x = 0; x < n; ++x) {
        const QRgb expected = sc.on[x] ? kBlack : (bs == bsSolid ? kRed : kGreen);
        ASSERT_EQ(img.pixel(x, 5), expected) << "style " << int(sc.style) << " brush " << int(bs) << " x " << x;
      }
      EXPECT_EQ(img.pixel(n, 5), kGreen);
      // Vertical lines follow the same pattern.
      QImage v = MakeImage(10, 80, kGreen);
      TCanvas cv(&v);
      cv.Pen.Style = sc.style;
      cv.Brush.Color = clRed;
      cv.Brush.Style = bs;
      cv.MoveTo(3, n - 1);
      cv.LineTo(3, -1);
      for (int i = 0; i < n; ++i) {
        const QRgb expected = sc.on[i] ? kBlack : (bs == bsSolid ? kRed : kGreen);
        ASSERT_EQ(v.pixel(3, n - 1 - i), expected) << "style " << int(sc.style) << " i " << i;
      }
    }
  }
}

TEST(Canvas, DashPatternRunsOnAcrossPolylineSegments) {
  QImage img = MakeImage(30, 30);
  TCanvas c(&img);
  c.Pen.Style = psDot;
  c.Brush.Style = bsClear;
  const QPoint pts[] = {{0, 5}, {10, 5}, {10, 15}};
  c.Polyline(pts, 3);
  // Pixel 10 of the polyline is (10, 5): 10 mod 6 = 4 -> off; 11 off; 12 on.
  EXPECT_EQ(img.pixel(8, 5), kBlack);
  EXPECT_EQ(img.pixel(9, 5), kWhite);
  EXPECT_EQ(img.pixel(10, 5), kWhite);
  EXPECT_EQ(img.pixel(10, 6), kWhite);
  EXPECT_EQ(img.pixel(10, 7), kBlack);
  // Each LineTo starts the pattern anew.
  QImage img2 = MakeImage(30, 30);
  TCanvas c2(&img2);
  c2.Pen.Style = psDot;
  c2.Brush.Style = bsClear;
  c2.MoveTo(0, 5);
  c2.LineTo(10, 5);
  c2.LineTo(10, 15);
  EXPECT_EQ(img2.pixel(10, 5), kBlack);
  EXPECT_EQ(img2.pixel(10, 8), kWhite);
}

TEST(Canvas, XorLineTwiceRestoresAndXorsThePenColour) {
  QImage img = MakeImage(30, 30, kGreen);
  TCanvas c(&img);
  c.Pen.Mode = pmXor;
  c.Pen.Color = clWhite;
  c.MoveTo(1, 1);
  c.LineTo(25, 17);
  EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 255));
  c.MoveTo(1, 1);
  c.LineTo(25, 17);
  EXPECT_EQ(Count(img, kGreen), 900);
  // Styled XOR lines restore as well (gaps XOR the brush colour).
  c.Pen.Style = psDashDot;
  c.Brush.Color = clBlue;
  for (int k = 0; k < 2; ++k) {
    c.MoveTo(29, 0);
    c.LineTo(0, 22);
  }
  EXPECT_EQ(Count(img, kGreen), 900);
}

// Clipping is exact: drawing on a small image gives the same pixels as the same
// part of a larger image, for any line, including the dash phase.
TEST(Canvas, ClippedLinesMatchUnclippedLines) {
  QRandomGenerator rng(1234);
  const int off = 300;
  for (int round = 0; round < 400; ++round) {
    QImage small = MakeImage(60, 40), large = MakeImage(700, 700);
    TCanvas cs(&small), cl(&large);
    const TPenStyle style = TPenStyle(rng.bounded(5));
    cs.Pen.Style = cl.Pen.Style = style;
    cs.Brush.Color = cl.Brush.Color = clRed;
    QPoint pts[4];
    for (QPoint& p : pts) p = QPoint(rng.bounded(-250, 310), rng.bounded(-250, 290));
    cs.Polyline(pts, 4);
    QPoint shifted[4];
    for (int i = 0; i < 4; ++i) shifted[i] = pts[i] + QPoint(off, off);
    cl.Polyline(shifted, 4);
    ASSERT_EQ(small, large.copy(off, off, 60, 40)) << "round " << round;
  }
}

TEST(Canvas, HugeCoordinatesAreClippedQuickly) {
  QImage img = MakeImage(50, 50);
  TCanvas c(&img);
  QElapsedTimer t;
  t.start();
  c.MoveTo(-2000000000, 10);
  c.LineTo(2000000000, 10);
  c.MoveTo(-2000000000, -2000000000);
  c.LineTo(2000000000, 2000000000);
  EXPECT_LT(t.elapsed(), 50);
  EXPECT_EQ(Count(img, kBlack), 50 + 50 - 1);
  EXPECT_EQ(img.pixel(49, 49), kBlack);
}

TEST(Canvas, PolylineOfTenThousandSegmentsIsFast) {
  QImage img = MakeImage(800, 600);
  TCanvas c(&img);
  std::vector<QPoint> pts(10001);
  for (int i = 0; i <= 10000; ++i) pts[i] = QPoint(i * 800 / 10000, 300 + int(250 * std::sin(i * 0.01)));
  QElapsedTimer t;
  t.start();
  for (int k = 0; k < 10; ++k) c.Polyline(pts.data(), int(pts.size()));
  EXPECT_LT(t.elapsed(), 200); // ten frames
  EXPECT_GT(Count(img, kBlack), 800);
}

// ---- Polygon, pixels ----------------------------------------------------------------------

TEST(Canvas, PolygonFilledAndOutlined) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.Brush.Color = clRed;
  const QPoint pts[] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
  c.Polygon(pts, 4);
  for (int i = 2; i <= 8; ++i) {
    EXPECT_EQ(img.pixel(i, 2), kBlack);
    EXPECT_EQ(img.pixel(i, 8), kBlack);
    EXPECT_EQ(img.pixel(2, i), kBlack);
    EXPECT_EQ(img.pixel(8, i), kBlack);
  }
  for (int y = 3; y <= 7; ++y)
    for (int x = 3; x <= 7; ++x) EXPECT_EQ(img.pixel(x, y), kRed);
  EXPECT_EQ(CountNot(img, kWhite), 49);
}

TEST(Canvas, PolygonTriangleHasNoStrayPixels) {
  QImage img = MakeImage(30, 30);
  TCanvas c(&img);
  c.Pen.Color = clBlue;
  c.Brush.Color = clBlue;
  const QPoint pts[] = {{5, 20}, {20, 20}, {20, 5}};
  c.Polygon(pts, 3);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool in = x >= 5 && x <= 20 && y <= 20 && x + y >= 25;
      ASSERT_EQ(img.pixel(x, y) == kBlue, in) << x << "," << y;
    }
}

TEST(Canvas, PolygonWithoutPenLeavesOutRightAndBottomEdges) {
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.Pen.Style = psClear;
  c.Brush.Color = clRed;
  const QPoint pts[] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
  c.Polygon(pts, 4);
  EXPECT_EQ(Ink(img, kWhite), QRect(2, 2, 6, 6));
  EXPECT_EQ(Count(img, kRed), 36);
}

bool InsidePolygon(double px, double py, const QPoint* p, int n) {
  bool in = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    if ((p[i].y() > py) != (p[j].y() > py)) {
      const double x = p[i].x() + (py - p[i].y()) * (p[j].x() - p[i].x()) / double(p[j].y() - p[i].y());
      if (px < x) in = !in;
    }
  }
  return in;
}

// The interior meets the outline: no pixel inside the polygon is left out.
TEST(Canvas, PolygonInteriorMeetsTheOutline) {
  QRandomGenerator rng(77);
  for (int round = 0; round < 100; ++round) {
    QImage img = MakeImage(60, 60);
    TCanvas c(&img);
    c.Pen.Color = clBlue;
    c.Brush.Color = clBlue;
    QPoint pts[5];
    for (QPoint& p : pts) p = QPoint(rng.bounded(0, 60), rng.bounded(0, 60));
    c.Polygon(pts, 5);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) {
        if (InsidePolygon(x, y, pts, 5)) {
          ASSERT_EQ(img.pixel(x, y), kBlue) << round << ": " << x << "," << y;
        }
      }
  }
}

TEST(Canvas, SetPixelAndPixelUsePlatformColours) {
  QImage img = MakeImage(5, 5);
  TCanvas c(&img);
  c.SetPixel(1, 2, 0x00332211);
  EXPECT_EQ(img.pixel(1, 2), qRgb(0x11, 0x22, 0x33));
  EXPECT_EQ(c.Pixel(1, 2), 0x00332211u);
  c.SetPixel(2, 2, clBtnShadow);
  EXPECT_EQ(c.Pixel(2, 2), 0x00A0A0A0u);
  c.SetPixel(-1, 7, clBlack); // outside: nothing
  EXPECT_EQ(c.Pixel(-1, 7), 0xFFFFFFFFu);
  EXPECT_EQ(c.Width(), 5);
  EXPECT_EQ(c.Height(), 5);
}

// ---- Images -------------------------------------------------------------------------------

QImage Checker(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 20, y * 20, (x + y) % 2 ? 255 : 0));
  return img;
}

TEST(Canvas, CopyRectSrcCopy) {
  const QImage src = Checker(10, 10);
  QImage img = MakeImage(20, 20);
  TCanvas c(&img);
  c.CopyRect(QRect(5, 6, 4, 3), src, QRect(2, 1, 4, 3));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool in = x >= 5 && x < 9 && y >= 6 && y < 9;
      ASSERT_EQ(img.pixel(x, y), in ? src.pixel(x - 3, y - 5) : kWhite) << x << "," << y;
    }
}

TEST(Canvas, CopyRectSrcAnd) {
  const QImage src = Checker(10, 10);
  QImage img = MakeImage(10, 10, qRgb(0x0F, 0xF0, 0x3C));
  TCanvas c(&img);
  c.CopyRect(QRect(0, 0, 10, 10), src, QRect(0, 0, 10, 10), cmSrcAnd);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(img.pixel(x, y), (src.pixel(x, y) & qRgb(0x0F, 0xF0, 0x3C)) | 0xFF000000u);
  // White in the source leaves the destination visible.
  QImage white = MakeImage(4, 4);
  QImage dst = MakeImage(4, 4, kBlue);
  TCanvas cd(&dst);
  cd.CopyRect(QRect(0, 0, 4, 4), white, QRect(0, 0, 4, 4), cmSrcAnd);
  EXPECT_EQ(Count(dst, kBlue), 16);
}

TEST(Canvas, CopyRectWithinTheSameImage) {
  QImage img = Checker(10, 10);
  const QImage orig = img.copy();
  TCanvas c(&img);
  c.CopyRect(QRect(1, 1, 6, 6), img, QRect(0, 0, 6, 6));
  for (int y = 1; y < 7; ++y)
    for (int x = 1; x < 7; ++x) ASSERT_EQ(img.pixel(x, y), orig.pixel(x - 1, y - 1));
}

TEST(Canvas, DrawAndStretchDraw) {
  QImage src(2, 2, QImage::Format_RGB32);
  src.setPixel(0, 0, kRed);
  src.setPixel(1, 0, kGreen);
  src.setPixel(0, 1, kBlue);
  src.setPixel(1, 1, kBlack);
  QImage img = MakeImage(10, 10);
  TCanvas c(&img);
  c.Draw(3, 4, src);
  EXPECT_EQ(img.pixel(3, 4), kRed);
  EXPECT_EQ(img.pixel(4, 5), kBlack);
  EXPECT_EQ(CountNot(img, kWhite), 4);
  QImage img2 = MakeImage(10, 10);
  TCanvas c2(&img2);
  c2.StretchDraw(QRect(2, 2, 4, 4), src);
  EXPECT_EQ(img2.pixel(2, 2), kRed);
  EXPECT_EQ(img2.pixel(3, 3), kRed);
  EXPECT_EQ(img2.pixel(4, 2), kGreen);
  EXPECT_EQ(img2.pixel(5, 5), kBlack);
  EXPECT_EQ(img2.pixel(2, 5), kBlue);
  EXPECT_EQ(CountNot(img2, kWhite), 16);
}

TEST(Canvas, BitmapLoadFromFile) {
  TBitmap bmp(3, 2);
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Image().pixel(2, 1), kWhite);
  bmp.Canvas().SetPixel(0, 0, clRed);
  EXPECT_FALSE(bmp.LoadFromFile(QStringLiteral("/nonexistent/picture.bmp")));
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Image().pixel(0, 0), qRgb(255, 0, 0));

  const QString path = QDir::temp().filePath(QStringLiteral("kalvora_platform_test.bmp"));
  ASSERT_TRUE(Checker(7, 5).save(path, "BMP"));
  ASSERT_TRUE(bmp.LoadFromFile(path));
  QFile::remove(path);
  EXPECT_EQ(bmp.Width(), 7);
  EXPECT_EQ(bmp.Height(), 5);
  EXPECT_EQ(bmp.Image().format(), QImage::Format_RGB32);
  EXPECT_EQ(bmp.Image().pixel(3, 2), Checker(7, 5).pixel(3, 2));
  // The canvas follows the loaded image.
  bmp.Canvas().SetPixel(6, 4, clLime);
  EXPECT_EQ(bmp.Image().pixel(6, 4), kGreen);
  bmp.SetSize(4, 4);
  EXPECT_EQ(bmp.Canvas().Width(), 4);
  EXPECT_EQ(Count(bmp.Image(), kWhite), 16);
}

// ---- Text ---------------------------------------------------------------------------------

TEST(Canvas, TextOutTopLeftOriginWithClearBrush) {
  QImage img = MakeImage(200, 60);
  TCanvas c(&img);
  c.Font.Name = QStringLiteral("Arial");
  c.Font.Height = -13;
  c.Font.Color = clBlack;
  c.Brush.Style = bsClear;
  const QString text = QStringLiteral("Hg[]|");
  c.TextOut(20, 20, text);
  const QRect ink = Ink(img, kWhite);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.top(), 20);
  EXPECT_GE(ink.left(), 20);
  EXPECT_LT(ink.bottom(), 20 + c.TextHeight(text));
  EXPECT_LE(ink.right(), 20 + c.TextWidth(text));
  EXPECT_LE(ink.top(), 20 + 4); // the tall glyphs reach close to the top of the cell
  EXPECT_EQ(c.PenPos(), QPoint(20 + c.TextWidth(text), 20));
  EXPECT_GE(c.TextHeight(text), 13);
  EXPECT_LE(c.TextHeight(text), 17);
}

TEST(Canvas, TextOutOpaqueBackgroundIsExactlyTheTextCell) {
  QImage img = MakeImage(200, 60);
  TCanvas c(&img);
  c.Font.Name = QStringLiteral("MS Sans Serif");
  c.Font.Height = -13;
  c.Font.Color = clBlack;
  c.Brush.Color = clRed;
  c.Brush.Style = bsSolid;
  const QString text = QStringLiteral("Value 12.5");
  c.TextOut(30, 10, text);
  const int w = c.TextWidth(text), h = c.TextHeight(text);
  EXPECT_EQ(Ink(img, kWhite), QRect(30, 10, w, h));
  // No white inside the box; the corners are the brush colour.
  for (int y = 10; y < 10 + h; ++y)
    for (int x = 30; x < 30 + w; ++x) ASSERT_NE(img.pixel(x, y), kWhite) << x << "," << y;
  EXPECT_EQ(img.pixel(30, 10), kRed);
  EXPECT_EQ(img.pixel(30 + w - 1, 10 + h - 1), kRed);
  EXPECT_GT(Count(img, kRed), w * h / 2);
}

TEST(Canvas, TextRectClipsAndFillsTheClipRectangle) {
  QImage img = MakeImage(200, 60);
  TCanvas c(&img);
  c.Font.Color = clBlack;
  c.Brush.Style = bsClear;
  c.TextRect(QRect(10, 10, 30, 8), 5, 5, QStringLiteral("WWWWWWWWWWWWWWWWWWWWWW"));
  const QRect ink = Ink(img, kWhite);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_TRUE(QRect(10, 10, 30, 8).contains(ink));
  QImage img2 = MakeImage(200, 60);
  TCanvas c2(&img2);
  c2.Brush.Color = clBlue;
  c2.TextRect(QRect(10, 10, 30, 8), 12, 10, QStringLiteral("x"));
  EXPECT_EQ(Ink(img2, kWhite), QRect(10, 10, 30, 8));
  EXPECT_EQ(c2.PenPos(), QPoint(0, 0));
}

TEST(Canvas, TextColourIsTheFontColour) {
  QImage img = MakeImage(100, 40);
  TCanvas c(&img);
  c.Font.Color = clRed;
  c.Font.Height = -20;
  c.Font.Style = fsBold;
  c.Brush.Style = bsClear;
  c.TextOut(2, 2, QStringLiteral("HHH"));
  EXPECT_GT(Count(img, kRed), 20);
  EXPECT_EQ(Count(img, kBlack), 0);
}

// ---- Another paint device (the printer's canvas) ------------------------------------------

TEST(Canvas, DeviceCanvasDrawsThroughOnePainter) {
  QImage img = MakeImage(100, 60);
  {
    TCanvas c(static_cast<QPaintDevice*>(&img));
    EXPECT_EQ(c.Image(), nullptr);
    EXPECT_EQ(c.Width(), 100);
    EXPECT_EQ(c.Height(), 60);
    c.Brush.Color = clRed;
    c.Rectangle(10, 10, 30, 30);
    c.MoveTo(40, 5);
    c.LineTo(90, 5);
    c.Brush.Style = bsClear;
    c.TextOut(40, 20, QStringLiteral("Print"));
    EXPECT_GT(c.TextWidth(QStringLiteral("Print")), 10);
    c.EndDraw();
    EXPECT_EQ(img.pixel(20, 20), kRed);
    EXPECT_EQ(img.pixel(10, 10), kBlack);
    EXPECT_EQ(img.pixel(29, 29), kBlack);
    EXPECT_EQ(img.pixel(30, 30), kWhite);
    EXPECT_EQ(img.pixel(60, 5), kBlack);
    EXPECT_FALSE(Ink(img.copy(40, 20, 60, 20), kWhite).isEmpty());
    c.SetPixel(1, 1, clBlue); // a new painter after EndDraw; the destructor ends it
  }
  EXPECT_EQ(img.pixel(1, 1), kBlue);
}

TEST(Canvas, PdfCanvas) {
  const QString path = QDir::temp().filePath(QStringLiteral("kalvora_platform_test.pdf"));
  {
    QPdfWriter pdf(path);
    TCanvas c(&pdf);
    EXPECT_GT(c.Width(), 100);
    c.Rectangle(0, 0, 200, 100);
    c.TextOut(10, 10, QStringLiteral("Kalvora"));
  }
  QFile f(path);
  EXPECT_TRUE(f.exists());
  EXPECT_GT(f.size(), 500);
  f.remove();
}

} // namespace
