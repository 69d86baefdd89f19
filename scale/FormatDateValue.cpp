#include "FormatDateValue.h"

#include <QLocale>
#include <chrono>
#include <cmath>

namespace {

using namespace std::chrono;

constexpr sys_days kDayZero = sys_days{year{1899} / December / 30};
constexpr long kFirstDay = (sys_days{year{1} / January / 1} - kDayZero).count();
constexpr long kEndDay = (sys_days{year{10000} / January / 1} - kDayZero).count();
constexpr long long kMillisecondsPerDay = 86400000;

double Normalised(double value) { return std::fabs(value) < 1e-8 ? 0.0 : value; }

void AppendNumber(QString& out, int value, int minDigits) {
  const QString digits = QString::number(value < 0 ? -value : value);
  if (value < 0) out += QLatin1Char('-');
  for (qsizetype i = digits.size(); i < minDigits; ++i) out += QLatin1Char('0');
  out += digits;
}

// Length of the run of the letter at pos (either case), at most max.
int RunLength(const QString& f, qsizetype pos, int max) {
  const QChar c = f[pos].toLower();
  int n = 0;
  while (pos + n < f.size() && n < max && f[pos + n].toLower() == c) ++n;
  return n;
}

bool StartsWithAt(const QString& f, qsizetype pos, QLatin1String what) {
  return f.mid(pos, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

bool HasAmPm(const QString& f) {
  // Quoted text does not count.
  bool quoted = false;
  for (qsizetype i = 0; i < f.size(); ++i) {
    if (f[i] == QLatin1Char('"')) quoted = !quoted;
    else if (!quoted && (StartsWithAt(f, i, QLatin1String("am/pm")) || StartsWithAt(f, i, QLatin1String("a/p"))))
      return true;
  }
  return false;
}

} // namespace

bool IsDateValue(double Value) {
  if (!std::isfinite(Value)) return false;
  const double day = std::floor(Normalised(Value));
  return day >= double(kFirstDay) && day < double(kEndDay);
}

bool DecodeDateValue(double Value, TDateParts& Parts) {
  if (!IsDateValue(Value)) return false;
  const double v = Normalised(Value);
  const double dayFloor = std::floor(v);
  long day = long(dayFloor);
  long long ms = std::llround((v - dayFloor) * double(kMillisecondsPerDay));
  if (ms >= kMillisecondsPerDay) { // rounds up to the next midnight
    ms -= kMillisecondsPerDay;
    ++day;
  }
  const sys_days date = kDayZero + days{day};
  const year_month_day ymd{date};
  Parts.Year = int(ymd.year());
  Parts.Month = int(unsigned(ymd.month()));
  Parts.Day = int(unsigned(ymd.day()));
  Parts.DayOfWeek = int(weekday{date}.iso_encoding());
  Parts.Hour = int(ms / 3600000);
  Parts.Minute = int(ms / 60000 % 60);
  Parts.Second = int(ms / 1000 % 60);
  Parts.Millisecond = int(ms % 1000);
  return true;
}

QString FormatDateValue(const QString& Format, double Value) {
  TDateParts t;
  if (!DecodeDateValue(Value, t)) return {};
  const QLocale locale;
  const bool twelveHours = HasAmPm(Format);
  QString out;
  out.reserve(Format.size() + 8);
  qsizetype i = 0;
  while (i < Format.size()) {
    const QChar c = Format[i];
    if (c == QLatin1Char('"')) {
      const qsizetype close = Format.indexOf(QLatin1Char('"'), i + 1);
      const qsizetype end = close < 0 ? Format.size() : close;
      out += QStringView(Format).mid(i + 1, end - i - 1);
      i = close < 0 ? end : close + 1;
      continue;
    }
    switch (c.toLower().unicode()) {
    case 'd': {
      const int n = RunLength(Format, i, 4);
      if (n <= 2) AppendNumber(out, t.Day, n);
      else out += locale.dayName(t.DayOfWeek, n == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
      i += n;
      continue;
    }
    case 'm': {
      const int n = RunLength(Format, i, 4);
      if (n <= 2) AppendNumber(out, t.Month, n);
      else out += locale.monthName(t.Month, n == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
      i += n;
      continue;
    }
    case 'y': {
      const int n = RunLength(Format, i, 4);
      if (n <= 2) AppendNumber(out, t.Year % 100, 2);
      else AppendNumber(out, t.Year, 4);
      i += n;
      continue;
    }
    case 'h': {
      const int n = RunLength(Format, i, 2);
      if (n == 2) AppendNumber(out, t.Hour, 2);
      else AppendNumber(out, twelveHours ? (t.Hour % 12 == 0 ? 12 : t.Hour % 12) : t.Hour, 1);
      i += n;
      continue;
    }
    case 'n':
    case 's': {
      const int n = RunLength(Format, i, 2);
      AppendNumber(out, c.toLower() == QLatin1Char('n') ? t.Minute : t.Second, n);
      i += n;
      continue;
    }
    case 'z': {
      const int n = RunLength(Format, i, 3);
      AppendNumber(out, t.Millisecond, n == 1 ? 1 : 3);
      i += n;
      continue;
    }
    case 'a':
      if (StartsWithAt(Format, i, QLatin1String("am/pm"))) {
        const bool pm = t.Hour >= 12;
        const QChar first = Format[i + (pm ? 3 : 0)], second = Format[i + (pm ? 4 : 1)];
        out += first;
        out += second;
        i += 5;
        continue;
      }
      if (StartsWithAt(Format, i, QLatin1String("a/p"))) {
        out += Format[i + (t.Hour >= 12 ? 2 : 0)];
        i += 3;
        continue;
      }
      break;
    default:
      break;
    }
    out += c;
    ++i;
  }
  return out;
}

long DateSerial(int Year, int Month, int Day) {
  // Normalise the month into 1 .. 12, carrying whole years.
  int m0 = Month - 1;
  int y = Year + (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12));
  m0 -= (y - Year) * 12;
  const sys_days first = sys_days{year{y} / month{unsigned(m0 + 1)} / 1};
  return long((first - kDayZero).count()) + (Day - 1);
}

void SerialToDate(double Value, int& Year, int& Month, int& Day) {
  const year_month_day ymd{kDayZero + days{long(std::floor(Value))}};
  Year = int(ymd.year());
  Month = int(unsigned(ymd.month()));
  Day = int(unsigned(ymd.day()));
}
