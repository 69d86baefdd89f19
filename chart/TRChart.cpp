#include "TRChart.h"

#include "ChartAccessible.h"
#include "PaintLockGuard.h"
#include "Cursors.h"
#include "DeviceCaps.h"
#include "MessageBox.h"
#include "PixelMath.h"
#include <QResizeEvent>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr long double kLogMin = 1e-100L;

// Axis colours of layers 1 .. 16.
constexpr TColor kLayerColors[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple,
                                     clTeal,  clGray,   clSilver, clRed,  clLime,   clYellow,
                                     clBlue,  clFuchsia, clAqua,  clWhite};

// ---- standard layouts ----

struct ScaleCell {
  int posX, posY;
  TAlignment alignment;
  TScaleUnitAnchor anchor;
  int scalePos;
  bool visible;
  bool farSide; // x: top (else bottom); y: right (else left)
};

struct LayoutRow {
  int left, right, top, bottom;
  int captionX, captionY;
  TAlignment captionAlignment;
  TCaptionAnchorHoriz anchorHoriz;
  TCaptionAnchorVert anchorVert;
  ScaleCell x[4];
  ScaleCell y[4];
};

constexpr ScaleCell kDefX{10, 100, taCenter, uaSclCenter, 0, false, false};
constexpr ScaleCell kDefY{10, 100, taRightJustify, uaSclTopLft, 0, false, false};
constexpr ScaleCell kX1{0, 22, taCenter, uaSclCenter, 0, true, false};
constexpr ScaleCell kYLeft23(int pos) { return {0, -23, taRightJustify, uaSclTopLft, pos, true, false}; }

constexpr LayoutRow kLayouts[] = {
    // rcl_X1Bottom_Y1Left
    {50, 20, 20, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {{0, -16, taLeftJustify, uaSclTopLft, 0, true, false}, kDefY, kDefY, kDefY}},
    // rcl_X1Bottom_Y2Left
    {100, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kDefY, kDefY}},
    // rcl_X1Bottom_Y3Left
    {150, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kYLeft23(100), kDefY}},
    // rcl_X1Bottom_Y4Left
    {200, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kYLeft23(100), kYLeft23(150)}},
    // rcl_X1Bottom_Y2Both
    {50, 50, 24, 40, 0, -20, taCenter, cahChartCenter, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), {0, -23, taLeftJustify, uaSclTopLft, 0, true, true}, kDefY, kDefY}},
    // rcl_X2Bottom_Y2Left
    {100, 20, 24, 70, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {{-20, 7, taRightJustify, uaSclTopLft, 0, true, false},
      {-20, 7, taRightJustify, uaSclTopLft, 30, true, false}, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kDefY, kDefY}},
    // rcl_X2Both_Y2Both
    {50, 50, 48, 40, 0, -46, taCenter, cahChartCenter, cavChartTop,
     {{-20, 7, taRightJustify, uaSclTopLft, 0, true, false},
      {-20, -24, taRightJustify, uaSclTopLft, 0, true, true}, kDefX, kDefX},
     {{0, -40, taRightJustify, uaSclTopLft, 0, true, false},
      {0, -40, taLeftJustify, uaSclTopLft, 0, true, true},
      {0, -23, taRightJustify, uaSclTopLft, 0, false, false},
      {0, -23, taRightJustify, uaSclTopLft, 0, false, false}}},
};
static_assert(std::size(kLayouts) == rcl_X2Both_Y2Both + 1);

void ApplyCell(TScaleProps* p, const ScaleCell& c) {
  p->SetCaptionPosX(c.posX);
  p->SetCaptionPosY(c.posY);
  p->SetCaptionAlignment(c.alignment);
  p->SetCaptionAnchor(c.anchor);
  p->SetScalePos(c.scalePos);
  p->SetVisible(c.visible);
}

} // namespace

// ============================================================================
// Creation and destruction
// ============================================================================

