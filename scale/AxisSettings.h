#pragma once
// The settings of one axis that a chart's per-layer property object and its scale
// both carry: the range, the look of labels and caption, and whether it shows.
// The chart hands them over as one value (TScale::SetAxisSettings).
#include "Colors.h"
#include "PlatformTypes.h"
#include "ScaleTypes.h"
#include <QString>

struct TAxisSettings {
  double RangeLow = 0.0;
  double RangeHigh = 100.0;
  bool Logarithmic = false;
  ScaleTypes::TFigType LabelType = ScaleTypes::ftNum;
  int DecPlaces = -2;
  int MinTicks = 3;
  bool ShortTicks = true;
  QString UserTickText;
  QString ScaleInscript;
  QString Caption;
  int CaptionPosX = 4;
  int CaptionPosY = 4;
  Platform::TAlignment CaptionAlignment = Platform::taCenter;
  ScaleTypes::TScaleUnitAnchor CaptionAnchor = ScaleTypes::uaSclTopLft;
  TColor ColorScale = clBlack;
  bool Visible = true;
};
