// Mouse interaction of the chart, driven by synthetic mouse events on an
// off-screen chart: zoom band in its modes, cancelling, pan, drag zoom,
// crosshair and label dragging, double clicks, cursors and the mouse events.
#include "Application.h"
#include "Cursors.h"
#include "MessageBox.h"
#include "Mouse.h"
#include "TRChart.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QStringList>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr Qt::MouseButton L = Qt::LeftButton;
constexpr Qt::MouseButton R = Qt::RightButton;

// Margins of the default layout: left 50, right 20, top 20, bottom 40. The
// default chart here is 500 x 280: x 0 .. 10 gives 43 pixels per unit from
// pixel 50, y -1.1 .. 1.1 gives 100 pixels per unit with y = 0 at pixel 130.
class ChartMouse : public ::testing::Test {
protected:
  void Show(int w = 500, int h = 280) {
    chart.SetBounds(0, 0, w, h);
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
    chart.OnZoomPan = [this](QObject* sender) {
      EXPECT_EQ(sender, &chart);
      log.push_back("zoompan");
    };
  }
  void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers mods = {}) {
    TestMouse::Send(chart, type, p, button, buttons, mods);
  }
  void Press(QPoint p, Qt::MouseButton b = L, Qt::MouseButtons held = {}) {
    Mouse(QEvent::MouseButtonPress, p, b, held | b);
  }
  void Release(QPoint p, Qt::MouseButton b = L, Qt::MouseButtons held = {}) {
    Mouse(QEvent::MouseButtonRelease, p, b, held);
  }
  void Move(QPoint p, Qt::MouseButtons held = L) {
    Mouse(QEvent::MouseMove, p, Qt::NoButton, held);
  }
  void Band(QPoint from, QPoint to) {
    Press(from);
    Move(to);
    Release(to);
  }
  // The first move with the left button starts a drag; the second one acts.
  void Drag(QPoint from, QPoint to) {
    Move(from);
    Move(to);
  }
  void ExpectRanges(double xl, double xh, double yl, double yh) {
    EXPECT_NEAR(chart.Scale1X()->RangeLow(), xl, 1e-9);
    EXPECT_NEAR(chart.Scale1X()->RangeHigh(), xh, 1e-9);
    EXPECT_NEAR(chart.Scale1Y()->RangeLow(), yl, 1e-9);
    EXPECT_NEAR(chart.Scale1Y()->RangeHigh(), yh, 1e-9);
  }
  // The release handler can be called directly (see the exception test).
  struct Chart : TRChart {
    using TRChart::mouseReleaseEvent;
  } chart;
  std::vector<std::string> log;
};

// ---- zoom band ------------------------------------------------------------------------------

TEST_F(ChartMouse, ZoomWindowKeepsOrInvertsTheAxesAndKeepsTheDisplayList) {
  Show();
  chart.MoveTo(0, 0);
  for (int i = 1; i <= 1500; ++i) chart.LineTo(i * 0.001, 0.5);
  const TItemPoint* first = chart.Items().Points();
  chart.SetMouseAction(maZoomWindPos);
  chart.ResetRenderStats();
  // x 2 .. 4 is pixels 136 .. 222, y 0.5 .. -0.5 pixels 80 .. 180; bottom-right to top-left.
  Press({222, 180});
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsDrawWin);
  Move({200, 150});
  Move({136, 80});
  EXPECT_EQ(chart.RenderStats().FullPaints, 0); // the band is drawn without a repaint
  Release({136, 80});
  ExpectRanges(2, 4, -0.5, 0.5);
  EXPECT_EQ(log, std::vector<std::string>{"zoompan"});
  EXPECT_EQ(chart.RenderStats().FullPaints, 1);
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal);
  // Zooming changes only ranges: the list is neither cleared nor rebuilt.
  EXPECT_EQ(chart.ItemCount(), 1501);
  EXPECT_EQ(chart.Capacity(), 2000);
  EXPECT_EQ(chart.Items().Points(), first);

  chart.SetMouseAction(maZoomWind);
  chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  Band({222, 180}, {136, 80});
  ExpectRanges(4, 2, -0.5, 0.5); // right to left inverts x
  chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  Band({136, 80}, {222, 180});
  ExpectRanges(2, 4, 0.5, -0.5); // downward inverts y

  // An inverted x axis stays inverted with maZoomWindPos, whichever way the band goes.
  chart.SetMouseAction(maZoomWindPos);
  chart.SetLayerRange(1, 10, -1.1L, 0, 1.1L); // pixel 136 is x 8, 222 is x 6
  Band({136, 80}, {222, 180});
  ExpectRanges(8, 6, -0.5, 0.5);
  chart.SetLayerRange(1, 10, -1.1L, 0, 1.1L);
  Band({222, 180}, {136, 80});
  ExpectRanges(8, 6, -0.5, 0.5);
}

