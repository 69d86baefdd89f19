#pragma once
// Measuring on the live curve: while on, the mouse in the data area moves a
// crosshair that snaps to the nearest sample of the curve, and a readout in the
// data area shows its time (usec) and value. A left click sets a second,
// reference cursor; the readout then adds the differences dt and dy and 1/dt as
// a frequency. A zoom band is drawn with Shift held while measuring. Esc ends
// measuring.
#include "HandlerList.h"
#include "Texts.h"

#include <QObject>
#include <QString>

class QAction;
class TCustomRChart;
class TFeatureContext;

class TMeasureCursor : public QObject {
  Q_OBJECT
public:
  // The checkable pop-up item ("LX_Measure") is created as a child of the context's
  // menu; the window adds it there. Follows every computed curve.
  explicit TMeasureCursor(TFeatureContext& context);

  QAction* Action() const { return action_; }
  bool Active() const { return active_; }
  void SetActive(bool on);

  // Puts the cursor on the sample nearest to the time t (usec), as a mouse move does.
  void MoveCursorToTime(double t);
  // Sets the reference cursor at the sample of the cursor, as a click does.
  void SetReference();
  // The curve changed: both cursors take the new values of their samples. Quiet:
  // the chart is shown by whoever changed the curve.
  void Refresh();

  int CursorSample() const { return cursor_; }       // -1: none
  int ReferenceSample() const { return reference_; } // -1: none
  QString ReadoutText() const;
  // After every change of the cursor or of measuring: the cursor's sample (-1: none or off).
  THandlerList<int> CursorMoved;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Show(bool repaint = true);
  bool HandleMouse(QEvent* event);

  TCustomRChart* chart_;
  QAction* action_;
  TTranslate translate_;
  bool active_ = false;
  int savedMouseAction_ = 0;
  int cursor_ = -1, reference_ = -1;
  bool bandByShift_ = false; // a zoom band started with Shift is being drawn
  bool clickTaken_ = false;  // the press was a measuring click: so is its release
  THandlerLink curves_;      // to CurveComputed
};
