// The main window: its designed layout, its stored settings and the response it computes.
#include "StdControls.h"
#include "StoredSettingsCheck.h"
#include "TForm1.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "TScale.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <cmath>

namespace {

struct Form1Test : ::testing::Test {
  TForm1 form;
  void SetPositions(int r, int c, int l) {
    form.SBarR->setValue(r);
    form.SBarC->setValue(c);
    form.SBarL->setValue(l);
  }
  double Y(int i) { return form.RCResponse->Item(i).Y; }
  double X(int i) { return form.RCResponse->Item(i).X; }
  int ArgMaxOfFirstPeak() {
    int i = 1;
    while (i < 10000 && Y(i + 1) > Y(i)) ++i;
    return i;
  }
};

// The aligned components fill the window as their alignments divide it.
TEST_F(Form1Test, AlignedComponentsDivideTheWindow) {
  EXPECT_EQ(form.size(), QSize(727, 544));
  EXPECT_EQ(form.Memo1->geometry(), QRect(0, 544 - 62, 727, 62));
  EXPECT_EQ(form.Panel1->geometry(), QRect(727 - 222, 0, 222, 544 - 62));
  EXPECT_EQ(form.RCResponse->geometry(), QRect(0, 0, 727 - 222, 544 - 62));
  EXPECT_FALSE(form.Image1->pixmap().isNull());
}

// Every line of the stored settings, read back through the property it names:
// places, ranges, the chart's and labels' settings, and the "LX_" texts, which
// show as their keys without the prefix when there is no translation table.
TEST_F(Form1Test, TheWindowHoldsEveryStoredSetting) {
  const TSettingsReadBack stored =
      ReadBackStoredSettings(&form, QStringLiteral(KALVORA_RESOURCES "/forms/Form1.settings"), true);
  EXPECT_GT(stored.lines, 200);
  EXPECT_TRUE(stored.mismatches.isEmpty()) << stored.mismatches.join('\n').toStdString();
  EXPECT_EQ(form.windowTitle(), "Kalvora"); // the reading back itself applies the rule
}

TEST_F(Form1Test, AxesMapValuesToTheSamePixelsAsTheChart) {
  // The chart's scales are sized and scaled while the window loads; their ticks
  // and labels must sit where the chart draws the same values.
  TRChart* chart = form.RCResponse;
  for (double x : {0.0, 2.0, 10.0})
    EXPECT_EQ(chart->ScaleObjectX(1)->ValueToPixel(x), chart->MapToPixel(1, x, 0).x()) << x;
  for (double y : {-1.1, 0.0, 0.5, 1.1})
    EXPECT_EQ(chart->ScaleObjectY(1)->ValueToPixel(y), chart->MapToPixel(1, 0, y).y()) << y;
}

TEST_F(Form1Test, InitialCurveHasItsFirstMaximumAtSample228) {
  form.CalcResponse();
  TRChart* chart = form.RCResponse;
  ASSERT_EQ(chart->ItemCount(), 10001);
  EXPECT_EQ(chart->Capacity(), 11000);
  EXPECT_EQ(chart->Item(0).Kind, ikMoveTo);
  EXPECT_EQ(chart->Item(1).Kind, ikLineTo);
  EXPECT_EQ(Y(0), 0.0);
  EXPECT_EQ(ArgMaxOfFirstPeak(), 228);
  EXPECT_NEAR(X(228), 0.228, 1e-12);
  EXPECT_NEAR(Y(228), 0.948, 0.0005);
  EXPECT_NEAR(Y(10000), -0.094, 0.0005);
  EXPECT_DOUBLE_EQ(X(10000), 10.0);
  EXPECT_EQ(form.NLabR->Value(), 4.7);
  EXPECT_EQ(form.NLabC->Value(), 2.2);
  EXPECT_EQ(form.NLabL->Value(), 10.0);
  EXPECT_EQ(form.NLabR->ValueText(), "4.70");
}

TEST_F(Form1Test, UndampedAndAperiodicCircuits) {
  SetPositions(0, 220, 1000); // R = 0: an undamped sine of amplitude 1
  EXPECT_NEAR(Y(10000), -0.992, 0.0005);
  double peak = 0;
  for (int i = 0; i <= 10000; ++i) peak = std::max(peak, std::fabs(Y(i)));
  EXPECT_NEAR(peak, 1.0, 1e-6);

  SetPositions(10000, 10, 10); // delta >= omega0: omega is 1, the gain is omega0^2 = 1e17
  EXPECT_EQ(Y(0), 0.0);
  int peakAt = 0;
  for (int i = 0; i <= 10000; ++i)
    if (Y(i) > Y(peakAt)) peakAt = i;
  EXPECT_EQ(peakAt, 2);
  EXPECT_NEAR(Y(2) / 7.36e7, 1.0, 0.001);
  EXPECT_LT(std::fabs(Y(200)), 1e-6);
}

TEST_F(Form1Test, EveryScrollBarStepRebuildsTheWholeListAndKeepsTheZoom) {
  form.CalcResponse();
  form.RCResponse->SetLayerRange(1, 2, -0.5L, 4, 0.5L);
  form.SBarC->setValue(221);
  EXPECT_EQ(form.RCResponse->ItemCount(), 10001);
  EXPECT_EQ(form.NLabC->Value(), 2.21);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1X()->RangeLow(), 2);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1X()->RangeHigh(), 4);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1Y()->RangeLow(), -0.5);

  form.Zoom111Click();
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1X()->RangeLow(), 0);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1X()->RangeHigh(), 10);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1Y()->RangeLow(), -1.1);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1Y()->RangeHigh(), 1.1);
}

TEST_F(Form1Test, ResetRestoresValuesCurveAndView) {
  SetPositions(0, 5000, 10);
  form.RCResponse->SetLayerRange(1, 2, -0.5L, 4, 0.5L);
  form.BButResetClick();
  EXPECT_EQ(form.SBarR->value(), 470);
  EXPECT_EQ(form.SBarC->value(), 220);
  EXPECT_EQ(form.SBarL->value(), 1000);
  EXPECT_EQ(ArgMaxOfFirstPeak(), 228);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1X()->RangeLow(), 0);
  EXPECT_DOUBLE_EQ(form.RCResponse->Scale1Y()->RangeHigh(), 1.1);
}

} // namespace
