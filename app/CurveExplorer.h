#pragma once
// Exploring the live curve with the keyboard while measuring, for a student who
// does not see it. While the measuring cursor is on (TMeasureCursor) and the
// chart has the focus:
//   Left / Right          the cursor one sample earlier / later
//   Page Up / Page Down   a tenth of the view earlier / later
//   Home / End            the first / last sample in the view
//   M / Shift+M           the next / previous maximum
//   N / Shift+N           the next / previous zero crossing
//   Space, Enter          the reference cursor at the cursor (as a click)
// The cursor stays within the view. After every move the readout (time, value,
// and with a reference cursor the differences and 1/dt) becomes the chart's
// accessible name, which a screen reader speaks; the chart's own name returns
// when measuring ends. These keys take precedence over the chart's view keys
// only while measuring; Up and Down still move the view.
#include "Texts.h"

#include <QObject>
#include <QString>

class TCustomRChart;
class TMeasureCursor;

class TCurveExplorer : public QObject {
  Q_OBJECT
public:
  TCurveExplorer(TCustomRChart* chart, TMeasureCursor* measure, TTranslate translate);

  // The actions of the keys, for tests and other callers; each announces the readout.
  void Step(int samples);
  void StepFraction(double fractionOfView);
  void ToEnd(bool last);
  // Next (forward) or previous maximum / zero crossing; false when there is none in the view.
  bool ToMaximum(bool forward);
  bool ToZeroCrossing(bool forward);
  void SetReference();

  // The readout as spoken text ("t 0.228 microseconds, y 0.948").
  QString SpokenReadout() const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Activated(bool on);
  // Samples first .. last of the live curve inside the view of the current layer.
  bool VisibleSamples(int& first, int& last) const;
  void Place(int sample);
  void Announce(const QString& text);

  TCustomRChart* chart_;
  TMeasureCursor* measure_;
  TTranslate translate_;
  QString chartName_; // the chart's accessible name outside measuring
  bool active_ = false;
};
