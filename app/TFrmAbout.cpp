#include "TFrmAbout.h"

#include "Colors.h"
#include "StoredSettings.h"
#include "TUrlLab.h"

#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

const QString TFrmAbout::NoHomePageCaption = QStringLiteral("HomePage");
const QString TFrmAbout::EnglishWebSite = QStringLiteral("More information can be found at the following Web sites:");
const QString TFrmAbout::GermanWebSite = QStringLiteral("Mehr Informationen finden Sie auf folgenden Webseiten:");
const QString TFrmAbout::EnglishDescription = QStringLiteral(
    "Kalvora calculates the free, damped oscillation in a series RLC network. "
    "It is a simulation by the Kalvora developers that is used in various interactive electronic textbooks. "
    "It is built on Qt 6 and the Kalvora component suite.");
const QString TFrmAbout::GermanDescription = QString::fromUtf8(
    "Kalvora berechnet die freie, gedämpfte Schwingung in einem RLC-Reihenschwingkreis. "
    "Es ist eine Simulation der Kalvora-Entwickler, die in verschiedenen interaktiven elektronischen "
    "Lehrbüchern eingesetzt wird. Das Programm beruht auf Qt 6 und der Kalvora-Komponentensammlung.");

namespace {
template <class T> T* Make(QWidget* parent, const char* name) {
  auto* c = new T(parent);
  c->setObjectName(QLatin1String(name));
  return c;
}
} // namespace

TFrmAbout::TFrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FrmAbout"));
  // A dialog border: a close button and no resizing or help button.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  LblDescription = Make<QLabel>(this, "LblDescription");
  Panel1 = Make<QFrame>(this, "Panel1");
  LblName = Make<QLabel>(Panel1, "LblName");
  LblVersion = Make<QLabel>(Panel1, "LblVersion");
  LblAuthor = Make<QLabel>(Panel1, "LblAuthor");
  LblCopyright = Make<QLabel>(Panel1, "LblCopyright");
  Panel2 = Make<QFrame>(this, "Panel2");
  LblWebSite = Make<QLabel>(Panel2, "LblWebSite");
  UrlLabVKTSuite = Make<TUrlLab>(Panel2, "UrlLabVKTSuite");
  UrlLabSimulations = Make<TUrlLab>(Panel2, "UrlLabSimulations");
  UrlLabHomepage = Make<TUrlLab>(Panel2, "UrlLabHomepage");
  BButOK = Make<QPushButton>(this, "BButOK");
  BButOK->setIcon(QIcon(QStringLiteral(":/images/ok.xpm")));
  setWindowIcon(QIcon(QStringLiteral(":/images/kalvora.xpm")));
  // The panels' bevels (a lowered outer and a raised inner line) in the desktop's
  // button shadow and highlight colours.
  for (QFrame* panel : {Panel1, Panel2}) {
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Light, ToQColor(clBtnHighlight));
    pal.setColor(QPalette::Dark, ToQColor(clBtnShadow));
    panel->setPalette(pal);
  }
  LoadStoredSettings(this, QStringLiteral(":/forms/FrmAbout.settings"));
  setFixedSize(size());
  designedVKTSuite_ = UrlLabVKTSuite->pos();
  designedSimulations_ = UrlLabSimulations->pos();
  connect(BButOK, &QPushButton::clicked, this, [this] { BButOKClick(); });
}

int TFrmAbout::ShowModal() {
  if (ShowModalHook) return ShowModalHook(this);
  return exec();
}

void TFrmAbout::BButOKClick() { accept(); }

void TFrmAbout::FormShow() {
  // Without a home-page caption of its own the link is hidden and the two
  // others move 8 pixels down, so that they sit centred in the panel.
  const bool noHomePage = UrlLabHomepage->Caption() == NoHomePageCaption;
  UrlLabHomepage->setVisible(!noHomePage);
  const QPoint shift(0, noHomePage ? 8 : 0);
  UrlLabVKTSuite->move(designedVKTSuite_ + shift);
  UrlLabSimulations->move(designedSimulations_ + shift);
}

void TFrmAbout::setVisible(bool visible) {
  // Centred on the screen, not on the main window.
  if (visible && !isVisible())
    if (QScreen* screen = QGuiApplication::primaryScreen())
      move(screen->availableGeometry().center() - rect().center());
  QDialog::setVisible(visible);
}

void TFrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}
