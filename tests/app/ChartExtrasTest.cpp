// The chart's extra pop-up items: with all of them off the chart keeps the
// designed pixels (against pictures drawn before they existed); the circuit data
// readout, kept curves under zoom and Reset, the remembered choices and the
// translations of the new texts.
#include "ChartExtras.h"
#include "ChartOverlaySlots.h"
#include "FeatureContext.h"
#include "ExportActions.h"
#include "Golden.h"
#include "Pixels.h"
#include "SettingsScope.h"
#include "TForm1.h"
#include "TLexivaran2000.h"
#include "TRChart.h"
#include "Tables.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

// Every test gets empty user settings of its own.
struct ChartExtrasTest : SettingsScopedTest {
  static QString GoldenFile(const char* name) { return QStringLiteral(KALVORA_GOLDEN "/%1.png").arg(QLatin1String(name)); }
  static QImage Golden(const char* name) { return TestGolden::Load(GoldenFile(name)); }
  static QImage Shown(TForm1& form) {
    form.RCResponse->Paint();
    return form.RCResponse->WindowImage().convertToFormat(QImage::Format_RGB32);
  }
  // The rows in which two pictures of one size differ (empty when they are equal).
  static QList<int> RowsThatDiffer(const QImage& a, const QImage& b) { return TestPixels::ComparePixels(a, b).rows; }
  static int CountColour(const QImage& image, TColor color) {
    return TestPixels::CountInk(image, TestPixels::Exactly(ColorToRGB(color)));
  }
};

TEST_F(ChartExtrasTest, WithEverythingOffTheChartKeepsTheDesignedPixels) {
  struct Case {
    const char* golden;
    int r, c, l;
  };
  for (const Case& c : {Case{"default", 470, 220, 1000}, Case{"undamped", 0, 220, 1000},
                        Case{"aperiodic", 10000, 10, 10}}) {
    TForm1 form;
    form.Extras->RestoreChoices(); // a fresh start: nothing stored
    EXPECT_FALSE(form.Extras->CircuitData());
    EXPECT_FALSE(form.Extras->ExactResponse());
    EXPECT_TRUE(TestGolden::Matches(form.RenderChart(c.r, c.c, c.l), GoldenFile(c.golden)));
  }
}

