#pragma once
// The platform's 32-bit colour values (0x00BBGGRR) and the system colours,
// resolved to RGB in exactly one place (ColorToRGB).
#include <QColor>
#include <QString>
#include <optional>

using TColor = quint32;

// The sixteen named standard colours and a few extras.
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF,
                 clMedGray = 0xA4A0A0;

// System colours: the high bit set, the low byte the system colour index.
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clScrollBar = 0x80000000, clBackground = 0x80000001, clActiveCaption = 0x80000002,
                 clInactiveCaption = 0x80000003, clMenu = 0x80000004, clWindow = 0x80000005,
                 clWindowFrame = 0x80000006, clMenuText = 0x80000007, clWindowText = 0x80000008,
                 clCaptionText = 0x80000009, clActiveBorder = 0x8000000A, clInactiveBorder = 0x8000000B,
                 clAppWorkSpace = 0x8000000C, clHighlight = 0x8000000D, clHighlightText = 0x8000000E,
                 clBtnFace = 0x8000000F, clBtnShadow = 0x80000010, clGrayText = 0x80000011,
                 clBtnText = 0x80000012, clInactiveCaptionText = 0x80000013, clBtnHighlight = 0x80000014,
                 cl3DDkShadow = 0x80000015, cl3DLight = 0x80000016, clInfoText = 0x80000017,
                 clInfoBk = 0x80000018;

// 0x00BBGGRR (system colours resolved) -> Qt's 0xAARRGGBB with alpha 255.
QRgb ColorToRGB(TColor color);
QColor ToQColor(TColor color);
// The platform value of an RGB colour.
TColor RGBToColor(QRgb rgb);

// Colour names as stored settings write them ("clSilver", "clBtnFace"); nullopt if unknown.
std::optional<TColor> ColorFromName(const QString& name);
