// What a screen reader reads from the main window and the About box: a name on
// every control, the scroll bars' values in their units, the numeric labels'
// and links' roles, and the chart's summary of the curve; numbers read with the
// decimal separator of the table's language while the screen keeps its points.
#include "Accessibility.h"
#include "ChartAccessible.h"
#include "ChartExtras.h"
#include "MeasureCursor.h"
#include "MessageBox.h"
#include "TkdbDemonClient.h"
#include "SpokenNumbers.h"
#include "TForm1.h"
#include "TFrmAbout.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "TLexivaran2000.h"
#include "TUrlLab.h"
#include "Tables.h"

#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface* Iface(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
QString Name(QObject* o) { return Iface(o)->text(QAccessible::Name); }
QString Description(QObject* o) { return Iface(o)->text(QAccessible::Description); }

class AccessibilityTest : public ::testing::Test {
protected:
  void SetUp() override { form.RenderChart(470, 220, 1000); }
  TForm1 form;
};

TEST_F(AccessibilityTest, EveryControlOfBothWindowsHasAName) {
  TFrmAbout about;
  form.SetAboutBox(&about);
  about.ShowModalHook = [](TFrmAbout*) { return 1; };
  form.FormShow(); // fills and translates the About box, as at start
  // Every object a user can reach in the tree, as a screen reader walks it.
  for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&about)}) {
    window->show();
    QCoreApplication::processEvents();
    std::vector<QAccessibleInterface*> todo{Iface(window)};
    int seen = 0;
    while (!todo.empty()) {
      QAccessibleInterface* iface = todo.back();
      todo.pop_back();
      if (iface->state().invisible) continue;
      ++seen;
      QObject* o = iface->object();
      EXPECT_FALSE(iface->text(QAccessible::Name).trimmed().isEmpty())
          << window->objectName().toStdString() << ": " << (o ? o->objectName().toStdString() : "")
          << " " << (o ? o->metaObject()->className() : "") << " role " << iface->role();
      for (int i = 0; i < iface->childCount(); ++i) todo.push_back(iface->child(i));
    }
    EXPECT_GT(seen, 10);
  }
  EXPECT_FALSE(Name(form.PopupMenu1).isEmpty());
  EXPECT_EQ(Name(form.Image1), "Circuit diagram");
  EXPECT_EQ(Iface(form.Image1)->role(), QAccessible::Graphic);
  EXPECT_TRUE(Description(form.Image1).contains("capacitor C"));
  EXPECT_EQ(Name(form.BButReset), "Reset");
  EXPECT_TRUE(Description(form.BButReset).contains("start values"));
}

TEST_F(AccessibilityTest, ScrollBarsAreSlidersWithTheirValueInItsUnit) {
  QAccessibleInterface* r = Iface(form.SBarR);
  EXPECT_EQ(r->role(), QAccessible::Slider);
  EXPECT_EQ(r->text(QAccessible::Name), "Resistance R, 4.70 Ohm");
  EXPECT_EQ(Name(form.SBarC), "Capacitance C, 2.20 nF");
  EXPECT_EQ(Name(form.SBarL), QString::fromUtf8("Inductance L, 10.00 µH"));
  EXPECT_EQ(r->text(QAccessible::Description), "Sets the resistance from 0 to 100 Ohm");
  QAccessibleValueInterface* value = r->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), 4.7);
  EXPECT_DOUBLE_EQ(value->minimumValue().toDouble(), 0);
  EXPECT_DOUBLE_EQ(value->maximumValue().toDouble(), 100);
  EXPECT_DOUBLE_EQ(value->minimumStepSize().toDouble(), 0.01);
  EXPECT_DOUBLE_EQ(Iface(form.SBarC)->valueInterface()->minimumValue().toDouble(), 0.1);
  // Setting the value in the unit moves the bar (and so recomputes), within its range only.
  value->setCurrentValue(20.004);
  EXPECT_EQ(form.SBarR->value(), 2000);
  EXPECT_EQ(r->text(QAccessible::Name), "Resistance R, 20.00 Ohm");
  EXPECT_EQ(form.NLabR->ShownText(), "20.00");
  value->setCurrentValue(1e9);
  EXPECT_EQ(form.SBarR->value(), 10000);
  value->setCurrentValue(QStringLiteral("abc"));
  value->setCurrentValue(std::nan(""));
  EXPECT_EQ(form.SBarR->value(), 10000);
}

