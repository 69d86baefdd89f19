// How features join the main window: handler lists and the chart's render chains
// joined and left in any order, the curve-computed hook, and the overlay slots of
// all features at once.
#include "ChartExtras.h"
#include "ChartOverlaySlots.h"
#include "FeatureContext.h"
#include "MeasureCursor.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using TCalls = std::vector<int>;

TCalls CallOnce(THandlerList<TCalls&>& list) {
  TCalls calls;
  list.Call(calls);
  return calls;
}

TEST(HandlerList, HandlersJoinAndLeaveInAnyOrder) {
  THandlerList<TCalls&> list;
  auto join = [&](int id) { return list.Join([id](TCalls& calls) { calls.push_back(id); }); };
  THandlerLink a = join(1), b = join(2), c = join(3);
  EXPECT_EQ(CallOnce(list), (TCalls{1, 2, 3}));
  b.Leave(); // the middle one: the others stay
  EXPECT_EQ(CallOnce(list), (TCalls{1, 3}));
  THandlerLink d = join(4);
  a = THandlerLink(); // the first one, by replacing its link
  EXPECT_EQ(CallOnce(list), (TCalls{3, 4}));
  EXPECT_EQ(list.Count(), 2);
  {
    THandlerLink moved = std::move(d); // a moved link keeps the handler joined
    EXPECT_FALSE(d.Joined());
    EXPECT_EQ(CallOnce(list), (TCalls{3, 4}));
  }
  EXPECT_EQ(CallOnce(list), (TCalls{3}));
  b.Leave(); // leaving twice does nothing
  c.Leave();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(CallOnce(list).empty());
}

TEST(HandlerList, JoiningAndLeavingWhileCalled) {
  int changes = 0; // outlives the links, whose leaving at the end still reports a change
  THandlerList<TCalls&> list;
  THandlerLink second, late;
  list.SetOnChanged([&] { ++changes; });
  // The first handler takes the second out and brings a new one in.
  THandlerLink first = list.Join([&](TCalls& calls) {
    calls.push_back(1);
    second.Leave();
    if (!late.Joined()) late = list.Join([](TCalls& calls) { calls.push_back(3); });
  });
  second = list.Join([](TCalls& calls) { calls.push_back(2); });
  changes = 0;
  EXPECT_EQ(CallOnce(list), (TCalls{1}));    // the one that left is not called, the new one not yet
  EXPECT_EQ(changes, 1);                      // told once, after the call
  EXPECT_EQ(CallOnce(list), (TCalls{1, 3})); // from the next call on
  // A handler that leaves itself while being called.
  THandlerLink self;
  self = list.Join([&](TCalls& calls) {
    calls.push_back(4);
    self.Leave();
  });
  EXPECT_EQ(CallOnce(list), (TCalls{1, 3, 4}));
  EXPECT_EQ(CallOnce(list), (TCalls{1, 3}));
}

TEST(HandlerList, LinksMayOutliveTheList) {
  THandlerLink link;
  {
    THandlerList<TCalls&> list;
    link = list.Join([](TCalls&) {});
    EXPECT_TRUE(link.Joined());
  }
  EXPECT_FALSE(link.Joined());
  link.Leave();
}

class RenderChainTest : public ::testing::Test {
protected:
  void SetUp() override {
    chart->resize(300, 200);
    chart->show();
    QCoreApplication::processEvents();
  }
  // The handlers of OnScalesRendered that ran in one full paint.
  TCalls Paint() {
    calls.clear();
    chart->Paint();
    return calls;
  }
  THandlerLink Join(TRenderHandlerChain& chain, int id) {
    return chain.Join([this, id](QObject*, TCanvas&, int, int) { calls.push_back(id); });
  }
  std::unique_ptr<TRChart> chart = std::make_unique<TRChart>();
  TCalls calls;
};

TEST_F(RenderChainTest, EveryJoinedHandlerDrawsUntilItLeaves) {
  chart->OnScalesRendered = [this](QObject*, TCanvas&, int, int) { calls.push_back(0); };
  TRenderHandlerChain chain(*chart, &TCustomRChart::OnScalesRendered);
  EXPECT_EQ(Paint(), (TCalls{0})); // the chart's own handler stays, and runs first
  THandlerLink a = Join(chain, 1), b = Join(chain, 2), c = Join(chain, 3);
  EXPECT_EQ(Paint(), (TCalls{0, 1, 2, 3}));
  a.Leave(); // leaving the first keeps those joined after it
  EXPECT_EQ(Paint(), (TCalls{0, 2, 3}));
  THandlerLink d = Join(chain, 4);
  c.Leave();
  EXPECT_EQ(Paint(), (TCalls{0, 2, 4}));
  EXPECT_EQ(chain.Count(), 3);
}

TEST_F(RenderChainTest, TheEventIsEmptyWhileNobodyIsJoined) {
  {
    TRenderHandlerChain chain(*chart, &TCustomRChart::OnScalesRendered);
    EXPECT_FALSE(chart->OnScalesRendered);
    THandlerLink a = Join(chain, 1);
    EXPECT_TRUE(chart->OnScalesRendered);
    THandlerLink b = Join(chain, 2);
    a.Leave();
    EXPECT_TRUE(chart->OnScalesRendered);
    b.Leave();
    EXPECT_FALSE(chart->OnScalesRendered); // the chart renders as though nobody listened
    EXPECT_TRUE(Paint().empty());
    b = Join(chain, 3);
  }
  EXPECT_FALSE(chart->OnScalesRendered); // a chain that goes takes its handlers along
  EXPECT_TRUE(Paint().empty());
}

