#pragma once
// Pixel helpers of the test programs: where two pictures differ, and where the
// "ink" of a picture lies (pixels darker than a grey level, of one colour, or
// off a background). Each test passes its own threshold or colour.
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <functional>
#include <string>

namespace TestPixels {

// The bits of a pixel that count when alpha does not.
constexpr QRgb RgbOnly = 0xFFFFFFu;

// How two pictures differ, pixel for pixel (pixels outside the smaller one count).
struct TPixelDifference {
  int count = 0;        // pixels that differ
  QPoint first{-1, -1}; // the first of them, row by row
  QList<int> rows;      // the rows that hold any, ascending
  bool sameSize = true;
};
TPixelDifference ComparePixels(const QImage& a, const QImage& b, QRgb mask = 0xFFFFFFFFu);
// The first differing pixel as "x,y"; "none" when they are equal, "size" when their sizes differ.
std::string FirstDifference(const QImage& a, const QImage& b, QRgb mask = 0xFFFFFFFFu);

using TInk = std::function<bool(QRgb)>;
// Pixels whose grey level (qGray) is below the given one.
TInk DarkerThan(int grey);
// Pixels of exactly this colour (compared under mask).
TInk Exactly(QRgb colour, QRgb mask = 0xFFFFFFFFu);
// Pixels that are not the background (compared under mask).
TInk OffBackground(QRgb background, QRgb mask = 0xFFFFFFFFu);

// The bounding box of the ink within area (its part inside the picture), or in the whole picture.
QRect InkBox(const QImage& image, const TInk& ink, const QRect& area);
QRect InkBox(const QImage& image, const TInk& ink);
// Rows from the first to the last that hold ink; 0 without ink.
int InkHeight(const QImage& image, const TInk& ink, const QRect& area);
int InkHeight(const QImage& image, const TInk& ink);
// Pixels of ink.
int CountInk(const QImage& image, const TInk& ink, const QRect& area);
int CountInk(const QImage& image, const TInk& ink);

} // namespace TestPixels
