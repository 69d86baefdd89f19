// What a screen reader reads from the numeric label and the hyperlink label on
// their own: the label's shown text with its side texts, the link's role,
// caption, address and press action.
#include "TNumLab.h"
#include "TUrlLab.h"

#include <QAccessible>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface* Iface(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

TEST(WidgetAccessible, TheNumericLabelReadsAsItsShownTextWithItsSideTexts) {
  TNumLab label;
  label.resize(143, 22);
  label.SetLabelWidth(72);
  label.SetLeftText(QStringLiteral("U"));
  label.SetRightText(QStringLiteral("V"));
  label.SetValue(1.5);
  label.show();
  QAccessibleInterface* iface = Iface(&label);
  EXPECT_EQ(iface->role(), QAccessible::StaticText);
  EXPECT_EQ(iface->text(QAccessible::Name), "U 1.50 V");
  EXPECT_EQ(iface->text(QAccessible::Value), "1.50");
  // No side texts: the value alone; an empty label: only what is shown.
  label.SetLeftText(QString());
  label.SetRightText(QStringLiteral("  "));
  EXPECT_EQ(iface->text(QAccessible::Name), "1.50");
  label.SetLeftText(QStringLiteral("I"));
  label.SetEmpty(true);
  EXPECT_EQ(iface->text(QAccessible::Name), "I");
  // A name given by the application wins.
  label.setAccessibleName(QStringLiteral("current"));
  EXPECT_EQ(iface->text(QAccessible::Name), "current");
}

TEST(WidgetAccessible, TheHyperlinkLabelIsALinkThatCanBePressed) {
  TUrlLab link;
  link.SetCaption(QStringLiteral("Home"));
  link.SetURL(QString());
  QAccessibleInterface* iface = Iface(&link);
  EXPECT_EQ(iface->role(), QAccessible::Link);
  EXPECT_EQ(iface->text(QAccessible::Name), "Home");
  link.SetURL(QStringLiteral("http://example.org/"));
  EXPECT_EQ(iface->text(QAccessible::Description), "http://example.org/");
  EXPECT_TRUE(iface->state().linked);
  int clicks = 0;
  link.SetURL(QString()); // nothing to open: the press is the click alone
  link.OnClick = [&](QObject*) { ++clicks; };
  ASSERT_NE(iface->actionInterface(), nullptr);
  iface->actionInterface()->doAction(QStringLiteral("no such action"));
  EXPECT_EQ(clicks, 0);
  iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks, 1);
}

} // namespace