TCustomRChart::TCustomRChart(QWidget* parent) : TCustomControl(parent) {
  InstallChartAccessibility(); // a screen reader sees the chart as a chart
  // Step 1: empty list, paint lock until the window exists.
  paintLock_ = true;
  classVisible_.fill(true);
  layerVisible_.fill(true);
  RefreshNewAttrs();

  // Step 2: declared defaults are the member initialisers; AutoRedraw stays off
  // for the rest of the construction.
  font_ = new TFont(this);
  font_->setObjectName(QStringLiteral("Font"));

  // Step 3: crosshairs, text labels, background picture and joint layers.
  for (int i = 0; i < NumCrossHairs; ++i) {
    auto* ch = new TCrossHair(this);
    ch->setObjectName(QStringLiteral("CrossHair%1").arg(i + 1));
    ch->SetLayer(i + 1);
    crossHairs_[i] = ch;
  }
  for (int i = 0; i < NumTextLabels; ++i) {
    auto* tl = new TTextLabel(this);
    tl->setObjectName(QStringLiteral("TextLabel%1").arg(i + 1));
    tl->SetPosX(0);
    tl->SetPosY(0);
    tl->SetLayer(1);
    tl->SetAttachToData(tlamBoth);
    tl->SetAlignment(taCenter);
    tl->SetVerticalAlignment(vaBottom);
    tl->SetColorBkg(clWhite);
    tl->SetColorBorder(clBlack);
    tl->SetShadowDx(3);
    tl->SetShadowDy(3);
    tl->SetColorShadow(clGray);
    tl->SetTransparent(false);
    tl->SetCaption(QString());
    tl->SetFont(font_);
    tl->SetVisible(false);
    tl->SetMode(tlOff);
    textLabels_[i] = tl;
  }
  bakGndImg_ = new TBakGndImg(this);
  bakGndImg_->setObjectName(QStringLiteral("BackGroundImg"));
  jointLayers_ = new TJointLayers(this);
  jointLayers_->setObjectName(QStringLiteral("JointLayers"));

  auto repaint = [this](QObject*) { RepaintIfAuto(); };
  font_->OnChange = repaint;
  for (auto* ch : crossHairs_) ch->OnChange = repaint;
  for (auto* tl : textLabels_) tl->OnChange = repaint;
  bakGndImg_->OnChange = repaint;
  jointLayers_->OnChange = repaint;
  jointLayers_->OnJoined = [this](int layer, bool x) { LayerJoined(layer, x); };

  // Step 4: cursors of the mouse modes.
  Cursors::Register(1, QStringLiteral("CURHAND"));
  Cursors::Register(2, QStringLiteral("CURZOOMW"));
  Cursors::Register(3, QStringLiteral("CURZOOMD"));
  Cursors::Register(4, QStringLiteral("CURZOOMP"));

  // Step 5: images and the screen's pixel aspect.
  picture_.SetSize(10, 10);
  aspectX_ = std::max(1, DeviceCaps::ScreenAspectX());
  aspectY_ = std::max(1, DeviceCaps::ScreenAspectY());

  // Step 6: the layers' scale objects and property objects. The property
  // objects are connected once all of them exist.
  auto make_scale = [this](const QString& name) {
    auto* s = new TScale(this);
    s->setObjectName(name);
    s->SetSuppressPaint(true);
    s->SetChartOwned(true);
    s->SetExternalCanvas(&controlImage_.Canvas(), 0, 0);
    s->OnScaleTickDrawn = [this](QObject*, TCanvas& canvas, TScaleType type, double pos, int x,
                                 int y) {
      if (OnScaleTickDrawn) OnScaleTickDrawn(this, canvas, type, pos, x, y);
    };
    return s;
  };
  for (int n = 1; n <= NumLayers; ++n) {
    scaleX_[n] = make_scale(QStringLiteral("RC_FScale_X_%1").arg(n));
    auto* px = new TScalePropsHoriz(this);
    px->setObjectName(QStringLiteral("ScaleProps_X_%1").arg(n));
    px->SetColorScale(kLayerColors[n - 1]);
    px->SetScaleLocation(n % 2 ? slBottom : slTop);
    px->SetScalePos(((n - 1) / 2) * 30);
    propsX_[n] = px;
  }
  for (int n = 1; n <= NumLayers; ++n) {
    scaleY_[n] = make_scale(QStringLiteral("RC_FScale_Y_%1").arg(n));
    auto* py = new TScalePropsVert(this);
    py->setObjectName(QStringLiteral("ScaleProps_Y_%1").arg(n));
    py->SetColorScale(kLayerColors[n - 1]);
    py->SetScaleLocation(n % 2 ? slLeft : slRight);
    py->SetScalePos(((n - 1) / 2) * 50);
    propsY_[n] = py;
  }
  for (int n = 1; n <= NumLayers; ++n) {
    for (TScaleProps* p : {static_cast<TScaleProps*>(propsX_[n]), static_cast<TScaleProps*>(propsY_[n])}) {
      p->OnChange = [this](QObject*) { ScalePropsChanged(); };
      p->DateFormat()->OnChange = [this](QObject*) { ScalePropsChanged(); };
    }
  }

  // Step 7: size.
  SetBounds(x(), y(), 280, 200);
  // Step 8: standard layout.
  SetStandardLayout(rcl_X1Bottom_Y1Left);
  // Step 9: the scales draw transparently onto the control image.
  for (int n = 1; n <= NumLayers; ++n) {
    for (TScale* s : {scaleX_[n], scaleY_[n]}) {
      s->SetTransparent(true);
      s->SetColorBackGnd(windColor_);
      s->SetFrameStyle(fsNone);
      s->SetBounds(0, 0, width(), height());
    }
    SyncScale(scaleX_[n], propsX_[n]);
    SyncScale(scaleY_[n], propsY_[n]);
  }
  SetScaleAlongMargins();
  CalcScaleFactors();
  // Step 10: mouse state (maNone, layer 1 mouse-controlled), no event handlers,
  // AutoRedraw on. Moves without a button reach the chart too (cursor, position).
  mouseAction_ = maNone;
  mouseLayers_.fill(false);
  mouseLayers_[1] = true;
  setMouseTracking(true);
  autoRedraw_ = true;
}

