// teaching-server [--suffix S] [--files DIR] [--workarea DIR] [--homedir DIR]
//                 [--env NAME=VALUE]... [--no-reply] [--double-reply]
//                 [--die-on KIND] [--hang-on KIND] [--raw-reply KIND=HEX]...
// Runs until "exit" or "down" on standard input (or the end of it).
#include "TeachingServer.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("teaching-server"));
  TTeachingServerOptions options;
  QString error;
  if (!ParseTeachingServerOptions(app.arguments(), options, error)) {
    std::fprintf(stderr, "teaching-server: %s\n", qPrintable(error));
    return 2;
  }
  TTeachingServer server(options);
  if (!server.Start(error)) {
    std::fprintf(stderr, "teaching-server: %s\n", qPrintable(error));
    return 1;
  }
  // Commands arrive line by line on standard input.
  QByteArray pending;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      input.setEnabled(false);
      QCoreApplication::exit(0);
      return;
    }
    pending.append(buf, n);
    qsizetype eol;
    while ((eol = pending.indexOf('\n')) >= 0) {
      const QString line = QString::fromUtf8(pending.left(eol)).trimmed();
      pending.remove(0, eol + 1);
      server.Command(line);
    }
    if (pending.size() > 65536) pending.clear(); // no command is that long
  });
  return app.exec();
}
