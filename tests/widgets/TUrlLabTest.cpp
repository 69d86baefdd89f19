// The hyperlink label: stored addresses, the click rules and their errors, and the
// font switch while the mouse is over it. A shell hook records every request, so
// no browser or program starts.
#include "TUrlLab.h"

#include "MessageBox.h"
#include "Mouse.h"
#include "Shell.h"
#include "StoredSettings.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <gtest/gtest.h>
#include <vector>

namespace {

class TUrlLabTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = Shell::SetShellHook([this](const Shell::TShellRequest& r) {
      requests.push_back(r);
      return result;
    });
    lab.setObjectName("UrlLabHomepage");
    lab.OnClick = [this](QObject* sender) {
      EXPECT_EQ(sender, &lab);
      ++clicks;
    };
  }
  void TearDown() override { Shell::SetShellHook(previous_); }

  // The message of the label's error for the current URL (empty when none).
  QString ClickError() {
    try {
      lab.Click();
    } catch (const EVKTURLLabError& e) {
      return e.Message();
    }
    return {};
  }

  TUrlLab lab;
  std::vector<Shell::TShellRequest> requests;
  int result = 42;
  int clicks = 0;

private:
  Shell::TShellHook previous_;
};

void Enter(QWidget* w) {
  QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(w, &e);
}

void Leave(QWidget* w) {
  QEvent e(QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(TUrlLabTest, AddressAndParametersAreTrimmed) {
  lab.SetURL("  http://example.org/x  ");
  EXPECT_EQ(lab.URL(), "http://example.org/x");
  lab.SetTaskParams("\t-a b  ");
  EXPECT_EQ(lab.TaskParams(), "-a b");
  lab.SetURL("    ");
  EXPECT_EQ(lab.URL(), "");
  EXPECT_TRUE(lab.setProperty("URL", QStringLiteral(" http://a.b ")));
  EXPECT_EQ(lab.URL(), "http://a.b");
}

TEST_F(TUrlLabTest, WebAddressesGoToTheBrowser) {
  lab.SetURL("HTTP://Example.org/Page");
  result = 2; // the browser's result is not examined
  Qt::CursorShape during = Qt::ArrowCursor;
  Shell::TShellHook recorder = Shell::SetShellHook(nullptr);
  Shell::SetShellHook([&](const Shell::TShellRequest& r) {
    during = lab.cursor().shape();
    return recorder(r);
  });
  EXPECT_EQ(ClickError(), "");
  EXPECT_EQ(during, Qt::BusyCursor); // the application-starting cursor meanwhile
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], (Shell::TShellRequest{QString(), "HTTP://Example.org/Page", QString(), QString(),
                                                Shell::SW_SHOWNORMAL}));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(lab.cursor().shape(), Qt::ArrowCursor); // the label's own cursor is back

  lab.setCursor(Qt::PointingHandCursor);
  lab.Click();
  EXPECT_EQ(lab.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(TUrlLabTest, OnlyProgramFilesAreStartedOtherwise) {
  lab.SetURL("https://example.org"); // not "http://": an invalid address on purpose
  EXPECT_EQ(ClickError(), "Component \"UrlLabHomepage\": URL of URLLab is invalid");
  lab.SetURL("notes.txt");
  EXPECT_EQ(ClickError(), "Component \"UrlLabHomepage\": URL of URLLab is invalid");
  lab.SetURL("C:\\dir.exe\\tool"); // the extension belongs to the last path part
  EXPECT_EQ(ClickError(), "Component \"UrlLabHomepage\": URL of URLLab is invalid");
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(clicks, 0);

  lab.SetURL("C:\\Tools\\Demo.EXE");
  lab.SetTaskParams("-x \"a b\"");
  EXPECT_EQ(ClickError(), "");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], (Shell::TShellRequest{"open", "C:\\Tools\\Demo.EXE", "-x \"a b\"", QString(),
                                                Shell::SW_SHOWNORMAL}));
  EXPECT_EQ(clicks, 1);
}

TEST_F(TUrlLabTest, StartFailuresCarryTheirNumber) {
  lab.SetURL("/opt/demo.exe");
  result = 2;
  EXPECT_EQ(ClickError(), "Component \"UrlLabHomepage\": Cannot start executable (errnum=2)");
  result = 32;
  EXPECT_EQ(ClickError(), "Component \"UrlLabHomepage\": Cannot start executable (errnum=32)");
  EXPECT_EQ(clicks, 0);
  result = -1; // not an error
  EXPECT_EQ(ClickError(), "");
  result = 33;
  EXPECT_EQ(ClickError(), "");
  EXPECT_EQ(clicks, 2);
}

