#include "TScaleProps.h"
#include <algorithm>
#include <cmath>

TScaleProps::TScaleProps(QObject* parent) : QObject(parent) {
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
  caption_ = v;
  Changed();
}

void TScaleProps::SetCaptionPosX(int v) {
  captionPosX_ = v;
  Changed();
}

void TScaleProps::SetCaptionPosY(int v) {
  captionPosY_ = v;
  Changed();
}

void TScaleProps::SetCaptionAlignment(Platform::TAlignment v) {
  captionAlignment_ = v;
  Changed();
}

void TScaleProps::SetCaptionAnchor(ScaleTypes::TScaleUnitAnchor v) {
  captionAnchor_ = v;
  Changed();
}

void TScaleProps::SetColorScale(TColor v) {
  colorScale_ = v;
  Changed();
}

void TScaleProps::SetDecPlaces(int v) {
  decPlaces_ = std::clamp(v, -3, 12);
  Changed();
}

// While the object is loading the value is taken as it comes (the range may
// follow); afterwards a logarithmic axis needs a positive range and no dates.
void TScaleProps::SetLogarithmic(bool v) {
  if (!v || loading_ ||
      (rangeLow_ >= LogMin && rangeHigh_ >= LogMin && labelType_ != ftDateTime))
    logarithmic_ = v;
  Changed();
}

void TScaleProps::SetLabelType(ScaleTypes::TFigType v) {
  labelType_ = v;
  if (v == ftDateTime) logarithmic_ = false;
  if (v == ftTime) decPlaces_ = 4;
  Changed();
}

void TScaleProps::SetMinTicks(int v) {
  minTicks_ = v;
  Changed();
}

// A range end closer than MinRange to the other end pushes the other end
// away; a logarithmic axis refuses ends below LogMin. Non-finite values are ignored.
void TScaleProps::SetRangeLow(double v) {
  if (!std::isfinite(v)) return;
  if (std::abs(rangeHigh_ - v) < minRange_) {
    rangeLow_ = v;
    rangeHigh_ = v + minRange_;
  } else if (!logarithmic_ || v >= LogMin) {
    rangeLow_ = v;
  }
  Changed();
}

void TScaleProps::SetRangeHigh(double v) {
  if (!std::isfinite(v)) return;
  if (std::abs(rangeLow_ - v) < minRange_) {
    rangeHigh_ = v;
    rangeLow_ = v - minRange_;
  } else if (!logarithmic_ || v >= LogMin) {
    rangeHigh_ = v;
  }
  Changed();
}

void TScaleProps::SetShortTicks(bool v) {
  shortTicks_ = v;
  Changed();
}

void TScaleProps::SetScaleInscript(const QString& v) {
  scaleInscript_ = v;
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
  if (std::abs(rangeHigh_ - rangeLow_) >= m) return;
  const double c = (rangeLow_ + rangeHigh_) / 2;
  rangeLow_ = c - m / 2;
  rangeHigh_ = c + m / 2;
  Changed();
}

void TScaleProps::SetUserTickText(const QString& v) {
  userTickText_ = v;
  Changed();
}

void TScaleProps::SetVisible(bool v) {
  visible_ = v;
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