TCustomRChart::~TCustomRChart() {
  destroying_ = true;
  // The focus goes while the chart is whole: its focus-out handlers may still look at it.
  if (hasFocus()) clearFocus();
  // Sharers keep a copy of what they show; this chart leaves its source.
  for (int i = 0; i < numSharers_; ++i) {
    TCustomRChart* s = sharers_[i];
    s->MaterialiseOwnList();
    s->usesData_ = nullptr;
  }
  numSharers_ = 0;
  LeaveSource();

  // Nothing may call back into the chart while its objects go.
  font_->OnChange = nullptr;
  for (auto* ch : crossHairs_) ch->OnChange = nullptr;
  for (auto* tl : textLabels_) tl->OnChange = nullptr;
  bakGndImg_->OnChange = nullptr;
  jointLayers_->OnChange = nullptr;
  jointLayers_->OnJoined = nullptr;
  for (int n = 1; n <= NumLayers; ++n) {
    for (TScaleProps* p : {static_cast<TScaleProps*>(propsX_[n]), static_cast<TScaleProps*>(propsY_[n])}) {
      p->OnChange = nullptr;
      p->DateFormat()->OnChange = nullptr;
    }
    // The scales draw onto the control image, which goes before the child objects.
    delete scaleX_[n];
    delete scaleY_[n];
  }
}

void TRChart::CreateWnd() { ClearPaintLock(); }

void TCustomRChart::Loaded() {
  TCustomControl::Loaded();
  SyncAllScales();
  for (int n = 1; n <= NumLayers; ++n) {
    propsX_[n]->MarkLoaded();
    propsY_[n]->MarkLoaded();
  }
  CalcScaleFactors();
  Paint();
}

// ============================================================================
// Display list
// ============================================================================

bool TCustomRChart::ClassVisible(int itemClass) const {
  return itemClass >= 0 && itemClass < 256 && classVisible_[itemClass];
}

bool TCustomRChart::LayerVisible(int layer) const {
  return layer >= 1 && layer <= NumLayers && layerVisible_[layer];
}

void TCustomRChart::SetCurrentLayer(int layer) {
  if (layer >= 1 && layer <= NumLayers) currentLayer_ = layer;
  RefreshNewAttrs();
}

void TCustomRChart::SetClassVisible(int itemClass, bool visible) {
  if (itemClass >= 0 && itemClass < 256) classVisible_[size_t(itemClass)] = visible;
}

void TCustomRChart::SetLayerVisible(int layer, bool visible) {
  if (layer >= 1 && layer <= NumLayers) layerVisible_[size_t(layer)] = visible;
}

// When this chart shows another chart's list, it first takes a copy of its own
// (a viewer never writes into the source's list).
void TCustomRChart::MaterialiseOwnList() {
  if (items_ == &ownItems_) return;
  ownItems_.AssignPrefix(*items_, itemCount_);
  itemCount_ = ownItems_.Count();
  capacity_ = itemCount_;
  items_ = &ownItems_;
}

void TCustomRChart::AppendItemSlow(quint8 kind, double x, double y) {
  if (items_ != &ownItems_) MaterialiseOwnList(); // checked here: this runs per item
  if (itemCount_ >= capacity_) // the capacity callers see grows by AllocSize
    capacity_ = capacity_ > INT_MAX - allocSize_ ? INT_MAX : capacity_ + allocSize_;
  ownItems_.Append(NewAttrs(kind), x, y);
  ++itemCount_;
  if (numSharers_ > 0) PropagateList();
}

TDisplayItem TCustomRChart::Item(int i) const {
  return i >= 0 && i < itemCount_ ? items_->Item(i) : TDisplayItem{};
}

void TCustomRChart::ClearItems() {
  DrawDataBackground(dataImage_.Canvas(), 0, 0);
  itemCount_ = 0;
  // The capacity is 0 again, but the storage stays for the next list up to a bound:
  // rebuilding a list of the same length then copies and reallocates nothing.
  ownItems_.Clear();
  capacity_ = 0;
  items_ = &ownItems_;
  PropagateList();
}

