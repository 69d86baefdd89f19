#pragma once
// The circuit analysis window: four charts of the circuit at the main window's
// scroll-bar positions (u_C and i over time, the energies, the phase portrait,
// the resonance curve), an experiment choice and presets that set the scroll bars
// to a damping regime. Each chart has its own pop-up menu: Zoom 1:1, Save picture,
// Save samples, Measure. Size, place, experiment and the charts shown are kept in the
// user's settings. Escape closes it.
#include "AnalysisCharts.h"
#include "AnalysisPresets.h"
#include "Texts.h"

#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QMenu;
class QPushButton;
class QSettings;
class TChartProbe;

class TAnalysisWindow : public QWidget {
  Q_OBJECT
public:
  // positions reads the main window's scroll bars, setPositions moves them (and
  // recomputes everything once).
  TAnalysisWindow(TTranslate translate, std::function<Rlc::Positions()> positions,
                  std::function<void(const Rlc::Positions&)> setPositions, QWidget* parent = nullptr);
  ~TAnalysisWindow() override;

  TAnalysisCharts& Charts() { return charts_; }
  // Draws the shown charts for the present positions (nothing while hidden).
  void Follow();
  // The state at the main window's measuring cursor (sample k; -1: none).
  void MarkSample(int k);

  Rlc::Experiment Experiment() const { return experiment_; }
  void SetExperiment(Rlc::Experiment e);
  bool ChartShown(TAnalysisChart which) const { return shown_[size_t(which)]; }
  void SetChartShown(TAnalysisChart which, bool on);
  void ApplyPreset(TAnalysisPreset preset);
  QString StatusText() const;

  QMenu* ChartMenu(TAnalysisChart which) const { return menus_[size_t(which)]; }
  // Measuring in a chart (its pop-up's "Measure").
  TChartProbe* Probe(TAnalysisChart which) const { return probes_[size_t(which)]; }
  void SavePicture(TAnalysisChart which);
  void SaveSamples(TAnalysisChart which);
  // The file dialog, replaceable (tests): a file name, empty when cancelled.
  std::function<QString(const QString& title, const QString& suggested, const QString& filter)> AskFileName;

  // The user's settings: group "Analysis".
  static QSettings Settings();
  void SaveSettings() const;
  void RestoreSettings();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  QString Text(const char* key, const char* english, const QStringList& args = {}) const;
  void CreateControls();
  void CreateMenu(TAnalysisChart which);
  void CreateProbe(TAnalysisChart which, QMenu& menu);
  void Arrange();
  QString AskFor(const QString& title, const QString& fileName, const QString& filter);

  TTranslate translate_;
  std::function<Rlc::Positions()> positions_;
  std::function<void(const Rlc::Positions&)> setPositions_;
  TAnalysisCharts charts_;
  Rlc::Experiment experiment_ = Rlc::Experiment::Charged;
  std::array<bool, AnalysisChartCount> shown_{true, true, true, true};
  QComboBox* experimentBox_ = nullptr;
  std::array<QPushButton*, AnalysisPresetCount> presets_{};
  std::array<QCheckBox*, AnalysisChartCount> showBoxes_{};
  std::array<QMenu*, AnalysisChartCount> menus_{};
  std::array<TChartProbe*, AnalysisChartCount> probes_{};
  QGridLayout* grid_ = nullptr;
  QLabel* status_ = nullptr;
  bool restoring_ = false;
};
