// The numeric label's texts, display type by display type.
#include "NumLabText.h"

#include <QLocale>
#include <QRegularExpression>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace NumLab;

namespace {

QString Text(TDisplay type, int precision, double value, bool comma = false, bool plus = false) {
  TextSettings s;
  s.DisplayType = type;
  s.Precision = precision;
  s.Comma = comma;
  s.ForcePlusSign = plus;
  s.DTFormat = QStringLiteral("mmm-dd, yyyy");
  s.StateText = QStringLiteral("undefined");
  s.OverflowIndicator = QStringLiteral("*********");
  return ValueText(value, s);
}

const QString kOverflow = QStringLiteral("*********");

} // namespace

TEST(NumLabText, FixedPointSeparatorAndPlusSign) {
  EXPECT_EQ(Text(dtFixP, 2, 4.7), "4.70");
  EXPECT_EQ(Text(dtFixP, 2, 4.7, true), "4,70");
  EXPECT_EQ(Text(dtFixP, 2, 4.7, false, true), "+4.70");
  EXPECT_EQ(Text(dtFixP, 2, 4.7, true, true), "+4,70");
  EXPECT_EQ(Text(dtFixP, 2, 0.0, false, true), "0.00"); // zero never gets a plus sign
  EXPECT_EQ(Text(dtFixP, 2, -4.7, false, true), "-4.70");
  EXPECT_EQ(Text(dtFixP, 0, 4.7), "5");
  EXPECT_EQ(Text(dtFixP, 2, 100.0), "100.00");
  EXPECT_EQ(Text(dtFixP, 3, 0.0047), "0.005");
  EXPECT_EQ(Text(dtFixP, 15, 0.1), "0.100000000000000");
}

TEST(NumLabText, FixedPointRoundsHalfUpAfterEighteenDigits) {
  EXPECT_EQ(FixedText(0.125, 2), "0.13");
  EXPECT_EQ(FixedText(-0.125, 2), "-0.13");
  EXPECT_EQ(FixedText(2.675, 2), "2.67"); // 2.67499999999999982...
  EXPECT_EQ(FixedText(0.005, 2), "0.01"); // the first dropped digit is the first digit
  EXPECT_EQ(FixedText(0.004, 2), "0.00");
  EXPECT_EQ(FixedText(9.999, 2), "10.00"); // a carry past the first digit
  EXPECT_EQ(FixedText(-0.001, 2), "0.00"); // no "-" when nothing non-zero is left
  EXPECT_EQ(FixedText(-0.0, 2), "0.00");
  // Only 18 significant digits exist: 1234.567890123456663786... keeps ...666, then zeros.
  EXPECT_EQ(FixedText(1234.5678901234567, 15), "1234.567890123456660");
  // From 1e18 on (19 integer digits), the general format with 18 digits.
  EXPECT_EQ(FixedText(std::ldexp(1.0, 60), 0), "1.15292150460684698E18"); // 2^60 = 1152921504606846976
  EXPECT_EQ(FixedText(std::ldexp(1.0, 59), 0), "576460752303423488");
  EXPECT_EQ(FixedText(1e20, 2), "1E20");
  EXPECT_EQ(FixedText(-3e20, 2), "-3E20");
}

TEST(NumLabText, TextIgnoresTheLocale) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const char* cLocale = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = cLocale ? cLocale : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may not exist; the Qt locale is enough then
  EXPECT_EQ(Text(dtFixP, 2, 4.7), "4.70");
  EXPECT_EQ(Text(dtFloat, 5, 1234.5), "1234.5");
  EXPECT_EQ(Text(dtExp, 3, 4700), "4.70E+003");
  EXPECT_EQ(Text(dtEEng, 3, 4700), "4.70k");
  std::setlocale(LC_NUMERIC, saved.c_str());
  QLocale::setDefault(before);
}

TEST(NumLabText, ExponentFormat) {
  EXPECT_EQ(Text(dtExp, 3, 4700), "4.70E+003");
  EXPECT_EQ(Text(dtExp, 2, 0.00047), "4.7E-004");
  EXPECT_EQ(Text(dtExp, 0, 0.00047), "4.7E-004"); // at least two digits
  EXPECT_EQ(Text(dtExp, 2, 0.0), "0.0E+000");
  EXPECT_EQ(Text(dtExp, 4, 0.0), "0.000E+000");
  EXPECT_EQ(Text(dtExp, 3, -4700), "-4.70E+003");
  EXPECT_EQ(Text(dtExp, 2, 9.99), "1.0E+001"); // the carry raises the exponent
  EXPECT_EQ(Text(dtExp, 3, 1.5e-200), "1.50E-200");
  EXPECT_EQ(Text(dtExp, 3, 4700, true), "4,70E+003");
}

