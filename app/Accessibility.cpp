#include "Accessibility.h"

#include "Circuit.h"

#include "LiveCurve.h"
#include "MeasureCursor.h"
#include "ReadoutNumber.h"
#include "SpokenNumbers.h"
#include "StdControls.h"
#include "TForm1.h"
#include "TFrmAbout.h"
#include "TRChart.h"

#include <QAbstractSlider>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>
#include <numbers>

namespace {

const char* const UnitProperty = "kalvoraAccessibleUnit";
const char* const DivisorProperty = "kalvoraAccessibleDivisor";
const char* const DecimalsProperty = "kalvoraAccessibleDecimals";

const char* const WindowProperty = "kalvoraAccessibleWindow";

// The sliders described in units, and the windows as frames (a plain
// top-level widget would read as a mere client area).
QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* slider = qobject_cast<QAbstractSlider*>(object); slider && slider->property(UnitProperty).isValid())
    return new TUnitSliderAccessible(slider);
  if (auto* w = qobject_cast<QWidget*>(object); w && w->isWindow() && w->property(WindowProperty).toBool())
    return new QAccessibleWidget(w, QAccessible::Window);
  return nullptr;
}

void InstallFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

// An interface the toolkit made for object before it was described here is
// dropped, so that the next query makes the one of Factory.
void Renew(QObject* object, QAccessible::Role role) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
  if (iface && iface->role() != role) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void AnnounceName(QObject* object) {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(object, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

} // namespace

TUnitSliderAccessible::TUnitSliderAccessible(QAbstractSlider* slider)
    : QAccessibleWidget(slider, QAccessible::Slider) {}

QAbstractSlider* TUnitSliderAccessible::Slider() const { return static_cast<QAbstractSlider*>(widget()); }

double TUnitSliderAccessible::Divisor() const {
  const double d = widget()->property(DivisorProperty).toDouble();
  return d > 0 ? d : 1;
}

QString TUnitSliderAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Name && t != QAccessible::Value) return QAccessibleWidget::text(t);
  const QString number =
      QString::number(Slider()->value() / Divisor(), 'f', widget()->property(DecimalsProperty).toInt());
  const QString value =
      SpokenNumbers(*widget(), number) + QLatin1Char(' ') + widget()->property(UnitProperty).toString();
  if (t == QAccessible::Value) return value;
  const QString name = widget()->accessibleName();
  return name.isEmpty() ? value : name + QStringLiteral(", ") + value;
}

void* TUnitSliderAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QVariant TUnitSliderAccessible::currentValue() const { return Slider()->value() / Divisor(); }

void TUnitSliderAccessible::setCurrentValue(const QVariant& value) {
  bool ok = false;
  const double v = value.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return; // a value that is no number changes nothing
  const double position = std::clamp(v * Divisor(), double(Slider()->minimum()), double(Slider()->maximum()));
  Slider()->setValue(int(std::lround(position)));
}

QVariant TUnitSliderAccessible::maximumValue() const { return Slider()->maximum() / Divisor(); }
QVariant TUnitSliderAccessible::minimumValue() const { return Slider()->minimum() / Divisor(); }
QVariant TUnitSliderAccessible::minimumStepSize() const { return Slider()->singleStep() / Divisor(); }

void DescribeUnitSlider(QAbstractSlider* slider, const QString& name, const QString& description,
                        const QString& unit, double divisor, int decimals) {
  InstallFactory();
  slider->setProperty(UnitProperty, unit);
  slider->setProperty(DivisorProperty, divisor);
  slider->setProperty(DecimalsProperty, decimals);
  slider->setAccessibleName(name);
  slider->setAccessibleDescription(description);
  Renew(slider, QAccessible::Slider);
}

void ExposeAsWindow(QWidget& window) {
  InstallFactory();
  window.setProperty(WindowProperty, true);
  Renew(&window, QAccessible::Window);
}

