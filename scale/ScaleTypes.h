#pragma once
// Enumerations of the scale engine, published by the scale and by the chart's
// per-axis settings. Values keep their published names and order.
#include "PlatformTypes.h"
#include <QObject>

namespace ScaleTypes {
Q_NAMESPACE

// Where the base line lies and on which side ticks and labels are drawn.
enum TScaleType { sctXB, sctXT, sctYL, sctYR };
Q_ENUM_NS(TScaleType)

// What the tick labels show.
enum TFigType { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
Q_ENUM_NS(TFigType)

// The point of the scale that the caption position is relative to.
enum TScaleUnitAnchor { uaSclTopLft, uaSclCenter, uaSclBotRgt };
Q_ENUM_NS(TScaleUnitAnchor)

// Date/time label settings (TDTLabel).
enum TTimeFormat : quint8 { tfHHMMSS, tfHHhMM, tfAMPM };
Q_ENUM_NS(TTimeFormat)

enum TYearLength : quint8 { ylNone, ylYY, ylYYYY };
Q_ENUM_NS(TYearLength)

enum TDateOrder : quint8 { doMMDDYY, doDDMMYY, doYYMMDD };
Q_ENUM_NS(TDateOrder)

enum TDateForTime : quint8 { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
Q_ENUM_NS(TDateForTime)

inline bool IsHorizontal(TScaleType t) { return t == sctXB || t == sctXT; }

} // namespace ScaleTypes

using namespace ScaleTypes;
