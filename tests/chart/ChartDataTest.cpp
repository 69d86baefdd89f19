// The chart's data model: display list, layer ranges, mapping, joint layers,
// data sharing, creation state and the settings that belong to it.
#include "MessageBox.h"
#include "StoredSettings.h"
#include "TRChart.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Collects information boxes instead of showing them.
class BoxRecorder {
public:
  BoxRecorder() {
    previous_ = SetMessageBoxHook([this](TMessageKind, const QString& t) { texts.push_back(t); });
  }
  ~BoxRecorder() { SetMessageBoxHook(previous_); }
  std::vector<QString> texts;

private:
  TMessageBoxHook previous_;
};

void ExpectRange(const TScaleProps* p, double lo, double hi) {
  EXPECT_DOUBLE_EQ(p->RangeLow(), lo);
  EXPECT_DOUBLE_EQ(p->RangeHigh(), hi);
}

// ---- Creation --------------------------------------------------------------------------

TEST(ChartCreation, StateAfterTheConstructor) {
  TRChart c;
  EXPECT_EQ(c.width(), 280);
  EXPECT_EQ(c.height(), 200);
  EXPECT_EQ(c.MarginLeft(), 50);
  EXPECT_EQ(c.MarginRight(), 20);
  EXPECT_EQ(c.MarginTop(), 20);
  EXPECT_EQ(c.MarginBottom(), 40);
  EXPECT_TRUE(c.AutoRedraw());
  EXPECT_TRUE(c.PaintLocked()); // until the window exists
  EXPECT_EQ(c.AllocSize(), 1000);
  EXPECT_EQ(c.ItemCount(), 0);
  EXPECT_EQ(c.Capacity(), 0);
  EXPECT_EQ(c.CurrentLayer(), 1);
  EXPECT_EQ(c.FillColor(), 12632256u);
  EXPECT_EQ(c.WindColor(), clBtnFace);
  EXPECT_EQ(c.ShadowColor(), clGrayText);
  EXPECT_EQ(c.CaptionPosY(), -16);
  EXPECT_EQ(c.CaptionAnchorHoriz(), cahChartRight);
  EXPECT_EQ(c.StandardLayout(), rcl_X1Bottom_Y1Left);
  EXPECT_EQ(c.MouseAction(), maNone);
  EXPECT_TRUE(c.MouseCursorFixed());

  // Layers: axis colours, locations and positions of creation, then the layout.
  EXPECT_EQ(c.ScalePropsX(3)->ColorScale(), clGreen);
  EXPECT_EQ(c.ScalePropsY(16)->ColorScale(), clWhite);
  EXPECT_EQ(c.ScalePropsX(6)->ScaleLocation(), slTop);
  EXPECT_EQ(c.ScalePropsX(6)->ScalePos(), 60);
  EXPECT_EQ(c.ScalePropsY(6)->ScaleLocation(), slRight);
  EXPECT_EQ(c.ScalePropsY(6)->ScalePos(), 100);
  EXPECT_FALSE(c.ScalePropsX(6)->Visible());
  EXPECT_TRUE(c.Scale1X()->Visible());
  EXPECT_EQ(c.Scale1X()->CaptionPosY(), 22);
  EXPECT_EQ(c.Scale1X()->CaptionAnchor(), uaSclCenter);
  EXPECT_EQ(c.Scale1Y()->CaptionAlignment(), taLeftJustify);
  EXPECT_EQ(c.Scale2X()->ScaleLocation(), slBottom); // the layout's default row
  EXPECT_EQ(c.ScalePropsX(0), c.Scale1X());          // out-of-range layers answer layer 1
  EXPECT_EQ(c.ScalePropsY(17), c.Scale1Y());

  // Scale objects: named, owned by the chart, synchronised.
  TScale* sx = c.ScaleObjectX(2);
  EXPECT_EQ(sx->objectName(), QStringLiteral("RC_FScale_X_2"));
  EXPECT_EQ(c.ScaleObjectY(16)->objectName(), QStringLiteral("RC_FScale_Y_16"));
  EXPECT_TRUE(sx->ChartOwned());
  EXPECT_TRUE(sx->SuppressPaint());
  EXPECT_TRUE(sx->Transparent());
  EXPECT_EQ(sx->FrameStyle(), fsNone);
  EXPECT_EQ(sx->ExternalCanvas(), &c.ControlImage().Canvas());
  EXPECT_EQ(sx->width(), 280);
  EXPECT_EQ(sx->MarginLeft(), 50);
  EXPECT_EQ(sx->MarginRight(), 19);
  EXPECT_EQ(c.ScaleObjectX(1)->ScaleType(), sctXT); // bottom of the data area
  EXPECT_EQ(c.ScaleObjectX(1)->MarginTop(), 160);
  EXPECT_EQ(c.ScaleObjectY(1)->ScaleType(), sctYR); // left of the data area
  EXPECT_EQ(c.ScaleObjectY(1)->MarginRight(), 229);

  // Crosshairs and text labels.
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(c.CrossHair(i)->Layer(), i);
    EXPECT_EQ(c.CrossHair(i)->Mode(), chOff);
  }
  EXPECT_EQ(c.CrossHair(5), nullptr);
  EXPECT_EQ(c.CrossHair1(), c.CrossHair(1));
  TTextLabel* t = c.TextLabel(30);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(c.TextLabel(31), nullptr);
  EXPECT_EQ(c.TextLabel(0), nullptr);
  EXPECT_FALSE(t->Visible());
  EXPECT_EQ(t->Mode(), tlOff);
  EXPECT_EQ(t->AttachToData(), tlamBoth);
  EXPECT_EQ(t->ColorBkg(), clWhite);
  EXPECT_EQ(t->ShadowDx(), 3);
  EXPECT_EQ(t->PosX(), 0.0);
  EXPECT_EQ(t->Font()->Name(), c.Font()->Name());
}

