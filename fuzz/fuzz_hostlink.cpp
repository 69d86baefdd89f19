// Data from other programs: received WM_COPYDATA messages of every kind, going
// through the component's window procedure into HandleMessage, and the replies
// to every request, decoded by the client. A server window in this process
// answers with fuzzed bytes; windows of the same process are called directly,
// so no message crosses a socket.
#include "FuzzSupport.h"
#include "QuillonDemon.h"
#include "TDidactoMessageStream.h"
#include "TEntity.h"
#include "TkdbDemonClient.h"
#include "WindowMessages.h"

#include <QWidget>

using namespace Platform;

namespace {
const QString Suffix = QStringLiteral("fuzz");
HWND server = 0;
QByteArray reply;  // the server's next reply payload
bool answer = false;
QWidget* owner = nullptr;
TkdbDemonClient* client = nullptr;

LRESULT Deliver(HWND to, quint32 kind, const QByteArray& data) {
  COPYDATASTRUCT cds;
  cds.dwData = kind;
  cds.cbData = quint32(data.size());
  cds.lpData = data.constData();
  return SendMessageA(to, WM_COPYDATA, server, reinterpret_cast<LPARAM>(&cds));
}

// What the program does with a message of a kind it does not handle: read a
// party record, a string and the rest.
void Decode(QObject*, TDidactoMessageStream& m) {
  TEntity party;
  try {
    party.ReadFrom(m);
  } catch (const EReadError&) {
  }
  try {
    m.ReadString();
    m.ReadByte();
    m.ReadInt32();
  } catch (const EReadError&) {
  }
  m.ReadRest();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzInitApplication();
  const QString cls = DidactoServerWindowClass + Suffix;
  RegisterClassA(cls);
  server = CreateWindowExA(cls, DidactoServerWindowTitle + Suffix);
  SetWindowProc(server, [](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg != WM_COPYDATA || !answer) return 1;
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    // The reply carries the request's time stamp, so the client takes it.
    const QByteArray stamp(static_cast<const char*>(cds->lpData), 8);
    Deliver(HWND(wParam), dmReply, stamp + reply);
    return 1;
  });
  owner = new QWidget();
  client = new TkdbDemonClient(owner, {"/fuzz/prog", "/serverhandle=" + Suffix}, "/fuzz/prog");
  client->SetMultiStart(true);
  client->OnGotAMessage = Decode;
  // The server's quit request is refused so the one component serves every input.
  client->OnQuitMsgReceived = [](QObject*, bool, bool& allow) { allow = false; };
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  while (in.remaining_bytes() > 0) {
    const int what = in.ConsumeIntegralInRange(0, 9);
    const std::string bytes = in.ConsumeRandomLengthString(256);
    const QByteArray payload(bytes.data(), qsizetype(bytes.size()));
    reply = payload;
    answer = in.ConsumeBool();
    try {
      switch (what) {
      case 0: { // a received message of any kind, with or without a time stamp
        const quint32 kind = in.ConsumeBool() ? in.ConsumeIntegralInRange<quint32>(dmQuit, dmEnvironmentValue)
                                              : in.ConsumeIntegral<quint32>();
        Deliver(client->OwnEntity().Window, kind, payload);
        for (int i = 0; i <= client->ParamCount(); ++i) client->ParamStr(i);
        break;
      }
      case 1: client->FindEntity(QStringLiteral("title")); break;
      case 2: client->GetEntity(in.ConsumeIntegral<quint32>()); break;
      case 3: client->Execute(QStringLiteral("prog"), QString(), false, in.ConsumeIntegral<qint32>()); break;
      case 4: client->FetchFile(QStringLiteral("prog.itl")); break;
      case 5: client->GetServerFileName(QStringLiteral("prog")); break;
      case 6: client->RequestString(QStringLiteral("text")); break;
      case 7: client->GetEnvironmentString(QStringLiteral("QuillonWorkArea")); break;
      case 8: { // the stream and party decoders on their own
        TDidactoMessageStream m;
        try {
          m.LoadCopyData(in.ConsumeIntegral<quint32>(), payload);
        } catch (const EDidacto&) {
          m.SetContent(payload);
        }
        Decode(nullptr, m);
        StringListFromText(payload);
        break;
      }
      case 9: { // the table fetched from the server, as loading does it
        answer = true;
        reply = QByteArray(1, '\x01') + payload;
        if (auto file = client->FetchFile(QStringLiteral("prog.itl"))) client->Translator().LoadFromStream(*file);
        break;
      }
      }
    } catch (const EReadError&) {
      // A reply shorter than its fields: the request fails with a read error.
    } catch (const EDidacto&) {
      // Refused data and failed requests.
    }
  }
  // Replies nobody collects are bounded.
  if (client->PendingReplyCount() > TkdbCustomDemon::MaxPendingReplies) __builtin_trap();
  return 0;
}
