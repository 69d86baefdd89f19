#pragma once
// Calendar texts of date-time values, shared by the scales' calendar labels and the
// numeric label's date display.
//
// A date-time value counts days: day 0 begins at midnight of 30 December 1899, the
// fraction is the time of day, negative values lie before that day (-1.25 is
// 28 December 1899, 18:00). Values from 1 January 0001 to 31 December 9999 have a
// calendar date.
//
// Format codes (letters in either case; any other character is copied unchanged,
// text inside double quotes is copied without the quotes):
//   d dd        day of the month, without / with a leading zero
//   ddd dddd    the locale's abbreviated / full weekday name
//   m mm        month number, without / with a leading zero
//   mmm mmmm    the locale's abbreviated / full month name
//   yy yyyy     year, last two digits / four digits (y and yyy count as yy and yyyy)
//   h hh        hour without leading zero (1 .. 12 when the format has am/pm) / two digits 0 .. 23
//   n nn        minutes, s ss seconds: without / with a leading zero
//   z zz zzz    milliseconds: without leading zeros / three digits
//   am/pm a/p   "am"/"pm" ("a"/"p"); upper case in the format gives upper case
// Month and weekday names come from the default QLocale.
#include <QString>

struct TDateParts {
  int Year = 1899;
  int Month = 12; // 1 .. 12
  int Day = 30;   // 1 .. 31
  int DayOfWeek = 6; // 1 = Monday .. 7 = Sunday
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// True for values with a calendar date (finite, 1 January 0001 .. 31 December 9999).
bool IsDateValue(double Value);
// The calendar date and time of day of a value; |Value| < 1e-8 counts as 0 and the time
// is rounded to whole milliseconds. False (Parts unchanged) when IsDateValue is false.
bool DecodeDateValue(double Value, TDateParts& Parts);
// The value written with the format codes above; empty when the value has no calendar date.
QString FormatDateValue(const QString& Format, double Value);

// Day number of a calendar date (proleptic Gregorian; months and days out of range
// roll over as the calendar does, e.g. month 13 is January of the next year).
long DateSerial(int Year, int Month, int Day);
// The calendar date of day floor(Value); Value must be finite and within about
// +-10 million days (callers check their ranges first).
void SerialToDate(double Value, int& Year, int& Month, int& Day);
