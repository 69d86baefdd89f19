#pragma once
// The chart's extra pop-up items and what they switch: the circuit data readout,
// the exact response in every damping regime, and kept comparison curves. The
// two switches are remembered in the user's settings; everything is off on a
// fresh start, which leaves the window exactly as designed.
#include "Font.h"
#include "HandlerList.h"
#include "KeptCurves.h"

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QEvent;
class TCustomRChart;
class TFeatureContext;
struct TComputedCurve;

class TChartExtras : public QObject {
  Q_OBJECT
public:
  // Adds the items to the context's menu (with "LX_" captions, translated with the
  // window) and follows every computed curve.
  explicit TChartExtras(TFeatureContext& context, QObject* parent = nullptr);
  // The chart outlives its features: the circuit data leave with them.
  ~TChartExtras() override;

  bool CircuitData() const;
  bool ExactResponse() const;
  const TKeptCurves& KeptCurves() const { return kept_; }

  // Sets both switches from the user's settings (without recomputing).
  void RestoreChoices();

  QAction* CircuitDataItem;
  QAction* ExactResponseItem;
  QAction* KeepCurveItem;
  QAction* ClearKeptCurvesItem;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CurveComputed(const TComputedCurve& curve);
  void Toggled(const QString& key, bool on);
  void KeepCurve();
  void ShowCircuitData();
  void Recompute();
  int ReadoutTextWidth(const QString& line);

  TFeatureContext& context_;
  TCustomRChart& chart_;
  TKeptCurves kept_;
  std::vector<double> last_;  // the live curve's samples
  int lastR_ = -1, lastC_ = -1, lastL_ = -1;
  bool lastExact_ = false;    // the live curve's mode
  TFontData widthFont_;           // the font the widths were measured in
  QHash<QString, int> widths_;    // readout line shapes and their widths
  THandlerLink curves_;           // to CurveComputed
};
