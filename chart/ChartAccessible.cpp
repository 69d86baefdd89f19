#include "ChartAccessible.h"

#include "SpokenNumbers.h"
#include "TRChart.h"

namespace {

QAccessibleInterface* ChartFactory(const QString&, QObject* object) {
  if (auto* chart = qobject_cast<TCustomRChart*>(object)) return new TChartAccessible(chart);
  return nullptr;
}

QString OneLine(const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (QString& line : lines) line = line.simplified();
  lines.removeAll(QString());
  return lines.join(QStringLiteral("; "));
}

} // namespace

TChartAccessible::TChartAccessible(TCustomRChart* chart) : QAccessibleWidget(chart, QAccessible::Chart) {}

QStringList TChartAccessible::LabelTexts(const TCustomRChart& chart) {
  QStringList texts;
  for (int i = 1; i <= TCustomRChart::NumTextLabels; ++i) {
    const TTextLabel* label = chart.TextLabel(i);
    if (!label || !label->Visible() || label->Mode() == ChartTypes::tlOff) continue;
    const QString text = OneLine(label->Caption());
    if (!text.isEmpty()) texts << text;
  }
  return texts;
}

QString TChartAccessible::text(QAccessible::Text t) const {
  const auto* chart = static_cast<const TCustomRChart*>(widget());
  if (t == QAccessible::Name) {
    QString name = chart->accessibleName();
    if (name.isEmpty()) name = OneLine(chart->Caption());
    if (name.isEmpty() && chart->window()) name = chart->window()->windowTitle();
    return SpokenNumbers(*chart, name);
  }
  if (t == QAccessible::Description) {
    QStringList parts;
    // The summary of what is drawn; before there is one, the chart's general description.
    const QString summary = chart->AccessibleSummary();
    parts << (summary.isEmpty() ? chart->accessibleDescription() : summary);
    parts.removeAll(QString());
    parts << LabelTexts(*chart);
    return SpokenNumbers(*chart, parts.join(QStringLiteral(". ")));
  }
  return QAccessibleWidget::text(t);
}

void InstallChartAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(ChartFactory);
    return true;
  }();
  (void)installed;
}

void TCustomRChart::SetAccessibleSummary(const QString& summary) {
  if (summary == accessibleSummary_) return;
  accessibleSummary_ = summary;
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}
