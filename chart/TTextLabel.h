#pragma once
// A text label of the chart: a caption of one or more lines anchored at a
// point in world or pixel coordinates, optionally boxed, underlined or with a
// drop shadow. TCustomTextLabel holds the data, TTextLabel publishes it.
#include "ChartTypes.h"
#include "Font.h"
#include <QObject>
#include <QString>
#include <functional>

class TCustomTextLabel : public QObject {
  Q_OBJECT
public:
  explicit TCustomTextLabel(QObject* parent = nullptr);
  ~TCustomTextLabel() override;

  double PosX() const { return posX_; }
  void SetPosX(double v);
  double PosY() const { return posY_; }
  void SetPosY(double v);
  int Layer() const { return layer_; }
  // Values outside 1 .. 16 are ignored.
  void SetLayer(int v);
  int ShadowDx() const { return shadowDx_; }
  void SetShadowDx(int v);
  int ShadowDy() const { return shadowDy_; }
  void SetShadowDy(int v);
  TColor ColorShadow() const { return colorShadow_; }
  void SetColorShadow(TColor v);
  Platform::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(Platform::TAlignment v);
  Platform::TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(Platform::TVerticalAlignment v);
  ChartTypes::TTxtLblAttachMode AttachToData() const { return attachToData_; }
  void SetAttachToData(ChartTypes::TTxtLblAttachMode v);
  TColor ColorBkg() const { return colorBkg_; }
  void SetColorBkg(TColor v);
  TColor ColorBorder() const { return colorBorder_; }
  void SetColorBorder(TColor v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TFont* Font() const { return font_; }
  // Copies the given font's attributes into the label's own font.
  void SetFont(const TFont* v);
  QString Caption() const { return caption_; }
  // Control characters other than the line feed become spaces.
  void SetCaption(const QString& v);
  ChartTypes::TTxtLblMode Mode() const { return mode_; }
  void SetMode(ChartTypes::TTxtLblMode v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);

  std::function<void(QObject* sender)> OnChange;

protected:
  void Changed();

private:
  double posX_ = 100;
  double posY_ = 10;
  int layer_ = 1;
  int shadowDx_ = 0;
  int shadowDy_ = 0;
  TColor colorShadow_ = clGray;
  Platform::TAlignment alignment_ = taCenter;
  Platform::TVerticalAlignment verticalAlignment_ = vaBottom;
  ChartTypes::TTxtLblAttachMode attachToData_ = tlamNone;
  TColor colorBkg_ = clSilver;
  TColor colorBorder_ = clBlack;
  bool transparent_ = false;
  TFont* font_ = nullptr;
  QString caption_;
  ChartTypes::TTxtLblMode mode_ = tlsimple;
  bool visible_ = true;
};

class TTextLabel : public TCustomTextLabel {
  Q_OBJECT
  Q_PROPERTY(double PosX READ PosX WRITE SetPosX)
  Q_PROPERTY(double PosY READ PosY WRITE SetPosY)
  Q_PROPERTY(int Layer READ Layer WRITE SetLayer)
  Q_PROPERTY(ChartTypes::TTxtLblAttachMode AttachToData READ AttachToData WRITE SetAttachToData)
  Q_PROPERTY(quint32 ColorBkg READ ColorBkg WRITE SetColorBkg)
  Q_PROPERTY(quint32 ColorBorder READ ColorBorder WRITE SetColorBorder)
  Q_PROPERTY(quint32 ColorShadow READ ColorShadow WRITE SetColorShadow)
  Q_PROPERTY(int ShadowDx READ ShadowDx WRITE SetShadowDx)
  Q_PROPERTY(int ShadowDy READ ShadowDy WRITE SetShadowDy)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(Platform::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(Platform::TVerticalAlignment VerticalAlignment READ VerticalAlignment WRITE SetVerticalAlignment)
  Q_PROPERTY(TFont* Font READ Font)
  Q_PROPERTY(ChartTypes::TTxtLblMode Mode READ Mode WRITE SetMode)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
  using TCustomTextLabel::TCustomTextLabel;
};
