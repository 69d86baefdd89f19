#include "WidgetAccessible.h"

#include "Application.h"
#include "SpokenNumbers.h"
#include "TNumLab.h"
#include "TUrlLab.h"

#include <QStringList>

namespace {

QAccessibleInterface* WidgetFactory(const QString&, QObject* object) {
  if (auto* numLab = qobject_cast<TNumLab*>(object)) return new TNumLabAccessible(numLab);
  if (auto* urlLab = qobject_cast<TUrlLab*>(object)) return new TUrlLabAccessible(urlLab);
  return nullptr;
}

} // namespace

TNumLabAccessible::TNumLabAccessible(TNumLab* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

QString TNumLabAccessible::ShownText(const TNumLab& label) {
  QStringList parts;
  for (const QString& part : {label.LeftText(), label.ShownText(), label.RightText()})
    if (!part.trimmed().isEmpty()) parts << part.trimmed();
  return parts.join(QLatin1Char(' '));
}

QString TNumLabAccessible::text(QAccessible::Text t) const {
  const auto* label = static_cast<const TNumLab*>(widget());
  if (t == QAccessible::Name) {
    const QString name = widget()->accessibleName();
    return name.isEmpty() ? SpokenNumbers(*label, ShownText(*label)) : name;
  }
  if (t == QAccessible::Value) return SpokenNumbers(*label, label->ShownText());
  return QAccessibleWidget::text(t);
}

TUrlLabAccessible::TUrlLabAccessible(TUrlLab* label) : QAccessibleWidget(label, QAccessible::Link) {}

QString TUrlLabAccessible::text(QAccessible::Text t) const {
  const auto* label = static_cast<const TUrlLab*>(widget());
  switch (t) {
  case QAccessible::Name: {
    const QString name = widget()->accessibleName();
    return name.isEmpty() ? label->Caption() : name;
  }
  case QAccessible::Description: {
    const QString description = widget()->accessibleDescription();
    return description.isEmpty() ? label->URL() : description;
  }
  case QAccessible::Value: return label->URL();
  default: return QAccessibleWidget::text(t);
  }
}

QAccessible::State TUrlLabAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.linked = true;
  return s;
}

QStringList TUrlLabAccessible::actionNames() const { return {pressAction()}; }

void TUrlLabAccessible::doAction(const QString& actionName) {
  if (actionName != pressAction()) return;
  // As a mouse click: an error of the label is shown, it does not unwind into the toolkit.
  auto* label = static_cast<TUrlLab*>(widget());
  RunGuarded([label] { label->Click(); });
}

void InstallWidgetAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(WidgetFactory);
    return true;
  }();
  (void)installed;
}
