#pragma once
// The chart's extra pop-up items and what they switch: the circuit data readout,
// the exact response in every damping regime, and kept comparison curves. The
// two switches are remembered in the user's settings; everything is off on a
// fresh start, which leaves the window exactly as designed.
#include "Font.h"
#include "KeptCurves.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QEvent;
class QMenu;
class TCustomRChart;

class TChartExtras : public QObject {
  Q_OBJECT
public:
  // The chart's text label that shows the circuit data.
  static constexpr int CircuitDataLabel = 30;

  // Adds the items to the menu (with "LX_" captions, translated with the window)
  // and gives translate(key) the readout's texts.
  TChartExtras(TCustomRChart& chart, QMenu& menu, std::function<QString(const QString&)> translate,
               QObject* parent = nullptr);

  bool CircuitData() const;
  bool ExactResponse() const;
  const TKeptCurves& KeptCurves() const { return kept_; }

  // Sets both switches from the user's settings (without recomputing).
  void RestoreChoices();

  // Hook of the curve computation: the live curve for these positions has been
  // appended to the chart (it is shown next).
  void CurveComputed(int posR, int posC, int posL, const double* y);

  // Asked to recompute and show the curve after a change of the items.
  std::function<void()> OnRecompute;

  QAction* CircuitDataItem;
  QAction* ExactResponseItem;
  QAction* KeepCurveItem;
  QAction* ClearKeptCurvesItem;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Toggled(const QString& key, bool on);
  void KeepCurve();
  void ShowCircuitData();
  void Recompute();
  int LineWidth(const QString& line);

  TCustomRChart& chart_;
  std::function<QString(const QString&)> translate_;
  TKeptCurves kept_;
  std::vector<double> last_;  // the live curve's samples
  int lastR_ = -1, lastC_ = -1, lastL_ = -1;
  bool lastExact_ = false;    // the live curve's mode
  TFontData widthFont_;           // the font the widths were measured in
  QHash<QString, int> widths_;    // readout line shapes and their widths
};