TEST(ChartCreation, PublishedPropertiesWorkByName) {
  TRChart c;
  EXPECT_TRUE(c.setProperty("GridStyle", QStringLiteral("gsDotLines")));
  EXPECT_EQ(c.GridStyle(), gsDotLines);
  EXPECT_TRUE(c.setProperty("RRim", 16));
  EXPECT_EQ(c.MarginRight(), 16);
  auto* sx = c.property("Scale1X").value<TScalePropsHoriz*>();
  ASSERT_EQ(sx, c.Scale1X());
  EXPECT_TRUE(sx->setProperty("Caption", QStringLiteral("usec")));
  EXPECT_EQ(c.ScaleObjectX(1)->Caption(), QStringLiteral("usec")); // synchronised at once
  auto* j = c.property("JointLayers").value<TJointLayers*>();
  ASSERT_EQ(j, c.JointLayers());
  EXPECT_TRUE(c.property("CrossHair4").value<TCrossHair*>()->setProperty("Mode", QStringLiteral("chBoth")));
  EXPECT_EQ(c.CrossHair(4)->Mode(), chBoth);
}

TEST(ChartCreation, StoredSettingsApplyAndLoad) {
  QWidget form;
  form.setObjectName(QStringLiteral("Form1"));
  auto* chart = new TRChart(&form);
  chart->setObjectName(QStringLiteral("RCResponse"));
  const QString settings = QStringLiteral(
      "[RCResponse]\n"
      "MarginRight = 16\n"
      "GridStyle = gsDotLines\n"
      "GridColor = clSilver\n"
      "MouseAction = maZoomWindPos\n"
      "Scale1X.Caption = \"usec\"\n"
      "Scale1X.RangeHigh = 10\n"
      "Scale1X.ShortTicks = false\n"
      "Scale1X.Font.Name = \"MS Sans Serif\"\n"
      "Scale1Y.RangeLow = -1.1\n"
      "Scale1Y.RangeHigh = 1.1\n"
      "Scale1Y.DateFormat.TimeFormat = tfAMPM\n"
      "JointLayers.L02xControlledBy = 1\n"
      "CrossHair1.Mode = chOff\n");
  ApplyStoredSettings(&form, settings, QStringLiteral("Form1.settings"));
  EXPECT_EQ(chart->MarginRight(), 16);
  EXPECT_EQ(chart->GridColor(), clSilver);
  EXPECT_EQ(chart->MouseAction(), maZoomWindPos);
  ExpectRange(chart->Scale1X(), 0, 10);
  ExpectRange(chart->Scale1Y(), -1.1, 1.1);
  ExpectRange(chart->ScalePropsX(2), 0, 10); // joined to layer 1
  EXPECT_EQ(chart->ScaleObjectY(1)->DateFormat()->TimeFormat(), tfAMPM);
  EXPECT_FALSE(chart->Scale1X()->ShortTicks());
  EXPECT_FALSE(chart->Scale1X()->LoadingFlag()); // cleared by the chart's loading step
  EXPECT_FALSE(chart->IsLoading());
}

