// Tick positions: step selection, linear, logarithmic, clock-time and calendar
// walks, and that no walk runs without end whatever the range.
#include "FormatDateValue.h"
#include "TDTLabel.h"
#include "TickWalk.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

struct Collect final : TTickSink {
  std::vector<TTickMark> marks;
  std::vector<TScaleMessage> messages;
  void Tick(const TTickMark& m) override { marks.push_back(m); }
  void Message(TScaleMessage m) override { messages.push_back(m); }

  std::vector<double> Values(TTickLength length) const {
    std::vector<double> v;
    for (const auto& m : marks)
      if (m.Length == length) v.push_back(m.Value);
    return v;
  }
  std::vector<QString> Labels() const {
    std::vector<QString> v;
    for (const auto& m : marks)
      if (m.Length == TTickLength::Long) v.push_back(m.Label);
    return v;
  }
  int Recorded() const {
    int n = 0;
    for (const auto& m : marks) n += m.Record;
    return n;
  }
};

TTickSettings Settings(double lo, double hi, int minTicks = 3) {
  TTickSettings s;
  s.RangeLow = lo;
  s.RangeHigh = hi;
  s.MinTicks = minTicks;
  return s;
}

Collect Walk(const TTickSettings& s) {
  Collect c;
  WalkTicks(s, c);
  return c;
}

void ExpectValues(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9 * (1 + std::fabs(want[i]))) << i;
}

TEST(CalcTickStep, StepsAndStarts) {
  auto st = CalcTickStep(3, 0, 100);
  EXPECT_DOUBLE_EQ(st.Step, 20);
  EXPECT_EQ(st.NumShort, 4);
  EXPECT_DOUBLE_EQ(st.Start, 0);
  st = CalcTickStep(5, 0, 100); // the exact quotient 20 falls back to mantissa 1
  EXPECT_DOUBLE_EQ(st.Step, 10);
  EXPECT_EQ(st.NumShort, 5);
  st = CalcTickStep(3, 10, 0);
  EXPECT_DOUBLE_EQ(st.Step, -2);
  EXPECT_DOUBLE_EQ(st.Start, 10);
  st = CalcTickStep(3, 0, 1);
  EXPECT_DOUBLE_EQ(st.Step, 0.2);
  st = CalcTickStep(3, 0.013, 0.1); // quotient 0.029: mantissa 2, start the first multiple
  EXPECT_DOUBLE_EQ(st.Step, 0.02);
  EXPECT_NEAR(st.Start, 0.02, 1e-15);
  st = CalcTickStep(2, 0, 10); // quotient 5 exactly: mantissa 2
  EXPECT_DOUBLE_EQ(st.Step, 2);
  EXPECT_EQ(st.NumShort, 4);
}

