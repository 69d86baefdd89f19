// The chart's display list and the sharing of it between charts: appending,
// clearing and showing the items, and the lists a source gives its sharers.
#include "TRChart.h"
#include "MessageBox.h"
#include <climits>

// ============================================================================
// Display list
// ============================================================================

bool TCustomRChart::ClassVisible(int itemClass) const {
  return itemClass >= 0 && itemClass < 256 && classVisible_[itemClass];
}

bool TCustomRChart::LayerVisible(int layer) const {
  return layer >= 1 && layer <= NumLayers && layerVisible_[layer];
}

void TCustomRChart::SetCurrentLayer(int layer) {
  if (layer >= 1 && layer <= NumLayers) currentLayer_ = layer;
  RefreshNewAttrs();
}

void TCustomRChart::SetClassVisible(int itemClass, bool visible) {
  if (itemClass >= 0 && itemClass < 256) classVisible_[size_t(itemClass)] = visible;
}

void TCustomRChart::SetLayerVisible(int layer, bool visible) {
  if (layer >= 1 && layer <= NumLayers) layerVisible_[size_t(layer)] = visible;
}

// When this chart shows another chart's list, it first takes a copy of its own
// (a viewer never writes into the source's list).
void TCustomRChart::MaterialiseOwnList() {
  if (items_ == &ownItems_) return;
  ownItems_.AssignPrefix(*items_, itemCount_);
  itemCount_ = ownItems_.Count();
  capacity_ = itemCount_;
  items_ = &ownItems_;
}

void TCustomRChart::AppendItemSlow(quint8 kind, double x, double y) {
  if (items_ != &ownItems_) MaterialiseOwnList(); // checked here: this runs per item
  if (itemCount_ >= capacity_) // the capacity callers see grows by AllocSize
    capacity_ = capacity_ > INT_MAX - allocSize_ ? INT_MAX : capacity_ + allocSize_;
  ownItems_.Append(NewAttrs(kind), x, y);
  ++itemCount_;
  if (numSharers_ > 0) PropagateList();
}

TDisplayItem TCustomRChart::Item(int i) const {
  return i >= 0 && i < itemCount_ ? items_->Item(i) : TDisplayItem{};
}

void TCustomRChart::ClearItems() {
  DrawDataBackground(dataImage_.Canvas(), 0, 0);
  itemCount_ = 0;
  // The capacity is 0 again, but the storage stays for the next list up to a bound:
  // rebuilding a list of the same length then copies and reallocates nothing.
  ownItems_.Clear();
  capacity_ = 0;
  items_ = &ownItems_;
  PropagateList();
}

// A source gives its array (the same one) and its item count to its sharers.
void TCustomRChart::PropagateList() {
  for (int i = 0; i < numSharers_; ++i) {
    sharers_[i]->items_ = items_;
    sharers_[i]->itemCount_ = itemCount_;
  }
}

void TCustomRChart::ShowItems() {
  if (usesData_) { // a viewer first takes its source's current list
    items_ = usesData_->items_;
    itemCount_ = usesData_->itemCount_;
  }
  if (isVisible()) {
    PropagateList();
    // The fast path needs frame, caption and axes already in the window; before
    // the first full paint at the current size it would leave them out.
    if (autoRedraw_ && composedSize_ == size()) {
      ++stats_.FastRedraws;
      DrawDataBackground(dataImage_.Canvas(), 0, 0);
      RenderItems(dataImage_.Canvas(), 0, 0, false, false);
      PresentImage(marginLeft_, marginTop_, dataImage_);
    } else {
      Paint();
    }
  }
  if (usesData_) {
    TCustomRChart* source = usesData_;
    source->RepaintIfAuto();
    for (int i = 0; i < source->numSharers_; ++i) source->sharers_[i]->RepaintIfAuto();
  }
  for (int i = 0; i < numSharers_; ++i) sharers_[i]->RepaintIfAuto();
}

// ============================================================================
// Data sharing
// ============================================================================

void TCustomRChart::LeaveSource() {
  if (!usesData_) return;
  TCustomRChart* source = usesData_;
  int k = 0;
  for (int i = 0; i < source->numSharers_; ++i)
    if (source->sharers_[i] != this) source->sharers_[k++] = source->sharers_[i];
  for (int i = k; i < source->numSharers_; ++i) source->sharers_[i] = nullptr;
  source->numSharers_ = k;
  MaterialiseOwnList(); // keeps showing what it showed
  usesData_ = nullptr;
}

void TCustomRChart::SetUseDataOf(TCustomRChart* source) {
  if (source == this) {
    ShowInformation(QStringLiteral("RChart: Cannot share data with myself"));
    return;
  }
  if (source == usesData_) return;
  if (numSharers_ > 0) {
    ShowInformation(
        QStringLiteral("RChart: Cannot use foreign data. Other RCharts are using my own data."));
    return;
  }
  if (source && source->usesData_) source = source->usesData_; // sources are never sharers
  if (source == usesData_) return;
  if (source && source->numSharers_ >= MaxSharers) {
    ShowInformation(QStringLiteral("RChart: Max. number of data shares exceeded"));
    return;
  }
  LeaveSource();
  if (source) {
    ownItems_ = TItemList();
    capacity_ = 0;
    items_ = source->items_;
    itemCount_ = source->itemCount_;
    source->sharers_[source->numSharers_++] = this;
    usesData_ = source;
  }
  RepaintIfAuto();
}
