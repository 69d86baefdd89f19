#pragma once
// What the main window hands to each feature beyond the designed window
// (measuring, kept curves, export, keyboard, and the ones to come).
//
// How a feature joins: its constructor takes a TFeatureContext& and, from it,
//  - adds its pop-up items to Menu (captions "LX_..." are translated with the window)
//    and looks its texts up through Translate;
//  - reads the circuit through Positions and asks for a new curve through Recompute;
//  - draws on the chart by joining one of the render chains, and learns of every new
//    curve by joining CurveComputed; it keeps the links it gets as members, so that
//    it leaves when it goes (in any order with the other features);
//  - uses only the crosshairs and text labels ChartOverlaySlots.h gives it;
//  - takes the chart's input and resize events with an event filter on Chart.
// The window keeps the context alive longer than every feature that joined it.
// Nothing a feature does may show before the user turns it on.
#include "HandlerList.h"
#include "RenderHandlerChain.h"
#include "Texts.h"

#include <functional>

class QMenu;

// The three scroll-bar positions, in hundredths of Ohm, nF and uH.
struct TCircuitPositions {
  int R = 0, C = 0, L = 0;
  double R_Ohm() const { return R / 100.0; }
  double C_nF() const { return C / 100.0; }
  double L_uH() const { return L / 100.0; }
};

// A curve just computed for these positions: its samples Y[0 .. Samples - 1] at t = i ns
// are in the chart's display list, which is shown right after the handlers return
// (so they change the chart's overlays without repainting it).
struct TComputedCurve {
  TCircuitPositions Positions;
  const double* Y = nullptr;
  int Samples = 0;
};

class TFeatureContext {
public:
  TFeatureContext(TCustomRChart& chart, QMenu& menu, TTranslate translate)
      : Chart(chart), Menu(menu), Translate(std::move(translate)),
        BeforeRenderData(chart, &TCustomRChart::OnBeforeRenderData),
        ScalesRendered(chart, &TCustomRChart::OnScalesRendered) {}
  TFeatureContext(const TFeatureContext&) = delete;
  TFeatureContext& operator=(const TFeatureContext&) = delete;

  TCustomRChart& Chart;
  QMenu& Menu;
  TTranslate Translate;
  std::function<TCircuitPositions()> Positions; // set by the window
  std::function<void()> Recompute;              // set by the window: compute and show the curve anew
  // Set by the window: moves the scroll bars to the positions, then computes the curve once.
  std::function<void(const TCircuitPositions&)> SetPositions;

  // On the data area before the items (top, left: the data area's corner on the canvas).
  TRenderHandlerChain BeforeRenderData;
  // On the whole control's picture, after the frame, caption and axes.
  TRenderHandlerChain ScalesRendered;
  // After every computation of the curve.
  THandlerList<const TComputedCurve&> CurveComputed;
};
