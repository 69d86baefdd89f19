#include "TickLabels.h"
#include "FormatDateValue.h"
#include "TDTLabel.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Decimal digits of a number in a fixed buffer (no heap): value = 0.DIGITS x 10^point.
struct Digits {
  static constexpr int Capacity = 400; // 309 integer digits of the largest double + decimals
  char d[Capacity];
  int n = 0;
  int point = 0;
  bool AllZero() const {
    for (int i = 0; i < n; ++i)
      if (d[i] != '0') return false;
    return true;
  }
  void Insert(int count, char c) { // count characters c in front
    count = std::min(count, Capacity - n);
    std::memmove(d + count, d, n);
    std::memset(d, c, count);
    n += count;
  }
};

// |value| as 18 significant decimal digits (the last rounded to nearest, ties to even,
// as printf does).
void SignificantDigits(double value, Digits& out) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
  // "d.ddddddddddddddddde+XX"
  out.n = 0;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') out.d[out.n++] = *p;
  out.point = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
}

// Rounds half up so that `keep` digits remain (keep >= 1); a carry out of the first
// digit adds a digit in front and moves the point.
void RoundDigits(Digits& v, int keep) {
  keep = std::min(keep, Digits::Capacity - 1);
  if (keep >= v.n) {
    std::memset(v.d + v.n, '0', keep - v.n);
    v.n = keep;
    return;
  }
  const bool up = v.d[keep] >= '5';
  v.n = keep;
  if (!up) return;
  int i = keep - 1;
  for (; i >= 0; --i) {
    if (v.d[i] == '9') {
      v.d[i] = '0';
    } else {
      ++v.d[i];
      break;
    }
  }
  if (i < 0) {
    v.Insert(1, '1');
    ++v.point;
  }
}

QString FixedText(double value, int decimals) {
  Digits v;
  SignificantDigits(value, v);
  if (v.point < 1) { // leading zeros so that the integer part has a digit
    v.Insert(1 - v.point, '0');
    v.point = 1;
  }
  RoundDigits(v, v.point + decimals);
  char out[Digits::Capacity + 4];
  int o = 0;
  if (value < 0 && !v.AllZero()) out[o++] = '-';
  int first = 0;
  while (first + 1 < v.point && v.d[first] == '0') ++first;
  for (int i = first; i < v.point; ++i) out[o++] = v.d[i];
  if (decimals > 0) {
    out[o++] = '.';
    for (int i = v.point; i < v.point + decimals && i < v.n; ++i) out[o++] = v.d[i];
  }
  return QString::fromLatin1(out, o);
}

QString ExponentText(double value) {
  Digits v;
  SignificantDigits(value, v);
  RoundDigits(v, 2);
  const int exponent = v.AllZero() ? 0 : v.point - 1;
  if (exponent <= -100 || exponent >= 100) return QStringLiteral("********");
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%c.%cE%c%02d", value < 0 ? '-' : ' ', v.d[0], v.d[1],
                exponent < 0 ? '-' : '+', std::abs(exponent));
  return QString::fromLatin1(buf);
}

int RoundEven(double x) { return int(std::nearbyint(x)); }

// A separator as a quoted literal of a date format (nothing for an empty one).
QString Literal(QChar c) {
  if (c.isNull()) return {};
  if (c == QLatin1Char('"')) return QString(QChar(0xE000));
  return QLatin1Char('"') + QString(c) + QLatin1Char('"');
}

QString MonthCode(const TDTLabel& f) {
  return f.MonthName() ? QStringLiteral("mmm") : QStringLiteral("mm");
}

QString YearCode(const TDTLabel& f) {
  switch (f.YearLength()) {
  case ylYY: return QStringLiteral("yy");
  case ylYYYY: return QStringLiteral("yyyy");
  default: return {};
  }
}

