#pragma once
// The About box: the program's name, version and maker. Shown modally.
#include <QDialog>

class QLabel;
class QPushButton;

class TFrmAbout : public QDialog {
  Q_OBJECT
public:
  explicit TFrmAbout(QWidget* parent = nullptr);

  void BButOKClick();

  QLabel *LblName, *LblVersion, *LblCopyright, *LblDescription;
  QPushButton* BButOK;
};