TEST(NumLabText, GeneralFormat) {
  EXPECT_EQ(Text(dtFloat, 3, 470), "470");
  EXPECT_EQ(Text(dtFloat, 3, 4700), "4.7E3");
  EXPECT_EQ(Text(dtFloat, 3, 0.00047), "0.00047");
  EXPECT_EQ(Text(dtFloat, 3, 0.000047), "4.7E-5");
  EXPECT_EQ(Text(dtFloat, 5, 1234.5), "1234.5");
  EXPECT_EQ(Text(dtFloat, 3, 0.0), "0");
  EXPECT_EQ(Text(dtFloat, 3, 0.5), "0.5");
  EXPECT_EQ(Text(dtFloat, 3, 1000), "1E3");
  EXPECT_EQ(Text(dtFloat, 2, 999), "1E3");      // rounded to 2 digits first: 1.0E3
  EXPECT_EQ(Text(dtFloat, 3, 3.14159), "3.14");
  EXPECT_EQ(Text(dtFloat, 3, -0.000047), "-4.7E-5");
  EXPECT_EQ(Text(dtFloat, 0, 3.14159), "3.1"); // at least two digits
}

TEST(NumLabText, HexBinaryAndOctal) {
  EXPECT_EQ(Text(dtHex, 4, 255), "00FF");
  EXPECT_EQ(Text(dtHex, 1, 255), "F");
  EXPECT_EQ(Text(dtHex, 4, -1), "FFFF");
  EXPECT_EQ(Text(dtHex, 15, 4294967295.0), "FFFFFFFF"); // at most 8 digits
  EXPECT_EQ(Text(dtHex, 0, 255), "");
  EXPECT_EQ(Text(dtHex, 4, 5e9), kOverflow);
  EXPECT_EQ(Text(dtHex, 4, -2147483648.5), kOverflow);
  EXPECT_EQ(Text(dtHex, 4, 255, false, true), "00FF"); // hex gets no plus sign

  EXPECT_EQ(Text(dtBin, 8, 5), "00000101");
  EXPECT_EQ(Text(dtBin, 0, 5), "");
  EXPECT_EQ(Text(dtBin, 3, 13), "101");
  EXPECT_EQ(Text(dtBin, 15, -1), "111111111111111");
  EXPECT_EQ(Text(dtBin, 8, 5e9), kOverflow);
  EXPECT_EQ(Text(dtBin, 8, 5, false, true), "00000101");

  EXPECT_EQ(Text(dtOct, 12, 8), "00000000010"); // at most 11 digits
  EXPECT_EQ(Text(dtOct, 12, -1), "37777777777");
  EXPECT_EQ(Text(dtOct, 3, 64), "100");
  EXPECT_EQ(Text(dtOct, 0, 64), "");
  EXPECT_EQ(Text(dtOct, 3, 5e9), kOverflow);
  EXPECT_EQ(Text(dtOct, 3, 64, false, true), "+100");
}

TEST(NumLabText, IntegersRoundHalfToEven) {
  EXPECT_EQ(Text(dtZeroInt, 4, 42), "0042");
  EXPECT_EQ(Text(dtZeroInt, 4, -42), "-0042");
  EXPECT_EQ(Text(dtZeroInt, 0, 42), "42");
  EXPECT_EQ(Text(dtZeroInt, 2, 12345), "12345");
  EXPECT_EQ(Text(dtZeroInt, 4, 2147483647), "2147483647");
  EXPECT_EQ(Text(dtZeroInt, 4, 2147483648.0), kOverflow);
  EXPECT_EQ(Text(dtZeroInt, 4, -2147483649.0), kOverflow);
  EXPECT_EQ(Text(dtZeroInt, 4, 42, false, true), "+0042");

  EXPECT_EQ(Text(dtInt, 2, 2147483648.0), "2147483648");
  EXPECT_EQ(Text(dtInt, 2, 2.5), "2");
  EXPECT_EQ(Text(dtInt, 2, 3.5), "4");
  EXPECT_EQ(Text(dtInt, 2, -2.5), "-2");
  EXPECT_EQ(Text(dtInt, 2, 1e15), "1000000000000000");
  // Beyond a 64-bit integer and infinities: the overflow indicator, never a crash.
  EXPECT_EQ(Text(dtInt, 2, 1e19), kOverflow);
  EXPECT_EQ(Text(dtInt, 2, std::numeric_limits<double>::infinity()), kOverflow);
  EXPECT_EQ(Text(dtZeroInt, 2, -std::numeric_limits<double>::infinity()), kOverflow);
}

