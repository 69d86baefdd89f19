#include "TickWalk.h"
#include "FormatDateValue.h"
#include "TDTLabel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double K = 0.999999999;     // relative tolerance of logarithmic and time ticks
constexpr double kEndTolerance = 1e-8; // days, end of calendar walks
constexpr double kStartTolerance = 1e-9; // days: a tick computed at the range start still counts
constexpr double kLastSerial = 2958465; // 31 December 9999

int RoundEven(double x) { return int(std::nearbyint(x)); }

long long FloorMod(long long a, long long m) {
  const long long r = a % m;
  return r < 0 ? r + m : r;
}

long long FloorDiv(long long a, long long m) { return (a - FloorMod(a, m)) / m; }

bool Finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// ---- time step table ------------------------------------------------------------------

constexpr double kTimeStep[29] = {0,    0.001, 0.002, 0.005, 0.01, 0.02,  0.05,  0.1,   0.2,  0.5,
                                  1,    2,     5,     10,    20,   30,    60,    120,   180,  300,
                                  600,  1200,  1800,  3600,  7200, 14400, 21600, 43200, 86400};
constexpr int kTimeIntervals[29] = {1, 5, 4, 5, 5, 4, 5, 5, 4, 5, 5, 4, 5, 5, 4,
                                    6, 6, 6, 6, 5, 5, 6, 6, 6, 4, 4, 6, 6, 6};

// ---- sub-day calendar tables ------------------------------------------------------------

constexpr int kSubDaySteps[4][6] = {{1, 2, 3, 6, 8, 12},
                                    {1, 2, 5, 10, 20, 30},
                                    {1, 2, 3, 7, 14, 28},
                                    {1, 2, 5, 10, 20, 50}};
constexpr int kSubDayShort[4][6] = {{1, 1, 1, 2, 2, 3},
                                    {1, 1, 1, 2, 5, 10},
                                    {1, 1, 1, 1, 7, 7},
                                    {1, 1, 1, 5, 10, 10}};

// The largest entry of steps not above x, the first one when none is.
int LargestNotAbove(const int* steps, int count, double x) {
  int k = 0;
  for (int i = 0; i < count; ++i)
    if (steps[i] <= x) k = i;
  return k;
}

// Decides for each labelled clock-time tick whether it gets a date line.
class DateLineRule {
public:
  DateLineRule(TDateForTime rule) : rule_(rule) {}
  bool Take(double value) {
    TDateParts p;
    const int day = DecodeDateValue(value, p) ? p.Day : -1;
    bool take = false;
    switch (rule_) {
    case dtNone: break;
    case dtOnePerChart: take = first_; break;
    case dtOnePerDay: take = first_ || day != lastDay_; break;
    case dtAllTicks: take = true; break;
    }
    first_ = false;
    if (take) lastDay_ = day;
    return take;
  }

private:
  TDateForTime rule_;
  bool first_ = true;
  int lastDay_ = -1;
};

