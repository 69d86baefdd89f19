// The measuring cursor: snapping to the live curve's samples, the readout with
// differences and frequency, the zoom band with Shift, Esc, the curve changing
// under the cursor, and the designed picture when measuring ends.
#include "ChartOverlaySlots.h"
#include "LiveCurve.h"
#include "MeasureCursor.h"
#include "ReadoutNumber.h"
#include "Mouse.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSet>
#include <gtest/gtest.h>
#include <cmath>

namespace {

class MeasureTest : public ::testing::Test {
protected:
  void SetUp() override { form.RenderChart(470, 220, 1000); }
  TRChart& chart() { return *form.RCResponse; }
  TMeasureCursor& measure() { return *form.Measure; }
  void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held,
             Qt::KeyboardModifiers mods = {}) {
    TestMouse::Send(chart(), type, p, button, held, mods);
  }
  void MoveTo(QPoint p) { Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
  void Click(QPoint p, Qt::KeyboardModifiers mods = {}) {
    Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
    Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, mods);
  }
  QPoint PixelOf(int sample) { return chart().MapToPixel(1, chart().Item(sample).X, chart().Item(sample).Y); }
  // The sample of the next maximum after sample i.
  int NextMaximum(int i) {
    while (chart().Item(i + 1).Y <= chart().Item(i).Y) ++i;
    while (chart().Item(i + 1).Y > chart().Item(i).Y) ++i;
    return i;
  }

  TForm1 form;
};

TEST_F(MeasureTest, NearestSampleByTime) {
  const int n = LiveCurveLength(chart());
  ASSERT_EQ(n, 10001);
  EXPECT_EQ(NearestSample(chart(), n, 0.2284), 228);
  EXPECT_EQ(NearestSample(chart(), n, 0.2286), 229);
  EXPECT_EQ(NearestSample(chart(), n, 0.0005), 0); // halfway: the earlier one
  EXPECT_EQ(NearestSample(chart(), n, -3), 0);
  EXPECT_EQ(NearestSample(chart(), n, 99), 10000);
  EXPECT_EQ(NearestSample(chart(), n, NAN), 0);
  EXPECT_EQ(NearestSample(chart(), 0, 1), -1);
  chart().ClearItems();
  EXPECT_EQ(LiveCurveLength(chart()), 0);

  // The live curve ends at the next move-to, whatever colour its lines change to.
  chart().MoveTo(0, 0);
  for (int i = 1; i <= 4; ++i) chart().LineTo(i, i);
  chart().SetDataColor(clRed);
  chart().LineTo(5, 5);
  chart().MoveTo(6, 0);
  chart().LineTo(7, 1);
  EXPECT_EQ(LiveCurveLength(chart()), 6);
  chart().ClearItems();
  chart().MoveTo(0, 0);
  chart().MoveTo(1, 0); // two move-tos in a row: a curve of one sample
  chart().LineTo(2, 0);
  EXPECT_EQ(LiveCurveLength(chart()), 1);
  chart().ClearItems();
  chart().LineTo(1, 0); // no move-to first: no live curve
  EXPECT_EQ(LiveCurveLength(chart()), 0);
}

TEST_F(MeasureTest, TheCrosshairSnapsToTheCurveUnderTheMouse) {
  measure().Action()->trigger();
  ASSERT_TRUE(measure().Active());
  EXPECT_EQ(chart().MouseAction(), maNone); // the cross cursor
  TCrossHair* ch = chart().CrossHair(ChartOverlaySlots::MeasureSampleCrossHair);
  EXPECT_EQ(ch->Mode(), chOff); // nothing before the mouse comes
  for (double t : {0.228, 3.1416, 9.999}) {
    const QPoint p = chart().MapToPixel(1, t, 0.7); // the mouse's height does not matter
    MoveTo(p);
    const int s = measure().CursorSample();
    ASSERT_GE(s, 0);
    // The nearest sample to the mouse pixel's time, exactly on the curve.
    EXPECT_EQ(s, NearestSample(chart(), 10001, chart().MapToWorld(1, p.x(), p.y()).x()));
    EXPECT_NEAR(chart().Item(s).X, t, 0.03);
    EXPECT_EQ(ch->Mode(), chBoth);
    EXPECT_EQ(ch->PosX(), chart().Item(s).X);
    EXPECT_EQ(ch->PosY(), chart().Item(s).Y);
  }
  const TTextLabel* label = chart().TextLabel(ChartOverlaySlots::MeasureReadoutLabel);
  EXPECT_TRUE(label->Visible());
  EXPECT_EQ(label->Mode(), tlBox);
  EXPECT_TRUE(label->Caption().startsWith("t = " + QString::number(chart().Item(measure().CursorSample()).X, 'f', 3)));
  // The readout sits inside the data area, at its bottom left.
  EXPECT_GT(label->PosX(), chart().MarginLeft());
  EXPECT_LT(label->PosY(), chart().height() - chart().MarginBottom());
  EXPECT_GT(label->PosY(), chart().height() / 2);
  // A taller chart: the readout moves along with the data area's bottom.
  const double fromBottom = chart().height() - label->PosY();
  form.resize(form.width(), form.height() + 100);
  QCoreApplication::processEvents();
  EXPECT_EQ(chart().height() - label->PosY(), fromBottom);
  // Outside the data area the cursor stays where it was.
  const int s = measure().CursorSample();
  MoveTo(QPoint(5, 5));
  EXPECT_EQ(measure().CursorSample(), s);
}

