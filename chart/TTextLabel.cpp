#include "TTextLabel.h"

TCustomTextLabel::TCustomTextLabel(QObject* parent) : QObject(parent) {
  font_ = new TFont(this);
  font_->setObjectName(QStringLiteral("Font"));
  font_->OnChange = [this](QObject*) { Changed(); };
}

TCustomTextLabel::~TCustomTextLabel() { font_->OnChange = nullptr; }

void TCustomTextLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomTextLabel::SetPosX(double v) {
  posX_ = v;
  Changed();
}

void TCustomTextLabel::SetPosY(double v) {
  posY_ = v;
  Changed();
}

void TCustomTextLabel::SetLayer(int v) {
  if (v < 1 || v > 16) return;
  layer_ = v;
  Changed();
}

void TCustomTextLabel::SetShadowDx(int v) {
  shadowDx_ = v;
  Changed();
}

void TCustomTextLabel::SetShadowDy(int v) {
  shadowDy_ = v;
  Changed();
}

void TCustomTextLabel::SetColorShadow(TColor v) {
  colorShadow_ = v;
  Changed();
}

void TCustomTextLabel::SetAlignment(Platform::TAlignment v) {
  alignment_ = v;
  Changed();
}

void TCustomTextLabel::SetVerticalAlignment(Platform::TVerticalAlignment v) {
  verticalAlignment_ = v;
  Changed();
}

void TCustomTextLabel::SetAttachToData(ChartTypes::TTxtLblAttachMode v) {
  attachToData_ = v;
  Changed();
}

void TCustomTextLabel::SetColorBkg(TColor v) {
  colorBkg_ = v;
  Changed();
}

void TCustomTextLabel::SetColorBorder(TColor v) {
  colorBorder_ = v;
  Changed();
}

void TCustomTextLabel::SetTransparent(bool v) {
  transparent_ = v;
  Changed();
}

void TCustomTextLabel::SetFont(const TFont* v) {
  if (v && v != font_) {
    auto notify = std::move(font_->OnChange); // one notification for the whole copy
    font_->Assign(*v);
    font_->OnChange = std::move(notify);
  }
  Changed();
}

void TCustomTextLabel::SetCaption(const QString& v) {
  QString text = v;
  for (QChar& c : text)
    if (c.unicode() < 32 && c.unicode() != 10) c = QLatin1Char(' ');
  caption_ = text;
  Changed();
}

void TCustomTextLabel::SetMode(ChartTypes::TTxtLblMode v) {
  mode_ = v;
  Changed();
}

void TCustomTextLabel::SetVisible(bool v) {
  visible_ = v;
  Changed();
}
