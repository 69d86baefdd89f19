#pragma once
// The axis control: maps axis values to pixels along one side of its area and
// draws a base line, ticks, labels and a caption. It stands on a form by itself
// (drawing into its own window) or belongs to a chart, which copies its
// per-axis settings into it and lets it draw onto the chart's canvas.
#include "Control.h"
#include "Font.h"
#include "AxisSettings.h"
#include "ScaleTypes.h"
#include "TDTLabel.h"
#include "TickWalk.h"
#include <QString>
#include <functional>
#include <vector>

class TScale;

using TScaleTickDrawnEvent =
    std::function<void(QObject* Sender, TCanvas& Canvas, ScaleTypes::TScaleType ScaleType,
                       double CurrentTickPos, int ChartX, int ChartY)>;
using TScaleRenderedEvent = std::function<void(QObject* Sender, TCanvas& Canvas)>;

class TScale : public TCustomControl {
  Q_OBJECT
  Q_PROPERTY(ScaleTypes::TScaleType ScaleType READ ScaleType WRITE SetScaleType)
  Q_PROPERTY(double RangeLow READ RangeLow WRITE SetRangeLow)
  Q_PROPERTY(double RangeHigh READ RangeHigh WRITE SetRangeHigh)
  Q_PROPERTY(bool Logarithmic READ Logarithmic WRITE SetLogarithmic)
  Q_PROPERTY(ScaleTypes::TFigType LabelType READ LabelType WRITE SetLabelType)
  Q_PROPERTY(int DecPlaces READ DecPlaces WRITE SetDecPlaces)
  Q_PROPERTY(int MinTicks READ MinTicks WRITE SetMinTicks)
  Q_PROPERTY(bool ShortTicks READ ShortTicks WRITE SetShortTicks)
  Q_PROPERTY(int NumTicks READ NumTicks)
  Q_PROPERTY(TDTLabel* DateFormat READ DateFormat WRITE SetDateFormat)
  Q_PROPERTY(QString UserTickText READ UserTickText WRITE SetUserTickText)
  Q_PROPERTY(QString ScaleInscript READ ScaleInscript WRITE SetScaleInscript)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int CaptionPosX READ CaptionPosX WRITE SetCaptionPosX)
  Q_PROPERTY(int CaptionPosY READ CaptionPosY WRITE SetCaptionPosY)
  Q_PROPERTY(Platform::TAlignment CaptionAlignment READ CaptionAlignment WRITE SetCaptionAlignment)
  Q_PROPERTY(ScaleTypes::TScaleUnitAnchor CaptionAnchor READ CaptionAnchor WRITE SetCaptionAnchor)
  Q_PROPERTY(int MarginTop READ MarginTop WRITE SetMarginTop)
  Q_PROPERTY(int MarginBottom READ MarginBottom WRITE SetMarginBottom)
  Q_PROPERTY(int MarginLeft READ MarginLeft WRITE SetMarginLeft)
  Q_PROPERTY(int MarginRight READ MarginRight WRITE SetMarginRight)
  Q_PROPERTY(bool ShowBaseLine READ ShowBaseLine WRITE SetShowBaseLine)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(quint32 ColorScale READ ColorScale WRITE SetColorScale)
  Q_PROPERTY(quint32 ColorBackGnd READ ColorBackGnd WRITE SetColorBackGnd)
  Q_PROPERTY(Platform::TColorScheme ColorScheme READ ColorScheme WRITE SetColorScheme)
  Q_PROPERTY(Platform::TFrameStyle FrameStyle READ FrameStyle WRITE SetFrameStyle)
  Q_PROPERTY(TFont* Font READ Font)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)

