#pragma once
// Holds back the chart's repaint on every single label change: while it lives the
// chart does not redraw by itself, and the next ShowItems or paint shows the
// labels as they are then.
#include "TRChart.h"

class TQuietChart {
public:
  explicit TQuietChart(TCustomRChart& chart) : chart_(chart), saved_(chart.AutoRedraw()) {
    chart_.SetAutoRedraw(false);
  }
  ~TQuietChart() { chart_.SetAutoRedraw(saved_); }
  TQuietChart(const TQuietChart&) = delete;
  TQuietChart& operator=(const TQuietChart&) = delete;

private:
  TCustomRChart& chart_;
  bool saved_;
};
