#pragma once
// Draws a chart's display list onto a canvas: the items in list order, one run of
// items with the same attributes at a time, mapped (on the fast path where it is
// exact) straight into polylines of at most PolylineBufferSize points. Made on the
// stack for one drawing; it allocates nothing.
#include "ItemMapping.h"
#include "TCustomRChart.h"

class TItemRenderer {
public:
  // On a canvas of device scale s above 1 the items are mapped to device pixels
  // (s times finer), so the curve takes the finer steps.
  TItemRenderer(TCustomRChart& chart, TCanvas& canvas, int xOffset, int yOffset, bool monochrome);
  // Draws every visible item; the last polyline included.
  void Draw();

private:
  void Flush();
  // Items i0 .. i1 - 1 of a layer into the polyline buffer, mapped straight into it.
  void AddPoints(int layer, int i0, int i1);
  // Of a rising run on a linear x axis, only what can show.
  void AddVisiblePart(int layer, int first, int end, bool rising);
  QPoint ExactPixel(int layer, const TItemPoint& p) const;
  int ClampPixel(int p) const { return std::clamp(p, -limit_, limit_); }

  TCustomRChart& chart_;
  TCanvas& canvas_;
  const bool monochrome_;
  const int s_; // the canvas's device scale
  const int limit_;
  const QPoint shift_; // from control pixels to the canvas's
  const TItemPoint* const points_;
  QPoint* const buffer_;
  // Mapping of the layers with two linear axes in double; logarithmic layers and
  // the rare values near a half go through the chart's MapToPixel.
  std::array<FastLayer, TCustomRChart::NumLayers + 1> maps_;
  int n_ = 0; // points in the buffer
  QPoint current_;
};
