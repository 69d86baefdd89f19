// Windows: the custom control's surface, alignment, cursors, message boxes and
// exceptions that escape event handlers.
#include "Align.h"
#include "Application.h"
#include "Control.h"
#include "Cursors.h"
#include "Exceptions.h"
#include "MessageBox.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QWindow>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

// Collects the message boxes instead of showing them.
class BoxRecorder {
public:
  BoxRecorder() {
    previous_ = SetMessageBoxHook([this](TMessageKind k, const QString& t) { boxes.push_back({k, t}); });
  }
  ~BoxRecorder() { SetMessageBoxHook(previous_); }
  struct Box {
    TMessageKind kind;
    QString text;
  };
  std::vector<Box> boxes;

private:
  TMessageBoxHook previous_;
};

// ---- Message boxes and exceptions -----------------------------------------------------------

TEST(MessageBox, HookReceivesTheBoxes) {
  BoxRecorder rec;
  ShowInformation(QStringLiteral("hello"));
  ShowError(QStringLiteral("bad"));
  ASSERT_EQ(rec.boxes.size(), 2u);
  EXPECT_EQ(rec.boxes[0].kind, TMessageKind::Information);
  EXPECT_EQ(rec.boxes[0].text, QStringLiteral("hello"));
  EXPECT_EQ(rec.boxes[1].kind, TMessageKind::Error);
  EXPECT_EQ(rec.boxes[1].text, QStringLiteral("bad"));
}

class Thrower : public QObject {
public:
  int handled = 0;
  int kind = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++handled;
    if (kind == 0) throw EVKTError(QStringLiteral("Chart error: bad layer"));
    if (kind == 1) throw std::runtime_error("standard failure");
    throw 42;
  }
};

TEST(Application, ExceptionEscapingAnEventHandlerShowsAnErrorBox) {
  ASSERT_NE(qobject_cast<TApplication*>(QCoreApplication::instance()), nullptr);
  BoxRecorder rec;
  Thrower t;
  QEvent ev(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&t, &ev));
  ASSERT_EQ(rec.boxes.size(), 1u);
  EXPECT_EQ(rec.boxes[0].kind, TMessageKind::Error);
  EXPECT_EQ(rec.boxes[0].text, QStringLiteral("Chart error: bad layer"));

  // Posted events too; the loop goes on and handles the next ones.
  t.kind = 1;
  QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
  t.kind = 1;
  QCoreApplication::processEvents();
  ASSERT_EQ(rec.boxes.size(), 2u);
  EXPECT_EQ(rec.boxes[1].text, QStringLiteral("standard failure"));
  t.kind = 2;
  QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  EXPECT_EQ(t.handled, 4);
  ASSERT_EQ(rec.boxes.size(), 4u);
  EXPECT_EQ(rec.boxes[3].text, QStringLiteral("Unknown error"));
}

TEST(Application, RunGuardedAndHandleException) {
  BoxRecorder rec;
  EXPECT_TRUE(RunGuarded([] {}));
  EXPECT_FALSE(RunGuarded([] { throw Exception(QStringLiteral("oops")); }));
  ASSERT_EQ(rec.boxes.size(), 1u);
  EXPECT_EQ(rec.boxes[0].text, QStringLiteral("oops"));
  TApplication::HandleException(std::make_exception_ptr(EConvertError(QStringLiteral("cannot assign"))));
  ASSERT_EQ(rec.boxes.size(), 2u);
  EXPECT_EQ(rec.boxes[1].text, QStringLiteral("cannot assign"));
}

// ---- Custom control -------------------------------------------------------------------------

