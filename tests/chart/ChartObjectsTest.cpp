// The chart's configuration objects: scale properties, joint layers,
// background picture, crosshairs and text labels.
#include "TBakGndImg.h"
#include "TCrossHair.h"
#include "TJointLayers.h"
#include "TScaleProps.h"
#include "TTextLabel.h"

#include <QVariant>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

// Counts the change notifications of the objects it watches.
struct Notified {
  int count = 0;
  template <class T> void Watch(T& object) {
    object.OnChange = [this](QObject*) { ++count; };
  }
};

// ---- TScaleProps ----------------------------------------------------------------

TEST(ScaleProps, CreationValues) {
  TScalePropsHoriz x;
  EXPECT_EQ(x.RangeLow(), 0.0);
  EXPECT_EQ(x.RangeHigh(), 1.0);
  EXPECT_EQ(x.MinRange(), 1e-10);
  EXPECT_EQ(x.DecPlaces(), -2);
  EXPECT_EQ(x.MinTicks(), 3);
  EXPECT_EQ(x.LabelType(), ftNum);
  EXPECT_EQ(x.CaptionAlignment(), taCenter);
  EXPECT_EQ(x.CaptionAnchor(), uaSclTopLft);
  EXPECT_TRUE(x.ShortTicks());
  EXPECT_FALSE(x.Visible());
  EXPECT_TRUE(x.LoadingFlag());
  EXPECT_EQ(x.ScaleLocation(), slBottom);
  EXPECT_EQ(x.LocationCode(), TScaleProps::locBottom);
  EXPECT_EQ(x.DateFormat()->TimeFormat(), tfHHMMSS);
  EXPECT_EQ(x.DateFormat()->DateSeparator(), QStringLiteral("-"));
  EXPECT_EQ(x.DateFormat()->TimeSeparator(), QStringLiteral(":"));
  EXPECT_EQ(x.DateFormat()->YearLength(), ylYYYY);
  EXPECT_TRUE(x.DateFormat()->MonthName());
  EXPECT_EQ(x.DateFormat()->DateForTime(), dtOnePerDay);
  EXPECT_EQ(x.DateFormat()->DateOrder(), doDDMMYY);

  // The vertical object reads slLeft but keeps the location code of its creation.
  TScalePropsVert y;
  EXPECT_EQ(y.ScaleLocation(), slLeft);
  EXPECT_EQ(y.LocationCode(), TScaleProps::locBottom);
}

TEST(ScaleProps, MinRangeRecentresOnlyANarrowerRange) {
  TScalePropsHoriz p;
  Notified n;
  n.Watch(p);
  p.SetRangeHigh(0.5); // 0 .. 0.5
  n.count = 0;
  p.SetMinRange(1);
  EXPECT_DOUBLE_EQ(p.RangeLow(), -0.25);
  EXPECT_DOUBLE_EQ(p.RangeHigh(), 0.75);
  EXPECT_EQ(n.count, 1);

  TScalePropsHoriz wide;
  n.Watch(wide);
  wide.SetRangeHigh(5);
  n.count = 0;
  wide.SetMinRange(1);
  EXPECT_EQ(wide.MinRange(), 1.0);
  EXPECT_EQ(wide.RangeLow(), 0.0);
  EXPECT_EQ(wide.RangeHigh(), 5.0);
  EXPECT_EQ(n.count, 0);

  // Tiny and non-finite values are ignored without notification.
  wide.SetMinRange(1e-100);
  wide.SetMinRange(0);
  wide.SetMinRange(std::nan(""));
  EXPECT_EQ(wide.MinRange(), 1.0);
  EXPECT_EQ(n.count, 0);
}

TEST(ScaleProps, RangeEndsKeepMinRangeApart) {
  TScalePropsHoriz p;
  p.SetMinRange(0.1);
  p.SetRangeHigh(0.05); // 0 .. 1 -> closer than 0.1 to the low end
  EXPECT_DOUBLE_EQ(p.RangeLow(), -0.05);
  EXPECT_DOUBLE_EQ(p.RangeHigh(), 0.05);

  p.SetRangeLow(0.0); // |0.05 - 0| < 0.1: the high end moves up
  EXPECT_DOUBLE_EQ(p.RangeLow(), 0.0);
  EXPECT_DOUBLE_EQ(p.RangeHigh(), 0.1);

  p.SetRangeLow(5); // far enough: an inverted range is allowed
  EXPECT_DOUBLE_EQ(p.RangeLow(), 5);
  EXPECT_DOUBLE_EQ(p.RangeHigh(), 0.1);

  p.SetRangeLow(std::numeric_limits<double>::infinity());
  EXPECT_DOUBLE_EQ(p.RangeLow(), 5);
}