void SubDayTicks(const TTickSettings& s, TTickSink& sink, TCalendarMode mode, double d) {
  const double lo = s.RangeLow, hi = s.RangeHigh;
  double units = 24;
  int row = 0;
  switch (mode) {
  case TCalendarMode::Hours: break;
  case TCalendarMode::Minutes: units = 1440; row = 1; break;
  case TCalendarMode::Seconds: units = 86400; row = 1; break;
  default: units = 8640000; row = 3; break;
  }
  const int k = LargestNotAbove(kSubDaySteps[row], 6, units * d);
  const long long stepU = kSubDaySteps[row][k], shortU = kSubDayShort[row][k];
  // Positions are whole units counted from the start of RangeLow's day, so that
  // majors fall on multiples of the step without rounding drift.
  const double dayStart = std::floor(lo);
  const long long inDay = (long long)std::ceil((lo - dayStart) * units - 1e-3);
  long long u = (FloorDiv(inDay + stepU - 1, stepU)) * stepU;
  if (s.ShortTicks)
    for (int i = 0; i < MaxTickWalk && dayStart + double(u) / units > lo; ++i) u -= shortU;
  const long long adv = s.ShortTicks ? shortU : stepU;
  DateLineRule dateLine(s.DateFormat->DateForTime());
  TTickMark mark;
  for (int i = 0; i < MaxTickWalk; ++i, u += adv) {
    const double v = dayStart + double(u) / units;
    if (!(v - hi < kEndTolerance)) break;
    if (v < lo - kStartTolerance) continue;
    mark.Value = v;
    mark.Record = true;
    if (!s.ShortTicks || FloorMod(u, stepU) == 0) {
      mark.Length = TTickLength::Long;
      mark.Label = CalendarText(mode, *s.DateFormat, v);
      mark.DateLine = dateLine.Take(v) ? DateLineText(*s.DateFormat, v) : QString();
    } else {
      mark.Length = TTickLength::Short;
      mark.Label.clear();
      mark.DateLine.clear();
    }
    sink.Tick(mark);
  }
}

void DayTicks(const TTickSettings& s, TTickSink& sink, double d) {
  static constexpr int steps[6] = {1, 2, 3, 7, 14, 28};
  static constexpr int shorts[6] = {1, 1, 1, 1, 7, 7};
  const double lo = s.RangeLow, hi = s.RangeHigh;
  int k = 0;
  for (int i = 0; i < 6; ++i)
    if (steps[i] <= d) k = i;
  const long long step = steps[k];
  int y, m, dd;
  SerialToDate(lo, y, m, dd);
  const long long first = DateSerial(y, 1, 1);
  const long long start = first + step * (long long)std::floor((lo - double(first)) / double(step));
  const long long residue = FloorMod(start, step);
  const long long adv = s.ShortTicks ? shorts[k] : step;
  TTickMark mark;
  long long day = start;
  for (int i = 0; i < MaxTickWalk; ++i, day += adv) {
    const double v = double(day);
    if (!(v - hi < kEndTolerance)) break;
    if (v < lo) continue;
    mark.Value = v;
    if (s.ShortTicks && FloorMod(day, step) != residue) {
      mark.Length = TTickLength::Short;
      mark.Label.clear();
    } else {
      mark.Length = TTickLength::Long;
      mark.Label = CalendarText(TCalendarMode::Days, *s.DateFormat, v);
    }
    sink.Tick(mark);
  }
}

void MonthTicks(const TTickSettings& s, TTickSink& sink, int minTicks) {
  static constexpr int steps[5] = {1, 2, 3, 4, 6};
  const double lo = s.RangeLow, hi = s.RangeHigh;
  const double perInterval = (hi - lo) / 30.4375 / minTicks;
  const int step = steps[LargestNotAbove(steps, 5, perInterval)];
  int y, mon, dd;
  SerialToDate(lo, y, mon, dd);
  auto next = [&](int months) {
    mon += months;
    while (mon > 12) {
      mon -= 12;
      ++y;
    }
  };
  if (step > 1 && !s.ShortTicks) {
    do next(1);
    while (mon % step != 1);
  }
  TTickMark mark;
  for (int i = 0; i < MaxTickWalk; ++i) {
    const double v = double(DateSerial(y, mon, 1));
    if (!(v - hi < kEndTolerance)) break;
    if (v >= lo) {
      mark.Value = v;
      if (s.ShortTicks && step > 1 && mon % step != 1) {
        mark.Length = TTickLength::Short;
        mark.Label.clear();
      } else {
        mark.Length = TTickLength::Long;
        mark.Label = CalendarText(TCalendarMode::Months, *s.DateFormat, v);
      }
      sink.Tick(mark);
    }
    next(s.ShortTicks ? 1 : step);
  }
}

