// The canvas keeps its own state (pen, brush, font, pen position). On an image it
// rasterises one-pixel lines, rectangles and fills itself, directly on the RGB32
// bits (exact and fast); wide pens, polygon interiors, text and image drawing use a
// short-lived QPainter that never outlives the call. On another paint device (the
// printer) one QPainter stays active for the life of the canvas (or until EndDraw).
#include "Canvas.h"

#include <QFontMetrics>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

using i64 = std::int64_t;
using i128 = __int128;

i128 FloorDiv(i128 a, i128 b) { // b > 0
  i128 q = a / b;
  if (a % b != 0 && a < 0) --q;
  return q;
}
i128 CeilDiv(i128 a, i128 b) { return -FloorDiv(-a, b); }

// One-pixel pen styles as on/off runs in pixels, starting with "on"; at a device
// scale s every run is s times as long.
struct DashPattern {
  int period = 0;
  std::array<bool, 24 * MaxDeviceScale> on{};
};

DashPattern MakePattern(std::initializer_list<int> runs, int scale) {
  DashPattern p;
  bool on = true;
  for (int r : runs) {
    for (int i = 0; i < r * scale; ++i) p.on[p.period++] = on;
    on = !on;
  }
  return p;
}

const DashPattern* PatternFor(TPenStyle style, int scale) {
  static const auto table = [] {
    std::array<std::array<DashPattern, 4>, MaxDeviceScale> t;
    for (int s = 1; s <= MaxDeviceScale; ++s) {
      t[s - 1][0] = MakePattern({18, 6}, s);
      t[s - 1][1] = MakePattern({3, 3}, s);
      t[s - 1][2] = MakePattern({9, 6, 3, 6}, s);
      t[s - 1][3] = MakePattern({9, 3, 3, 3, 3, 3}, s);
    }
    return t;
  }();
  const auto& row = table[std::clamp(scale, 1, MaxDeviceScale) - 1];
  switch (style) {
  case psDash: return &row[0];
  case psDot: return &row[1];
  case psDashDot: return &row[2];
  case psDashDotDot: return &row[3];
  default: return nullptr;
  }
}

// A logical coordinate in device pixels, kept where adding a line's width cannot overflow.
int ToDevice(int v, int scale) {
  constexpr i64 Limit = (i64(1) << 31) - 2 * MaxDeviceScale;
  return int(std::clamp(i64(v) * scale, -Limit, Limit));
}

