// The chart's owned objects and settings: each setter stores, then brings the
// scales, the data image and the picture up to date.
#include "TRChart.h"
#include "ChartLayouts.h"
#include "PaintLockGuard.h"
#include <algorithm>
#include <cmath>

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
  const ChartLayouts::LayoutRow& row = ChartLayouts::Row(v);
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
    ChartLayouts::ApplyCell(propsX_[i + 1], row.x[i]);
    ChartLayouts::ApplyCell(propsY_[i + 1], row.y[i]);
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