void YearTicks(const TTickSettings& s, TTickSink& sink, int minTicks) {
  const double lo = s.RangeLow, hi = s.RangeHigh;
  const double a = std::max((hi - lo) / 365.25 / minTicks, 1.0);
  const double g = std::log10(a);
  const double whole = std::trunc(g);
  const double mantissa = std::pow(10.0, g - whole);
  const int f = mantissa < 2 ? 1 : mantissa < 5 ? 2 : 5;
  // Calendar ranges are below 10,000 years, so the step stays well inside int.
  const int h = std::clamp(RoundEven(f * std::trunc(std::pow(10.0, whole))), 1, 10000);
  int p = h;
  if (s.ShortTicks && h > 1) p = std::max(1, f == 5 ? RoundEven(h / 5.0) : RoundEven(h / 2.0));
  int y0, m0, d0;
  SerialToDate(lo, y0, m0, d0);
  int year = int(FloorDiv(y0 + p - 1, p) * p);
  if (year == y0 && lo > double(DateSerial(y0, 1, 1))) year += p;
  bool last = false; // the walk has reached 31 December 9999
  double v;
  if (year > 9999) {
    year = 9999;
    v = kLastSerial;
    last = true;
  } else {
    v = double(DateSerial(year, 1, 1));
  }
  TTickMark mark;
  for (int i = 0; i < MaxTickWalk; ++i) {
    if (!(v - hi < kEndTolerance)) break;
    if (v >= lo) {
      mark.Value = v;
      if (s.ShortTicks && year % h != 0) {
        mark.Length = TTickLength::Short;
        mark.Label.clear();
      } else {
        mark.Length = TTickLength::Long;
        mark.Label = CalendarYearText(year, *s.DateFormat);
      }
      sink.Tick(mark);
    }
    if (last) break; // clamped to the last day: it must not repeat
    year += p;
    if (year > 9999) {
      year = 9999;
      v = kLastSerial;
      last = true;
    } else {
      v = double(DateSerial(year, 1, 1));
    }
  }
}

} // namespace

TTickStep CalcTickStep(int MinTicks, double From, double To) {
  TTickStep r;
  r.Start = From;
  if (From == To || !Finite(From, To) || !std::isfinite(To - From)) return r;
  const double dir = From < To ? 1 : -1;
  if (MinTicks <= 0) {
    // Whole numbers, walking towards To (also on an inverted range).
    r.Step = dir;
    r.Start = std::trunc(From) - dir;
    r.NumShort = std::fabs(To - From) > 10 ? 1 : 5;
  } else {
    double g = std::log10(std::fabs(To - From) / MinTicks);
    double h = g - std::trunc(g);
    if (std::fabs(h) < 1e-10 || std::fabs(h) > 0.9999999999) {
      h = 0;
      g = std::nearbyint(g);
    }
    if (g < 0 && h != 0) g -= 1;
    if (h < 0) h += 1;
    static const double log2 = std::log10(2.0) + 1e-10, log5 = std::log10(5.0) + 1e-10;
    int mantissa = 5;
    r.NumShort = 5;
    if (h < log2) {
      mantissa = 1;
    } else if (h < log5) {
      mantissa = 2;
      r.NumShort = 4;
    }
    r.Step = dir * mantissa * std::pow(10.0, std::trunc(g));
    r.Start = (std::trunc(From / r.Step) - 1) * r.Step;
  }
  // A few steps at most; the bound only matters where Step is below the spacing of
  // representable numbers near From.
  for (int i = 0; i < 64 && dir * (From - r.Start) > 0.001 * std::fabs(r.Step); ++i) r.Start += r.Step;
  if (!std::isfinite(r.Start) || !std::isfinite(r.Step)) {
    r.Start = From;
    r.Step = 0;
  }
  return r;
}

