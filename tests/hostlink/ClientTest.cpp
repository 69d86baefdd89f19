// The host link component against a server window in this process that
// records every message: the start-up steps, each request's payload and the
// handling of its reply, reply matching, the kinds of received messages,
// quitting, the single-instance mutex and the local answers without a server.
#include "HostlinkTestSupport.h"
#include "MessageBox.h"
#include "NamedMutex.h"
#include "TkdbDemonClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Platform;

namespace {

QByteArray String(const QString& s) {
  TDidactoMessageStream m;
  m.WriteString(s);
  return m.Content();
}

QByteArray Record(quint32 window, quint32 handle, const QString& file, const QString& title) {
  TEntity e;
  e.Window = window;
  e.Handle = handle;
  e.SetFileName(file);
  e.SetTitle(title);
  TDidactoMessageStream m;
  e.WriteTo(m);
  return m.Content();
}

QString Title() { return TkdbCustomDemon::ApplicationTitle(); }

// A window owning a button with a placeholder and the component, connected to
// a fake server with the given suffix.
struct Fixture {
  explicit Fixture(const QString& suffix, const QString& program = "/opt/sim/prog")
      : server(suffix), button(new QPushButton("LX_Reset", &owner)) {
    client = new TkdbDemonClient(&owner, {program, "/serverhandle=" + suffix}, program);
    client->SetMultiStart(true);
  }
  ~Fixture() {
    SetMessageBoxHook(nullptr);
    // The component unregisters when the owner goes; the tests' answer callbacks
    // capture locals that are gone by then.
    server.Answer = nullptr;
  }
  TFakeServer server;
  QWidget owner;
  QPushButton* button;
  QPointer<TkdbDemonClient> client;
};

} // namespace

TEST(ServerLookup, SuffixAndParameterListFromTheCommandLine) {
  const QStringList args = {"prog.exe", "/ServerHandle=00A1", "x"};
  EXPECT_EQ(DidactoServerSuffix("", args), "00a1");
  EXPECT_EQ(DidactoParameterList(args), args); // the list's test is case-sensitive
  EXPECT_EQ(DidactoServerSuffix("", {"p", "/serverhandle=a", "y", "/serverhandle=B"}), "b");
  EXPECT_EQ(DidactoParameterList({"p", "/serverhandle=a", "y", "/serverhandle=B"}), (QStringList{"p", "y"}));
  EXPECT_EQ(DidactoServerSuffix("", {"/serverhandle=zero"}), ""); // argument 0 does not count
  EXPECT_EQ(DidactoServerSuffix("00000000", args), "00a1");       // treated like a missing value
  EXPECT_EQ(DidactoServerSuffix("RegValue", args), "RegValue");
  EXPECT_EQ(DidactoServerSuffix("", {"p", "/serverhandle"}), "");
}

TEST(ServerLookup, TheComponentFindsTheServerOnceAtCreation) {
  {
    TFakeServer server("00a1");
    QWidget owner;
    auto* client = new TkdbDemonClient(&owner, {"/opt/sim/prog", "/ServerHandle=00A1", "x"}, "/opt/sim/prog");
    EXPECT_EQ(client->ServerEntity().Window, server.window);
    EXPECT_EQ(client->ParamCount(), 2);
    EXPECT_EQ(client->ParamStr(0), "/opt/sim/prog");
    EXPECT_EQ(client->ParamStr(1), "/ServerHandle=00A1");
    EXPECT_EQ(client->ParamStr(2), "x");
    for (int bad : {3, -1}) {
      try {
        client->ParamStr(bad);
        ADD_FAILURE() << "no error for " << bad;
      } catch (const EDidacto& e) {
        EXPECT_EQ(e.Message(), QString("Illegal \"ParamStr\" parameter: %1").arg(bad));
      }
    }
  }
  {
    // The registry value wins over the command line...
    TFakeServer server("regsfx");
    WriteRegistryValue("regsfx");
    QWidget owner;
    auto* client = new TkdbDemonClient(&owner, {"/p", "/serverhandle=other"}, "/p");
    EXPECT_EQ(client->ServerEntity().Window, server.window);
  }
  {
    // ...unless it is "00000000".
    TFakeServer server("argsfx");
    WriteRegistryValue("00000000");
    QWidget owner;
    auto* client = new TkdbDemonClient(&owner, {"/p", "/serverhandle=argsfx"}, "/p");
    EXPECT_EQ(client->ServerEntity().Window, server.window);
  }
  WriteRegistryValue("");
}

