#include "TScale.h"
#include "PixelMath.h"
#include <algorithm>
#include <optional>
#include <cmath>
#include <QPaintDevice>

namespace {
constexpr double kLogMin = 1e-100; // smallest value a logarithmic axis accepts
}

TScale::TScale(QWidget* parent) : TCustomControl(parent) {
  resize(400, 400);
  ticks_.reserve(MaxRecordedTicks);
  dateFormat_ = new TDTLabel(this);
  dateFormat_->ApplyScaleDefaults();
  dateFormat_->OnChange = [this](QObject*) { DateFormatChanged(); };
  font_ = new TFont(this);
  font_->setObjectName(QStringLiteral("Font"));
  font_->OnChange = [this](QObject*) { Redraw(); };
  UpdateScaling();
}

TScale::~TScale() {
  // The owned objects go with QObject's child list; make sure they no longer call back.
  dateFormat_->OnChange = nullptr;
  font_->OnChange = nullptr;
}

// ---- setters ---------------------------------------------------------------

void TScale::SetScaleType(ScaleTypes::TScaleType v) {
  if (v == scaleType_) return;
  scaleType_ = v;
  UpdateScaling();
  Redraw();
}

void TScale::SetRangeLow(double v) {
  axis_.RangeLow = v;
  if (v == axis_.RangeHigh) axis_.RangeHigh = v + 1;
  UpdateScaling();
  Redraw();
}

void TScale::SetRangeHigh(double v) {
  axis_.RangeHigh = v;
  if (v == axis_.RangeLow) axis_.RangeLow = v + 1;
  UpdateScaling();
  Redraw();
}

void TScale::SetLogarithmic(bool v) {
  if (!v)
    axis_.Logarithmic = false;
  else if (scaleLoading_ ||
           (axis_.RangeLow >= kLogMin && axis_.RangeHigh >= kLogMin && axis_.LabelType != ftDateTime))
    axis_.Logarithmic = true;
  else
    return; // refused silently
  UpdateScaling();
  Redraw();
}

void TScale::SetLabelType(ScaleTypes::TFigType v) {
  axis_.LabelType = v;
  if (v == ftDateTime) axis_.Logarithmic = false;
  if (v == ftTime) axis_.DecPlaces = 4;
  Redraw();
}

void TScale::SetDecPlaces(int v) {
  axis_.DecPlaces = std::clamp(v, -3, 12);
  UpdateScaling();
  Redraw();
}

void TScale::SetMinTicks(int v) {
  axis_.MinTicks = v == 0 ? 0 : std::clamp(v, 2, 10);
  Redraw();
}

void TScale::SetShortTicks(bool v) {
  if (v == axis_.ShortTicks) return;
  axis_.ShortTicks = v;
  Redraw();
}

void TScale::SetDateFormat(TDTLabel* v) {
  if (v && v != dateFormat_)
    dateFormat_->Assign(*v); // notifies once, which redraws
  else
    Redraw();
}

void TScale::SetUserTickText(const QString& v) {
  axis_.UserTickText = v;
  Redraw();
}

void TScale::SetScaleInscript(const QString& v) {
  axis_.ScaleInscript = v;
  Redraw();
}

void TScale::SetCaption(const QString& v) {
  axis_.Caption = v;
  Redraw();
}

void TScale::SetCaptionPosX(int v) {
  axis_.CaptionPosX = v;
  Redraw();
}

void TScale::SetCaptionPosY(int v) {
  axis_.CaptionPosY = v;
  Redraw();
}

void TScale::SetCaptionAlignment(Platform::TAlignment v) {
  axis_.CaptionAlignment = v;
  Redraw();
}

void TScale::SetCaptionAnchor(ScaleTypes::TScaleUnitAnchor v) {
  axis_.CaptionAnchor = v;
  Redraw();
}

void TScale::SetMarginTop(int v) {
  marginTop_ = std::max(v, 0);
  UpdateScaling();
  Redraw();
}

void TScale::SetMarginBottom(int v) {
  marginBottom_ = std::max(v, 0);
  UpdateScaling();
  Redraw();
}

void TScale::SetMarginLeft(int v) {
  marginLeft_ = std::max(v, 0);
  UpdateScaling();
  Redraw();
}

