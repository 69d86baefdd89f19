#include "ItemRenderer.h"
#include "ItemRuns.h"
#include "VectorState.h"

TItemRenderer::TItemRenderer(TCustomRChart& chart, TCanvas& canvas, int xOffset, int yOffset,
                             bool monochrome)
    : chart_(chart), canvas_(canvas), monochrome_(monochrome), s_(canvas.DeviceScale()),
      limit_(TCustomRChart::PixelLimit * s_),
      shift_((xOffset - chart.marginLeft_) * s_, (yOffset - chart.marginTop_) * s_),
      points_(chart.items_->Points()), buffer_(chart.polyBuffer_.data()),
      current_(xOffset * s_, yOffset * s_) {
  for (int n = 1; n <= TCustomRChart::NumLayers; ++n) {
    const TScaleFactors& f = chart.ranges_.Factors(n);
    const bool fast = !chart.propsX_[n]->Logarithmic() && !chart.propsY_[n]->Logarithmic() &&
                      std::isfinite(double(f.kx)) && std::isfinite(double(f.dx)) &&
                      std::isfinite(double(f.ky)) && std::isfinite(double(f.dy));
    maps_[n] = FastLayer(fast, FastAxis(double(f.kx * s_), double(f.dx * s_)),
                         FastAxis(double(f.ky * s_), double(f.dy * s_)), limit_);
  }
}

void TItemRenderer::Draw() {
  TCanvas& canvas = canvas_;
  int curWidth = chart_.lineWidth_;
  canvas.Pen.Width = curWidth;
  canvas.MoveToDevice(current_.x(), current_.y());
  TColor curPen = chart_.chartColor_, curBrush = chart_.chartColor_;
  TPenStyle curStyle = psSolid;
  canvas.Pen.Color = curPen;
  canvas.Pen.Style = curStyle;
  canvas.Brush.Color = curBrush;

  const std::vector<TItemRun>& runs = chart_.items_->Runs();
  const int itemCount = chart_.itemCount_;
  for (size_t r = 0; r < runs.size() && runs[r].First < itemCount; ++r) {
    const TItemRun& run = runs[r];
    const int first = run.First;
    const int end = r + 1 < runs.size() ? std::min(runs[r + 1].First, itemCount) : itemCount;
    const TItemAttrs& a = run.Attrs;
    const int layer = a.Layer;
    if (!chart_.classVisible_[a.ItemClass] || layer < 1 || layer > TCustomRChart::NumLayers ||
        !chart_.layerVisible_[layer])
      continue;
    if (a.LineWidth != curWidth) {
      Flush();
      curWidth = a.LineWidth;
      canvas.Pen.Width = curWidth;
    }
    if (a.Kind == ikMoveTo) { // only the last of consecutive move-to items counts
      Flush();
      QPoint p;
      if (!maps_[layer].Map(points_[end - 1], shift_, p)) p = ExactPixel(layer, points_[end - 1]);
      current_ = p;
      canvas.MoveToDevice(p.x(), p.y());
      continue;
    }
    if (a.Kind != ikLineTo) continue;
    const TColor color = monochrome_ ? 0 : a.Color;
    if (color != curPen || a.PenStyle != curStyle || a.FillColor != curBrush) {
      Flush();
      curPen = color;
      curStyle = a.PenStyle;
      curBrush = a.FillColor;
      canvas.Pen.Color = curPen;
      canvas.Pen.Style = curStyle;
      canvas.Brush.Color = curBrush;
    }
    const long double kx = chart_.ranges_.Factors(layer).kx;
    if (run.Rising && end - first > 8 && kx != 0 && !chart_.propsX_[layer]->Logarithmic() &&
        ItemRuns::PlainHairline(canvas))
      AddVisiblePart(layer, first, end, kx > 0);
    else
      AddPoints(layer, first, end);
  }
  Flush();
}

