#pragma once
// Tick label texts of the scales: numbers, inscriptions, user texts, clock times
// and calendar texts. These are plain functions of their inputs, usable without
// a scale (the numeric label writes its numbers with NumberText too).
#include "ScaleTypes.h"
#include <QString>

class TDTLabel;

// A number in fixed notation with Decimals places (Decimals >= 0), or in exponent
// notation with two significant digits (Decimals < 0): " 1.5E+03", "-2.0E-05";
// exponents of three or more digits give "********". The fixed form first takes the
// magnitude to 18 significant digits (ties to even), then rounds half up at the
// last kept place (0.125 -> "0.13").
QString NumberText(double Value, int Decimals);

// Effective decimals of a linear scale: DecPlaces unless it is -2 or -3 (automatic).
int AutoDecimals(int DecPlaces, double RangeLow, double RangeHigh);
// Effective decimals of a logarithmic scale: DecPlaces unless it is -2.
int AutoLogDecimals(int DecPlaces, double RangeLow, double RangeHigh);

// Text wrapped in an inscription: the part before the first "&", Text, the part after
// it; without "&" the inscription is put in front. An empty Text stays empty.
QString ApplyInscript(const QString& Text, const QString& Inscript);
// Item Index (from 1) of a "|"-separated list; the last item for larger indexes.
QString UserTickItem(const QString& UserTickText, int Index);

// A clock time " hh:nn:ss" (or "-hh:nn:ss"), hours not wrapped, optionally ".zzz".
QString TimeText(double Seconds, bool WithMilliseconds);

// Calendar label modes of ftDateTime scales.
enum class TCalendarMode { Hundredths, Seconds, Minutes, Hours, Days, Months, Years };

// The format (codes of FormatDateValue) of a calendar label. Literal separators
// are quoted; a separator that is itself a double quote is written as U+E000 and
// put back by CalendarText.
QString CalendarLabelFormat(TCalendarMode Mode, const TDTLabel& Format);
// The label of a calendar tick at Value (a date-time serial). Years are written from
// the year number, so they need no calendar date.
QString CalendarText(TCalendarMode Mode, const TDTLabel& Format, double Value);
QString CalendarYearText(int Year, const TDTLabel& Format);
// The date that accompanies clock-time labels of sub-day calendar scales.
QString DateLineText(const TDTLabel& Format, double Value);

// Label of a major tick at v of a linear scale; Number counts the major ticks of the
// drawing from 1 (for user texts). Decimals comes from AutoDecimals.
struct TLabelSettings {
  double RangeLow = 0, RangeHigh = 100;
  int DecPlaces = -2;
  ScaleTypes::TFigType LabelType = ftNum;
  QString UserTickText;
  QString ScaleInscript;
};
QString LinearTickLabel(const TLabelSettings& s, double Value, int Decimals, int Number);
// Label of a major tick of a logarithmic scale; Mantissa is 1, 2 or 5.
QString LogTickLabel(const TLabelSettings& s, double Value, int Mantissa, int Decimals, int Number);
