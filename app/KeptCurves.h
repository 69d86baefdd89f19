#pragma once
// Comparison curves: up to four earlier responses kept in the chart, each in its
// own colour and pen style, drawn below the live curve and mapped through layer 1
// like it (so zoom and pan act on all alike), with a legend of their R, C and L
// inside the chart. They live only as long as the window.
//
// They are not items of the chart's display list: they join the chart's data
// rendering (the context's BeforeRenderData) and are drawn before the items; as
// long as neither the view nor the curves change, the pixels they covered last
// time are written again instead of drawing 40,000 segments on every scroll-bar step.
#include "ChartOverlaySlots.h"
#include "HandlerList.h"
#include "SampleGrid.h"
#include "TRChart.h"

#include <QString>
#include <array>
#include <deque>
#include <vector>

class TFeatureContext;

struct TKeptCurve {
  int PosR = 0, PosC = 0, PosL = 0; // scroll-bar positions, hundredths
  double R = 0, C = 0, L = 0;       // as the window shows them: Ohm, nF, uH
  std::vector<double> Y;            // the samples at t = i ns, i = 0 .. 10000 (x = i * 0.001 us)
  bool Exact = false;               // drawn as the exact normalised response (else the designed one)
  QString Mode;                     // the mode in words for the legend (empty: none shown)
  TColor Color = clBlack;
  Platform::TPenStyle PenStyle = psSolid;
};

class TKeptCurves {
public:
  static constexpr int MaxCurves = 4;
  static constexpr int Samples = Rlc::SampleGrid::Samples;
  static_assert(MaxCurves <= ChartOverlaySlots::KeptCurvesLegendLabels);

  // Joins the chart's data rendering; leaves it when destroyed.
  explicit TKeptCurves(TFeatureContext& context);
  // The chart outlives its features: the legend leaves with the curves.
  ~TKeptCurves();
  TKeptCurves(const TKeptCurves&) = delete;
  TKeptCurves& operator=(const TKeptCurves&) = delete;

  // Keeps a copy of the samples y[0 .. Samples - 1] of the curve for these
  // positions, drawn in the given mode (named by mode in the legend); beyond
  // MaxCurves the oldest goes. Updates the legend.
  void Keep(int posR, int posC, int posL, const double* y, bool exact = false, const QString& mode = QString());
  void Clear();
  // Oldest first.
  const std::deque<TKeptCurve>& Curves() const { return curves_; }

  // Draws the curves on a canvas of the chart's data rendering, where the control
  // pixel p lies at p - (left, top); the canvas's pen and brush stay as they were.
  void Draw(TCanvas& canvas, int top, int left);
  // Places the legend in the lower right corner of the data area (after a resize).
  void PlaceLegend();

private:
  struct View {
    int width = 0, height = 0, top = 0, left = 0, lineWidth = 0;
    bool logX = false, logY = false;
    long double kx = 0, dx = 0, ky = 0, dy = 0;
    quint64 generation = 0;
    bool operator==(const View&) const = default;
  };
  struct Pixel {
    int x, y;
    quint32 rgb;
  };
  View CurrentView(const TCanvas& canvas, int top, int left) const;
  void DrawPolylines(TCanvas& canvas, int top, int left) const;
  void CachePixels(const View& view);

  TCustomRChart& chart_;
  std::deque<TKeptCurve> curves_;
  int kept_ = 0;           // curves kept so far; picks the next colour and pen style
  quint64 generation_ = 0; // changes with every change of the curves
  bool cached_ = false;
  View cachedView_;
  std::vector<Pixel> pixels_; // what the curves drew in cachedView_, final colours
  THandlerLink drawing_;      // in the chart's data rendering
};