TEST(StandAlone, EnvironmentAnsweredLocally) {
  QWidget owner;
  auto* client = new TkdbDemonClient(&owner, {"/sim/prog"}, "/sim/prog");
  client->SetUseQuillonServer(false);
  EXPECT_EQ(client->GetEnvironmentString("QuillonWorkArea"), "/sim/");
  EXPECT_EQ(client->GetEnvironmentString("QuillonHomeDir"), "/sim/");
  EXPECT_EQ(client->GetEnvironmentString("quillonworkarea"), "");
  EXPECT_EQ(client->GetEnvironmentString("Other"), "");
  delete client;
  auto* bare = new TkdbDemonClient(&owner, {"prog"}, "prog");
  bare->SetUseQuillonServer(false);
  EXPECT_EQ(bare->GetEnvironmentString("QuillonWorkArea"), "");
}

TEST(StandAlone, TheTableBesideTheProgramTranslatesTheOwner) {
  QTemporaryDir dir;
  QFile table(dir.filePath("prog.itl"));
  ASSERT_TRUE(table.open(QIODevice::WriteOnly));
  table.write("[Reset]=Zur\xc3\xbc" "cksetzen|$$\r\n[$dlglanguage$]=lgGerman|$$\r\n");
  table.close();
  for (bool autoTranslate : {true, false}) {
    QWidget owner;
    auto* button = new QPushButton("LX_Reset", &owner);
    auto* client = new TkdbDemonClient(&owner, {dir.filePath("prog")}, dir.filePath("prog"));
    client->SetUseQuillonServer(false);
    client->SetMultiStart(true);
    client->SetAutoTranslate(autoTranslate);
    client->Loaded();
    EXPECT_EQ(button->text(), autoTranslate ? QString::fromUtf8("Zur\xc3\xbc" "cksetzen") : QString("LX_Reset"));
    EXPECT_EQ(client->Translator().Translate("$dlglanguage$").toLower(), "lggerman");
  }
  // No table: no error, the keys show as themselves.
  QWidget owner;
  auto* button = new QPushButton("LX_Reset", &owner);
  auto* client = new TkdbDemonClient(&owner, {dir.filePath("other")}, dir.filePath("other"));
  client->SetUseQuillonServer(false);
  client->SetMultiStart(true);
  client->Loaded();
  EXPECT_EQ(button->text(), "Reset");
}

TEST(Loading, AServerIsRequiredWhenConfigured) {
  QWidget owner;
  auto* client = new TkdbDemonClient(&owner, {"/p", "/serverhandle=absent"}, "/p");
  EXPECT_EQ(client->ServerEntity().Window, 0u);
  try {
    client->Loaded();
    ADD_FAILURE() << "loaded without a server";
  } catch (const EDidacto& e) {
    EXPECT_EQ(e.Message(), "Didacto server application is not running");
  }
}

TEST(Loading, RegistersAndFetchesTheTableFromTheServer) {
  Fixture f("load");
  f.server.Answer = [](const TReceived& r) -> std::optional<QByteArray> {
    if (r.kind == dmServerFileName) return String("prog.bin");
    if (r.kind == dmFetchFile && r.Payload() == String("prog.itl")) return Bytes("01") + "[reset]=From the server|$$";
    return std::nullopt;
  };
  f.client->Loaded();
  const HWND own = f.client->OwnEntity().Window;
  ASSERT_EQ(f.server.received.size(), 3u);
  EXPECT_EQ(f.server.received[0].kind, quint32(dmRegister));
  EXPECT_EQ(f.server.received[0].Payload(), Record(own, 0, "/opt/sim/prog", Title()));
  EXPECT_EQ(f.server.received[1].kind, quint32(dmServerFileName));
  EXPECT_EQ(f.server.received[1].Payload(), String("/opt/sim/prog"));
  EXPECT_EQ(f.server.received[2].kind, quint32(dmFetchFile));
  EXPECT_EQ(f.server.received[2].Payload(), String("prog.itl"));
  for (const TReceived& r : f.server.received) EXPECT_EQ(r.from, own);
  // The time stamp is today's date and time.
  TDidactoMessageStream stamp;
  stamp.LoadCopyData(0, f.server.received[0].data);
  EXPECT_LE(std::abs(stamp.TimeStamp.Date - CurrentTimeStamp().Date), 1);
  EXPECT_EQ(f.button->text(), "From the server");
}

