#include "AnalysisWindow.h"

#include "Accessibility.h"
#include "ChartExport.h"
#include "ChartProbe.h"
#include "CircuitTables.h"
#include "MessageBox.h"
#include "SampleGrid.h"
#include "SpokenNumbers.h"
#include "TRChart.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const ChartKeys[AnalysisChartCount] = {"ShowTime", "ShowEnergy", "ShowPhase", "ShowResonance"};
const char* const FolderKey = "Analysis/Folder";

} // namespace

TAnalysisWindow::TAnalysisWindow(TTranslate translate, std::function<Rlc::Positions()> positions,
                                 std::function<void(const Rlc::Positions&)> setPositions, QWidget* parent)
    : QWidget(parent, Qt::Window), translate_(std::move(translate)), positions_(std::move(positions)),
      setPositions_(std::move(setPositions)), charts_(this, translate_) {
  setObjectName(QStringLiteral("AnalysisWindow"));
  setWindowTitle(Text("AnalysisTitle", "Circuit analysis"));
  setAccessibleName(windowTitle());
  ExposeAsWindow(*this);
  SetSpokenSeparator(*this, translate_);
  CreateControls();
  for (int k = 0; k < AnalysisChartCount; ++k) CreateMenu(TAnalysisChart(k));
  charts_.Filled = [this](TAnalysisChart which) { probes_[size_t(which)]->Refresh(); };
  AskFileName = [this](const QString& title, const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(this, title, suggested, filter);
  };
  resize(900, 680);
  RestoreSettings();
  Arrange();
}

TAnalysisWindow::~TAnalysisWindow() {
  if (isVisible()) SaveSettings();
}

QString TAnalysisWindow::Text(const char* key, const char* english, const QStringList& args) const {
  return TextOr(translate_, QLatin1String(key), QString::fromUtf8(english), args);
}

void TAnalysisWindow::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  auto* choices = new QHBoxLayout;
  auto* experimentLabel = new QLabel(Text("AnalysisExperiment", "&Experiment:"), this);
  experimentBox_ = new QComboBox(this);
  experimentBox_->setObjectName(QStringLiteral("AnalysisExperimentBox"));
  experimentBox_->addItems({Text("AnalysisCharged", "Charged capacitor (u_C(0) = 1 V, i(0) = 0)"),
                            Text("AnalysisCurrent", "Current in the coil (u_C(0) = 0, same energy)"),
                            Text("AnalysisStep", "Switch on 1 V (step, circuit at rest)")});
  experimentLabel->setBuddy(experimentBox_);
  experimentBox_->setAccessibleName(WithoutMnemonic(experimentLabel->text()));
  connect(experimentBox_, &QComboBox::activated, this, [this](int k) { SetExperiment(Rlc::Experiment(k)); });
  choices->addWidget(experimentLabel);
  choices->addWidget(experimentBox_);
  choices->addSpacing(12);
  choices->addWidget(new QLabel(Text("AnalysisPresets", "Set the scroll bars:"), this));
  const QString presetTexts[] = {Text("AnalysisUndamped", "undamped"), Text("AnalysisRinging", "ringing"),
                                 Text("AnalysisCritical", "critically damped"),
                                 Text("AnalysisOverdamped", "overdamped")};
  for (int k = 0; k < AnalysisPresetCount; ++k) {
    presets_[size_t(k)] = new QPushButton(presetTexts[k], this);
    presets_[size_t(k)]->setObjectName(QStringLiteral("AnalysisPreset%1").arg(k));
    presets_[size_t(k)]->setAccessibleDescription(
        Text("AnalysisPresetDesc", "Sets the main window's scroll bars to this damping regime"));
    connect(presets_[size_t(k)], &QPushButton::clicked, this, [this, k] { ApplyPreset(TAnalysisPreset(k)); });
    choices->addWidget(presets_[size_t(k)]);
  }
  choices->addStretch();
  layout->addLayout(choices);

  auto* shows = new QHBoxLayout;
  shows->addWidget(new QLabel(Text("AnalysisShow", "Charts:"), this));
  const QString chartTexts[] = {Text("AnalysisShowTime", "u_C and i"), Text("AnalysisShowEnergy", "energies"),
                                Text("AnalysisShowPhase", "phase portrait"),
                                Text("AnalysisShowResonance", "resonance curve")};
  for (int k = 0; k < AnalysisChartCount; ++k) {
    auto* box = new QCheckBox(chartTexts[k], this);
    box->setObjectName(QLatin1String(ChartKeys[k]));
    box->setChecked(true);
    box->setAccessibleDescription(Text("AnalysisShowDesc", "Shows or hides this chart"));
    connect(box, &QCheckBox::toggled, this, [this, k](bool on) { SetChartShown(TAnalysisChart(k), on); });
    showBoxes_[size_t(k)] = box;
    shows->addWidget(box);
  }
  shows->addStretch();
  layout->addLayout(shows);

  grid_ = new QGridLayout;
  layout->addLayout(grid_, 1);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("AnalysisStatus"));
  status_->setWordWrap(true);
  status_->setAccessibleName(Text("AnalysisStatusName", "Status"));
  layout->addWidget(status_);
}

