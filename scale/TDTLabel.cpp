#include "TDTLabel.h"

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TDTLabel::ApplyScaleDefaults() {
  timeFormat_ = tfHHMMSS;
  dateSeparator_ = QChar('-');
  timeSeparator_ = QChar(':');
  yearLength_ = ylYYYY;
  monthName_ = true;
  dateForTime_ = dtOnePerDay;
  dateOrder_ = doDDMMYY;
}

void TDTLabel::Assign(const TDTLabel& source) {
  if (&source == this) return;
  timeFormat_ = source.timeFormat_;
  dateSeparator_ = source.dateSeparator_;
  timeSeparator_ = source.timeSeparator_;
  yearLength_ = source.yearLength_;
  monthName_ = source.monthName_;
  dateOrder_ = source.dateOrder_;
  dateForTime_ = source.dateForTime_;
  Changed();
}

// TimeFormat and DateOrder always notify; the other settings only on a change.
void TDTLabel::SetTimeFormat(ScaleTypes::TTimeFormat v) {
  timeFormat_ = v;
  Changed();
}

void TDTLabel::SetDateOrder(ScaleTypes::TDateOrder v) {
  dateOrder_ = v;
  Changed();
}

void TDTLabel::SetDateSeparatorChar(QChar v) {
  if (v == dateSeparator_) return;
  dateSeparator_ = v;
  Changed();
}

void TDTLabel::SetTimeSeparatorChar(QChar v) {
  if (v == timeSeparator_) return;
  timeSeparator_ = v;
  Changed();
}

void TDTLabel::SetYearLength(ScaleTypes::TYearLength v) {
  if (v == yearLength_) return;
  yearLength_ = v;
  Changed();
}

void TDTLabel::SetMonthName(bool v) {
  if (v == monthName_) return;
  monthName_ = v;
  Changed();
}

void TDTLabel::SetDateForTime(ScaleTypes::TDateForTime v) {
  if (v == dateForTime_) return;
  dateForTime_ = v;
  Changed();
}