void TScale::SetMarginRight(int v) {
  marginRight_ = std::max(v, 0);
  UpdateScaling();
  Redraw();
}

void TScale::SetShowBaseLine(bool v) {
  showBaseLine_ = v;
  Redraw();
}

void TScale::SetTransparent(bool v) {
  transparent_ = v;
  Redraw();
}

void TScale::SetColorScale(TColor v) {
  if (v == axis_.ColorScale) return;
  axis_.ColorScale = v;
  Redraw();
}

void TScale::SetColorBackGnd(TColor v) {
  if (v == colorBackGnd_) return;
  colorBackGnd_ = v;
  Redraw();
}

void TScale::SetColorScheme(Platform::TColorScheme v) {
  if (v == colorScheme_) return;
  colorScheme_ = v;
  if (v == csBWG) {
    frameShadow_ = 0x808080;
    frameLight_ = clWhite;
  } else {
    frameShadow_ = clBtnShadow;
    frameLight_ = clBtnHighlight;
  }
  Redraw();
}

void TScale::SetFrameStyle(Platform::TFrameStyle v) {
  if (v == frameStyle_) return;
  frameStyle_ = v;
  Redraw();
}

void TScale::SetVisible(bool v) {
  axis_.Visible = v;
  if (!chartOwned_) QWidget::setVisible(v);
}

void TScale::SetAxisSettings(const TAxisSettings& s) {
  SetRangeLow(s.RangeLow);
  SetRangeHigh(s.RangeHigh);
  SetVisible(s.Visible);
  SetCaption(s.Caption);
  SetCaptionPosX(s.CaptionPosX);
  SetCaptionPosY(s.CaptionPosY);
  SetCaptionAlignment(s.CaptionAlignment);
  SetCaptionAnchor(s.CaptionAnchor);
  SetColorScale(s.ColorScale);
  SetDecPlaces(s.DecPlaces);
  SetLogarithmic(s.Logarithmic);
  SetLabelType(s.LabelType);
  SetShortTicks(s.ShortTicks);
  SetMinTicks(s.MinTicks);
  SetScaleInscript(s.ScaleInscript);
  SetUserTickText(s.UserTickText);
}

void TScale::DateFormatChanged() { Redraw(); }

// ---- mapping ---------------------------------------------------------------

void TScale::UpdateScaling() {
  if (IsLoading() || axis_.RangeHigh == axis_.RangeLow) return;
  const bool both_positive = axis_.RangeLow > 0 && axis_.RangeHigh > 0;
  if (IsHorizontal(scaleType_)) {
    const int len = width() - marginLeft_ - marginRight_ - 1;
    if (len <= 0) {
      scaleFactor_ = 0;
      scaleOffset_ = width() / 2.0;
    } else if (!axis_.Logarithmic) {
      scaleFactor_ = len / (axis_.RangeHigh - axis_.RangeLow);
      scaleOffset_ = marginLeft_ - axis_.RangeLow * scaleFactor_;
    } else if (both_positive) {
      scaleFactor_ = len / (std::log(axis_.RangeHigh) - std::log(axis_.RangeLow));
      scaleOffset_ = marginLeft_ - std::log(axis_.RangeLow) * scaleFactor_;
    }
  } else {
    const int len = height() - marginTop_ - marginBottom_ - 1;
    if (len <= 0) {
      scaleFactor_ = 0;
      scaleOffset_ = height() / 2.0;
    } else if (!axis_.Logarithmic) {
      scaleFactor_ = len / (axis_.RangeLow - axis_.RangeHigh);
      scaleOffset_ = marginTop_ - axis_.RangeHigh * scaleFactor_;
    } else if (both_positive) {
      scaleFactor_ = len / (std::log(axis_.RangeLow) - std::log(axis_.RangeHigh));
      scaleOffset_ = marginTop_ - std::log(axis_.RangeHigh) * scaleFactor_;
    }
  }
}

int TScale::ValueToPixel(double value) const {
  long double p;
  if (!axis_.Logarithmic)
    p = static_cast<long double>(scaleFactor_) * value + scaleOffset_;
  else if (value > kLogMin)
    p = static_cast<long double>(scaleFactor_) * std::log(value) + scaleOffset_;
  else
    p = axis_.RangeHigh >= axis_.RangeLow ? 0 : width();
  return RoundPixel(p);
}

