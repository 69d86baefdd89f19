// Exploring the curve with the keys while measuring: sample steps, tenths of the
// view, the ends, jumps to maxima and zero crossings, the reference cursor and
// the spoken readout; outside measuring the keys move the view as before. And
// listening: the visible part as sound, and a clear message without audio.
#include "CurveExplorer.h"
#include "CurveSound.h"
#include "ListenAction.h"
#include "LiveCurve.h"
#include "MeasureCursor.h"
#include "MessageBox.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

class ExplorerTest : public ::testing::Test {
protected:
  void SetUp() override {
    form.RenderChart(470, 220, 1000);
    form.Measure->Action()->trigger();
  }
  TRChart& chart() { return *form.RCResponse; }
  int Cursor() { return form.Measure->CursorSample(); }
  void Key(int key, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&chart(), &press);
  }
  std::string ChartName() {
    return QAccessible::queryAccessibleInterface(&chart())->text(QAccessible::Name).toStdString();
  }
  TForm1 form;
};

TEST_F(ExplorerTest, ArrowPageAndEndKeysMoveTheCursorWithinTheView) {
  Key(Qt::Key_Right);
  EXPECT_EQ(Cursor(), 0); // the first press starts at the view's first sample
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(Cursor(), 2);
  Key(Qt::Key_Left);
  EXPECT_EQ(Cursor(), 1);
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);
  EXPECT_EQ(Cursor(), 0); // not before the view
  Key(Qt::Key_PageDown);
  EXPECT_EQ(Cursor(), 1000);
  Key(Qt::Key_End);
  EXPECT_EQ(Cursor(), 10000);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(Cursor(), 9000);
  Key(Qt::Key_Home);
  EXPECT_EQ(Cursor(), 0);
  // A zoomed view: the keys keep to its samples.
  chart().SetLayerRange(1, 2, -1.1L, 3, 1.1L);
  Key(Qt::Key_Left);
  EXPECT_EQ(Cursor(), 3000);
  Key(Qt::Key_Home);
  EXPECT_EQ(Cursor(), 2000);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(Cursor(), 2100);
  // The view keys are not the measuring keys: the arrows left the view alone.
  EXPECT_DOUBLE_EQ(chart().ScalePropsX(1)->RangeLow(), 2);
}

TEST_F(ExplorerTest, JumpsToMaximaAndZeroCrossingsGiveThePeriod) {
  Key(Qt::Key_M);
  EXPECT_EQ(Cursor(), 228); // the first maximum, 0.948
  EXPECT_EQ(ChartName(), "Response of the circuit: t 0.228 microseconds, y 0.948");
  Key(Qt::Key_Space); // the reference on the first maximum
  Key(Qt::Key_M);
  const int second = Cursor();
  EXPECT_NEAR(second - 228, 933, 2); // one period, 0.933 us at 1.072 MHz
  EXPECT_NE(ChartName().find("microseconds from the reference, 1 over delta t 1.07"), std::string::npos) << ChartName();
  Key(Qt::Key_M, Qt::ShiftModifier);
  EXPECT_EQ(Cursor(), 228);
  Key(Qt::Key_M, Qt::ShiftModifier);
  EXPECT_EQ(Cursor(), 228); // none before it
  EXPECT_EQ(ChartName(), "Response of the circuit: no further maximum in the view");
  // Zero crossings: half a period apart, the sample nearest to zero.
  Key(Qt::Key_N);
  const int z1 = Cursor();
  Key(Qt::Key_N);
  const int z2 = Cursor();
  EXPECT_NEAR(z2 - z1, 466, 2);
  EXPECT_LT(std::fabs(chart().Item(z1).Y), 0.005);
  EXPECT_LT(chart().Item(z1 - 1).Y * chart().Item(z1 + 1).Y, 0);
  Key(Qt::Key_N, Qt::ShiftModifier);
  EXPECT_EQ(Cursor(), z1);
  // The readout on the screen follows the keys too.
  EXPECT_TRUE(form.Measure->ReadoutText().startsWith(QStringLiteral("t = %1 usec").arg(chart().Item(z1).X, 0, 'f', 3)));
}

TEST_F(ExplorerTest, OutsideMeasuringTheKeysAreTheViewKeysAndTheNameReturns) {
  Key(Qt::Key_M);
  EXPECT_NE(ChartName(), "Response of the circuit");
  form.Measure->Action()->trigger(); // off
  EXPECT_EQ(ChartName(), "Response of the circuit");
  Key(Qt::Key_Right);
  EXPECT_NEAR(chart().ScalePropsX(1)->RangeLow(), 1, 1e-9); // panned by a tenth
  Key(Qt::Key_M);
  EXPECT_EQ(ChartName(), "Response of the circuit");
}

TEST_F(ExplorerTest, ListeningPlaysTheVisiblePartOrSaysWhyNot) {
  TListenAction& listen = *form.Listen;
  EXPECT_EQ(listen.Action()->text(), "Listen"); // no table beside the test program: the key
  const std::vector<int16_t> whole = listen.VisibleCurveSound();
  EXPECT_EQ(whole.size(), size_t(3 * TCurveSoundParams().SampleRate));
  // 21 zero crossings in 10 us, one tick each; a tenth of the view has two.
  const TCurveSamples curve = LiveCurve(chart());
  EXPECT_EQ(ZeroCrossings(curve.Y.data(), int(curve.Y.size())).size(), 21u);
  chart().SetLayerRange(1, 0, -1.1L, 1, 1.1L);
  EXPECT_NE(listen.VisibleCurveSound(), whole);

  QStringList messages;
  const TMessageBoxHook saved = SetMessageBoxHook([&](TMessageKind, const QString& text) { messages << text; });
  const bool playing = listen.Play();
  // With an audio output it plays; without one it says so, once, and nothing else happens.
  EXPECT_EQ(messages.size(), playing ? 0 : 1);
  if (!playing) {
    EXPECT_TRUE(messages[0].contains("no audio output")) << messages[0].toStdString();
  }
  listen.Stop();
  EXPECT_FALSE(listen.Playing());
  // A view without the curve: nothing to play.
  chart().SetLayerRange(1, 20, -1.1L, 30, 1.1L);
  messages.clear();
  EXPECT_FALSE(listen.Play());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("no curve in the view"));
  SetMessageBoxHook(saved);
}

} // namespace