TEST_F(ChartExtrasTest, ChoicesAreRememberedInTheUsersSettings) {
  {
    TForm1 form;
    form.Extras->RestoreChoices();
    form.Extras->CircuitDataItem->trigger();
    form.Extras->ExactResponseItem->trigger();
    form.Extras->KeepCurveItem->trigger();
  }
  const QSettings stored(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kalvora"), QStringLiteral("Kalvora"));
  EXPECT_TRUE(stored.fileName().startsWith(settings.UserFolder())) << stored.fileName().toStdString();
  {
    TForm1 form;
    form.Extras->RestoreChoices();
    EXPECT_TRUE(form.Extras->CircuitData());
    EXPECT_TRUE(form.Extras->ExactResponse());
    EXPECT_TRUE(form.Extras->KeptCurves().Curves().empty()); // kept curves are not stored
    form.Extras->CircuitDataItem->trigger();
  }
  TForm1 form;
  form.Extras->RestoreChoices();
  EXPECT_FALSE(form.Extras->CircuitData());
  EXPECT_TRUE(form.Extras->ExactResponse());
}

TEST_F(ChartExtrasTest, NewTextsAreInBothTablesAndTheMenuIsTranslated) {
  const QStringList keys = {"CircuitData", "ExactResponse", "KeepCurve", "ClearKeptCurves", "CDDamping",
                            "CDResonanceFrequency", "CDDampedFrequency", "CDPeriod", "CDQualityFactor",
                            "CDDecayTime", "CDCriticalResistance", "CDUndamped", "CDUnderdamped",
                            "CDCriticallyDamped", "CDOverdamped", "KeptDesigned", "KeptExact",
                            "CDSlowTimeConstant", "CDFastTimeConstant"};
  TLexivaran2000 english, german;
  for (auto [engine, name] : {std::pair{&english, "kalvora.itl"}, std::pair{&german, "kalvora-de.itl"}})
    ASSERT_TRUE(TestTables::LoadShippedTable(*engine, QLatin1String(name))) << name;
  for (const QString& key : keys) {
    EXPECT_NE(english.Translate(key), key) << key.toStdString();
    EXPECT_NE(german.Translate(key), key) << key.toStdString();
    EXPECT_NE(german.Translate(key), english.Translate(key)) << key.toStdString();
  }
  // The items carry "LX_" captions, which the window's translation replaces.
  TRChart chart;
  QMenu menu;
  TFeatureContext context(chart, menu, [](const QString& key, const QStringList&) { return key; });
  TChartExtras extras(context);
  german.TranslateComponent(&menu);
  EXPECT_EQ(extras.CircuitDataItem->text(), "Schaltungsdaten");
  EXPECT_EQ(extras.KeepCurveItem->text(), "Kurve behalten");
  EXPECT_EQ(extras.ClearKeptCurvesItem->text(), QString::fromUtf8("Behaltene Kurven löschen"));
  EXPECT_TRUE(extras.ExactResponseItem->text().contains(QString::fromUtf8("Dämpfung")));
}

TEST_F(ChartExtrasTest, CircuitDataFollowsTheScrollBarsInsideTheChart) {
  TForm1 form;
  form.RenderChart(470, 220, 1000);
  TTextLabel* label = form.RCResponse->TextLabel(ChartOverlaySlots::CircuitDataLabel);
  EXPECT_FALSE(label->Visible());
  form.Extras->CircuitDataItem->trigger();
  ASSERT_TRUE(label->Visible());
  EXPECT_EQ(label->Caption().split('\n').size(), 8);
  EXPECT_TRUE(label->Caption().startsWith("CDDamping = 235.0k 1/s")); // no table in the tests
  const QImage withData = Shown(form);
  const QList<int> rows = RowsThatDiffer(withData, Golden("default"));
  ASSERT_FALSE(rows.isEmpty()) << TestGolden::Explain(withData, GoldenFile("default"));
  EXPECT_GE(rows.first(), form.RCResponse->MarginTop()) // inside the data area, at its top
      << TestGolden::Explain(withData, GoldenFile("default"));
  EXPECT_LT(rows.last(), form.RCResponse->height() / 2) << TestGolden::Explain(withData, GoldenFile("default"));

  form.SBarR->setValue(0);
  EXPECT_TRUE(label->Caption().startsWith("CDDamping = 0.000 1/s"));
  EXPECT_TRUE(label->Caption().endsWith("CDUndamped"));
  form.SBarR->setValue(470);
  form.Extras->CircuitDataItem->trigger();
  EXPECT_FALSE(label->Visible());
  EXPECT_TRUE(TestGolden::Matches(Shown(form), GoldenFile("default")));
}

TEST_F(ChartExtrasTest, KeptCurvesLieBelowTheLiveCurveAndFollowZoomAndReset) {
  QImage zoomedPlain; // without a kept curve (one window at a time: one host link window class)
  {
    TForm1 plain;
    plain.RenderChart(470, 220, 1000);
    plain.RCResponse->SetLayerRange(1, 2, -0.6L, 6, 0.6L);
    zoomedPlain = Shown(plain);
  }
  TForm1 form;
  TRChart* chart = form.RCResponse;
  form.RenderChart(470, 220, 1000);
  EXPECT_FALSE(form.Extras->ClearKeptCurvesItem->isEnabled());
  form.Extras->KeepCurveItem->trigger();
  ASSERT_EQ(form.Extras->KeptCurves().Curves().size(), 1u);
  const TKeptCurve& kept = form.Extras->KeptCurves().Curves().front();
  EXPECT_EQ(kept.PosR, 470);
  EXPECT_DOUBLE_EQ(kept.C, 2.2);
  ASSERT_EQ(kept.Y.size(), 10001u);
  for (int i = 0; i < 10001; ++i) ASSERT_EQ(kept.Y[size_t(i)], chart->Item(i).Y) << i;
  EXPECT_EQ(chart->ItemCount(), 10001); // the display list holds only the live curve

  // The same curve kept: the live curve covers it; only the legend at the bottom shows.
  const int legendTop = chart->height() - chart->MarginBottom() - 40;
  QList<int> rows = RowsThatDiffer(Shown(form), Golden("default"));
  ASSERT_FALSE(rows.isEmpty()) << TestGolden::Explain(Shown(form), GoldenFile("default"));
  EXPECT_GE(rows.first(), legendTop) << TestGolden::Explain(Shown(form), GoldenFile("default"));
  EXPECT_EQ(chart->TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel)->Caption(),
            "R = 4.70 Ohm,  C = 2.20 nF,  L = 10.00 uH,  designed");

  // Zoomed alike: the same picture as a chart without the kept curve, but for the legend.
  chart->SetLayerRange(1, 2, -0.6L, 6, 0.6L);
  rows = RowsThatDiffer(Shown(form), zoomedPlain);
  ASSERT_FALSE(rows.isEmpty());
  EXPECT_GE(rows.first(), legendTop);

  // Another R: the kept curve shows in its colour, and Reset leaves it there.
  form.SBarR->setValue(0);
  EXPECT_GT(CountColour(Shown(form), kept.Color), 200);
  form.BButReset->click();
  EXPECT_EQ(form.Extras->KeptCurves().Curves().size(), 1u);
  form.SBarR->setValue(0);
  EXPECT_GT(CountColour(Shown(form), kept.Color), 200);
}