// Tie-breaking of the line rasteriser, as the desktop draws its lines:
// lines in octants 3, 5, 6 and 8 take the minor step at an exact half.
int LineBias(i64 dx, i64 dy) {
  int octant;
  if (dy > 0) {
    if (dx > 0) octant = dx > dy ? 1 : 2;
    else octant = -dx > dy ? 4 : 3;
  } else {
    if (dx < 0) octant = -dx > -dy ? 5 : 6;
    else octant = dx > -dy ? 8 : 7;
  }
  return (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
}

// The visible part of one line (end pixel excluded), as offsets into the image.
struct LineSpan {
  i64 total = 0;  // pixels of the whole line (without the end pixel)
  i64 before = 0; // pixels before the first visible one
  i64 count = 0;  // visible pixels
  qsizetype offset = 0;
  qsizetype majorStep = 0, minorStep = 0;
  i64 rem = 0, twoMinor = 0, twoMajor = 0;
};

// The span of a line that starts inside the image and ends inside it (end pixel
// included or not): nothing to clip, so no wide arithmetic. The same walk as
// ClipLine's with lo = 0: minor offset 0, remainder c.
inline void InsideLine(qsizetype stride, int x0, int y0, int x1, int y1, LineSpan& s) {
  const i64 dx = i64(x1) - x0, dy = i64(y1) - y0;
  const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const i64 dMaj = xMajor ? adx : ady, dMin = xMajor ? ady : adx;
  s.total = dMaj;
  s.before = 0;
  s.count = dMaj;
  if (dMaj == 0) return;
  const qsizetype sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -stride : stride;
  s.offset = qsizetype(y0) * stride + x0;
  s.majorStep = xMajor ? sx : sy;
  s.minorStep = xMajor ? sy : sx;
  s.rem = dMaj - 1 + LineBias(dx, dy);
  s.twoMinor = 2 * dMin;
  s.twoMajor = 2 * dMaj;
}

// Bresenham from (x0, y0) towards (x1, y1), clipped to [0, w) x [0, h) exactly:
// pixel i of the line has major coordinate a0 + i and minor coordinate
// b0 + floor((2 i dMin + dMaj - 1 + bias) / (2 dMaj)), so the visible index range
// can be computed directly (huge coordinates cost nothing).
void ClipLine(int w, int h, qsizetype stride, int x0, int y0, int x1, int y1, LineSpan& s) {
  const i64 dx = i64(x1) - x0, dy = i64(y1) - y0;
  const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  s = LineSpan{};
  if (adx == 0 && ady == 0) return;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const bool xMajor = adx >= ady;
  const i64 dMaj = xMajor ? adx : ady, dMin = xMajor ? ady : adx;
  const i64 a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
  const int sa = xMajor ? sx : sy, sb = xMajor ? sy : sx;
  const i64 A = xMajor ? w : h, B = xMajor ? h : w;
  const i64 c = dMaj - 1 + LineBias(dx, dy);
  s.total = dMaj;

  i128 lo = 0, hi = dMaj;
  if (sa > 0) {
    lo = std::max<i128>(lo, -a0);
    hi = std::min<i128>(hi, A - a0);
  } else {
    lo = std::max<i128>(lo, a0 - A + 1);
    hi = std::min<i128>(hi, a0 + 1);
  }
  const i64 mlo = sb > 0 ? -b0 : b0 - B + 1;
  const i64 mhi = sb > 0 ? B - 1 - b0 : b0;
  if (dMin == 0) {
    if (mlo > 0 || mhi < 0) hi = lo;
  } else {
    lo = std::max<i128>(lo, CeilDiv(i128(2) * mlo * dMaj - c, i128(2) * dMin));
    hi = std::min<i128>(hi, CeilDiv(i128(2) * (mhi + 1) * dMaj - c, i128(2) * dMin));
  }
  if (lo >= hi) {
    s.before = dMaj;
    return;
  }
  s.before = i64(lo);
  s.count = i64(hi - lo);
  const i128 num = i128(2) * lo * dMin + c;
  const i64 m = i64(num / (2 * dMaj));
  s.rem = i64(num % (2 * dMaj));
  s.twoMinor = 2 * dMin;
  s.twoMajor = 2 * dMaj;
  const i64 a = a0 + sa * i64(lo), b = b0 + sb * m;
  const i64 x = xMajor ? a : b, y = xMajor ? b : a;
  s.offset = qsizetype(y) * stride + qsizetype(x);
  s.majorStep = xMajor ? sx : sy * stride;
  s.minorStep = xMajor ? sy * stride : sx;
}

struct OpCopy {
  quint32 v;
  void operator()(quint32* p) const { *p = v; }
};
struct OpXor {
  quint32 v;
  void operator()(quint32* p) const { *p ^= v; }
};

template <class Op> void WalkSolid(quint32* bits, const LineSpan& s, Op op) {
  qsizetype off = s.offset;
  i64 rem = s.rem;
  for (i64 i = 0; i < s.count; ++i) {
    op(bits + off);
    off += s.majorStep;
    rem += s.twoMinor;
    if (rem >= s.twoMajor) {
      rem -= s.twoMajor;
      off += s.minorStep;
    }
  }
}

template <class Op>
void WalkStyled(quint32* bits, const LineSpan& s, Op fg, Op bg, bool gaps, const DashPattern& pat,
                int& phase) {
  qsizetype off = s.offset;
  i64 rem = s.rem;
  int ph = phase;
  for (i64 i = 0; i < s.count; ++i) {
    if (pat.on[ph]) fg(bits + off);
    else if (gaps) bg(bits + off);
    if (++ph == pat.period) ph = 0;
    off += s.majorStep;
    rem += s.twoMinor;
    if (rem >= s.twoMajor) {
      rem -= s.twoMajor;
      off += s.minorStep;
    }
  }
  phase = ph;
}

bool IsRGB32Layout(QImage::Format f) {
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
         f == QImage::Format_ARGB32_Premultiplied;
}

int NormalisedPenWidth(const TPen& pen) { return pen.Width < 1 ? 1 : pen.Width; }

} // namespace

struct TCanvas::Impl {
  // Metrics of the last few fonts used, each with the widths of the texts measured in it:
  // the same labels are measured (and drawn) at every paint, and shaping a text for its
  // width costs more than drawing it. Widths depend on face, height and style only.
  struct FontEntry {
    TFontData data;
    QFont qfont;
    std::optional<QFontMetrics> metrics;
    QHash<QString, int> widths;
  };
  static constexpr int FontSlots = 4;
  static constexpr qsizetype MaxWidths = 512; // per font; the table starts anew when full
  std::array<FontEntry, FontSlots> fonts;
  int fontCount = 0, current = -1, nextSlot = 0;
  // Printer canvas: the painter that lives as long as the drawing.
  std::unique_ptr<QPainter> devicePainter;

  static bool SameMetrics(const TFontData& a, const TFontData& b) {
    return a.Height == b.Height && a.Style == b.Style && a.Name == b.Name;
  }

  FontEntry& Entry(const TFontData& font, QPaintDevice* device) {
    if (current >= 0 && SameMetrics(fonts[current].data, font)) return fonts[current];
    for (int i = 0; i < fontCount; ++i)
      if (SameMetrics(fonts[i].data, font)) return fonts[current = i];
    const int slot = fontCount < FontSlots ? fontCount++ : nextSlot;
    nextSlot = (slot + 1) % FontSlots;
    FontEntry& e = fonts[slot];
    e.data = font;
    e.qfont = ToQFont(font);
    if (device) e.metrics.emplace(e.qfont, device);
    else e.metrics.emplace(e.qfont);
    e.widths.clear();
    current = slot;
    return e;
  }

