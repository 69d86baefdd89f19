// teaching-server [--suffix S] [--files DIR] [--workarea DIR] [--homedir DIR]
//                 [--env NAME=VALUE]... [--no-reply] [--double-reply]
//                 [--die-on KIND] [--hang-on KIND] [--raw-reply KIND=HEX]...
// Runs until "exit" or "down" on standard input (or the end of it).
#include "StdinLineReader.h"
#include "TeachingServer.h"

#include <QCoreApplication>

#include <cstdio>

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
  TStdinLineReader input([&](const QString& line) { server.Command(line.trimmed()); });
  return app.exec();
}
