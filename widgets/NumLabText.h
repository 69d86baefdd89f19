#pragma once
// The numeric label's number-to-text conversions, free of any widget so they can
// be used and checked on their own. Every text is built from the value's decimal
// digits by hand: nothing here depends on the user's locale except the month and
// weekday names of date-time texts.
#include <QObject>
#include <QString>

namespace NumLab {
Q_NAMESPACE

// How the label turns its value into text (names and order as stored settings write them).
enum TDisplay {
  dtFloat,     // general format, P significant digits (at least 2)
  dtFixP,      // fixed point, P decimals
  dtExp,       // exponent format, P significant digits (at least 2)
  dtHex,       // upper-case hexadecimal, the last min(P, 8) digits
  dtZeroInt,   // 32-bit integer, zero-padded to P digits
  dtInt,       // 64-bit integer
  dtDateTime,  // day number formatted with a date pattern
  dtState,     // the state text
  dtBin,       // the last min(P, 32) bits
  dtOct,       // the last min(P, 12) octal digits, at most 11
  dtDeg,       // fixed point and a degree sign
  dtDegMin,    // degrees and decimal minutes
  dtDegMinSec, // degrees, minutes and decimal seconds
  dtEEng,      // engineering notation with a prefix letter (4.70k)
  dtEEngNoDP   // engineering notation, the prefix letter in place of the point (4k70)
};
Q_ENUM_NS(TDisplay)

// Everything besides the value that decides the text.
struct TextSettings {
  TDisplay DisplayType = dtFixP;
  int Precision = 2;
  bool Comma = false;
  bool ForcePlusSign = false;
  QString DTFormat;
  QString StateText;
  QString OverflowIndicator;
};

// The label's value text: the display type's format, then (except for hex, binary,
// date-time and state texts) the decimal separator and the forced plus sign.
// Values an integer type cannot show (dtInt: beyond a 64-bit integer or infinite) and
// date-time values without a calendar date give OverflowIndicator; infinite values
// of the other number types read INF or -INF.
QString ValueText(double value, const TextSettings& settings);

// The single formats. P is the precision (0 .. 15); the number formats take the
// value to 18 significant digits first and then round half up at the last kept digit.
QString FixedText(long double value, int decimals);          // 4.70; e > 18 falls back to FloatText(v, 18)
QString FloatText(long double value, int significant);       // 470, 4.7E3, 0.00047, 4.7E-5
QString ExpText(long double value, int significant);         // 4.70E+003
// Fixed point right-aligned with spaces in a field of at least width characters.
QString FixedField(long double value, int width, int decimals);
// Integer types. The range tests tell when ValueText shows the overflow indicator instead.
bool InHexRange(double value); // -2147483648 .. 4294967295
QString HexText(double value, int precision);
QString BinText(double value, int precision);
QString OctText(double value, int precision);
bool InZeroIntRange(double value); // -2147483648 .. 2147483647
QString ZeroIntText(double value, int precision);
bool InIntRange(double value); // what a 64-bit integer holds after rounding
QString IntText(double value);
QString DegText(double value, int precision);
QString DegMinText(double value, int precision);
QString DegMinSecText(double value, int precision);
QString EngText(double value, int precision, bool pointReplacement);

} // namespace NumLab
