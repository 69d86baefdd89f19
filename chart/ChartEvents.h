#pragma once
// The chart's event handler types and its counters of drawing work.
#include "Canvas.h"
#include "ChartTypes.h"
#include "TCrossHair.h"
#include "TTextLabel.h"
#include <QObject>
#include <functional>

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TRenderEvent = std::function<void(QObject* Sender, TCanvas& Canvas, int Top, int Left)>;
using TRubberBandEvent = std::function<void(QObject* Sender, int Layer, double LoX, double LoY,
                                            double HiX, double HiY)>;
using TMouseMoveInChartEvent = std::function<void(QObject* Sender, bool InChart, TShiftState Shift,
                                                  double rMousePosX, double rMousePosY)>;
using TCrossHairMoveEvent = std::function<void(QObject* Sender, TCrossHair* WhichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(QObject* Sender, TTextLabel* WhichTextLabel)>;

// Counters of the drawing work actually done (for diagnostics and tests).
struct TRenderStats {
  int FullPaints = 0;  // Paint runs that drew (not refused by lock, loading or visibility)
  int FastRedraws = 0; // data-area-only redraws of ShowItems
  int Polylines = 0;   // polyline calls of RenderItems
};
