#pragma once
// Tick positions of the scales: step selection, the linear, logarithmic, clock-time
// and calendar walks. The walks only compute: each tick goes to a sink together with
// its length, whether it enters the tick record, and its label texts; the scale's
// drawing code (or a test) decides what to do with it. Every walk is bounded: ranges
// that are not finite give no ticks, and no walk visits more than MaxTickWalk positions.
#include "TickLabels.h"
#include <QString>

class TDTLabel;

constexpr int MaxTickWalk = 10000;

enum class TTickLength { None, Short, Long }; // None: reported only, nothing drawn

struct TTickMark {
  double Value = 0;
  TTickLength Length = TTickLength::Long;
  bool Record = true;
  QString Label;    // empty: no label
  QString DateLine; // the date beside a clock-time label of a sub-day calendar scale
};

// Texts drawn instead of ticks on a calendar scale.
enum class TScaleMessage { InvalidDateTime, BelowOneSecond };

class TTickSink {
public:
  virtual void Tick(const TTickMark& mark) = 0;
  virtual void Message(TScaleMessage message) = 0;

protected:
  ~TTickSink() = default;
};

// Everything a walk reads from its scale.
struct TTickSettings : TLabelSettings {
  bool Logarithmic = false;
  bool ShortTicks = true;
  bool Horizontal = true;
  int MinTicks = 3;
  const TDTLabel* DateFormat = nullptr; // required for ftDateTime
};

struct TTickStep {
  double Start = 0;
  double Step = 0; // signed, from From towards To; 0 when there is nothing to walk
  int NumShort = 1;
};

// The major step (1, 2 or 5 times a power of ten), its first position and the number
// of short intervals per step. MinTicks 0 walks whole numbers.
TTickStep CalcTickStep(int MinTicks, double From, double To);

// The calendar mode chosen for d days per interval; false with the message to show instead.
bool SelectCalendarMode(double DaysPerInterval, bool Horizontal, TCalendarMode& Mode,
                        TScaleMessage& Message);

void LinearTicks(const TTickSettings& s, TTickSink& sink);
void LogTicks(const TTickSettings& s, TTickSink& sink);
// False (and nothing reported) when the interval lies outside the time step table.
bool TimeTicks(const TTickSettings& s, TTickSink& sink);
void CalendarTicks(const TTickSettings& s, TTickSink& sink);
// The routine the label type and mapping call for: calendar, time, logarithmic or linear.
void WalkTicks(const TTickSettings& s, TTickSink& sink);
