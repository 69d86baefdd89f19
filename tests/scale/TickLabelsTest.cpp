// Label texts of the scales: numbers and their rounding, automatic decimals,
// inscriptions, user texts, clock times and calendar texts.
#include "FormatDateValue.h"
#include "TDTLabel.h"
#include "TickLabels.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(NumberText, FixedNotationRoundsFromEighteenDigitsHalfUp) {
  EXPECT_EQ(NumberText(12, 0), "12");
  EXPECT_EQ(NumberText(-0.25, 2), "-0.25");
  EXPECT_EQ(NumberText(3.5, 2), "3.50");
  EXPECT_EQ(NumberText(0.125, 2), "0.13");     // exact half rounds up
  EXPECT_EQ(NumberText(2.675, 2), "2.67");     // stored as 2.67499999999999982...
  EXPECT_EQ(NumberText(0.15, 1), "0.1");       // 0.149999999999999994 at 18 digits
  EXPECT_EQ(NumberText(999.995, 2), "1000.00"); // carry through every digit
  EXPECT_EQ(NumberText(0.004, 2), "0.00");
  EXPECT_EQ(NumberText(-0.001, 2), "0.00"); // no sign on a value that rounds to zero
  EXPECT_EQ(NumberText(0, 3), "0.000");
  EXPECT_EQ(NumberText(1e20, 0), "100000000000000000000");
  EXPECT_EQ(NumberText(-7.5, 0), "-8");
}

TEST(NumberText, ExponentNotationWithTwoSignificantDigits) {
  EXPECT_EQ(NumberText(1500, -1), " 1.5E+03");
  EXPECT_EQ(NumberText(-2e-5, -1), "-2.0E-05");
  EXPECT_EQ(NumberText(0, -1), " 0.0E+00");
  EXPECT_EQ(NumberText(1250, -1), " 1.3E+03");
  EXPECT_EQ(NumberText(9.96e9, -1), " 1.0E+10"); // the carry raises the exponent
  EXPECT_EQ(NumberText(9.9e99, -1), " 9.9E+99");
  EXPECT_EQ(NumberText(9.96e99, -1), "********");
  EXPECT_EQ(NumberText(1e-100, -1), "********");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::quiet_NaN(), 2), "NAN");
  EXPECT_EQ(NumberText(-std::numeric_limits<double>::infinity(), -1), "-INF");
}

TEST(AutoDecimals, LinearAndLogarithmic) {
  EXPECT_EQ(AutoDecimals(-2, 0, 5e-5), -1);
  EXPECT_EQ(AutoDecimals(-2, 0, 250), 0);
  EXPECT_EQ(AutoDecimals(-2, 0, 1), 2);
  EXPECT_EQ(AutoDecimals(-3, 10, 0), 1); // span 10, inverted
  EXPECT_EQ(AutoDecimals(-2, 0, 0.1), 3);
  EXPECT_EQ(AutoDecimals(-2, 0, 0.01), 4);
  EXPECT_EQ(AutoDecimals(-2, 0, 1e6), -1);
  EXPECT_EQ(AutoDecimals(-2, 0, std::numeric_limits<double>::infinity()), -1);
  EXPECT_EQ(AutoDecimals(3, 0, 1e9), 3);
  EXPECT_EQ(AutoDecimals(-1, 0, 1), -1);

  EXPECT_EQ(AutoLogDecimals(-2, 0.01, 100), 3);
  EXPECT_EQ(AutoLogDecimals(-2, 100, 0.01), 3);
  EXPECT_EQ(AutoLogDecimals(-2, 1, 1000), 0);
  EXPECT_EQ(AutoLogDecimals(-2, 1, 1e7), -1);
  EXPECT_EQ(AutoLogDecimals(-3, 0.01, 100), -3);
  EXPECT_EQ(AutoLogDecimals(2, 0.01, 100), 2);
}

TEST(TickText, InscriptionsAndUserItems) {
  EXPECT_EQ(ApplyInscript("5", "$&"), "$5");
  EXPECT_EQ(ApplyInscript("5", "kg"), "kg5");
  EXPECT_EQ(ApplyInscript("5", "& V"), "5 V");
  EXPECT_EQ(ApplyInscript("5", "a&b&c"), "a5b&c"); // only the first ampersand
  EXPECT_EQ(ApplyInscript("", "kg"), "");

  EXPECT_EQ(UserTickItem("Mon|Tue|", 1), "Mon");
  EXPECT_EQ(UserTickItem("Mon|Tue|", 2), "Tue");
  EXPECT_EQ(UserTickItem("Mon|Tue|", 3), "");
  EXPECT_EQ(UserTickItem("Mon|Tue|", 9), "");
  EXPECT_EQ(UserTickItem("A|B|C", 3), "C");
  EXPECT_EQ(UserTickItem("A|B|C", 4), "C");
  EXPECT_EQ(UserTickItem("", 1), "");
  EXPECT_EQ(UserTickItem("A|B", 0), "A");
}