TEST_F(ChartExtrasTest, TheLegendAndTheSamplesNameTheModeEachCurveWasDrawnIn) {
  // A kept designed curve and a live exact curve of the same R, C and L look alike
  // where the circuit oscillates: the legend and the file tell them apart.
  TForm1 form;
  form.RenderChart(470, 220, 1000);
  form.Extras->KeepCurveItem->trigger();
  form.Extras->ExactResponseItem->trigger();
  form.Extras->KeepCurveItem->trigger();
  const auto& curves = form.Extras->KeptCurves().Curves();
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_FALSE(curves[0].Exact);
  EXPECT_TRUE(curves[1].Exact);
  EXPECT_TRUE(form.RCResponse->TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel)->Caption().endsWith(",  designed"));
  EXPECT_TRUE(form.RCResponse->TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel + 1)->Caption().endsWith(",  exact"));
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("modes.csv"));
  form.Export->AskFileName = [&](const QString&, const QString&, const QString&) { return file; };
  form.Export->SamplesAction()->trigger();
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readLine(), "# y: R = 4.7 Ohm, C = 2.2 nF, L = 10 uH, exact normalised; kept 1: R = 4.7 Ohm, "
                          "C = 2.2 nF, L = 10 uH, designed; kept 2: R = 4.7 Ohm, C = 2.2 nF, L = 10 uH, exact normalised\n");
  form.Extras->ExactResponseItem->trigger(); // back to the designed curve (the choice is remembered)
}

TEST_F(ChartExtrasTest, AtMostFourAreKeptEachInItsOwnLookAndClearRemovesThem) {
  TForm1 form;
  form.RenderChart(470, 220, 1000);
  for (int c : {100, 200, 300, 400, 500}) {
    form.SBarC->setValue(c);
    form.Extras->KeepCurveItem->trigger();
  }
  const auto& curves = form.Extras->KeptCurves().Curves();
  ASSERT_EQ(curves.size(), 4u); // the oldest (C = 1 nF) went
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(curves[size_t(k)].PosC, 200 + 100 * k);
    for (int j = 0; j < k; ++j) {
      EXPECT_NE(curves[size_t(k)].Color, curves[size_t(j)].Color);
      EXPECT_NE(curves[size_t(k)].PenStyle, curves[size_t(j)].PenStyle);
    }
    const TTextLabel* legend = form.RCResponse->TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel + k);
    EXPECT_TRUE(legend->Visible());
    EXPECT_TRUE(legend->Caption().contains(QStringLiteral("C = %1.00 nF").arg(2 + k)));
    EXPECT_EQ(legend->Font()->Color(), curves[size_t(k)].Color);
  }
  const QImage withCurves = Shown(form);
  for (const TKeptCurve& c : curves) EXPECT_GT(CountColour(withCurves, c.Color), 100);

  ASSERT_TRUE(form.Extras->ClearKeptCurvesItem->isEnabled());
  form.Extras->ClearKeptCurvesItem->trigger();
  EXPECT_TRUE(curves.empty());
  EXPECT_FALSE(form.RCResponse->TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel)->Visible());
  form.SBarC->setValue(220);
  EXPECT_TRUE(TestGolden::Matches(Shown(form), GoldenFile("default")));
}

