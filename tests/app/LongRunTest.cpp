// A long session on the off-screen main window: 100,000 scroll-bar changes and
// 10,000 zooms with the mouse, with the pending events handled as a running
// program would. The heap must not grow once the display list has its full
// capacity: any per-step leak or queue that only grows shows here.
#include "Mouse.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KALVORA_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KALVORA_ASAN 1
#endif

#ifdef KALVORA_ASAN
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace {

// Bytes of heap in use by the process.
size_t HeapInUse() {
#ifdef KALVORA_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

// Under the sanitizers every step costs many times more; the same mix runs a
// tenth as long there.
#ifdef KALVORA_ASAN
constexpr int StepScale = 10;
#else
constexpr int StepScale = 1;
#endif

void Mouse(TRChart* chart, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  TestMouse::Send(*chart, type, p, button, buttons);
}

// A zoom band drawn with the left button between two points of the data area.
void ZoomBand(TRChart* chart, QPoint from, QPoint to) {
  Mouse(chart, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Mouse(chart, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
  Mouse(chart, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Mouse(chart, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

struct Session {
  TForm1& form;
  quint32 seed = 12345;
  int zooms = 0;
  quint32 Next(quint32 n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  }
  // One scroll-bar change on a bar picked at random; every tenth step a zoom
  // band, every fifth zoom back to the full view.
  void Step(int i) {
    QScrollBar* bars[] = {form.SBarR, form.SBarC, form.SBarL};
    QScrollBar* bar = bars[Next(3)];
    bar->setValue(bar->minimum() + int(Next(quint32(bar->maximum() - bar->minimum() + 1))));
    if (i % 10 == 9) {
      TRChart* chart = form.RCResponse;
      const int l = chart->MarginLeft() + 2, t = chart->MarginTop() + 2;
      const int w = chart->width() - chart->MarginRight() - l - 4;
      const int h = chart->height() - chart->MarginBottom() - t - 4;
      const QPoint a(l + int(Next(quint32(w / 2))), t + int(Next(quint32(h / 2))));
      const QPoint b(a.x() + 10 + int(Next(quint32(w / 2 - 10))), a.y() + 10 + int(Next(quint32(h / 2 - 10))));
      ZoomBand(chart, a, b);
      if (++zooms % 5 == 0) form.Zoom111Click();
    }
    if (i % 100 == 99) QCoreApplication::processEvents();
  }
};

TEST(LongRun, ScrollBarChangesAndZoomsKeepTheHeapFlat) {
  TForm1 form;
  form.show();
  QCoreApplication::processEvents();
  Session session{form};
  const int steps = 100000 / StepScale;

  // Warm-up: fonts, caches, images and the display list reach their sizes.
  for (int i = 0; i < 2000 / StepScale; ++i) session.Step(i);
  QCoreApplication::processEvents();
  const int capacity = form.RCResponse->Capacity();
  const size_t start = HeapInUse();

  size_t half = 0;
  for (int i = 0; i < steps; ++i) {
    session.Step(i);
    if (i == steps / 2) half = HeapInUse();
  }
  QCoreApplication::processEvents();
  const size_t end = HeapInUse();

  EXPECT_EQ(session.zooms, steps / 10 + 2000 / StepScale / 10);
  EXPECT_EQ(form.RCResponse->ItemCount(), 10001);
  EXPECT_EQ(form.RCResponse->Capacity(), capacity); // the list stopped growing in the warm-up
  // A leak of even a few bytes per step would add up to far more than this
  // allowance over the run; the allowance covers caches that settle late.
  const size_t allowance = 256 * 1024;
  EXPECT_LE(end, start + allowance) << "heap grew from " << start << " to " << end << " bytes";
  EXPECT_LE(end, half + allowance / 2) << "heap grew in the second half from " << half << " to " << end;
}

} // namespace