  const QFontMetrics& Metrics(const TFontData& font, QPaintDevice* device) {
    return *Entry(font, device).metrics;
  }

  int Width(const TFontData& font, QPaintDevice* device, const QString& text) {
    FontEntry& e = Entry(font, device);
    const auto found = e.widths.constFind(text);
    if (found != e.widths.constEnd()) return *found;
    const int w = e.metrics->horizontalAdvance(text);
    if (e.widths.size() >= MaxWidths) e.widths.clear();
    e.widths.insert(text, w);
    return w;
  }
};

namespace {

// A QPainter for one call: a fresh one on an image, the device's one (state saved and
// restored) on another paint device.
class PaintScope {
public:
  PaintScope(QImage* image, QPaintDevice* device, std::unique_ptr<QPainter>& devicePainter) {
    if (image) {
      if (!image->isNull()) local_.emplace(image);
      p_ = local_ ? &*local_ : nullptr;
    } else if (device) {
      if (!devicePainter) devicePainter = std::make_unique<QPainter>(device);
      p_ = devicePainter->isActive() ? devicePainter.get() : nullptr;
      if (p_) p_->save();
      saved_ = p_ != nullptr;
    }
    if (p_) {
      p_->setRenderHint(QPainter::Antialiasing, false);
      p_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
  }
  ~PaintScope() {
    if (saved_) p_->restore();
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  explicit operator bool() const { return p_ != nullptr; }
  QPainter* operator->() const { return p_; }
  QPainter& operator*() const { return *p_; }

private:
  std::optional<QPainter> local_;
  QPainter* p_ = nullptr;
  bool saved_ = false;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Helpers on the image bits (file-local, given the canvas state explicitly).

namespace {

struct Surface {
  quint32* bits = nullptr;
  qsizetype stride = 0; // in pixels
  int w = 0, h = 0;
};

bool GetSurface(QImage* image, Surface& s) {
  if (!image || image->isNull()) return false;
  if (!IsRGB32Layout(image->format())) image->convertTo(QImage::Format_RGB32);
  s.w = image->width();
  s.h = image->height();
  s.stride = image->bytesPerLine() / 4;
  s.bits = reinterpret_cast<quint32*>(image->bits());
  return s.bits != nullptr && s.w > 0 && s.h > 0;
}

// x1 .. x2-1, y1 .. y2-1, clipped; copy or XOR of the RGB value.
void FillBox(const Surface& s, int x1, int y1, int x2, int y2, QRgb rgb, bool xorMode) {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, s.w);
  y2 = std::min(y2, s.h);
  if (x1 >= x2 || y1 >= y2) return;
  for (int y = y1; y < y2; ++y) {
    quint32* row = s.bits + qsizetype(y) * s.stride;
    if (xorMode) {
      const quint32 v = rgb & 0xFFFFFFu;
      for (int x = x1; x < x2; ++x) row[x] ^= v;
    } else {
      std::fill(row + x1, row + x2, quint32(rgb | 0xFF000000u));
    }
  }
}

// The one-pixel pen rasteriser over a sequence of connected segments; the dash phase
// runs on across the segments. At a device scale s above 1 the pen is s device pixels
// wide: the line between the device points is drawn s times, moved by 0 .. s - 1
// pixels across its major direction (down for mostly horizontal lines, right for
// mostly vertical ones), each copy with the same dash phase.
class PenRaster {
public:
  PenRaster(const Surface& s, const TPen& pen, const TBrush& brush, int scale = 1)
      : s_(s), scale_(scale) {
    xor_ = pen.Mode == pmXor;
    const QRgb fg = ColorToRGB(pen.Color), bg = ColorToRGB(brush.Color);
    fg_ = xor_ ? (fg & 0xFFFFFFu) : (fg | 0xFF000000u);
    bg_ = xor_ ? (bg & 0xFFFFFFu) : (bg | 0xFF000000u);
    gaps_ = brush.Style == bsSolid;
    pattern_ = PatternFor(pen.Style, scale);
  }

  // A segment between device points.
  void Segment(int x0, int y0, int x1, int y1) {
    if (scale_ == 1) {
      Thin(x0, y0, x1, y1);
      return;
    }
    const bool xMajor = std::abs(i64(x1) - x0) >= std::abs(i64(y1) - y0);
    const int across = xMajor ? 0 : 1, down = xMajor ? 1 : 0;
    const int start = phase_;
    const auto moved = [](int v, int by) { return int(std::min<i64>(i64(v) + by, INT_MAX)); };
    for (int k = 0; k < scale_; ++k) {
      phase_ = start;
      Thin(moved(x0, k * across), moved(y0, k * down), moved(x1, k * across), moved(y1, k * down));
    }
  }

  // A segment between logical points: the s-fold enlargement of the one-pixel line
  // where it is horizontal or vertical. A line that runs towards smaller coordinates
  // starts and ends at the far side of its pixels' device blocks, so that it covers
  // the same blocks as the line drawn at scale 1.
  void LogicalSegment(int x0, int y0, int x1, int y1) {
    if (scale_ == 1) {
      Thin(x0, y0, x1, y1);
      return;
    }
    const i64 dx = i64(x1) - x0, dy = i64(y1) - y0;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int ox = xMajor && dx < 0 ? scale_ - 1 : 0, oy = !xMajor && dy < 0 ? scale_ - 1 : 0;
    Segment(ToDevice(x0, scale_) + ox, ToDevice(y0, scale_) + oy, ToDevice(x1, scale_) + ox,
            ToDevice(y1, scale_) + oy);
  }

  // Sets each pixel of the box once with the pen colour (degenerate outlines); device pixels.
  void Box(int x1, int y1, int x2, int y2) { FillBox(s_, x1, y1, x2, y2, fg_, xor_); }

private:
  void Thin(int x0, int y0, int x1, int y1) {
    LineSpan span;
    if (unsigned(x0) < unsigned(s_.w) && unsigned(x1) < unsigned(s_.w) &&
        unsigned(y0) < unsigned(s_.h) && unsigned(y1) < unsigned(s_.h)) {
      InsideLine(s_.stride, x0, y0, x1, y1, span); // the common case: no clipping
    } else if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= s_.w && x1 >= s_.w) ||
               (y0 >= s_.h && y1 >= s_.h)) {
      // Wholly on one side of the image: nothing shows, the dash phase runs on.
      if (!pattern_) return;
      const i64 adx = std::abs(i64(x1) - x0), ady = std::abs(i64(y1) - y0);
      phase_ = int((phase_ + std::max(adx, ady)) % pattern_->period);
      return;
    } else {
      ClipLine(s_.w, s_.h, s_.stride, x0, y0, x1, y1, span);
    }
    if (span.total == 0) return;
    if (!pattern_) {
      if (span.count == 0) return;
      if (xor_) WalkSolid(s_.bits, span, OpXor{fg_});
      else WalkSolid(s_.bits, span, OpCopy{fg_});
      return;
    }
    const int period = pattern_->period;
    phase_ = int((phase_ + span.before) % period);
    if (span.count > 0) {
      if (xor_) WalkStyled(s_.bits, span, OpXor{fg_}, OpXor{bg_}, gaps_, *pattern_, phase_);
      else WalkStyled(s_.bits, span, OpCopy{fg_}, OpCopy{bg_}, gaps_, *pattern_, phase_);
    }
    phase_ = int((phase_ + (span.total - span.before - span.count)) % period);
  }

  const Surface& s_;
  int scale_ = 1;
  quint32 fg_ = 0, bg_ = 0;
  bool xor_ = false, gaps_ = false;
  const DashPattern* pattern_ = nullptr;
  int phase_ = 0;
};

QPen WidePen(const TPen& pen) {
  QPen p(ToQColor(pen.Color));
  p.setWidth(NormalisedPenWidth(pen));
  p.setCapStyle(Qt::RoundCap);
  p.setJoinStyle(Qt::RoundJoin);
  return p;
}

// The pen for a device canvas (printer): styles as dash patterns in pen widths.
QPen DevicePen(const TPen& pen) {
  QPen p = WidePen(pen);
  if (NormalisedPenWidth(pen) == 1) {
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    switch (pen.Style) {
    case psDash: p.setDashPattern({18, 6}); break;
    case psDot: p.setDashPattern({3, 3}); break;
    case psDashDot: p.setDashPattern({9, 6, 3, 6}); break;
    case psDashDotDot: p.setDashPattern({9, 3, 3, 3, 3, 3}); break;
    default: break;
    }
  }
  return p;
}

void SetMode(QPainter& p, const TPen& pen) {
  if (pen.Mode == pmXor) p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
}

} // namespace

// ---------------------------------------------------------------------------------------------

int DeviceScaleFor(double devicePixelRatio) {
  if (!(devicePixelRatio >= 1.5)) return 1; // also for NaN
  if (devicePixelRatio >= MaxDeviceScale) return MaxDeviceScale;
  return int(std::floor(devicePixelRatio + 0.5));
}

TCanvas::TCanvas(QImage* image) : d_(new Impl), image_(image) {}

TCanvas::TCanvas(QPaintDevice* device) : d_(new Impl), device_(device) {}

TCanvas::~TCanvas() {
  EndDraw();
  delete d_;
}

void TCanvas::EndDraw() {
  if (d_->devicePainter) {
    if (d_->devicePainter->isActive()) d_->devicePainter->end();
    d_->devicePainter.reset();
  }
}

// The clip lives on the device's painter: every drawing call saves and restores the
// painter's state around itself, so it keeps the clip set here.
void TCanvas::SetClipRect(const QRect& clip) {
  if (!device_) return;
  if (!d_->devicePainter) d_->devicePainter = std::make_unique<QPainter>(device_);
  if (!d_->devicePainter->isActive()) return;
  if (clip.isEmpty()) d_->devicePainter->setClipping(false);
  else d_->devicePainter->setClipRect(clip);
}

int TCanvas::DeviceScale() const { return image_ ? DeviceScaleFor(image_->devicePixelRatio()) : 1; }

int TCanvas::Width() const {
  if (image_) return image_->width() / DeviceScale();
  return device_ ? device_->width() : 0;
}

int TCanvas::Height() const {
  if (image_) return image_->height() / DeviceScale();
  return device_ ? device_->height() : 0;
}

// ---- Lines ----------------------------------------------------------------------------------

void TCanvas::MoveTo(int x, int y) { penPos_ = QPoint(x, y); }

void TCanvas::LineTo(int x, int y) {
  const QPoint from = penPos_;
  penPos_ = QPoint(x, y);
  if (Pen.Style == psClear) return;
  if (image_ && NormalisedPenWidth(Pen) == 1) {
    Surface s;
    if (!GetSurface(image_, s)) return;
    PenRaster r(s, Pen, Brush, DeviceScale());
    r.LogicalSegment(from.x(), from.y(), x, y);
    return;
  }
  PaintScope p(image_, device_, d_->devicePainter);
  if (!p) return;
  SetMode(*p, Pen);
  p->setPen(image_ ? WidePen(Pen) : DevicePen(Pen));
  p->drawLine(from, QPoint(x, y));
}

void TCanvas::Polyline(const QPoint* points, int count) {
  if (count <= 0 || !points) return;
  penPos_ = points[count - 1];
  if (count < 2 || Pen.Style == psClear) return;
  if (image_ && NormalisedPenWidth(Pen) == 1) {
    Surface s;
    if (!GetSurface(image_, s)) return;
    const int scale = DeviceScale();
    PenRaster r(s, Pen, Brush, scale);
    if (scale != 1) {
      for (int i = 1; i < count; ++i)
        r.LogicalSegment(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
      return;
    }
    if (Pen.Style == psSolid && Pen.Mode == pmCopy) {
      // The common case of a curve: a solid pen, most segments a pixel or two long and
      // inside the image. They are walked here directly; the others go through Segment.
      const quint32 rgb = ColorToRGB(Pen.Color) | 0xFF000000u;
      const unsigned w = unsigned(s.w), h = unsigned(s.h);
      for (int i = 1; i < count; ++i) {
        const int x0 = points[i - 1].x(), y0 = points[i - 1].y();
        const int x1 = points[i].x(), y1 = points[i].y();
        const i64 dx = i64(x1) - x0, dy = i64(y1) - y0;
        if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
          // A step of at most one pixel (most steps of a dense curve): the end pixel is
          // left out, so only the start pixel is drawn, if the step has a length at all.
          if ((dx | dy) != 0 && unsigned(x0) < w && unsigned(y0) < h)
            s.bits[qsizetype(y0) * s.stride + x0] = rgb;
          continue;
        }
        if (unsigned(x0) < w && unsigned(x1) < w && unsigned(y0) < h && unsigned(y1) < h) {
          LineSpan span;
          InsideLine(s.stride, x0, y0, x1, y1, span);
          WalkSolid(s.bits, span, OpCopy{rgb});
        } else {
          r.Segment(x0, y0, x1, y1);
        }
      }
      return;
    }
    for (int i = 1; i < count; ++i)
      r.Segment(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
    return;
  }
  PaintScope p(image_, device_, d_->devicePainter);
  if (!p) return;
  SetMode(*p, Pen);
  p->setPen(image_ ? WidePen(Pen) : DevicePen(Pen));
  p->drawPolyline(points, count);
}

void TCanvas::MoveToDevice(int x, int y) {
  const int s = DeviceScale();
  penPos_ = s == 1 ? QPoint(x, y) : QPoint(int(FloorDiv(x, s)), int(FloorDiv(y, s)));
}

void TCanvas::PolylineDevice(const QPoint* points, int count) {
  const int scale = DeviceScale();
  if (scale == 1) {
    Polyline(points, count);
    return;
  }
  if (count <= 0 || !points) return;
  MoveToDevice(points[count - 1].x(), points[count - 1].y());
  if (count < 2 || Pen.Style == psClear) return;
  if (NormalisedPenWidth(Pen) > 1) {
    PaintScope p(image_, device_, d_->devicePainter);
    if (!p) return;
    SetMode(*p, Pen);
    p->scale(1.0 / scale, 1.0 / scale); // device pixels; the pen keeps its device width
    QPen pen = WidePen(Pen);
    pen.setWidth(NormalisedPenWidth(Pen) * scale);
    p->setPen(pen);
    p->drawPolyline(points, count);
    return;
  }
  Surface s;
  if (!GetSurface(image_, s)) return;
  PenRaster r(s, Pen, Brush, scale);
  const bool plain = Pen.Style == psSolid && Pen.Mode == pmCopy;
  const quint32 rgb = ColorToRGB(Pen.Color) | 0xFF000000u;
  for (int i = 1; i < count; ++i) {
    const int x0 = points[i - 1].x(), y0 = points[i - 1].y();
    const int x1 = points[i].x(), y1 = points[i].y();
    const i64 dx = i64(x1) - x0, dy = i64(y1) - y0;
    if (plain && dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
      // A step of at most one pixel draws its start pixel only, widened across.
      if ((dx | dy) == 0) continue;
      const bool xMajor = std::abs(dx) >= std::abs(dy);
      const int ex = xMajor ? 0 : scale - 1, ey = xMajor ? scale - 1 : 0;
      if (x0 >= 0 && y0 >= 0 && i64(x0) + ex < s.w && i64(y0) + ey < s.h) {
        quint32* at = s.bits + qsizetype(y0) * s.stride + x0;
        const qsizetype across = xMajor ? s.stride : 1;
        for (int k = 0; k < scale; ++k) at[k * across] = rgb;
        continue;
      }
    }
    r.Segment(x0, y0, x1, y1);
  }
}

// ---- Areas ----------------------------------------------------------------------------------

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  const bool outline = Pen.Style != psClear;
  const bool fill = Brush.Style != bsClear;
  const int pw = outline ? NormalisedPenWidth(Pen) : 0;

  if (!image_) { // printer canvas
    PaintScope p(image_, device_, d_->devicePainter);
    if (!p) return;
    SetMode(*p, Pen);
    if (fill) p->fillRect(QRect(x1, y1, x2 - x1, y2 - y1), ToQColor(Brush.Color));
    if (outline) {
      p->setPen(DevicePen(Pen));
      p->setBrush(Qt::NoBrush);
      const qreal h = pw / 2.0;
      p->drawRect(QRectF(x1 + h, y1 + h, x2 - x1 - pw, y2 - y1 - pw));
    }
    return;
  }

  Surface s;
  if (!GetSurface(image_, s)) return;
  const bool xorMode = Pen.Mode == pmXor;
  const int scale = DeviceScale();
  const auto D = [scale](int v) { return scale == 1 ? v : ToDevice(v, scale); };
  // A box given in logical pixels, x1 .. x2-1, y1 .. y2-1.
  const auto box = [&](int l, int t, int r, int b, QRgb rgb) {
    FillBox(s, D(l), D(t), D(r), D(b), rgb, xorMode);
  };
  if (!outline) {
    if (fill) box(x1, y1, x2, y2, ColorToRGB(Brush.Color));
    return;
  }
  if (pw == 1) {
    if (fill) box(x1 + 1, y1 + 1, x2 - 1, y2 - 1, ColorToRGB(Brush.Color));
    PenRaster r(s, Pen, Brush, scale);
    if (i64(x2) - x1 <= 2 || i64(y2) - y1 <= 2) {
      r.Box(D(x1), D(y1), D(x2), D(y2)); // the outline covers everything
      return;
    }
    // A closed figure: the last segment ends where the first began (not drawn twice).
    r.LogicalSegment(x1, y1, x2 - 1, y1);
    r.LogicalSegment(x2 - 1, y1, x2 - 1, y2 - 1);
    r.LogicalSegment(x2 - 1, y2 - 1, x1, y2 - 1);
    r.LogicalSegment(x1, y2 - 1, x1, y1);
    return;
  }
  // Wide pens draw solid; psInsideFrame keeps the band inside the rectangle, the other
  // styles centre it on the one-pixel outline.
  int ox1, oy1, ox2, oy2; // outer box, exclusive right/bottom
  if (Pen.Style == psInsideFrame) {
    ox1 = x1;
    oy1 = y1;
    ox2 = x2;
    oy2 = y2;
  } else {
    const int out = (pw - 1) / 2;
    ox1 = x1 - out;
    oy1 = y1 - out;
    ox2 = x2 + out;
    oy2 = y2 + out;
  }
  const int ix1 = ox1 + pw, iy1 = oy1 + pw, ix2 = ox2 - pw, iy2 = oy2 - pw;
  const QRgb pen = ColorToRGB(Pen.Color);
  if (ix1 >= ix2 || iy1 >= iy2) {
    box(ox1, oy1, ox2, oy2, pen);
    return;
  }
  if (fill) box(ix1, iy1, ix2, iy2, ColorToRGB(Brush.Color));
  box(ox1, oy1, ox2, iy1, pen); // top band
  box(ox1, iy2, ox2, oy2, pen); // bottom band
  box(ox1, iy1, ix1, iy2, pen); // left band
  box(ix2, iy1, ox2, iy2, pen); // right band
}

void TCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  if (image_) {
    Surface s;
    if (!GetSurface(image_, s)) return;
    if (const int k = DeviceScale(); k != 1) {
      x1 = ToDevice(x1, k);
      y1 = ToDevice(y1, k);
      x2 = ToDevice(x2, k);
      y2 = ToDevice(y2, k);
    }
    FillBox(s, x1, y1, x2, y2, ColorToRGB(Brush.Color), false);
    return;
  }
  PaintScope p(image_, device_, d_->devicePainter);
  if (p) p->fillRect(QRect(x1, y1, x2 - x1, y2 - y1), ToQColor(Brush.Color));
}