TEST_F(MeasureTest, TwoMaximaGiveThePeriodAndFrequency) {
  measure().SetActive(true);
  const int first = NextMaximum(1), second = NextMaximum(first);
  EXPECT_EQ(first, 228);
  // Zoomed in to each maximum in turn, so that a pixel is less than a sample apart.
  chart().SetLayerRange(1, 0.1L, -1.1L, 0.4L, 1.1L);
  MoveTo(PixelOf(first));
  Click(PixelOf(first));
  EXPECT_EQ(measure().ReferenceSample(), first);
  EXPECT_EQ(chart().CrossHair(ChartOverlaySlots::MeasureReferenceCrossHair)->Mode(), chVert);
  chart().SetLayerRange(1, 1.0L, -1.1L, 1.3L, 1.1L);
  MoveTo(PixelOf(second));
  ASSERT_EQ(measure().CursorSample(), second);
  const double period = chart().Item(second).X - chart().Item(first).X;
  EXPECT_NEAR(period, 2 * M_PI / 6.738e6 * 1e6, 0.002); // 2 pi / omega, in usec
  const QStringList lines = measure().ReadoutText().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[1].contains(QString::number(period, 'f', 3))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains(QuantityText(1e6 / period, "Hz"))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains("MHz"));
  EXPECT_NEAR(chart().Scale1X()->RangeHigh(), 1.3, 1e-12); // the clicks zoomed nothing
}

// Pairs of samples one microsecond apart read 1/dt = 1.000 MHz, whatever the rounding
// of the two sample times left in dt (about one pair in twelve used to read 1000 kHz).
TEST_F(MeasureTest, OneMicrosecondApartReadsOneMegahertzForEveryPair) {
  // Not switched on: the readout's text without a repaint; every 11th of the 9,001 pairs.
  QSet<QString> seen;
  for (int first = 0; first + 1000 < LiveCurveLength(chart()); first += 11) {
    measure().MoveCursorToTime(chart().Item(first).X);
    measure().SetReference();
    measure().MoveCursorToTime(chart().Item(first + 1000).X);
    ASSERT_EQ(measure().CursorSample(), first + 1000);
    const QString line = measure().ReadoutText().split('\n').value(1);
    seen.insert(line.mid(line.lastIndexOf('=') + 2));
  }
  EXPECT_EQ(seen, QSet<QString>{"1.000 MHz"});
  // Both cursors on one sample: no frequency.
  measure().SetReference();
  EXPECT_TRUE(measure().ReadoutText().endsWith(QString::fromUtf8("1/\u0394t = -")));
}

TEST_F(MeasureTest, ShiftDrawsAZoomBandWhileMeasuring) {
  measure().SetActive(true);
  const QPoint a = chart().MapToPixel(1, 2, 0.5), b = chart().MapToPixel(1, 4, -0.5);
  // A plain press is a measuring click, not a band.
  Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(chart().ZoomState(), TCustomRChart::zsNormal);
  Mouse(QEvent::MouseButtonRelease, a, Qt::LeftButton, Qt::NoButton);
  // With Shift: the band, as without measuring.
  Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(chart().ZoomState(), TCustomRChart::zsDrawWin);
  Mouse(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
  EXPECT_NEAR(chart().Scale1X()->RangeLow(), 2, 0.03);
  EXPECT_NEAR(chart().Scale1X()->RangeHigh(), 4, 0.03);
  MoveTo(b);
  EXPECT_EQ(chart().MouseAction(), maNone); // measuring goes on
  EXPECT_TRUE(measure().Active());
}

TEST_F(MeasureTest, EscapeEndsMeasuringAndTheDesignedPictureReturns) {
  chart().Paint();
  const QImage designed = chart().ControlImage().Image().copy();
  measure().SetActive(true);
  MoveTo(PixelOf(1000));
  Click(PixelOf(1000));
  MoveTo(PixelOf(2000));
  EXPECT_FALSE(chart().ControlImage().Image() == designed);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&chart(), &esc);
  EXPECT_FALSE(measure().Active());
  EXPECT_FALSE(measure().Action()->isChecked());
  EXPECT_EQ(chart().MouseAction(), maZoomWindPos);
  EXPECT_EQ(chart().CrossHair(ChartOverlaySlots::MeasureSampleCrossHair)->Mode(), chOff);
  EXPECT_EQ(chart().CrossHair(ChartOverlaySlots::MeasureReferenceCrossHair)->Mode(), chOff);
  EXPECT_FALSE(chart().TextLabel(ChartOverlaySlots::MeasureReadoutLabel)->Visible());
  EXPECT_TRUE(chart().ControlImage().Image() == designed);
  // Off, the mouse zooms as designed and moves no cursor.
  MoveTo(PixelOf(3000));
  EXPECT_EQ(measure().CursorSample(), -1);
}

TEST_F(MeasureTest, TheCursorFollowsANewCurve) {
  measure().SetActive(true);
  MoveTo(PixelOf(500));
  const int s = measure().CursorSample();
  const double before = chart().CrossHair(ChartOverlaySlots::MeasureSampleCrossHair)->PosY();
  form.SBarR->setValue(0); // undamped
  QCoreApplication::processEvents();
  EXPECT_EQ(measure().CursorSample(), s);
  EXPECT_NE(chart().Item(s).Y, before);
  EXPECT_EQ(chart().CrossHair(ChartOverlaySlots::MeasureSampleCrossHair)->PosY(), chart().Item(s).Y);
  EXPECT_TRUE(measure().ReadoutText().contains(QString::number(chart().Item(s).Y, 'g', 5)));
}

} // namespace
