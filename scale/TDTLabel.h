#pragma once
// Date/time label format settings of a scale: how clock times and calendar
// dates are written at the ticks. A bare object starts with every field zero;
// a scale gives its own one the scale defaults (ApplyScaleDefaults).
#include "ScaleTypes.h"
#include <QChar>
#include <QObject>
#include <QString>
#include <functional>

class TDTLabel : public QObject {
  Q_OBJECT
  Q_PROPERTY(ScaleTypes::TTimeFormat TimeFormat READ TimeFormat WRITE SetTimeFormat)
  Q_PROPERTY(QString DateSeparator READ DateSeparator WRITE SetDateSeparator)
  Q_PROPERTY(QString TimeSeparator READ TimeSeparator WRITE SetTimeSeparator)
  Q_PROPERTY(ScaleTypes::TYearLength YearLength READ YearLength WRITE SetYearLength)
  Q_PROPERTY(bool MonthName READ MonthName WRITE SetMonthName)
  Q_PROPERTY(ScaleTypes::TDateOrder DateOrder READ DateOrder WRITE SetDateOrder)
  Q_PROPERTY(ScaleTypes::TDateForTime DateForTime READ DateForTime WRITE SetDateForTime)
public:
  explicit TDTLabel(QObject* parent = nullptr) : QObject(parent) {}

  // tfHHMMSS, "-", ":", ylYYYY, month names, dtOnePerDay, doDDMMYY; no notification.
  void ApplyScaleDefaults();
  // Copies the seven settings (not OnChange), then notifies once.
  void Assign(const TDTLabel& source);

  ScaleTypes::TTimeFormat TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(ScaleTypes::TTimeFormat v);
  // The separators are single characters; the properties take and give texts
  // (the first character counts, an empty text clears it).
  QChar DateSeparatorChar() const { return dateSeparator_; }
  QChar TimeSeparatorChar() const { return timeSeparator_; }
  QString DateSeparator() const { return CharText(dateSeparator_); }
  QString TimeSeparator() const { return CharText(timeSeparator_); }
  void SetDateSeparator(const QString& v) { SetDateSeparatorChar(FirstChar(v)); }
  void SetTimeSeparator(const QString& v) { SetTimeSeparatorChar(FirstChar(v)); }
  void SetDateSeparatorChar(QChar v);
  void SetTimeSeparatorChar(QChar v);
  ScaleTypes::TYearLength YearLength() const { return yearLength_; }
  void SetYearLength(ScaleTypes::TYearLength v);
  bool MonthName() const { return monthName_; }
  void SetMonthName(bool v);
  ScaleTypes::TDateOrder DateOrder() const { return dateOrder_; }
  void SetDateOrder(ScaleTypes::TDateOrder v);
  ScaleTypes::TDateForTime DateForTime() const { return dateForTime_; }
  void SetDateForTime(ScaleTypes::TDateForTime v);

  std::function<void(QObject* sender)> OnChange;

private:
  static QChar FirstChar(const QString& s) { return s.isEmpty() ? QChar() : s.at(0); }
  static QString CharText(QChar c) { return c.isNull() ? QString() : QString(c); }
  void Changed();

  ScaleTypes::TTimeFormat timeFormat_ = tfHHMMSS;
  QChar dateSeparator_;
  QChar timeSeparator_;
  ScaleTypes::TYearLength yearLength_ = ylNone;
  bool monthName_ = false;
  ScaleTypes::TDateOrder dateOrder_ = doMMDDYY;
  ScaleTypes::TDateForTime dateForTime_ = dtNone;
};
