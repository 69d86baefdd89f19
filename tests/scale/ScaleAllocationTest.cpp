// Drawing a chart's scale allocates nothing per tick beyond the label texts: an
// unlabelled axis costs the same whether it draws 20 or 400 ticks.
#include "AllocationCounter.h"
#include "TScale.h"

#include <gtest/gtest.h>

namespace {

int PaintAllocations(TScale& scale) {
  scale.ForcedPaint(); // warm up fonts and metrics
  return CountAllocations([&] { scale.ForcedPaint(); });
}

TEST(ScaleAllocation, TicksWithoutLabelsAllocateNothingPerTick) {
  TBitmap image(800, 400);
  for (TScaleType type : {sctXB, sctYL}) {
    TScale scale;
    scale.SetBounds(0, 0, 800, 400);
    scale.SetChartOwned(true);
    scale.SetExternalCanvas(&image.Canvas(), 0, 0);
    scale.SetTransparent(true);
    scale.SetScaleType(type);
    scale.SetLabelType(ftNoFigs);
    scale.SetMinTicks(0);
    scale.SetRangeHigh(20);
    const int few = PaintAllocations(scale);
    scale.SetRangeHigh(400);
    const int many = PaintAllocations(scale);
    EXPECT_EQ(few, many) << type;
    EXPECT_LE(many, 4) << type;
  }
}

TEST(ScaleAllocation, LabelledTicksAllocateOnlyTheirTexts) {
  TBitmap image(800, 400);
  TScale scale;
  scale.SetBounds(0, 0, 800, 400);
  scale.SetChartOwned(true);
  scale.SetExternalCanvas(&image.Canvas(), 0, 0);
  scale.SetTransparent(true);
  scale.SetMinTicks(0);
  scale.SetShortTicks(false);
  scale.SetRangeHigh(20);
  const int few = PaintAllocations(scale); // 21 labels
  scale.SetRangeHigh(40);
  const int many = PaintAllocations(scale); // 41 labels
  // A label's text and the toolkit's text measuring and drawing allocate; the rest
  // of the tick costs nothing, so the cost per label stays a small constant.
  EXPECT_LE(many - few, 20 * 12);
}

} // namespace
