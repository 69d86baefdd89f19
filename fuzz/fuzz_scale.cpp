// The scale engine: step selection, the tick walks of every label type and
// mapping, and the label texts, for any range (finite or not), MinTicks,
// DecPlaces and date format. Every walk must end within its bound.
#include "FuzzSupport.h"
#include "TDTLabel.h"
#include "TickLabels.h"
#include "TickWalk.h"

namespace {
struct CountingSink final : TTickSink {
  int ticks = 0;
  void Tick(const TTickMark& mark) override {
    ++ticks;
    if (mark.Label.size() > 4096 || mark.DateLine.size() > 4096) __builtin_trap();
  }
  void Message(TScaleMessage) override {}
};
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzInitApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  TDTLabel format;
  format.SetTimeFormat(ScaleTypes::TTimeFormat(in.ConsumeIntegralInRange(0, 2)));
  format.SetYearLength(ScaleTypes::TYearLength(in.ConsumeIntegralInRange(0, 2)));
  format.SetDateOrder(ScaleTypes::TDateOrder(in.ConsumeIntegralInRange(0, 2)));
  format.SetDateForTime(ScaleTypes::TDateForTime(in.ConsumeIntegralInRange(0, 3)));
  format.SetMonthName(in.ConsumeBool());
  format.SetDateSeparator(FuzzText(in, 4));
  format.SetTimeSeparator(FuzzText(in, 4));

  TTickSettings s;
  s.RangeLow = FuzzDouble(in);
  s.RangeHigh = FuzzDouble(in);
  s.DecPlaces = in.ConsumeBool() ? in.ConsumeIntegralInRange(-4, 20) : in.ConsumeIntegral<int>();
  s.LabelType = ScaleTypes::TFigType(in.ConsumeIntegralInRange(0, int(ScaleTypes::ftUserText)));
  s.Logarithmic = in.ConsumeBool();
  s.ShortTicks = in.ConsumeBool();
  s.Horizontal = in.ConsumeBool();
  s.MinTicks = in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, 40) : in.ConsumeIntegral<int>();
  s.DateFormat = &format;
  s.UserTickText = FuzzText(in, 64);
  s.ScaleInscript = FuzzText(in, 16);

  CountingSink sink;
  WalkTicks(s, sink);
  if (sink.ticks > 4 * MaxTickWalk) __builtin_trap(); // a walk is bounded whatever the range

  // Each walk on its own, whatever the label type asks for.
  CountingSink each;
  LinearTicks(s, each);
  LogTicks(s, each);
  TimeTicks(s, each);
  CalendarTicks(s, each);
  CalcTickStep(s.MinTicks, s.RangeLow, s.RangeHigh);

  // The label texts at a fuzzed value.
  const double v = FuzzDouble(in);
  const int decimals = AutoDecimals(s.DecPlaces, s.RangeLow, s.RangeHigh);
  AutoLogDecimals(s.DecPlaces, s.RangeLow, s.RangeHigh);
  const int number = in.ConsumeIntegral<int>();
  LinearTickLabel(s, v, decimals, number);
  LogTickLabel(s, v, in.PickValueInArray({1, 2, 5}), decimals, number);
  NumberText(v, in.ConsumeIntegralInRange(-1, 20));
  TimeText(v, in.ConsumeBool());
  for (int m = 0; m <= int(TCalendarMode::Years); ++m) {
    CalendarLabelFormat(TCalendarMode(m), format);
    CalendarText(TCalendarMode(m), format, v);
  }
  CalendarYearText(in.ConsumeIntegral<int>(), format);
  DateLineText(format, v);
  UserTickItem(s.UserTickText, number);
  ApplyInscript(s.UserTickText, s.ScaleInscript);
  return 0;
}
