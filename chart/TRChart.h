#pragma once
// The chart control with its properties published by name (for stored window
// settings and the designer); the control itself is TCustomRChart.
#include "TCustomRChart.h"

class TRChart : public TCustomRChart {
  Q_OBJECT
  Q_PROPERTY(int AllocSize READ AllocSize WRITE SetAllocSize)
  Q_PROPERTY(bool AutoRedraw READ AutoRedraw WRITE SetAutoRedraw)
  Q_PROPERTY(int MarginLeft READ MarginLeft WRITE SetMarginLeft)
  Q_PROPERTY(int LRim READ MarginLeft WRITE SetMarginLeft)
  Q_PROPERTY(int MarginRight READ MarginRight WRITE SetMarginRight)
  Q_PROPERTY(int RRim READ MarginRight WRITE SetMarginRight)
  Q_PROPERTY(int MarginTop READ MarginTop WRITE SetMarginTop)
  Q_PROPERTY(int TRim READ MarginTop WRITE SetMarginTop)
  Q_PROPERTY(int MarginBottom READ MarginBottom WRITE SetMarginBottom)
  Q_PROPERTY(int BRim READ MarginBottom WRITE SetMarginBottom)
  Q_PROPERTY(TBakGndImg* BackGroundImg READ BackGroundImg)
  Q_PROPERTY(int ClassDefault READ ClassDefault WRITE SetClassDefault)
  Q_PROPERTY(ChartTypes::GridStyleType GridStyle READ GridStyle WRITE SetGridStyle)
  Q_PROPERTY(double GridDx READ GridDx WRITE SetGridDx)
  Q_PROPERTY(double GridDy READ GridDy WRITE SetGridDy)
  Q_PROPERTY(bool Isometric READ Isometric WRITE SetIsometric)
  Q_PROPERTY(quint32 DataColor READ DataColor WRITE SetDataColor)
  Q_PROPERTY(Platform::TPenStyle PenStyle READ PenStyle WRITE SetPenStyle)
  Q_PROPERTY(quint32 ChartFrameColor READ ChartFrameColor WRITE SetChartFrameColor)
  Q_PROPERTY(quint32 FillColor READ FillColor WRITE SetFillColor)
  Q_PROPERTY(quint32 ChartColor READ ChartColor WRITE SetChartColor)
  Q_PROPERTY(quint32 WindColor READ WindColor WRITE SetWindColor)
  Q_PROPERTY(quint32 GridColor READ GridColor WRITE SetGridColor)
  Q_PROPERTY(TJointLayers* JointLayers READ JointLayers)
  Q_PROPERTY(int LineWidth READ LineWidth WRITE SetLineWidth)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int CaptionPosX READ CaptionPosX WRITE SetCaptionPosX)
  Q_PROPERTY(int CaptionPosY READ CaptionPosY WRITE SetCaptionPosY)
  Q_PROPERTY(Platform::TAlignment CaptionAlignment READ CaptionAlignment WRITE SetCaptionAlignment)
  Q_PROPERTY(ChartTypes::TCaptionAnchorHoriz CaptionAnchorHoriz READ CaptionAnchorHoriz WRITE SetCaptionAnchorHoriz)
  Q_PROPERTY(ChartTypes::TCaptionAnchorVert CaptionAnchorVert READ CaptionAnchorVert WRITE SetCaptionAnchorVert)
  Q_PROPERTY(TCrossHair* CrossHair1 READ CrossHair1)
  Q_PROPERTY(TCrossHair* CrossHair2 READ CrossHair2)
  Q_PROPERTY(TCrossHair* CrossHair3 READ CrossHair3)
  Q_PROPERTY(TCrossHair* CrossHair4 READ CrossHair4)
  Q_PROPERTY(ChartTypes::TMouseActMode MouseAction READ MouseAction WRITE SetMouseAction)
  Q_PROPERTY(bool MouseCursorFixed READ MouseCursorFixed WRITE SetMouseCursorFixed)
  Q_PROPERTY(TScalePropsHoriz* Scale1X READ Scale1X)
  Q_PROPERTY(TScalePropsVert* Scale1Y READ Scale1Y)
  Q_PROPERTY(TScalePropsHoriz* Scale2X READ Scale2X)
  Q_PROPERTY(TScalePropsVert* Scale2Y READ Scale2Y)
  Q_PROPERTY(TScalePropsHoriz* Scale3X READ Scale3X)
  Q_PROPERTY(TScalePropsVert* Scale3Y READ Scale3Y)
  Q_PROPERTY(TScalePropsHoriz* Scale4X READ Scale4X)
  Q_PROPERTY(TScalePropsVert* Scale4Y READ Scale4Y)
  Q_PROPERTY(ChartTypes::TRChartLayout StandardLayout READ StandardLayout WRITE SetStandardLayout)
  Q_PROPERTY(int ShadowWidth READ ShadowWidth WRITE SetShadowWidth)
  Q_PROPERTY(ChartTypes::TShadowStyle ShadowStyle READ ShadowStyle WRITE SetShadowStyle)
  Q_PROPERTY(quint32 ShadowColor READ ShadowColor WRITE SetShadowColor)
  Q_PROPERTY(quint32 ShadowBakColor READ ShadowBakColor WRITE SetShadowBakColor)
  Q_PROPERTY(TCustomRChart* UseDataOf READ UseDataOf WRITE SetUseDataOf)
  Q_PROPERTY(Platform::TFontStyles TextFontStyle READ TextFontStyle WRITE SetTextFontStyle)
  Q_PROPERTY(ChartTypes::TTextBkStyle TextBkStyle READ TextBkStyle WRITE SetTextBkStyle)
  Q_PROPERTY(quint32 TextBkColor READ TextBkColor WRITE SetTextBkColor)
  Q_PROPERTY(Platform::TAlignment TextAlignment READ TextAlignment WRITE SetTextAlignment)
  Q_PROPERTY(TFont* Font READ Font)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)

public:
  explicit TRChart(QWidget* parent = nullptr) : TCustomRChart(parent) {}

  TCrossHair* CrossHair1() const { return CrossHair(1); }
  TCrossHair* CrossHair2() const { return CrossHair(2); }
  TCrossHair* CrossHair3() const { return CrossHair(3); }
  TCrossHair* CrossHair4() const { return CrossHair(4); }
  TScalePropsHoriz* Scale1X() const { return ScalePropsX(1); }
  TScalePropsVert* Scale1Y() const { return ScalePropsY(1); }
  TScalePropsHoriz* Scale2X() const { return ScalePropsX(2); }
  TScalePropsVert* Scale2Y() const { return ScalePropsY(2); }
  TScalePropsHoriz* Scale3X() const { return ScalePropsX(3); }
  TScalePropsVert* Scale3Y() const { return ScalePropsY(3); }
  TScalePropsHoriz* Scale4X() const { return ScalePropsX(4); }
  TScalePropsVert* Scale4Y() const { return ScalePropsY(4); }

protected:
  // The window exists from here on: painting is allowed.
  void CreateWnd() override;
};