TEST(CalcTickStep, WholeNumbersWithMinTicksZero) {
  auto st = CalcTickStep(0, 0.5, 20);
  EXPECT_DOUBLE_EQ(st.Step, 1);
  EXPECT_DOUBLE_EQ(st.Start, 1);
  EXPECT_EQ(st.NumShort, 1);
  EXPECT_EQ(CalcTickStep(0, 0, 5).NumShort, 5);
  // Inverted: the walk goes downwards from the first whole number.
  st = CalcTickStep(0, 20.5, 0);
  EXPECT_DOUBLE_EQ(st.Step, -1);
  EXPECT_DOUBLE_EQ(st.Start, 20);
  const Collect c = Walk(Settings(10, 0, 0));
  ExpectValues(c.Values(TTickLength::Long), {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
}

TEST(CalcTickStep, DegenerateRangesGiveNoStep) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  EXPECT_EQ(CalcTickStep(3, 5, 5).Step, 0);
  EXPECT_EQ(CalcTickStep(3, nan, 1).Step, 0);
  EXPECT_EQ(CalcTickStep(3, 0, inf).Step, 0);
  EXPECT_EQ(CalcTickStep(3, -1e308, 1e308).Step, 0); // the span overflows
  const auto st = CalcTickStep(10, 1e17, 1e17 + 16); // a step below the spacing of doubles
  EXPECT_TRUE(std::isfinite(st.Start));
}

TEST(LinearTicks, MajorsShortsAndTheRecord) {
  TTickSettings s = Settings(0, 100);
  Collect c = Walk(s);
  ExpectValues(c.Values(TTickLength::Long), {0, 20, 40, 60, 80, 100});
  EXPECT_EQ(c.Values(TTickLength::Short).size(), 21u); // every 5, majors included
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"0", "20", "40", "60", "80", "100"}));
  EXPECT_EQ(c.Recorded(), 21); // horizontal: only the short ticks
  s.Horizontal = false;
  EXPECT_EQ(Walk(s).Recorded(), 27); // vertical: shorts, then majors again
  s.ShortTicks = false;
  c = Walk(s);
  EXPECT_EQ(c.marks.size(), 6u);
  EXPECT_EQ(c.Recorded(), 6);
  s.Horizontal = true;
  EXPECT_EQ(Walk(s).Recorded(), 6);

  s = Settings(10, 0); // inverted
  c = Walk(s);
  ExpectValues(c.Values(TTickLength::Long), {10, 8, 6, 4, 2, 0});
  EXPECT_EQ(c.Values(TTickLength::Short).size(), 21u); // every 0.5
  s.LabelType = ftNoFigs;
  for (const auto& m : Walk(s).marks) EXPECT_TRUE(m.Label.isEmpty());
}

TEST(LinearTicks, LabelTexts) {
  EXPECT_EQ(Walk(Settings(0, 1)).Labels(),
            (std::vector<QString>{"0.00", "0.20", "0.40", "0.60", "0.80", "1.00"}));
  EXPECT_EQ(Walk(Settings(-1e-9, 1e-9)).Labels(),
            (std::vector<QString>{"-1.0E-09", "-5.0E-10", " 0.0E+00", " 5.0E-10", " 1.0E-09"}));
  EXPECT_EQ(Walk(Settings(0, 2000000)).Labels().front(), "0.0");
  TTickSettings s = Settings(0, 1);
  s.DecPlaces = 0;
  EXPECT_EQ(Walk(s).Labels(), (std::vector<QString>{"0", "", "", "", "", "1"}));
  s = Settings(0, 100);
  s.LabelType = ftUserText;
  s.UserTickText = "Mon|Tue|";
  EXPECT_EQ(Walk(s).Labels(), (std::vector<QString>{"Mon", "Tue", "", "", "", ""}));
}

TEST(LogTicks, DecadesDenseMantissasAndMinorTicks) {
  TTickSettings s = Settings(1, 1000);
  s.Logarithmic = true;
  Collect c = Walk(s);
  ExpectValues(c.Values(TTickLength::Long), {1, 10, 100, 1000});
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"1", "10", "100", "1000"}));
  EXPECT_TRUE(c.Values(TTickLength::Short).empty());

  s.MinTicks = 10; // dense: 2 and 5 become majors, the rest minor ticks
  c = Walk(s);
  ExpectValues(c.Values(TTickLength::Long), {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000});
  EXPECT_EQ(c.Values(TTickLength::Short).size(), 18u);
  EXPECT_EQ(c.Recorded(), 28);
  s.ShortTicks = false; // horizontal: minors are reported, not drawn or recorded
  c = Walk(s);
  EXPECT_EQ(c.Values(TTickLength::None).size(), 18u);
  EXPECT_EQ(c.Recorded(), 10);
  s.Horizontal = false; // vertical: not visited at all
  EXPECT_EQ(Walk(s).marks.size(), 10u);
  s.ShortTicks = true; // vertical minors are drawn long
  EXPECT_EQ(Walk(s).Values(TTickLength::Long).size(), 28u);
}

