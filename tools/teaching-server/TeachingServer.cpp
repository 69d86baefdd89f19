#include "TeachingServer.h"

#include "Processes.h"
#include "QuillonDemon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace Platform;

namespace {

// An ended child stays collectable this long, so that a program waiting for it
// can still read its exit code.
constexpr int CollectDelayMs = 5000;

QString Hex(quint32 value) { return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper(); }

bool ParseKind(const QString& text, quint32& kind) {
  bool ok = false;
  kind = text.toUInt(&ok);
  return ok;
}

QString WithSlash(QString dir) {
  if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

} // namespace

bool ParseTeachingServerOptions(const QStringList& arguments, TTeachingServerOptions& options, QString& error) {
  QString workArea, homeDir;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    auto value = [&](QString& out) {
      if (i + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(a);
        return false;
      }
      out = arguments[++i];
      return true;
    };
    QString v;
    quint32 kind = 0;
    if (a == QLatin1String("--suffix")) {
      if (!value(options.suffix)) return false;
    } else if (a == QLatin1String("--files")) {
      if (!value(options.filesDir)) return false;
    } else if (a == QLatin1String("--workarea")) {
      if (!value(workArea)) return false;
    } else if (a == QLatin1String("--homedir")) {
      if (!value(homeDir)) return false;
    } else if (a == QLatin1String("--env")) {
      if (!value(v)) return false;
      const qsizetype eq = v.indexOf(QLatin1Char('='));
      if (eq <= 0) {
        error = QStringLiteral("--env needs NAME=VALUE, not \"%1\"").arg(v);
        return false;
      }
      options.env[v.left(eq)] = v.mid(eq + 1);
    } else if (a == QLatin1String("--no-reply")) {
      options.noReply = true;
    } else if (a == QLatin1String("--double-reply")) {
      options.doubleReply = true;
    } else if (a == QLatin1String("--die-on") || a == QLatin1String("--hang-on")) {
      if (!value(v)) return false;
      if (!ParseKind(v, kind)) {
        error = QStringLiteral("%1 needs a message kind, not \"%2\"").arg(a, v);
        return false;
      }
      (a == QLatin1String("--die-on") ? options.dieOn : options.hangOn).insert(kind);
    } else if (a == QLatin1String("--raw-reply")) {
      if (!value(v)) return false;
      const qsizetype eq = v.indexOf(QLatin1Char('='));
      const QByteArray hex = v.mid(eq + 1).toLatin1();
      if (eq <= 0 || !ParseKind(v.left(eq), kind) || hex.size() % 2 != 0 ||
          QByteArray::fromHex(hex).toHex() != hex.toLower()) {
        error = QStringLiteral("--raw-reply needs KIND=HEXBYTES, not \"%1\"").arg(v);
        return false;
      }
      options.rawReplies[kind] = QByteArray::fromHex(hex);
    } else {
      error = QStringLiteral("unknown argument \"%1\"").arg(a);
      return false;
    }
  }
  const QString base = options.filesDir.isEmpty() ? QDir::currentPath() : QFileInfo(options.filesDir).absoluteFilePath();
  if (!options.env.contains(QStringLiteral("QuillonWorkArea")))
    options.env[QStringLiteral("QuillonWorkArea")] = WithSlash(workArea.isEmpty() ? base : workArea);
  if (!options.env.contains(QStringLiteral("QuillonHomeDir")))
    options.env[QStringLiteral("QuillonHomeDir")] = WithSlash(homeDir.isEmpty() ? base : homeDir);
  return true;
}

TTeachingServer::TTeachingServer(TTeachingServerOptions options) : options_(std::move(options)) {}

TTeachingServer::~TTeachingServer() {
  if (window_) {
    DestroyWindow(window_);
    UnregisterClassA(className_);
  }
}

bool TTeachingServer::Start(QString& error) {
  className_ = DidactoServerWindowClass + options_.suffix;
  if (FindWindowExA(className_, DidactoServerWindowTitle + options_.suffix) != 0) {
    error = QStringLiteral("a teaching server with the suffix \"%1\" is already running").arg(options_.suffix);
    return false;
  }
  if (!RegisterClassA(className_)) {
    error = GetLastErrorString();
    return false;
  }
  window_ = CreateWindowExA(className_, DidactoServerWindowTitle + options_.suffix);
  if (!window_) {
    error = GetLastErrorString();
    UnregisterClassA(className_);
    return false;
  }
  SetWindowProc(window_, [this](HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Procedure(w, msg, wParam, lParam);
  });
  Emit({QStringLiteral("ready"), Hex(window_)});
  return true;
}