TEST_F(TUrlLabTest, EmptyAddressOnlyFiresOnClick) {
  lab.Click();
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(clicks, 1);
}

TEST_F(TUrlLabTest, ErrorOfAMouseClickIsShownAndTheProgramGoesOn) {
  std::vector<QString> shown;
  TMessageBoxHook before = SetMessageBoxHook([&](TMessageKind kind, const QString& text) {
    EXPECT_EQ(kind, TMessageKind::Error);
    shown.push_back(text);
  });
  lab.resize(100, 20);
  lab.SetURL("ftp://example.org");
  int ups = 0;
  lab.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
  TestMouse::Click(lab, QPoint(5, 5));
  SetMessageBoxHook(before);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Component \"UrlLabHomepage\": URL of URLLab is invalid");
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(ups, 1); // the error stops the click, not the rest of the release
}

TEST_F(TUrlLabTest, FontSwitchesWhileTheMouseIsOver) {
  QWidget form;
  form.setObjectName("FrmAbout");
  auto* link = new TUrlLab(&form);
  link->setObjectName("UrlLabHomepage");
  ApplyStoredSettings(&form,
                      "[FrmAbout]\nFont.Name = \"Arial\"\nFont.Height = -13\nFont.Color = clBlack\n"
                      "[UrlLabHomepage]\nCaption = \"Home & more\"\nFont.Color = clNavy\n"
                      "FontActive.Color = clRed\nFontActive.Style = [fsUnderline]\n",
                      "FrmAbout.settings");
  EXPECT_EQ(link->text(), "Home & more");
  EXPECT_EQ(link->Font()->Color(), clNavy);
  EXPECT_EQ(link->Font()->Name(), "Arial");
  std::vector<QString> order;
  link->OnMouseEnter = [&](QObject*) { order.push_back("enter:" + QString::number(link->Font()->Color())); };

  Enter(link);
  EXPECT_EQ(link->Font()->Color(), clRed);
  EXPECT_TRUE(link->Font()->Style().testFlag(fsUnderline));
  EXPECT_TRUE(link->font().underline());
  EXPECT_EQ(link->palette().color(QPalette::Active, QPalette::WindowText), ToQColor(clRed));
  ASSERT_EQ(order.size(), 1u);
  EXPECT_EQ(order[0], "enter:" + QString::number(clNavy)); // the handler runs first
  Leave(link);
  EXPECT_EQ(link->Font()->Color(), clNavy);
  EXPECT_FALSE(link->font().underline());

  link->setEnabled(false); // a disabled label keeps its font
  Enter(link);
  EXPECT_EQ(link->Font()->Color(), clNavy);
  link->setEnabled(true);
  Enter(link);
  link->setEnabled(false);
  Leave(link);
  EXPECT_EQ(link->Font()->Color(), clRed);
}

TEST_F(TUrlLabTest, FontActiveSetterCopiesTheAttributes) {
  TFont other;
  other.SetName("Courier New");
  other.SetColor(clGreen);
  lab.SetFontActive(&other);
  EXPECT_EQ(lab.FontActive()->Name(), "Courier New");
  EXPECT_EQ(lab.FontActive()->Color(), clGreen);
  other.SetColor(clRed);
  EXPECT_EQ(lab.FontActive()->Color(), clGreen);
  lab.SetFontActive(nullptr);
  EXPECT_EQ(lab.FontActive()->Color(), clGreen);
}

TEST_F(TUrlLabTest, AutoSizeFitsTheCaption) {
  lab.setGeometry(100, 10, 300, 40);
  lab.SetCaption("www.example.org");
  EXPECT_EQ(lab.size(), lab.sizeHint());
  EXPECT_EQ(lab.x(), 100);
  lab.SetAlignment(taRightJustify);
  const int right = lab.geometry().right();
  lab.SetCaption("x");
  EXPECT_EQ(lab.geometry().right(), right); // right-justified: the right edge stays
  lab.SetAutoSize(false);
  lab.resize(300, 40);
  lab.SetCaption("a longer caption");
  EXPECT_EQ(lab.size(), QSize(300, 40));
}
