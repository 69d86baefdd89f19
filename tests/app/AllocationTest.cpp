// A scroll-bar step must not allocate per item or per paint: the chart's work
// allocates only the display list's growth steps.
#include "AllocationCounter.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

TEST(Allocation, TheChartsPartOfAScrollBarStepAllocatesOnlyTheGrowthSteps) {
  TForm1 form;
  form.show();
  QCoreApplication::processEvents();
  form.CalcResponse(); // warm up fonts, caches and images
  TRChart* chart = form.RCResponse;
  const int fastBefore = chart->RenderStats().FastRedraws;
  const int n = CountAllocations([&] {
    chart->ClearItems();
    chart->MoveTo(0, 0);
    for (int i = 1; i <= 10000; ++i) chart->LineTo(i * 0.001, (i % 7) * 0.1);
    chart->ShowItems();
  });
  // 10,001 items grow the list eleven times by 1000 entries; the storage of the
  // previous list is reused, so at most those eleven steps allocate.
  EXPECT_LE(n, 11);
  EXPECT_EQ(chart->RenderStats().FastRedraws, fastBefore + 1); // what was counted is the fast redraw's step
}

TEST(Allocation, ARepeatedScrollBarStepAllocatesABoundedAmount) {
  TForm1 form;
  form.show();
  QCoreApplication::processEvents();
  form.SBarR->setValue(471);
  // Beyond the growth steps (none once the list's storage is reused) only the
  // numeric labels' texts and their text drawing allocate: a small, fixed amount
  // that does not grow with the items.
  for (int position : {472, 473, 474}) {
    const int n = CountAllocations([&] { form.SBarR->setValue(position); });
    EXPECT_LT(n, 11 + 200);
  }
}

} // namespace
