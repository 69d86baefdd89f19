#pragma once
// The world ranges of the chart's layers and their mapping to pixels. The ranges
// live in the layers' property objects; this class applies the rules for setting
// them (empty ranges widened, the isometric fit, joint layers, the MinRange and
// logarithmic guards) and keeps the scale factors of the mapping. It needs no
// widget: the chart passes its geometry in and syncs its axes in OnStored.
#include "TJointLayers.h"
#include "TScaleProps.h"
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <array>
#include <functional>

// Scale factors of one layer: pixel = k * value (or ln value) + d.
struct TScaleFactors {
  long double kx = 0, dx = 0, ky = 0, dy = 0;
};

// What the mapping and the isometric rule read of the chart: its size, its data
// area (both ends included) and the screen's pixel aspect.
struct TChartGeometry {
  QSize control;
  QRect area;
  int aspectX = 1, aspectY = 1;
};

class TLayerRanges {
public:
  static constexpr int NumLayers = 16;
  // Smallest bound a logarithmic axis stores and maps.
  static constexpr long double LogMin = 1e-100L;
  using PropsX = std::array<TScalePropsHoriz*, NumLayers + 1>; // index 1 .. 16
  using PropsY = std::array<TScalePropsVert*, NumLayers + 1>;

  // The arrays and the joint layers stay the owner's; the joint layers may be
  // created after this object, so it keeps a reference to the owner's pointer.
  TLayerRanges(const PropsX& x, const PropsY& y, TJointLayers* const& joints)
      : propsX_(x), propsY_(y), joints_(joints) {}

  // A range as a caller asks for it: an empty range widened (by MinRange, or by a
  // factor 1.1 on a logarithmic axis), then, when isometric, y refitted to the x range.
  void Widen(int layer, long double& lx, long double& ly, long double& hx, long double& hy,
             bool isometric, const TChartGeometry& g) const;
  // Joint layers, then storing with the guards, then the layers it controls.
  void ApplyToLayer(int layer, long double lx, long double ly, long double hx, long double hy);
  // Stores a range in a layer's property objects unless it is narrower than MinRange
  // (or not finite); a logarithmic bound below LogMin is not stored. Calls OnStored.
  void StoreRange(int layer, long double lx, long double ly, long double hx, long double hy);
  // Gives every other layer controlled by this one its controllers' ranges.
  void ApplyJoints(int layer);
  // A join just made: the layer takes its controller's range on that axis.
  void LayerJoined(int layer, bool x);
  // Every layer's stored range again, with its joints.
  void StoreAll();
  // Half the height of a y range that shows the same scale as an x range of the given width.
  static long double IsoHalfHeight(long double xWidth, const TChartGeometry& g);
  // Every layer's y range refitted to its x range around its centre.
  void RefitIsometric(const TChartGeometry& g);

  // ---- mapping ----
  void CalcFactors(const TChartGeometry& g);
  const TScaleFactors& Factors(int layer) const { return factors_[layer]; } // 1 .. 16
  // Control pixels of a world point (device pixels times deviceScale above 1).
  QPoint MapToPixel(int layer, double x, double y, int deviceScale, QSize control) const;
  QPointF MapToWorld(int layer, int px, int py) const;

  // After a range was stored in a layer's property objects (the owner syncs its
  // axes and recalculates the factors).
  std::function<void(int layer)> OnStored;

private:
  const PropsX& propsX_;
  const PropsY& propsY_;
  TJointLayers* const& joints_;
  std::array<TScaleFactors, NumLayers + 1> factors_{};
};