double TScale::TickPosition(int index) const {
  if (index < 1 || index > numTicks_) return 0.0;
  return ticks_[index - 1];
}

void TScale::ResetTickRecord() {
  numTicks_ = 0;
  ticks_.resize(MaxRecordedTicks);
}

void TScale::RecordTick(double value) {
  if (numTicks_ < MaxRecordedTicks && numTicks_ < static_cast<int>(ticks_.size()))
    ticks_[numTicks_++] = value;
}

// ---- painting control ------------------------------------------------------

void TScale::SetSuppressPaint(bool v) {
  if (v == suppressPaint_) return;
  suppressPaint_ = v;
  if (!v) Redraw();
}

void TScale::ForcedPaint() {
  // The suppression comes back also when a handler called while drawing throws.
  struct Restore {
    bool& flag;
    const bool saved;
    ~Restore() { flag = saved; }
  } restore{suppressPaint_, suppressPaint_};
  suppressPaint_ = false;
  Redraw();
}

void TScale::SetChartOwned(bool v) {
  if (v == chartOwned_) return;
  chartOwned_ = v;
  if (v) hide(); // a chart's scale never shows a window of its own
  Redraw();
}

void TScale::SetExternalCanvas(TCanvas* canvas, int offsetX, int offsetY) {
  externalCanvas_ = canvas;
  offsetX_ = offsetX;
  offsetY_ = offsetY;
}

void TScale::Redraw() {
  if (!transparent_ || chartOwned_)
    Paint();
  else
    update(); // repainted by the platform together with what lies beneath
}

void TScale::SetBounds(int left, int top, int width, int height) {
  setGeometry(left, top, std::max(width, 0), std::max(height, 0));
  UpdateScaling();
  Redraw();
}

void TScale::resizeEvent(QResizeEvent* event) {
  TCustomControl::resizeEvent(event);
  UpdateScaling();
}

void TScale::CreateWnd() { suppressPaint_ = false; }

void TScale::Loaded() {
  TCustomControl::Loaded();
  // Whatever changed while the window was loading takes effect now.
  UpdateScaling();
  // A chart's scale is not read from stored settings: the chart drives it and
  // it keeps its creation state.
  if (chartOwned_) return;
  scaleLoading_ = false;
  Redraw();
}

void TScale::Assign(const TScale& s) {
  if (&s == this) return;
  frameStyle_ = s.frameStyle_;
  colorBackGnd_ = s.colorBackGnd_;
  axis_.ColorScale = s.axis_.ColorScale;
  frameDark_ = s.frameDark_;
  frameShadow_ = s.frameShadow_;
  frameLight_ = s.frameLight_;
  colorScheme_ = s.colorScheme_;
  OnScaleTickDrawn = s.OnScaleTickDrawn;
  axis_.Logarithmic = s.axis_.Logarithmic;
  scaleFactor_ = s.scaleFactor_;
  scaleOffset_ = s.scaleOffset_;
  axis_.RangeHigh = s.axis_.RangeHigh;
  axis_.RangeLow = s.axis_.RangeLow;
  axis_.ShortTicks = s.axis_.ShortTicks;
  numTicks_ = s.numTicks_;
  axis_.MinTicks = s.axis_.MinTicks;
  axis_.DecPlaces = s.axis_.DecPlaces;
  showBaseLine_ = s.showBaseLine_;
  transparent_ = s.transparent_;
  axis_.LabelType = s.axis_.LabelType;
  {
    auto notify = std::move(dateFormat_->OnChange); // one redraw at the end instead
    dateFormat_->Assign(*s.dateFormat_);
    dateFormat_->OnChange = std::move(notify);
  }
  marginTop_ = s.marginTop_;
  marginBottom_ = s.marginBottom_;
  marginLeft_ = s.marginLeft_;
  marginRight_ = s.marginRight_;
  axis_.CaptionPosX = s.axis_.CaptionPosX;
  axis_.CaptionPosY = s.axis_.CaptionPosY;
  axis_.UserTickText = s.axis_.UserTickText;
  axis_.ScaleInscript = s.axis_.ScaleInscript;
  ticks_ = s.ticks_;
  axis_.Caption = s.axis_.Caption;
  axis_.CaptionAnchor = s.axis_.CaptionAnchor;
  axis_.CaptionAlignment = s.axis_.CaptionAlignment;
  externalCanvas_ = s.externalCanvas_;
  offsetX_ = s.offsetX_;
  offsetY_ = s.offsetY_;
  scaleType_ = s.scaleType_;
  suppressPaint_ = s.suppressPaint_;
  Redraw();
}