TEST_F(ChartMouse, BandsThatZoomNothing) {
  Show();
  chart.SetMouseAction(maZoomWindPos);
  Press({10, 10}); // outside the data area: no band
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal);
  Release({10, 10});
  Band({136, 80}, {136, 180}); // no width
  Band({136, 80}, {222, 80});  // no height
  Press({136, 80}, Qt::MiddleButton);
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal); // only the left button starts one
  Release({136, 80}, Qt::MiddleButton);
  Press({136, 80});
  Move({222, 180});
  Release({222, 180}, Qt::MiddleButton, L); // the middle button ends the band without a zoom
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal);
  Release({222, 180});
  ExpectRanges(0, 10, -1.1, 1.1);
  EXPECT_TRUE(log.empty());

  // A band one pixel wide: x takes one pixel's world width unless that is below MinRange.
  Band({136, 80}, {137, 180});
  ExpectRanges(2, 2 + 1.0 / 43, -0.5, 0.5);
  chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  chart.Scale1X()->SetMinRange(0.05);
  Band({136, 80}, {137, 180});
  ExpectRanges(0, 10, -0.5, 0.5);
  EXPECT_EQ(log.size(), 2u); // OnZoomPan fires also when x was refused
}

TEST_F(ChartMouse, RightButtonCancelsTheBandRestoresTheWindowAndOpensNoMenu) {
  Show();
  chart.SetMouseAction(maZoomWindPos);
  int menus = 0;
  chart.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&chart, &QWidget::customContextMenuRequested, [&menus] { ++menus; });
  auto contextMenu = [this] {
    const QPoint at(200, 150);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, chart.mapToGlobal(at));
    QCoreApplication::sendEvent(&chart, &e);
  };
  const QImage before = chart.WindowImage().copy();
  Press({136, 80});
  Move({222, 180});
  Move({180, 200});
  // The XOR band inverts the window along its outline.
  EXPECT_EQ(chart.WindowImage().pixel(136, 120), before.pixel(136, 120) ^ 0x00FFFFFFu);
  EXPECT_EQ(chart.WindowImage().pixel(221, 120), before.pixel(221, 120)); // the old band's edge
  EXPECT_EQ(chart.ZoomCorner(), QPoint(180, 200));
  Press({180, 200}, R, L);
  contextMenu(); // asked for on the press
  Release({180, 200}, R, L);
  contextMenu(); // asked for on the release
  EXPECT_EQ(menus, 0);
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal);
  EXPECT_TRUE(chart.WindowImage() == before);
  Release({180, 200}); // the later left release does nothing
  ExpectRanges(0, 10, -1.1, 1.1);
  EXPECT_TRUE(log.empty());
  // Without a band the right button opens the menu.
  Press({180, 200}, R);
  contextMenu();
  Release({180, 200}, R);
  EXPECT_EQ(menus, 1);
}

