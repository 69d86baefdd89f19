#include "TScaleProps.h"
#include <algorithm>
#include <cmath>

TScaleProps::TScaleProps(QObject* parent) : QObject(parent) {
  axis_.RangeHigh = 1.0;
  axis_.CaptionPosX = 0;
  axis_.CaptionPosY = 0;
  axis_.Visible = false;
  dateFormat_ = new TDTLabel(this);
  dateFormat_->setObjectName(QStringLiteral("DateFormat"));
  dateFormat_->ApplyScaleDefaults();
  font_ = new TFont(this);
  font_->setObjectName(QStringLiteral("Font"));
  font_->OnChange = [this](QObject*) { Changed(); };
}

TScaleProps::~TScaleProps() {
  font_->OnChange = nullptr;
  dateFormat_->OnChange = nullptr;
}

void TScaleProps::Changed() {
  if (OnChange) OnChange(this);
}

void TScaleProps::SetCaption(const QString& v) {
  axis_.Caption = v;
  Changed();
}

void TScaleProps::SetCaptionPosX(int v) {
  axis_.CaptionPosX = v;
  Changed();
}

void TScaleProps::SetCaptionPosY(int v) {
  axis_.CaptionPosY = v;
  Changed();
}

void TScaleProps::SetCaptionAlignment(Platform::TAlignment v) {
  axis_.CaptionAlignment = v;
  Changed();
}

void TScaleProps::SetCaptionAnchor(ScaleTypes::TScaleUnitAnchor v) {
  axis_.CaptionAnchor = v;
  Changed();
}

void TScaleProps::SetColorScale(TColor v) {
  axis_.ColorScale = v;
  Changed();
}

void TScaleProps::SetDecPlaces(int v) {
  axis_.DecPlaces = std::clamp(v, -3, 12);
  Changed();
}

// While the object is loading the value is taken as it comes (the range may
// follow); afterwards a logarithmic axis needs a positive range and no dates.
void TScaleProps::SetLogarithmic(bool v) {
  if (!v || loading_ ||
      (axis_.RangeLow >= LogMin && axis_.RangeHigh >= LogMin && axis_.LabelType != ftDateTime))
    axis_.Logarithmic = v;
  Changed();
}

void TScaleProps::SetLabelType(ScaleTypes::TFigType v) {
  axis_.LabelType = v;
  if (v == ftDateTime) axis_.Logarithmic = false;
  if (v == ftTime) axis_.DecPlaces = 4;
  Changed();
}

void TScaleProps::SetMinTicks(int v) {
  axis_.MinTicks = v;
  Changed();
}

// A range end closer than MinRange to the other end pushes the other end
// away; a logarithmic axis refuses ends below LogMin. Non-finite values are ignored.
void TScaleProps::SetRangeLow(double v) {
  if (!std::isfinite(v)) return;
  if (std::abs(axis_.RangeHigh - v) < minRange_) {
    axis_.RangeLow = v;
    axis_.RangeHigh = v + minRange_;
  } else if (!axis_.Logarithmic || v >= LogMin) {
    axis_.RangeLow = v;
  }
  Changed();
}

void TScaleProps::SetRangeHigh(double v) {
  if (!std::isfinite(v)) return;
  if (std::abs(axis_.RangeLow - v) < minRange_) {
    axis_.RangeHigh = v;
    axis_.RangeLow = v - minRange_;
  } else if (!axis_.Logarithmic || v >= LogMin) {
    axis_.RangeHigh = v;
  }
  Changed();
}

void TScaleProps::SetShortTicks(bool v) {
  axis_.ShortTicks = v;
  Changed();
}

void TScaleProps::SetScaleInscript(const QString& v) {
  axis_.ScaleInscript = v;
  Changed();
}

int TScaleProps::ScalePos() const {
  return location_ == locTop || location_ == locBottom ? scalePosHoriz_ : scalePosVert_;
}

void TScaleProps::SetScalePos(int v) {
  if (location_ == locTop || location_ == locBottom)
    scalePosHoriz_ = v;
  else
    scalePosVert_ = v;
  Changed();
}

// Widening MinRange recentres a narrower range on its centre; otherwise only
// the value is kept, without notification.
void TScaleProps::SetMinRange(double m) {
  if (!(m > LogMin) || !std::isfinite(m)) return;
  minRange_ = m;
  if (std::abs(axis_.RangeHigh - axis_.RangeLow) >= m) return;
  const double c = (axis_.RangeLow + axis_.RangeHigh) / 2;
  axis_.RangeLow = c - m / 2;
  axis_.RangeHigh = c + m / 2;
  Changed();
}

void TScaleProps::SetUserTickText(const QString& v) {
  axis_.UserTickText = v;
  Changed();
}

void TScaleProps::SetVisible(bool v) {
  axis_.Visible = v;
  Changed();
}

void TScalePropsHoriz::SetScaleLocation(ChartTypes::TScaleLocHoriz v) {
  scaleLocation_ = v;
  SetLocationCode(v == slTop ? locTop : locBottom);
  Changed();
}

void TScalePropsVert::SetScaleLocation(ChartTypes::TScaleLocVert v) {
  scaleLocation_ = v;
  SetLocationCode(v == slLeft ? locLeft : locRight);
  Changed();
}
