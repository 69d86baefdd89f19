// Where the main window appears: centred as designed where it fits; fully on
// a screen that is smaller than the window, title bar first. The pure
// placement, then the window itself on off-screen screens of two sizes
// (the test runs with QT_QPA_PLATFORM=offscreen:configfile=screens.json).
#include "Application.h"
#include "TForm1.h"
#include "TRChart.h"
#include "PanelScroller.h"
#include "StdControls.h"
#include "TNumLab.h"
#include "WindowPlacement.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QSize Designed(727, 544);
const QMargins TitleBar(0, 24, 0, 0);
const QSize Smallest(300, 200);

QRect FrameOf(const TWindowPlacement& p, QMargins frame = TitleBar) {
  return QRect(p.FramePos, p.ClientSize + QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
}
} // namespace

TEST(PlaceWindow, CentredAndUnchangedWhereItFits) {
  for (const QRect available : {QRect(0, 0, 1920, 1080), QRect(0, 0, 800, 600), QRect(100, 40, 1000, 700)}) {
    const TWindowPlacement p = PlaceWindow(Designed, TitleBar, Smallest, available);
    EXPECT_EQ(p.ClientSize, Designed);
    EXPECT_EQ(p.FramePos, available.center() - QRect(QPoint(), Designed).center());
  }
}

TEST(PlaceWindow, FullyOnASmallScreenTitleBarIncluded) {
  // Panels take the top and left edges; the window must not slide under them.
  for (const QRect available : {QRect(0, 0, 1024, 560), QRect(64, 32, 640, 448), QRect(0, 0, 720, 560),
                                QRect(-1280, 0, 700, 500), QRect(0, 27, 800, 545)}) {
    const TWindowPlacement p = PlaceWindow(Designed, TitleBar, Smallest, available);
    EXPECT_TRUE(available.contains(FrameOf(p))) << available.x() << "," << available.y() << " "
                                                << available.width() << "x" << available.height();
    // Only what does not fit shrinks.
    EXPECT_EQ(p.ClientSize.width(), std::min(Designed.width(), available.width()));
    EXPECT_EQ(p.ClientSize.height(), std::min(Designed.height(), available.height() - TitleBar.top()));
  }
  // A side that fits stays centred.
  const TWindowPlacement wide = PlaceWindow(Designed, TitleBar, Smallest, QRect(0, 0, 1280, 500));
  EXPECT_EQ(wide.FramePos, QPoint(640 - 364, 0));
}

TEST(PlaceWindow, NeverBelowTheSmallestUsableSizeAndNeverGrown) {
  // On a tiny screen the smallest usable window keeps its title bar's corner on it.
  const QRect tiny(10, 20, 200, 150);
  const TWindowPlacement p = PlaceWindow(Designed, TitleBar, Smallest, tiny);
  EXPECT_EQ(p.ClientSize, Smallest);
  EXPECT_EQ(p.FramePos, tiny.topLeft());
  // A minimum above the designed size never grows the window; an empty area gives no nonsense.
  EXPECT_EQ(PlaceWindow(QSize(200, 100), TitleBar, Smallest, QRect(0, 0, 800, 600)).ClientSize, QSize(200, 100));
  const TWindowPlacement none = PlaceWindow(Designed, TitleBar, Smallest, QRect());
  EXPECT_EQ(none.ClientSize, Smallest);
  EXPECT_EQ(none.FramePos, QPoint(0, 0));
}