TEST(ScaleProps, LogarithmicRules) {
  // While loading, anything goes (the range may follow).
  TScalePropsHoriz loading;
  loading.SetLogarithmic(true);
  EXPECT_TRUE(loading.Logarithmic());

  TScalePropsHoriz p;
  p.MarkLoaded();
  p.SetLogarithmic(true); // range 0 .. 1
  EXPECT_FALSE(p.Logarithmic());
  p.SetRangeHigh(100);
  p.SetRangeLow(1);
  p.SetLogarithmic(true);
  EXPECT_TRUE(p.Logarithmic());

  // A logarithmic axis refuses range ends below 1e-100.
  p.SetRangeLow(-5);
  EXPECT_EQ(p.RangeLow(), 1.0);
  p.SetRangeHigh(0);
  EXPECT_EQ(p.RangeHigh(), 100.0);

  p.SetLabelType(ftDateTime);
  EXPECT_FALSE(p.Logarithmic());
  p.SetLogarithmic(true); // refused for dates
  EXPECT_FALSE(p.Logarithmic());
}

TEST(ScaleProps, LabelTypeDecPlacesAndScalePos) {
  TScalePropsHoriz p;
  p.SetLabelType(ftTime);
  EXPECT_EQ(p.DecPlaces(), 4);
  p.SetDecPlaces(20);
  EXPECT_EQ(p.DecPlaces(), 12);
  p.SetDecPlaces(-9);
  EXPECT_EQ(p.DecPlaces(), -3);

  // ScalePos is kept per orientation of the location code.
  TScalePropsVert v;
  v.SetScalePos(30); // code still "bottom": horizontal field
  v.SetScaleLocation(slRight);
  EXPECT_EQ(v.LocationCode(), TScaleProps::locRight);
  EXPECT_EQ(v.ScalePos(), 0);
  v.SetScalePos(50);
  v.SetScaleLocation(slLeft);
  EXPECT_EQ(v.LocationCode(), TScaleProps::locLeft);
  EXPECT_EQ(v.ScalePos(), 50);

  TScalePropsHoriz h;
  h.SetScaleLocation(slTop);
  EXPECT_EQ(h.LocationCode(), TScaleProps::locTop);
}

TEST(ScaleProps, FontChangesNotify) {
  TScalePropsHoriz p;
  Notified n;
  n.Watch(p);
  p.Font()->SetHeight(-20);
  p.SetCaption(QStringLiteral("usec"));
  EXPECT_EQ(n.count, 2);
}

// ---- TJointLayers -----------------------------------------------------------------

TEST(JointLayers, SelfControlledAfterCreation) {
  TJointLayers j;
  for (int l = 1; l <= 16; ++l) {
    EXPECT_EQ(j.XControlledBy(l), l);
    EXPECT_EQ(j.YControlledBy(l), l);
  }
  EXPECT_EQ(j.property("L16yControlledBy").toInt(), 16);
}

TEST(JointLayers, RefusalsLeaveTheControllersUnchanged) {
  TJointLayers j;
  Notified n;
  n.Watch(j);
  j.SetL03xControlledBy(1);
  EXPECT_EQ(n.count, 1);

  // Layer 2 controlled by another layer: "already joined".
  j.SetL02xControlledBy(4);
  try {
    j.SetL01xControlledBy(2);
    FAIL() << "no error";
  } catch (const EVKTRChartError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Destination layer 2 is already joined"));
  }
  // Layer 2 free again: layer 1 is a controller itself.
  j.SetL02xControlledBy(2);
  j.SetL05xControlledBy(1);
  try {
    j.SetL01xControlledBy(2);
    FAIL() << "no error";
  } catch (const EVKTRChartError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Layer 1 is joined by other layers (3, 5)"));
  }
  try {
    j.SetL05xControlledBy(17);
    FAIL() << "no error";
  } catch (const EVKTRChartError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Destination layer 17 is out of range"));
  }
  EXPECT_THROW(j.SetL07yControlledBy(0), EVKTRChartError);
  EXPECT_EQ(j.L01xControlledBy(), 1);
  EXPECT_EQ(j.L02xControlledBy(), 2);
  EXPECT_EQ(j.L03xControlledBy(), 1);
  EXPECT_EQ(j.L05xControlledBy(), 1);
  EXPECT_EQ(j.L07yControlledBy(), 7);

  // The y controllers are independent of the x ones.
  j.SetL01yControlledBy(2);
  EXPECT_EQ(j.L01yControlledBy(), 2);
}

