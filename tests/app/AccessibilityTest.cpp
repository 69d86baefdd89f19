// What a screen reader reads from the main window and the About box: a name on
// every control, the scroll bars' values in their units, the numeric labels'
// and links' roles, and the chart's summary of the curve.
#include "Accessibility.h"
#include "ChartExtras.h"
#include "MessageBox.h"
#include "TForm1.h"
#include "TFrmAbout.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "TUrlLab.h"

#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
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

} // namespace