TEST_F(ChartMouse, BandIsClampedToTheDataAreaAndSquareWhenIsometric) {
  Show();
  chart.SetMouseAction(maZoomWind);
  Press({100, 100});
  Move({700, -50});
  EXPECT_EQ(chart.ZoomCorner(), QPoint(480, 20));
  Release({700, -50}, R, L);

  chart.SetIsometric(true);
  Press({150, 100});
  Move({200, 120});
  EXPECT_EQ(chart.ZoomCorner(), QPoint(200, 150));
  Move({200, 60});
  EXPECT_EQ(chart.ZoomCorner(), QPoint(200, 50));
  Move({100, 130});
  EXPECT_EQ(chart.ZoomCorner(), QPoint(100, 150));
  Move({400, 130});
  EXPECT_EQ(chart.ZoomCorner(), QPoint(400, 240)); // cut at the bottom edge
  Move({200, 150});
  const QPointF a = chart.MapToWorld(1, 150, 100), b = chart.MapToWorld(1, 200, 150);
  Release({200, 150});
  // The y range is recentred with the height that matches the x width.
  const double h = (b.x() - a.x()) * 221.0 / 431.0 * chart.AspectY() / chart.AspectX() / 2;
  const double c = (a.y() + b.y()) / 2;
  EXPECT_NEAR(chart.Scale1X()->RangeLow(), a.x(), 1e-9);
  EXPECT_NEAR(chart.Scale1X()->RangeHigh(), b.x(), 1e-9);
  EXPECT_NEAR(chart.Scale1Y()->RangeLow(), c - h, 1e-9);
  EXPECT_NEAR(chart.Scale1Y()->RangeHigh(), c + h, 1e-9);
}

TEST_F(ChartMouse, RubberBandReportsOrderedCornersPerLayerAndZoomsNothing) {
  Show();
  chart.SetMouseAction(maRubberBand);
  chart.SetLayerRange(2, 0, 0, 100, 1);
  chart.SetMouseControlledLayer(2, true);
  struct Report {
    int layer;
    double lx, ly, hx, hy;
  };
  std::vector<Report> reports;
  chart.OnRubberBand = [&](QObject*, int layer, double lx, double ly, double hx, double hy) {
    reports.push_back({layer, lx, ly, hx, hy});
    log.push_back("rubberband");
  };
  Band({222, 180}, {136, 80});
  EXPECT_EQ(log, (std::vector<std::string>{"rubberband", "rubberband", "zoompan"}));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].layer, 1);
  EXPECT_NEAR(reports[0].lx, 2, 1e-9);
  EXPECT_NEAR(reports[0].hx, 4, 1e-9);
  EXPECT_NEAR(reports[0].ly, -0.5, 1e-9);
  EXPECT_NEAR(reports[0].hy, 0.5, 1e-9);
  EXPECT_EQ(reports[1].layer, 2);
  EXPECT_NEAR(reports[1].lx, 20, 1e-9);
  EXPECT_NEAR(reports[1].hx, 40, 1e-9);
  EXPECT_LT(reports[1].ly, reports[1].hy);
  ExpectRanges(0, 10, -1.1, 1.1);
  EXPECT_DOUBLE_EQ(chart.Scale2X()->RangeHigh(), 100);
}

// A handler that throws while the chart holds its paint lock: the error goes to
// the error box, the program goes on, and the chart paints again afterwards. The
// release is handed to the chart as the application's event handling does, but
// directly: an exception that unwinds through the toolkit's event dispatch leaks
// the toolkit's event data, which the leak checker would rightly report.
TEST_F(ChartMouse, AHandlerThatThrowsUnderThePaintLockLeavesTheChartPainting) {
  Show();
  QStringList errors;
  const TMessageBoxHook previous =
      SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  chart.SetDataColor(clRed);
  const auto curve = [this](double y) { // as the window's CalcResponse draws
    chart.ClearItems();
    chart.MoveTo(0, y);
    chart.LineTo(10, y);
    chart.ShowItems();
  };
  const auto red = [this](int x, int y) { return RGBToColor(chart.WindowImage().pixel(x, y)) == clRed; };
  for (const TMouseActMode mode : {maRubberBand, maZoomWindPos, maZoomWind}) {
    SCOPED_TRACE(int(mode));
    errors.clear();
    chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
    chart.SetMouseAction(mode);
    chart.OnRubberBand = [](QObject*, int, double, double, double, double) { throw EVKTError("band failed"); };
    chart.OnZoomPan = [](QObject*) { throw EVKTError("zoom failed"); };
    Press({136, 80});
    Move({222, 180});
    // Through the toolkit's delivery: the chart shows the error itself, nothing unwinds through it.
    EXPECT_TRUE(RunGuarded([this] { TestMouse::Send(chart, QEvent::MouseButtonRelease, QPoint(222, 180), L, {}); }));
    EXPECT_EQ(errors, QStringList{mode == maRubberBand ? "band failed" : "zoom failed"});
    EXPECT_FALSE(chart.PaintLocked());

    chart.OnRubberBand = nullptr;
    chart.OnZoomPan = nullptr;
    curve(-0.5); // y -0.5 is pixel row 180 in the full view
    chart.ResetRenderStats();
    chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L); // "Zoom 1:1"
    EXPECT_EQ(chart.RenderStats().FullPaints, 1);
    EXPECT_TRUE(red(300, 180));
    curve(0.5); // a scroll-bar change
    EXPECT_TRUE(red(300, 80));
    EXPECT_FALSE(red(300, 180));
  }
  SetMessageBoxHook(previous);
}

