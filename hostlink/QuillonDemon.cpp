#include "QuillonDemon.h"

#include "NamedMutex.h"
#include "Processes.h"
#include "Registry.h"
#include "TableLocator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>

#include <cstdio>

using namespace Platform;

const QString DidactoServerWindowClass = QStringLiteral("ThisIsTheDidactoServerComponentWindowClass");
const QString DidactoServerWindowTitle = QStringLiteral("ThisIsTheDidactoServerComponentWindow");
const QString DidactoClientWindowClass = QStringLiteral("ThisIsTheDidactoClientComponentWindowClass");

namespace {
const QString ServerHandleArgument = QStringLiteral("/serverhandle=");
}

QString DidactoServerSuffix(const QString& registryValue, const QStringList& arguments) {
  if (!registryValue.isEmpty() && registryValue != QLatin1String("00000000")) return registryValue;
  QString suffix;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString argument = arguments[i].toLower();
    if (argument.left(ServerHandleArgument.size()) == ServerHandleArgument)
      suffix = argument.mid(ServerHandleArgument.size());
  }
  return suffix;
}

QStringList DidactoParameterList(const QStringList& arguments) {
  QStringList list;
  for (const QString& argument : arguments)
    if (argument.left(ServerHandleArgument.size()) != ServerHandleArgument) list << argument;
  return list;
}

qsizetype LineBreakArgument(const QStringList& params) {
  for (qsizetype i = 0; i < params.size(); ++i)
    if (params[i].contains(QLatin1Char('\r')) || params[i].contains(QLatin1Char('\n')) || params[i].contains(QChar(0)))
      return i;
  return -1;
}

TkdbCustomDemon::TkdbCustomDemon(QObject* owner, const QStringList& arguments, const QString& programFileName,
                                 THostLink link)
    : QObject(owner), translator_(std::make_unique<TLexivaran2000>(QString())), programFileName_(programFileName) {
  translator_->SetProgramFileName(programFileName);
  params_ = DidactoParameterList(arguments);
  if (link == THostLink::Off) return; // no server is looked for either
  const QString registryValue = RegReadString(TRegistryRoot::HKEY_LOCAL_MACHINE,
                                              QStringLiteral("\\Software\\Orvex\\quillon\\demon"),
                                              QStringLiteral("ViewerHandle"));
  const QString suffix = DidactoServerSuffix(registryValue, arguments);
  server_.Window = FindWindowExA(DidactoServerWindowClass + suffix, DidactoServerWindowTitle + suffix);
}

TkdbCustomDemon::~TkdbCustomDemon() { DestroyHiddenWindow(); }

QString TkdbCustomDemon::ApplicationTitle() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::applicationDisplayName();
  return QCoreApplication::applicationName();
}

void TkdbCustomDemon::CreateHiddenWindow() {
  const QString className = GetWindowClassName();
  if (!RegisterClassA(className)) {
    const QString text = GetLastErrorString();
    throw EDidacto(text.isEmpty() ? QStringLiteral("(GetLastErrorString failed)") : text);
  }
  windowClass_ = className;
  own_.SetTitle(ApplicationTitle());
  own_.SetFileName(programFileName_);
  QString problem;
  if (HostLinkDirectory(&problem).isEmpty()) {
    // Without a folder that only this user can reach there is no safe place
    // for the window: the program runs on its own.
    std::fprintf(stderr, "%s: warning: %s; running stand-alone (no teaching server, no single-copy check)\n",
                 qPrintable(QFileInfo(programFileName_).fileName()), qPrintable(problem));
    return;
  }
  const HWND window = CreateWindowExA(className, GetWindowTitle());
  if (window == 0) {
    UnregisterClassA(className);
    windowClass_.clear();
    throw EDidacto(QStringLiteral("Could not create window handle"));
  }
  window_ = window;
  own_.Window = window;
  SetWindowProc(window, [this](HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    return WindowProcedure(w, msg, wParam, lParam);
  });
  // Replies nobody has collected make room for what arrives, the oldest first.
  SetIncomingReclaim([this] {
    if (pending_.empty()) return false;
    pending_.erase(pending_.begin());
    return true;
  });
}

