#pragma once
// Enumerations and the display item of the chart. Values keep their published
// names and order.
#include "Colors.h"
#include "PlatformTypes.h"
#include <QObject>
#include <QFlags>

namespace ChartTypes {
Q_NAMESPACE

enum GridStyleType { gsNone, gsPoints, gsVertLines, gsHorizLines, gsLines, gsHorizDotLines,
                     gsVertDotLines, gsDotLines };
Q_ENUM_NS(GridStyleType)

enum TShadowStyle { ssFlying, ssBox };
Q_ENUM_NS(TShadowStyle)

enum TCaptionAnchorHoriz { cahControlLeft, cahChartLeft, cahChartCenter, cahChartRight,
                           cahControlRight };
Q_ENUM_NS(TCaptionAnchorHoriz)

enum TCaptionAnchorVert { cavControlTop, cavChartTop, cavChartCenter, cavChartBottom,
                          cavControlBottom };
Q_ENUM_NS(TCaptionAnchorVert)

enum TBkgFill { bfSimple, bfStretch, bfTile };
Q_ENUM_NS(TBkgFill)

enum TBGAreaMode { bamNone, bamLeft, bamRight, bamTop, bamBottom, bamVStripe, bamHStripe, bamRect };
Q_ENUM_NS(TBGAreaMode)

enum TMouseActMode { maNone, maPan, maPanHoriz, maPanVert, maRubberBand, maZoom, maZoomWind,
                     maZoomWindPos, maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom,
                     maRotXOnly, maRotZOnly };
Q_ENUM_NS(TMouseActMode)

enum TRChartLayout { rcl_X1Bottom_Y1Left, rcl_X1Bottom_Y2Left, rcl_X1Bottom_Y3Left,
                     rcl_X1Bottom_Y4Left, rcl_X1Bottom_Y2Both, rcl_X2Bottom_Y2Left,
                     rcl_X2Both_Y2Both };
Q_ENUM_NS(TRChartLayout)

// Where an x or a y axis of a layer lies.
enum TScaleLocHoriz { slTop, slBottom };
Q_ENUM_NS(TScaleLocHoriz)
enum TScaleLocVert { slLeft, slRight };
Q_ENUM_NS(TScaleLocVert)

enum TCrossHMode : quint8 { chOff, chHoriz, chVert, chBoth };
Q_ENUM_NS(TCrossHMode)

enum TTxtLblMode : quint8 { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
Q_ENUM_NS(TTxtLblMode)

enum TTxtLblAttachMode : quint8 { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
Q_ENUM_NS(TTxtLblAttachMode)

enum TTextBkStyle { tbClear, tbSolid };
Q_ENUM_NS(TTextBkStyle)

// Keyboard and mouse-button state of a mouse event.
enum TShiftFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                  ssDouble = 64 };
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)
Q_FLAG_NS(TShiftState)

} // namespace ChartTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(ChartTypes::TShiftState)

using namespace ChartTypes;

// Item kinds of the display list.
constexpr quint8 ikLineTo = 3;
constexpr quint8 ikMoveTo = 8;

// One drawing item of the display list, in world coordinates of its layer.
struct TDisplayItem {
  double X;
  double Y;
  double X2; // second coordinate pair: not used by move-to and line-to items
  double Y2;
  TColor Color;     // pen colour
  TColor FillColor; // brush colour (line-to items)
  TColor Color3;    // further colours of other item kinds
  TColor Color4;
  Platform::TPenStyle PenStyle; // 8-bit
  qint32 LineWidth;
  quint8 ItemClass;
  quint8 Kind;
  qint32 Layer;
};
static_assert(sizeof(Platform::TPenStyle) == 1);
