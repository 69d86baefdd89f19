// The circuit analysis window: opened from the main window's pop-up, it follows
// the scroll bars and the measuring cursor; its axes carry units; the experiment
// sets the start; the presets reach their regime; the resonance chart marks the
// model's f0; its choices are remembered; its sample files have the command line's columns;
// a screen reader finds it named and complete, its numbers in the table's language.
#include "AnalysisFeature.h"
#include "AnalysisPresets.h"
#include "AnalysisWindow.h"
#include "ChartAccessible.h"
#include "ChartProbe.h"
#include "CircuitTables.h"
#include "FeatureContext.h"
#include "MeasureCursor.h"
#include "Pixels.h"
#include "ReadoutNumber.h"
#include "SampleGrid.h"
#include "TForm1.h"
#include "TLexivaran2000.h"
#include "TRChart.h"
#include "Tables.h"
#include "TkdbDemonClient.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

namespace {

struct AnalysisWindowTest : ::testing::Test {
  QTemporaryDir settingsDir;
  AnalysisWindowTest() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path()); }

  // Opens the window of a shown main window through its pop-up item.
  static TAnalysisWindow& Open(TForm1& form) {
    form.show();
    QCoreApplication::processEvents();
    QAction* item = nullptr;
    for (QAction* a : form.PopupMenu1->actions())
      if (a->objectName() == "Analysis") item = a;
    EXPECT_NE(item, nullptr);
    item->trigger();
    QCoreApplication::processEvents();
    return *form.Analysis->Window();
  }
  static TRChart& Chart(TAnalysisWindow& w, TAnalysisChart which) { return *w.Charts().Chart(which); }
};

TEST_F(AnalysisWindowTest, OpensFromThePopupAndByItsKeyAndFollowsTheScrollBars) {
  TForm1 form;
  EXPECT_EQ(form.Analysis->Window(), nullptr); // nothing before the user asks
  EXPECT_EQ(form.Analysis->Action()->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  TAnalysisWindow& w = Open(form);
  ASSERT_TRUE(w.isVisible());
  const auto& path = w.Charts().Path();
  ASSERT_EQ(path.Size(), Rlc::SampleGrid::Samples);
  const double before = path.u_C_V[500];
  form.SBarL->setValue(2000); // the main window's step redraws the analysis too
  const Rlc::Circuit c = Rlc::CircuitAt({470, 220, 2000});
  const Rlc::State want = Rlc::StateAt(c, Rlc::StartOf(Rlc::Experiment::Charged, c), 500e-9);
  EXPECT_NE(path.u_C_V[500], before);
  EXPECT_NEAR(path.u_C_V[500], want.u_C_V, 1e-12);
  EXPECT_NEAR(path.E_R_J[500], want.E_R_J, 1e-12 * c.C_F);
  // The time chart draws u_C (blue) and i in mA (red), each with its extremes kept by
  // the column reduction, from t = 0 to 10 us.
  TRChart& time = Chart(w, TAnalysisChart::Time);
  ASSERT_LT(time.ItemCount(), Rlc::SampleGrid::Samples);
  double uMax = -1, iMin = 1;
  for (int k = 0; k < time.ItemCount(); ++k) {
    const TDisplayItem item = time.Item(k);
    if (item.Color == clBlue) uMax = std::max(uMax, item.Y);
    else iMin = std::min(iMin, item.Y);
  }
  EXPECT_EQ(uMax, *std::max_element(path.u_C_V.begin(), path.u_C_V.end()));
  EXPECT_DOUBLE_EQ(iMin, *std::min_element(path.i_A.begin(), path.i_A.end()) * 1e3);
  EXPECT_EQ(time.Item(0).X, 0.0);
  EXPECT_EQ(time.Item(time.ItemCount() - 1).X, 10.0);
  // Hidden, it computes nothing.
  w.hide();
  form.SBarL->setValue(1000);
  EXPECT_NEAR(path.u_C_V[500], want.u_C_V, 1e-12);
}

TEST_F(AnalysisWindowTest, AxesCarryQuantityAndUnitAndChartsHaveNamesAndSummaries) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  auto caption = [&](TAnalysisChart which, bool x, int layer) {
    TRChart& c = Chart(w, which);
    return (x ? c.ScalePropsX(layer)->Caption() : c.ScalePropsY(layer)->Caption()).toStdString();
  };
  EXPECT_EQ(caption(TAnalysisChart::Time, true, 1), "time t (µs)");
  EXPECT_EQ(caption(TAnalysisChart::Time, false, 1), "voltage u_C (V)");
  EXPECT_EQ(caption(TAnalysisChart::Time, false, 2), "current i (mA)");
  EXPECT_EQ(caption(TAnalysisChart::Energy, false, 1), "energy E (nJ)");
  EXPECT_EQ(caption(TAnalysisChart::Phase, true, 1), "voltage u_C (V)");
  EXPECT_EQ(caption(TAnalysisChart::Phase, false, 1), "current i (mA)");
  EXPECT_EQ(caption(TAnalysisChart::Resonance, true, 1), "frequency f (Hz)");
  EXPECT_EQ(caption(TAnalysisChart::Resonance, false, 2), "current |I/U_e| (mA/V)");
  EXPECT_EQ(caption(TAnalysisChart::Resonance, false, 3), "phase φ (°)");
  EXPECT_TRUE(Chart(w, TAnalysisChart::Resonance).ScalePropsX(1)->Logarithmic());
  for (int k = 0; k < AnalysisChartCount; ++k) {
    TRChart& c = Chart(w, TAnalysisChart(k));
    EXPECT_FALSE(c.accessibleName().isEmpty()) << k;
    EXPECT_FALSE(c.AccessibleSummary().isEmpty()) << k;
    EXPECT_TRUE(c.TextLabel(1)->Visible()) << k; // the legend
  }
  EXPECT_TRUE(Chart(w, TAnalysisChart::Energy).AccessibleSummary().contains("nJ"));
}