// ---- drawing ---------------------------------------------------------------

void TScale::Paint() {
  // The published Visible flag counts: a scale on a form that is not showing yet still
  // draws into its window surface.
  const bool invisible = !axis_.Visible;
  if (invisible || IsLoading() || suppressPaint_) return;

  TCanvas& target = externalCanvas_ ? *externalCanvas_ : WindowCanvas();
  const int ox = externalCanvas_ ? offsetX_ : 0;
  const int oy = externalCanvas_ ? offsetY_ : 0;
  const int w = width(), h = height();
  target.Font = font_->Data();
  if (OnBeforeScaleRendered) OnBeforeScaleRendered(this, target);

  auto base_for = [&](int x0, int y0) {
    switch (scaleType_) {
    case sctXB: return y0 + h - marginBottom_ - 1;
    case sctXT: return y0 + marginTop_;
    case sctYL: return x0 + marginLeft_;
    case sctYR: break;
    }
    return x0 + w - marginRight_ - 1;
  };
  auto draw_axis = [&](TCanvas& c, int base) {
    if (IsHorizontal(scaleType_))
      DrawHorizontal(c, base);
    else
      DrawVertical(c, base);
    if (showBaseLine_) DrawBaseLine(c, base);
  };

  if (transparent_) {
    target.Pen.Color = axis_.ColorScale;
    draw_axis(target, base_for(ox, oy));
    if (OnAfterScaleRendered) OnAfterScaleRendered(this, WindowCanvas());
  } else {
    // At the target's device scale, so that the copy onto it is pixel for pixel.
    const int scale = target.DeviceScale();
    if (buffer_.Width() != w || buffer_.Height() != h || buffer_.Scale() != scale) buffer_.SetSize(w, h, scale);
    TCanvas& c = buffer_.Canvas();
    c.Font = font_->Data();
    c.Pen.Style = psSolid;
    c.Pen.Mode = pmCopy;
    c.Pen.Color = colorBackGnd_;
    c.Brush.Style = bsSolid;
    c.Brush.Color = colorBackGnd_;
    c.Rectangle(0, 0, w, h);
    c.Pen.Color = axis_.ColorScale;
    draw_axis(c, base_for(0, 0));
    if (OnAfterScaleRendered) OnAfterScaleRendered(this, c);
    DrawFrame(c, 0, 0, w - 1, h - 1);
    target.Draw(ox, oy, buffer_.Image());
  }
  if (!externalCanvas_ && !inPaintEvent_) PresentSurface();
}

void TScale::paintEvent(QPaintEvent* event) {
  inPaintEvent_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inPaintEvent_};
  TCustomControl::paintEvent(event);
}

// Draws what the tick walks produce: tick marks, labels, date lines and messages,
// recording ticks and raising OnScaleTickDrawn. Nothing here allocates per tick
// except the label texts the walks hand over.
class TScale::DrawSink final : public TTickSink {
public:
  DrawSink(TScale& scale, TCanvas& canvas, int base)
      : s_(scale), c_(canvas), base_(base), type_(scale.scaleType_),
        horizontal_(IsHorizontal(type_)), width_(scale.width()),
        zeroHeight_(horizontal_ ? 0 : canvas.TextHeight(QStringLiteral("0"))) {}