// ---- Display list -------------------------------------------------------------------------

TEST(DisplayList, GrowsByAllocSizeAndClearsToZero) {
  TRChart c;
  c.MoveTo(0, 0);
  EXPECT_EQ(c.Capacity(), 1000);
  for (int i = 1; i <= 10000; ++i) c.LineTo(i * 0.001, 0.5);
  EXPECT_EQ(c.ItemCount(), 10001);
  EXPECT_EQ(c.Capacity(), 11000);

  c.ClearItems();
  EXPECT_EQ(c.ItemCount(), 0);
  EXPECT_EQ(c.Capacity(), 0);

  c.SetAllocSize(7);
  c.MoveTo(1, 1);
  EXPECT_EQ(c.Capacity(), 7);
}

TEST(DisplayList, ItemsCarryTheSettingsOfTheirTime) {
  TRChart c;
  c.SetDataColor(clRed);
  c.SetPenStyle(psDash);
  c.SetLineWidth(3);
  c.SetClassDefault(254);
  c.SetFillColor(clBlue);
  c.MoveTo(1.5, -2.5);
  c.SetDataColor(clGreen);
  c.LineTo(3, 4);

  const TDisplayItem& m = c.Item(0);
  EXPECT_EQ(m.Kind, ikMoveTo);
  EXPECT_EQ(m.X, 1.5);
  EXPECT_EQ(m.Y, -2.5);
  EXPECT_EQ(m.Color, clRed);
  EXPECT_EQ(m.FillColor, 0u); // move-to items leave it unset
  EXPECT_EQ(m.PenStyle, psDash);
  EXPECT_EQ(m.LineWidth, 3);
  EXPECT_EQ(m.ItemClass, 254);
  EXPECT_EQ(m.Layer, 1);
  const TDisplayItem& l = c.Item(1);
  EXPECT_EQ(l.Kind, ikLineTo);
  EXPECT_EQ(l.Color, clGreen);
  EXPECT_EQ(l.FillColor, clBlue);
  EXPECT_EQ(c.Item(2).Kind, 0); // outside the list: an empty item
  EXPECT_EQ(c.Item(-1).Kind, 0);
}

TEST(DisplayList, SettersIgnoreValuesOutOfRange) {
  TRChart c;
  c.SetAllocSize(0);
  c.SetAllocSize(1000001);
  EXPECT_EQ(c.AllocSize(), 1000);
  c.SetAllocSize(1000000);
  EXPECT_EQ(c.AllocSize(), 1000000);

  c.SetClassDefault(17);
  c.SetClassDefault(255);
  c.SetClassDefault(-1);
  EXPECT_EQ(c.ClassDefault(), 17);

  c.SetGridDx(-3.5);
  c.SetGridDy(std::nan(""));
  EXPECT_EQ(c.GridDx(), 0.0);
  EXPECT_EQ(c.GridDy(), 0.0);
  c.SetGridDx(-3);
  EXPECT_EQ(c.GridDx(), -3.0);

  c.SetShadowWidth(-5);
  EXPECT_EQ(c.ShadowWidth(), 0);
  c.SetShadowWidth(40);
  EXPECT_EQ(c.ShadowWidth(), 32);
  EXPECT_EQ(c.ScaleObjectX(1)->MarginRight(), 20 + 32 - 1);
  EXPECT_EQ(c.ScaleObjectY(1)->MarginBottom(), 40 + 32 - 1);
}