// A source gives its array (the same one) and its item count to its sharers.
void TCustomRChart::PropagateList() {
  for (int i = 0; i < numSharers_; ++i) {
    sharers_[i]->items_ = items_;
    sharers_[i]->itemCount_ = itemCount_;
  }
}

void TCustomRChart::ShowItems() {
  if (usesData_) { // a viewer first takes its source's current list
    items_ = usesData_->items_;
    itemCount_ = usesData_->itemCount_;
  }
  if (isVisible()) {
    PropagateList();
    // The fast path needs frame, caption and axes already in the window; before
    // the first full paint at the current size it would leave them out.
    if (autoRedraw_ && composedSize_ == size()) {
      ++stats_.FastRedraws;
      DrawDataBackground(dataImage_.Canvas(), 0, 0);
      RenderItems(dataImage_.Canvas(), 0, 0, false, false);
      PresentImage(marginLeft_, marginTop_, dataImage_);
    } else {
      Paint();
    }
  }
  if (usesData_) {
    TCustomRChart* source = usesData_;
    source->RepaintIfAuto();
    for (int i = 0; i < source->numSharers_; ++i) source->sharers_[i]->RepaintIfAuto();
  }
  for (int i = 0; i < numSharers_; ++i) sharers_[i]->RepaintIfAuto();
}

// ============================================================================
// Data sharing
// ============================================================================

void TCustomRChart::LeaveSource() {
  if (!usesData_) return;
  TCustomRChart* source = usesData_;
  int k = 0;
  for (int i = 0; i < source->numSharers_; ++i)
    if (source->sharers_[i] != this) source->sharers_[k++] = source->sharers_[i];
  for (int i = k; i < source->numSharers_; ++i) source->sharers_[i] = nullptr;
  source->numSharers_ = k;
  MaterialiseOwnList(); // keeps showing what it showed
  usesData_ = nullptr;
}

void TCustomRChart::SetUseDataOf(TCustomRChart* source) {
  if (source == this) {
    ShowInformation(QStringLiteral("RChart: Cannot share data with myself"));
    return;
  }
  if (source == usesData_) return;
  if (numSharers_ > 0) {
    ShowInformation(
        QStringLiteral("RChart: Cannot use foreign data. Other RCharts are using my own data."));
    return;
  }
  if (source && source->usesData_) source = source->usesData_; // sources are never sharers
  if (source == usesData_) return;
  if (source && source->numSharers_ >= MaxSharers) {
    ShowInformation(QStringLiteral("RChart: Max. number of data shares exceeded"));
    return;
  }
  LeaveSource();
  if (source) {
    ownItems_ = TItemList();
    capacity_ = 0;
    items_ = source->items_;
    itemCount_ = source->itemCount_;
    source->sharers_[source->numSharers_++] = this;
    usesData_ = source;
  }
  RepaintIfAuto();
}

// ============================================================================
// Layers, ranges and mapping
// ============================================================================

TScalePropsHoriz* TCustomRChart::ScalePropsX(int layer) const {
  return propsX_[layer >= 1 && layer <= NumLayers ? layer : 1];
}

TScalePropsVert* TCustomRChart::ScalePropsY(int layer) const {
  return propsY_[layer >= 1 && layer <= NumLayers ? layer : 1];
}

TScale* TCustomRChart::ScaleObjectX(int layer) const {
  return scaleX_[layer >= 1 && layer <= NumLayers ? layer : 1];
}

TScale* TCustomRChart::ScaleObjectY(int layer) const {
  return scaleY_[layer >= 1 && layer <= NumLayers ? layer : 1];
}

const TScaleFactors& TCustomRChart::ScaleFactors(int layer) const {
  return factors_[std::clamp(layer, 1, NumLayers)];
}

void TCustomRChart::CalcScaleFactors() {
  if (IsLoading()) return;
  const int w = width(), h = height();
  const long double a = w - marginLeft_ - marginRight_ - shadowWidth_;
  const long double right = w - marginRight_ - shadowWidth_;
  const long double b = h - marginTop_ - marginBottom_ - shadowWidth_;
  const long double bottom = h - marginBottom_ - shadowWidth_;
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
      f.dx = (marginLeft_ * hi - right * lo) / (hi - lo);
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
      f.dy = (bottom * hi - marginTop_ * lo) / (hi - lo);
    }
  }
}

