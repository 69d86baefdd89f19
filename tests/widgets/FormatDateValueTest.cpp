// Calendar texts of date-time values (day 0 = 30 December 1899).
#include "FormatDateValue.h"

#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(FormatDateValue, CalendarDates) {
  const QString pattern = QStringLiteral("mmm-dd, yyyy");
  EXPECT_EQ(FormatDateValue(pattern, 0.0), "Dec-30, 1899");
  EXPECT_EQ(FormatDateValue(pattern, 1e-9), "Dec-30, 1899"); // |v| < 1e-8 is day 0
  EXPECT_EQ(FormatDateValue(pattern, -1e-9), "Dec-30, 1899");
  EXPECT_EQ(FormatDateValue(pattern, 45000.0), "Mar-15, 2023");
  EXPECT_EQ(FormatDateValue(pattern, 60.0), "Feb-28, 1900");
  EXPECT_EQ(FormatDateValue(pattern, 61.0), "Mar-01, 1900"); // 1900 was no leap year
  EXPECT_EQ(FormatDateValue(QStringLiteral("dd.mm.yy"), 36526.0), "01.01.00");
  EXPECT_EQ(FormatDateValue(QStringLiteral("d/m/yyyy"), 45358.0), "7/3/2024");
  EXPECT_EQ(FormatDateValue(QStringLiteral("yyyy\"/\"mmm"), 45358.0), "2024/Mar");
  EXPECT_EQ(FormatDateValue(QStringLiteral("ddd dddd mmmm"), 45358.0), "Thu Thursday March");
  EXPECT_EQ(FormatDateValue(QStringLiteral("DD-MMM-YYYY"), 45358.0), "07-Mar-2024"); // either case
}

TEST(FormatDateValue, NegativeValuesAndTimeOfDay) {
  // The fraction is the time of day on a continuous axis, also before day 0.
  EXPECT_EQ(FormatDateValue(QStringLiteral("dd.mm.yyyy hh:nn"), -1.25), "28.12.1899 18:00");
  EXPECT_EQ(FormatDateValue(QStringLiteral("hh:nn:ss.zz"), 0.5 + 2.25 / 86400), "12:00:02.250");
  EXPECT_EQ(FormatDateValue(QStringLiteral("h:n:s.z"), 1.0 / 24 + 2.0 / 1440 + 3.004 / 86400), "1:2:3.4");
  EXPECT_EQ(FormatDateValue(QStringLiteral("h am/pm"), 14.0 / 24), "2 pm");
  EXPECT_EQ(FormatDateValue(QStringLiteral("h am/pm"), 0.0), "12 am");
  EXPECT_EQ(FormatDateValue(QStringLiteral("h AM/PM"), 0.5), "12 PM");
  EXPECT_EQ(FormatDateValue(QStringLiteral("h:nna/p"), 0.25), "6:00a");
  EXPECT_EQ(FormatDateValue(QStringLiteral("hh"), 14.0 / 24), "14"); // hh stays 0 .. 23
  EXPECT_EQ(FormatDateValue(QStringLiteral("h\"h\"nn"), (14 * 60 + 5) / 1440.0), "14h05");
  // Rounded to the millisecond, a time just before midnight is the next day.
  EXPECT_EQ(FormatDateValue(QStringLiteral("dd hh:nn:ss.zz"), 1.0 - 1e-10), "31 00:00:00.000");
}

TEST(FormatDateValue, LiteralsAndUnknownCharacters) {
  EXPECT_EQ(FormatDateValue(QStringLiteral("\"day\" dd"), 1.0), "day 31");
  EXPECT_EQ(FormatDateValue(QStringLiteral("x-dd!"), 1.0), "x-31!");
  EXPECT_EQ(FormatDateValue(QStringLiteral("\"open dd"), 1.0), "open dd"); // unterminated quote
  EXPECT_EQ(FormatDateValue(QString(), 1.0), "");
}

TEST(FormatDateValue, RangeOfCalendarDates) {
  // 1 January 0001 .. 31 December 9999.
  EXPECT_TRUE(IsDateValue(-693593.0));
  EXPECT_FALSE(IsDateValue(-693593.5));
  EXPECT_TRUE(IsDateValue(2958465.99));
  EXPECT_FALSE(IsDateValue(2958466.0));
  EXPECT_EQ(FormatDateValue(QStringLiteral("yyyy-mm-dd"), -693593.0), "0001-01-01");
  EXPECT_EQ(FormatDateValue(QStringLiteral("yyyy-mm-dd"), 2958465.0), "9999-12-31");
  for (double bad : {1e12, -1e12, std::numeric_limits<double>::infinity(), std::nan("")})
    EXPECT_EQ(FormatDateValue(QStringLiteral("yyyy"), bad), "");
  TDateParts parts;
  EXPECT_FALSE(DecodeDateValue(std::nan(""), parts));
  ASSERT_TRUE(DecodeDateValue(45358.75, parts));
  EXPECT_EQ(parts.Year, 2024);
  EXPECT_EQ(parts.Month, 3);
  EXPECT_EQ(parts.Day, 7);
  EXPECT_EQ(parts.DayOfWeek, 4);
  EXPECT_EQ(parts.Hour, 18);
}

TEST(FormatDateValue, MonthNamesFollowTheDefaultLocale) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  const QString french = FormatDateValue(QStringLiteral("mmm"), 45000.0);
  QLocale::setDefault(before);
  EXPECT_EQ(french, QLocale(QLocale::French, QLocale::France).monthName(3, QLocale::ShortFormat));
  EXPECT_NE(french, "Mar");
}