TEST(JointLayers, ControllingItselfAgainIsSilent) {
  TJointLayers j;
  j.SetL04yControlledBy(9);
  Notified n;
  n.Watch(j);
  j.SetL04yControlledBy(4);
  EXPECT_EQ(j.L04yControlledBy(), 4);
  EXPECT_EQ(n.count, 0);
}

TEST(JointLayers, CopiesIntoAnotherJointLayersOnly) {
  TJointLayers a, b;
  a.SetL02xControlledBy(1);
  a.SetL16yControlledBy(3);
  Notified n;
  n.Watch(b);
  a.AssignTo(&b);
  EXPECT_EQ(b.L02xControlledBy(), 1);
  EXPECT_EQ(b.L16yControlledBy(), 3);
  EXPECT_EQ(n.count, 1);

  TJointLayers c;
  c.Assign(&a);
  EXPECT_EQ(c.L02xControlledBy(), 1);

  TBakGndImg other;
  EXPECT_THROW(a.AssignTo(&other), EConvertError);
  EXPECT_THROW(c.Assign(&other), EConvertError);
  EXPECT_THROW(a.AssignTo(nullptr), EConvertError);
}

// ---- TBakGndImg ---------------------------------------------------------------------

TEST(BakGndImg, NameKeepsThePathOnlyWithIncludePath) {
  TBakGndImg b;
  EXPECT_EQ(b.FillMode(), bfStretch);
  EXPECT_EQ(b.AreaMode(), bamNone);
  EXPECT_EQ(b.AreaColor(), 14540253u);
  EXPECT_EQ(b.AreaLeft(), -1.0);
  EXPECT_EQ(b.AreaBottom(), -1.0);

  Notified n;
  n.Watch(b);
  b.SetName(QStringLiteral("/home/user/pics/grid.bmp"));
  EXPECT_EQ(b.Name(), QStringLiteral("grid.bmp"));
  b.SetName(QStringLiteral("C:\\pics\\wave.bmp"));
  EXPECT_EQ(b.Name(), QStringLiteral("wave.bmp"));

  b.SetIncludePath(true);
  b.SetName(QStringLiteral("/data/bg.bmp"));
  EXPECT_EQ(b.Name(), QStringLiteral("/data/bg.bmp"));
  b.SetIncludePath(false);
  EXPECT_EQ(b.Name(), QStringLiteral("bg.bmp"));
  b.SetAreaTop(2.5);
  EXPECT_EQ(n.count, 6);
}

// ---- Crosshairs and text labels ---------------------------------------------------------

TEST(CrossHair, LayerIsClampedAndEverySetterNotifies) {
  TCrossHair c;
  Notified n;
  n.Watch(c);
  c.SetLayer(0);
  EXPECT_EQ(c.Layer(), 1);
  c.SetLayer(20);
  EXPECT_EQ(c.Layer(), 16);
  c.SetMode(chBoth);
  c.SetLineType(psDot);
  c.SetPosX(1.5);
  EXPECT_EQ(n.count, 5);
  EXPECT_TRUE(c.setProperty("Mode", QStringLiteral("chVert")));
  EXPECT_EQ(c.Mode(), chVert);
}

TEST(TextLabel, DefaultsLayerAndCaptionRules) {
  TTextLabel t;
  EXPECT_EQ(t.PosX(), 100.0);
  EXPECT_EQ(t.PosY(), 10.0);
  EXPECT_EQ(t.ColorShadow(), clGray);
  EXPECT_EQ(t.ColorBkg(), clSilver);
  EXPECT_EQ(t.Alignment(), taCenter);
  EXPECT_EQ(t.VerticalAlignment(), vaBottom);
  EXPECT_EQ(t.AttachToData(), tlamNone);
  EXPECT_EQ(t.Mode(), tlsimple);
  EXPECT_TRUE(t.Visible());

  Notified n;
  n.Watch(t);
  t.SetLayer(0);
  t.SetLayer(20);
  EXPECT_EQ(t.Layer(), 1);
  EXPECT_EQ(n.count, 0);
  t.SetLayer(7);
  EXPECT_EQ(t.Layer(), 7);

  t.SetCaption(QStringLiteral("A\r\nBB\tC"));
  EXPECT_EQ(t.Caption(), QStringLiteral("A \nBB C"));

  TFont f;
  f.SetName(QStringLiteral("Arial"));
  f.SetColor(clRed);
  n.count = 0;
  t.SetFont(&f);
  EXPECT_EQ(t.Font()->Name(), QStringLiteral("Arial"));
  EXPECT_EQ(t.Font()->Color(), clRed);
  EXPECT_NE(t.Font(), &f);
  EXPECT_EQ(n.count, 1);
}

} // namespace
