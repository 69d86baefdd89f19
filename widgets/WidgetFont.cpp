#include "WidgetFont.h"

#include <QDynamicPropertyChangeEvent>
#include <QEvent>
#include <QVariant>
#include <QWidget>

TFontData InheritedFontData(const QWidget* parent) {
  for (const QWidget* w = parent; w; w = w->parentWidget()) {
    const QVariant stored = w->property("KalvoraFont");
    if (stored.isValid()) return stored.value<TFontData>();
    if (auto* font = qobject_cast<TFont*>(w->property("Font").value<QObject*>())) return font->Data();
  }
  return TFontData{};
}

TParentFontWatch::TParentFontWatch(QWidget* owner, std::function<void()> changed)
    : QObject(owner), owner_(owner), changed_(std::move(changed)) {
  Rewatch();
}

void TParentFontWatch::Rewatch() {
  for (const QPointer<QWidget>& w : watched_)
    if (w) w->removeEventFilter(this);
  watched_.clear();
  for (QWidget* w = owner_->parentWidget(); w; w = w->parentWidget()) {
    w->installEventFilter(this);
    watched_.emplace_back(w);
  }
}

bool TParentFontWatch::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::DynamicPropertyChange &&
      static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "KalvoraFont" && changed_)
    changed_();
  return false;
}