TEST(LogTicks, LabelsAndFallbacks) {
  TTickSettings s = Settings(0.01, 100);
  s.Logarithmic = true;
  EXPECT_EQ(Walk(s).Labels(), (std::vector<QString>{"0.01", "0.1", "1", "10", "100"}));
  s = Settings(1, 1e6);
  s.Logarithmic = true;
  s.DecPlaces = -3;
  EXPECT_EQ(Walk(s).Labels(), (std::vector<QString>{"0", "1", "2", "3", "4", "5", "6"}));
  s.LabelType = ftUserText; // the labelled-tick counter picks the items
  s.UserTickText = "a|b";
  EXPECT_EQ(Walk(s).Labels(), (std::vector<QString>{"a", "b", "b", "b", "b", "b", "b"}));
  s = Settings(2, 15); // less than a decade: linear steps
  s.Logarithmic = true;
  ExpectValues(Walk(s).Values(TTickLength::Long), {2, 4, 6, 8, 10, 12, 14});
  s = Settings(1000, 1); // inverted
  s.Logarithmic = true;
  ExpectValues(Walk(s).Values(TTickLength::Long), {1, 10, 100, 1000});
  s = Settings(0, 100); // accepted unchecked on a chart's scale: no ticks, no hang
  s.Logarithmic = true;
  EXPECT_TRUE(Walk(s).marks.empty());
}

TEST(TimeTicks, StepTableAndLabels) {
  TTickSettings s = Settings(0, 3600);
  s.LabelType = ftTime;
  Collect c = Walk(s);
  ExpectValues(c.Values(TTickLength::Long), {0, 1200, 2400, 3600});
  EXPECT_EQ(c.Labels(), (std::vector<QString>{" 00:00:00", " 00:20:00", " 00:40:00", " 01:00:00"}));
  EXPECT_EQ(c.Values(TTickLength::Short).size(), 19u); // every 200 s
  EXPECT_EQ(c.Recorded(), 19);
  s.Horizontal = false;
  EXPECT_EQ(Walk(s).Recorded(), 23);

  s = Settings(0, 1);
  s.LabelType = ftTime;
  c = Walk(s);
  EXPECT_EQ(c.Labels(), (std::vector<QString>{" 00:00:00.000", " 00:00:00.200", " 00:00:00.400",
                                              " 00:00:00.600", " 00:00:00.800", " 00:00:01.000"}));
  EXPECT_EQ(c.Values(TTickLength::Short).size(), 21u); // 0.2 s in 4 intervals

  // Negative times get their ticks too, and an inverted range keeps both ends.
  s = Settings(-1000, 2600);
  s.LabelType = ftTime;
  c = Walk(s);
  ExpectValues(c.Values(TTickLength::Long), {0, 1200, 2400});
  EXPECT_DOUBLE_EQ(c.Values(TTickLength::Short).front(), -1000);
  s = Settings(3600, 0);
  s.LabelType = ftTime;
  ExpectValues(Walk(s).Values(TTickLength::Long), {3600, 2400, 1200, 0});
}

TEST(TimeTicks, OutsideTheTableFallsBackToNumbers) {
  TTickSettings s = Settings(0, 300000);
  s.LabelType = ftTime;
  s.DecPlaces = 4;
  Collect c;
  EXPECT_FALSE(TimeTicks(s, c));
  EXPECT_TRUE(c.marks.empty());
  c = Walk(s);
  EXPECT_EQ(c.Labels()[0], "0.0");           // zero on a span above 100000
  EXPECT_EQ(c.Labels()[1], "100000.0000"); // four decimals, as ftTime sets them
  s = Settings(0, 0.002); // below a millisecond per interval
  s.LabelType = ftTime;
  EXPECT_FALSE(TimeTicks(s, c));
}

class CalendarTicksTest : public ::testing::Test {
protected:
  void SetUp() override { format.ApplyScaleDefaults(); }
  Collect Run(double lo, double hi, bool shortTicks = true, bool horizontal = true, int minTicks = 3) {
    TTickSettings s = Settings(lo, hi, minTicks);
    s.LabelType = ftDateTime;
    s.DateFormat = &format;
    s.ShortTicks = shortTicks;
    s.Horizontal = horizontal;
    return Walk(s);
  }
  TDTLabel format;
};