TEST_F(RenderChainTest, TheChartMayGoFirst) {
  auto chain = std::make_unique<TRenderHandlerChain>(*chart, &TCustomRChart::OnBeforeRenderData);
  THandlerLink a = Join(*chain, 1);
  chart.reset();
  a.Leave();
  THandlerLink b = Join(*chain, 2);
  chain.reset(); // neither touches the chart that is gone
  b.Leave();
}

struct FeatureHooksTest : ::testing::Test {
  QTemporaryDir settingsDir;
  FeatureHooksTest() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path()); }
  void SetUp() override { form.RenderChart(470, 220, 1000); }
  void Focus(QEvent::Type type) {
    QFocusEvent e(type, Qt::TabFocusReason);
    QCoreApplication::sendEvent(form.RCResponse, &e);
  }
  TForm1 form;
};

// The focus frame leaving keeps a handler that joined after it.
TEST_F(FeatureHooksTest, TheFocusFrameLeavesOnlyItself) {
  TRChart& chart = *form.RCResponse;
  EXPECT_FALSE(chart.OnScalesRendered); // the designed window: nobody draws over the axes
  Focus(QEvent::FocusIn);
  int drawn = 0;
  THandlerLink later = form.Features->ScalesRendered.Join([&](QObject*, TCanvas&, int, int) { ++drawn; });
  Focus(QEvent::FocusOut);
  chart.Paint();
  EXPECT_EQ(drawn, 2); // once as the frame went, once now
  later.Leave();
  EXPECT_FALSE(chart.OnScalesRendered);
}

// A new curve reaches the measuring cursor as it is computed, whatever asked for it,
// and the chart then shows it once, with a redraw of the data area only.
TEST_F(FeatureHooksTest, TheMeasuringCursorFollowsEveryComputedCurve) {
  TRChart& chart = *form.RCResponse;
  form.Measure->SetActive(true);
  form.Measure->MoveCursorToTime(0.5);
  const int s = form.Measure->CursorSample();
  ASSERT_GE(s, 0);
  const TCrossHair* cross = chart.CrossHair(ChartOverlaySlots::MeasureSampleCrossHair);
  chart.ResetRenderStats();
  form.SBarR->setValue(0);
  EXPECT_EQ(cross->PosY(), chart.Item(s).Y); // at once, no event queued
  EXPECT_EQ(chart.RenderStats().FullPaints, 0);
  EXPECT_EQ(chart.RenderStats().FastRedraws, 1);
  form.SBarR->setValue(2000); // damped: the exact response differs by omega0/omega
  const double before = chart.Item(s).Y;
  form.Extras->ExactResponseItem->trigger(); // recomputed from the menu, not a scroll bar
  ASSERT_NE(chart.Item(s).Y, before);
  EXPECT_EQ(cross->PosY(), chart.Item(s).Y);
}

// Every feature's overlays on at once: each keeps to its own crosshairs and labels.
TEST_F(FeatureHooksTest, FeaturesKeepToTheirOwnOverlays) {
  TRChart& chart = *form.RCResponse;
  form.Extras->CircuitDataItem->trigger();
  for (int c : {100, 200, 300, 400}) {
    form.SBarC->setValue(c);
    form.Extras->KeepCurveItem->trigger();
  }
  form.Measure->SetActive(true);
  form.Measure->MoveCursorToTime(1);
  form.Measure->SetReference();
  form.Measure->MoveCursorToTime(2);
  EXPECT_EQ(chart.CrossHair(ChartOverlaySlots::MeasureSampleCrossHair)->Mode(), chBoth);
  EXPECT_EQ(chart.CrossHair(ChartOverlaySlots::MeasureReferenceCrossHair)->Mode(), chVert);
  EXPECT_EQ(chart.TextLabel(ChartOverlaySlots::MeasureReadoutLabel)->Caption(), form.Measure->ReadoutText());
  EXPECT_TRUE(chart.TextLabel(ChartOverlaySlots::CircuitDataLabel)->Caption().startsWith("CDDamping"));
  for (int k = 0; k < ChartOverlaySlots::KeptCurvesLegendLabels; ++k)
    EXPECT_TRUE(chart.TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel + k)
                    ->Caption()
                    .contains(QStringLiteral("C = %1.00 nF").arg(k + 1)))
        << k;
  // The slots no feature owns stay as designed.
  for (int i = 1; i < ChartOverlaySlots::MeasureReadoutLabel; ++i) EXPECT_FALSE(chart.TextLabel(i)->Visible()) << i;
  for (int i = ChartOverlaySlots::MeasureReferenceCrossHair + 1; i <= TCustomRChart::NumCrossHairs; ++i)
    EXPECT_EQ(chart.CrossHair(i)->Mode(), chOff) << i;
}

} // namespace