QString CurveSummary(const TTranslate& translate, const Rlc::Positions& positions, const double* y, int count) {
  const Rlc::Quantities q = Rlc::QuantitiesAt(positions);
  const double usPerSecond = 1e6;
  QString regime;
  switch (q.Kind) {
  case Rlc::Regime::Undamped:
    regime = TextOr(translate, QStringLiteral("A11ySummaryUndamped"),
                    QStringLiteral("Undamped oscillation at <%1%>, the amplitude stays the same"),
                    {FrequencyText(q.F0_Hz)});
    break;
  case Rlc::Regime::Underdamped:
    regime = TextOr(translate, QStringLiteral("A11ySummaryUnderdamped"),
                    QStringLiteral("Underdamped oscillation at <%1%>, amplitude halves every <%2%> microseconds"),
                    {FrequencyText(q.F_Hz), QString::number(std::numbers::ln2 * q.Tau_s * usPerSecond, 'g', 3)});
    break;
  case Rlc::Regime::Critical:
    regime = TextOr(translate, QStringLiteral("A11ySummaryCritical"),
                    QStringLiteral("Critically damped response without oscillation, time constant <%1%> microseconds"),
                    {QString::number(q.Tau_s * usPerSecond, 'g', 3)});
    break;
  case Rlc::Regime::Overdamped:
    regime = TextOr(translate, QStringLiteral("A11ySummaryOverdamped"),
                    QStringLiteral("Overdamped (aperiodic) response without oscillation"));
    break;
  }
  for (int i = 1; i + 1 < count; ++i) {
    if (!(y[i] > y[i - 1] && y[i] >= y[i + 1])) continue;
    return TextOr(translate, QStringLiteral("A11ySummaryMaximum"),
                  QStringLiteral("<%1%>, first maximum <%2%> at <%3%> microseconds"),
                  {regime, QString::number(y[i], 'g', 3), QString::number(i * 0.001, 'f', 3)});
  }
  return TextOr(translate, QStringLiteral("A11ySummaryNoMaximum"),
                QStringLiteral("<%1%>, no maximum in the first 10 microseconds"), {regime});
}

TAccessibility::TAccessibility(TForm1& form, TTranslate translate)
    : QObject(&form), form_(form), translate_(std::move(translate)) {
  summaryTimer_.setSingleShot(true);
  summaryTimer_.setInterval(SummaryDelayMs);
  connect(&summaryTimer_, &QTimer::timeout, this, [this] { UpdateSummary(); });

  InstallFactory();
  ExposeAsWindow(form);
  SetSpokenSeparator(form, translate_);

  form.Memo1->setAccessibleName(Text("A11yMemo", "Description of the simulation"));
  form.Memo1->viewport()->setAccessibleName(form.Memo1->accessibleName()); // reached inside the memo
  form.Panel1->setAccessibleName(Text("A11yPanel", "Circuit values"));
  form.Image1->setAccessibleName(Text("A11yCircuit", "Circuit diagram"));
  form.Image1->setAccessibleDescription(
      Text("A11yCircuitDesc", "Series circuit: the input voltage Ue drives R and L in series; "
                              "the output voltage Ua is taken across the capacitor C."));
  DescribeUnitSlider(form.SBarR, Text("A11yNameR", "Resistance R"),
                     Text("A11yDescR", "Sets the resistance from 0 to 100 Ohm"), Text("A11yUnitR", "Ohm"), 100, 2);
  DescribeUnitSlider(form.SBarC, Text("A11yNameC", "Capacitance C"),
                     Text("A11yDescC", "Sets the capacitance from 0.1 to 50 nF"), Text("A11yUnitC", "nF"), 100, 2);
  DescribeUnitSlider(form.SBarL, Text("A11yNameL", "Inductance L"),
                     Text("A11yDescL", "Sets the inductance from 0.1 to 50 µH"), Text("A11yUnitL", "µH"), 100, 2);
  for (QScrollBar* bar : {form.SBarR, form.SBarC, form.SBarL})
    connect(bar, &QScrollBar::valueChanged, this, [bar] { AnnounceName(bar); });
  form.BButReset->setAccessibleDescription(
      Text("A11yResetDesc", "Sets R, C and L back to their start values and shows the whole curve"));
  form.BButAbout->setAccessibleDescription(Text("A11yAboutDesc", "Shows the program's name, version and links"));
  form.BButClose->setAccessibleDescription(Text("A11yExitDesc", "Ends the program"));
  form.RCResponse->setAccessibleName(Text("A11yChart", "Response of the circuit"));
  form.RCResponse->setAccessibleDescription(
      Text("A11yChartDesc", "The output voltage over the first 10 microseconds"));
  form.PopupMenu1->setAccessibleName(Text("A11yMenu", "Chart menu"));
}

QString TAccessibility::Text(const char* key, const char* english, const QStringList& args) const {
  return TextOr(translate_, QString::fromLatin1(key), QString::fromUtf8(english), args);
}

void TAccessibility::DescribeAboutBox(TFrmAbout& box) {
  box.Panel1->setAccessibleName(Text("A11yAboutProgram", "Program"));
  box.Panel2->setAccessibleName(Text("A11yAboutLinks", "Web links"));
  // The author's line is empty as designed: it gets a name instead of nothing.
  if (box.LblAuthor->text().isEmpty()) box.LblAuthor->setAccessibleName(Text("A11yNoAuthor", "no author named"));
}

void TAccessibility::CurveChanged() { summaryTimer_.start(); }

void TAccessibility::UpdateSummary() {
  const TCurveSamples curve = LiveCurve(*form_.RCResponse);
  const Rlc::Positions positions{form_.SBarR->value(), form_.SBarC->value(), form_.SBarL->value()};
  form_.RCResponse->SetAccessibleSummary(CurveSummary(translate_, positions, curve.Y.data(), int(curve.Y.size())));
}