TEST_F(ChartMouse, HandlerErrorsShowAndStayInsideTheChartsEvents) {
  Show();
  QStringList errors;
  const TMessageBoxHook previous =
      SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  chart.OnMouseMoveInChart = [](QObject*, bool, TShiftState, double, double) { throw EVKTError("move failed"); };
  chart.OnDblClick = [](QObject*) { throw EVKTError("double click failed"); };
  EXPECT_TRUE(RunGuarded([this] {
    TestMouse::Move(chart, QPoint(200, 100));
    TestMouse::Send(chart, QEvent::MouseButtonDblClick, QPoint(200, 100), L, L);
  }));
  EXPECT_EQ(errors, (QStringList{"move failed", "double click failed"}));
  SetMessageBoxHook(previous);
}

TEST_F(ChartMouse, DoubleClickStartsNoBand) {
  Show();
  chart.SetMouseAction(maZoomWindPos);
  int downs = 0, dbl = 0;
  chart.OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
  chart.OnDblClick = [&](QObject*) { ++dbl; };
  Press({136, 80});
  Release({136, 80});
  Mouse(QEvent::MouseButtonDblClick, {136, 80}, L, L);
  EXPECT_EQ(chart.ZoomState(), TCustomRChart::zsNormal);
  EXPECT_FALSE(chart.DoubleClickPending());
  Move({222, 180});
  Release({222, 180});
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(dbl, 1);
  ExpectRanges(0, 10, -1.1, 1.1);
  EXPECT_TRUE(log.empty());
}

// ---- pan and drag zoom ----------------------------------------------------------------------

TEST_F(ChartMouse, PanFollowsTheMouseFromTheStartView) {
  Show(501, 280); // a data area 431 pixels wide, 220 high
  chart.SetMouseAction(maPan);
  Drag({200, 100}, {300, 100});
  ExpectRanges(-1000.0 / 431, 10 - 1000.0 / 431, -1.1, 1.1);
  EXPECT_EQ(log.size(), 1u);
  Move({300, 122}); // down by 22 pixels: larger y values show
  ExpectRanges(-1000.0 / 431, 10 - 1000.0 / 431, -0.88, 1.32);
  Move({600, 122}); // outside: nothing moves, the drag goes on
  EXPECT_TRUE(chart.DragStarted());
  EXPECT_EQ(log.size(), 2u);
  Move({300, 100}, {}); // without the button the drag ends
  EXPECT_FALSE(chart.DragStarted());

  chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  chart.SetMouseAction(maPanHoriz);
  Drag({200, 100}, {300, 122});
  ExpectRanges(-1000.0 / 431, 10 - 1000.0 / 431, -1.1, 1.1);
  Move({300, 100}, {});
  chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  chart.SetMouseAction(maPanVert);
  Drag({200, 100}, {300, 122});
  ExpectRanges(0, 10, -0.88, 1.32);
}

TEST_F(ChartMouse, PanOnLogarithmicAxes) {
  Show(502, 280); // a data area 432 pixels wide
  chart.SetLayerRange(1, 1, 1, 1000, 100);
  chart.Scale1X()->SetLogarithmic(true);
  chart.Scale1Y()->SetLogarithmic(true);
  ASSERT_TRUE(chart.Scale1X()->Logarithmic() && chart.Scale1Y()->Logarithmic());
  chart.SetMouseAction(maPan);
  Drag({200, 100}, {344, 210}); // right by a third of the width, down by half the height
  EXPECT_NEAR(chart.Scale1X()->RangeLow(), 0.1, 1e-12);
  EXPECT_NEAR(chart.Scale1X()->RangeHigh(), 100, 1e-9);
  EXPECT_NEAR(chart.Scale1Y()->RangeLow(), 10, 1e-9);
  EXPECT_NEAR(chart.Scale1Y()->RangeHigh(), 1000, 1e-9);
}