TEST(NumLabText, Degrees) {
  EXPECT_EQ(Text(dtDeg, 1, 12.25), QString::fromUtf8("12.3\u00B0"));
  EXPECT_EQ(Text(dtDeg, 15, 1.0), QString::fromUtf8("1.00000000\u00B0")); // at most 8 decimals
  EXPECT_EQ(Text(dtDegMin, 2, 12.5), QString::fromUtf8("12\u00B0 30.00'"));
  EXPECT_EQ(Text(dtDegMin, 2, 12.5, true), QString::fromUtf8("12\u00B0 30,00'"));
  EXPECT_EQ(Text(dtDegMin, 2, -12.5), QString::fromUtf8("-12\u00B0 30.00'"));
  EXPECT_EQ(Text(dtDegMin, 2, 12.1), QString::fromUtf8("12\u00B0  6.00'")); // field of d + 3
  EXPECT_EQ(Text(dtDegMin, 0, 12.0 - 1e-12), QString::fromUtf8("12\u00B0   0'")); // snapped to 12
  EXPECT_EQ(Text(dtDegMinSec, 2, 12.5125), QString::fromUtf8("12\u00B0 30' 45.00\""));
  // Whole minutes are right-aligned in two places.
  EXPECT_EQ(Text(dtDegMinSec, 1, 1.0 + 2.0 / 60), QString::fromUtf8("1\u00B0  2'  0.0\""));
}

TEST(NumLabText, EngineeringNotation) {
  EXPECT_EQ(Text(dtEEng, 3, 4700), "4.70k");
  EXPECT_EQ(Text(dtEEngNoDP, 3, 4700), "4k70");
  EXPECT_EQ(Text(dtEEng, 3, 47e-6), "47.0u");
  EXPECT_EQ(Text(dtEEngNoDP, 3, 47e-6), "47u0");
  EXPECT_EQ(Text(dtEEng, 2, 999.9), "1000"); // the exponent is chosen before the rounding
  EXPECT_EQ(Text(dtEEng, 3, -4700), "-4.70k");
  EXPECT_EQ(Text(dtEEng, 3, 0.0), "0.00");
  EXPECT_EQ(Text(dtEEngNoDP, 3, 0.0), "0.00");
  EXPECT_EQ(Text(dtEEng, 3, 470), "470");
  EXPECT_EQ(Text(dtEEng, 3, 2.2e9), "2.20G");
  EXPECT_EQ(Text(dtEEngNoDP, 1, 4700), "5k"); // no point to replace: the letter follows
  EXPECT_EQ(Text(dtEEng, 1, 4700), "5k");
  EXPECT_EQ(Text(dtEEng, 3, 1e15), "1000T");  // prefixes end at T
  EXPECT_EQ(Text(dtEEng, 3, 2e-20), "0.0200a"); // and start at a
  EXPECT_EQ(Text(dtEEng, 3, 4700, true, true), "+4,70k");
}

TEST(NumLabText, StateDateAndOverflowTexts) {
  EXPECT_EQ(Text(dtState, 2, 4.7, true, true), "undefined");
  EXPECT_EQ(Text(dtDateTime, 2, 45000.0, true, true), "Mar-15, 2023"); // neither comma nor plus
  EXPECT_EQ(Text(dtDateTime, 2, 1e12), kOverflow); // no calendar date
  // Non-finite values stay texts, whatever the format.
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Text(dtFixP, 2, inf), "INF");
  EXPECT_EQ(Text(dtEEng, 2, -inf), "-INF");
  EXPECT_EQ(Text(dtDegMinSec, 2, inf), "INF");
}

TEST(NumLabText, ExtremeValuesKeepEveryFormatWellFormed) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0.0, -0.0, 5e-324, -2.2250738585072014e-308, 1e-300, 0.5, -0.5, 0.9999999999999999,
                           123456789.123456789, 4294967295.5, -2147483648.5, 9.2233720368547758e18,
                           -std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), inf, -inf};
  for (int type = dtFloat; type <= dtEEngNoDP; ++type)
    for (int p = 0; p <= 15; ++p)
      for (double v : values) {
        const QString t = Text(TDisplay(type), p, v);
        SCOPED_TRACE(QStringLiteral("type %1, P %2, value %3: %4").arg(type).arg(p).arg(v).arg(t).toStdString());
        if (type == dtFixP && std::isfinite(v) && std::fabs(v) < 1e18) {
          // Exactly P decimals, and a sign only before a non-zero digit.
          const qsizetype point = t.indexOf('.');
          EXPECT_EQ(point < 0 ? 0 : t.size() - point - 1, p);
          EXPECT_FALSE(t.startsWith('-') && !t.contains(QRegularExpression("[1-9]")));
        }
        if (type == dtExp && std::isfinite(v)) {
          EXPECT_TRUE(t.contains(QRegularExpression("^-?\\d\\.\\d+E[+-]\\d{3}$")));
        }
        if (type == dtFloat || type == dtEEng || type == dtEEngNoDP) {
          EXPECT_FALSE(t.isEmpty());
        }
      }
}
