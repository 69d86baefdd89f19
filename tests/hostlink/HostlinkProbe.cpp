// hostlink_probe [--title T] [--program PATH] [--server] [--multistart]
//                [--no-translate] [--timeout MS] [--start-after FILE]
//                [--linger MS] [-- ARGUMENTS...]
// A window with a host link component, driven by the tests from another
// process. It reports on its standard output, one tab-separated line each:
//   waiting                           created, waiting for FILE to exist (--start-after)
//   loaded <window> <button text>     after the loading step
//   error <message>                   the loading step failed (exit code 1)
//   params <entry>...                 OnParamsChange
//   quit <ServerDown>                 OnQuitMsgReceived
//   message <kind>                    OnGotAMessage
//   box <text>                        an error shown to the user
//   value <text> / none               the answer of a command
//   ended                             the message loop ended
// Commands on its standard input: "env NAME", "request TEXT", "paramstr N";
// it ends when its standard input does (with --linger, its window and lock
// stay that long after the message loop has ended, as in a slow shutdown).
#include "Application.h"
#include "MessageBox.h"
#include "StdinLineReader.h"
#include "TkdbDemonClient.h"

#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <cstdio>

namespace {
void Emit(const QStringList& fields) {
  const QByteArray line = fields.join(QLatin1Char('\t')).toUtf8() + '\n';
  std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
  std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  SetMessageBoxHook([](TMessageKind, const QString& text) { Emit({QStringLiteral("box"), text}); });

  QString title = QStringLiteral("Probe");
  QString program = QCoreApplication::applicationFilePath();
  bool server = false, multiStart = false, translate = true;
  QStringList rest;
  QString startAfter;
  int linger = 0;
  const QStringList args = app.arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--title") && i + 1 < args.size()) title = args[++i];
    else if (args[i] == QLatin1String("--program") && i + 1 < args.size()) program = args[++i];
    else if (args[i] == QLatin1String("--server")) server = true;
    else if (args[i] == QLatin1String("--multistart")) multiStart = true;
    else if (args[i] == QLatin1String("--no-translate")) translate = false;
    else if (args[i] == QLatin1String("--timeout") && i + 1 < args.size()) Platform::SetSendTimeout(args[++i].toInt());
    else if (args[i] == QLatin1String("--start-after") && i + 1 < args.size()) startAfter = args[++i];
    else if (args[i] == QLatin1String("--linger") && i + 1 < args.size()) linger = args[++i].toInt();
    else if (args[i] == QLatin1String("--")) {
      rest = args.mid(i + 1);
      break;
    }
  }
  app.setApplicationName(title);
  app.setApplicationDisplayName(title);

  QWidget form;
  auto* button = new QPushButton(QStringLiteral("LX_Reset"), &form);
  TkdbDemonClient* client = nullptr;
  try {
    client = new TkdbDemonClient(&form, QStringList{program} + rest, program);
    client->SetUseQuillonServer(server);
    client->SetMultiStart(multiStart);
    client->SetAutoTranslate(translate);
    client->OnParamsChange = [](QObject* sender) {
      Emit(QStringList{QStringLiteral("params")} + static_cast<TkdbDemonClient*>(sender)->Params());
    };
    client->OnQuitMsgReceived = [](QObject*, bool serverDown, bool&) {
      Emit({QStringLiteral("quit"), QString::number(serverDown)});
    };
    client->OnGotAMessage = [](QObject*, TDidactoMessageStream& msg) {
      Emit({QStringLiteral("message"), QString::number(msg.Kind)});
    };
    QObject::connect(client, &QObject::destroyed, [] { Emit({QStringLiteral("destroyed")}); });
    if (!startAfter.isEmpty()) {
      // Lets a test start the loading step of many copies at the same moment.
      Emit({QStringLiteral("waiting")});
      while (!QFileInfo::exists(startAfter)) QThread::usleep(200);
    }
    client->Loaded();
  } catch (const Exception& e) {
    Emit({QStringLiteral("error"), e.Message()});
    return 1;
  }
  Emit({QStringLiteral("loaded"), QStringLiteral("%1").arg(client->OwnEntity().Window, 8, 16, QLatin1Char('0')).toUpper(),
        button->text()});

  QPointer<TkdbDemonClient> live(client);
  TStdinLineReader input([&](const QString& line) {
    const QString verb = line.section(QLatin1Char(' '), 0, 0);
    const QString argument = line.section(QLatin1Char(' '), 1);
    if (!live) return;
    RunGuarded([&] {
      if (verb == QLatin1String("env")) Emit({QStringLiteral("value"), live->GetEnvironmentString(argument)});
      else if (verb == QLatin1String("request")) Emit({QStringLiteral("value"), live->RequestString(argument)});
      else if (verb == QLatin1String("paramstr")) Emit({QStringLiteral("value"), live->ParamStr(argument.toInt())});
    });
  });
  const int code = app.exec();
  Emit({QStringLiteral("ended")});
  QThread::msleep(static_cast<unsigned long>(std::max(linger, 0)));
  return code;
}
