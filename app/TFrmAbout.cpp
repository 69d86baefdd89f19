#include "TFrmAbout.h"

#include "StoredSettings.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

TFrmAbout::TFrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FrmAbout"));
  auto make = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  LblName = make("LblName");
  LblVersion = make("LblVersion");
  LblCopyright = make("LblCopyright");
  LblDescription = make("LblDescription");
  BButOK = new QPushButton(this);
  BButOK->setObjectName(QStringLiteral("BButOK"));
  BButOK->setIcon(QIcon(QStringLiteral(":/images/ok.xpm")));
  LoadStoredSettings(this, QStringLiteral(":/forms/FrmAbout.settings"));
  connect(BButOK, &QPushButton::clicked, this, [this] { BButOKClick(); });
}

void TFrmAbout::BButOKClick() { accept(); }
