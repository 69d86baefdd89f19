// Drawing a chart's scale allocates nothing per tick beyond the label texts: an
// unlabelled axis costs the same whether it draws 20 or 400 ticks.
#include "TScale.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
} // namespace

void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

int PaintAllocations(TScale& scale) {
  scale.ForcedPaint(); // warm up fonts and metrics
  allocations = 0;
  counting = true;
  scale.ForcedPaint();
  counting = false;
  return allocations;
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
