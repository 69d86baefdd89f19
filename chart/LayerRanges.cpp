#include "LayerRanges.h"
#include "PixelMath.h"
#include <algorithm>
#include <cmath>

void TLayerRanges::Widen(int n, long double& lx, long double& ly, long double& hx, long double& hy,
                         bool isometric, const TChartGeometry& g) const {
  const TScaleProps* xp = propsX_[n];
  const TScaleProps* yp = propsY_[n];
  if (lx == hx) {
    if (xp->Logarithmic()) {
      lx /= 1.1L;
      hx *= 1.1L;
    } else {
      lx -= xp->MinRange() / 2;
      hx += xp->MinRange() / 2;
    }
  }
  if (ly == hy) {
    if (yp->Logarithmic()) {
      ly /= 1.1L;
      hy *= 1.1L;
    } else {
      ly -= yp->MinRange() / 2;
      hy += yp->MinRange() / 2;
    }
  }
  if (isometric) {
    const double c = static_cast<double>((hy + ly) / 2);
    const long double h = IsoHalfHeight(hx - lx, g);
    hy = c + h;
    ly = c - h;
  }
}

// A controlled axis keeps its range; the layers this one controls follow it.
void TLayerRanges::ApplyToLayer(int n, long double lx, long double ly, long double hx,
                                long double hy) {
  const TScaleProps* xp = propsX_[n];
  const TScaleProps* yp = propsY_[n];
  if (joints_->XControlledBy(n) != n) {
    lx = xp->RangeLow();
    hx = xp->RangeHigh();
  }
  if (joints_->YControlledBy(n) != n) {
    ly = yp->RangeLow();
    hy = yp->RangeHigh();
  }
  StoreRange(n, lx, ly, hx, hy);
  ApplyJoints(n);
}

void TLayerRanges::ApplyJoints(int n) {
  for (int i = 1; i <= NumLayers; ++i) {
    if (i == n) continue;
    const int cx = joints_->XControlledBy(i);
    const int cy = joints_->YControlledBy(i);
    if (cx != n && cy != n) continue;
    StoreRange(i, propsX_[cx]->RangeLow(), propsY_[cy]->RangeLow(), propsX_[cx]->RangeHigh(),
               propsY_[cy]->RangeHigh());
  }
}

// The width is checked on the 64-bit values that are stored, so that a range
// widened by exactly MinRange is kept.
void TLayerRanges::StoreRange(int n, long double lx, long double ly, long double hx,
                              long double hy) {
  auto store = [](TScaleProps* p, long double lo, long double hi) {
    const double dlo = static_cast<double>(lo), dhi = static_cast<double>(hi);
    if (!std::isfinite(dlo) || !std::isfinite(dhi)) return;
    if (std::fabs(dlo - dhi) < p->MinRange()) return;
    if (p->Logarithmic()) {
      if (lo >= LogMin) p->StoreRangeLow(dlo);
      if (hi >= LogMin) p->StoreRangeHigh(dhi);
    } else {
      p->StoreRangeLow(dlo);
      p->StoreRangeHigh(dhi);
    }
  };
  store(propsX_[n], lx, hx);
  store(propsY_[n], ly, hy);
  if (OnStored) OnStored(n);
}

// The layer keeps its own range on the other axis.
void TLayerRanges::LayerJoined(int n, bool x) {
  const int cx = x ? joints_->XControlledBy(n) : n;
  const int cy = x ? n : joints_->YControlledBy(n);
  StoreRange(n, propsX_[cx]->RangeLow(), propsY_[cy]->RangeLow(), propsX_[cx]->RangeHigh(),
             propsY_[cy]->RangeHigh());
}

void TLayerRanges::StoreAll() {
  for (int n = 1; n <= NumLayers; ++n) {
    StoreRange(n, propsX_[n]->RangeLow(), propsY_[n]->RangeLow(), propsX_[n]->RangeHigh(),
               propsY_[n]->RangeHigh());
    ApplyJoints(n);
  }
}