TEST_F(AnalysisWindowTest, TheExperimentSetsTheStartAndTheEnergiesBalance) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  const auto& path = w.Charts().Path();
  const Rlc::Circuit c = Rlc::CircuitAt({470, 220, 1000});
  EXPECT_EQ(path.u_C_V[0], 1.0);
  EXPECT_EQ(path.i_A[0], 0.0);
  w.SetExperiment(Rlc::Experiment::Current);
  EXPECT_EQ(path.u_C_V[0], 0.0);
  EXPECT_NEAR(c.L_H * path.i_A[0] * path.i_A[0] / 2, c.C_F / 2, 1e-15 * c.C_F); // the same energy
  w.SetExperiment(Rlc::Experiment::Step);
  EXPECT_EQ(path.u_C_V[0], 0.0);
  EXPECT_EQ(path.i_A[0], 0.0);
  EXPECT_GT(path.u_C_V[5000], 0.5); // towards the source's 1 V
  w.SetExperiment(Rlc::Experiment::Charged);
  // The stored energy falls as e^(-2 delta t); what it loses is the heat.
  const double delta = Rlc::QuantitiesAt({470, 220, 1000}).Delta_per_s;
  const double e0 = path.E_C_J[0] + path.E_L_J[0];
  for (size_t k : {1000u, 5000u, 10000u}) {
    const double stored = path.E_C_J[k] + path.E_L_J[k];
    EXPECT_NEAR(stored + path.E_R_J[k], e0, 1e-12 * e0);
    // Averaged over an oscillation the decay is e^(-2 delta t); at one instant within a factor of it.
    EXPECT_NEAR(std::log(stored / e0), -2 * delta * k * 1e-9, 0.05) << k;
  }
}

TEST_F(AnalysisWindowTest, PresetsReachTheirRegime) {
  using R = Rlc::Regime;
  const std::pair<TAnalysisPreset, R> wanted[] = {{TAnalysisPreset::Undamped, R::Undamped},
                                                  {TAnalysisPreset::Ringing, R::Underdamped},
                                                  {TAnalysisPreset::Critical, R::Critical},
                                                  {TAnalysisPreset::Overdamped, R::Overdamped}};
  // The designed values, the largest R_crit (C small, L large) and the smallest.
  for (const Rlc::Positions start : {Rlc::Positions{470, 220, 1000}, Rlc::Positions{100, 10, 5000},
                                     Rlc::Positions{0, 5000, 10}, Rlc::Positions{5000, 1000, 1000}})
    for (auto [preset, regime] : wanted) {
      const TPresetResult r = PresetPositions(preset, start);
      ASSERT_TRUE(Rlc::InRange(r.Positions));
      const Rlc::Quantities q = Rlc::QuantitiesAt(r.Positions);
      if (preset == TAnalysisPreset::Critical && q.Kind != R::Critical) { // the R bar's nearest step
        EXPECT_NE(q.Kind, R::Undamped);
        EXPECT_LE(std::fabs(r.Positions.R / 100.0 - q.RCrit_Ohm), 0.005) << start.R << "," << start.C << "," << start.L;
      } else {
        EXPECT_EQ(q.Kind, regime) << int(preset) << " from " << start.R << "," << start.C << "," << start.L;
      }
      if (!r.MovedC) { EXPECT_EQ(r.Positions.C, start.C); }
      if (!r.MovedL) { EXPECT_EQ(r.Positions.L, start.L); }
    }
  // Where R_crit is beyond 100 Ohm (about 447 Ohm here), C is moved, and the window says so.
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  form.SBarC->setValue(10);
  w.ApplyPreset(TAnalysisPreset::Overdamped);
  EXPECT_EQ(Rlc::QuantitiesAt({form.SBarR->value(), form.SBarC->value(), form.SBarL->value()}).Kind, R::Overdamped);
  EXPECT_GT(form.SBarC->value(), 10);
  EXPECT_TRUE(w.StatusText().contains("C was raised")) << w.StatusText().toStdString();
  // The main window's curve and the analysis follow the preset.
  EXPECT_NEAR(w.Charts().Path().u_C_V[500],
              Rlc::StateAt(Rlc::CircuitAt({form.SBarR->value(), form.SBarC->value(), form.SBarL->value()}),
                           {1, 0, 0}, 500e-9).u_C_V, 1e-12);
}

