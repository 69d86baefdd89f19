#include "Control.h"

#include "Application.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <cstring>

TCustomControl::TCustomControl(QWidget* parent) : QWidget(parent), surfaceCanvas_(&surface_) {
  // The surface covers every pixel: Qt need not clear the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The surface is made when first drawn on or shown: controls that never get a
  // window of their own (a chart's scales) never hold one.
}

namespace {
// A surface of a logical size at a device scale.
QImage NewSurface(QSize size, int scale) {
  QImage image(size * scale, QImage::Format_RGB32);
  if (scale != 1) image.setDevicePixelRatio(scale);
  return image;
}

bool HasScale(const QImage& image, int scale) { return DeviceScaleFor(image.devicePixelRatio()) == scale; }
} // namespace

void TCustomControl::EnsureSurfaceSize() {
  const int scale = DeviceScale();
  const QSize s = size();
  if (surface_.size() == s * scale && HasScale(surface_, scale)) return;
  if (s.isEmpty()) {
    surface_ = QImage();
    return;
  }
  QImage next = NewSurface(s, scale);
  next.fill(ColorToRGB(clBtnFace));
  if (!surface_.isNull()) {
    // Keep what can be kept until the next Paint draws the new size.
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), surface_);
  }
  surface_ = std::move(next);
}

void TCustomControl::AdoptSurface(const QImage& picture) {
  EnsureSurfaceSize();
  if (picture.size() != surface_.size() || picture.format() != QImage::Format_RGB32 ||
      surface_.format() != QImage::Format_RGB32 || picture.devicePixelRatio() != surface_.devicePixelRatio()) {
    WindowCanvas().Draw(0, 0, picture);
    return;
  }
  QImage former = std::move(surface_);
  surface_ = picture;
  if (former.isDetached()) spare_ = std::move(former);
}

QImage TCustomControl::TakeSpareImage() {
  const int scale = DeviceScale();
  const QSize s = size();
  QImage spare = std::move(spare_);
  spare_ = QImage();
  if (spare.size() == s * scale && HasScale(spare, scale) && spare.format() == QImage::Format_RGB32 &&
      spare.isDetached())
    return spare;
  if (s.isEmpty()) return QImage();
  return NewSurface(s, scale);
}

// Copies the shared surface into the spare pixels (no allocation when there are such)
// and keeps the copy: whoever shares the former pixels keeps them unchanged.
void TCustomControl::OwnSurface() {
  QImage own = TakeSpareImage();
  if (own.size() != surface_.size() || surface_.format() != QImage::Format_RGB32 ||
      own.devicePixelRatio() != surface_.devicePixelRatio()) {
    surface_.detach();
    return;
  }
  uchar* to = own.bits();
  const uchar* from = surface_.constBits();
  const size_t rowBytes = size_t(surface_.width()) * 4;
  for (int y = 0; y < surface_.height(); ++y)
    std::memcpy(to + qsizetype(y) * own.bytesPerLine(), from + qsizetype(y) * surface_.bytesPerLine(), rowBytes);
  surface_ = std::move(own);
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
  const int scale = DeviceScaleFor(surface_.devicePixelRatio());
  if (scale == 1) {
    const QRect r = event->rect() & surface_.rect();
    if (!r.isEmpty()) p.drawImage(r.topLeft(), surface_, r);
    return;
  }
  // The source rectangle is in the surface's pixels.
  const QRect r = event->rect() & QRect(QPoint(0, 0), surface_.size() / scale);
  if (!r.isEmpty()) p.drawImage(r, surface_, QRect(r.topLeft() * scale, r.size() * scale));
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
