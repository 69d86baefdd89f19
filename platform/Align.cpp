#include "Align.h"

#include "Control.h"

#include <QEvent>
#include <QSet>
#include <QWidget>

namespace {

const char* const kAlignProperty = "kalvoraAlign";
const char* const kFilterProperty = "kalvoraAlignFilter";

// One filter object for the whole program. It watches the parents of aligned
// controls (resize, layout requests, children coming and going) and the aligned
// controls themselves (shown, hidden, resized, re-parented).
class AlignFilter : public QObject {
public:
  bool eventFilter(QObject* watched, QEvent* event) override;
  QSet<QWidget*> busy; // parents being re-arranged (no recursion)
};

AlignFilter& Filter() {
  static AlignFilter* filter = new AlignFilter; // lives as long as the program
  return *filter;
}

void Watch(QObject* object) {
  if (!object || object->property(kFilterProperty).toBool()) return;
  object->setProperty(kFilterProperty, true);
  object->installEventFilter(&Filter());
}

bool HasAlignedChildren(QWidget* parent) {
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && !w->isWindow() && GetAlign(w) != alNone) return true;
  }
  return false;
}

void Place(QWidget* w, const QRect& r) {
  const QRect g(r.topLeft(), QSize(qMax(0, r.width()), qMax(0, r.height())));
  if (w->geometry() == g) return;
  if (auto* c = qobject_cast<TCustomControl*>(w)) c->SetBounds(g.x(), g.y(), g.width(), g.height());
  else w->setGeometry(g);
}

bool AlignFilter::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w) return false;
  switch (event->type()) {
  // As a parent.
  case QEvent::Resize:
  case QEvent::LayoutRequest:
  case QEvent::ChildRemoved:
  case QEvent::ContentsRectChange:
    if (HasAlignedChildren(w)) RealignChildren(w);
    break;
  default: break;
  }
  // As an aligned control.
  if (GetAlign(w) != alNone && w->parentWidget() && !w->isWindow()) {
    switch (event->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Resize:
      RealignChildren(w->parentWidget());
      break;
    case QEvent::ParentChange:
      Watch(w->parentWidget());
      RealignChildren(w->parentWidget());
      break;
    default: break;
    }
  }
  return false;
}

} // namespace

void SetAlign(QWidget* control, TAlign align) {
  if (!control) return;
  control->setProperty(kAlignProperty, int(align));
  Watch(control);
  if (QWidget* parent = control->parentWidget()) {
    Watch(parent);
    RealignChildren(parent);
  }
}

TAlign GetAlign(const QWidget* control) {
  if (!control) return alNone;
  const QVariant v = control->property(kAlignProperty);
  return v.isValid() ? TAlign(v.toInt()) : alNone;
}

void RealignChildren(QWidget* parent) {
  if (!parent) return;
  AlignFilter& filter = Filter();
  if (filter.busy.contains(parent)) return;
  filter.busy.insert(parent);
  struct Done {
    AlignFilter& f;
    QWidget* p;
    ~Done() { f.busy.remove(p); }
  } done{filter, parent};

  const QRect area = parent->contentsRect();
  int left = area.left(), top = area.top();
  int right = area.left() + area.width(), bottom = area.top() + area.height();

  // Top and bottom first (full width, own height), in child order.
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow() || w->isHidden()) continue;
    const TAlign a = GetAlign(w);
    if (a == alTop) {
      const int h = w->height();
      Place(w, QRect(left, top, right - left, h));
      top += h;
    } else if (a == alBottom) {
      const int h = w->height();
      bottom -= h;
      Place(w, QRect(left, bottom, right - left, h));
    }
  }
  if (bottom < top) bottom = top;
  // Then left and right (remaining height, own width).
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow() || w->isHidden()) continue;
    const TAlign a = GetAlign(w);
    if (a == alLeft) {
      const int wd = w->width();
      Place(w, QRect(left, top, wd, bottom - top));
      left += wd;
    } else if (a == alRight) {
      const int wd = w->width();
      right -= wd;
      Place(w, QRect(right, top, wd, bottom - top));
    }
  }
  if (right < left) right = left;
  // A client-aligned control fills the rest.
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow() || w->isHidden()) continue;
    if (GetAlign(w) == alClient) Place(w, QRect(left, top, right - left, bottom - top));
  }
}