TEST_F(AnalysisWindowTest, TheResonanceChartMarksTheModelsF0AndBand) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  for (const Rlc::Positions p : {Rlc::Positions{470, 220, 1000}, Rlc::Positions{0, 1000, 300}}) {
    form.SBarR->setValue(p.R);
    form.SBarC->setValue(p.C);
    form.SBarL->setValue(p.L);
    const Rlc::Quantities q = Rlc::QuantitiesAt(p);
    TRChart& c = Chart(w, TAnalysisChart::Resonance);
    EXPECT_EQ(c.CrossHair(1)->PosX(), q.F0_Hz);
    EXPECT_EQ(w.Charts().Resonance()[500].f_Hz, q.F0_Hz);
    if (p.R > 0) {
      EXPECT_EQ(c.CrossHair(2)->PosX(), q.FLower_Hz);
      EXPECT_EQ(c.CrossHair(3)->PosX(), q.FUpper_Hz);
    } else {
      EXPECT_EQ(c.CrossHair(2)->Mode(), ChartTypes::chOff); // no band without damping
    }
    EXPECT_EQ(c.ItemCount(), 3 * ResonancePoints);
    // The curves (over log10 f) meet the logarithmic axis and the marks pixel for pixel.
    for (int layer : {2, 3, 4})
      for (double f : {q.F0_Hz / 100, q.F0_Hz / 7, q.F0_Hz, q.F0_Hz * 31, q.F0_Hz * 100})
        EXPECT_NEAR(c.MapToPixel(layer, std::log10(f), 0).x(), c.MapToPixel(1, f, 1).x(), 1) << layer << " " << f;
    for (int k = 0; k < c.ItemCount(); ++k) ASSERT_TRUE(std::isfinite(c.Item(k).Y)) << k; // R = 0: peak clipped
  }
}

TEST_F(AnalysisWindowTest, TheMeasuringCursorsStateIsMarkedInThePhasePortrait) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  TRChart& phase = Chart(w, TAnalysisChart::Phase);
  EXPECT_EQ(phase.CrossHair(1)->Mode(), ChartTypes::chOff);
  form.Measure->SetActive(true);
  form.Measure->MoveCursorToTime(2.5);
  ASSERT_EQ(w.Charts().MarkedSample(), 2500);
  EXPECT_EQ(phase.CrossHair(1)->Mode(), ChartTypes::chBoth);
  EXPECT_EQ(phase.CrossHair(1)->PosX(), w.Charts().Path().u_C_V[2500]);
  EXPECT_DOUBLE_EQ(phase.CrossHair(1)->PosY(), w.Charts().Path().i_A[2500] * 1e3);
  form.SBarR->setValue(900); // a new curve: the mark follows the state at the same time
  EXPECT_EQ(phase.CrossHair(1)->PosX(), w.Charts().Path().u_C_V[2500]);
  form.Measure->SetActive(false);
  EXPECT_EQ(phase.CrossHair(1)->Mode(), ChartTypes::chOff);
}

TEST_F(AnalysisWindowTest, AStateMeasuredBeforeTheWindowOpensIsMarkedFromTheStart) {
  TForm1 other;
  other.show();
  QCoreApplication::processEvents();
  other.Measure->SetActive(true);
  other.Measure->MoveCursorToTime(1.0);
  TAnalysisWindow& second = Open(other);
  EXPECT_EQ(second.Charts().MarkedSample(), 1000);
  EXPECT_EQ(Chart(second, TAnalysisChart::Phase).CrossHair(1)->Mode(), ChartTypes::chBoth);
}

TEST_F(AnalysisWindowTest, ChoicesAreRememberedAndUnreadableOnesLeaveTheDefaults) {
  {
    TForm1 form;
    TAnalysisWindow& w = Open(form);
    w.SetExperiment(Rlc::Experiment::Step);
    w.SetChartShown(TAnalysisChart::Energy, false);
    w.setGeometry(40, 50, 1000, 720);
    w.close();
  }
  {
    TForm1 form;
    TAnalysisWindow& w = Open(form);
    EXPECT_EQ(w.Experiment(), Rlc::Experiment::Step);
    EXPECT_FALSE(w.ChartShown(TAnalysisChart::Energy));
    EXPECT_FALSE(Chart(w, TAnalysisChart::Energy).isVisible());
    EXPECT_TRUE(w.ChartShown(TAnalysisChart::Phase));
    EXPECT_EQ(w.size(), QSize(1000, 720));
    EXPECT_EQ(w.Charts().Path().u_C_V[0], 0.0);
  }
  {
    QSettings s = TAnalysisWindow::Settings();
    s.setValue("Analysis/Experiment", "sideways");
    s.setValue("Analysis/Geometry", QByteArray("garbage"));
  }
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  EXPECT_EQ(w.Experiment(), Rlc::Experiment::Charged);
}

