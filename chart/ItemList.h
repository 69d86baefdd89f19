#pragma once
// The storage of the chart's display list. A display item is 64 bytes, but the
// items of a curve differ only in their coordinates: the list keeps the points
// (16 bytes each) in one array and the other fields once per run of consecutive
// items that share them. Appending is amortised constant time (the arrays grow
// geometrically); an item is put together again when it is read.
#include "ChartTypes.h"

#include <cstring>
#include <memory>
#include <vector>

// The fields of a display item other than its coordinates.
struct TItemAttrs {
  TColor Color = 0;
  TColor FillColor = 0;
  qint32 LineWidth = 0;
  qint32 Layer = 0;
  Platform::TPenStyle PenStyle = Platform::psSolid;
  quint8 ItemClass = 0;
  quint8 Kind = 0;
  quint8 Unused = 0; // keeps the padding defined, so that runs compare bytewise

  bool operator==(const TItemAttrs& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};
static_assert(sizeof(TItemAttrs) == 20);

struct TItemPoint {
  double X, Y;
};
static_assert(sizeof(TItemPoint) == 16);

// Items First .. (next run's First) - 1 share Attrs.
struct TItemRun {
  int First = 0;
  TItemAttrs Attrs;
  bool Rising = true; // X never decreases from one item of the run to the next
};

class TItemList {
public:
  // Clear keeps point storage of at most this many bytes (4,194,304 points) and
  // run storage of at most RetainedRuns runs.
  static constexpr size_t RetainedBytes = size_t(64) << 20;
  static constexpr size_t RetainedRuns = 65536;

  int Count() const { return count_; }
  const TItemPoint* Points() const { return points_.get(); }
  const std::vector<TItemRun>& Runs() const { return runs_; }
  // The run that holds item i (0 <= i < Count()).
  int RunOf(int i) const;
  // Item i as a whole (0 <= i < Count()).
  TDisplayItem Item(int i) const;
  // Bytes of storage held (points and runs), used or not.
  size_t StorageBytes() const { return PointBytes() + runs_.capacity() * sizeof(TItemRun); }
  size_t PointBytes() const { return pointCapacity_ * sizeof(TItemPoint); }

  void Append(const TItemAttrs& attrs, double x, double y) {
    if (count_ == int(pointCapacity_)) [[unlikely]]
      Grow();
    points_[size_t(count_)] = TItemPoint{x, y};
    if (runs_.empty() || !(runs_.back().Attrs == attrs)) [[unlikely]] {
      runs_.push_back(TItemRun{count_, attrs, true});
    } else if (!(x >= points_[size_t(count_) - 1].X)) { // NaN counts as a fall
      runs_.back().Rising = false;
    }
    ++count_;
  }
  // Empties the list; the storage stays up to the bounds above.
  void Clear();
  // The first n items of another list (n <= other.Count()).
  void AssignPrefix(const TItemList& other, int n);

private:
  void Grow();

  std::unique_ptr<TItemPoint[]> points_;
  size_t pointCapacity_ = 0;
  int count_ = 0;
  std::vector<TItemRun> runs_;
};
