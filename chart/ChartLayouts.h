#pragma once
// The standard layouts of the chart: for each, the margins, the chart caption's
// place and the place and visibility of the axes of layers 1 .. 4.
#include "ChartTypes.h"
#include "TScaleProps.h"

namespace ChartLayouts {

// One axis of a layout.
struct ScaleCell {
  int posX, posY;
  TAlignment alignment;
  TScaleUnitAnchor anchor;
  int scalePos;
  bool visible;
  bool farSide; // x: top (else bottom); y: right (else left)
};

// One layout: margins, caption, the x and y axes of layers 1 .. 4.
struct LayoutRow {
  int left, right, top, bottom;
  int captionX, captionY;
  TAlignment captionAlignment;
  TCaptionAnchorHoriz anchorHoriz;
  TCaptionAnchorVert anchorVert;
  ScaleCell x[4];
  ScaleCell y[4];
};

// The row of a layout (rcl_X1Bottom_Y1Left .. rcl_X2Both_Y2Both).
const LayoutRow& Row(ChartTypes::TRChartLayout layout);

// Puts an axis on its side, then gives it the cell's caption, position and visibility.
void ApplyCell(TScalePropsHoriz* p, const ScaleCell& c);
void ApplyCell(TScalePropsVert* p, const ScaleCell& c);

} // namespace ChartLayouts
