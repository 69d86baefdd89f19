#include "ItemList.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

int TItemList::RunOf(int i) const {
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), i,
                                      [](int index, const TItemRun& r) { return index < r.First; });
  return int(after - runs_.begin()) - 1;
}

TDisplayItem TItemList::Item(int i) const {
  const TItemAttrs& a = runs_[size_t(RunOf(i))].Attrs;
  const TItemPoint& p = points_[size_t(i)];
  return TDisplayItem{p.X, p.Y, 0, 0, a.Color, a.FillColor, 0, 0,
                      a.PenStyle, a.LineWidth, a.ItemClass, a.Kind, a.Layer};
}

// Doubles the point array (copying is then linear in the items appended in all).
void TItemList::Grow() {
  if (count_ == INT_MAX) throw std::length_error("RChart: the display list is full"); // item numbers are int
  const size_t wanted = std::max<size_t>(1024, pointCapacity_ * 2);
  const size_t capacity = std::min<size_t>(wanted, INT_MAX);
  auto grown = std::make_unique_for_overwrite<TItemPoint[]>(capacity);
  if (count_ > 0) std::copy_n(points_.get(), count_, grown.get());
  points_ = std::move(grown);
  pointCapacity_ = capacity;
}

void TItemList::Clear() {
  count_ = 0;
  runs_.clear();
  if (PointBytes() > RetainedBytes) {
    points_.reset();
    pointCapacity_ = 0;
  }
  if (runs_.capacity() > RetainedRuns) std::vector<TItemRun>().swap(runs_);
}

void TItemList::AssignPrefix(const TItemList& other, int n) {
  n = std::clamp(n, 0, other.count_);
  if (pointCapacity_ < size_t(n)) {
    points_ = std::make_unique_for_overwrite<TItemPoint[]>(size_t(n));
    pointCapacity_ = size_t(n);
  }
  std::copy_n(other.points_.get(), n, points_.get());
  count_ = n;
  runs_.clear();
  for (const TItemRun& r : other.runs_)
    if (r.First < n) runs_.push_back(r);
}
