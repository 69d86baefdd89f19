// Keyboard operation: zoom and pan keys, Esc on a zoom band, the pop-up from the
// keyboard, the focus frame, Tab out of the chart, and the buttons' mnemonics
// that show only while Alt is held.
#include "Application.h"
#include "ChartExport.h"
#include "ChartKeyboard.h"
#include "FeatureContext.h"
#include "MessageBox.h"
#include "Mouse.h"
#include "TForm1.h"
#include "TLexivaran2000.h"
#include "TRChart.h"
#include "Texts.h"
#include "Tables.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ChartKeyboardTest : public ::testing::Test {
protected:
  void SetUp() override {
    form.RenderChart(470, 220, 1000);
    chart().OnZoomPan = [this](QObject*) { ++zoomPans; };
  }
  TRChart& chart() { return *form.RCResponse; }
  bool Key(int key, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&chart(), &e);
    return e.isAccepted();
  }
  void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
    TestMouse::Send(chart(), type, p, button, held);
  }
  void ExpectView(double xl, double xh, double yl, double yh) {
    EXPECT_NEAR(chart().Scale1X()->RangeLow(), xl, 1e-12);
    EXPECT_NEAR(chart().Scale1X()->RangeHigh(), xh, 1e-12);
    EXPECT_NEAR(chart().Scale1Y()->RangeLow(), yl, 1e-12);
    EXPECT_NEAR(chart().Scale1Y()->RangeHigh(), yh, 1e-12);
  }
  // Dark pixels on the control's second pixel row, where the focus frame runs.
  int FrameInk() {
    const QImage& image = chart().ControlImage().Image();
    int n = 0;
    for (int x = 10; x < image.width() - 10; ++x) n += image.pixel(x, 1) == qRgb(0, 0, 0);
    return n;
  }

  TForm1 form;
  int zoomPans = 0;
};

TEST_F(ChartKeyboardTest, ZoomAndPanKeysMoveTheViewAroundItsCentre) {
  const int items = chart().ItemCount();
  Key(Qt::Key_Plus);
  ExpectView(2.5, 7.5, -0.55, 0.55);
  Key(Qt::Key_Minus);
  ExpectView(0, 10, -1.1, 1.1);
  Key(Qt::Key_Right);
  ExpectView(1, 11, -1.1, 1.1);
  Key(Qt::Key_Up);
  ExpectView(1, 11, -0.88, 1.32);
  Key(Qt::Key_Down);
  Key(Qt::Key_Left);
  ExpectView(0, 10, -1.1, 1.1);
  EXPECT_EQ(zoomPans, 6);
  // The keypad's plus, then back to 1:1 with 0 and with Home.
  Key(Qt::Key_Plus, Qt::KeypadModifier);
  Key(Qt::Key_Left);
  ExpectView(2, 7, -0.55, 0.55);
  Key(Qt::Key_0);
  ExpectView(0, 10, -1.1, 1.1);
  Key(Qt::Key_Equal);
  Key(Qt::Key_Home);
  ExpectView(0, 10, -1.1, 1.1);
  // Shortcuts with Ctrl or Alt are not the chart's; the display list is never rebuilt.
  EXPECT_FALSE(Key(Qt::Key_Plus, Qt::ControlModifier) && chart().Scale1X()->RangeLow() != 0);
  ExpectView(0, 10, -1.1, 1.1);
  EXPECT_EQ(chart().ItemCount(), items);
}

TEST_F(ChartKeyboardTest, AZoomHandlerErrorShowsAndTheKeysGoOn) {
  QStringList errors;
  const TMessageBoxHook previous = SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  chart().OnZoomPan = [](QObject*) { throw EVKTError("zoom failed"); };
  bool taken = false;
  EXPECT_TRUE(RunGuarded([&] { taken = Key(Qt::Key_Plus); })); // nothing unwinds through the toolkit
  EXPECT_TRUE(taken);
  EXPECT_EQ(errors, QStringList{"zoom failed"});
  chart().OnZoomPan = nullptr;
  Key(Qt::Key_0);
  ExpectView(0, 10, -1.1, 1.1);
  SetMessageBoxHook(previous);
}