QPoint TCustomRChart::MapToPixel(int layer, double x, double y, int deviceScale) const {
  layer = std::clamp(layer, 1, NumLayers);
  const TScaleFactors& f = factors_[layer];
  const TScaleProps* xp = propsX_[layer];
  const TScaleProps* yp = propsY_[layer];
  long double px, py;
  if (!xp->Logarithmic())
    px = f.kx * x + f.dx;
  else if (x > kLogMin)
    px = f.kx * std::log(static_cast<long double>(x)) + f.dx;
  else
    px = xp->RangeHigh() >= xp->RangeLow() ? 0 : width();
  if (!yp->Logarithmic())
    py = f.ky * y + f.dy;
  else if (y > kLogMin)
    py = f.ky * std::log(static_cast<long double>(y)) + f.dy;
  else
    py = yp->RangeHigh() >= yp->RangeLow() ? height() : 0;
  if (deviceScale != 1) {
    px *= deviceScale;
    py *= deviceScale;
  }
  return QPoint(RoundPixel(px), RoundPixel(py));
}

QPointF TCustomRChart::MapToWorld(int layer, int px, int py) const {
  layer = std::clamp(layer, 1, NumLayers); // out-of-range numbers must not read outside the table
  const TScaleFactors& f = factors_[layer];
  long double x = (px - f.dx) / f.kx;
  long double y = (py - f.dy) / f.ky;
  if (propsX_[layer]->Logarithmic()) x = std::exp(x);
  if (propsY_[layer]->Logarithmic()) y = std::exp(y);
  return QPointF(static_cast<double>(x), static_cast<double>(y));
}

// Half the height of a y range that shows the same scale as an x range of the
// given width, on this data area and screen.
long double TCustomRChart::IsoHalfHeight(long double xWidth) const {
  const long double dh = height() - marginTop_ - marginBottom_ - shadowWidth_ + 1;
  const long double dw = width() - marginLeft_ - marginRight_ - shadowWidth_ + 1;
  return xWidth * dh / dw * aspectY_ / aspectX_ / 2;
}

void TCustomRChart::SetLayerRange(int Layer, long double LoX, long double LoY, long double HiX,
                                  long double HiY) {
  if (Layer < 0 || Layer > NumLayers) return;
  // One lock over all layers, so that a call repaints once.
  TPaintLockGuard lock(*this);
  if (Layer == 0)
    for (int n = 1; n <= NumLayers; ++n) ApplyLayerRange(n, LoX, LoY, HiX, HiY);
  else
    ApplyLayerRange(Layer, LoX, LoY, HiX, HiY);
  const bool painted = lock.Restore();
  if (!painted && (autoRedraw_ || IsDesigning()) && !IsLoading()) Paint();
}

void TCustomRChart::ApplyLayerRange(int n, long double lx, long double ly, long double hx,
                                    long double hy) {
  TScaleProps* xp = propsX_[n];
  TScaleProps* yp = propsY_[n];
  // Widen an empty range.
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
  if (isometric_) {
    const double c = static_cast<double>((hy + ly) / 2);
    const long double h = IsoHalfHeight(hx - lx);
    hy = c + h;
    ly = c - h;
  }
  ApplyRangesToLayer(n, lx, ly, hx, hy);
}

void TCustomRChart::ApplyRangesToLayer(int n, long double lx, long double ly, long double hx,
                                       long double hy) {
  if (n < 1 || n > NumLayers) return;
  TScaleProps* xp = propsX_[n];
  TScaleProps* yp = propsY_[n];
  // A controlled axis keeps its range; the layers this one controls follow it.
  TPaintLockGuard lock(*this);
  if (jointLayers_->XControlledBy(n) != n) {
    lx = xp->RangeLow();
    hx = xp->RangeHigh();
  }
  if (jointLayers_->YControlledBy(n) != n) {
    ly = yp->RangeLow();
    hy = yp->RangeHigh();
  }
  StoreRange(n, lx, ly, hx, hy);
  ApplyJoints(n);
  lock.Restore();
}

// Gives every other layer controlled by this one its controllers' ranges.
void TCustomRChart::ApplyJoints(int n) {
  for (int i = 1; i <= NumLayers; ++i) {
    if (i == n) continue;
    const int cx = jointLayers_->XControlledBy(i);
    const int cy = jointLayers_->YControlledBy(i);
    if (cx != n && cy != n) continue;
    StoreRange(i, propsX_[cx]->RangeLow(), propsY_[cy]->RangeLow(), propsX_[cx]->RangeHigh(),
               propsY_[cy]->RangeHigh());
  }
}