TEST_F(ChartMouse, DragZoomScalesAroundTheStartCentre) {
  Show();
  chart.SetMouseAction(maZoomDrag);
  Drag({200, 100}, {250, 100}); // fx = 1 - 50 / 500
  ExpectRanges(0.5, 9.5, -1.1, 1.1);
  Move({200, 128}); // fy = 1 + 28 / 280
  ExpectRanges(0, 10, -1.21, 1.21);
  Move({200 + 500, 100}); // outside the data area: nothing
  ExpectRanges(0, 10, -1.21, 1.21);
  EXPECT_EQ(log.size(), 2u);
  Move({200, 100}, {});
  chart.SetIsometric(true);
  const double yl = chart.Scale1Y()->RangeLow(), yh = chart.Scale1Y()->RangeHigh();
  Drag({200, 100}, {300, 100}); // fy = fx = 0.8
  EXPECT_NEAR(chart.Scale1X()->RangeHigh() - chart.Scale1X()->RangeLow(), 8, 1e-9);
  EXPECT_NEAR(chart.Scale1Y()->RangeHigh() - chart.Scale1Y()->RangeLow(), (yh - yl) * 0.8, 1e-9);
}

// ---- crosshair and label dragging -----------------------------------------------------------

TEST_F(ChartMouse, CrossHairDragSelectsTheNearestLineAndFollowsTheMouse) {
  Show();
  chart.SetMouseAction(maDragCrossH);
  std::vector<TCrossHair*> moved;
  chart.OnCrossHairMove = [&](QObject*, TCrossHair* ch) { moved.push_back(ch); };
  const TCrossHMode modes[4] = {chVert, chHoriz, chBoth, chOff};
  for (int i = 1; i <= 4; ++i) {
    TCrossHair* ch = chart.CrossHair(i);
    ch->SetLayer(1);
    ch->SetMode(modes[i - 1]);
    ch->SetPosX(5); // pixel 265
    ch->SetPosY(0); // pixel 130
  }
  chart.CrossHair(4)->SetPosX(6.5); // off: never chosen, even right under the mouse
  Move({265, 130}); // every line at distance 0: the first one wins
  EXPECT_EQ(chart.SelectedCrossHair(), 1);
  Move({265, 130}, {});
  Move({270, 128}); // the horizontal lines are nearer; the earlier one wins the tie
  EXPECT_EQ(chart.SelectedCrossHair(), 2);
  EXPECT_TRUE(moved.empty());
  Move({300, 150});
  ASSERT_EQ(moved, std::vector<TCrossHair*>{chart.CrossHair(2)});
  EXPECT_NEAR(chart.CrossHair(2)->PosX(), 250.0 / 43, 1e-9);
  EXPECT_NEAR(chart.CrossHair(2)->PosY(), -0.2, 1e-9);
  Move({300, 150}, {});
  for (int i = 1; i <= 4; ++i) chart.CrossHair(i)->SetMode(chOff);
  Move({100, 100});
  EXPECT_EQ(chart.SelectedCrossHair(), 1);
}

