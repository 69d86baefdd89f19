#pragma once
// Enumerations of the drawing platform that components publish as properties.
#include <QObject>
#include <QFlags>

namespace Platform {
Q_NAMESPACE

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

enum TVerticalAlignment { vaTop, vaCenter, vaBottom };
Q_ENUM_NS(TVerticalAlignment)

enum TPenStyle : quint8 { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
Q_ENUM_NS(TPenStyle)

enum TPenMode { pmCopy, pmXor };
Q_ENUM_NS(TPenMode)

enum TBrushStyle { bsSolid, bsClear };
Q_ENUM_NS(TBrushStyle)

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

// How a control places itself in its parent (see Align.h).
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
Q_ENUM_NS(TAlign)

// 3-D frames drawn by the scale and the numeric label, and their colour schemes.
enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
Q_ENUM_NS(TFrameStyle)

enum TColorScheme { csBWG, csSystem };
Q_ENUM_NS(TColorScheme)

// Raster operations for image copies.
enum TCopyMode { cmSrcCopy, cmSrcAnd };
Q_ENUM_NS(TCopyMode)

} // namespace Platform

Q_DECLARE_OPERATORS_FOR_FLAGS(Platform::TFontStyles)

using namespace Platform;
