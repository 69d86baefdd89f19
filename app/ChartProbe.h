#pragma once
// Measuring on a chart whose curves the caller holds as arrays: while the checkable
// "Measure" item is on, a left click (or drag) in the data area puts a crosshair on
// the nearest sample (nearest in x, or in screen distance for a curve over another
// quantity) and a readout shows x and every curve's value with its unit. Left and
// Right step sample by sample; Escape or unchecking ends it. After the curves are
// computed anew the cursor keeps its sample index (Refresh).
#include "Texts.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class TRChart;

// One quantity of the curves: its name, the value of sample k in SI units (unit
// without prefix: "s", "V", "A"; Prefixed false writes a plain number, e.g. "°"), and
// the factor from the SI value to the value drawn on the chart's layer 1.
struct TProbeSeries {
  QString Name, Unit;
  std::function<double(int)> Value;
  double Drawn = 1;
  bool Prefixed = true;
};

class TChartProbe : public QObject {
  Q_OBJECT
public:
  // Nearest sample by x alone, or by the distance on screen of (x, first curve).
  enum class TNearest { X, Screen };
  // The item is appended to menu; crossHair and label are the chart's overlay numbers it uses.
  TChartProbe(TRChart& chart, QMenu& menu, TTranslate translate, int crossHair, int label);

  void SetCurves(std::function<int()> count, TProbeSeries x, std::vector<TProbeSeries> curves, TNearest nearest);
  QAction* Action() const { return action_; }
  bool Active() const { return active_; }
  void SetActive(bool on);
  // Puts the cursor on the sample nearest to the pixel (x, y), as a click does.
  void PutAt(int px, int py);
  void MoveTo(int sample);
  int Sample() const { return sample_; } // -1: none
  QString ReadoutText() const;
  // The curves were computed anew: same sample index, new values. Quiet: the chart is
  // shown by whoever filled it.
  void Refresh();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Show(bool repaint = true);
  bool HandleMouse(QEvent* event);
  QString Value(const TProbeSeries& s, int k) const;

  TRChart* chart_;
  QAction* action_;
  int crossHair_, label_;
  bool active_ = false, dragging_ = false;
  int savedMouseAction_ = 0;
  int sample_ = -1;
  QString shownText_; // the readout last shown
  std::function<int()> count_;
  TProbeSeries x_;
  std::vector<TProbeSeries> curves_;
  TNearest nearest_ = TNearest::X;
};