bool SelectCalendarMode(double d, bool horizontal, TCalendarMode& mode, TScaleMessage& message) {
  message = TScaleMessage::BelowOneSecond;
  if (horizontal) {
    if (d <= 1.1574e-5) return false;
    if (d <= 0.00069444) mode = TCalendarMode::Seconds;
    else if (d <= 0.041667) mode = TCalendarMode::Minutes;
    else if (d <= 1) mode = TCalendarMode::Hours;
    else if (d <= 30) mode = TCalendarMode::Days;
    else if (d > 366) mode = TCalendarMode::Years;
    else mode = TCalendarMode::Months;
    return true;
  }
  if (d <= 1.1574074074074074e-7) return false;
  if (d <= 1.0 / 86400) mode = TCalendarMode::Hundredths;
  else if (d <= 1.0 / 1440) mode = TCalendarMode::Seconds;
  else if (d <= 0.041667) mode = TCalendarMode::Minutes;
  else if (d <= 1) mode = TCalendarMode::Hours;
  else if (d <= 30) mode = TCalendarMode::Days;
  else if (d > 366) mode = TCalendarMode::Years;
  else mode = TCalendarMode::Months;
  return true;
}

void LinearTicks(const TTickSettings& s, TTickSink& sink) {
  const double lo = s.RangeLow, hi = s.RangeHigh;
  const TTickStep st = CalcTickStep(s.MinTicks, lo, hi);
  if (st.Step == 0) return;
  const double dir = hi > lo ? 1 : -1;
  const double shortStep = st.Step / st.NumShort;
  TTickMark mark;
  if (s.ShortTicks) {
    mark.Length = TTickLength::Short;
    mark.Record = true;
    const double first = st.Start - st.Step;
    for (int i = 0; i < MaxTickWalk; ++i) {
      const double v = first + i * shortStep;
      if (dir * v >= dir * lo) {
        mark.Value = v;
        sink.Tick(mark);
      }
      if (!(dir * (first + (i + 1) * shortStep - hi) <= 0.001 * std::fabs(shortStep))) break;
    }
  }
  const int decimals = AutoDecimals(s.DecPlaces, lo, hi);
  mark.Length = TTickLength::Long;
  mark.Record = !s.Horizontal || !s.ShortTicks;
  for (int j = 0; j < MaxTickWalk; ++j) {
    const double v = st.Start + j * st.Step;
    if (j > 0 && !(dir * (v - hi) <= 0.001 * std::fabs(st.Step))) break;
    mark.Value = v;
    if (s.LabelType != ftNoFigs) mark.Label = LinearTickLabel(s, v, decimals, j + 1);
    sink.Tick(mark);
  }
}

void LogTicks(const TTickSettings& s, TTickSink& sink) {
  const double lo = std::min(s.RangeLow, s.RangeHigh), hi = std::max(s.RangeLow, s.RangeHigh);
  // A logarithmic axis needs positive, finite ends (a chart's scale may be switched
  // to logarithmic before its range is); without them there are no ticks.
  if (!(lo > 0) || !std::isfinite(hi)) return;
  const double D = std::fabs(std::log10(s.RangeHigh / s.RangeLow));
  if (D < 1) {
    LinearTicks(s, sink);
    return;
  }
  const int decimals = AutoLogDecimals(s.DecPlaces, s.RangeLow, s.RangeHigh);
  const double base = std::pow(10.0, std::floor(std::log10(lo * K)));
  const bool dense = s.MinTicks > D + 0.5;
  int labelled = 0;
  TTickMark mark;
  auto place = [&](double v, int mantissa) {
    const bool inside = lo < v / K && v * K < hi;
    const bool major = mantissa == 1 || mantissa == 2 || mantissa == 5;
    if (!inside) return;
    mark.Value = v;
    mark.Label.clear();
    if (major) {
      mark.Length = TTickLength::Long;
      mark.Record = true;
      if (s.LabelType != ftNoFigs) mark.Label = LogTickLabel(s, v, mantissa, decimals, ++labelled);
    } else if (s.ShortTicks) {
      mark.Length = s.Horizontal ? TTickLength::Short : TTickLength::Long;
      mark.Record = true;
    } else if (s.Horizontal) {
      mark.Length = TTickLength::None; // reported, not drawn
      mark.Record = false;
    } else {
      return;
    }
    sink.Tick(mark);
  };
  double M = 1;
  for (int decade = 0; decade < 2 * MaxTickWalk / 10; ++decade) {
    place(base * M, 1);
    if (dense)
      for (int m = 2; m <= 9; ++m) place(m * base * M, m);
    M *= 10;
    if (!(hi >= K * base * M)) break;
  }
}

