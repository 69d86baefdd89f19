#include "TkdbDemonClient.h"

#include "Application.h"
#include "Processes.h"

#include <QCoreApplication>

using namespace Platform;

namespace {
// The command line as typed: the toolkit's options stay in it.
QStringList ProcessArguments() {
  const QStringList raw = TApplication::RawArguments();
  if (!raw.isEmpty()) return raw;
  return QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList();
}
QString ProcessFileName() {
  return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}
} // namespace

TkdbDemonClient::TkdbDemonClient(QObject* owner) : TkdbDemonClient(owner, THostLink::On) {}

TkdbDemonClient::TkdbDemonClient(QObject* owner, THostLink link)
    : TkdbDemonClient(owner, ProcessArguments(), ProcessFileName(), link) {}

TkdbDemonClient::TkdbDemonClient(QObject* owner, const QStringList& arguments, const QString& programFileName,
                                 THostLink link)
    : TkdbCustomDemon(owner, arguments, programFileName, link) {
  if (link == THostLink::On) CreateHiddenWindow();
}

TkdbDemonClient::~TkdbDemonClient() {
  if (Window() && !ServerDown()) {
    try {
      TDidactoMessageStream message(this);
      message.Kind = dmUnregister;
      own_.WriteTo(message);
      SendStream(server_, message, nullptr);
    } catch (const std::exception&) {
      // Nothing may escape a destructor; the server notices a dead party by itself.
    }
  }
  DestroyHiddenWindow();
  ReleaseTranslator();
  QCoreApplication::quit();
}

QString TkdbDemonClient::GetWindowClassName() const { return DidactoClientWindowClass; }

QString TkdbDemonClient::GetWindowTitle() const { return QString(); }

std::unique_ptr<TDidactoMessageStream> TkdbDemonClient::Request(
    quint32 kind, const std::function<void(TDidactoMessageStream&)>& write) {
  TDidactoMessageStream message(this);
  message.Kind = kind;
  write(message);
  auto reply = std::make_unique<TDidactoMessageStream>(this);
  SendStream(server_, message, reply.get());
  reply->SetPosition(0);
  return reply;
}

std::unique_ptr<TEntity> TkdbDemonClient::QueryEntity(const std::function<void(TDidactoMessageStream&)>& write) {
  const auto reply = Request(dmPartyQuery, write);
  if (reply->Size() == 0) return nullptr;
  auto entity = std::make_unique<TEntity>(this);
  entity->ReadFrom(*reply);
  return entity;
}

std::unique_ptr<TEntity> TkdbDemonClient::FindEntity(const QString& Title) {
  return QueryEntity([&](TDidactoMessageStream& m) {
    m.WriteByte(PartyByTitle);
    m.WriteString(Title);
  });
}

std::unique_ptr<TEntity> TkdbDemonClient::GetEntity(quint32 Window) {
  return QueryEntity([&](TDidactoMessageStream& m) {
    m.WriteByte(PartyByWindow);
    m.WriteUInt32(Window);
  });
}

qint32 TkdbDemonClient::Execute(const QString& FileName, const QString& Params, bool Wait, qint32 Option) {
  const auto reply = Request(dmExecute, [&](TDidactoMessageStream& m) {
    m.WriteString(FileName);
    m.WriteString(Params);
    m.WriteByte(Wait ? 1 : 0);
    m.WriteInt32(Option);
  });
  const quint32 processId = reply->ReadUInt32();
  const QString failure = QStringLiteral("Could not execute \"%1.\"").arg(FileName);
  if (processId == 0) throw EDidacto(failure);
  if (!Wait) return qint32(processId);
  const HANDLE process = OpenProcess(SYNCHRONIZE, false, processId);
  if (process == 0) throw EDidacto(failure);
  WaitForSingleObject(process, INFINITE);
  quint32 exitCode = 0;
  const bool known = GetExitCodeProcess(process, &exitCode);
  CloseHandle(process);
  // -1 when the exit code could not be learnt (see GetExitCodeProcess).
  return known ? qint32(exitCode) : -1;
}

std::unique_ptr<QBuffer> TkdbDemonClient::FetchFile(const QString& FileName) {
  const auto reply = Request(dmFetchFile, [&](TDidactoMessageStream& m) { m.WriteString(FileName); });
  if (reply->ReadByte() == 0) return nullptr;
  auto file = std::make_unique<QBuffer>();
  file->setData(reply->ReadRest());
  file->open(QIODevice::ReadWrite);
  file->seek(0);
  return file;
}

QString TkdbDemonClient::GetServerFileName(const QString& FileName) {
  return Request(dmServerFileName, [&](TDidactoMessageStream& m) { m.WriteString(FileName); })->ReadString();
}

QString TkdbDemonClient::RequestString(const QString& Text) {
  return Request(dmStringRequest, [&](TDidactoMessageStream& m) { m.WriteString(Text); })->ReadString();
}

QString TkdbDemonClient::GetEnvironmentString(const QString& Name) {
  if (UseQuillonServer())
    return Request(dmEnvironmentValue, [&](TDidactoMessageStream& m) { m.WriteString(Name); })->ReadString();
  if (Name != QLatin1String("QuillonWorkArea") && Name != QLatin1String("QuillonHomeDir")) return QString();
  const QString program = ParamStr(0);
  QString dir = program.left(program.lastIndexOf(QLatin1Char('/')) + 1);
  if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\'))) dir += QLatin1Char('/');
  return dir;
}