TEST_F(AnalysisWindowTest, SavedSamplesHaveTheCommandLinesColumns) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  QTemporaryDir dir;
  QString asked;
  w.AskFileName = [&](const QString&, const QString& suggested, const QString&) {
    asked = suggested;
    return dir.filePath(QFileInfo(suggested).fileName());
  };
  w.SetExperiment(Rlc::Experiment::Current);
  w.SaveSamples(TAnalysisChart::Phase);
  QFile file(dir.filePath("current.csv"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << asked.toStdString();
  EXPECT_EQ(file.readAll(), ExperimentCsv({470, 220, 1000}, Rlc::Experiment::Current));
  w.SaveSamples(TAnalysisChart::Resonance);
  QFile resonance(dir.filePath("resonance.csv"));
  ASSERT_TRUE(resonance.open(QIODevice::ReadOnly));
  const QByteArray text = resonance.readAll();
  EXPECT_EQ(text, ResonanceCsv({470, 220, 1000}));
  EXPECT_TRUE(text.contains("f_Hz,gain_UC,phase_UC_deg,I_mA_per_V,phase_I_deg\n"));
  w.SavePicture(TAnalysisChart::Energy);
  EXPECT_TRUE(QFileInfo(dir.filePath("AnalysisEnergy.png")).size() > 0);
  // Each chart's pop-up: Zoom 1:1, the two savings and, apart, measuring.
  QStringList names;
  for (QAction* a : w.ChartMenu(TAnalysisChart::Time)->actions()) names << a->objectName();
  EXPECT_EQ(names, (QStringList{"Zoom11", "SavePicture", "SaveSamples", "", "Measure"}));
}

TEST_F(AnalysisWindowTest, ZoomIsKeptWhileFollowingUntilZoom11) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  TRChart& time = Chart(w, TAnalysisChart::Time);
  time.SetLayerRange(1, 2, -0.5, 3, 0.5);
  time.OnZoomPan(&time); // as the mouse's zoom reports it
  form.SBarR->setValue(1000);
  EXPECT_EQ(time.ScalePropsX(1)->RangeLow(), 2);
  QCoreApplication::processEvents(); // zoomed in, the chart gets every sample
  EXPECT_EQ(time.ItemCount(), 2 * Rlc::SampleGrid::Samples);
  w.ChartMenu(TAnalysisChart::Time)->actions()[0]->trigger();
  EXPECT_LT(time.ItemCount(), Rlc::SampleGrid::Samples);
  EXPECT_EQ(time.ScalePropsX(1)->RangeLow(), 0);
  EXPECT_EQ(time.ScalePropsX(1)->RangeHigh(), 10);
}

// Measuring in the analysis charts: a left click puts the cursor on the nearest sample.
void Click(TRChart& chart, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, chart.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&chart, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, chart.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&chart, &release);
}

void Key(TRChart& chart, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(&chart, &press);
}

QAction* MeasureItem(TAnalysisWindow& w, TAnalysisChart which) {
  for (QAction* a : w.ChartMenu(which)->actions())
    if (a->objectName() == "Measure") return a;
  return nullptr;
}