// Stores a range in a layer's property objects: a range narrower than MinRange
// is not stored, nor a logarithmic bound below 1e-100; then the layer's scales
// and the scale factors follow. The width is checked on the 64-bit values that
// are stored, so that a range widened by exactly MinRange is kept.
void TCustomRChart::StoreRange(int n, long double lx, long double ly, long double hx,
                               long double hy) {
  auto store = [](TScaleProps* p, long double lo, long double hi) {
    const double dlo = static_cast<double>(lo), dhi = static_cast<double>(hi);
    if (!std::isfinite(dlo) || !std::isfinite(dhi)) return;
    if (std::fabs(dlo - dhi) < p->MinRange()) return;
    if (p->Logarithmic()) {
      if (lo >= kLogMin) p->StoreRangeLow(dlo);
      if (hi >= kLogMin) p->StoreRangeHigh(dhi);
    } else {
      p->StoreRangeLow(dlo);
      p->StoreRangeHigh(dhi);
    }
  };
  store(propsX_[n], lx, hx);
  store(propsY_[n], ly, hy);
  SyncScale(scaleX_[n], propsX_[n]);
  SyncScale(scaleY_[n], propsY_[n]);
  CalcScaleFactors();
}

// A join just stored by JointLayers: the layer takes its controller's range on
// that axis and keeps its own on the other one.
void TCustomRChart::LayerJoined(int n, bool x) {
  if (n < 1 || n > NumLayers) return;
  const int cx = x ? jointLayers_->XControlledBy(n) : n;
  const int cy = x ? n : jointLayers_->YControlledBy(n);
  StoreRange(n, propsX_[cx]->RangeLow(), propsY_[cy]->RangeLow(), propsX_[cx]->RangeHigh(),
             propsY_[cy]->RangeHigh());
}

void TCustomRChart::RefitIsometric() {
  for (int n = 1; n <= NumLayers; ++n) {
    TScaleProps* xp = propsX_[n];
    TScaleProps* yp = propsY_[n];
    const double c = (yp->RangeHigh() + yp->RangeLow()) / 2;
    const long double h = IsoHalfHeight(static_cast<long double>(xp->RangeHigh()) - xp->RangeLow());
    yp->SetRangeHigh(static_cast<double>(c + h));
    yp->SetRangeLow(static_cast<double>(c - h));
  }
}

// A scale property object changed: re-synchronise every scale, let joined
// layers follow, and repaint.
void TCustomRChart::ScalePropsChanged() {
  if (destroying_) return;
  if (propsBatch_ > 0) {
    propsPending_ = true;
    return;
  }
  TPaintLockGuard lock(*this);
  SyncAllScales();
  for (int n = 1; n <= NumLayers; ++n) {
    StoreRange(n, propsX_[n]->RangeLow(), propsY_[n]->RangeLow(), propsX_[n]->RangeHigh(),
               propsY_[n]->RangeHigh());
    ApplyJoints(n);
  }
  if (!lock.Restore()) Paint();
}

void TCustomRChart::EndPropsBatch() {
  if (--propsBatch_ > 0 || !propsPending_) return;
  propsPending_ = false;
  ScalePropsChanged();
}

void TCustomRChart::SyncAllScales() {
  for (int n = 1; n <= NumLayers; ++n) {
    SyncScale(scaleX_[n], propsX_[n]);
    SyncScale(scaleY_[n], propsY_[n]);
  }
}

// The margins of the scales along their axes: the x scales span the data
// area's width, the y scales its height.
void TCustomRChart::SetScaleAlongMargins() {
  for (int n = 1; n <= NumLayers; ++n) {
    scaleX_[n]->SetMarginLeft(marginLeft_);
    scaleX_[n]->SetMarginRight(marginRight_ + shadowWidth_ - 1);
    scaleY_[n]->SetMarginTop(marginTop_);
    scaleY_[n]->SetMarginBottom(marginBottom_ + shadowWidth_ - 1);
  }
}

