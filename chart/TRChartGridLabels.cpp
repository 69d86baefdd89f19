// The grid and the text labels of the chart's data image.
#include "ChartGrid.h"
#include "PixelMath.h"
#include "TRChart.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// A control pixel moved by an offset, kept inside the range the canvas takes
// (anything this far out is off the image anyway).
int Shifted(long long p, long long by) {
  return static_cast<int>(std::clamp(p + by, -(1LL << 30), 1LL << 30));
}

} // namespace

// ============================================================================
// Grid
// ============================================================================

int TCustomRChart::GridValues(bool x, double* out) const {
  const int layer = std::clamp(currentLayer_, 1, NumLayers);
  const TScaleProps* p = x ? static_cast<const TScaleProps*>(propsX_[layer]) : propsY_[layer];
  const TScale* scale = x ? scaleX_[layer] : scaleY_[layer];
  const double step = x ? gridDx_ : gridDy_;
  double lo = p->RangeLow(), hi = p->RangeHigh();
  if (lo > hi) std::swap(lo, hi);
  const bool fromTicks = step == 0;

  double v;
  if (fromTicks)
    v = scale->NumTicks() >= 1 ? scale->TickPosition(1) : lo;
  else
    v = ChartGrid::FirstValue(lo, step, p->Logarithmic());

  // Every rule moves upwards; a value that is not finite (a logarithmic axis
  // reaching 0) ends the walk like the upper end does.
  int n = 0;
  while (n < MaxGridLines && std::isfinite(v) && v < hi) {
    out[n++] = v;
    if (fromTicks)
      v = n + 1 <= scale->NumTicks() ? scale->TickPosition(n + 1)
                                     : std::max(p->RangeLow(), p->RangeHigh());
    else
      v = ChartGrid::NextValue(v, step, p->Logarithmic());
  }
  return n;
}

void TCustomRChart::DrawGrid(TCanvas& c, int XOffset, int YOffset) {
  c.Brush.Color = chartColor_; // fills the gaps of dotted lines
  c.Pen.Color = gridColor_;
  const int layer = std::clamp(currentLayer_, 1, NumLayers);
  const TScaleProps* xp = propsX_[layer];
  const TScaleProps* yp = propsY_[layer];
  const int nx = GridValues(true, gridX_.data());
  const int ny = GridValues(false, gridY_.data());
  auto at = [&](double x, double y) {
    const QPoint p = MapToPixel(layer, x, y);
    return QPoint(Shifted(p.x(), XOffset - marginLeft_), Shifted(p.y(), YOffset - marginTop_));
  };

  if (gridStyle_ == gsPoints) {
    int count = 0;
    for (int i = 0; i < nx && count < MaxGridLines; ++i)
      for (int j = 0; j < ny && count < MaxGridLines; ++j, ++count) {
        const QPoint p = at(gridX_[i], gridY_[j]);
        c.SetPixel(p.x(), p.y(), gridColor_);
      }
    return;
  }
  const ChartGrid::Lines lines = ChartGrid::LinesOf(gridStyle_);
  c.Pen.Style = lines.dotted ? psDot : psSolid;
  if (lines.vertical)
    for (int i = 0; i < nx; ++i) {
      const QPoint from = at(gridX_[i], yp->RangeLow()), to = at(gridX_[i], yp->RangeHigh());
      c.MoveTo(from.x(), from.y());
      c.LineTo(to.x(), to.y());
    }
  if (lines.horizontal)
    for (int j = 0; j < ny; ++j) {
      const QPoint from = at(xp->RangeLow(), gridY_[j]), to = at(xp->RangeHigh(), gridY_[j]);
      c.MoveTo(from.x(), from.y());
      c.LineTo(to.x(), to.y());
    }
  c.Pen.Style = psSolid;
}

// ============================================================================
// Text labels
// ============================================================================

void TCustomRChart::DrawTextLabel(TCanvas& c, const TTextLabel& label, int XOffset, int YOffset) {
  // 1. Anchor in control pixels plus the offsets.
  const TTxtLblAttachMode attach = label.AttachToData();
  const QPoint mapped = attach == tlamNone ? QPoint()
                                           : MapToPixel(label.Layer(), label.PosX(), label.PosY());
  long long ax = (attach == tlamXOnly || attach == tlamBoth) ? mapped.x() : RoundPixel(label.PosX());
  long long ay = (attach == tlamYOnly || attach == tlamBoth) ? mapped.y() : RoundPixel(label.PosY());
  ax += XOffset;
  ay += YOffset;

  // 2. Font, pen and brush.
  const bool transparent = label.Transparent();
  c.Font = label.Font()->Data();
  c.Pen.Color = label.ColorBorder();
  c.Pen.Style = psSolid;
  c.Brush.Color = label.ColorBkg();
  c.Brush.Style = transparent ? bsClear : bsSolid;

  // 3. Lines and the block's size; the line feeds are neither drawn nor measured.
  const QString& caption = label.Caption();
  const QStringList lines = caption.split(QLatin1Char('\n'));
  const long long n = lines.size();
  long long tw = 0;
  for (const QString& line : lines) tw = std::max<long long>(tw, c.TextWidth(line));
  if (tw == 0) tw = c.TextWidth(caption);
  const long long th = c.TextHeight(caption);

  // 4., 5. The anchor moves to the bottom-left of the text block.
  if (label.VerticalAlignment() == vaTop)
    ay += th * n;
  else if (label.VerticalAlignment() == vaCenter)
    ay += (th * n) / 2;
  if (label.Alignment() == taRightJustify)
    ax -= tw;
  else if (label.Alignment() == taCenter)
    ax -= tw / 2;

  // Control pixels to data-image pixels.
  auto X = [&](long long x) { return Shifted(x, -marginLeft_); };
  auto Y = [&](long long y) { return Shifted(y, -marginTop_); };
  const long long bl = ax - 4, bt = ay - th * n - 2, br = ax + tw + 4, bb = ay + 2;
  auto box = [&](int dx, int dy) { c.Rectangle(X(bl + dx), Y(bt + dy), X(br + dx), Y(bb + dy)); };

  // 6. Box by mode.
  switch (label.Mode()) {
  case tlOff: return;
  case tlsimple:
  case tlUnderline:
    if (!transparent) {
      c.Pen.Color = label.ColorBkg();
      box(0, 0);
    }
    if (label.Mode() == tlUnderline) {
      c.Pen.Color = label.ColorBorder();
      c.MoveTo(X(ax), Y(ay));
      c.LineTo(X(ax + tw), Y(ay));
    }
    break;
  case tlBox: box(0, 0); break;
  case tlShadow:
    c.Pen.Color = label.ColorShadow();
    c.Brush.Color = label.ColorShadow();
    box(label.ShadowDx(), label.ShadowDy());
    c.Pen.Color = label.ColorBorder();
    c.Brush.Color = label.ColorBkg();
    box(0, 0);
    break;
  }

  // 7. Text, each line with the label's background behind it unless transparent.
  if (n == 1) {
    c.TextOut(X(ax), Y(ay - th), caption);
    return;
  }
  for (long long k = 0; k < n; ++k) {
    const QString& line = lines[static_cast<int>(k)];
    const long long w = c.TextWidth(line);
    long long dx = 0;
    if (label.Alignment() == taRightJustify)
      dx = tw - w;
    else if (label.Alignment() == taCenter)
      dx = (tw - w) / 2;
    c.TextOut(X(ax + dx), Y(ay - th * (n - k)), line);
  }
}