TEST_F(AnalysisWindowTest, MeasuringInTheTimeChartReadsTheNearestSampleAndFollowsKeysAndRecomputes) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  TRChart& c = Chart(w, TAnalysisChart::Time);
  TChartProbe& probe = *w.Probe(TAnalysisChart::Time);
  QAction* item = MeasureItem(w, TAnalysisChart::Time);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->isCheckable());
  EXPECT_EQ(c.CrossHair(AnalysisProbeCrossHair)->Mode(), ChartTypes::chOff); // nothing before it is on
  EXPECT_FALSE(c.TextLabel(AnalysisProbeLabel)->Visible());

  Click(c, c.MapToPixel(1, 2.5, 0)); // off: a click does not measure
  EXPECT_EQ(probe.Sample(), -1);
  item->trigger();
  ASSERT_TRUE(probe.Active());
  const QPoint at = c.MapToPixel(1, 2.5, 0);
  Click(c, at);
  const int want = int(std::lround(c.MapToWorld(1, at.x(), at.y()).x() * 1000)); // 1 ns per sample
  ASSERT_EQ(probe.Sample(), want);
  const auto& path = w.Charts().Path();
  auto expectReadout = [&](int k) {
    const QString text = c.TextLabel(AnalysisProbeLabel)->Caption();
    EXPECT_TRUE(c.TextLabel(AnalysisProbeLabel)->Visible());
    EXPECT_TRUE(text.contains("t = " + QuantityText(k * 1e-9, "s"))) << text.toStdString();
    EXPECT_TRUE(text.contains("u_C = " + QuantityText(path.u_C_V[size_t(k)], "V"))) << text.toStdString();
    EXPECT_TRUE(text.contains("i = " + QuantityText(path.i_A[size_t(k)], "A"))) << text.toStdString();
    EXPECT_EQ(c.CrossHair(AnalysisProbeCrossHair)->Mode(), ChartTypes::chVert);
    EXPECT_DOUBLE_EQ(c.CrossHair(AnalysisProbeCrossHair)->PosX(), Rlc::SampleGrid::Times_us()[k]);
  };
  expectReadout(want);
  EXPECT_TRUE(c.TextLabel(AnalysisProbeLabel)->Caption().contains("mA"));
  const QString spoken = TChartAccessible::LabelTexts(c).join(" "); // what a screen reader reads
  EXPECT_TRUE(spoken.contains("u_C = " + QuantityText(path.u_C_V[size_t(want)], "V")));

  Key(c, Qt::Key_Right);
  Key(c, Qt::Key_Right);
  Key(c, Qt::Key_Left);
  EXPECT_EQ(probe.Sample(), want + 1);
  expectReadout(want + 1);
  probe.MoveTo(0);
  Key(c, Qt::Key_Left); // stays at the first sample
  EXPECT_EQ(probe.Sample(), 0);
  probe.MoveTo(want);

  const double before = path.u_C_V[size_t(want)];
  form.SBarR->setValue(900); // the curves are computed anew: same sample, new values
  ASSERT_NE(path.u_C_V[size_t(want)], before);
  EXPECT_EQ(probe.Sample(), want);
  expectReadout(want);

  Key(c, Qt::Key_Escape);
  EXPECT_FALSE(probe.Active());
  EXPECT_FALSE(item->isChecked());
  EXPECT_EQ(c.CrossHair(AnalysisProbeCrossHair)->Mode(), ChartTypes::chOff);
  EXPECT_FALSE(c.TextLabel(AnalysisProbeLabel)->Visible());
  EXPECT_EQ(c.MouseAction(), ChartTypes::maZoomWindPos); // the chart's zoom is back
}

TEST_F(AnalysisWindowTest, MeasuringInThePhasePortraitAndResonanceCurveAndUnchecking) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  const auto& path = w.Charts().Path();

  TRChart& phase = Chart(w, TAnalysisChart::Phase);
  TChartProbe& p = *w.Probe(TAnalysisChart::Phase);
  MeasureItem(w, TAnalysisChart::Phase)->trigger();
  const QPoint at = phase.MapToPixel(1, path.u_C_V[3000], path.i_A[3000] * 1e3);
  Click(phase, at);
  ASSERT_GE(p.Sample(), 0);
  const size_t k = size_t(p.Sample());
  EXPECT_EQ(phase.MapToPixel(1, path.u_C_V[k], path.i_A[k] * 1e3), at); // nearest on screen
  EXPECT_EQ(phase.CrossHair(AnalysisProbeCrossHair)->Mode(), ChartTypes::chBoth);
  EXPECT_DOUBLE_EQ(phase.CrossHair(AnalysisProbeCrossHair)->PosY(), path.i_A[k] * 1e3);
  EXPECT_TRUE(phase.TextLabel(AnalysisProbeLabel)->Caption().contains("u_C = " + QuantityText(path.u_C_V[k], "V")));

  TRChart& res = Chart(w, TAnalysisChart::Resonance);
  TChartProbe& r = *w.Probe(TAnalysisChart::Resonance);
  QAction* item = MeasureItem(w, TAnalysisChart::Resonance);
  item->trigger();
  const auto& f = w.Charts().Resonance();
  Click(res, res.MapToPixel(1, f[500].f_Hz, 0)); // f0 lies at sample 500
  ASSERT_NEAR(r.Sample(), 500, 3);
  const size_t s = size_t(r.Sample());
  const QString text = res.TextLabel(AnalysisProbeLabel)->Caption();
  EXPECT_TRUE(text.contains("f = " + FrequencyText(f[s].f_Hz))) << text.toStdString();
  EXPECT_TRUE(text.contains("|I/U_e| = " + QuantityText(f[s].I_A_per_V, "A/V"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("φ = ") + PlainNumberText(f[s].PhaseUC_deg))) << text.toStdString();
  EXPECT_EQ(p.Sample(), int(k)); // each chart measures on its own

  item->trigger(); // unchecking ends it
  EXPECT_FALSE(r.Active());
  EXPECT_EQ(res.CrossHair(AnalysisProbeCrossHair)->Mode(), ChartTypes::chOff);
  EXPECT_FALSE(res.TextLabel(AnalysisProbeLabel)->Visible());
  EXPECT_NE(res.CrossHair(1)->Mode(), ChartTypes::chOff); // f0's mark stays
}