void TCustomRChart::SyncScale(TScale* scale, TScaleProps* p) {
  if (!scale || !p) return;
  const int w = width(), h = height();
  const int code = std::clamp(p->LocationCode(), 0, 3);
  scale->SetScaleType(static_cast<TScaleType>(code));
  switch (code) {
  case TScaleProps::locTop: scale->SetMarginBottom(p->ScalePos() + h - marginTop_ - 1); break;
  case TScaleProps::locBottom:
    scale->SetMarginTop(p->ScalePos() + h - marginBottom_ - shadowWidth_);
    break;
  case TScaleProps::locRight:
    scale->SetMarginLeft(p->ScalePos() + w - marginRight_ - shadowWidth_);
    break;
  default: scale->SetMarginRight(p->ScalePos() + w - marginLeft_ - 1); break;
  }
  scale->SetRangeLow(p->RangeLow());
  scale->SetRangeHigh(p->RangeHigh());
  scale->SetVisible(p->Visible());
  scale->SetCaption(p->Caption());
  scale->SetCaptionPosX(p->CaptionPosX());
  scale->SetCaptionPosY(p->CaptionPosY());
  scale->SetCaptionAlignment(p->CaptionAlignment());
  scale->SetCaptionAnchor(p->CaptionAnchor());
  scale->SetColorScale(p->ColorScale());
  scale->SetDecPlaces(p->DecPlaces());
  scale->SetLogarithmic(p->Logarithmic());
  scale->SetLabelType(p->LabelType());
  scale->SetShortTicks(p->ShortTicks());
  scale->SetMinTicks(p->MinTicks());
  scale->SetScaleInscript(p->ScaleInscript());
  scale->SetUserTickText(p->UserTickText());
  scale->Font()->Assign(*p->Font());
  scale->Font()->SetColor(p->Font()->Color());
  TDTLabel* from = p->DateFormat();
  TDTLabel* to = scale->DateFormat();
  to->SetTimeFormat(from->TimeFormat());
  to->SetDateSeparatorChar(from->DateSeparatorChar());
  to->SetTimeSeparatorChar(from->TimeSeparatorChar());
  to->SetYearLength(from->YearLength());
  to->SetMonthName(from->MonthName());
  to->SetDateForTime(from->DateForTime());
  to->SetDateOrder(from->DateOrder());
}

// ============================================================================
// Paint lock
// ============================================================================

bool TCustomRChart::LockPaint() {
  const bool saved = paintLock_;
  paintLock_ = true;
  return saved;
}

bool TCustomRChart::RestorePaintLock(bool saved) {
  if (paintLock_ && !saved) {
    paintLock_ = false;
    Paint();
    return true;
  }
  paintLock_ = saved;
  return false;
}

void TCustomRChart::RepaintIfAuto() {
  if (destroying_) return;
  if (autoRedraw_ || IsDesigning()) Paint();
}

// ============================================================================
// Geometry
// ============================================================================

void TCustomRChart::SetBounds(int left, int top, int w, int h) {
  w = std::max(w, MinimumWidth());
  h = std::max(h, MinimumHeight());
  const TPaintLockGuard lock(*this); // put back quietly: the platform repaints a resized window
  setGeometry(left, top, w, h);
  ApplyResize();
}

// Everything that follows the control's size: isometric y ranges, the scales'
// size and margins, the scale factors.
void TCustomRChart::ApplyResize() {
  appliedSize_ = size();
  if (isometric_) {
    BeginPropsBatch();
    RefitIsometric();
    EndPropsBatch();
  }
  for (int n = 1; n <= NumLayers; ++n) {
    SyncScale(scaleX_[n], propsX_[n]);
    SyncScale(scaleY_[n], propsY_[n]);
    scaleX_[n]->SetBounds(0, 0, width(), height());
    scaleY_[n]->SetBounds(0, 0, width(), height());
  }
  SetScaleAlongMargins();
  CalcScaleFactors();
}

void TCustomRChart::resizeEvent(QResizeEvent* event) {
  TCustomControl::resizeEvent(event);
  if (width() < MinimumWidth() || height() < MinimumHeight()) {
    resize(std::max(width(), MinimumWidth()), std::max(height(), MinimumHeight()));
    return; // the resize comes back here with the allowed size
  }
  if (size() == appliedSize_) return;
  const TPaintLockGuard lock(*this);
  ApplyResize();
}

// Tab and the arrow keys stay with the chart.
bool TCustomRChart::focusNextPrevChild(bool) { return false; }

// ============================================================================
// Settings
// ============================================================================

TCrossHair* TCustomRChart::CrossHair(int i) const {
  return i >= 1 && i <= NumCrossHairs ? crossHairs_[i - 1] : nullptr;
}

TTextLabel* TCustomRChart::TextLabel(int i) const {
  return i >= 1 && i <= NumTextLabels ? textLabels_[i - 1] : nullptr;
}

void TCustomRChart::SetAllocSize(int v) {
  if (v >= 1 && v <= 1000000) allocSize_ = v;
}

void TCustomRChart::SetClassDefault(int v) {
  if (v >= 0 && v <= 254) classDefault_ = static_cast<quint8>(v);
  RefreshNewAttrs();
}

void TCustomRChart::SetLineWidth(int v) {
  if (v >= 0 && v <= 255) lineWidth_ = static_cast<quint8>(v);
  RefreshNewAttrs();
}

// Margin setters: store, then what follows every margin change.
void TCustomRChart::SetMarginLeft(int v) {
  marginLeft_ = v;
  AfterMarginChange(scaleX_, &TScale::SetMarginLeft, marginLeft_);
}

void TCustomRChart::SetMarginRight(int v) {
  marginRight_ = v;
  AfterMarginChange(scaleX_, &TScale::SetMarginRight, marginRight_ + shadowWidth_ - 1);
}

