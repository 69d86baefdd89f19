#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace {
TMessageBoxHook& Hook() {
  static TMessageBoxHook hook;
  return hook;
}
} // namespace

void ShowMessageBox(TMessageKind kind, const QString& text, QWidget* parent) {
  if (const TMessageBoxHook hook = Hook()) {
    hook(kind, text);
    return;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    // No GUI (a command-line tool): the message goes to the error output.
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return;
  }
  const QString caption = QCoreApplication::applicationName();
  if (kind == TMessageKind::Error)
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
  else
    QMessageBox::information(parent, caption, text, QMessageBox::Ok);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) {
  TMessageBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}