void TItemRenderer::Flush() {
  if (n_ == 0) return;
  chart_.DrawPolyline(canvas_, buffer_, n_);
  current_ = buffer_[n_ - 1];
  canvas_.MoveToDevice(current_.x(), current_.y());
  n_ = 0;
}

void TItemRenderer::AddPoints(int layer, int i0, int i1) {
  const FastLayer& map = maps_[layer];
  const QPoint shift = shift_;
  const TItemPoint* const points = points_;
  QPoint* const buffer = buffer_;
  while (i0 < i1) {
    if (n_ == 0) buffer[n_++] = current_;
    const int n = n_;
    const int k = std::min(TCustomRChart::PolylineBufferSize - n, i1 - i0);
    Platform::ClearUpperVectorState(); // the drawing before may have used them
    bool mapped = true;
    for (int j = 0; j < k; ++j) mapped &= map.Map(points[i0 + j], shift, buffer[n + j]);
    if (!mapped)
      for (int j = 0; j < k; ++j)
        if (!map.Map(points[i0 + j], shift, buffer[n + j]))
          buffer[n + j] = ExactPixel(layer, points[i0 + j]);
    n_ = n + k;
    i0 += k;
    if (n_ == TCustomRChart::PolylineBufferSize) {
      Flush();
      buffer[n_++] = current_; // the next polyline continues from here
    }
  }
}

// A rising run of a plain hairline on a linear x axis: the items left and right
// of the image are found by binary search; of them only the neighbours of the
// visible ones and the run's ends are drawn (the rest would draw nothing). Long
// runs with two linear axes go column by column; lists of the main window's
// length keep their polylines of PolylineBufferSize items. At a device scale
// above 1 a one-pixel pen is no hairline: every item is drawn there.
void TItemRenderer::AddVisiblePart(int layer, int first, int end, bool rising) {
  // The per-item lambdas work on locals, which the stores into the buffer cannot change.
  const FastLayer& map = maps_[layer];
  const TItemPoint* const points = points_;
  const QPoint shift = shift_;
  const int limit = limit_, s = s_;
  auto clampPixel = [limit](int p) { return std::clamp(p, -limit, limit); };
  auto pixelX = [&](int i) {
    int px = 0;
    if (!map.x.Map(points[i].X, px)) px = chart_.MapToPixel(layer, points[i].X, 0, s).x();
    return clampPixel(px) + shift.x();
  };
  const ItemRuns::VisibleItems v =
      ItemRuns::FindVisibleItems(first, end, canvas_.Width(), rising, pixelX);
  if (v.First > first) AddPoints(layer, first, first + 1);
  if (end - first >= TCustomRChart::LongRun && map.fast) {
    auto pixelY = [&](double y) {
      int py = 0;
      if (!map.y.Map(y, py)) py = chart_.MapToPixel(layer, 0, y, s).y();
      return clampPixel(py) + shift.y();
    };
    auto pixel = [&](int i) {
      QPoint p;
      return map.Map(points[i], shift, p) ? p : ExactPixel(layer, points[i]);
    };
    QPoint* const buffer = buffer_;
    int n = n_;
    auto addPoint = [&](QPoint p) { // a point into the buffer, on the local count
      if (n == 0) buffer[n++] = current_;
      buffer[n++] = p;
      if (n == TCustomRChart::PolylineBufferSize) {
        n_ = n;
        Flush();
        n = 0;
        buffer[n++] = current_;
      }
    };
    Platform::ClearUpperVectorState();
    ItemRuns::AddColumns(points, v.First, v.Last + 1, pixelX, pixelY, pixel, addPoint);
    n_ = n;
  } else {
    AddPoints(layer, v.First, v.Last + 1);
  }
  if (v.Last < end - 1) AddPoints(layer, end - 1, end);
}

QPoint TItemRenderer::ExactPixel(int layer, const TItemPoint& p) const {
  const QPoint px = chart_.MapToPixel(layer, p.X, p.Y, s_);
  return QPoint(ClampPixel(px.x()) + shift_.x(), ClampPixel(px.y()) + shift_.y());
}