TEST(TickText, LinearLabels) {
  TLabelSettings s;
  s.RangeLow = 0;
  s.RangeHigh = 1;
  EXPECT_EQ(LinearTickLabel(s, 0.2, 2, 2), "0.20");
  // Zero computed with rounding noise is snapped.
  s.RangeLow = -1e-9;
  s.RangeHigh = 1e-9;
  EXPECT_EQ(LinearTickLabel(s, -1e-9 + 2 * 5e-10 + 1e-25, -1, 3), " 0.0E+00");
  EXPECT_EQ(LinearTickLabel(s, -1e-9, -1, 1), "-1.0E-09");
  s.RangeLow = 0;
  s.RangeHigh = 2000000;
  EXPECT_EQ(LinearTickLabel(s, 0, -1, 1), "0.0");
  EXPECT_EQ(LinearTickLabel(s, 0, 0, 1), "0");
  // Cut to 14 characters.
  s.RangeHigh = 1e15;
  EXPECT_EQ(LinearTickLabel(s, 123456789012345.0, 2, 1), "12345678901234");
  // DecPlaces 0: only whole numbers are labelled.
  s.RangeHigh = 1;
  s.DecPlaces = 0;
  EXPECT_EQ(LinearTickLabel(s, 0.2, 0, 2), "");
  EXPECT_EQ(LinearTickLabel(s, 1.0000000001, 0, 6), "1");
  s.DecPlaces = -2;
  s.ScaleInscript = "& V";
  EXPECT_EQ(LinearTickLabel(s, 0.5, 1, 2), "0.5 V");
  s.LabelType = ftUserText;
  s.UserTickText = "low|high";
  EXPECT_EQ(LinearTickLabel(s, 0.5, 1, 2), "high");
}

TEST(TickText, LogarithmicLabels) {
  TLabelSettings s;
  s.RangeLow = 0.01;
  s.RangeHigh = 100;
  const int d = AutoLogDecimals(-2, 0.01, 100);
  EXPECT_EQ(LogTickLabel(s, 0.01, 1, d, 1), "0.01");
  EXPECT_EQ(LogTickLabel(s, 0.1, 1, d, 2), "0.1");
  EXPECT_EQ(LogTickLabel(s, 1, 1, d, 3), "1");
  EXPECT_EQ(LogTickLabel(s, 100, 1, d, 5), "100");
  s.DecPlaces = 2; // fixed decimals keep their zeros
  EXPECT_EQ(LogTickLabel(s, 1, 1, 2, 3), "1.00");
  s.DecPlaces = -3; // decade exponents
  EXPECT_EQ(LogTickLabel(s, 1000, 1, -3, 1), "3");
  EXPECT_EQ(LogTickLabel(s, 0.01, 1, -3, 1), "-2");
  EXPECT_EQ(LogTickLabel(s, 2000, 2, -3, 2), "");
  s.DecPlaces = -2; // exponent texts are not stripped
  EXPECT_EQ(LogTickLabel(s, 1e7, 1, -1, 1), " 1.0E+07");
}

TEST(TickText, ClockTimes) {
  EXPECT_EQ(TimeText(25 * 3600 + 61.5, true), " 25:01:01.500");
  EXPECT_EQ(TimeText(3930, false), " 01:05:30");
  EXPECT_EQ(TimeText(2.25, true), " 00:00:02.250");
  EXPECT_EQ(TimeText(-600, false), "-00:10:00");
  EXPECT_EQ(TimeText(0, false), " 00:00:00");
  // A tick computed a hair below a whole second reads as that second.
  EXPECT_EQ(TimeText(6.9999999999, false), " 00:00:07");
  EXPECT_EQ(TimeText(1.9996, true), " 00:00:02.000");
  EXPECT_EQ(TimeText(360000, false), " 100:00:00");
}

class CalendarText : public ::testing::Test {
protected:
  void SetUp() override { f.ApplyScaleDefaults(); } // dd-mmm-yyyy, hh:nn
  TDTLabel f;
  const double mar15_2023 = 45000; // a Wednesday
};

