#pragma once
// What assistive technology (a screen reader) reads from the numeric label and
// the hyperlink label. TNumLab is a label whose name is the text it shows
// ("R 4.70 Ohm", with the window's decimal separator: see SpokenNumbers.h); TUrlLab
// is a link whose press action opens it.
#include <QAccessibleWidget>

class TNumLab;
class TUrlLab;

class TNumLabAccessible : public QAccessibleWidget {
public:
  explicit TNumLabAccessible(TNumLab* label);
  QString text(QAccessible::Text t) const override;
  // The text the label shows now, with its left and right texts: "R 4.70 Ohm".
  static QString ShownText(const TNumLab& label);
};

class TUrlLabAccessible : public QAccessibleWidget {
public:
  explicit TUrlLabAccessible(TUrlLab* label);
  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;
  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;
};

// Registers the two interfaces with the toolkit (once; the labels call it).
void InstallWidgetAccessibility();
