#include "Control.h"

#include "Application.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>

TCustomControl::TCustomControl(QWidget* parent) : QWidget(parent), surfaceCanvas_(&surface_) {
  // The surface covers every pixel: Qt need not clear the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The surface is made when first drawn on or shown: controls that never get a
  // window of their own (a chart's scales) never hold one.
}

void TCustomControl::EnsureSurfaceSize() {
  const QSize s = size();
  if (surface_.size() == s) return;
  if (s.isEmpty()) {
    surface_ = QImage();
    return;
  }
  QImage next(s, QImage::Format_RGB32);
  next.fill(ColorToRGB(clBtnFace));
  if (!surface_.isNull()) {
    // Keep what can be kept until the next Paint draws the new size.
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), surface_);
  }
  surface_ = std::move(next);
}

void TCustomControl::paintEvent(QPaintEvent* event) {
  EnsureSurfaceSize();
  const bool blitOnly = blitPending_;
  blitPending_ = false;
  if (!blitOnly && !inPaint_) {
    inPaint_ = true;
    RunGuarded([this] { Paint(); });
    inPaint_ = false;
  }
  if (surface_.isNull()) return;
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  const QRect r = event->rect() & surface_.rect();
  if (!r.isEmpty()) p.drawImage(r.topLeft(), surface_, r);
}

void TCustomControl::PresentSurface(const QRect& area) {
  // Hidden: the surface still holds the picture for the next paint.
  if (!isVisible() || inPaint_) return;
  // The surface is complete now; the screen takes it at the toolkit's next
  // paint, which only copies (several presents before it are shown at once).
  blitPending_ = true;
  if (area.isEmpty()) update(); else update(area);
}

void TCustomControl::resizeEvent(QResizeEvent* event) {
  blitPending_ = false; // a resized window needs its Paint
  if (!surface_.isNull()) EnsureSurfaceSize();
  QWidget::resizeEvent(event);
}

void TCustomControl::showEvent(QShowEvent* event) {
  if (!windowCreated_) {
    windowCreated_ = true;
    CreateWnd();
  }
  QWidget::showEvent(event);
}