  void Tick(const TTickMark& mark) override {
    if (mark.Record) s_.RecordTick(mark.Value);
    const int p = s_.ValueToPixel(mark.Value);
    const int x = horizontal_ ? p : base_, y = horizontal_ ? base_ : p;
    if (mark.Length != TTickLength::None) {
      const int len = mark.Length == TTickLength::Short ? 4 : horizontal_ ? 7 : 6;
      c_.MoveTo(x, y);
      switch (type_) {
      case sctXB: c_.LineTo(x, y - len); break;
      case sctXT: c_.LineTo(x, y + len); break;
      case sctYL: c_.LineTo(x + len, y); break;
      case sctYR: c_.LineTo(x - len, y); break;
      }
    }
    if (s_.OnScaleTickDrawn) s_.OnScaleTickDrawn(&s_, c_, type_, mark.Value, x, y);
    if (!mark.Label.isEmpty()) Label(mark.Label, x, y);
    if (!mark.DateLine.isEmpty()) {
      const int hd = c_.TextHeight(mark.DateLine);
      // Directly above the time label, also where that top lies outside the control.
      if (horizontal_)
        Label(mark.DateLine, x, type_ == sctXT ? y + hd : y - hd);
      else
        Label(mark.DateLine, x, y, y - 3 * (hd / 2));
    }
  }

  void Message(TScaleMessage message) override {
    const int p = s_.ValueToPixel((s_.axis_.RangeLow + s_.axis_.RangeHigh) / 2);
    if (horizontal_) {
      const QString text = message == TScaleMessage::InvalidDateTime
                               ? QStringLiteral("invalid DateTime scale")
                               : QStringLiteral("DateTime range is below 1 second");
      c_.TextOut(p - c_.TextWidth(text) / 2, base_ + 7, text);
      return;
    }
    static const char* const invalid[] = {"invalid", "DateTime", "scale"};
    static const char* const below[] = {"DateTime", "range is", "below 1", "second"};
    const bool isInvalid = message == TScaleMessage::InvalidDateTime;
    const char* const* lines = isInvalid ? invalid : below;
    const int count = isInvalid ? 3 : 4;
    const int h = c_.TextHeight(QStringLiteral("T"));
    for (int i = 0; i < count; ++i) {
      const QString line = QString::fromLatin1(lines[i]);
      const int left = type_ == sctYL ? base_ + 2 : base_ - c_.TextWidth(line) - 2;
      c_.TextOut(left, p - h + i * h, line);
    }
  }

private:
  // A label at the tick that meets the base line at (x, y). On vertical scales
  // `top` is the top edge to use; without it the label is centred on y.
  void Label(const QString& text, int x, int y, std::optional<int> top = std::nullopt) {
    const int w = c_.TextWidth(text);
    if (horizontal_) {
      const int h = c_.TextHeight(text);
      const int w2 = w / 2;
      int left = std::max(2, x - w2);
      if (x + w2 >= width_ - 2) left = width_ - 2 * w2 - 2; // pushed inside the right edge
      c_.TextOut(left, type_ == sctXB ? y - h - 7 : y + 7, text);
      return;
    }
    const int h = s_.axis_.LabelType == ftDateTime ? c_.TextHeight(text) : zeroHeight_;
    c_.TextOut(type_ == sctYL ? x + 8 : x - w - 8, top.value_or(y - h / 2), text);
  }

  TScale& s_;
  TCanvas& c_;
  int base_;
  ScaleTypes::TScaleType type_;
  bool horizontal_;
  int width_;
  int zeroHeight_;
};

TTickSettings TScale::TickSettings() const {
  TTickSettings t;
  t.RangeLow = axis_.RangeLow;
  t.RangeHigh = axis_.RangeHigh;
  t.DecPlaces = axis_.DecPlaces;
  t.LabelType = axis_.LabelType;
  t.UserTickText = axis_.UserTickText;
  t.ScaleInscript = axis_.ScaleInscript;
  t.Logarithmic = axis_.Logarithmic;
  t.ShortTicks = axis_.ShortTicks;
  t.Horizontal = IsHorizontal(scaleType_);
  t.MinTicks = axis_.MinTicks;
  t.DateFormat = dateFormat_;
  return t;
}

void TScale::UsePrinterFont(TCanvas& canvas) {
  QPaintDevice* device = canvas.Device();
  if (!device) return;
  // Point size at the screen's resolution, then pixels at the printer's.
  const int dpi = device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
  canvas.Font.Height = -int(std::lround(double(font_->Size()) * dpi / 72.0));
}