void TAnalysisWindow::CreateMenu(TAnalysisChart which) {
  TRChart* chart = charts_.Chart(which);
  auto* menu = new QMenu(this);
  menu->setObjectName(chart->objectName() + QStringLiteral("Menu"));
  auto add = [&](const char* name, const QString& text, auto handler) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
  };
  add("Zoom11", Text("AnalysisZoom11", "Zoom 1:1"), [this, which] { charts_.ZoomAll(which); });
  add("SavePicture", Text("SavePicture", "Save picture …"), [this, which] { SavePicture(which); });
  add("SaveSamples", Text("SaveSamples", "Save samples …"), [this, which] { SaveSamples(which); });
  CreateProbe(which, *menu);
  chart->installEventFilter(this); // a new size places the legend anew
  chart->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(chart, &QWidget::customContextMenuRequested, this,
          [chart, menu](const QPoint& at) { menu->popup(chart->mapToGlobal(at)); });
  menus_[size_t(which)] = menu;
}

// Each chart's curves as the probe reads them: SI values, and the factor to the chart's layer 1.
void TAnalysisWindow::CreateProbe(TAnalysisChart which, QMenu& menu) {
  menu.addSeparator();
  auto* probe = new TChartProbe(*charts_.Chart(which), menu, translate_, AnalysisProbeCrossHair, AnalysisProbeLabel);
  const Rlc::Trajectory& path = charts_.Path();
  const std::vector<Rlc::FrequencyPoint>& f = charts_.Resonance();
  auto samples = [&path] { return path.Size(); };
  const TProbeSeries t{QStringLiteral("t"), QStringLiteral("s"),
                       [](int k) { return Rlc::SampleGrid::Times_us()[k] * 1e-6; }, 1e6};
  const TProbeSeries u{QStringLiteral("u_C"), QStringLiteral("V"), [&path](int k) { return path.u_C_V[size_t(k)]; }};
  const TProbeSeries i{QStringLiteral("i"), QStringLiteral("A"), [&path](int k) { return path.i_A[size_t(k)]; }, 1e3};
  auto energy = [&path](const char* name, auto value) {
    return TProbeSeries{QLatin1String(name), QStringLiteral("J"),
                        [&path, value](int k) { return value(path, size_t(k)); }, 1e9};
  };
  switch (which) {
  case TAnalysisChart::Time: probe->SetCurves(samples, t, {u, i}, TChartProbe::TNearest::X); break;
  case TAnalysisChart::Energy:
    probe->SetCurves(samples, t,
                     {energy("E_C", [](const Rlc::Trajectory& p, size_t k) { return p.E_C_J[k]; }),
                      energy("E_L", [](const Rlc::Trajectory& p, size_t k) { return p.E_L_J[k]; }),
                      energy("E_C+E_L", [](const Rlc::Trajectory& p, size_t k) { return p.E_C_J[k] + p.E_L_J[k]; }),
                      energy("E_R", [](const Rlc::Trajectory& p, size_t k) { return p.E_R_J[k]; })},
                     TChartProbe::TNearest::X);
    break;
  case TAnalysisChart::Phase: probe->SetCurves(samples, u, {i, t}, TChartProbe::TNearest::Screen); break;
  case TAnalysisChart::Resonance:
    probe->SetCurves([&f] { return int(f.size()); },
                     {QStringLiteral("f"), QStringLiteral("Hz"), [&f](int k) { return f[size_t(k)].f_Hz; }},
                     {{QStringLiteral("|U_C/U_e|"), QStringLiteral("V/V"),
                       [&f](int k) { return f[size_t(k)].GainUC; }, 1, false},
                      {QStringLiteral("|I/U_e|"), QStringLiteral("A/V"),
                       [&f](int k) { return f[size_t(k)].I_A_per_V; }, 1e3},
                      {QString::fromUtf8("φ"), QString::fromUtf8("°"),
                       [&f](int k) { return f[size_t(k)].PhaseUC_deg; }, 1, false}},
                     TChartProbe::TNearest::X);
    break;
  }
  probes_[size_t(which)] = probe;
}