void TCanvas::Polygon(const QPoint* points, int count) {
  if (!points || count < 2) return;
  const bool outline = Pen.Style != psClear;
  const bool fill = Brush.Style != bsClear;
  const bool thin = NormalisedPenWidth(Pen) == 1;
  if (fill || !thin || !image_) {
    PaintScope p(image_, device_, d_->devicePainter);
    if (!p) return;
    SetMode(*p, Pen);
    if (fill) {
      // Qt samples pixel (x, y) at (x + 0.5, y + 0.5), the line rasteriser at (x, y):
      // the shift makes the interior meet the outline without gaps, and a polygon
      // without a pen leaves out its right and bottom edges, as the platform does.
      // (At a device scale s the painter works in logical pixels: 0.5 / s device pixels
      // puts the sample of a block's first pixel on the logical pixel's point.)
      p->save();
      const qreal shift = 0.5 / DeviceScale();
      p->translate(shift, shift);
      p->setPen(Qt::NoPen);
      p->setBrush(ToQColor(Brush.Color));
      p->drawPolygon(points, count, Qt::OddEvenFill);
      p->restore();
    }
    if (outline && (!thin || !image_)) {
      p->setPen(image_ ? WidePen(Pen) : DevicePen(Pen));
      p->setBrush(Qt::NoBrush);
      p->drawPolygon(points, count, Qt::OddEvenFill);
    }
  }
  if (outline && thin && image_) {
    Surface s;
    if (!GetSurface(image_, s)) return;
    PenRaster r(s, Pen, Brush, DeviceScale());
    for (int i = 1; i < count; ++i)
      r.LogicalSegment(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
    r.LogicalSegment(points[count - 1].x(), points[count - 1].y(), points[0].x(), points[0].y());
  }
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (image_) {
    Surface s;
    if (!GetSurface(image_, s)) return;
    if (const int k = DeviceScale(); k != 1) {
      FillBox(s, ToDevice(x, k), ToDevice(y, k), ToDevice(x, k) + k, ToDevice(y, k) + k, ColorToRGB(color), false);
      return;
    }
    if (x < 0 || y < 0 || x >= s.w || y >= s.h) return;
    s.bits[qsizetype(y) * s.stride + x] = ColorToRGB(color) | 0xFF000000u;
    return;
  }
  PaintScope p(image_, device_, d_->devicePainter);
  if (p) p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

TColor TCanvas::Pixel(int x, int y) const {
  if (!image_ || image_->isNull()) return 0xFFFFFFFFu;
  if (const int k = DeviceScale(); k != 1) {
    x = ToDevice(x, k);
    y = ToDevice(y, k);
  }
  if (!image_->valid(x, y)) return 0xFFFFFFFFu;
  return RGBToColor(image_->pixel(x, y));
}

// ---- Text -----------------------------------------------------------------------------------


int TCanvas::TextWidth(const QString& text) const { return d_->Width(Font, device_, text); }

int TCanvas::TextHeight(const QString&) const { return d_->Metrics(Font, device_).height(); }

void TCanvas::TextOut(int x, int y, const QString& text) {
  const QFontMetrics& fm = d_->Metrics(Font, device_);
  const int h = fm.height(), ascent = fm.ascent();
  const QFont qfont = d_->fonts[d_->current].qfont;
  const int w = d_->Width(Font, device_, text);
  if (Brush.Style == bsSolid && w > 0) FillRect(x, y, x + w, y + h);
  if (!text.isEmpty()) {
    PaintScope p(image_, device_, d_->devicePainter);
    if (p) {
      p->setFont(qfont);
      p->setPen(ToQColor(Font.Color));
      p->drawText(QPoint(x, y + ascent), text);
    }
  }
  MoveTo(x + w, y);
}

void TCanvas::TextRect(const QRect& clip, int x, int y, const QString& text) {
  const QRect r = clip.normalized();
  if (r.isEmpty()) return;
  const QFontMetrics& fm = d_->Metrics(Font, device_);
  const int ascent = fm.ascent();
  const QFont qfont = d_->fonts[d_->current].qfont;
  if (Brush.Style == bsSolid) FillRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
  if (text.isEmpty()) return;
  PaintScope p(image_, device_, d_->devicePainter);
  if (!p) return;
  p->setClipRect(r);
  p->setFont(qfont);
  p->setPen(ToQColor(Font.Color));
  p->drawText(QPoint(x, y + ascent), text);
}

// ---- Images ---------------------------------------------------------------------------------

namespace {
// A rectangle of logical pixels in the pixels of a device scale.
QRect ScaledRect(const QRect& r, int scale) {
  if (scale == 1) return r;
  return QRect(ToDevice(r.x(), scale), ToDevice(r.y(), scale), ToDevice(r.width(), scale),
               ToDevice(r.height(), scale));
}
} // namespace

void TCanvas::Draw(int x, int y, const QImage& source) {
  if (source.isNull()) return;
  if (image_ && source.format() == QImage::Format_RGB32) {
    // An opaque picture is a plain copy: no painter, no allocation.
    const int k = DeviceScaleFor(source.devicePixelRatio());
    const QRect whole(0, 0, source.width() / k, source.height() / k);
    CopyRect(whole.translated(x, y), source, whole, cmSrcCopy);
    return;
  }
  PaintScope p(image_, device_, d_->devicePainter);
  if (p) p->drawImage(QPoint(x, y), source);
}

void TCanvas::StretchDraw(const QRect& dest, const QImage& source) {
  if (source.isNull() || dest.isEmpty()) return;
  PaintScope p(image_, device_, d_->devicePainter);
  if (p) p->drawImage(dest, source);
}

void TCanvas::CopyRect(const QRect& logicalDest, const QImage& source, const QRect& logicalSource,
                       TCopyMode mode) {
  if (source.isNull() || logicalDest.isEmpty() || logicalSource.isEmpty()) return;
  const QRect sourceRect = ScaledRect(logicalSource, DeviceScaleFor(source.devicePixelRatio()));
  if (!image_) {
    PaintScope p(image_, device_, d_->devicePainter);
    if (!p) return;
    p->setCompositionMode(mode == cmSrcAnd ? QPainter::RasterOp_SourceAndDestination
                                           : QPainter::CompositionMode_Source);
    p->drawImage(logicalDest, source, sourceRect);
    return;
  }
  Surface s;
  if (!GetSurface(image_, s)) return;
  const QRect dest = ScaledRect(logicalDest, DeviceScale());

  // The source pixels, at the destination size, as RGB32 rows.
  const bool sameImage = source.constBits() == image_->constBits();
  // RGB32 and ARGB32 rows are used as they are (the platform's copies ignore alpha).
  const auto plain = [](QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32;
  };
  const bool direct = !sameImage && sourceRect.size() == dest.size() && plain(source.format()) &&
                      source.rect().contains(sourceRect);
  QImage temp;
  const QImage* src = &source;
  QPoint origin = sourceRect.topLeft();
  if (!direct) {
    temp = source.copy(sourceRect); // outside the source: black
    if (temp.size() != dest.size())
      temp = temp.scaled(dest.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!plain(temp.format())) temp.convertTo(QImage::Format_RGB32);
    src = &temp;
    origin = QPoint(0, 0);
  }
  const int x1 = std::max(dest.left(), 0), x2 = std::min(dest.left() + dest.width(), s.w);
  const int y1 = std::max(dest.top(), 0), y2 = std::min(dest.top() + dest.height(), s.h);
  if (x1 >= x2 || y1 >= y2) return;
  const bool opaque = src->format() == QImage::Format_RGB32;
  for (int y = y1; y < y2; ++y) {
    const quint32* srow = reinterpret_cast<const quint32*>(src->constScanLine(origin.y() + y - dest.top())) +
                          (origin.x() + x1 - dest.left());
    quint32* drow = s.bits + qsizetype(y) * s.stride + x1;
    const int n = x2 - x1;
    if (mode == cmSrcAnd) {
      for (int i = 0; i < n; ++i) drow[i] = (drow[i] & srow[i]) | 0xFF000000u;
    } else if (opaque) { // RGB32 rows already hold 0xFF in the alpha byte
      std::memcpy(drow, srow, size_t(n) * sizeof(quint32));
    } else {
      for (int i = 0; i < n; ++i) drow[i] = srow[i] | 0xFF000000u;
    }
  }
}

// ---- TBitmap --------------------------------------------------------------------------------

TBitmap::TBitmap(int width, int height) : canvas_(&image_) { SetSize(width, height); }

void TBitmap::SetSize(int width, int height, int scale) {
  if (width <= 0 || height <= 0) {
    image_ = QImage();
    return;
  }
  scale = std::clamp(scale, 1, MaxDeviceScale);
  image_ = QImage(width * scale, height * scale, QImage::Format_RGB32);
  if (scale > 1) image_.setDevicePixelRatio(scale);
  image_.fill(Qt::white);
}

bool TBitmap::LoadFromFile(const QString& fileName) {
  QImage loaded;
  if (!loaded.load(fileName)) return false;
  image_ = loaded.convertToFormat(QImage::Format_RGB32);
  return !image_.isNull();
}
