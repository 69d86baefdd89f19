#pragma once
// The main window and the About box for screen readers: every control gets an
// accessible name (and a description where it helps) from the translation
// table; the scroll bars read as sliders whose value is in the displayed unit
// ("Resistance R, 4.70 Ohm"); the chart gets a spoken summary of the curve,
// renewed once the values have rested for SummaryDelayMs. Names and
// descriptions are invisible: the window's pixels stay as designed.
#include "Circuit.h"
#include "Texts.h"

#include <QAccessibleWidget>
#include <QObject>
#include <QTimer>

class QAbstractSlider;
class QWidget;
class TForm1;
class TFrmAbout;

// A slider or scroll bar whose positions are hundredths (or another divisor) of a
// unit: its value, range and step reach assistive technology in that unit, and its
// name carries the value ("Resistance R, 4.70 Ohm"). Used for every slider that has
// the dynamic properties set by DescribeUnitSlider.
class TUnitSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  explicit TUnitSliderAccessible(QAbstractSlider* slider);
  QString text(QAccessible::Text t) const override;
  void* interface_cast(QAccessible::InterfaceType type) override;
  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

private:
  QAbstractSlider* Slider() const;
  double Divisor() const;
};

// Gives slider the accessible name and description and makes it report its value
// as position / divisor in unit with the given decimals.
void DescribeUnitSlider(QAbstractSlider* slider, const QString& name, const QString& description,
                        const QString& unit, double divisor, int decimals);

// Makes the top-level widget window read as a window (a frame), named by its
// accessible name or title.
void ExposeAsWindow(QWidget& window);

// The spoken summary of a response: the regime, the frequency, how fast it decays
// and the first maximum of the samples y (t = i ns), by the circuit's one regime rule.
QString CurveSummary(const TTranslate& translate, const Rlc::Positions& positions, const double* y, int count);

class TAccessibility : public QObject {
  Q_OBJECT
public:
  static constexpr int SummaryDelayMs = 300;

  // Names and describes the window's controls (the translation table is loaded by then).
  TAccessibility(TForm1& form, TTranslate translate);

  // Names the About box's panels and empty label (its texts name the rest).
  void DescribeAboutBox(TFrmAbout& box);
  // Hook of the curve computation: the summary follows once the values rest.
  void CurveChanged();
  // Writes the summary of the curve now.
  void UpdateSummary();

private:
  QString Text(const char* key, const char* english, const QStringList& args = {}) const;

  TForm1& form_;
  TTranslate translate_;
  QTimer summaryTimer_;
};