void TCustomRChart::SetMarginTop(int v) {
  marginTop_ = v;
  AfterMarginChange(scaleY_, &TScale::SetMarginTop, marginTop_);
}

void TCustomRChart::SetMarginBottom(int v) {
  marginBottom_ = v;
  AfterMarginChange(scaleY_, &TScale::SetMarginBottom, marginBottom_ + shadowWidth_ - 1);
}

// Resize the data image, refit an isometric chart, re-synchronise the scales and
// give them the margin along their axis, then rescale and repaint.
void TCustomRChart::AfterMarginChange(const std::array<TScale*, NumLayers + 1>& scales,
                                      void (TScale::*setMargin)(int), int scaleMargin) {
  ResizeDataImage();
  if (isometric_) {
    const TPaintLockGuard lock(*this); // put back quietly: the repaint follows below
    BeginPropsBatch();
    RefitIsometric();
    EndPropsBatch();
  }
  SyncAllScales();
  for (int n = 1; n <= NumLayers; ++n) (scales[n]->*setMargin)(scaleMargin);
  CalcScaleFactors();
  RepaintIfAuto();
}

void TCustomRChart::SetShadowWidth(int v) {
  shadowWidth_ = std::clamp(v, 0, 32);
  ResizeDataImage();
  SyncAllScales();
  SetScaleAlongMargins();
  CalcScaleFactors();
  RepaintIfAuto();
}

void TCustomRChart::SetIsometric(bool v) {
  isometric_ = v;
  if (!v) return;
  TPaintLockGuard lock(*this);
  BeginPropsBatch();
  RefitIsometric();
  EndPropsBatch();
  lock.Restore();
}

void TCustomRChart::SetStandardLayout(ChartTypes::TRChartLayout v) {
  if (v < rcl_X1Bottom_Y1Left || v > rcl_X2Both_Y2Both) return;
  standardLayout_ = v;
  const LayoutRow& row = kLayouts[v];
  TPaintLockGuard lock(*this);
  BeginPropsBatch();
  SetMarginLeft(row.left);
  SetMarginRight(row.right);
  SetMarginTop(row.top);
  SetMarginBottom(row.bottom);
  SetCaptionPosX(row.captionX);
  SetCaptionPosY(row.captionY);
  SetCaptionAlignment(row.captionAlignment);
  SetCaptionAnchorHoriz(row.anchorHoriz);
  SetCaptionAnchorVert(row.anchorVert);
  for (int i = 0; i < 4; ++i) {
    propsX_[i + 1]->SetScaleLocation(row.x[i].farSide ? slTop : slBottom);
    ApplyCell(propsX_[i + 1], row.x[i]);
    propsY_[i + 1]->SetScaleLocation(row.y[i].farSide ? slRight : slLeft);
    ApplyCell(propsY_[i + 1], row.y[i]);
  }
  for (int n = 5; n <= NumLayers; ++n) {
    propsX_[n]->SetVisible(false);
    propsY_[n]->SetVisible(false);
  }
  EndPropsBatch();
  SyncAllScales();
  lock.Restore();
}

void TCustomRChart::SetGridStyle(ChartTypes::GridStyleType v) {
  gridStyle_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetGridDx(double v) {
  if (!(v >= -3.0) || !std::isfinite(v)) return;
  gridDx_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetGridDy(double v) {
  if (!(v >= -3.0) || !std::isfinite(v)) return;
  gridDy_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetChartFrameColor(TColor v) {
  chartFrameColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetChartColor(TColor v) {
  chartColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetWindColor(TColor v) {
  windColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetGridColor(TColor v) {
  gridColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetCaption(const QString& v) {
  caption_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetCaptionPosX(int v) {
  captionPosX_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetCaptionPosY(int v) {
  captionPosY_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetCaptionAlignment(Platform::TAlignment v) {
  captionAlignment_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetCaptionAnchorHoriz(ChartTypes::TCaptionAnchorHoriz v) {
  captionAnchorHoriz_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetCaptionAnchorVert(ChartTypes::TCaptionAnchorVert v) {
  captionAnchorVert_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetShadowStyle(ChartTypes::TShadowStyle v) {
  shadowStyle_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetShadowColor(TColor v) {
  shadowColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetShadowBakColor(TColor v) {
  shadowBakColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetTextFontStyle(Platform::TFontStyles v) {
  textFontStyle_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetTextBkStyle(ChartTypes::TTextBkStyle v) {
  textBkStyle_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetTextBkColor(TColor v) {
  textBkColor_ = v;
  RepaintIfAuto();
}

void TCustomRChart::SetTextAlignment(Platform::TAlignment v) {
  textAlignment_ = v;
  RepaintIfAuto();
}