// The focus frame repaints the chart: a render handler's error shows there, and the
// toolkit's delivery of the focus change completes (nothing unwinds through it).
TEST_F(ChartKeyboardTest, ARenderHandlerErrorOnAFocusChangeShowsAndStaysInside) {
  QStringList errors;
  const TMessageBoxHook previous = SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  // A feature's handler on the same chain as the focus frame.
  THandlerLink failing =
      form.Features->ScalesRendered.Join([](QObject*, TCanvas&, int, int) { throw EVKTError("render failed"); });
  QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
  EXPECT_TRUE(QCoreApplication::sendEvent(&chart(), &in));
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  EXPECT_TRUE(QCoreApplication::sendEvent(&chart(), &out));
  EXPECT_EQ(errors, (QStringList{"render failed", "render failed"}));
  failing.Leave();
  chart().Paint();
  EXPECT_EQ(FrameInk(), 0);
  SetMessageBoxHook(previous);
}

TEST_F(ChartKeyboardTest, ZoomingInStopsAtTheSmallestRange) {
  for (int i = 0; i < 80; ++i) Key(Qt::Key_Plus);
  const double width = chart().Scale1X()->RangeHigh() - chart().Scale1X()->RangeLow();
  EXPECT_GE(width, chart().Scale1X()->MinRange());
  EXPECT_NEAR((chart().Scale1X()->RangeHigh() + chart().Scale1X()->RangeLow()) / 2, 5, 1e-9);
}

TEST_F(ChartKeyboardTest, EscapeCancelsAZoomBandAndLeavesThePicture) {
  const QImage before = chart().WindowImage().copy();
  Mouse(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, {250, 200}, Qt::NoButton, Qt::LeftButton);
  ASSERT_EQ(chart().ZoomState(), TCustomRChart::zsDrawWin);
  EXPECT_FALSE(chart().WindowImage() == before); // the band is drawn
  EXPECT_TRUE(Key(Qt::Key_Escape));
  EXPECT_EQ(chart().ZoomState(), TCustomRChart::zsNormal);
  EXPECT_TRUE(chart().WindowImage() == before);
  Mouse(QEvent::MouseButtonRelease, {250, 200}, Qt::LeftButton, Qt::NoButton);
  ExpectView(0, 10, -1.1, 1.1);
  EXPECT_EQ(zoomPans, 0);
  EXPECT_FALSE(Key(Qt::Key_Escape)); // without a band Esc is not the chart's
}

TEST_F(ChartKeyboardTest, ThePopupOpensFromTheKeyboardOnce) {
  QMenu* menu = form.PopupMenu1;
  Key(Qt::Key_F10);
  EXPECT_FALSE(menu->isVisible());
  Key(Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(menu->isVisible());
  menu->hide();
  Key(Qt::Key_Menu);
  ASSERT_TRUE(menu->isVisible());
  const QPoint at = menu->pos();
  // The platform's own request for the same key does not open it again elsewhere.
  QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(5, 5), chart().mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(&chart(), &e);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->pos(), at);
  menu->hide();
  // Its items: Zoom 1:1, the circuit extras, then measuring, the two exports and listening.
  QStringList names;
  for (QAction* a : menu->actions()) names << a->objectName();
  EXPECT_EQ(names, (QStringList{"Zoom111", "", "CircuitDataItem", "ExactResponseItem", "", "KeepCurveItem",
                                "ClearKeptCurvesItem", "", "Measure", "SavePicture", "SaveSamples", "Listen",
                                "Analysis"}));
}

TEST_F(ChartKeyboardTest, TheFocusFrameShowsOnlyWhileTheChartHasTheFocus) {
  EXPECT_EQ(FrameInk(), 0);
  EXPECT_NE(QApplication::focusWidget(), &chart());
  QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
  QCoreApplication::sendEvent(&chart(), &in);
  EXPECT_GT(FrameInk(), 50);
  EXPECT_TRUE(chart().WindowImage() == chart().ControlImage().Image());
  // A pop-up keeps it; losing the focus otherwise removes it.
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QCoreApplication::sendEvent(&chart(), &popup);
  EXPECT_GT(FrameInk(), 50);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(&chart(), &out);
  EXPECT_EQ(FrameInk(), 0);
}

