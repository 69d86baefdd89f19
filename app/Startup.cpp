#include "Startup.h"

#include "Application.h"
#include "TForm1.h"
#include "TFrmAbout.h"

#include <QtGlobal>
#include <xcb/xcb.h>
#include <cstdio>
#include <memory>

namespace {
// Why the toolkit cannot reach a display, or an empty text when it can: an X
// server, a Wayland compositor, or an explicitly chosen platform such as offscreen.
QString DisplayProblem() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith("xcb")) return QString();
  if (platform.isEmpty() && !qgetenv("WAYLAND_DISPLAY").isEmpty()) return QString();
  const QByteArray display = qgetenv("DISPLAY");
  if (display.isEmpty()) return QStringLiteral("no display found (DISPLAY is not set)");
  // Ask the X server ourselves: the toolkit would abort the process when it cannot connect.
  xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  return failed ? QStringLiteral("cannot open display \"%1\"").arg(QString::fromLocal8Bit(display)) : QString();
}
} // namespace

int RunKalvora(int argc, char** argv) {
  const QString problem = DisplayProblem();
  if (!problem.isEmpty()) {
    std::fprintf(stderr, "kalvora: %s; start Kalvora from a desktop session.\n", qPrintable(problem));
    return 2;
  }
  TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Kalvora"));
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TFrmAbout> about;
  // An error while the windows are created is shown, and the program ends.
  if (!RunGuarded([&] {
        form = std::make_unique<TForm1>();
        about = std::make_unique<TFrmAbout>(form.get());
        form->SetAboutBox(about.get());
      }))
    return 1;
  form->show();
  return app.exec();
}