namespace {
// Whether the control shows where it is and the mouse reaches it: it lies inside
// the window, and what the window has at the control's centre and corners is the control.
::testing::AssertionResult Reachable(TForm1& form, QWidget* control) {
  const QRect r(control->mapTo(&form, QPoint(0, 0)), control->size());
  if (!form.rect().contains(r))
    return ::testing::AssertionFailure() << control->objectName().toStdString() << " outside the window";
  for (const QPoint p : {r.center(), r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
    QWidget* at = form.childAt(p);
    if (at != control && !control->isAncestorOf(at))
      return ::testing::AssertionFailure() << control->objectName().toStdString() << " covered at " << p.x() << ","
                                           << p.y() << " by " << (at ? at->objectName().toStdString() : "nothing");
  }
  return ::testing::AssertionSuccess();
}

QList<QWidget*> PanelControls(TForm1& form) {
  return {form.Image1, form.NLabR, form.SBarR, form.NLabC, form.SBarC, form.NLabL, form.SBarL,
          form.BButReset, form.BButAbout, form.BButClose};
}
} // namespace

// The main window on the off-screen desk screen (1280 x 800), netbook screen (640 x 400)
// and a laptop's 1280 x 1024 at 200 % less its panel (640 x 492 logical pixels, of which
// the off-screen frame leaves a window of 488 pixels' height, as reported).
TEST(MainWindowPlacement, OnALargeAndASmallScreen) {
  QList<QScreen*> screens;
  for (const char* name : {"desk", "netbook", "laptop200"})
    for (QScreen* screen : QGuiApplication::screens())
      if (screen->name() == QLatin1String(name)) screens << screen;
  ASSERT_EQ(screens.size(), 3) << "run with QT_QPA_PLATFORM=offscreen:configfile=screens.json";
  {
    TForm1 form;
    form.show(); // placed while it is shown; destroyed before the start-up sequence runs
    EXPECT_EQ(form.size(), Designed);
    EXPECT_EQ(form.pos(), screens[0]->availableGeometry().center() - QRect(QPoint(), Designed).center());
    // As designed: no scroll bar, nothing moved.
    EXPECT_FALSE(form.PanelScroller()->Bar()->isVisible());
    EXPECT_EQ(form.Memo1->geometry(), QRect(0, 544 - 62, 727, 62));
    EXPECT_EQ(form.Panel1->geometry(), QRect(727 - 222, 0, 222, 544 - 62));
    EXPECT_EQ(form.BButClose->geometry(), QRect(6, 416, 210, 29));
  }
  {
    TForm1 form;
    form.move(screens[1]->geometry().topLeft()); // on the netbook screen
    form.show();
    const QRect available = screens[1]->availableGeometry();
    EXPECT_TRUE(available.contains(form.frameGeometry()));
    EXPECT_EQ(form.frameGeometry().topLeft(), available.topLeft());
    EXPECT_EQ(form.frameGeometry().width(), available.width());
    EXPECT_EQ(form.frameGeometry().height(), available.height());
    // The description keeps one line, the panel scrolls, and the chart takes the rest.
    EXPECT_LT(form.Memo1->height(), 62);
    EXPECT_GE(form.Memo1->height(), form.Memo1->fontMetrics().lineSpacing());
    EXPECT_TRUE(Reachable(form, form.Memo1));
    QScrollBar* bar = form.PanelScroller()->Bar();
    ASSERT_TRUE(bar->isVisible()) << form.height() << " " << form.Memo1->height() << " " << form.Panel1->height() << " "
                                  << form.PanelScroller()->ContentHeight();
    EXPECT_TRUE(Reachable(form, bar));
    EXPECT_EQ(form.RCResponse->width(), form.width() - form.Panel1->width());
    EXPECT_EQ(form.RCResponse->height(), form.height() - form.Memo1->height());
    // Each control can be scrolled into view; Tab to the Exit button brings it there.
    for (QWidget* control : PanelControls(form)) {
      form.PanelScroller()->EnsureVisible(control);
      EXPECT_TRUE(Reachable(form, control));
    }
    form.PanelScroller()->EnsureVisible(form.Image1);
    EXPECT_FALSE(Reachable(form, form.BButClose));
    form.activateWindow();
    form.BButClose->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Reachable(form, form.BButClose));
    EXPECT_EQ(bar->value(), bar->maximum());
  }
  {
    // 488 pixels high: the description box gives up some height and nothing scrolls.
    TForm1 form;
    form.move(screens[2]->geometry().topLeft());
    form.show();
    EXPECT_EQ(form.height(), 488);
    EXPECT_TRUE(screens[2]->availableGeometry().contains(form.frameGeometry()));
    EXPECT_FALSE(form.PanelScroller()->Bar()->isVisible());
    for (QWidget* control : PanelControls(form)) EXPECT_TRUE(Reachable(form, control));
    EXPECT_TRUE(Reachable(form, form.Memo1));
    EXPECT_EQ(form.BButClose->geometry(), QRect(6, 416, 210, 29));
    EXPECT_EQ(form.Panel1->width(), 222);
  }
}

int main(int argc, char** argv) {
  // The screens come from the environment; runtime and configuration folders are private.
  QTemporaryDir runtime, config;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("XDG_CONFIG_DIRS", config.path().toLocal8Bit());
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
