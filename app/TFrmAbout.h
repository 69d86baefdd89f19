#pragma once
// The About box: the program's title, version and maker, a short description
// and links to web pages. Shown once as a splash at start and again from the
// About button; its texts are filled by the main window's FormShow.
#include <QDialog>
#include <QPoint>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class TUrlLab;

class TFrmAbout : public QDialog {
  Q_OBJECT
public:
  // Creates the components and applies the stored settings of the box.
  explicit TFrmAbout(QWidget* parent = nullptr);

  // Shows the box modally and returns when it is closed. With ShowModalHook set,
  // the hook runs instead of the modal loop (tests use it so that nothing blocks).
  int ShowModal();
  std::function<int(TFrmAbout* box)> ShowModalHook;

  // Handlers.
  void BButOKClick();
  // Runs on every showing: arranges the links for the home-page caption.
  void FormShow();

  QFrame *Panel1, *Panel2;
  QLabel *LblName, *LblVersion, *LblAuthor, *LblCopyright;
  QLabel *LblDescription, *LblWebSite;
  TUrlLab *UrlLabVKTSuite, *UrlLabSimulations, *UrlLabHomepage;
  QPushButton* BButOK;

  // The caption of the home-page link that means "no home page of its own".
  static const QString NoHomePageCaption;
  // The texts that FormShow of the main window puts in, by dialog language.
  static const QString EnglishWebSite, GermanWebSite;
  static const QString EnglishDescription, GermanDescription;

public slots:
  void setVisible(bool visible) override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  // The links' positions as designed (read back after the stored settings).
  QPoint designedVKTSuite_, designedSimulations_;
};