TEST_F(CalendarText, DaysMonthsAndYears) {
  EXPECT_EQ(::CalendarText(TCalendarMode::Days, f, mar15_2023), "15-Mar-2023");
  EXPECT_EQ(::CalendarText(TCalendarMode::Months, f, mar15_2023), "Mar-2023");
  EXPECT_EQ(::CalendarText(TCalendarMode::Years, f, mar15_2023), "2023");
  f.SetDateOrder(doYYMMDD);
  f.SetDateSeparator("/");
  EXPECT_EQ(::CalendarText(TCalendarMode::Months, f, double(DateSerial(2024, 3, 1))), "2024/Mar");
  EXPECT_EQ(::CalendarText(TCalendarMode::Days, f, mar15_2023), "2023/Mar/15");
  f.SetMonthName(false);
  f.SetDateOrder(doMMDDYY);
  f.SetYearLength(ylYY);
  EXPECT_EQ(::CalendarText(TCalendarMode::Days, f, mar15_2023), "03/15/23");
  f.SetYearLength(ylNone); // the separator next to the missing year stays
  EXPECT_EQ(::CalendarText(TCalendarMode::Days, f, mar15_2023), "03/15/");
  EXPECT_EQ(::CalendarText(TCalendarMode::Months, f, mar15_2023), "03/");
  EXPECT_EQ(::CalendarText(TCalendarMode::Years, f, mar15_2023), "");
  f.SetYearLength(ylYYYY);
  EXPECT_EQ(CalendarYearText(5, f), "5"); // leading zeros removed
  f.SetYearLength(ylYY);
  EXPECT_EQ(CalendarYearText(2007, f), "07");
  // Separators are literals, also letters that are format codes and quotes.
  f.SetDateSeparator("d");
  EXPECT_EQ(::CalendarText(TCalendarMode::Days, f, mar15_2023), "03d15d23");
  f.SetDateSeparator("\"");
  EXPECT_EQ(::CalendarText(TCalendarMode::Days, f, mar15_2023), "03\"15\"23");
}

TEST_F(CalendarText, ClockTimesInEveryStyle) {
  const double t = mar15_2023 + (14 * 3600 + 5 * 60 + 9.25) / 86400.0; // 14:05:09.250
  EXPECT_EQ(::CalendarText(TCalendarMode::Hours, f, t), "14:05");
  EXPECT_EQ(::CalendarText(TCalendarMode::Minutes, f, t), "14:05");
  EXPECT_EQ(::CalendarText(TCalendarMode::Seconds, f, t), "14:05:09");
  EXPECT_EQ(::CalendarText(TCalendarMode::Hundredths, f, t), "14:05:09.250");
  f.SetTimeFormat(tfHHhMM);
  EXPECT_EQ(::CalendarText(TCalendarMode::Hours, f, t), "14h");
  EXPECT_EQ(::CalendarText(TCalendarMode::Minutes, f, t), "14h05");
  EXPECT_EQ(::CalendarText(TCalendarMode::Seconds, f, t), "14h05:09");
  f.SetTimeFormat(tfAMPM);
  EXPECT_EQ(::CalendarText(TCalendarMode::Hours, f, mar15_2023 + 14 / 24.0), "2pm");
  EXPECT_EQ(::CalendarText(TCalendarMode::Hours, f, mar15_2023), "12am");
  EXPECT_EQ(::CalendarText(TCalendarMode::Minutes, f, t), "2:05pm");
  EXPECT_EQ(::CalendarText(TCalendarMode::Seconds, f, t), "2:05.09pm");
  EXPECT_EQ(::CalendarText(TCalendarMode::Hundredths, f, t), "2:05.09.250pm");
}

TEST_F(CalendarText, DateLines) {
  EXPECT_EQ(DateLineText(f, mar15_2023), "15-Mar-2023");
  f.SetYearLength(ylNone);
  EXPECT_EQ(DateLineText(f, mar15_2023), "15-Mar");
  f.SetDateOrder(doMMDDYY);
  EXPECT_EQ(DateLineText(f, mar15_2023), "Mar-15");
  f.SetDateOrder(doYYMMDD);
  EXPECT_EQ(DateLineText(f, mar15_2023), "Mar-15");
  // Outside the calendar there is no text, and no failure.
  EXPECT_EQ(DateLineText(f, 1e9), "");
  EXPECT_EQ(::CalendarText(TCalendarMode::Years, f, std::nan("")), "");
}

} // namespace