// ---- Ranges and mapping ---------------------------------------------------------------------

TEST(LayerRange, LayerZeroSetsAllSixteen) {
  TRChart c;
  c.SetLayerRange(0, -2, -3, 4, 5);
  for (int l = 1; l <= 16; ++l) {
    ExpectRange(c.ScalePropsX(l), -2, 4);
    ExpectRange(c.ScalePropsY(l), -3, 5);
    EXPECT_EQ(c.ScaleObjectX(l)->RangeHigh(), 4.0); // the scale objects follow
  }
  c.SetLayerRange(3, 0, 0, 10, 1);
  ExpectRange(c.ScalePropsX(3), 0, 10);
  ExpectRange(c.ScalePropsX(4), -2, 4);
  c.SetLayerRange(17, 0, 0, 1, 1); // not a layer: nothing happens
  ExpectRange(c.ScalePropsX(1), -2, 4);
}

TEST(LayerRange, EmptyRangeIsWidened) {
  TRChart c;
  c.SetLayerRange(1, 5, 0, 5, 1);
  EXPECT_NEAR(c.Scale1X()->RangeLow(), 5 - 5e-11, 1e-15);
  EXPECT_NEAR(c.Scale1X()->RangeHigh(), 5 + 5e-11, 1e-15);
  EXPECT_LT(c.Scale1X()->RangeLow(), 5.0);

  c.ScalePropsX(2)->SetRangeHigh(10);
  c.ScalePropsX(2)->SetRangeLow(1);
  c.ScalePropsX(2)->SetLogarithmic(true);
  c.SetLayerRange(2, 5, 2, 5, 2);
  ExpectRange(c.ScalePropsX(2), 5 / 1.1, 5.5);
  ExpectRange(c.ScalePropsY(2), 2 - 5e-11, 2 + 5e-11);
}

TEST(LayerRange, NarrowAxisIsRefusedAloneAndInvertedRangesAreKept) {
  TRChart c;
  c.Scale1X()->SetMinRange(1);
  c.SetLayerRange(1, 0, -1, 0.5, 2);
  ExpectRange(c.Scale1X(), 0, 1); // x refused
  ExpectRange(c.Scale1Y(), -1, 2); // y applied

  c.SetLayerRange(1, 10, 3, 0, -3);
  ExpectRange(c.Scale1X(), 10, 0);
  ExpectRange(c.Scale1Y(), 3, -3);

  // A logarithmic bound below 1e-100 is not stored; the other one is.
  c.SetLayerRange(1, 1, 1, 100, 10);
  c.Scale1X()->SetLogarithmic(true);
  c.SetLayerRange(1, -1, 1, 1000, 10);
  ExpectRange(c.Scale1X(), 1, 1000);
}

TEST(LayerRange, JointLayersFollowTheirController) {
  TRChart c;
  c.SetLayerRange(0, 0, 0, 1, 1);
  c.SetLayerRange(1, 2, 0, 8, 1);
  c.JointLayers()->SetL02xControlledBy(1);
  ExpectRange(c.ScalePropsX(2), 2, 8); // took the controller's range on joining

  c.SetLayerRange(2, 10, -5, 20, 5);
  ExpectRange(c.ScalePropsX(2), 2, 8); // its x does not move by itself
  ExpectRange(c.ScalePropsY(2), -5, 5);

  c.SetLayerRange(1, 3, 0, 7, 1);
  ExpectRange(c.ScalePropsX(2), 3, 7);
  ExpectRange(c.ScalePropsY(2), -5, 5);

  // A change through the controller's property object is followed too.
  c.Scale1X()->SetRangeHigh(9);
  ExpectRange(c.ScalePropsX(2), 3, 9);
}

