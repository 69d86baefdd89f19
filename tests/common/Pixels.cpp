#include "Pixels.h"

#include <algorithm>

namespace TestPixels {

TPixelDifference ComparePixels(const QImage& a, const QImage& b, QRgb mask) {
  TPixelDifference d;
  d.sameSize = a.size() == b.size();
  const int width = std::max(a.width(), b.width()), height = std::max(a.height(), b.height());
  for (int y = 0; y < height; ++y) {
    bool rowDiffers = false;
    for (int x = 0; x < width; ++x) {
      const bool inA = x < a.width() && y < a.height(), inB = x < b.width() && y < b.height();
      if (inA && inB && (a.pixel(x, y) & mask) == (b.pixel(x, y) & mask)) continue;
      if (d.count++ == 0) d.first = QPoint(x, y);
      rowDiffers = true;
    }
    if (rowDiffers) d.rows << y;
  }
  return d;
}

std::string FirstDifference(const QImage& a, const QImage& b, QRgb mask) {
  if (a.size() != b.size()) return "size";
  const TPixelDifference d = ComparePixels(a, b, mask);
  if (d.count == 0) return "none";
  return std::to_string(d.first.x()) + "," + std::to_string(d.first.y());
}

TInk DarkerThan(int grey) {
  return [grey](QRgb p) { return qGray(p) < grey; };
}

TInk Exactly(QRgb colour, QRgb mask) {
  return [colour = colour & mask, mask](QRgb p) { return (p & mask) == colour; };
}

TInk OffBackground(QRgb background, QRgb mask) {
  return [background = background & mask, mask](QRgb p) { return (p & mask) != background; };
}

QRect InkBox(const QImage& image, const TInk& ink, const QRect& area) {
  const QRect r = area & image.rect();
  int left = r.right() + 1, right = r.left() - 1, top = -1, bottom = -1;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (ink(image.pixel(x, y))) {
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, x);
      }
  return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect InkBox(const QImage& image, const TInk& ink) { return InkBox(image, ink, image.rect()); }

int InkHeight(const QImage& image, const TInk& ink, const QRect& area) { return InkBox(image, ink, area).height(); }
int InkHeight(const QImage& image, const TInk& ink) { return InkBox(image, ink).height(); }

int CountInk(const QImage& image, const TInk& ink, const QRect& area) {
  const QRect r = area & image.rect();
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += ink(image.pixel(x, y));
  return n;
}

int CountInk(const QImage& image, const TInk& ink) { return CountInk(image, ink, image.rect()); }

} // namespace TestPixels
