// The layers' range rules and mapping on their own, without a chart widget:
// property objects, joint layers and a geometry passed in by hand.
#include "LayerRanges.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

class LayerRangesTest : public ::testing::Test {
protected:
  LayerRangesTest() {
    for (int n = 1; n <= TLayerRanges::NumLayers; ++n) {
      px_[n] = new TScalePropsHoriz(&owner_);
      py_[n] = new TScalePropsVert(&owner_);
    }
    ranges.OnStored = [this](int layer) { stored.push_back(layer); };
  }
  QObject owner_;
  TLayerRanges::PropsX px_{};
  TLayerRanges::PropsY py_{};
  TJointLayers* jointsPtr_ = new TJointLayers(&owner_);

public:
  TLayerRanges ranges{px_, py_, jointsPtr_};
  TJointLayers& joints = *jointsPtr_;
  std::vector<int> stored;
  // A 280 x 200 control whose data area spans 50 .. 260 and 20 .. 160.
  TChartGeometry geometry{QSize(280, 200), QRect(QPoint(50, 20), QPoint(260, 160)), 1, 1};

  void ExpectRange(const TScaleProps* p, double lo, double hi) {
    EXPECT_DOUBLE_EQ(p->RangeLow(), lo);
    EXPECT_DOUBLE_EQ(p->RangeHigh(), hi);
  }
};

TEST_F(LayerRangesTest, StoringAppliesTheGuardsPerAxisAndNotifiesOnce) {
  px_[1]->SetMinRange(1);
  ranges.StoreRange(1, 0, -1, 0.5, 2); // x narrower than MinRange
  ExpectRange(px_[1], 0, 1);
  ExpectRange(py_[1], -1, 2);
  ranges.StoreRange(1, 0, std::numeric_limits<double>::infinity(), 10, 3); // y not finite
  ExpectRange(px_[1], 0, 10);
  ExpectRange(py_[1], -1, 2);
  ranges.StoreRange(1, 1e400L, 0, 5, 1); // beyond double: not stored
  ExpectRange(px_[1], 0, 10);
  EXPECT_EQ(stored, (std::vector<int>{1, 1, 1}));

  py_[2]->SetRangeLow(1);
  py_[2]->SetRangeHigh(10);
  py_[2]->SetLogarithmic(true);
  ranges.StoreRange(2, 0, 1e-200L, 1, 100); // the bound below LogMin stays
  ExpectRange(py_[2], 1, 100);
}

TEST_F(LayerRangesTest, WideningAndTheIsometricFitFollowTheGeometry) {
  long double lx = 5, ly = 2, hx = 5, hy = 2;
  ranges.Widen(1, lx, ly, hx, hy, false, geometry);
  EXPECT_NEAR(double(hx - lx), 1e-10, 1e-18); // by MinRange
  EXPECT_NEAR(double(hy - ly), 1e-10, 1e-18);

  px_[3]->SetRangeLow(1);
  px_[3]->SetRangeHigh(10);
  px_[3]->SetLogarithmic(true);
  lx = 5, hx = 5, ly = 0, hy = 1;
  ranges.Widen(3, lx, ly, hx, hy, false, geometry);
  EXPECT_DOUBLE_EQ(double(lx), double(5 / 1.1L));
  EXPECT_DOUBLE_EQ(double(hx), double(5 * 1.1L));

  // Area 211 x 141; pixels twice as high as wide halve the y range.
  geometry.aspectY = 1;
  geometry.aspectX = 2;
  lx = 0, hx = 211, ly = 10, hy = 20;
  ranges.Widen(1, lx, ly, hx, hy, true, geometry);
  EXPECT_DOUBLE_EQ(double(ly), 15 - 70.5 / 2);
  EXPECT_DOUBLE_EQ(double(hy), 15 + 70.5 / 2);
  EXPECT_DOUBLE_EQ(double(TLayerRanges::IsoHalfHeight(211, geometry)), 70.5 / 2);

  px_[4]->SetRangeHigh(211);
  py_[4]->SetRangeLow(0);
  py_[4]->SetRangeHigh(2);
  ranges.RefitIsometric(geometry);
  ExpectRange(py_[4], 1 - 70.5 / 2, 1 + 70.5 / 2);
}

TEST_F(LayerRangesTest, ControlledAxesKeepTheirRangeAndFollowTheController) {
  for (int n = 1; n <= 3; ++n) ranges.StoreRange(n, 0, 0, 1, 1);
  joints.SetXController(2, 1);
  joints.SetYController(3, 1);
  stored.clear();
  ranges.ApplyToLayer(1, 2, 4, 8, 6);
  ExpectRange(px_[2], 2, 8); // x follows layer 1
  ExpectRange(py_[2], 0, 1);
  ExpectRange(px_[3], 0, 1);
  ExpectRange(py_[3], 4, 6); // y follows layer 1
  EXPECT_EQ(stored, (std::vector<int>{1, 2, 3}));

  ranges.ApplyToLayer(2, 10, 10, 20, 20); // its own x does not move
  ExpectRange(px_[2], 2, 8);
  ExpectRange(py_[2], 10, 20);

  px_[1]->StoreRangeHigh(9); // written past the rules: StoreAll brings the joints up to date
  ranges.StoreAll();
  ExpectRange(px_[2], 2, 9);
}

TEST_F(LayerRangesTest, MappingUsesTheAreaAndTheDeviceScale) {
  ranges.StoreRange(1, 0, 0, 210, 140); // one unit per pixel
  ranges.CalcFactors(geometry);
  const QSize size = geometry.control;
  EXPECT_EQ(ranges.MapToPixel(1, 0, 0, 1, size), QPoint(50, 160));
  EXPECT_EQ(ranges.MapToPixel(1, 210, 140, 1, size), QPoint(260, 20));
  EXPECT_EQ(ranges.MapToPixel(1, 0.25, 0, 2, size), QPoint(100, 320)); // 2 * 50.25 = 100.5 -> even
  EXPECT_EQ(ranges.MapToWorld(1, 155, 90), QPointF(105, 70));

  ranges.StoreRange(1, 1, 0, 100, 140);
  px_[1]->SetLogarithmic(true);
  ranges.CalcFactors(geometry);
  EXPECT_EQ(ranges.MapToPixel(1, 10, 0, 1, size).x(), 155);
  EXPECT_EQ(ranges.MapToPixel(1, 0, 0, 1, size).x(), 0); // non-positive: the low edge

  geometry.area = QRect(QPoint(300, 20), QPoint(260, 160)); // no room across
  ranges.CalcFactors(geometry);
  EXPECT_EQ(ranges.Factors(1).kx, 0.0L);
  EXPECT_EQ(ranges.Factors(1).dx, 140.0L);
}

} // namespace