TEST(LayerRange, IsometricRecentresTheYRange) {
  TRChart c; // data area 210 x 140 -> factor 141 / 211, square pixels
  c.SetIsometric(true);
  c.SetLayerRange(1, 0, 10, 211, 20);
  ExpectRange(c.Scale1X(), 0, 211);
  ExpectRange(c.Scale1Y(), 15 - 70.5, 15 + 70.5);
}

TEST(Mapping, EdgesOfTheDataAreaAndRounding) {
  TRChart c;
  c.SetLayerRange(1, 0, 0, 210, 140); // one unit per pixel
  EXPECT_EQ(c.MapToPixel(1, 0, 0), QPoint(50, 160));
  EXPECT_EQ(c.MapToPixel(1, 210, 140), QPoint(260, 20));
  EXPECT_EQ(c.MapToPixel(1, 0.5, 0), QPoint(50, 160));  // 50.5 -> 50
  EXPECT_EQ(c.MapToPixel(1, 1.5, 0), QPoint(52, 160));  // 51.5 -> 52
  EXPECT_EQ(c.MapToPixel(-4, 1.5, 0), QPoint(52, 160)); // layer numbers clamped to 1 .. 16
  const QPointF w = c.MapToWorld(1, 155, 90);
  EXPECT_DOUBLE_EQ(w.x(), 105);
  EXPECT_DOUBLE_EQ(w.y(), 70);

  EXPECT_EQ(c.MapToPixel(1, 1e300, -1e300), QPoint(2147483647, 2147483647));
  EXPECT_EQ(c.MapToPixel(1, -1e300, 1e300), QPoint(-2147483647, -2147483647));
}

TEST(Mapping, LogarithmicAxesSendNonPositiveValuesToTheEdge) {
  TRChart c;
  c.SetLayerRange(1, 1, 1, 100, 100);
  c.Scale1X()->SetLogarithmic(true);
  c.Scale1Y()->SetLogarithmic(true);
  EXPECT_EQ(c.MapToPixel(1, 10, 10), QPoint(155, 90));
  EXPECT_EQ(c.MapToPixel(1, 0, -1), QPoint(0, c.height()));
  c.SetLayerRange(1, 100, 100, 1, 1); // inverted
  EXPECT_EQ(c.MapToPixel(1, -3, 0), QPoint(c.width(), 0));
  EXPECT_NEAR(c.MapToWorld(1, 155, 90).x(), 10, 1e-9);
}

TEST(Mapping, EmptyDataAreaMapsToTheMiddle) {
  TRChart c;
  c.SetMarginLeft(300); // wider than the control
  EXPECT_EQ(c.ScaleFactors(1).kx, 0.0L);
  EXPECT_EQ(c.ScaleFactors(1).dx, 140.0L);
  EXPECT_EQ(c.MapToPixel(1, 12345, 0).x(), 140);
  c.SetMarginTop(500);
  EXPECT_EQ(c.ScaleFactors(5).ky, 0.0L);
  EXPECT_EQ(c.ScaleFactors(5).dy, 100.0L);
}

TEST(Geometry, SetBoundsKeepsAMinimumDataArea) {
  TRChart c;
  c.SetBounds(0, 0, 10, 10);
  EXPECT_EQ(c.width(), 50 + 20 + 80);
  EXPECT_EQ(c.height(), 20 + 40 + 20);
  EXPECT_EQ(c.ScaleObjectX(1)->width(), c.width());

  c.SetShadowWidth(8);
  c.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(c.width(), 400);
  EXPECT_EQ(c.ScaleObjectY(1)->height(), 300);
  EXPECT_EQ(c.ScaleObjectX(1)->MarginTop(), 300 - 40 - 8);
  // The scale factors follow the new size: the x range spans the data area.
  c.SetLayerRange(1, 0, 0, 1, 1);
  EXPECT_EQ(c.MapToPixel(1, 1, 0).x(), 400 - 20 - 8);

}