// Shows a top-level widget and waits until its window can be painted.
void ShowExposed(QWidget& w) {
  w.show();
  QElapsedTimer t;
  t.start();
  while (!(w.windowHandle() && w.windowHandle()->isExposed()) && t.elapsed() < 2000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::processEvents();
}

class TestControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  int paints = 0, paintEvents = 0, creates = 0;
  bool fail = false, presentInPaint = false;
  TColor color = clRed;
  void Paint() override {
    ++paints;
    if (presentInPaint) PresentSurface();
    TCanvas& c = WindowCanvas();
    c.Pen.Style = psClear;
    c.Brush.Color = color;
    c.Rectangle(0, 0, width(), height());
    if (fail) throw EVKTError(QStringLiteral("paint failed"));
  }

protected:
  void CreateWnd() override { ++creates; }
  void paintEvent(QPaintEvent* e) override {
    ++paintEvents;
    TCustomControl::paintEvent(e);
  }
};

TEST(Control, SurfaceFollowsTheWidgetSize) {
  TestControl c;
  c.resize(120, 70);
  EXPECT_EQ(c.WindowImage().size(), QSize(120, 70));
  EXPECT_EQ(c.WindowImage().format(), QImage::Format_RGB32);
  EXPECT_EQ(c.WindowCanvas().Width(), 120);
  EXPECT_TRUE(c.testAttribute(Qt::WA_OpaquePaintEvent));
  c.resize(50, 40);
  EXPECT_EQ(c.WindowImage().size(), QSize(50, 40));
  EXPECT_FALSE(c.IsDesigning());
}

TEST(Control, PaintRequestRunsPaintAndCopiesTheSurface) {
  TestControl c;
  c.resize(60, 40);
  EXPECT_FALSE(c.HandleAllocated());
  c.show();
  EXPECT_TRUE(c.HandleAllocated());
  EXPECT_EQ(c.creates, 1);
  c.hide();
  c.show();
  EXPECT_EQ(c.creates, 1);

  const int before = c.paints;
  const QImage shot = c.grab().toImage();
  EXPECT_GT(c.paints, before);
  EXPECT_EQ(shot.pixel(10, 10), qRgb(255, 0, 0));
  EXPECT_EQ(c.WindowImage().pixel(59, 39), qRgb(255, 0, 0));
}

TEST(Control, PresentSurfaceBlitsWithoutPaint) {
  TestControl c;
  c.resize(60, 40);
  ShowExposed(c);
  c.repaint();
  const int paints = c.paints, events = c.paintEvents;
  c.WindowCanvas().SetPixel(5, 5, clBlue);
  c.PresentSurface();
  c.PresentSurface(); // presents before the screen copy are shown at once
  QCoreApplication::processEvents();
  EXPECT_EQ(c.paintEvents, events + 1);
  EXPECT_EQ(c.paints, paints);
  EXPECT_EQ(c.WindowImage().pixel(5, 5), qRgb(0, 0, 255));
  // A paint request of the system runs Paint again.
  c.repaint();
  EXPECT_EQ(c.paints, paints + 1);
  // Hidden: nothing is shown, the surface keeps the picture.
  c.hide();
  c.WindowCanvas().SetPixel(6, 6, clBlue);
  c.PresentSurface();
  QCoreApplication::processEvents();
  EXPECT_EQ(c.paintEvents, events + 2);
  EXPECT_EQ(c.WindowImage().pixel(6, 6), qRgb(0, 0, 255));
}

TEST(Control, PresentSurfaceInsidePaintIsHarmless) {
  TestControl c;
  c.resize(30, 30);
  ShowExposed(c);
  c.presentInPaint = true;
  const int events = c.paintEvents;
  c.repaint();
  EXPECT_EQ(c.paintEvents, events + 1);
  EXPECT_EQ(c.WindowImage().pixel(3, 3), qRgb(255, 0, 0));
}

TEST(Control, ExceptionInPaintShowsAnErrorAndTheControlGoesOn) {
  BoxRecorder rec;
  TestControl c;
  c.resize(30, 30);
  c.fail = true;
  ShowExposed(c);
  c.repaint();
  ASSERT_FALSE(rec.boxes.empty());
  EXPECT_EQ(rec.boxes.back().text, QStringLiteral("paint failed"));
  c.fail = false;
  c.color = clLime;
  c.repaint();
  EXPECT_EQ(c.WindowImage().pixel(3, 3), qRgb(0, 255, 0));
}