QString DayFormat(const TDTLabel& f) {
  const QString m = MonthCode(f), y = YearCode(f), s = Literal(f.DateSeparatorChar());
  const QString d = QStringLiteral("dd");
  switch (f.DateOrder()) {
  case doMMDDYY: return m + s + d + s + y;
  case doDDMMYY: return d + s + m + s + y;
  default: return y + s + m + s + d;
  }
}

QString Formatted(const QString& format, double value) {
  QString text = FormatDateValue(format, value);
  text.replace(QChar(0xE000), QLatin1Char('"'));
  return text;
}

} // namespace

QString NumberText(double Value, int Decimals) {
  if (std::isnan(Value)) return QStringLiteral("NAN");
  if (std::isinf(Value)) return Value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (Decimals < 0) return ExponentText(Value);
  return FixedText(Value, std::min(Decimals, 40));
}

int AutoDecimals(int DecPlaces, double RangeLow, double RangeHigh) {
  if (DecPlaces != -2 && DecPlaces != -3) return DecPlaces;
  const double span = std::fabs(RangeHigh - RangeLow);
  if (!(span < 1000000) || span <= 1e-4) return -1; // also for a span that is not finite
  if (span >= 100) return 0;
  return 2 - RoundEven(std::log(span) / 2.5);
}

int AutoLogDecimals(int DecPlaces, double RangeLow, double RangeHigh) {
  if (DecPlaces != -2) return DecPlaces;
  const double lo = std::min(RangeLow, RangeHigh), hi = std::max(RangeLow, RangeHigh);
  if (!(hi - lo < 1000000) || hi - lo <= 1e-4) return -1;
  if (lo >= 1) return 0;
  const double e = std::log10(std::fabs(lo));
  if (!std::isfinite(e)) return -1;
  return 1 - RoundEven(e);
}

QString ApplyInscript(const QString& Text, const QString& Inscript) {
  if (Text.isEmpty() || Inscript.isEmpty()) return Text;
  const qsizetype amp = Inscript.indexOf(QLatin1Char('&'));
  if (amp < 0) return Inscript + Text;
  return Inscript.left(amp) + Text + Inscript.mid(amp + 1);
}

QString UserTickItem(const QString& UserTickText, int Index) {
  if (UserTickText.isEmpty()) return {};
  qsizetype start = 0;
  for (int item = 1; item < Index; ++item) {
    const qsizetype bar = UserTickText.indexOf(QLatin1Char('|'), start);
    if (bar < 0) break; // fewer items: the last one repeats
    start = bar + 1;
  }
  const qsizetype end = UserTickText.indexOf(QLatin1Char('|'), start);
  return UserTickText.mid(start, end < 0 ? -1 : end - start);
}

QString TimeText(double Seconds, bool WithMilliseconds) {
  if (std::isnan(Seconds)) return {};
  // Whole milliseconds first, so that a tick computed as 6.9999999 s reads 00:00:07
  // and a rounding to 1000 ms carries into the seconds.
  const double t = std::min(std::fabs(Seconds), 9e14);
  const long long ms = std::llround(t * 1000.0);
  const long long secs = ms / 1000;
  char buf[48];
  int n = std::snprintf(buf, sizeof buf, "%c%02lld:%02lld:%02lld", Seconds < 0 ? '-' : ' ',
                        secs / 3600, secs / 60 % 60, secs % 60);
  if (WithMilliseconds) std::snprintf(buf + n, sizeof buf - n, ".%03lld", ms % 1000);
  return QString::fromLatin1(buf);
}

