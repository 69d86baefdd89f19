#include "PanelScroller.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

TPanelScroller::TPanelScroller(QWidget* panel, int bottomMargin)
    : QObject(panel), panel_(panel), bar_(new QScrollBar(Qt::Vertical, panel)), designedWidth_(panel->width()),
      margin_(bottomMargin) {
  bar_->setObjectName(panel->objectName() + QStringLiteral("Scroll"));
  bar_->setFocusPolicy(Qt::NoFocus); // the keyboard scrolls by moving the focus
  bar_->hide();
  connect(bar_, &QScrollBar::valueChanged, this, [this](int value) { ScrollTo(value); });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (enabled_ && now && now != bar_ && panel_->isAncestorOf(now)) EnsureVisible(now);
  });
  panel_->installEventFilter(this);
}

int TPanelScroller::ContentHeight() const {
  int bottom = 0;
  for (QObject* o : panel_->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && w != bar_ && !w->isWindow() && !w->isHidden()) bottom = std::max(bottom, w->geometry().bottom() + 1);
  }
  return bottom + offset_ + margin_;
}

void TPanelScroller::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  Update();
}

void TPanelScroller::EnsureVisible(QWidget* child) {
  while (child && child->parentWidget() != panel_) child = child->parentWidget();
  if (!child || !bar_->isVisible()) return;
  const QRect r = child->geometry();
  int offset = offset_;
  if (r.bottom() + 1 + margin_ > panel_->height()) offset += r.bottom() + 1 + margin_ - panel_->height();
  if (r.top() - (offset - offset_) < 0) offset = offset_ + r.top();
  bar_->setValue(offset);
}

void TPanelScroller::ScrollTo(int offset) {
  const int delta = offset - offset_;
  if (delta == 0) return;
  offset_ = offset;
  for (QObject* o : panel_->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && w != bar_ && !w->isWindow()) w->move(w->x(), w->y() - delta);
  }
}

void TPanelScroller::Update() {
  if (updating_) return;
  updating_ = true;
  const int content = ContentHeight();
  const bool scroll = enabled_ && panel_->height() < content;
  const int extent = panel_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar_);
  if (scroll) {
    const int page = panel_->height();
    bar_->setRange(0, content - page);
    bar_->setPageStep(page);
    bar_->setSingleStep(20);
    bar_->setGeometry(designedWidth_, 0, extent, page);
    bar_->show();
  } else {
    bar_->setValue(0);
    ScrollTo(0);
    bar_->hide();
  }
  const int width = designedWidth_ + (scroll ? extent : 0);
  const int height = panel_->height();
  if (panel_->width() != width) panel_->resize(width, height); // its alignment places it anew
  updating_ = false;
  if (panel_->height() != height) Update(); // placed at another height meanwhile
}

bool TPanelScroller::eventFilter(QObject* watched, QEvent* event) {
  if (watched == panel_) {
    if (event->type() == QEvent::Resize) Update();
    else if (event->type() == QEvent::Wheel && bar_->isVisible()) {
      QCoreApplication::sendEvent(bar_, event);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}
