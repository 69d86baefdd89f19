// The window's exact response: drawn when switched on, the designed curve otherwise.
#include "ChartExtras.h"
#include "Responses.h"
#include "SampleGrid.h"
#include "SettingsScope.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QAction>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Rlc::SampleGrid::Samples;

TEST(ExactResponse, TheWindowDrawsItWhenSwitchedOnAndTheDesignedCurveOtherwise) {
  TSettingsScope settings; // the item stores the choice
  TForm1 form;
  form.SBarR->setValue(10000);
  form.SBarC->setValue(10);
  form.SBarL->setValue(10);
  form.CalcResponse();
  double designedPeak = 0;
  for (int i = 0; i < Samples; ++i) designedPeak = std::max(designedPeak, std::fabs(form.RCResponse->Item(i).Y));
  EXPECT_GT(designedPeak, 1e7); // the designed computation leaves the view

  form.Extras->ExactResponseItem->trigger(); // recomputes
  ASSERT_TRUE(form.Extras->ExactResponse());
  std::vector<double> y(Samples);
  Rlc::ExactNormalisedResponse(Rlc::DampingAt({10000, 10, 10}), y.data());
  ASSERT_EQ(form.RCResponse->ItemCount(), Samples);
  for (int i = 0; i < Samples; ++i) {
    ASSERT_EQ(form.RCResponse->Item(i).Y, y[size_t(i)]) << i;
    ASSERT_EQ(form.RCResponse->Item(i).X, double(i * 0.001L)) << i;
  }
  form.Extras->ExactResponseItem->trigger();
  EXPECT_NEAR(form.RCResponse->Item(2).Y, 7.36e7, 0.01e7);
}

} // namespace