// R_crit = 2 sqrt(L/C), worked out by hand for each start (C in nF, L in uH).
TEST_F(AnalysisWindowTest, TheCriticalPresetKeepsCAndLAndSetsRToRCrit) {
  struct Case {
    Rlc::Positions start, want;
    bool movedC;
  };
  const Case cases[] = {
      // C 10, L 1: R_crit = 2 sqrt(1e-6 / 1e-8) = 20 Ohm.
      {{100, 1000, 100}, {2000, 1000, 100}, false},
      // C 10, L 10: 2 sqrt(1000) = 63.2456 Ohm, between the steps 63.24 and 63.25.
      {{5000, 1000, 1000}, {6325, 1000, 1000}, false},
      // C 50, L 0.1: 2 sqrt(2) = 2.8284 Ohm.
      {{0, 5000, 10}, {283, 5000, 10}, false},
      // C 0.5, L 0.1: 2 sqrt(200) = 28.2843 Ohm.
      {{9000, 50, 10}, {2828, 50, 10}, false},
      // The designed C 2.2, L 10: 134.84 Ohm is beyond the bar; C = 4 nF is the least that
      // brings it to 100 Ohm (3.99 nF would need 100.125).
      {{470, 220, 1000}, {10000, 400, 1000}, true},
      // C 0.1, L 50: 1414 Ohm; C = 20 nF gives 2 sqrt(50e-6 / 20e-9) = 100 Ohm.
      {{470, 10, 5000}, {10000, 2000, 5000}, true},
  };
  for (const Case& k : cases) {
    const TPresetResult r = PresetPositions(TAnalysisPreset::Critical, k.start);
    EXPECT_EQ(r.Positions, k.want) << r.Positions.R << "," << r.Positions.C << "," << r.Positions.L;
    EXPECT_EQ(r.MovedC, k.movedC) << k.start.R;
    EXPECT_FALSE(r.MovedL) << k.start.R;
  }
  // 20 Ohm and 100 Ohm lie on steps: delta = R/2L equals omega0 = 1/sqrt(LC) exactly.
  EXPECT_EQ(Rlc::QuantitiesAt({2000, 1000, 100}).Kind, Rlc::Regime::Critical);
  EXPECT_EQ(Rlc::QuantitiesAt({10000, 400, 1000}).Kind, Rlc::Regime::Critical);

  // Between two steps the readout says how near the nearest comes.
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  form.SBarC->setValue(5000);
  form.SBarL->setValue(10);
  w.ApplyPreset(TAnalysisPreset::Critical);
  EXPECT_EQ(form.SBarR->value(), 283);
  EXPECT_EQ(form.SBarL->value(), 10);
  EXPECT_TRUE(w.StatusText().contains("2.8284 Ohm")) << w.StatusText().toStdString();
  EXPECT_TRUE(w.StatusText().contains("just overdamped")) << w.StatusText().toStdString();
  form.SBarC->setValue(1000);
  form.SBarL->setValue(100);
  w.ApplyPreset(TAnalysisPreset::Critical);
  EXPECT_EQ(form.SBarR->value(), 2000);
  EXPECT_FALSE(w.StatusText().contains("just")) << w.StatusText().toStdString();
  EXPECT_FALSE(w.StatusText().contains("raised")) << w.StatusText().toStdString();
}

// The legend's lines that are shown, in order.
QStringList ShownLegend(TRChart& chart) {
  QStringList lines;
  for (int n = 1; n <= 8; ++n)
    if (chart.TextLabel(n)->Visible() && chart.TextLabel(n)->Mode() != ChartTypes::tlOff)
      lines << chart.TextLabel(n)->Caption();
  return lines;
}

TEST_F(AnalysisWindowTest, ALegendListsOnlyWhatIsDrawn) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  TRChart& phase = Chart(w, TAnalysisChart::Phase);
  EXPECT_EQ(ShownLegend(phase), QStringList{QString::fromUtf8("i over u_C, 0 … 10 µs")}); // nobody measures
  form.Measure->SetActive(true);
  form.Measure->MoveCursorToTime(2.5);
  ASSERT_EQ(phase.CrossHair(1)->Mode(), ChartTypes::chBoth);
  EXPECT_EQ(ShownLegend(phase).size(), 2);
  EXPECT_EQ(ShownLegend(phase).value(1), "state at the measuring cursor");
  form.SBarR->setValue(900); // drawn anew while measuring: the mark and its line stay
  EXPECT_EQ(ShownLegend(phase).size(), 2);
  form.Measure->SetActive(false);
  EXPECT_EQ(ShownLegend(phase).size(), 1);
  form.SBarR->setValue(800);
  EXPECT_EQ(ShownLegend(phase).size(), 1);

  // Without damping the resonance chart has no -3 dB band, nor a line for it.
  TRChart& resonance = Chart(w, TAnalysisChart::Resonance);
  EXPECT_EQ(ShownLegend(resonance).size(), 5);
  form.SBarR->setValue(0);
  ASSERT_EQ(resonance.CrossHair(2)->Mode(), ChartTypes::chOff);
  const QStringList lines = ShownLegend(resonance);
  EXPECT_EQ(lines.size(), 4);
  EXPECT_FALSE(lines.join('|').contains("band")) << lines.join('|').toStdString();
}

