#pragma once
// What assistive technology (a screen reader) reads from the chart: one object
// of the role Chart, named by its accessible name (else its caption, else its
// window's title), described by the summary the application gives
// (SetAccessibleSummary; until there is one, its accessible description) followed by the texts of the visible text labels
// drawn in it; the numbers of name and description with the window's decimal
// separator (SpokenNumbers.h). The chart's internals (items, axes, crosshairs) are not
// separate objects.
#include <QAccessibleWidget>

class TCustomRChart;

class TChartAccessible : public QAccessibleWidget {
public:
  explicit TChartAccessible(TCustomRChart* chart);
  QString text(QAccessible::Text t) const override;
  // No children: the crosshairs, labels and axes are read in the description.
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  // The texts of the chart's visible text labels in label order, each label's lines joined by "; ".
  static QStringList LabelTexts(const TCustomRChart& chart);
};

// Registers the interface with the toolkit (once; every chart calls it when it is made).
void InstallChartAccessibility();