TEST(Loading, AServerWithoutAnswersFailsTheLoading) {
  Fixture f("mute");
  EXPECT_THROW(f.client->Loaded(), EReadError);
  ASSERT_EQ(f.server.received.size(), 2u); // registered, then the server file name went unanswered
}

TEST(Requests, PayloadsAndRepliesOfEveryKind) {
  Fixture f("req");
  QByteArray next;
  f.server.Answer = [&](const TReceived&) -> std::optional<QByteArray> { return next; };
  auto last = [&] { return f.server.received.back(); };

  next = Record(0x55, 9, "/p/other", "Other");
  std::unique_ptr<TEntity> found = f.client->FindEntity("Other");
  EXPECT_EQ(last().kind, quint32(dmPartyQuery));
  EXPECT_EQ(last().Payload(), Bytes("02") + String("Other"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Window, 0x55u);
  EXPECT_EQ(found->Handle, 9u);
  EXPECT_EQ(found->GetFileName(), "/p/other");
  EXPECT_EQ(found->GetTitle(), "Other");

  std::unique_ptr<TEntity> byWindow = f.client->GetEntity(0x55);
  EXPECT_EQ(last().Payload(), Bytes("01 55000000"));
  ASSERT_TRUE(byWindow);
  EXPECT_EQ(byWindow->GetTitle(), "Other");

  // A party with an empty name asks the server when the name is wanted.
  TEntity party(f.client);
  party.Window = 0x55;
  EXPECT_EQ(party.GetTitle(), "Other");
  EXPECT_EQ(party.Handle, 9u);

  next = QByteArray();
  EXPECT_FALSE(f.client->FindEntity("Nobody"));

  next = Bytes("d2040000");
  EXPECT_EQ(f.client->Execute("prog", "-a b", false, 3), 1234);
  EXPECT_EQ(last().kind, quint32(dmExecute));
  EXPECT_EQ(last().Payload(), String("prog") + String("-a b") + Bytes("00 03000000"));

  next = Bytes("01") + "file bytes";
  std::unique_ptr<QBuffer> file = f.client->FetchFile("icon.xpm");
  EXPECT_EQ(last().kind, quint32(dmFetchFile));
  EXPECT_EQ(last().Payload(), String("icon.xpm"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->pos(), 0);
  EXPECT_EQ(file->data(), QByteArray("file bytes"));
  next = Bytes("01");
  file = f.client->FetchFile("empty");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 0);
  next = Bytes("00");
  EXPECT_FALSE(f.client->FetchFile("missing"));

  next = String("srv.bin");
  EXPECT_EQ(f.client->GetServerFileName("/local/prog"), "srv.bin");
  EXPECT_EQ(last().kind, quint32(dmServerFileName));
  EXPECT_EQ(last().Payload(), String("/local/prog"));

  next = String("answer");
  EXPECT_EQ(f.client->RequestString("question"), "answer");
  EXPECT_EQ(last().kind, quint32(dmStringRequest));
  EXPECT_EQ(last().Payload(), String("question"));

  next = String("/srv/work/");
  EXPECT_EQ(f.client->GetEnvironmentString("QuillonWorkArea"), "/srv/work/");
  EXPECT_EQ(last().kind, quint32(dmEnvironmentValue));
  EXPECT_EQ(last().Payload(), String("QuillonWorkArea"));
}

TEST(Requests, ExecuteFailuresAndWaiting) {
  Fixture f("exec");
  QByteArray next;
  f.server.Answer = [&](const TReceived&) -> std::optional<QByteArray> { return next; };
  next = Bytes("00000000");
  try {
    f.client->Execute("prog", "", false, 0);
    ADD_FAILURE() << "no error";
  } catch (const EDidacto& e) {
    EXPECT_EQ(e.Message(), "Could not execute \"prog.\"");
  }
  // A process identifier that names no process.
  next = Bytes("f0ffff7f");
  EXPECT_THROW(f.client->Execute("prog", "", true, 0), EDidacto);

  const pid_t child = ::fork();
  if (child == 0) {
    ::usleep(50000);
    ::_exit(5);
  }
  next.resize(4);
  qToLittleEndian(quint32(child), next.data());
  EXPECT_EQ(f.client->Execute("prog", "", true, 0), 5);
  EXPECT_EQ(f.server.received.back().Payload(), String("prog") + String("") + Bytes("01 00000000"));
}

TEST(Requests, MissingAndBrokenRepliesFailAsReadErrors) {
  Fixture f("broken");
  std::optional<QByteArray> next;
  f.server.Answer = [&](const TReceived&) { return next; };
  next = std::nullopt; // nothing answers
  EXPECT_FALSE(f.client->FindEntity("x"));
  EXPECT_FALSE(f.client->GetEntity(1));
  EXPECT_THROW(f.client->GetEnvironmentString("QuillonWorkArea"), EReadError);
  EXPECT_THROW(f.client->Execute("p", "", false, 0), EReadError);
  EXPECT_THROW(f.client->FetchFile("f"), EReadError);
  EXPECT_THROW(f.client->GetServerFileName("f"), EReadError);
  EXPECT_THROW(f.client->RequestString("s"), EReadError);

  next = Bytes("0a000000 6162"); // a string cut short
  EXPECT_THROW(f.client->RequestString("s"), EReadError);
  next = Bytes("ffffff7f"); // a huge count
  EXPECT_THROW(f.client->GetEnvironmentString("x"), EReadError);
  next = Bytes("f6ffffff"); // a negative count is the empty string
  EXPECT_EQ(f.client->GetEnvironmentString("x"), "");
  next = Bytes("0100"); // a party record cut short
  EXPECT_THROW(f.client->FindEntity("x"), EReadError);
  next = Bytes("0200");
  EXPECT_THROW(f.client->Execute("p", "", false, 0), EReadError);
  EXPECT_EQ(f.client->PendingReplyCount(), 0);
}

TEST(Requests, RepliesAreMatchedByTheirTimeStamp) {
  Fixture f("match");
  f.server.Answer = [](const TReceived&) -> std::optional<QByteArray> { return String("one"); };
  f.server.repliesPerRequest = 2;
  EXPECT_EQ(f.client->RequestString("q"), "one");
  EXPECT_EQ(f.client->PendingReplyCount(), 1); // the twin stays pending
  // Within the same millisecond the next request would carry the same stamp
  // and take the twin; a moment later it does not.
  QThread::msleep(3);

  // A reply that belongs to no request is kept, not taken by the next one.
  const HWND own = f.client->OwnEntity().Window;
  f.server.SendTo(own, dmReply, String("stray"), Bytes("01000000 01000000"));
  f.server.repliesPerRequest = 1;
  f.server.Answer = [](const TReceived&) -> std::optional<QByteArray> { return String("two"); };
  EXPECT_EQ(f.client->RequestString("q"), "two");
  EXPECT_EQ(f.client->PendingReplyCount(), 2);

  // A flood of replies nobody asked for is bounded.
  for (int i = 0; i < 3 * TkdbCustomDemon::MaxPendingReplies; ++i)
    f.server.SendTo(own, dmReply, String("flood"), Bytes("02000000 01000000"));
  EXPECT_EQ(f.client->PendingReplyCount(), TkdbCustomDemon::MaxPendingReplies);

  // Sending through a message stream goes through its component.
  TDidactoMessageStream request(f.client), reply;
  request.Kind = dmStringRequest;
  request.WriteString("q");
  TEntity to;
  to.Window = f.server.window;
  request.Send(to, &reply);
  EXPECT_EQ(reply.Kind, quint32(dmReply));
  EXPECT_EQ(reply.TimeStamp, request.TimeStamp);
  EXPECT_EQ(reply.Sender().Window, f.server.window);
  EXPECT_EQ(reply.ReadString(), "two");
}

namespace {
// In a child process: sends complete frames of replies of the largest size to the
// window over `count` connections at once, and ends. Only system calls: the child
// of a threaded process must not allocate.
[[noreturn]] void SendLargeReplies(const sockaddr_un& addr, const char* header, int count) {
  static char chunk[65536];
  static int fds[8];
  static qint64 left[8];
  for (int i = 0; i < count; ++i) {
    fds[i] = ::socket(AF_UNIX, SOCK_STREAM, 0);
    left[i] = -1;
    if (fds[i] >= 0 && ::connect(fds[i], reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        ::send(fds[i], header, 24, MSG_NOSIGNAL) == 24)
      left[i] = MaxCopyDataSize;
  }
  for (;;) {
    static pollfd polls[8];
    int open = 0;
    for (int i = 0; i < count; ++i) {
      polls[i] = {fds[i], short(left[i] > 0 ? POLLOUT : 0), 0};
      open += left[i] > 0;
    }
    if (open == 0 || ::poll(polls, nfds_t(count), 60000) <= 0) break;
    for (int i = 0; i < count; ++i) {
      if (left[i] <= 0 || !(polls[i].revents & (POLLOUT | POLLERR | POLLHUP))) continue;
      const ssize_t k = ::send(fds[i], chunk, size_t(std::min<qint64>(left[i], sizeof chunk)), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (k > 0) left[i] -= k;
      else if (errno != EAGAIN && errno != EINTR) left[i] = 0; // refused: the window closed it
    }
  }
  // Waits for each answer, as a sender does: a frame whose sender is gone is not handled.
  for (int i = 0; i < count; ++i) {
    pollfd answer{fds[i], POLLIN, 0};
    while (::poll(&answer, 1, 60000) > 0 && ::recv(fds[i], chunk, sizeof chunk, 0) > 0) {
    }
  }
  ::_exit(0);
}
} // namespace

TEST(ReceivedMessages, LargeFramesStayWithinTheBudgetWhileHandledAndKept) {
  // Five complete frames of the largest size at once, each a reply nobody asked
  // for: what is buffered, handled and kept as pending replies stays within the budget.
  Fixture f("large");
  const HWND own = f.client->OwnEntity().Window;
  const qint64 residentBefore = ResidentKiB();
  QByteArray header(24, 0);
  for (const auto& [at, value] : {std::pair{0, 0x4D4C484Bu}, {4, own}, {8, WM_COPYDATA}, {12, 1u},
                                  {16, quint32(dmReply)}, {20, MaxCopyDataSize}})
    qToLittleEndian<quint32>(value, header.data() + at);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(TestRuntimeDir() + "/didacto/" + Hex(own) + ".sock");
  std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
  const pid_t child = ::fork();
  if (child == 0) SendLargeReplies(addr, header.constData(), 5);

  // Served as the program's event loop does, without pauses: each frame must arrive in time.
  qint64 accounted = 0, resident = 0;
  QTimer tick;
  tick.start(20);
  QElapsedTimer waited;
  waited.start();
  bool sent = false;
  while (!sent && waited.elapsed() < 120000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    accounted = std::max(accounted, IncomingBufferedBytes() + IncomingHeldBytes());
    resident = std::max(resident, ResidentKiB());
    sent = ::waitpid(child, nullptr, WNOHANG) == child;
  }
  if (!sent) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  WaitUntil([] { return IncomingConnectionCount() == 0; }, 10000);
  ASSERT_TRUE(sent);
  EXPECT_GE(f.client->PendingReplyCount(), 1);
  EXPECT_LE(accounted, IncomingLimits().bytes);
  EXPECT_EQ(IncomingHeldBytes(), f.client->PendingReplyCount() * qint64(MaxCopyDataSize));
  if (!AddressSanitized) {
    EXPECT_LT(resident - residentBefore, IncomingLimits().bytes / 1024 + 48 * 1024) << "KiB more";
  }
  // A request still gets its reply, and the held bytes go with the component.
  f.server.Answer = [](const TReceived&) -> std::optional<QByteArray> { return String("small"); };
  EXPECT_EQ(f.client->RequestString("q"), "small");
  delete f.client.data();
  EXPECT_EQ(IncomingHeldBytes(), 0);
}

TEST(ReceivedMessages, ParametersAndOtherKinds) {
  Fixture f("recv");
  const HWND own = f.client->OwnEntity().Window;
  int paramsChanges = 0;
  f.client->OnParamsChange = [&](QObject* sender) {
    EXPECT_EQ(sender, f.client.data());
    ++paramsChanges;
  };
  EXPECT_EQ(f.server.SendTo(own, dmParameters, "/q/prog\r\nb c\r\n"), 1);
  EXPECT_EQ(paramsChanges, 1);
  EXPECT_EQ(f.client->Params(), (QStringList{"/q/prog", "b c"}));
  EXPECT_EQ(f.client->ParamCount(), 1);
  EXPECT_EQ(f.client->ParamStr(1), "b c");
  EXPECT_EQ(f.client->ParamStr(0), "/opt/sim/prog"); // still this program's file

  std::vector<QString> seen;
  f.client->OnGotAMessage = [&](QObject* sender, TDidactoMessageStream& msg) {
    EXPECT_EQ(sender, f.client.data());
    EXPECT_EQ(msg.Position(), 0);
    EXPECT_EQ(msg.Sender().Window, f.server.window);
    seen.push_back(QString::number(msg.Kind) + ":" + QString::fromLatin1(msg.Content()));
  };
  f.server.SendTo(own, 4200, "xyz");
  f.server.SendTo(own, dmExecute, "");
  EXPECT_EQ(seen, (std::vector<QString>{"4200:xyz", "4102:"}));

  // Not WM_COPYDATA: the default procedure.
  EXPECT_EQ(SendMessageA(own, 0x0010, 0, 0), 0);
  // Shorter than a time stamp: refused with an error, nothing dispatched.
  COPYDATASTRUCT cds;
  cds.dwData = 4200;
  cds.cbData = 5;
  cds.lpData = "12345";
  EXPECT_THROW(SendMessageA(own, WM_COPYDATA, 1, reinterpret_cast<LPARAM>(&cds)), EDidacto);
  EXPECT_THROW(SendMessageA(own, WM_COPYDATA, 1, 0), EDidacto);
  EXPECT_EQ(seen.size(), 2u);
}

TEST(ReceivedMessages, ShortDataFromAnotherProcessIsShownNotDispatched) {
  Fixture f("short");
  QStringList boxes;
  SetMessageBoxHook([&](TMessageKind, const QString& text) { boxes << text; });
  bool dispatched = false;
  f.client->OnGotAMessage = [&](QObject*, TDidactoMessageStream&) { dispatched = true; };
  const HWND own = f.client->OwnEntity().Window;
  // From another thread the transport is used, as from another program.
  bool done = false;
  LRESULT result = -1;
  std::thread sender([&] {
    COPYDATASTRUCT cds;
    cds.dwData = 4200;
    cds.cbData = 7;
    cds.lpData = "1234567";
    result = SendMessageA(own, WM_COPYDATA, 1, reinterpret_cast<LPARAM>(&cds));
    done = true;
  });
  WaitUntil([&] { return done; }, 10000);
  sender.join();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(dispatched);
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].contains("fewer than its time stamp")) << boxes[0].toStdString();
}

TEST(Quitting, WithAndWithoutServerDown) {
  for (int serverDown : {0, 1}) {
    Fixture f(serverDown ? "down1" : "down0");
    const HWND own = f.client->OwnEntity().Window;
    const QByteArray record = Record(own, 0, "/opt/sim/prog", Title());
    std::vector<bool> calls;
    f.client->OnQuitMsgReceived = [&](QObject* sender, bool down, bool& allowQuit) {
      EXPECT_EQ(sender, f.client.data());
      EXPECT_TRUE(allowQuit);
      calls.push_back(down);
    };
    f.server.SendTo(own, dmQuit, serverDown ? Bytes("01") : Bytes("00"));
    ASSERT_EQ(calls, std::vector<bool>{serverDown == 1});
    EXPECT_TRUE(f.client); // destroyed only once the message has been handled
    WaitUntil([&] { return f.client.isNull(); }, 2000);
    EXPECT_TRUE(f.client.isNull());
    const std::vector<TReceived> unregistered = f.server.OfKind(dmUnregister);
    if (serverDown) {
      EXPECT_TRUE(unregistered.empty());
    } else {
      ASSERT_EQ(unregistered.size(), 1u);
      EXPECT_EQ(unregistered[0].Payload(), record);
    }
    EXPECT_FALSE(IsWindow(own));
  }
}

TEST(Quitting, TheHandlerCanRefuseAndBadQuitsAreErrors) {
  Fixture f("refuse");
  const HWND own = f.client->OwnEntity().Window;
  f.client->OnQuitMsgReceived = [](QObject*, bool, bool& allowQuit) { allowQuit = false; };
  f.server.SendTo(own, dmQuit, Bytes("01"));
  ServiceEvents();
  ASSERT_TRUE(f.client);
  EXPECT_TRUE(f.client->ServerDown());
  // A quit without its byte is a read error; the component stays.
  EXPECT_THROW(f.server.SendTo(own, dmQuit, QByteArray()), EReadError);
  ServiceEvents();
  EXPECT_TRUE(f.client);
  // Without a handler the quit is allowed; ServerDown set: no unregistration.
  f.client->OnQuitMsgReceived = nullptr;
  f.server.SendTo(own, dmQuit, Bytes("01"));
  WaitUntil([&] { return f.client.isNull(); }, 2000);
  EXPECT_TRUE(f.client.isNull());
  EXPECT_TRUE(f.server.OfKind(dmUnregister).empty());
}

TEST(Lifetime, OneComponentPerProcessAndTheSingleInstanceMutex) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  {
    QWidget owner;
    QPointer<TkdbDemonClient> client = new TkdbDemonClient(&owner, {"/opt/sim/single"}, "/opt/sim/single");
    client->SetUseQuillonServer(false);
    try {
      new TkdbDemonClient(&owner, {"/opt/sim/single"}, "/opt/sim/single");
      ADD_FAILURE() << "a second component was created";
    } catch (const EDidacto& e) {
      EXPECT_EQ(e.Message(), "Class already exists.");
    }
    EXPECT_TRUE(IsWindow(client->OwnEntity().Window));

    EXPECT_EQ(OpenMutexA("DQ_single"), 0u);
    client->Loaded();
    const HWND own = client->OwnEntity().Window;
    EXPECT_NE(client->OwnEntity().Handle, 0u);
    const HANDLE other = OpenMutexA("DQ_single");
    EXPECT_NE(other, 0u);
    CloseHandle(other);
    EXPECT_EQ(ReadMutexNote("DQ_single").toUInt(nullptr, 16), own);

    client->SetAutoCreateItlFile(true);
    EXPECT_TRUE(client->Translator().AutoCreateItlFile);
    client->Translator().Translate("Collected");
    delete client;
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(OpenMutexA("DQ_single"), 0u);
  }
  // The translator wrote its file when the component went.
  QFile collected(dir.filePath("single.itl"));
  EXPECT_TRUE(collected.open(QIODevice::ReadOnly));
  EXPECT_EQ(collected.readAll(), QByteArray("[Collected]=Collected|$$\r\n"));
  QDir::setCurrent(previous);

  // A new component can be made once the old one is gone.
  QWidget owner;
  auto* again = new TkdbDemonClient(&owner, {"/opt/sim/single"}, "/opt/sim/single");
  EXPECT_TRUE(IsWindow(again->OwnEntity().Window));
}
