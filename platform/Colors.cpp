#include "Colors.h"

#include <QHash>
#include <array>

namespace {

struct RGBEntry {
  quint8 r, g, b;
};

// The platform's default system colours (GetSysColor of a standard desktop),
// indexed by the low byte of a system colour value.
constexpr std::array<RGBEntry, 31> kSystemColors = {{
    {200, 200, 200}, //  0 clScrollBar
    {0, 0, 0},       //  1 clBackground
    {153, 180, 209}, //  2 clActiveCaption
    {191, 205, 219}, //  3 clInactiveCaption
    {240, 240, 240}, //  4 clMenu
    {255, 255, 255}, //  5 clWindow
    {100, 100, 100}, //  6 clWindowFrame
    {0, 0, 0},       //  7 clMenuText
    {0, 0, 0},       //  8 clWindowText
    {0, 0, 0},       //  9 clCaptionText
    {180, 180, 180}, // 10 clActiveBorder
    {244, 247, 252}, // 11 clInactiveBorder
    {171, 171, 171}, // 12 clAppWorkSpace
    {0, 120, 215},   // 13 clHighlight
    {255, 255, 255}, // 14 clHighlightText
    {240, 240, 240}, // 15 clBtnFace
    {160, 160, 160}, // 16 clBtnShadow
    {109, 109, 109}, // 17 clGrayText
    {0, 0, 0},       // 18 clBtnText
    {0, 0, 0},       // 19 clInactiveCaptionText
    {255, 255, 255}, // 20 clBtnHighlight
    {105, 105, 105}, // 21 cl3DDkShadow
    {227, 227, 227}, // 22 cl3DLight
    {0, 0, 0},       // 23 clInfoText
    {255, 255, 225}, // 24 clInfoBk
    {0, 0, 0},       // 25 (unused index)
    {0, 102, 204},   // 26 hot light
    {185, 209, 234}, // 27 gradient active caption
    {215, 228, 242}, // 28 gradient inactive caption
    {0, 120, 215},   // 29 menu highlight
    {240, 240, 240}, // 30 menu bar
}};

const QHash<QString, TColor>& ColorNames() {
  static const QHash<QString, TColor> names = {
      {QStringLiteral("clBlack"), clBlack},
      {QStringLiteral("clMaroon"), clMaroon},
      {QStringLiteral("clGreen"), clGreen},
      {QStringLiteral("clOlive"), clOlive},
      {QStringLiteral("clNavy"), clNavy},
      {QStringLiteral("clPurple"), clPurple},
      {QStringLiteral("clTeal"), clTeal},
      {QStringLiteral("clGray"), clGray},
      {QStringLiteral("clSilver"), clSilver},
      {QStringLiteral("clRed"), clRed},
      {QStringLiteral("clLime"), clLime},
      {QStringLiteral("clYellow"), clYellow},
      {QStringLiteral("clBlue"), clBlue},
      {QStringLiteral("clFuchsia"), clFuchsia},
      {QStringLiteral("clAqua"), clAqua},
      {QStringLiteral("clWhite"), clWhite},
      {QStringLiteral("clMoneyGreen"), clMoneyGreen},
      {QStringLiteral("clSkyBlue"), clSkyBlue},
      {QStringLiteral("clCream"), clCream},
      {QStringLiteral("clMedGray"), clMedGray},
      {QStringLiteral("clScrollBar"), clScrollBar},
      {QStringLiteral("clBackground"), clBackground},
      {QStringLiteral("clActiveCaption"), clActiveCaption},
      {QStringLiteral("clInactiveCaption"), clInactiveCaption},
      {QStringLiteral("clMenu"), clMenu},
      {QStringLiteral("clWindow"), clWindow},
      {QStringLiteral("clWindowFrame"), clWindowFrame},
      {QStringLiteral("clMenuText"), clMenuText},
      {QStringLiteral("clWindowText"), clWindowText},
      {QStringLiteral("clCaptionText"), clCaptionText},
      {QStringLiteral("clActiveBorder"), clActiveBorder},
      {QStringLiteral("clInactiveBorder"), clInactiveBorder},
      {QStringLiteral("clAppWorkSpace"), clAppWorkSpace},
      {QStringLiteral("clHighlight"), clHighlight},
      {QStringLiteral("clHighlightText"), clHighlightText},
      {QStringLiteral("clBtnFace"), clBtnFace},
      {QStringLiteral("clBtnShadow"), clBtnShadow},
      {QStringLiteral("clGrayText"), clGrayText},
      {QStringLiteral("clBtnText"), clBtnText},
      {QStringLiteral("clInactiveCaptionText"), clInactiveCaptionText},
      {QStringLiteral("clBtnHighlight"), clBtnHighlight},
      {QStringLiteral("cl3DDkShadow"), cl3DDkShadow},
      {QStringLiteral("cl3DLight"), cl3DLight},
      {QStringLiteral("clInfoText"), clInfoText},
      {QStringLiteral("clInfoBk"), clInfoBk},
  };
  return names;
}

} // namespace

QRgb ColorToRGB(TColor color) {
  if (color & clSystemColor) {
    const quint32 index = color & 0xFF;
    if (index < kSystemColors.size()) {
      const RGBEntry& e = kSystemColors[index];
      return qRgb(e.r, e.g, e.b);
    }
    return qRgb(0, 0, 0);
  }
  // 0x00BBGGRR; a palette flag in the high byte is ignored (RGB32 surfaces only).
  return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QColor ToQColor(TColor color) { return QColor::fromRgb(ColorToRGB(color)); }

TColor RGBToColor(QRgb rgb) {
  return TColor(qRed(rgb)) | (TColor(qGreen(rgb)) << 8) | (TColor(qBlue(rgb)) << 16);
}

std::optional<TColor> ColorFromName(const QString& name) {
  const auto& names = ColorNames();
  auto it = names.constFind(name);
  if (it != names.constEnd()) return *it;
  // Stored settings are written by a case-insensitive platform; accept any case.
  for (auto i = names.constBegin(); i != names.constEnd(); ++i)
    if (i.key().compare(name, Qt::CaseInsensitive) == 0) return i.value();
  return std::nullopt;
}