// The shown charts fill the grid two by two in their order.
void TAnalysisWindow::Arrange() {
  int n = 0;
  for (int k = 0; k < AnalysisChartCount; ++k) {
    TRChart* chart = charts_.Chart(TAnalysisChart(k));
    grid_->removeWidget(chart);
    chart->setVisible(shown_[size_t(k)]);
    if (!shown_[size_t(k)]) continue;
    grid_->addWidget(chart, n / 2, n % 2);
    ++n;
  }
}

void TAnalysisWindow::Follow() {
  if (!isVisible()) return;
  charts_.Fill(positions_(), experiment_, shown_);
}

// Also called on every new curve with the same sample: the charts' own redraw then shows it.
void TAnalysisWindow::MarkSample(int k) {
  const bool moved = k != charts_.RequestedSample();
  charts_.MarkSample(k);
  if (!moved || !isVisible()) return;
  for (TAnalysisChart which : {TAnalysisChart::Time, TAnalysisChart::Phase})
    if (shown_[size_t(which)]) charts_.Chart(which)->ShowItems(); // the marks lie in the data area
}

void TAnalysisWindow::SetExperiment(Rlc::Experiment e) {
  experiment_ = e;
  experimentBox_->setCurrentIndex(int(e));
  if (!restoring_) SaveSettings();
  Follow();
}

void TAnalysisWindow::SetChartShown(TAnalysisChart which, bool on) {
  if (shown_[size_t(which)] == on) return;
  shown_[size_t(which)] = on;
  showBoxes_[size_t(which)]->setChecked(on);
  Arrange();
  if (!restoring_) SaveSettings();
  Follow();
}

void TAnalysisWindow::ApplyPreset(TAnalysisPreset preset) {
  const Rlc::Positions before = positions_();
  const TPresetResult r = PresetPositions(preset, before);
  const Rlc::Quantities q = Rlc::QuantitiesAt(r.Positions);
  QString text = Text("AnalysisPresetDone", "<%1%>: R = <%2%> Ohm, critical resistance <%3%> Ohm.",
                      {WithoutMnemonic(presets_[size_t(preset)]->text()), QString::number(r.Positions.R / 100.0, 'f', 2),
                       QString::number(q.RCrit_Ohm, 'f', 2)});
  if (r.MovedC)
    text += QLatin1Char(' ') + Text("AnalysisPresetMovedC",
                                    "C was raised to <%1%> nF so that the regime lies within the R bar's 100 Ohm.",
                                    {QString::number(r.Positions.C / 100.0, 'f', 2)});
  if (r.MovedL)
    text += QLatin1Char(' ') + Text("AnalysisPresetMovedL", "L was set to <%1%> µH to reach the regime.",
                                    {QString::number(r.Positions.L / 100.0, 'f', 2)});
  // The R bar's steps seldom meet R_crit exactly: say how near the nearest one comes.
  if (preset == TAnalysisPreset::Critical && q.Kind != Rlc::Regime::Critical)
    text += QLatin1Char(' ') +
            Text(q.Kind == Rlc::Regime::Overdamped ? "AnalysisPresetNearOver" : "AnalysisPresetNearUnder",
                 q.Kind == Rlc::Regime::Overdamped
                     ? "R_crit = <%1%> Ohm lies between two 0.01 Ohm steps of the R bar: at the nearest the "
                       "circuit is just overdamped."
                     : "R_crit = <%1%> Ohm lies between two 0.01 Ohm steps of the R bar: at the nearest the "
                       "circuit is just underdamped.",
                 {QString::number(q.RCrit_Ohm, 'f', 4)});
  status_->setText(text);
  // The label is named "Status"; screen readers read the text in its description.
  status_->setAccessibleDescription(SpokenNumbers(*status_, text));
  setPositions_(r.Positions);
}

QString TAnalysisWindow::StatusText() const { return status_->text(); }

QString TAnalysisWindow::AskFor(const QString& title, const QString& fileName, const QString& filter) {
  QSettings settings = Settings();
  QString folder = settings.value(QLatin1String(FolderKey)).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QString t = WithoutMnemonic(title);
  t.remove(QChar(0x2026));
  QString name = AskFileName(t.trimmed(), QDir(folder).filePath(fileName), filter);
  if (name.isEmpty()) return name;
  if (QFileInfo(name).suffix().isEmpty()) name += fileName.mid(fileName.lastIndexOf(QLatin1Char('.')));
  settings.setValue(QLatin1String(FolderKey), QFileInfo(name).absolutePath());
  return name;
}