TEST(Control, AdoptedPictureIsSharedUntilEitherIsDrawnOn) {
  TestControl c;
  c.resize(40, 30);
  QImage picture = c.TakeSpareImage();
  ASSERT_EQ(picture.size(), QSize(40, 30));
  picture.fill(qRgb(255, 0, 0));
  c.AdoptSurface(picture);
  EXPECT_EQ(c.WindowImage().constBits(), picture.constBits()); // not copied
  EXPECT_EQ(c.WindowImage().pixel(39, 29), qRgb(255, 0, 0));
  // Drawing on the window leaves the picture as it was, and the other way round.
  c.WindowCanvas().SetPixel(1, 1, clBlue);
  EXPECT_EQ(c.WindowImage().pixel(1, 1), qRgb(0, 0, 255));
  EXPECT_EQ(c.WindowImage().pixel(2, 2), qRgb(255, 0, 0));
  EXPECT_EQ(picture.pixel(1, 1), qRgb(255, 0, 0));
  c.AdoptSurface(picture);
  picture.setPixel(3, 3, qRgb(0, 255, 0));
  EXPECT_EQ(c.WindowImage().pixel(3, 3), qRgb(255, 0, 0));
  // The spare pixels are nobody else's.
  QImage spare = c.TakeSpareImage();
  EXPECT_EQ(spare.size(), QSize(40, 30));
  EXPECT_TRUE(spare.isDetached());
  EXPECT_NE(spare.constBits(), c.WindowImage().constBits());
  EXPECT_NE(spare.constBits(), picture.constBits());
  // A picture of another size is copied to the top-left corner.
  QImage small(10, 10, QImage::Format_RGB32);
  small.fill(qRgb(0, 255, 0));
  c.AdoptSurface(small);
  EXPECT_EQ(c.WindowImage().size(), QSize(40, 30));
  EXPECT_EQ(c.WindowImage().pixel(9, 9), qRgb(0, 255, 0));
  EXPECT_EQ(c.WindowImage().pixel(20, 20), qRgb(255, 0, 0));
}

// ---- Alignment ------------------------------------------------------------------------------

TEST(Align, TopBottomThenLeftRightThenClient) {
  QWidget parent;
  parent.resize(200, 100);
  auto* top1 = new QWidget(&parent);
  auto* left = new QWidget(&parent);
  auto* client = new QWidget(&parent);
  auto* bottom = new QWidget(&parent);
  auto* right = new QWidget(&parent);
  auto* top2 = new QWidget(&parent);
  auto* free = new QWidget(&parent);
  top1->resize(10, 20);
  top2->resize(10, 5);
  bottom->resize(10, 15);
  left->resize(30, 10);
  right->resize(40, 10);
  free->setGeometry(3, 4, 5, 6);
  SetAlign(top1, alTop);
  SetAlign(left, alLeft);
  SetAlign(client, alClient);
  SetAlign(bottom, alBottom);
  SetAlign(right, alRight);
  SetAlign(top2, alTop);
  EXPECT_EQ(GetAlign(top1), alTop);
  EXPECT_EQ(GetAlign(free), alNone);
  parent.show();
  RealignChildren(&parent);

  EXPECT_EQ(top1->geometry(), QRect(0, 0, 200, 20));
  EXPECT_EQ(top2->geometry(), QRect(0, 20, 200, 5));
  EXPECT_EQ(bottom->geometry(), QRect(0, 85, 200, 15));
  EXPECT_EQ(left->geometry(), QRect(0, 25, 30, 60));
  EXPECT_EQ(right->geometry(), QRect(160, 25, 40, 60));
  EXPECT_EQ(client->geometry(), QRect(30, 25, 130, 60));
  EXPECT_EQ(free->geometry(), QRect(3, 4, 5, 6));

  // Every resize of the parent re-arranges the children.
  parent.resize(300, 200);
  EXPECT_EQ(top1->geometry(), QRect(0, 0, 300, 20));
  EXPECT_EQ(bottom->geometry(), QRect(0, 185, 300, 15));
  EXPECT_EQ(right->geometry(), QRect(260, 25, 40, 160));
  EXPECT_EQ(client->geometry(), QRect(30, 25, 230, 160));

  // Hidden children take no space.
  top1->hide();
  EXPECT_EQ(top2->geometry(), QRect(0, 0, 300, 5));
  EXPECT_EQ(client->geometry(), QRect(30, 5, 230, 180));
  top1->show();
  EXPECT_EQ(client->geometry(), QRect(30, 25, 230, 160));

  // A changed height of a top control moves the others.
  top2->resize(300, 10);
  EXPECT_EQ(client->geometry(), QRect(30, 30, 230, 155));
}

