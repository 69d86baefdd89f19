#pragma once
// The four charts of the circuit analysis: u_C(t) and i(t), the energies over
// time, the phase portrait i over u_C and the resonance curve over a logarithmic
// frequency axis. Each is filled from the circuit model for one set of positions
// and one experiment; a chart the user zoomed keeps its view until "Zoom 1:1".
#include "Circuit.h"
#include "FrequencyResponse.h"
#include "Texts.h"
#include "Transient.h"

#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QWidget;
class TRChart;

enum class TAnalysisChart { Time, Energy, Phase, Resonance };
constexpr int AnalysisChartCount = 4;
// The overlays of the charts' measuring (TChartProbe): the legends take labels 1 ... 8,
// the marks crosshairs 1 ... 3.
constexpr int AnalysisProbeCrossHair = 4, AnalysisProbeLabel = 10;

class TAnalysisCharts {
public:
  // The charts are created as children of parent, named "AnalysisTime", "AnalysisEnergy",
  // "AnalysisPhase" and "AnalysisResonance".
  TAnalysisCharts(QWidget* parent, TTranslate translate);

  TRChart* Chart(TAnalysisChart which) const { return charts_[size_t(which)]; }

  // Computes what the shown charts need and draws them anew.
  void Fill(const Rlc::Positions& p, Rlc::Experiment e, const std::array<bool, AnalysisChartCount>& shown);
  // Marks the state at sample k (t = k ns) in the time chart and the phase portrait; -1 clears it.
  // Quiet: the caller shows the charts.
  void MarkSample(int k);
  // Back to the data's own view (and follows the data from now on).
  void ZoomAll(TAnalysisChart which);
  // Draws one chart anew from the present positions and experiment.
  void Refill(TAnalysisChart which);

  // The last computation (the transient on the 10,001-sample grid, the 1,001 frequencies).
  const Rlc::Trajectory& Path() const { return path_; }
  const std::vector<Rlc::FrequencyPoint>& Resonance() const { return resonance_; }
  int MarkedSample() const { return marked_; }
  // The chart's size when its legend was last placed (a resize asks for a Refill).
  QSize FilledSize(TAnalysisChart which) const { return filledSize_[size_t(which)]; }
  int RequestedSample() const { return requested_; }
  // Called for every chart drawn anew, before it is shown (quiet changes to its overlays show with it).
  std::function<void(TAnalysisChart)> Filled;

private:
  void SetUpAxes();
  size_t Bucket(TAnalysisChart which) const;
  void FillTime();
  void FillEnergy();
  void FillPhase();
  void FillResonance();
  using TLegend = std::vector<std::pair<QString, unsigned>>;
  void Legend(TAnalysisChart which, const TLegend& entries, size_t shown);
  void SetHeadroom(TAnalysisChart which, int pixels);
  void SetRange(TAnalysisChart which, int layer, double x0, double x1, double y0, double y1);
  void Summarise(TAnalysisChart which, const char* key, const char* english, const QStringList& args);
  QString Text(const char* key, const char* english, const QStringList& args = {}) const;

  std::array<TRChart*, AnalysisChartCount> charts_{};
  std::array<bool, AnalysisChartCount> zoomed_{}; // the user's own view: kept until Zoom 1:1
  std::array<bool, AnalysisChartCount> filling_{};
  bool forceRange_ = false; // set the ranges even where the data still fill them
  double shownF0_ = 0;      // the resonance chart's f0
  std::array<bool, AnalysisChartCount> rangeChanged_{}; // in this computation: the axes are drawn anew
  TTranslate translate_;
  Rlc::Positions positions_;
  Rlc::Experiment experiment_ = Rlc::Experiment::Charged;
  Rlc::Quantities quantities_;
  std::array<QSize, AnalysisChartCount> filledSize_{}; // each chart's size when last drawn
  std::array<int, AnalysisChartCount> headroom_{};     // pixels above the data kept for the legend
  Rlc::Trajectory path_;
  std::vector<Rlc::FrequencyPoint> resonance_;
  std::vector<double> sum_; // E_C + E_L
  int marked_ = -1, requested_ = -1; // the sample marked, and the one asked for
};