TEST_F(ChartKeyboardTest, TabLeavesTheChartBothWays) {
  form.activateWindow();
  QApplication::setActiveWindow(&form);
  chart().setFocus(Qt::OtherFocusReason);
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), &chart());
  EXPECT_GT(FrameInk(), 50);
  Key(Qt::Key_Tab);
  QWidget* next = QApplication::focusWidget();
  EXPECT_NE(next, &chart());
  EXPECT_EQ(FrameInk(), 0);
  chart().setFocus(Qt::OtherFocusReason);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), form.BButClose);
  // The scroll bars take the focus from the keyboard and move with the arrows.
  EXPECT_TRUE(form.SBarR->focusPolicy() & Qt::TabFocus);
}

// The window goes while its chart has the focus (and shows the frame): nothing
// may draw on the half-destroyed chart.
TEST(KeyboardAccess, TheWindowClosesWhileTheChartHasTheFocus) {
  auto form = std::make_unique<TForm1>();
  form->RenderChart(470, 220, 1000);
  form->activateWindow();
  QApplication::setActiveWindow(form.get());
  form->RCResponse->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form->RCResponse->hasFocus());
  form.reset();
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

TEST(KeyboardAccess, MnemonicsAreUnderlinedOnlyWhileAltIsHeld) {
  // Two windows of one button each, alike but for the mark and the style.
  QPushButton plain(QStringLiteral("Reset")), marked(QStringLiteral("&Reset"));
  EnableKeyboardAccess(nullptr, {}, {&marked});
  for (QPushButton* b : {&plain, &marked}) {
    b->resize(102, 29);
    b->show();
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(plain.grab().toImage() == marked.grab().toImage());
  QKeyEvent alt(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
  QCoreApplication::sendEvent(&marked, &alt);
  EXPECT_FALSE(plain.grab().toImage() == marked.grab().toImage());
  QKeyEvent up(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
  QCoreApplication::sendEvent(&marked, &up);
  EXPECT_TRUE(plain.grab().toImage() == marked.grab().toImage());
}

TEST(KeyboardAccess, BothTablesGiveTheButtonsDistinctMnemonics) {
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("E&xit")), "Exit");
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("Save && go&")), "Save & go");
  const struct {
    const char* file;
    QStringList captions;
  } tables[] = {{"kalvora.itl", {"Reset", "About", "Exit"}},
                {"kalvora-de.itl", {QString::fromUtf8("Zur\xc3\xbc" "cksetzen"), QString::fromUtf8("\xc3\x9c" "ber"), "Beenden"}}};
  for (const auto& t : tables) {
    TLexivaran2000 engine;
    ASSERT_TRUE(TestTables::LoadShippedTable(engine, QLatin1String(t.file))) << t.file;
    QString letters;
    int i = 0;
    for (const char* key : {"Reset", "About", "Exit"}) {
      const QString text = engine.Translate(QLatin1String(key));
      EXPECT_EQ(text.count(QLatin1Char('&')), 1) << t.file << " " << key;
      EXPECT_EQ(WithoutMnemonic(text), t.captions[i++]) << t.file;
      letters += text.mid(text.indexOf(QLatin1Char('&')) + 1, 1).toLower();
    }
    EXPECT_EQ(QSet<QChar>(letters.begin(), letters.end()).size(), 3) << t.file;
    for (const char* key : {"Measure", "MeasureAt", "MeasureDelta", "SavePicture", "SaveSamples", "PictureFiles",
                            "SampleFiles", "PictureWidth", "SaveFailed", "SaveOverFolder", "SaveOverDevice",
                            "SaveOverPipe", "SaveOverSocket", "SaveOverSpecial", "PictureTooLarge", "SaveNoMemory"})
      EXPECT_TRUE(engine.Keys().contains(QString::fromLatin1(key).toLower())) << t.file << " lacks " << key;
  }
}

} // namespace