// The legend's box in a picture of the chart: where it differs from the chart drawn
// without the legend. Within it, the chart without the legend may hold no curve pixel.
int CurvePixelsUnderTheLegend(TRChart& chart, QRect* where) {
  chart.Paint();
  const QImage with = chart.grab().toImage();
  std::vector<bool> shown;
  for (int n = 1; n <= 8; ++n) {
    shown.push_back(chart.TextLabel(n)->Visible());
    chart.TextLabel(n)->SetVisible(false);
  }
  chart.Paint();
  const QImage without = chart.grab().toImage();
  for (int n = 1; n <= 8; ++n) chart.TextLabel(n)->SetVisible(shown[size_t(n - 1)]);
  chart.Paint();
  QImage differs(with.size(), QImage::Format_RGB32);
  differs.fill(Qt::white);
  for (int y = 0; y < with.height(); ++y)
    for (int x = 0; x < with.width(); ++x)
      if (with.pixel(x, y) != without.pixel(x, y)) differs.setPixel(x, y, qRgb(0, 0, 0));
  // The legend's box reaches a little beyond what it changes (white on white).
  const QRect box = TestPixels::InkBox(differs, TestPixels::DarkerThan(128)).adjusted(-2, -2, 2, 2);
  *where = box;
  if (box.width() < 8) return -1; // no legend found
  int count = 0;
  for (TColor curve : {clBlue, clRed, clGreen, clBlack, clOlive})
    count += TestPixels::CountInk(without, TestPixels::Exactly(ColorToRGB(curve), TestPixels::RgbOnly),
                                  box & chart.DataArea().adjusted(1, 1, -1, -1));
  return count;
}

TEST_F(AnalysisWindowTest, LegendsLeaveTheCurvesVisible) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  form.Measure->SetActive(true); // the phase portrait's legend has its second line
  form.Measure->MoveCursorToTime(2.5);
  const Rlc::Positions values[] = {{470, 220, 1000}, {0, 220, 1000},  {2000, 220, 1000},
                                   {10000, 220, 1000}, {10000, 5000, 10}, {0, 10, 5000}};
  for (QSize size : {QSize(900, 680), QSize(1300, 560)}) {
    w.resize(size);
    QCoreApplication::processEvents();
    for (Rlc::Experiment e : {Rlc::Experiment::Charged, Rlc::Experiment::Step}) {
      w.SetExperiment(e);
      for (const Rlc::Positions& p : values) {
        form.SBarR->setValue(p.R);
        form.SBarC->setValue(p.C);
        form.SBarL->setValue(p.L);
        QCoreApplication::processEvents();
        for (int k = 0; k < AnalysisChartCount; ++k) {
          TRChart& chart = Chart(w, TAnalysisChart(k));
          QRect box;
          const int covered = CurvePixelsUnderTheLegend(chart, &box);
          EXPECT_EQ(covered, 0) << "chart " << k << " at " << p.R << "," << p.C << "," << p.L << " experiment "
                                << int(e) << " size " << size.width() << ", legend " << box.x() << "," << box.y()
                                << " " << box.width() << "x" << box.height();
          EXPECT_TRUE(chart.DataArea().contains(box)) << "chart " << k << " size " << size.width();
        }
      }
    }
  }
}