QString CalendarLabelFormat(TCalendarMode Mode, const TDTLabel& f) {
  const QString m = MonthCode(f), y = YearCode(f), s = Literal(f.DateSeparatorChar());
  const QString t = Literal(f.TimeSeparatorChar());
  const TTimeFormat tf = f.TimeFormat();
  switch (Mode) {
  case TCalendarMode::Years: return y;
  case TCalendarMode::Months: return f.DateOrder() == doYYMMDD ? y + s + m : m + s + y;
  case TCalendarMode::Days: return DayFormat(f);
  case TCalendarMode::Hours:
    if (tf == tfHHhMM) return QStringLiteral("h\"h\"");
    if (tf == tfAMPM) return QStringLiteral("ham/pm");
    return QStringLiteral("hh") + t + QStringLiteral("nn");
  case TCalendarMode::Minutes:
    if (tf == tfHHhMM) return QStringLiteral("h\"h\"nn");
    if (tf == tfAMPM) return QStringLiteral("h") + t + QStringLiteral("nnam/pm");
    return QStringLiteral("hh") + t + QStringLiteral("nn");
  case TCalendarMode::Seconds:
    if (tf == tfHHhMM) return QStringLiteral("h\"h\"nn") + t + QStringLiteral("ss");
    if (tf == tfAMPM) return QStringLiteral("h") + t + QStringLiteral("nn\".\"ssam/pm");
    return QStringLiteral("hh") + t + QStringLiteral("nn") + t + QStringLiteral("ss");
  case TCalendarMode::Hundredths:
    if (tf == tfHHhMM) return QStringLiteral("h\"h\"nn") + t + QStringLiteral("ss.zz");
    if (tf == tfAMPM) return QStringLiteral("h") + t + QStringLiteral("nn\".\"ss.zzam/pm");
    return QStringLiteral("hh") + t + QStringLiteral("nn") + t + QStringLiteral("ss.zz");
  }
  return {};
}

QString CalendarYearText(int Year, const TDTLabel& Format) {
  switch (Format.YearLength()) {
  case ylYYYY: return QString::number(Year); // four digits without leading zeros
  case ylYY: return QStringLiteral("%1").arg(((Year % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
  default: return {};
  }
}

QString CalendarText(TCalendarMode Mode, const TDTLabel& Format, double Value) {
  if (Mode == TCalendarMode::Years) {
    TDateParts p;
    if (!DecodeDateValue(Value, p)) return {};
    return CalendarYearText(p.Year, Format);
  }
  return Formatted(CalendarLabelFormat(Mode, Format), Value);
}

QString DateLineText(const TDTLabel& f, double Value) {
  if (f.YearLength() != ylNone) return Formatted(DayFormat(f), Value);
  const QString m = MonthCode(f), s = Literal(f.DateSeparatorChar()), d = QStringLiteral("dd");
  return Formatted(f.DateOrder() == doDDMMYY ? d + s + m : m + s + d, Value);
}

QString LinearTickLabel(const TLabelSettings& s, double Value, int Decimals, int Number) {
  const double span = s.RangeHigh - s.RangeLow;
  QString text;
  if (std::fabs(Value / span) < 1e-14) { // a tick at zero computed with rounding noise
    Value = 0;
    if (std::fabs(span) <= 100000)
      text = NumberText(0, Decimals);
    else
      text = Decimals != 0 ? QStringLiteral("0.0") : QStringLiteral("0");
  } else {
    text = NumberText(Value, Decimals);
  }
  text.truncate(14);
  if (s.DecPlaces == 0 && std::fabs(Value - std::round(Value)) > 1e-6) text.clear();
  if (s.LabelType == ftUserText) return UserTickItem(s.UserTickText, Number);
  return ApplyInscript(text, s.ScaleInscript);
}

QString LogTickLabel(const TLabelSettings& s, double Value, int Mantissa, int Decimals, int Number) {
  QString text;
  if (Decimals == -3) {
    if (Mantissa == 1) text = NumberText(RoundEven(std::log10(Value)), 0);
  } else {
    text = NumberText(Value, Decimals);
  }
  text.truncate(14);
  if (s.DecPlaces == -2 && text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == QLatin1Char('0')) --n;
    if (n > 0 && text[n - 1] == QLatin1Char('.')) --n;
    text.truncate(n);
  }
  if (s.LabelType == ftUserText) return UserTickItem(s.UserTickText, Number);
  return ApplyInscript(text, s.ScaleInscript);
}
