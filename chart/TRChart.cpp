// The chart's creation, its layers (ranges, scale objects and their settings),
// the paint lock and the geometry. The display list is in TRChartData.cpp, the
// settings in TRChartSettings.cpp, the drawing in TRChartRender.cpp and
// TRChartGridLabels.cpp, the mouse in TRChartMouse.cpp.
#include "TRChart.h"

#include "ChartAccessible.h"
#include "PaintLockGuard.h"
#include "Cursors.h"
#include "DeviceCaps.h"
#include <QResizeEvent>
#include <algorithm>

namespace {

// Axis colours of layers 1 .. 16.
constexpr TColor kLayerColors[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple,
                                     clTeal,  clGray,   clSilver, clRed,  clLime,   clYellow,
                                     clBlue,  clFuchsia, clAqua,  clWhite};

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
  ranges_.OnStored = [this](int layer) { RangeStored(layer); };

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
  return ranges_.Factors(std::clamp(layer, 1, NumLayers));
}

TChartGeometry TCustomRChart::Geometry() const { return {size(), DataArea(), aspectX_, aspectY_}; }

void TCustomRChart::CalcScaleFactors() {
  if (IsLoading()) return;
  ranges_.CalcFactors(Geometry());
}

QPoint TCustomRChart::MapToPixel(int layer, double x, double y, int deviceScale) const {
  return ranges_.MapToPixel(layer, x, y, deviceScale, size());
}

QPointF TCustomRChart::MapToWorld(int layer, int px, int py) const {
  return ranges_.MapToWorld(layer, px, py);
}

long double TCustomRChart::IsoHalfHeight(long double xWidth) const {
  return TLayerRanges::IsoHalfHeight(xWidth, Geometry());
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
  ranges_.Widen(n, lx, ly, hx, hy, isometric_, Geometry());
  ApplyRangesToLayer(n, lx, ly, hx, hy);
}

void TCustomRChart::ApplyRangesToLayer(int n, long double lx, long double ly, long double hx,
                                       long double hy) {
  if (n < 1 || n > NumLayers) return;
  TPaintLockGuard lock(*this);
  ranges_.ApplyToLayer(n, lx, ly, hx, hy);
  lock.Restore();
}

// A stored range reaches the layer's scales and the scale factors.
void TCustomRChart::RangeStored(int n) {
  SyncScale(scaleX_[n], propsX_[n]);
  SyncScale(scaleY_[n], propsY_[n]);
  CalcScaleFactors();
}

void TCustomRChart::LayerJoined(int n, bool x) {
  if (n < 1 || n > NumLayers) return;
  ranges_.LayerJoined(n, x);
}

void TCustomRChart::RefitIsometric() { ranges_.RefitIsometric(Geometry()); }

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
  ranges_.StoreAll();
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
    scale->SetMarginTop(p->ScalePos() + DataArea().bottom());
    break;
  case TScaleProps::locRight:
    scale->SetMarginLeft(p->ScalePos() + DataArea().right());
    break;
  default: scale->SetMarginRight(p->ScalePos() + w - marginLeft_ - 1); break;
  }
  scale->SetAxisSettings(p->AxisSettings());
  scale->Font()->Assign(*p->Font());
  scale->Font()->SetColor(p->Font()->Color());
  scale->DateFormat()->Assign(*p->DateFormat());
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