public:
  static constexpr int MaxRecordedTicks = 250;

  explicit TScale(QWidget* parent = nullptr);
  ~TScale() override;

  // Published properties.
  ScaleTypes::TScaleType ScaleType() const { return scaleType_; }
  void SetScaleType(ScaleTypes::TScaleType v);
  double RangeLow() const { return axis_.RangeLow; }
  void SetRangeLow(double v);
  double RangeHigh() const { return axis_.RangeHigh; }
  void SetRangeHigh(double v);
  bool Logarithmic() const { return axis_.Logarithmic; }
  void SetLogarithmic(bool v);
  ScaleTypes::TFigType LabelType() const { return axis_.LabelType; }
  void SetLabelType(ScaleTypes::TFigType v);
  int DecPlaces() const { return axis_.DecPlaces; }
  void SetDecPlaces(int v);
  int MinTicks() const { return axis_.MinTicks; }
  void SetMinTicks(int v);
  bool ShortTicks() const { return axis_.ShortTicks; }
  void SetShortTicks(bool v);
  int NumTicks() const { return numTicks_; }
  TDTLabel* DateFormat() const { return dateFormat_; }
  void SetDateFormat(TDTLabel* v); // copies the settings
  QString UserTickText() const { return axis_.UserTickText; }
  void SetUserTickText(const QString& v);
  QString ScaleInscript() const { return axis_.ScaleInscript; }
  void SetScaleInscript(const QString& v);
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
  int MarginTop() const { return marginTop_; }
  void SetMarginTop(int v);
  int MarginBottom() const { return marginBottom_; }
  void SetMarginBottom(int v);
  int MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(int v);
  int MarginRight() const { return marginRight_; }
  void SetMarginRight(int v);
  bool ShowBaseLine() const { return showBaseLine_; }
  void SetShowBaseLine(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TColor ColorScale() const { return axis_.ColorScale; }
  void SetColorScale(TColor v);
  TColor ColorBackGnd() const { return colorBackGnd_; }
  void SetColorBackGnd(TColor v);
  Platform::TColorScheme ColorScheme() const { return colorScheme_; }
  void SetColorScheme(Platform::TColorScheme v);
  Platform::TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(Platform::TFrameStyle v);
  TFont* Font() const { return font_; }
  // A stand-alone scale shows or hides its window; a chart's scale only keeps
  // the flag (it never has a window of its own).
  bool Visible() const { return axis_.Visible; }
  void SetVisible(bool v);

  // Frame shading colours (dark, shadow, light).
  TColor FrameDarkColor() const { return frameDark_; }
  TColor FrameShadowColor() const { return frameShadow_; }
  TColor FrameLightColor() const { return frameLight_; }

  // Mapping.
  void UpdateScaling();
  int ValueToPixel(double value) const;
  double ScaleFactor() const { return scaleFactor_; }
  double ScaleOffset() const { return scaleOffset_; }

  // Tick record of the last drawing (1-based; 0.0 outside 1 .. NumTicks).
  double TickPosition(int index) const;
  // What the tick walks read from this scale (ranges, label settings, tick options).
  TTickSettings TickSettings() const;

  // Painting control.
  bool SuppressPaint() const { return suppressPaint_; }
  void SetSuppressPaint(bool v);
  void ForcedPaint();
  bool ChartOwned() const { return chartOwned_; }
  void SetChartOwned(bool v);
  void SetExternalCanvas(TCanvas* canvas, int offsetX, int offsetY);
  TCanvas* ExternalCanvas() const { return externalCanvas_; }
  void Redraw();

  // Geometry: platform behaviour, then rescale and redraw.
  void SetBounds(int left, int top, int width, int height) override;

  // The range, label, caption and visibility settings as one value. Setting them goes
  // through the setters above in turn, so that each one's rules apply as they would.
  const TAxisSettings& AxisSettings() const { return axis_; }
  void SetAxisSettings(const TAxisSettings& s);

  // Copies everything a scale carries from another scale.
  void Assign(const TScale& source);

  // Set at creation, cleared by Loaded: while set, Logarithmic accepts true unchecked.
  bool LoadingFlag() const { return scaleLoading_; }
  Q_INVOKABLE void Loaded() override;
  void Paint() override;

  TScaleTickDrawnEvent OnScaleTickDrawn;
  TScaleRenderedEvent OnBeforeScaleRendered;
  TScaleRenderedEvent OnAfterScaleRendered;

protected:
  void CreateWnd() override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

  // Ticks, labels and caption along a horizontal or vertical base line.
  void DrawHorizontal(TCanvas& canvas, int baseY);
  void DrawVertical(TCanvas& canvas, int baseX);
  void DrawCaption(TCanvas& canvas, int baseX, int baseY);
  void DrawBaseLine(TCanvas& canvas, int base);
  void DrawFrame(TCanvas& canvas, int x1, int y1, int x2, int y2);
  // Printer canvas: the scale's font at its true point size on the device.
  void UsePrinterFont(TCanvas& canvas);
  // The tick record: reset at every drawing; ticks beyond the first 250 are not recorded.
  void ResetTickRecord();
  void RecordTick(double value);

private:
  class DrawSink;
  friend class DrawSink;
  void DateFormatChanged();

  ScaleTypes::TScaleType scaleType_ = sctXB;
  TAxisSettings axis_;
  int numTicks_ = 0;
  std::vector<double> ticks_;
  TDTLabel* dateFormat_ = nullptr;
  int marginTop_ = 20, marginBottom_ = 20, marginLeft_ = 20, marginRight_ = 20;
  bool showBaseLine_ = true;
  bool transparent_ = false;
  TColor colorBackGnd_ = clBtnFace;
  Platform::TColorScheme colorScheme_ = csBWG;
  Platform::TFrameStyle frameStyle_ = fsLowered;
  TColor frameDark_ = clBlack;
  TColor frameShadow_ = 0x808080;
  TColor frameLight_ = clWhite;
  TFont* font_ = nullptr;

  double scaleFactor_ = 1.0;
  double scaleOffset_ = 0.0;

  bool scaleLoading_ = true;
  bool suppressPaint_ = true;
  bool chartOwned_ = false;
  TCanvas* externalCanvas_ = nullptr;
  int offsetX_ = 0;
  int offsetY_ = 0;
  TBitmap buffer_; // off-screen image of the opaque mode, kept between paints
  bool inPaintEvent_ = false; // the platform blits the surface itself afterwards
};
