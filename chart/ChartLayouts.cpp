#include "ChartLayouts.h"

#include <iterator>

namespace ChartLayouts {
namespace {

constexpr ScaleCell kDefX{10, 100, taCenter, uaSclCenter, 0, false, false};
constexpr ScaleCell kDefY{10, 100, taRightJustify, uaSclTopLft, 0, false, false};
constexpr ScaleCell kX1{0, 22, taCenter, uaSclCenter, 0, true, false};
constexpr ScaleCell kYLeft23(int pos) { return {0, -23, taRightJustify, uaSclTopLft, pos, true, false}; }

constexpr LayoutRow kLayouts[] = {
    // rcl_X1Bottom_Y1Left
    {50, 20, 20, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {{0, -16, taLeftJustify, uaSclTopLft, 0, true, false}, kDefY, kDefY, kDefY}},
    // rcl_X1Bottom_Y2Left
    {100, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kDefY, kDefY}},
    // rcl_X1Bottom_Y3Left
    {150, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kYLeft23(100), kDefY}},
    // rcl_X1Bottom_Y4Left
    {200, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kYLeft23(100), kYLeft23(150)}},
    // rcl_X1Bottom_Y2Both
    {50, 50, 24, 40, 0, -20, taCenter, cahChartCenter, cavChartTop,
     {kX1, kDefX, kDefX, kDefX},
     {kYLeft23(0), {0, -23, taLeftJustify, uaSclTopLft, 0, true, true}, kDefY, kDefY}},
    // rcl_X2Bottom_Y2Left
    {100, 20, 24, 70, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {{-20, 7, taRightJustify, uaSclTopLft, 0, true, false},
      {-20, 7, taRightJustify, uaSclTopLft, 30, true, false}, kDefX, kDefX},
     {kYLeft23(0), kYLeft23(50), kDefY, kDefY}},
    // rcl_X2Both_Y2Both
    {50, 50, 48, 40, 0, -46, taCenter, cahChartCenter, cavChartTop,
     {{-20, 7, taRightJustify, uaSclTopLft, 0, true, false},
      {-20, -24, taRightJustify, uaSclTopLft, 0, true, true}, kDefX, kDefX},
     {{0, -40, taRightJustify, uaSclTopLft, 0, true, false},
      {0, -40, taLeftJustify, uaSclTopLft, 0, true, true},
      {0, -23, taRightJustify, uaSclTopLft, 0, false, false},
      {0, -23, taRightJustify, uaSclTopLft, 0, false, false}}},
};
static_assert(std::size(kLayouts) == rcl_X2Both_Y2Both + 1);

void ApplyCellFields(TScaleProps* p, const ScaleCell& c) {
  p->SetCaptionPosX(c.posX);
  p->SetCaptionPosY(c.posY);
  p->SetCaptionAlignment(c.alignment);
  p->SetCaptionAnchor(c.anchor);
  p->SetScalePos(c.scalePos);
  p->SetVisible(c.visible);
}

} // namespace

const LayoutRow& Row(ChartTypes::TRChartLayout layout) { return kLayouts[layout]; }

void ApplyCell(TScalePropsHoriz* p, const ScaleCell& c) {
  p->SetScaleLocation(c.farSide ? slTop : slBottom);
  ApplyCellFields(p, c);
}

void ApplyCell(TScalePropsVert* p, const ScaleCell& c) {
  p->SetScaleLocation(c.farSide ? slRight : slLeft);
  ApplyCellFields(p, c);
}

} // namespace ChartLayouts