TEST(Align, ClientFillsAHiddenParentOnRealign) {
  QWidget parent;
  parent.resize(80, 60);
  auto* client = new QWidget(&parent);
  SetAlign(client, alClient);
  EXPECT_EQ(client->geometry(), QRect(0, 0, 80, 60));
  auto* bottom = new QWidget(&parent);
  bottom->resize(10, 12);
  SetAlign(bottom, alBottom);
  EXPECT_EQ(bottom->geometry(), QRect(0, 48, 80, 12));
  EXPECT_EQ(client->geometry(), QRect(0, 0, 80, 48));
  delete bottom;
  EXPECT_EQ(client->geometry(), QRect(0, 0, 80, 60));
}

// ---- Cursors --------------------------------------------------------------------------------

TEST(Cursors, RegisteredWithTheirHotSpots) {
  struct {
    int number;
    const char* name;
    QPoint hot;
  } const cases[] = {{1, "CURHAND", {12, 3}}, {2, "CURZOOMW", {7, 9}}, {3, "CURZOOMD", {15, 15}},
                     {4, "CURZOOMP", {7, 8}}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Cursors::Register(c.number, QString::fromLatin1(c.name))) << c.name;
    EXPECT_TRUE(Cursors::IsRegistered(c.number));
    const QCursor cursor = Cursors::CursorOf(c.number);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), c.hot) << c.name;
    const QImage img = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.size(), QSize(32, 32));
    // Monochrome: black, white or transparent only; some of each.
    int black = 0, white = 0, clear = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const QRgb p = img.pixel(x, y);
        if (qAlpha(p) == 0) ++clear;
        else if (p == 0xFF000000u) ++black;
        else if (p == 0xFFFFFFFFu) ++white;
        else ADD_FAILURE() << c.name << " pixel " << x << "," << y;
      }
    EXPECT_GT(black, 20) << c.name;
    EXPECT_GT(white, 20) << c.name;
    EXPECT_GT(clear, 200) << c.name;
  }
  EXPECT_FALSE(Cursors::Register(9, QStringLiteral("NOSUCHCURSOR")));
  EXPECT_FALSE(Cursors::IsRegistered(9));
}

TEST(Cursors, ApplicationWideCursor) {
  ASSERT_TRUE(Cursors::Register(1, QStringLiteral("CURHAND")));
  Cursors::SetApplicationCursor(1);
  EXPECT_EQ(Cursors::ApplicationCursor(), 1);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(12, 3));
  Cursors::SetApplicationCursor(Cursors::crCross);
  EXPECT_EQ(Cursors::ApplicationCursor(), -3);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  Cursors::SetApplicationCursor(77);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
  // The default cursor removes the override (one level only): windows show their own cursors.
  Cursors::SetApplicationCursor(Cursors::crDefault);
  EXPECT_EQ(Cursors::ApplicationCursor(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
