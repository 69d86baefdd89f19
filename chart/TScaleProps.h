#pragma once
// Per-layer, per-axis settings of the chart: the layer's world range and how
// its axis looks. The chart copies them into its scale objects (SyncScale).
#include "ChartTypes.h"
#include "Font.h"
#include "AxisSettings.h"
#include "ScaleTypes.h"
#include "TDTLabel.h"
#include <QObject>
#include <QString>
#include <functional>

class TScaleProps : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int CaptionPosX READ CaptionPosX WRITE SetCaptionPosX)
  Q_PROPERTY(int CaptionPosY READ CaptionPosY WRITE SetCaptionPosY)
  Q_PROPERTY(Platform::TAlignment CaptionAlignment READ CaptionAlignment WRITE SetCaptionAlignment)
  Q_PROPERTY(ScaleTypes::TScaleUnitAnchor CaptionAnchor READ CaptionAnchor WRITE SetCaptionAnchor)
  Q_PROPERTY(quint32 ColorScale READ ColorScale WRITE SetColorScale)
  Q_PROPERTY(TDTLabel* DateFormat READ DateFormat)
  Q_PROPERTY(int DecPlaces READ DecPlaces WRITE SetDecPlaces)
  Q_PROPERTY(bool Logarithmic READ Logarithmic WRITE SetLogarithmic)
  Q_PROPERTY(ScaleTypes::TFigType LabelType READ LabelType WRITE SetLabelType)
  Q_PROPERTY(TFont* Font READ Font)
  Q_PROPERTY(int MinTicks READ MinTicks WRITE SetMinTicks)
  Q_PROPERTY(double RangeLow READ RangeLow WRITE SetRangeLow)
  Q_PROPERTY(double RangeHigh READ RangeHigh WRITE SetRangeHigh)
  Q_PROPERTY(bool ShortTicks READ ShortTicks WRITE SetShortTicks)
  Q_PROPERTY(QString ScaleInscript READ ScaleInscript WRITE SetScaleInscript)
  Q_PROPERTY(int ScalePos READ ScalePos WRITE SetScalePos)
  Q_PROPERTY(double MinRange READ MinRange WRITE SetMinRange)
  Q_PROPERTY(QString UserTickText READ UserTickText WRITE SetUserTickText)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)

public:
  // Smallest value a logarithmic axis accepts.
  static constexpr double LogMin = 1e-100;
  // Location codes: which side of the data area the axis lies on.
  enum { locTop = 0, locBottom = 1, locRight = 2, locLeft = 3 };

  explicit TScaleProps(QObject* parent = nullptr);
  ~TScaleProps() override;

  QString Caption() const { return axis_.Caption; }
  void SetCaption(const QString& v);
  int CaptionPosX() const { return axis_.CaptionPosX; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return axis_.CaptionPosY; }
  void SetCaptionPosY(int v);
  Platform::TAlignment CaptionAlignment() const { return axis_.CaptionAlignment; }
  void SetCaptionAlignment(Platform::TAlignment v);
  ScaleTypes::TScaleUnitAnchor CaptionAnchor() const { return axis_.CaptionAnchor; }
  void SetCaptionAnchor(ScaleTypes::TScaleUnitAnchor v);
  TColor ColorScale() const { return axis_.ColorScale; }
  void SetColorScale(TColor v);
  TDTLabel* DateFormat() const { return dateFormat_; }
  int DecPlaces() const { return axis_.DecPlaces; }
  void SetDecPlaces(int v);
  bool Logarithmic() const { return axis_.Logarithmic; }
  void SetLogarithmic(bool v);
  ScaleTypes::TFigType LabelType() const { return axis_.LabelType; }
  void SetLabelType(ScaleTypes::TFigType v);
  TFont* Font() const { return font_; }
  int MinTicks() const { return axis_.MinTicks; }
  void SetMinTicks(int v);
  double RangeLow() const { return axis_.RangeLow; }
  void SetRangeLow(double v);
  double RangeHigh() const { return axis_.RangeHigh; }
  void SetRangeHigh(double v);
  bool ShortTicks() const { return axis_.ShortTicks; }
  void SetShortTicks(bool v);
  QString ScaleInscript() const { return axis_.ScaleInscript; }
  void SetScaleInscript(const QString& v);
  // Kept separately for the horizontal and the vertical orientation of the location code.
  int ScalePos() const;
  void SetScalePos(int v);
  double MinRange() const { return minRange_; }
  void SetMinRange(double v);
  QString UserTickText() const { return axis_.UserTickText; }
  void SetUserTickText(const QString& v);
  bool Visible() const { return axis_.Visible; }
  void SetVisible(bool v);

  // All the settings the chart hands to the layer's scale, as one value.
  const TAxisSettings& AxisSettings() const { return axis_; }
  int LocationCode() const { return location_; }
  // Set at creation; cleared when the chart has been loaded from stored settings.
  bool LoadingFlag() const { return loading_; }
  void MarkLoaded() { loading_ = false; }
  // Writes the range fields directly (no rules, no notification); the chart's
  // range machinery has applied its own rules before.
  void StoreRangeLow(double v) { axis_.RangeLow = v; }
  void StoreRangeHigh(double v) { axis_.RangeHigh = v; }

  std::function<void(QObject* sender)> OnChange;

protected:
  void SetLocationCode(int code) { location_ = code; }
  void Changed();

private:
  TAxisSettings axis_; // a layer's axis starts hidden on 0 .. 1 (see the constructor)
  TDTLabel* dateFormat_ = nullptr;
  TFont* font_ = nullptr;
  bool loading_ = true;
  int location_ = locBottom;
  int scalePosHoriz_ = 0; // used while the location code is top or bottom
  int scalePosVert_ = 0;  // used while it is left or right
  double minRange_ = 1e-10;
};

class TScalePropsHoriz : public TScaleProps {
  Q_OBJECT
  Q_PROPERTY(ChartTypes::TScaleLocHoriz ScaleLocation READ ScaleLocation WRITE SetScaleLocation)
public:
  explicit TScalePropsHoriz(QObject* parent = nullptr) : TScaleProps(parent) {}
  ChartTypes::TScaleLocHoriz ScaleLocation() const { return scaleLocation_; }
  void SetScaleLocation(ChartTypes::TScaleLocHoriz v);

private:
  ChartTypes::TScaleLocHoriz scaleLocation_ = slBottom;
};

class TScalePropsVert : public TScaleProps {
  Q_OBJECT
  Q_PROPERTY(ChartTypes::TScaleLocVert ScaleLocation READ ScaleLocation WRITE SetScaleLocation)
public:
  explicit TScalePropsVert(QObject* parent = nullptr) : TScaleProps(parent) {}
  ChartTypes::TScaleLocVert ScaleLocation() const { return scaleLocation_; }
  void SetScaleLocation(ChartTypes::TScaleLocVert v);

private:
  ChartTypes::TScaleLocVert scaleLocation_ = slLeft; // the location code stays as created
};
