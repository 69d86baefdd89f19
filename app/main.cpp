#include "Startup.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
  // Lets the desktop match the window to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(KALVORA_APP_ID));
  return RunKalvora(argc, argv);
}