TEST_F(AnalysisWindowTest, NewTextsAreInBothTables) {
  const QStringList keys = {"Analysis", "AnalysisTitle", "AnalysisAxisTime", "AnalysisAxisVoltage",
                            "AnalysisAxisCurrent", "AnalysisAxisEnergy", "AnalysisAxisFrequency", "AnalysisAxisGain",
                            "AnalysisAxisAdmittance", "AnalysisAxisPhase", "AnalysisCharged", "AnalysisCurrent",
                            "AnalysisStep", "AnalysisUndamped", "AnalysisRinging", "AnalysisCritical",
                            "AnalysisOverdamped", "AnalysisPresetDone", "AnalysisPresetMovedC",
                            "AnalysisPresetMovedL", "AnalysisTimeSummary", "AnalysisEnergySummary",
                            "AnalysisPhaseSummary", "AnalysisResonanceSummary", "AnalysisTimeName",
                            "AnalysisEnergyName", "AnalysisPhaseName", "AnalysisResonanceName", "AnalysisZoom11",
                            "AnalysisExperiment", "AnalysisPresets", "AnalysisShow", "AnalysisShowTime",
                            "AnalysisShowEnergy", "AnalysisShowPhase", "AnalysisShowResonance",
                            "AnalysisStatusName", "AnalysisLegendVoltage", "AnalysisLegendCurrent",
                            "AnalysisLegendSum", "AnalysisLegendER", "AnalysisLegendPhase", "AnalysisLegendMark",
                            "AnalysisLegendAdmittance", "AnalysisLegendPhaseUC", "AnalysisLegendBand",
                            "AnalysisMeasure", "AnalysisPresetDesc", "AnalysisShowDesc",
                            "AnalysisPresetNearUnder", "AnalysisPresetNearOver"};
  TLexivaran2000 english, german;
  for (auto [engine, name] : {std::pair{&english, "kalvora.itl"}, std::pair{&german, "kalvora-de.itl"}}) {
    QFile file(QStringLiteral(KALVORA_RESOURCES "/") + QLatin1String(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    engine->LoadFromStream(file);
  }
  for (const QString& key : keys) {
    EXPECT_NE(english.Translate(key), key) << key.toStdString();
    EXPECT_NE(german.Translate(key), key) << key.toStdString();
    EXPECT_NE(german.Translate(key), english.Translate(key)) << key.toStdString();
  }
  EXPECT_TRUE(german.Translate("AnalysisOverdamped").contains(QString::fromUtf8("ä")));
}

// As a screen reader walks it: a window named by its title, a name on every object, the
// charts as four named charts, the choices described. Escape first ends measuring in a
// chart, then closes the window; not while a zoom band is drawn.
TEST_F(AnalysisWindowTest, ReadsAsANamedWindowOfNamedObjectsAndEscapeClosesIt) {
  TForm1 form;
  TAnalysisWindow& w = Open(form);
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), "Circuit analysis");
  int seen = 0, charts = 0, choices = 0;
  std::vector<QAccessibleInterface*> todo{window};
  while (!todo.empty()) {
    QAccessibleInterface* iface = todo.back();
    todo.pop_back();
    if (iface->state().invisible) continue;
    ++seen;
    const QString name = iface->text(QAccessible::Name);
    EXPECT_FALSE(name.trimmed().isEmpty()) << (iface->object() ? iface->object()->objectName().toStdString() : "")
                                           << " role " << iface->role();
    if (iface->role() == QAccessible::Chart) ++charts;
    if (iface->role() == QAccessible::Button || iface->role() == QAccessible::CheckBox) {
      ++choices;
      EXPECT_FALSE(iface->text(QAccessible::Description).isEmpty()) << name.toStdString();
    }
    for (int i = 0; i < iface->childCount(); ++i) todo.push_back(iface->child(i));
  }
  EXPECT_GT(seen, 10);
  EXPECT_EQ(charts, AnalysisChartCount);
  EXPECT_EQ(choices, AnalysisPresetCount + AnalysisChartCount);

  TRChart& time = Chart(w, TAnalysisChart::Time);
  w.Probe(TAnalysisChart::Time)->SetActive(true);
  Key(time, Qt::Key_Escape);
  EXPECT_FALSE(w.Probe(TAnalysisChart::Time)->Active());
  EXPECT_TRUE(w.isVisible());
  const QPoint at = time.MapToPixel(1, 2, 0);
  QMouseEvent press(QEvent::MouseButtonPress, at, time.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&time, &press);
  ASSERT_NE(time.ZoomState(), TCustomRChart::zsNormal); // a zoom band begins
  Key(time, Qt::Key_Escape);
  EXPECT_TRUE(w.isVisible());
  QMouseEvent release(QEvent::MouseButtonRelease, at, time.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&time, &release);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(w.findChild<QComboBox*>("AnalysisExperimentBox"), &escape);
  EXPECT_FALSE(w.isVisible());
}

// With the German table the charts' summaries and drawn texts, the measuring readout and
// the presets' status are read with a decimal comma; the window shows them with points.
TEST_F(AnalysisWindowTest, GermanNumbersAreReadWithADecimalCommaAndShownWithAPoint) {
  TForm1 form;
  ASSERT_TRUE(TestTables::LoadShippedTable(form.cliDemon->Translator(), QStringLiteral("kalvora-de.itl")));
  TAnalysisWindow& w = Open(form);
  const QRegularExpression point(QStringLiteral("\\d\\.\\d")), comma(QStringLiteral("\\d,\\d"));
  auto description = [](QObject* o) {
    return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Description);
  };
  for (int k = 0; k < AnalysisChartCount; ++k) {
    const QString d = description(&Chart(w, TAnalysisChart(k)));
    EXPECT_TRUE(d.contains(comma) && !d.contains(point)) << d.toStdString();
  }
  TRChart& time = Chart(w, TAnalysisChart::Time);
  w.Probe(TAnalysisChart::Time)->SetActive(true);
  w.Probe(TAnalysisChart::Time)->MoveTo(228);
  EXPECT_TRUE(time.TextLabel(AnalysisProbeLabel)->Caption().startsWith("t = 228.0 ns"));
  EXPECT_TRUE(description(&time).contains("t = 228,0 ns")) << description(&time).toStdString();

  w.ApplyPreset(TAnalysisPreset::Ringing);
  const QString status = description(w.findChild<QLabel*>("AnalysisStatus"));
  EXPECT_TRUE(w.StatusText().contains(point)) << w.StatusText().toStdString();
  EXPECT_TRUE(status.contains(comma) && !status.contains(point)) << status.toStdString();
}

} // namespace
