// Where the main window appears: centred as designed where it fits; fully on
// a screen that is smaller than the window, title bar first. The pure
// placement, then the window itself on off-screen screens of two sizes
// (the test runs with QT_QPA_PLATFORM=offscreen:configfile=screens.json).
#include "Application.h"
#include "TForm1.h"
#include "TRChart.h"
#include "WindowPlacement.h"

#include <QGuiApplication>
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

// The main window on the off-screen desk screen (1280 x 800) and netbook screen (640 x 400).
TEST(MainWindowPlacement, OnALargeAndASmallScreen) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_EQ(screens.size(), 2) << "run with QT_QPA_PLATFORM=offscreen:configfile=screens.json";
  {
    TForm1 form;
    form.show(); // placed while it is shown; destroyed before the start-up sequence runs
    EXPECT_EQ(form.size(), Designed);
    EXPECT_EQ(form.pos(), screens[0]->availableGeometry().center() - QRect(QPoint(), Designed).center());
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
    // The chart gives up what is missing; the rest of the window keeps its designed size.
    EXPECT_EQ(form.RCResponse->width(), form.width() - (727 - 505));
    EXPECT_EQ(form.RCResponse->height(), form.height() - (544 - 482));
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