void TAnalysisWindow::SavePicture(TAnalysisChart which) {
  const QString filter = Text("PictureFiles", "PNG picture (*.png);;SVG vector picture (*.svg);;PDF document (*.pdf)");
  TRChart* chart = charts_.Chart(which);
  const QString name = AskFor(Text("SavePicture", "Save picture …"), chart->objectName() + QStringLiteral(".png"), filter);
  if (name.isEmpty()) return;
  try {
    SaveChartPicture(*chart, name);
  } catch (const ESaveError& e) {
    ShowMessageBox(TMessageKind::Error,
                   Text("SaveFailed", "Cannot save \"<%1%>\":\n<%2%>", {e.FileName, e.Reason}), this);
  }
}

// The same columns as the command line: --csv F --experiment X, or --resonance.
void TAnalysisWindow::SaveSamples(TAnalysisChart which) {
  const bool resonance = which == TAnalysisChart::Resonance;
  const QString suggested = resonance ? QStringLiteral("resonance.csv")
                                      : QLatin1String(Rlc::ExperimentName(experiment_)) + QStringLiteral(".csv");
  const QString name = AskFor(Text("SaveSamples", "Save samples …"), suggested,
                              Text("SampleFiles", "CSV table (*.csv)"));
  if (name.isEmpty()) return;
  const Rlc::Positions p = positions_();
  try {
    SaveTable(resonance ? ResonanceCsv(p) : ExperimentCsv(p, experiment_), name);
  } catch (const ESaveError& e) {
    ShowMessageBox(TMessageKind::Error,
                   Text("SaveFailed", "Cannot save \"<%1%>\":\n<%2%>", {e.FileName, e.Reason}), this);
  }
}

QSettings TAnalysisWindow::Settings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kalvora"), QStringLiteral("Kalvora"));
}

void TAnalysisWindow::SaveSettings() const {
  QSettings settings = Settings();
  settings.beginGroup(QStringLiteral("Analysis"));
  settings.setValue(QStringLiteral("Geometry"), saveGeometry());
  settings.setValue(QStringLiteral("Experiment"), QLatin1String(Rlc::ExperimentName(experiment_)));
  for (int k = 0; k < AnalysisChartCount; ++k) settings.setValue(QLatin1String(ChartKeys[k]), shown_[size_t(k)]);
}

// Values that cannot be read leave the defaults.
void TAnalysisWindow::RestoreSettings() {
  restoring_ = true;
  QSettings settings = Settings();
  settings.beginGroup(QStringLiteral("Analysis"));
  const QByteArray geometry = settings.value(QStringLiteral("Geometry")).toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  Rlc::Experiment e = Rlc::Experiment::Charged;
  const QByteArray name = settings.value(QStringLiteral("Experiment")).toString().toLatin1();
  if (Rlc::ExperimentNamed(name.constData(), e)) SetExperiment(e);
  for (int k = 0; k < AnalysisChartCount; ++k) {
    const QVariant v = settings.value(QLatin1String(ChartKeys[k]));
    if (v.isValid()) SetChartShown(TAnalysisChart(k), v.toBool());
  }
  restoring_ = false;
}

// A chart of a new size is drawn anew once the layout has settled (its legend keeps to
// the data area's corner, its columns to the pixels).
bool TAnalysisWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize)
    for (int k = 0; k < AnalysisChartCount; ++k)
      if (watched == charts_.Chart(TAnalysisChart(k)))
        QTimer::singleShot(0, this, [this, k] {
          const auto which = TAnalysisChart(k);
          const TRChart* chart = charts_.Chart(which);
          if (isVisible() && shown_[size_t(k)] && chart->size() != charts_.FilledSize(which)) charts_.Refill(which);
        });
  return QWidget::eventFilter(watched, event);
}

void TAnalysisWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Follow();
}

// Escape that no control took closes the window (measuring in a chart takes it first);
// not while a zoom band is drawn, which would be left unfinished.
void TAnalysisWindow::keyPressEvent(QKeyEvent* event) {
  bool zooming = false;
  for (int k = 0; k < AnalysisChartCount; ++k)
    zooming = zooming || charts_.Chart(TAnalysisChart(k))->ZoomState() != TCustomRChart::zsNormal;
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !zooming) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TAnalysisWindow::hideEvent(QHideEvent* event) {
  SaveSettings();
  QWidget::hideEvent(event);
}