TEST(Geometry, OutsideResizeIsHeldAtTheMinimum) {
  QWidget host;
  host.resize(600, 400);
  auto* c = new TRChart(&host);
  host.show();
  c->resize(20, 20);
  EXPECT_EQ(c->width(), 50 + 20 + 80);
  EXPECT_EQ(c->height(), 20 + 40 + 20);
  EXPECT_EQ(c->ScaleObjectX(1)->width(), c->width());
  c->resize(300, 250);
  EXPECT_EQ(c->ScaleObjectY(3)->height(), 250);
  EXPECT_EQ(c->ScaleObjectX(1)->MarginTop(), 250 - 40);
}

// ---- Data sharing ---------------------------------------------------------------------------

TEST(DataSharing, RefusalsShowAMessageAndChangeNothing) {
  BoxRecorder boxes;
  TRChart source, a, b, c, d, e;
  source.SetUseDataOf(&source);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], QStringLiteral("RChart: Cannot share data with myself"));
  EXPECT_EQ(source.UseDataOf(), nullptr);

  for (TRChart* s : {&a, &b, &c, &d}) s->SetUseDataOf(&source);
  EXPECT_EQ(source.SharerCount(), 4);
  EXPECT_EQ(boxes.texts.size(), 1u);
  e.SetUseDataOf(&source);
  ASSERT_EQ(boxes.texts.size(), 2u);
  EXPECT_EQ(boxes.texts[1], QStringLiteral("RChart: Max. number of data shares exceeded"));
  EXPECT_EQ(e.UseDataOf(), nullptr);
  EXPECT_EQ(source.SharerCount(), 4);

  source.SetUseDataOf(&e);
  ASSERT_EQ(boxes.texts.size(), 3u);
  EXPECT_EQ(boxes.texts[2],
            QStringLiteral("RChart: Cannot use foreign data. Other RCharts are using my own data."));
  EXPECT_EQ(source.UseDataOf(), nullptr);

  a.SetUseDataOf(&source); // already the source: nothing at all
  EXPECT_EQ(boxes.texts.size(), 3u);
}

TEST(DataSharing, SharersSeeTheSourceList) {
  BoxRecorder boxes;
  TRChart source, viewer, second;
  source.MoveTo(1, 2);
  viewer.SetUseDataOf(&source);
  EXPECT_EQ(viewer.ItemCount(), 1);
  source.LineTo(3, 4);
  EXPECT_EQ(viewer.ItemCount(), 2);
  EXPECT_EQ(&viewer.Items(), &source.Items()); // the same list, not a copy
  EXPECT_EQ(viewer.Capacity(), 0);

  // A chart that names a viewer is redirected to the viewer's source.
  second.SetUseDataOf(&viewer);
  EXPECT_EQ(second.UseDataOf(), &source);
  EXPECT_EQ(source.SharerCount(), 2);
  EXPECT_TRUE(boxes.texts.empty());

  // Leaving keeps what was shown; the entries after it move up.
  viewer.SetUseDataOf(nullptr);
  EXPECT_EQ(source.SharerCount(), 1);
  EXPECT_EQ(source.Sharer(0), &second);
  EXPECT_EQ(viewer.ItemCount(), 2);
  EXPECT_EQ(viewer.Item(1).Y, 4.0);
  source.ClearItems();
  EXPECT_EQ(viewer.ItemCount(), 2);
  EXPECT_EQ(second.ItemCount(), 0);
}

TEST(DataSharing, DestroyingEitherSideIsSafe) {
  auto source = std::make_unique<TRChart>();
  TRChart viewer;
  source->MoveTo(1, 1);
  source->LineTo(2, 2);
  viewer.SetUseDataOf(source.get());
  {
    TRChart passing;
    passing.SetUseDataOf(source.get());
    EXPECT_EQ(source->SharerCount(), 2);
  }
  EXPECT_EQ(source->SharerCount(), 1);
  source.reset();
  EXPECT_EQ(viewer.UseDataOf(), nullptr);
  ASSERT_EQ(viewer.ItemCount(), 2);
  EXPECT_EQ(viewer.Item(1).X, 2.0);
  viewer.LineTo(3, 3); // its own list from now on
  EXPECT_EQ(viewer.ItemCount(), 3);
}

} // namespace