TEST_F(AccessibilityTest, NumericLabelsReadAsTheirShownText) {
  QAccessibleInterface* r = Iface(form.NLabR);
  EXPECT_EQ(r->role(), QAccessible::StaticText);
  EXPECT_EQ(r->text(QAccessible::Name), "R 4.70 Ohm");
  EXPECT_EQ(Name(form.NLabL), "L 10.00 uH");
  form.SBarC->setValue(4999);
  EXPECT_EQ(Name(form.NLabC), "C 49.99 nF");
  // The overflow indicator is what is shown, so it is what is read.
  form.NLabR->SetPrecision(15);
  form.NLabR->SetValue(123456789.5);
  EXPECT_EQ(Name(form.NLabR), "R ********* Ohm");
}

TEST_F(AccessibilityTest, LinksAreLinksThatCanBePressed) {
  TFrmAbout about;
  QAccessibleInterface* link = Iface(about.UrlLabVKTSuite);
  EXPECT_EQ(link->role(), QAccessible::Link);
  EXPECT_EQ(link->text(QAccessible::Name), about.UrlLabVKTSuite->Caption());
  EXPECT_EQ(link->text(QAccessible::Value), about.UrlLabVKTSuite->URL());
  EXPECT_TRUE(link->state().linked);
  ASSERT_NE(link->actionInterface(), nullptr);
  EXPECT_EQ(link->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
  // Pressing is a click: an address the label refuses gives its error box, no exception.
  int clicks = 0;
  QStringList errors;
  const TMessageBoxHook saved = SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  about.UrlLabHomepage->SetURL(QStringLiteral("notes.txt"));
  about.UrlLabHomepage->OnClick = [&](QObject*) { ++clicks; };
  Iface(about.UrlLabHomepage)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks, 0);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("invalid"));
  about.UrlLabHomepage->SetURL(QString());
  Iface(about.UrlLabHomepage)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks, 1);
  SetMessageBoxHook(saved);
}

TEST_F(AccessibilityTest, TheChartIsAChartWithASpokenSummary) {
  QAccessibleInterface* chart = Iface(form.RCResponse);
  EXPECT_EQ(chart->role(), QAccessible::Chart);
  EXPECT_EQ(chart->text(QAccessible::Name), "Response of the circuit");
  EXPECT_EQ(chart->childCount(), 0); // its internals are no separate stops
  form.Access->UpdateSummary();
  EXPECT_EQ(chart->text(QAccessible::Description),
            "Underdamped oscillation at 1.072 MHz, amplitude halves every 2.95 microseconds, "
            "first maximum 0.948 at 0.228 microseconds");
  form.SBarR->setValue(0);
  form.Access->UpdateSummary();
  EXPECT_TRUE(form.RCResponse->AccessibleSummary().startsWith("Undamped oscillation at 1.073 MHz"));
  form.RenderChart(10000, 10, 10);
  form.Access->UpdateSummary();
  EXPECT_EQ(form.RCResponse->AccessibleSummary(),
            "Overdamped (aperiodic) response without oscillation, first maximum 7.36e+07 at 0.002 microseconds");
  // R at its critical value 2 sqrt(L/C) = 20 Ohm for C = 10 nF, L = 1 uH.
  form.RenderChart(2000, 1000, 100);
  form.Access->UpdateSummary();
  EXPECT_TRUE(form.RCResponse->AccessibleSummary().startsWith(
      "Critically damped response without oscillation, time constant 0.1 microseconds"));
}

TEST_F(AccessibilityTest, TheSummaryFollowsOnceTheValuesRest) {
  form.Access->UpdateSummary();
  const QString before = form.RCResponse->AccessibleSummary();
  QElapsedTimer clock;
  clock.start();
  for (int r = 480; r <= 600; r += 40) {
    form.SBarR->setValue(r); // recomputes; the summary waits
    QCoreApplication::processEvents();
  }
  if (clock.elapsed() < TAccessibility::SummaryDelayMs) {
    EXPECT_EQ(form.RCResponse->AccessibleSummary(), before);
  }
  while (clock.elapsed() < 3000 && form.RCResponse->AccessibleSummary() == before) {
    QThread::msleep(20);
    QCoreApplication::processEvents();
  }
  EXPECT_TRUE(form.RCResponse->AccessibleSummary().contains("halves every 2.31 microseconds"))
      << form.RCResponse->AccessibleSummary().toStdString();
}

TEST_F(AccessibilityTest, TextsDrawnInTheChartAreReadInItsDescription) {
  form.Access->UpdateSummary();
  form.Extras->CircuitDataItem->trigger(); // on, as from the menu
  const QString description = Description(form.RCResponse); // keys: no table beside the test program
  EXPECT_TRUE(description.startsWith("Underdamped oscillation")) << description.toStdString();
  EXPECT_TRUE(description.contains("CDResonanceFrequency = 1.073 MHz")) << description.toStdString();
  EXPECT_FALSE(description.contains('\n'));
  form.Extras->CircuitDataItem->trigger(); // off
  EXPECT_FALSE(Description(form.RCResponse).contains("CDResonanceFrequency = 1.073 MHz"));
}