void TScale::DrawHorizontal(TCanvas& canvas, int baseY) {
  UsePrinterFont(canvas);
  canvas.Brush.Style = transparent_ ? bsClear : bsSolid;
  if (axis_.MinTicks != 0) axis_.MinTicks = std::clamp(axis_.MinTicks, 2, 20);
  ResetTickRecord();
  DrawSink sink(*this, canvas, baseY);
  WalkTicks(TickSettings(), sink);
  DrawCaption(canvas, 0, baseY);
}

void TScale::DrawVertical(TCanvas& canvas, int baseX) {
  UsePrinterFont(canvas);
  canvas.Brush.Style = transparent_ ? bsClear : bsSolid;
  ResetTickRecord();
  DrawSink sink(*this, canvas, baseX);
  WalkTicks(TickSettings(), sink);
  DrawCaption(canvas, baseX, 0);
}

void TScale::DrawCaption(TCanvas& canvas, int baseX, int baseY) {
  if (axis_.Caption.isEmpty()) return;
  const int w = canvas.TextWidth(axis_.Caption);
  int x, y;
  if (IsHorizontal(scaleType_)) {
    y = baseY;
    switch (axis_.CaptionAnchor) {
    case uaSclTopLft: x = marginLeft_; break;
    case uaSclCenter: x = marginLeft_ + (width() - marginLeft_ - marginRight_) / 2; break;
    default: x = width() - marginRight_; break;
    }
  } else {
    x = baseX;
    switch (axis_.CaptionAnchor) {
    case uaSclTopLft: y = marginTop_; break;
    case uaSclCenter: y = marginTop_ + (height() - marginTop_ - marginBottom_) / 2; break;
    default: y = height() - marginBottom_; break;
    }
  }
  x += axis_.CaptionPosX;
  y += axis_.CaptionPosY;
  if (axis_.CaptionAlignment == taRightJustify)
    x -= w;
  else if (axis_.CaptionAlignment == taCenter)
    x -= w / 2;
  canvas.TextOut(x, y, axis_.Caption);
}

void TScale::DrawBaseLine(TCanvas& canvas, int base) {
  if (IsHorizontal(scaleType_)) {
    canvas.MoveTo(marginLeft_, base);
    canvas.LineTo(width() - marginRight_ - 1, base);
  } else {
    canvas.MoveTo(base, marginTop_);
    canvas.LineTo(base, height() - marginBottom_ - 1);
  }
}

// A 3-D frame on the rectangle's outermost pixels (x1, y1) .. (x2, y2) and the
// ring one pixel inside it.
void TScale::DrawFrame(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  constexpr TColor silver = 0xC0C0C0;
  const TColor dark = frameDark_, shadow = frameShadow_, light = frameLight_;
  const TPen saved = canvas.Pen;
  canvas.Pen.Style = psSolid;
  canvas.Pen.Mode = pmCopy;
  canvas.Pen.Width = 1;
  // Left and top edges in one colour, right and bottom edges in another.
  auto ring = [&](int inset, TColor topLeft, TColor bottomRight) {
    const int l = x1 + inset, t = y1 + inset, r = x2 - inset, b = y2 - inset;
    if (r < l || b < t) return;
    canvas.Pen.Color = topLeft;
    canvas.MoveTo(l, b);
    canvas.LineTo(l, t);
    canvas.LineTo(r + 1, t);
    canvas.Pen.Color = bottomRight;
    canvas.MoveTo(r, t + 1);
    canvas.LineTo(r, b);
    canvas.LineTo(l, b);
  };
  switch (frameStyle_) {
  case fsNone: break;
  case fsSimple: ring(0, dark, dark); break;
  case fsLowered:
    ring(0, shadow, light);
    ring(1, dark, silver);
    break;
  case fsRaised:
    ring(0, light, dark);
    ring(1, silver, shadow);
    break;
  case fsEmbossed:
    ring(0, light, shadow);
    ring(1, shadow, light);
    break;
  case fsEngraved:
    ring(0, shadow, light);
    ring(1, light, shadow);
    break;
  }
  canvas.Pen = saved;
}