TEST_F(CalendarTicksTest, InvalidAndBelowOneSecondMessages) {
  Collect c = Run(100, 50);
  EXPECT_TRUE(c.marks.empty());
  EXPECT_EQ(c.messages, std::vector<TScaleMessage>{TScaleMessage::InvalidDateTime});
  EXPECT_EQ(Run(-700000, 0).messages.size(), 1u);
  EXPECT_EQ(Run(0, 3000001).messages.size(), 1u);
  EXPECT_EQ(Run(std::nan(""), 1).messages.size(), 1u);
  // Half a second per interval: a message across, hundredths upright.
  const double noon = 45000.5, end = noon + 1.6 / 86400;
  c = Run(noon, end);
  EXPECT_EQ(c.messages, std::vector<TScaleMessage>{TScaleMessage::BelowOneSecond});
  EXPECT_TRUE(c.marks.empty());
  c = Run(noon, end, true, false);
  EXPECT_TRUE(c.messages.empty());
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"12:00:00.000", "12:00:00.500", "12:00:01.000", "12:00:01.500"}));
  EXPECT_EQ(Run(noon, noon + 0.01 / 86400, true, false).messages.size(), 1u);
}

TEST_F(CalendarTicksTest, ModeThresholds) {
  TCalendarMode m;
  TScaleMessage msg;
  ASSERT_TRUE(SelectCalendarMode(1.0 / 86400, false, m, msg));
  EXPECT_EQ(m, TCalendarMode::Hundredths);
  ASSERT_TRUE(SelectCalendarMode(1.0 / 86400, true, m, msg));
  EXPECT_EQ(m, TCalendarMode::Seconds);
  ASSERT_TRUE(SelectCalendarMode(1.0 / 1440, false, m, msg));
  EXPECT_EQ(m, TCalendarMode::Seconds);
  ASSERT_TRUE(SelectCalendarMode(1.0 / 1440, true, m, msg)); // 0.000694444 > 0.00069444
  EXPECT_EQ(m, TCalendarMode::Minutes);
  ASSERT_TRUE(SelectCalendarMode(1, true, m, msg));
  EXPECT_EQ(m, TCalendarMode::Hours);
  ASSERT_TRUE(SelectCalendarMode(30, true, m, msg));
  EXPECT_EQ(m, TCalendarMode::Days);
  ASSERT_TRUE(SelectCalendarMode(366, true, m, msg));
  EXPECT_EQ(m, TCalendarMode::Months);
  ASSERT_TRUE(SelectCalendarMode(366.5, true, m, msg));
  EXPECT_EQ(m, TCalendarMode::Years);
}

TEST_F(CalendarTicksTest, SubDayTicksWithDateLines) {
  const double day = 45000; // 15 March 2023
  // Interval lengths stay clear of the table's steps: day serials carry rounding noise.
  Collect c = Run(day, day + 25.0 / 24); // 8.33 hours per interval: step 8
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"00:00", "08:00", "16:00", "00:00"}));
  EXPECT_EQ(c.Values(TTickLength::Short).size(), 9u); // every 2 hours
  std::vector<QString> lines;
  for (const auto& m : c.marks)
    if (m.Length == TTickLength::Long) lines.push_back(m.DateLine);
  EXPECT_EQ(lines, (std::vector<QString>{"15-Mar-2023", "", "", "16-Mar-2023"}));
  format.SetDateForTime(dtOnePerChart);
  c = Run(day, day + 25.0 / 24);
  EXPECT_EQ(c.marks.back().DateLine, "");
  // A start inside the day: the first major is the next multiple of the step.
  c = Run(day + 1.3 / 24, day + 1.3 / 24 + 1.1, false);
  EXPECT_EQ(c.Labels().front(), "08:00");
  c = Run(day + 1.3 / 24, day + 1.3 / 24 + 1.1, true);
  EXPECT_NEAR(c.marks.front().Value, day + 2.0 / 24, 1e-9);
  // Minutes and seconds.
  c = Run(day, day + 65.0 / 1440);
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"00:00", "00:20", "00:40", "01:00"}));
  c = Run(day, day + 100.0 / 86400);
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"00:00:00", "00:00:30", "00:01:00", "00:01:30"}));
}