void TkdbCustomDemon::DestroyHiddenWindow() {
  if (window_) SetIncomingReclaim({});
  pending_.clear();
  if (window_) {
    SetWindowProc(window_, {});
    DestroyWindow(window_);
    window_ = 0;
  }
  if (!windowClass_.isEmpty()) {
    UnregisterClassA(windowClass_);
    windowClass_.clear();
  }
  if (own_.Handle) {
    CloseHandle(own_.Handle);
    own_.Handle = 0;
  }
}

LRESULT TkdbCustomDemon::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_COPYDATA) return DefWindowProcA(window, msg, wParam, lParam);
  const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!cds || (cds->cbData > 0 && !cds->lpData))
    throw EDidacto(QStringLiteral("Host link message refused: no data"));
  auto message = std::make_unique<TDidactoMessageStream>(this);
  TCopyDataBytes data = TakeCopyData(*cds); // no copy, and counted while the message is held
  message->LoadCopyData(cds->dwData, std::move(data.bytes));
  message->HoldClaim(std::move(data.claim));
  message->Sender().Window = quint32(wParam);
  HandleMessage(std::move(message));
  return 1;
}

void TkdbCustomDemon::HandleMessage(std::unique_ptr<TDidactoMessageStream> Msg) {
  Msg->SetPosition(0);
  switch (Msg->Kind) {
  case dmQuit: {
    serverDown_ = Msg->ReadByte() != 0;
    bool allowQuit = true;
    if (OnQuitMsgReceived) OnQuitMsgReceived(this, serverDown_, allowQuit);
    if (allowQuit && !quitting_) {
      // Destroyed once the handling of this message is over, which ends the program.
      quitting_ = true;
      deleteLater();
    }
    break;
  }
  case dmReply:
    pending_.push_back(std::move(Msg));
    if (pending_.size() > size_t(MaxPendingReplies)) pending_.erase(pending_.begin());
    break;
  case dmParameters:
    params_ = StringListFromText(Msg->Content());
    if (OnParamsChange) OnParamsChange(this);
    break;
  default:
    if (OnGotAMessage) OnGotAMessage(this, *Msg);
    break;
  }
}

QString TkdbCustomDemon::ParamStr(int Index) const {
  if (Index == 0) return programFileName_;
  if (Index < 1 || Index > ParamCount())
    throw EDidacto(QStringLiteral("Illegal \"ParamStr\" parameter: %1").arg(Index));
  return params_[Index];
}

LRESULT TkdbCustomDemon::SendStream(TEntity& To, TDidactoMessageStream& Msg, TDidactoMessageStream* Reply) {
  Msg.TimeStamp = CurrentTimeStamp();
  Msg.SetOwner(this);
  if (Reply) Reply->SetOwner(this);
  if (!IsWindow(window_)) return 0;
  const QByteArray buffer = Msg.CopyData();
  COPYDATASTRUCT cds;
  cds.dwData = Msg.Kind;
  cds.cbData = quint32(buffer.size());
  cds.lpData = buffer.constData();
  const LRESULT result = SendMessageA(To.Window, WM_COPYDATA, WPARAM(window_), reinterpret_cast<LPARAM>(&cds));
  const quint32 error = GetLastError();
  const QString errorText = GetLastErrorString();
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (!((*it)->TimeStamp == Msg.TimeStamp)) continue;
    std::unique_ptr<TDidactoMessageStream> found = std::move(*it);
    pending_.erase(it);
    if (Reply) Reply->Assign(*found);
    break;
  }
  SetLastError(error, errorText); // the send's outcome, for the caller
  return result;
}

void TkdbCustomDemon::Loaded() {
  // 1. Registration at the server.
  if (useQuillonServer_) {
    if (server_.Window == 0) throw EDidacto(QStringLiteral("Didacto server application is not running"));
    TDidactoMessageStream message(this);
    message.Kind = dmRegister;
    own_.WriteTo(message);
    SendStream(server_, message, nullptr);
  }
  // 2. The translation table: from the server, or the file beside the program
  //    (an installed program: the table of the user's language in its data folder).
  std::unique_ptr<QIODevice> table;
  if (useQuillonServer_) {
    const QString serverName = GetServerFileName(programFileName_);
    table = FetchFile(ItlFileNameFor(serverName));
  } else {
    auto file = std::make_unique<QFile>(TableLocator::FindTranslationTable(programFileName_));
    if (file->open(QIODevice::ReadOnly)) table = std::move(file);
  }
  if (table) translator_->LoadFromStream(*table);
  table.reset();
  // 3. The owning window.
  if (autoTranslate_ && parent()) translator_->TranslateComponent(parent());
  // 4. One copy per program file.
  if (!multiStart_) KeepSingleCopy();
}