TEST_F(ChartExtrasTest, ReadoutAndLegendStayAtTheRightEdgeWhenTheChartIsResized) {
  TForm1 form;
  form.RenderChart(470, 220, 1000);
  form.Extras->CircuitDataItem->trigger();
  form.Extras->KeepCurveItem->trigger();
  TRChart* chart = form.RCResponse;
  const TTextLabel* readout = chart->TextLabel(ChartOverlaySlots::CircuitDataLabel);
  const TTextLabel* legend = chart->TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel);
  const double readoutX = readout->PosX(), legendX = legend->PosX(), legendY = legend->PosY();
  EXPECT_EQ(legendX, chart->width() - chart->MarginRight() - 8);
  EXPECT_LT(readoutX, legendX); // its lines start left of the edge
  form.resize(form.width() + 100, form.height() + 50);
  ASSERT_EQ(chart->width(), 505 + 100);
  EXPECT_EQ(readout->PosX(), readoutX + 100);
  EXPECT_EQ(legend->PosX(), legendX + 100);
  EXPECT_EQ(legend->PosY(), legendY + 50);
}

// A chart that outlives the extras draws without them (the sanitizer build sees a stale call).
TEST_F(ChartExtrasTest, TheChartOutlivesItsExtras) {
  TRChart chart;
  QMenu menu;
  chart.resize(300, 200);
  chart.show();
  QCoreApplication::processEvents();
  // The kept curve's pixels along y = 0.5, where it runs across the data area (the live curve stays below).
  TColor keptColor = clBlack;
  auto keptCurveInk = [&] {
    chart.Paint();
    const int row = chart.MapToPixel(1, 0.5, 0.5).y();
    const QRect line(chart.MarginLeft(), row - 1, chart.width() - chart.MarginLeft() - chart.MarginRight(), 3);
    return TestPixels::CountInk(chart.WindowImage().convertToFormat(QImage::Format_RGB32),
                                TestPixels::Exactly(ColorToRGB(keptColor)), line);
  };
  {
    TFeatureContext context(chart, menu, [](const QString& key, const QStringList&) { return key; });
    TChartExtras extras(context);
    chart.MoveTo(0, 0);
    chart.LineTo(10, 1);
    const std::vector<double> y(10001, 0.5);
    context.CurveComputed.Call({{470, 220, 1000}, y.data(), int(y.size())});
    extras.KeepCurveItem->trigger();
    chart.ShowItems();
    ASSERT_EQ(extras.KeptCurves().Curves().size(), 1u);
    keptColor = extras.KeptCurves().Curves().front().Color;
    EXPECT_GT(keptCurveInk(), 50); // drawn while the extras live
    extras.CircuitDataItem->trigger();
    context.CurveComputed.Call({{470, 220, 1000}, y.data(), int(y.size())});
    EXPECT_TRUE(chart.TextLabel(ChartOverlaySlots::CircuitDataLabel)->Visible());
    EXPECT_TRUE(chart.TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel)->Visible());
  }
  EXPECT_EQ(keptCurveInk(), 0); // gone with them, and the chart still paints
  EXPECT_EQ(chart.ItemCount(), 2);
  // Their texts leave too: the legend and the circuit data.
  EXPECT_FALSE(chart.TextLabel(ChartOverlaySlots::CircuitDataLabel)->Visible());
  EXPECT_FALSE(chart.TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel)->Visible());
}

} // namespace