TEST_F(CalendarTicksTest, DaysMonthsAndYears) {
  const double mon = double(DateSerial(2024, 3, 4));
  Collect c = Run(mon, mon + 7); // 2.33 days: step 2, short step 1
  ExpectValues(c.Values(TTickLength::Long), {mon + 1, mon + 3, mon + 5, mon + 7});
  ExpectValues(c.Values(TTickLength::Short), {mon, mon + 2, mon + 4, mon + 6});
  EXPECT_EQ(c.Labels().front(), "05-Mar-2024");

  const double y2022 = double(DateSerial(2022, 1, 1)), y2024 = double(DateSerial(2024, 1, 1));
  c = Run(y2022, y2024); // 243 days: months, step 6
  EXPECT_EQ(c.marks.size(), 25u);
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"Jan-2022", "Jul-2022", "Jan-2023", "Jul-2023", "Jan-2024"}));
  c = Run(y2022, y2024, false);
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"Jul-2022", "Jan-2023", "Jul-2023", "Jan-2024"}));

  const double y1970 = double(DateSerial(1970, 1, 1)), y2020 = double(DateSerial(2020, 1, 1));
  c = Run(y1970, y2020); // 16.7 years: h = 10, walking 5 with short ticks
  EXPECT_EQ(c.marks.size(), 11u);
  EXPECT_EQ(c.Labels(), (std::vector<QString>{"1970", "1980", "1990", "2000", "2010", "2020"}));
  c = Run(y1970, y2020, false);
  EXPECT_EQ(c.marks.size(), 6u);
  c = Run(y1970 + 0.5, y2020); // a start after 1 January: the next multiple
  EXPECT_DOUBLE_EQ(c.marks.front().Value, double(DateSerial(1975, 1, 1)));
}

TEST_F(CalendarTicksTest, TheYearWalkEndsOnTheLastDay) {
  const double last = 2958465; // 31 December 9999
  for (double hi : {last, last + 0.5, 3000000.0}) {
    const Collect c = Run(double(DateSerial(9000, 6, 1)), hi, false);
    ASSERT_FALSE(c.marks.empty());
    EXPECT_LE(c.marks.size(), 20u);
    int atLast = 0;
    for (const auto& m : c.marks) {
      EXPECT_LE(m.Value, last);
      atLast += m.Value == last;
    }
    EXPECT_EQ(atLast, 1) << hi;
    EXPECT_EQ(c.marks.back().Value, last);
  }
}

TEST(TickWalks, AreBoundedWhateverTheRange) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const double ranges[][2] = {{0, 1e300},   {-1e308, 1e308}, {1e-320, 2e-320}, {1e17, 1e17 + 16},
                              {1e300, 1},   {0, inf},        {nan, 1},         {-inf, inf},
                              {1, 1 + 1e-15}, {-5, 5},       {0, 1e9},         {2958000, 3000000},
                              {-693593, 3000000}};
  TDTLabel format;
  format.ApplyScaleDefaults();
  for (const auto& r : ranges)
    for (TFigType type : {ftNum, ftTime, ftDateTime, ftUserText})
      for (bool log : {false, true})
        for (int minTicks : {0, 2, 20})
          for (bool shortTicks : {false, true})
            for (bool horizontal : {false, true}) {
              TTickSettings s = Settings(r[0], r[1], minTicks);
              s.LabelType = type;
              s.Logarithmic = log;
              s.ShortTicks = shortTicks;
              s.Horizontal = horizontal;
              s.DateFormat = &format;
              const Collect c = Walk(s);
              EXPECT_LE(c.marks.size(), size_t(3 * MaxTickWalk)) << r[0] << " " << r[1];
            }
}

} // namespace