void TTeachingServer::Emit(const QStringList& fields) {
  QStringList clean = fields; // names from programs must not break the line format
  for (QString& field : clean)
    for (QChar& c : field)
      if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
  const QByteArray line = clean.join(QLatin1Char('\t')).toUtf8() + '\n';
  std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
  std::fflush(stdout);
}

LRESULT TTeachingServer::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_COPYDATA || lParam == 0) return DefWindowProcA(window, msg, wParam, lParam);
  const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  TDidactoMessageStream request;
  try {
    request.LoadCopyData(cds->dwData, QByteArray(static_cast<const char*>(cds->lpData), qsizetype(cds->cbData)));
    request.Sender().Window = quint32(wParam);
    Handle(request);
  } catch (const Exception& e) {
    Emit({QStringLiteral("error"), QString::number(cds->dwData), e.Message()});
    return 0;
  }
  return 1;
}

void TTeachingServer::Handle(TDidactoMessageStream& request) {
  const quint32 kind = request.Kind;
  const HWND from = request.Sender().Window;
  Emit({QStringLiteral("request"), QString::number(kind), Hex(from)});
  if (options_.dieOn.contains(kind)) {
    Emit({QStringLiteral("dying")});
    ExitProcess(3);
  }
  if (options_.hangOn.contains(kind)) {
    Emit({QStringLiteral("hanging")});
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  switch (kind) {
  case dmRegister: {
    Party party;
    party.entity.ReadFrom(request);
    party.order = ++nextOrder_;
    std::erase_if(parties_, [&](const Party& p) { return p.entity.Window == party.entity.Window; });
    parties_.push_back(party);
    Emit({QStringLiteral("register"), Hex(party.entity.Window), QString::number(party.entity.Handle),
          party.entity.StoredFileName(), party.entity.StoredTitle()});
    return;
  }
  case dmUnregister: {
    TEntity entity;
    entity.ReadFrom(request);
    std::erase_if(parties_, [&](const Party& p) { return p.entity.Window == entity.Window; });
    Emit({QStringLiteral("unregister"), Hex(entity.Window), QString::number(entity.Handle), entity.StoredFileName(),
          entity.StoredTitle()});
    return;
  }
  case dmQuit:
  case dmReply:
  case dmParameters:
    return; // not for a server
  default:
    break;
  }
  QByteArray answer = options_.rawReplies.contains(kind) ? options_.rawReplies.value(kind) : Answer(request);
  if (options_.noReply) return;
  Reply(from, request.TimeStamp, answer);
  if (options_.doubleReply) Reply(from, request.TimeStamp, answer);
}

QByteArray TTeachingServer::Answer(TDidactoMessageStream& request) {
  TDidactoMessageStream answer;
  switch (request.Kind) {
  case dmPartyQuery: {
    PruneParties();
    const quint8 selector = request.ReadByte();
    const Party* found = nullptr;
    if (selector == PartyByWindow) {
      found = FindParty(request.ReadUInt32());
    } else if (selector == PartyByTitle) {
      // The earliest program of that title other than the one asking: a
      // second copy finds the first.
      const QString title = request.ReadString();
      for (const Party& p : parties_)
        if (p.entity.StoredTitle() == title && p.entity.Window != request.Sender().Window && (!found || p.order < found->order))
          found = &p;
    }
    if (found) {
      TEntity copy = found->entity;
      copy.WriteTo(answer);
    }
    break;
  }
  case dmExecute: {
    const QString fileName = request.ReadString();
    const QString parameters = request.ReadString();
    const bool wait = request.ReadByte() != 0;
    const qint32 option = request.ReadInt32();
    const quint32 pid = Start(fileName, parameters);
    Emit({QStringLiteral("execute"), fileName, parameters, QString::number(wait), QString::number(option),
          QString::number(pid)});
    answer.WriteUInt32(pid);
    break;
  }
  case dmFetchFile: {
    const QString name = request.ReadString();
    // Only the file-name part counts: nothing outside the folder can be fetched.
    const QString base = name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    QFile file(QDir(options_.filesDir).filePath(base));
    const QFileInfo info(file);
    const bool usable = !options_.filesDir.isEmpty() && !base.isEmpty() && base != QLatin1String(".") &&
                        base != QLatin1String("..") && info.isFile() &&
                        info.size() <= qint64(MaxCopyDataSize) - 9 && file.open(QIODevice::ReadOnly);
    if (usable) {
      const QByteArray bytes = file.readAll();
      answer.WriteByte(1);
      answer.WriteBuffer(bytes.constData(), bytes.size());
    } else {
      answer.WriteByte(0);
    }
    Emit({QStringLiteral("fetch"), name, usable ? QStringLiteral("found") : QStringLiteral("missing")});
    break;
  }
  case dmServerFileName: {
    const QString name = request.ReadString();
    answer.WriteString(name.mid(name.lastIndexOf(QLatin1Char('/')) + 1));
    break;
  }
  case dmStringRequest:
    answer.WriteString(request.ReadString());
    break;
  case dmEnvironmentValue:
    answer.WriteString(options_.env.value(request.ReadString()));
    break;
  default:
    Emit({QStringLiteral("unhandled"), QString::number(request.Kind)});
    break;
  }
  return answer.Content();
}

void TTeachingServer::Reply(HWND to, const TTimeStamp& stamp, const QByteArray& content) {
  TDidactoMessageStream reply;
  reply.Kind = dmReply;
  reply.TimeStamp = stamp;
  reply.SetContent(content);
  const QByteArray data = reply.CopyData();
  COPYDATASTRUCT cds;
  cds.dwData = dmReply;
  cds.cbData = quint32(data.size());
  cds.lpData = data.constData();
  SendMessageA(to, WM_COPYDATA, WPARAM(window_), reinterpret_cast<LPARAM>(&cds));
}

void TTeachingServer::SendQuit(HWND to, bool serverDown) {
  TDidactoMessageStream quit;
  quit.Kind = dmQuit;
  quit.TimeStamp = CurrentTimeStamp();
  quit.WriteByte(serverDown ? 1 : 0);
  const QByteArray data = quit.CopyData();
  COPYDATASTRUCT cds;
  cds.dwData = dmQuit;
  cds.cbData = quint32(data.size());
  cds.lpData = data.constData();
  const LRESULT result = SendMessageA(to, WM_COPYDATA, WPARAM(window_), reinterpret_cast<LPARAM>(&cds));
  Emit({QStringLiteral("quit-sent"), Hex(to), QString::number(serverDown), QString::number(result)});
}

void TTeachingServer::PruneParties() {
  std::erase_if(parties_, [](const Party& p) { return !IsWindow(p.entity.Window); });
}

const TTeachingServer::Party* TTeachingServer::FindParty(quint32 window) const {
  for (const Party& p : parties_)
    if (p.entity.Window == window) return &p;
  return nullptr;
}

quint32 TTeachingServer::Start(const QString& fileName, const QString& parameters) {
  if (fileName.isEmpty()) return 0;
  QStringList args = QProcess::splitCommand(parameters);
  args.prepend(fileName);
  std::vector<QByteArray> storage;
  for (const QString& a : args) storage.push_back(QFile::encodeName(a));
  std::vector<char*> argv;
  for (QByteArray& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
  // Collect the child some time after it ended (see CollectDelayMs).
  const long fd = ::syscall(SYS_pidfd_open, pid, 0);
  if (fd >= 0) {
    auto* notifier = new QSocketNotifier(int(fd), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [notifier, pid] {
      notifier->setEnabled(false);
      QTimer::singleShot(CollectDelayMs, notifier, [notifier, pid] {
        ::waitpid(pid, nullptr, WNOHANG);
        ::close(int(notifier->socket()));
        notifier->deleteLater();
      });
    });
  }
  return quint32(pid);
}

void TTeachingServer::Command(const QString& line) {
  const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) return;
  const QString& verb = words[0];
  if (verb == QLatin1String("quit") && words.size() == 3) {
    const bool serverDown = words[2] == QLatin1String("1");
    PruneParties();
    std::vector<HWND> targets;
    if (words[1] == QLatin1String("all")) {
      for (const Party& p : parties_) targets.push_back(p.entity.Window);
    } else {
      bool ok = false;
      targets.push_back(words[1].toUInt(&ok, 16));
      if (!ok) targets.clear();
    }
    for (HWND to : targets) SendQuit(to, serverDown);
  } else if (verb == QLatin1String("parties")) {
    PruneParties();
    for (const Party& p : parties_)
      Emit({QStringLiteral("party"), Hex(p.entity.Window), QString::number(p.entity.Handle), p.entity.StoredFileName(),
            p.entity.StoredTitle()});
  } else if (verb == QLatin1String("down")) {
    PruneParties();
    for (const Party& p : std::vector<Party>(parties_)) SendQuit(p.entity.Window, true);
    Emit({QStringLiteral("done"), verb});
    QCoreApplication::exit(0);
    return;
  } else if (verb == QLatin1String("exit")) {
    Emit({QStringLiteral("done"), verb});
    QCoreApplication::exit(0);
    return;
  } else {
    Emit({QStringLiteral("error"), QStringLiteral("unknown command"), line});
    return;
  }
  Emit({QStringLiteral("done"), verb});
}