// On this data area and screen.
long double TLayerRanges::IsoHalfHeight(long double xWidth, const TChartGeometry& g) {
  const long double dh = g.area.height();
  const long double dw = g.area.width();
  return xWidth * dh / dw * g.aspectY / g.aspectX / 2;
}

void TLayerRanges::RefitIsometric(const TChartGeometry& g) {
  for (int n = 1; n <= NumLayers; ++n) {
    TScaleProps* xp = propsX_[n];
    TScaleProps* yp = propsY_[n];
    const double c = (yp->RangeHigh() + yp->RangeLow()) / 2;
    const long double h =
        IsoHalfHeight(static_cast<long double>(xp->RangeHigh()) - xp->RangeLow(), g);
    yp->SetRangeHigh(static_cast<double>(c + h));
    yp->SetRangeLow(static_cast<double>(c - h));
  }
}

// ============================================================================
// Mapping
// ============================================================================

void TLayerRanges::CalcFactors(const TChartGeometry& g) {
  const int w = g.control.width(), h = g.control.height();
  const int marginLeft = g.area.left(), marginTop = g.area.top();
  const long double a = g.area.width() - 1;
  const long double right = g.area.right();
  const long double b = g.area.height() - 1;
  const long double bottom = g.area.bottom();
  for (int n = 1; n <= NumLayers; ++n) {
    TScaleFactors& f = factors_[n];
    long double lo = propsX_[n]->RangeLow(), hi = propsX_[n]->RangeHigh();
    if (propsX_[n]->Logarithmic()) {
      lo = std::log(lo);
      hi = std::log(hi);
    }
    if (a <= 0) {
      f.kx = 0;
      f.dx = w / 2.0L;
    } else {
      f.kx = a / (hi - lo);
      f.dx = (marginLeft * hi - right * lo) / (hi - lo);
    }
    lo = propsY_[n]->RangeLow();
    hi = propsY_[n]->RangeHigh();
    if (propsY_[n]->Logarithmic()) {
      lo = std::log(lo);
      hi = std::log(hi);
    }
    if (b <= 0) {
      f.ky = 0;
      f.dy = h / 2.0L;
    } else {
      f.ky = -b / (hi - lo);
      f.dy = (bottom * hi - marginTop * lo) / (hi - lo);
    }
  }
}

QPoint TLayerRanges::MapToPixel(int layer, double x, double y, int deviceScale, QSize control) const {
  layer = std::clamp(layer, 1, NumLayers);
  const TScaleFactors& f = factors_[layer];
  const TScaleProps* xp = propsX_[layer];
  const TScaleProps* yp = propsY_[layer];
  long double px, py;
  if (!xp->Logarithmic())
    px = f.kx * x + f.dx;
  else if (x > LogMin)
    px = f.kx * std::log(static_cast<long double>(x)) + f.dx;
  else
    px = xp->RangeHigh() >= xp->RangeLow() ? 0 : control.width();
  if (!yp->Logarithmic())
    py = f.ky * y + f.dy;
  else if (y > LogMin)
    py = f.ky * std::log(static_cast<long double>(y)) + f.dy;
  else
    py = yp->RangeHigh() >= yp->RangeLow() ? control.height() : 0;
  if (deviceScale != 1) {
    px *= deviceScale;
    py *= deviceScale;
  }
  return QPoint(RoundPixel(px), RoundPixel(py));
}

QPointF TLayerRanges::MapToWorld(int layer, int px, int py) const {
  layer = std::clamp(layer, 1, NumLayers); // out-of-range numbers must not read outside the table
  const TScaleFactors& f = factors_[layer];
  long double x = (px - f.dx) / f.kx;
  long double y = (py - f.dy) / f.ky;
  if (propsX_[layer]->Logarithmic()) x = std::exp(x);
  if (propsY_[layer]->Logarithmic()) y = std::exp(y);
  return QPointF(static_cast<double>(x), static_cast<double>(y));
}