TEST(SpokenNumbers, OnlyDecimalPointsTakeTheSeparator) {
  const QString comma = QStringLiteral(",");
  EXPECT_EQ(SpokenNumbers(QStringLiteral("1.072 MHz, y -0.948 at 0.228"), comma), "1,072 MHz, y -0,948 at 0,228");
  EXPECT_EQ(SpokenNumbers(QStringLiteral("1.000E15 Hz; 235.0k 1/s"), comma), "1,000E15 Hz; 235,0k 1/s");
  // Full stops, ellipses, ratios and points without a digit on both sides stay.
  const QString prose = QStringLiteral("Zoom 1:1. Save \u2026 .5 at 3. then... v.2");
  EXPECT_EQ(SpokenNumbers(prose, comma), prose);
  EXPECT_EQ(SpokenNumbers(QStringLiteral("4.70"), QStringLiteral(".")), "4.70");
  EXPECT_EQ(SpokenNumbers(QStringLiteral("4.70"), QString()), "4.70"); // an empty table entry changes nothing
  // An object reads the separator of its window (a parent); without one, the text as shown.
  QObject window, child;
  child.setParent(&window);
  EXPECT_EQ(SpokenNumbers(child, QStringLiteral("4.70")), "4.70");
  window.setProperty(DecimalSeparatorProperty, comma);
  EXPECT_EQ(SpokenNumbers(child, QStringLiteral("4.70")), "4,70");
}

// Each shipped table, as at a start in its language: the sliders, numeric labels, the
// chart's summary and drawn texts and the explorer's readout are read with the table's
// separator; what the window shows keeps its points.
TEST(SpokenNumbersInTheWindow, EachTableReadsItsSeparatorAndTheScreenKeepsThePoint) {
  const struct {
    const char* file;
    const char *slider, *sliderValue, *label, *summary, *circuitData, *readout;
  } tables[] = {
      {"kalvora.itl", "Resistance R, 4.70 Ohm", "2.20 nF", "R 4.70 Ohm",
       "Underdamped oscillation at 1.072 MHz, amplitude halves every 2.95 microseconds, "
       "first maximum 0.948 at 0.228 microseconds",
       "f0 = 1.073 MHz", "Response of the circuit: t 0.228 microseconds, y 0.948"},
      {"kalvora-de.itl", "Widerstand R, 4,70 Ohm", "2,20 nF", "R 4,70 Ohm",
       "Gedämpfte Schwingung mit 1,072 MHz, die Amplitude halbiert sich alle 2,95 Mikrosekunden",
       "f0 = 1,073 MHz", "Antwort des Schwingkreises: t 0,228 Mikrosekunden, y 0,948"}};
  for (const auto& t : tables) {
    SCOPED_TRACE(t.file);
    TForm1 form;
    form.RenderChart(470, 220, 1000);
    TLexivaran2000& table = form.cliDemon->Translator();
    ASSERT_TRUE(TestTables::LoadShippedTable(table, QLatin1String(t.file)));
    auto* access = new TAccessibility(form, [&table](const QString& key, const QStringList& args) {
      return table.Translate(key, args);
    });
    EXPECT_EQ(Name(form.SBarR), t.slider);
    EXPECT_EQ(Iface(form.SBarC)->text(QAccessible::Value), t.sliderValue);
    EXPECT_DOUBLE_EQ(Iface(form.SBarR)->valueInterface()->currentValue().toDouble(), 4.7);
    EXPECT_EQ(Name(form.NLabR), t.label);
    EXPECT_EQ(form.NLabR->ShownText(), "4.70");

    access->UpdateSummary();
    const QString summary = Description(form.RCResponse);
    EXPECT_TRUE(summary.startsWith(QString::fromUtf8(t.summary))) << summary.toStdString();
    form.Extras->CircuitDataItem->trigger();
    EXPECT_TRUE(Description(form.RCResponse).contains(t.circuitData)) << Description(form.RCResponse).toStdString();
    EXPECT_TRUE(TChartAccessible::LabelTexts(*form.RCResponse).join(' ').contains("f0 = 1.073 MHz"));
    form.Extras->CircuitDataItem->trigger();

    form.Measure->Action()->trigger();
    QKeyEvent m(QEvent::KeyPress, Qt::Key_M, Qt::NoModifier);
    QCoreApplication::sendEvent(form.RCResponse, &m);
    EXPECT_EQ(Name(form.RCResponse), QString::fromUtf8(t.readout));
    EXPECT_TRUE(form.Measure->ReadoutText().startsWith("t = 0.228 ")) << form.Measure->ReadoutText().toStdString();
  }
}

} // namespace