TEST_F(ChartMouse, LabelDragSelectsTheNearestVisibleLabel) {
  Show();
  chart.SetMouseAction(maDragLabel);
  auto place = [this](int i, double x, double y, TTxtLblAttachMode attach) {
    TTextLabel* tl = chart.TextLabel(i);
    tl->SetAttachToData(attach);
    tl->SetPosX(x);
    tl->SetPosY(y);
    tl->SetMode(tlBox);
    tl->SetVisible(true);
  };
  place(3, 100, 100, tlamNone);
  place(5, 5, 0, tlamBoth);    // pixel (265, 130)
  place(8, 300, 0, tlamYOnly); // pixel (300, 130)
  place(9, 262, 130, tlamNone);
  chart.TextLabel(9)->SetMode(tlOff); // off: never chosen
  TTextLabel* last = nullptr;
  chart.OnTextLabelMove = [&](QObject*, TTextLabel* tl) { last = tl; };
  Move({262, 131});
  EXPECT_EQ(chart.SelectedTextLabel(), 5); // the nearest one, not the last candidate
  Move({150, 60});
  EXPECT_EQ(last, chart.TextLabel(5));
  EXPECT_NEAR(chart.TextLabel(5)->PosX(), 100.0 / 43, 1e-9);
  EXPECT_NEAR(chart.TextLabel(5)->PosY(), 0.7, 1e-9);
  Move({0, 0}, {});
  Move({110, 95});
  EXPECT_EQ(chart.SelectedTextLabel(), 3);
  Move({120, 60});
  EXPECT_DOUBLE_EQ(chart.TextLabel(3)->PosX(), 120); // pixels
  EXPECT_DOUBLE_EQ(chart.TextLabel(3)->PosY(), 60);
  Move({0, 0}, {});
  Move({299, 140});
  EXPECT_EQ(chart.SelectedTextLabel(), 8);
  Move({136, 180});
  EXPECT_DOUBLE_EQ(chart.TextLabel(8)->PosX(), 136);
  EXPECT_NEAR(chart.TextLabel(8)->PosY(), -0.5, 1e-9);
}

// ---- cursors and events ---------------------------------------------------------------------

TEST_F(ChartMouse, ModeCursorsInsideTheDataAreaOnly) {
  Show();
  chart.SetMouseCursorFixed(false);
  struct {
    TMouseActMode mode;
    int cursor;
  } const cases[] = {{maNone, Cursors::crCross}, {maPan, 1},          {maPanVert, 1},
                     {maZoomWind, 2},             {maZoomDrag, 3},     {maZoomWindPos, 4},
                     {maRubberBand, 0},           {maDragLabel, 0}};
  for (const auto& c : cases) {
    chart.SetMouseAction(c.mode);
    Move({200, 100}, {});
    EXPECT_EQ(Cursors::ApplicationCursor(), c.cursor) << c.mode;
  }
  chart.SetMouseAction(maZoomWindPos);
  Move({200, 100}, {});
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(7, 8));
  chart.SetMouseAction(maRotate); // leaves the cursor alone inside
  Move({210, 100}, {});
  EXPECT_EQ(Cursors::ApplicationCursor(), 4);
  Move({20, 100}, {}); // margin: the default cursor, the override is gone
  EXPECT_EQ(Cursors::ApplicationCursor(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  chart.SetMouseAction(maPan);
  chart.SetMouseCursorFixed(true);
  Move({200, 100}, {});
  EXPECT_EQ(Cursors::ApplicationCursor(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ChartMouse, PositionEnterAndLeaveEvents) {
  Show();
  struct Pos {
    bool in;
    TShiftState shift;
    double x, y;
  };
  std::vector<Pos> moves;
  chart.OnMouseMoveInChart = [&](QObject*, bool in, TShiftState shift, double x, double y) {
    moves.push_back({in, shift, x, y});
  };
  std::vector<std::string> edges;
  chart.OnMouseEnter = [&](QObject*) { edges.push_back("enter"); };
  chart.OnMouseLeave = [&](QObject*) { edges.push_back("leave"); };
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(&chart, &enter);
  Mouse(QEvent::MouseMove, {136, 80}, Qt::NoButton, L, Qt::ShiftModifier);
  Move({10, 270}, {});
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&chart, &leave);
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_TRUE(moves[0].in);
  EXPECT_EQ(moves[0].shift.toInt(), (ssShift | ssLeft).toInt());
  EXPECT_NEAR(moves[0].x, 2, 1e-9);
  EXPECT_NEAR(moves[0].y, 0.5, 1e-9);
  EXPECT_FALSE(moves[1].in); // reported outside the data area too
  EXPECT_NEAR(moves[1].x, -40.0 / 43, 1e-9);
  EXPECT_EQ(edges, (std::vector<std::string>{"enter", "leave"}));
}

} // namespace