bool TimeTicks(const TTickSettings& s, TTickSink& sink) {
  const double lo = s.RangeLow, hi = s.RangeHigh;
  if (!Finite(lo, hi) || s.MinTicks <= 0) return false;
  const double q = std::fabs(hi - lo) / s.MinTicks;
  int index = 28;
  while (index > 0 && q < kTimeStep[index]) --index;
  if (index == 0 || index == 28) return false;
  const double dir = hi > lo ? 1 : -1;
  const double step = dir * kTimeStep[index];
  const double shortStep = step / kTimeIntervals[index];
  // Start one step before the range when its start lies before zero, so that negative
  // times get their ticks too; the extra intervals keep the end covered.
  const double startSteps = std::floor(lo / step / K);
  const int count = std::min<double>(std::trunc((hi - lo) / shortStep) + 5 + kTimeIntervals[index], MaxTickWalk);
  const double start = startSteps * step;
  // The range widened by a relative 1e-9 at both ends (also when it is inverted).
  const double a = std::min(lo, hi), b = std::max(lo, hi);
  const double lowLimit = a >= 0 ? a * K : a / K, highLimit = b > 0 ? b / K : b * K;
  auto inside = [&](double v) { return lowLimit <= v && v <= highLimit; };
  TTickMark mark;
  if (s.ShortTicks) {
    mark.Length = TTickLength::Short;
    mark.Record = true;
    for (int l = 0; l <= count; ++l) {
      const double v = start + l * shortStep;
      if (!inside(v)) continue;
      mark.Value = v;
      sink.Tick(mark);
    }
  }
  mark.Length = TTickLength::Long;
  mark.Record = !s.Horizontal || !s.ShortTicks;
  for (int l = 0; l <= count; ++l) {
    const double v = start + l * shortStep;
    const double r = v / step;
    if (std::fabs(r - std::round(r)) > 0.01 || !inside(v)) continue;
    mark.Value = v;
    mark.Label = TimeText(v, index <= 9);
    sink.Tick(mark);
  }
  return true;
}

void CalendarTicks(const TTickSettings& s, TTickSink& sink) {
  const double lo = s.RangeLow, hi = s.RangeHigh;
  if (!(hi >= lo && lo >= -693593 && hi <= 3000000) || !s.DateFormat) {
    sink.Message(TScaleMessage::InvalidDateTime);
    return;
  }
  const int minTicks = std::max(s.MinTicks, 1); // MinTicks 0: one interval
  const double d = (hi - lo) / minTicks;
  TCalendarMode mode;
  TScaleMessage message;
  if (!SelectCalendarMode(d, s.Horizontal, mode, message)) {
    sink.Message(message);
    return;
  }
  switch (mode) {
  case TCalendarMode::Years: YearTicks(s, sink, minTicks); break;
  case TCalendarMode::Months: MonthTicks(s, sink, minTicks); break;
  case TCalendarMode::Days: DayTicks(s, sink, d); break;
  default: SubDayTicks(s, sink, mode, d); break;
  }
}

void WalkTicks(const TTickSettings& s, TTickSink& sink) {
  if (s.LabelType == ftDateTime) {
    CalendarTicks(s, sink);
    return;
  }
  if (s.LabelType == ftTime && TimeTicks(s, sink)) return;
  if (s.Logarithmic)
    LogTicks(s, sink);
  else
    LinearTicks(s, sink);
}