void TkdbCustomDemon::KeepSingleCopy() {
  if (!window_) return; // running stand-alone, as warned
  const QString name = own_.MutexName();
  const QString program = QFileInfo(programFileName_).fileName();
  QElapsedTimer waited;
  waited.start();
  // Until this copy holds the lock or a first copy has taken the arguments: a
  // first copy that is still starting has no window yet, one that is ending
  // soon lets go of the lock.
  for (;;) {
    const HANDLE mutex = CreateMutexA(name);
    if (mutex == 0) {
      std::fprintf(stderr, "%s: warning: cannot check for a running copy: %s\n", qPrintable(program),
                   qPrintable(GetLastErrorString()));
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      own_.Handle = mutex;
      // Keeps this window beside the lock, so that a copy started without a
      // server can find this one.
      if (!WriteMutexNote(mutex, QByteArray::number(window_, 16)))
        std::fprintf(stderr, "%s: warning: later copies may not find this one\n", qPrintable(program));
      return;
    }
    CloseHandle(mutex);
    // The list travels as lines ending in CR LF: an argument with a line break in
    // it would arrive as other arguments. Refused, rather than delivered changed.
    const qsizetype broken = LineBreakArgument(params_);
    if (broken >= 0) {
      std::fprintf(stderr, "%s: argument %d contains a line break (CR or LF), which cannot be handed to the running copy; "
                           "nothing was handed over\n",
                   qPrintable(program), int(broken));
      ExitProcess(2);
    }
    QString why;
    const THandOver result = HandOverToFirstCopy(why);
    if (result == THandOver::Taken) ExitProcess(0);
    if (result == THandOver::Failed || waited.elapsed() >= SendTimeout()) {
      std::fprintf(stderr, "%s: the running copy did not take the arguments: %s\n", qPrintable(program),
                   qPrintable(why));
      ExitProcess(1);
    }
    QThread::msleep(20);
  }
}

std::unique_ptr<TEntity> TkdbCustomDemon::FindFirstCopy() {
  std::unique_ptr<TEntity> first;
  if (server_.Window) {
    try {
      first = FindEntity(ApplicationTitle());
    } catch (const Exception&) {
      // A broken answer is no first copy; the lock still says where it is.
    }
  }
  if (first && first->Window != window_ && IsWindow(first->Window)) return first;
  bool ok = false;
  const HWND window = ReadMutexNote(own_.MutexName()).trimmed().toUInt(&ok, 16);
  if (!ok || window == 0 || window == window_ || !IsWindow(window)) return nullptr;
  first = std::make_unique<TEntity>(this);
  first->Window = window;
  return first;
}

TkdbCustomDemon::THandOver TkdbCustomDemon::HandOverToFirstCopy(QString& why) {
  std::unique_ptr<TEntity> first = FindFirstCopy();
  if (!first) {
    why = QStringLiteral("no running copy answered");
    return THandOver::NoFirstCopy;
  }
  TDidactoMessageStream message(this);
  message.Kind = dmParameters;
  const QByteArray text = StringListText(params_);
  message.WriteBuffer(text.constData(), text.size());
  // The first copy's window procedure answers 1 once it has taken the list.
  if (SendStream(*first, message, nullptr) != 0) return THandOver::Taken;
  if (GetLastError() == ERROR_TIMEOUT) {
    why = QStringLiteral("no answer within %1 ms").arg(SendTimeout());
    return THandOver::Failed;
  }
  if (GetLastError() == 0) {
    why = QStringLiteral("the running copy could not handle them");
    return THandOver::Failed;
  }
  // Gone, or closed the connection before handling it: look again.
  why = GetLastErrorString();
  return THandOver::NoFirstCopy;
}
