// The transport under the host link: windows found by class and title,
// synchronous WM_COPYDATA between processes with replies arriving inside the
// wait, refusal of malformed frames and of other users, bounded waits, named
// mutexes, the registry value and process handles.
#include "HostlinkTestSupport.h"
#include "NamedMutex.h"
#include "Processes.h"
#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Platform;

namespace {

QString SocketPath(HWND h) { return TestRuntimeDir() + "/didacto/" + Hex(h) + ".sock"; }

// Connects, writes the bytes and reads until the other end closes (5 s at most).
QByteArray RawExchange(const QString& path, const QByteArray& bytes) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray p = QFile::encodeName(path);
  std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
  QByteArray answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    if (!bytes.isEmpty()) (void)::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    pollfd pfd{fd, POLLIN, 0};
    char buf[64];
    while (::poll(&pfd, 1, 5000) > 0) {
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      answer.append(buf, n);
    }
  } else {
    answer = "connect failed";
  }
  ::close(fd);
  return answer;
}

// Runs RawExchange on another thread while this one serves its windows.
QByteArray RawExchangeServed(const QString& path, const QByteArray& bytes) {
  std::atomic<bool> done{false};
  QByteArray answer;
  std::thread sender([&] {
    answer = RawExchange(path, bytes);
    done = true;
  });
  WaitUntil([&] { return done.load(); }, 10000);
  sender.join();
  return answer;
}

QByteArray Frame(quint32 magic, HWND target, quint32 msg, HWND from, quint32 kind, quint32 size, const QByteArray& data) {
  QByteArray f(24, 0);
  qToLittleEndian(magic, f.data());
  qToLittleEndian(target, f.data() + 4);
  qToLittleEndian(msg, f.data() + 8);
  qToLittleEndian(from, f.data() + 12);
  qToLittleEndian(kind, f.data() + 16);
  qToLittleEndian(size, f.data() + 20);
  return f + data;
}

constexpr quint32 RequestMagic = 0x4D4C484B;

// A window of this process that records what reaches it.
struct OwnWindow {
  explicit OwnWindow(const QString& cls, const QString& title = QString()) : className(cls) {
    EXPECT_TRUE(RegisterClassA(className));
    window = CreateWindowExA(className, title);
    EXPECT_NE(window, 0u);
    SetWindowProc(window, [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg != WM_COPYDATA) return 0;
      const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      got.push_back({cds->dwData, HWND(wParam), QByteArray(static_cast<const char*>(cds->lpData), qsizetype(cds->cbData))});
      if (onMessage) onMessage();
      return 0x1234;
    });
  }
  ~OwnWindow() {
    DestroyWindow(window);
    UnregisterClassA(className);
  }
  LRESULT Send(HWND to, quint32 kind, const QByteArray& data) {
    COPYDATASTRUCT cds;
    cds.dwData = kind;
    cds.cbData = quint32(data.size());
    cds.lpData = data.constData();
    return SendMessageA(to, WM_COPYDATA, window, reinterpret_cast<LPARAM>(&cds));
  }
  QString className;
  HWND window = 0;
  std::vector<TReceived> got;
  std::function<void()> onMessage;
};

QByteArray StringRequest(const QString& text) {
  TDidactoMessageStream m;
  m.TimeStamp = {1000, 2000};
  m.WriteString(text);
  return m.CopyData();
}

} // namespace

TEST(Transport, RoundTripWithAnotherProcessRepliesInsideTheWait) {
  ChildProcess server(ServerProgram(), {"--suffix", "rt"});
  const QStringList ready = server.Expect("ready");
  ASSERT_FALSE(ready.isEmpty()) << server.Log().toStdString();
  // Both names are compared without regard to case.
  const HWND serverWindow = FindWindowExA(DidactoServerWindowClass + "RT", DidactoServerWindowTitle + "rt");
  ASSERT_NE(serverWindow, 0u);
  EXPECT_EQ(ready.value(1), Hex(serverWindow));
  EXPECT_TRUE(IsWindow(serverWindow));
  EXPECT_EQ(FindWindowExA(DidactoServerWindowClass + "rt", "another title"), 0u);

  OwnWindow me("RoundTripClass");
  bool timerFired = false, timerFiredDuringWait = true;
  QTimer::singleShot(0, [&] { timerFired = true; });
  me.onMessage = [&] { timerFiredDuringWait = timerFired; };
  const LRESULT result = me.Send(serverWindow, dmStringRequest, StringRequest("hello"));
  EXPECT_EQ(result, 1);
  // The reply came in before the send returned, and no other event ran meanwhile.
  ASSERT_EQ(me.got.size(), 1u);
  EXPECT_FALSE(timerFiredDuringWait);
  EXPECT_EQ(me.got[0].kind, quint32(dmReply));
  EXPECT_EQ(me.got[0].from, serverWindow);
  EXPECT_EQ(me.got[0].data, Bytes("e8030000 d0070000 05000000") + "hello");
  EXPECT_EQ(server.Expect("request"), (QStringList{"request", "4105", Hex(me.window)}));
  WaitUntil([&] { return timerFired; }, 1000);
  EXPECT_TRUE(timerFired);

  // Messages to a window of this process go straight to its procedure.
  OwnWindow other("RoundTripOther");
  EXPECT_EQ(other.Send(me.window, 7, "abc"), 0x1234);
  EXPECT_EQ(me.got.back().data, QByteArray("abc"));
  EXPECT_EQ(me.got.back().from, other.window);
}

TEST(Transport, WindowsOfEndedProgramsAreGone) {
  HWND serverWindow = 0;
  {
    ChildProcess server(ServerProgram(), {"--suffix", "gone"});
    ASSERT_FALSE(server.Expect("ready").isEmpty());
    serverWindow = FindWindowExA(DidactoServerWindowClass + "gone", DidactoServerWindowTitle + "gone");
    ASSERT_NE(serverWindow, 0u);
    server.Kill(); // no chance to clean up
  }
  EXPECT_TRUE(QFile::exists(SocketPath(serverWindow)));
  EXPECT_FALSE(IsWindow(serverWindow));
  EXPECT_EQ(FindWindowExA(DidactoServerWindowClass + "gone", DidactoServerWindowTitle + "gone"), 0u);
  EXPECT_FALSE(QFile::exists(SocketPath(serverWindow))); // the left-overs were tidied
  // Left-overs nobody looks for go when the next window is made.
  HWND left = 0;
  {
    ChildProcess server(ServerProgram(), {"--suffix", "gone2"});
    ASSERT_FALSE(server.Expect("ready").isEmpty());
    left = FindWindowExA(DidactoServerWindowClass + "gone2", DidactoServerWindowTitle + "gone2");
    server.Kill();
  }
  EXPECT_TRUE(QFile::exists(SocketPath(left)));
  OwnWindow me("GoneClass");
  EXPECT_FALSE(QFile::exists(SocketPath(left)));
  EXPECT_EQ(me.Send(serverWindow, dmStringRequest, StringRequest("x")), 0);
  EXPECT_EQ(me.Send(0, dmStringRequest, StringRequest("x")), 0);
  EXPECT_FALSE(IsWindow(0));
}

TEST(Transport, ReceiversThatDieOrHangEndTheWait) {
  OwnWindow me("DyingPeerClass");
  {
    ChildProcess server(ServerProgram(), {"--suffix", "die", "--die-on", "4105"});
    ASSERT_FALSE(server.Expect("ready").isEmpty());
    const HWND h = FindWindowExA(DidactoServerWindowClass + "die", DidactoServerWindowTitle + "die");
    EXPECT_EQ(me.Send(h, dmStringRequest, StringRequest("x")), 0);
    EXPECT_TRUE(me.got.empty());
    EXPECT_FALSE(server.Expect("dying").isEmpty());
  }
  {
    ChildProcess server(ServerProgram(), {"--suffix", "hang", "--hang-on", "4105"});
    ASSERT_FALSE(server.Expect("ready").isEmpty());
    const HWND h = FindWindowExA(DidactoServerWindowClass + "hang", DidactoServerWindowTitle + "hang");
    const int saved = SendTimeout();
    SetSendTimeout(800);
    EXPECT_EQ(me.Send(h, dmStringRequest, StringRequest("x")), 0);
    SetSendTimeout(saved);
    EXPECT_EQ(GetLastError(), 1460u);
    EXPECT_TRUE(me.got.empty());
  }
}

TEST(Transport, MalformedFramesAreRefusedAndTheWindowGoesOn) {
  OwnWindow me("MalformedClass");
  const QString path = SocketPath(me.window);
  const QByteArray good = Frame(RequestMagic, me.window, WM_COPYDATA, 42, 4105, 3, "abc");
  const QByteArray bad[] = {
      QByteArray(),                                                          // connect and close
      good.left(10),                                                          // cut in the header
      good.left(25),                                                          // cut in the data
      Frame(0x12345678, me.window, WM_COPYDATA, 42, 4105, 3, "abc"),          // not our magic
      Frame(RequestMagic, me.window + 1, WM_COPYDATA, 42, 4105, 3, "abc"),    // another window
      Frame(RequestMagic, me.window, 0x10, 42, 4105, 3, "abc"),               // not WM_COPYDATA
      Frame(RequestMagic, me.window, WM_COPYDATA, 42, 4105, 0xFFFFFFFF, "x"), // far too large
      Frame(RequestMagic, me.window, WM_COPYDATA, 42, 4105, MaxCopyDataSize + 1, "x"),
  };
  for (const QByteArray& frame : bad) {
    EXPECT_EQ(RawExchangeServed(path, frame), QByteArray()) << frame.toHex().toStdString();
    EXPECT_TRUE(me.got.empty());
  }
  // A proper frame after all that is handled, and its result comes back.
  const QByteArray answer = RawExchangeServed(path, good);
  ASSERT_EQ(me.got.size(), 1u);
  EXPECT_EQ(me.got[0].data, QByteArray("abc"));
  EXPECT_EQ(me.got[0].from, 42u);
  EXPECT_EQ(answer, Bytes("4b484c52 34120000 00000000"));
}

TEST(Transport, OnlyTheSameUserReachesAWindow) {
  const QString dir = TestRuntimeDir() + "/didacto";
  struct stat st{};
  ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";

  OwnWindow me("OtherUserClass");
  const QByteArray path = QFile::encodeName(SocketPath(me.window));
  const QByteArray frame = Frame(RequestMagic, me.window, WM_COPYDATA, 1, 4105, 1, "x");
  auto tryAsNobody = [&]() -> int {
    const pid_t pid = ::fork();
    if (pid == 0) {
      // As another user: 0 = connected and answered, 1 = connected but refused, 2 = not connected.
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
      if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) ::_exit(2);
      (void)::send(fd, frame.constData(), size_t(frame.size()), MSG_NOSIGNAL);
      char buf[16];
      pollfd pfd{fd, POLLIN, 0};
      const bool answered = ::poll(&pfd, 1, 5000) > 0 && ::recv(fd, buf, sizeof buf, 0) > 0;
      ::_exit(answered ? 0 : 1);
    }
    int status = -1;
    WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 10000);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  // The private directory keeps others out...
  EXPECT_EQ(tryAsNobody(), 2);
  // ...and were it open, the window itself refuses them.
  const QByteArray runtime = QFile::encodeName(TestRuntimeDir());
  ::chmod(runtime.constData(), 0711);
  ::chmod(QFile::encodeName(dir).constData(), 0777);
  ::chmod(path.constData(), 0777);
  const int opened = tryAsNobody();
  ::chmod(QFile::encodeName(dir).constData(), 0700);
  ::chmod(runtime.constData(), 0700);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(me.got.empty());
}

TEST(Transport, WindowsNeedAPrivateDirectoryAndARegisteredClass) {
  EXPECT_TRUE(RegisterClassA("TwiceClass"));
  EXPECT_FALSE(RegisterClassA("twiceclass"));
  EXPECT_EQ(GetLastErrorString(), "Class already exists.");
  EXPECT_TRUE(UnregisterClassA("TwiceClass"));
  EXPECT_EQ(CreateWindowExA("NeverRegistered", ""), 0u);

  QTemporaryDir elsewhere;
  ASSERT_TRUE(QDir().mkdir(elsewhere.filePath("didacto")));
  ::chmod(QFile::encodeName(elsewhere.filePath("didacto")).constData(), 0755);
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(elsewhere.path()));
  ASSERT_TRUE(RegisterClassA("OpenDirClass"));
  EXPECT_EQ(CreateWindowExA("OpenDirClass", ""), 0u);
  EXPECT_TRUE(GetLastErrorString().contains("not a private directory")) << GetLastErrorString().toStdString();
  EXPECT_EQ(CreateMutexA("DQ_open"), 0u);
  qputenv("XDG_RUNTIME_DIR", saved);
  UnregisterClassA("OpenDirClass");
}

namespace {
int OpenDescriptors() {
  return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}


// In a child process: opens 1,000 connections and holds them, then opens 1,000
// more that each send a frame header announcing the largest payload and then
// keep feeding it without ever finishing; writes a byte to ready when all that
// is in place and waits to be killed. Only system calls: the child of a
// threaded process must not allocate.
[[noreturn]] void Flood(const sockaddr_un& addr, const char* header, int ready) {
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4096);
  ::setrlimit(RLIMIT_NOFILE, &limit);
  static int held[1000], partial[1000];
  static char chunk[65536];
  auto connectOne = [&addr] {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  };
  for (int& fd : held) fd = connectOne();
  for (int& fd : partial) {
    fd = connectOne();
    if (fd >= 0 && ::send(fd, header, 24, MSG_NOSIGNAL) != 24) {
      ::close(fd);
      fd = -1;
    }
  }
  for (int round = 0; round < 64; ++round) {
    for (int& fd : partial) {
      if (fd < 0) continue;
      if (::send(fd, chunk, sizeof chunk, MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN) {
        ::close(fd); // the window closed it
        fd = -1;
      }
    }
  }
  (void)::write(ready, "x", 1);
  for (;;) ::pause();
}
} // namespace

TEST(Transport, FloodsOfConnectionsAndEndlessFramesStayBoundedAndRealRequestsAreAnswered) {
  OwnWindow me("FloodClass");
  // A smaller byte budget than the default, so that 64 endless frames exceed it.
  const TIncomingLimits saved = IncomingLimits();
  constexpr qint64 ByteLimit = 8 << 20;
  SetIncomingLimits({64, ByteLimit});
  const int descriptorsBefore = OpenDescriptors();
  const qint64 residentBefore = ResidentKiB();
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(SocketPath(me.window));
  std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
  const QByteArray header = Frame(RequestMagic, me.window, WM_COPYDATA, 1, 4105, MaxCopyDataSize, QByteArray());
  int ready[2];
  ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
  const pid_t child = ::fork();
  if (child == 0) Flood(addr, header.constData(), ready[1]);
  ::close(ready[1]);

  int connections = 0, descriptors = 0;
  qint64 bytes = 0, resident = 0;
  auto sample = [&] {
    connections = std::max(connections, IncomingConnectionCount());
    bytes = std::max(bytes, IncomingBufferedBytes());
    descriptors = std::max(descriptors, OpenDescriptors());
    resident = std::max(resident, ResidentKiB());
  };
  pollfd done{ready[0], POLLIN, 0};
  const bool flooded = WaitUntil([&] {
    sample();
    return ::poll(&done, 1, 0) > 0;
  }, 120000);
  WaitUntil([&] { // what is still queued
    sample();
    return false;
  }, 300);
  const QByteArray answer =
      RawExchangeServed(SocketPath(me.window), Frame(RequestMagic, me.window, WM_COPYDATA, 42, 4105, 3, "abc"));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  SetIncomingLimits(saved);

  EXPECT_TRUE(flooded);
  EXPECT_LE(connections, 64);
  EXPECT_GT(bytes, 0);
  EXPECT_LE(bytes, ByteLimit);
  EXPECT_LE(descriptors, descriptorsBefore + 64 + 16);
  // The address sanitizer keeps freed memory in quarantine: only its counters tell there.
  if (!AddressSanitized) {
    EXPECT_LT(resident - residentBefore, 64 * 1024) << "KiB more";
  }
  // A real request after all that still gets its reply.
  ASSERT_EQ(me.got.size(), 1u);
  EXPECT_EQ(me.got[0].data, QByteArray("abc"));
  EXPECT_EQ(answer, Bytes("4b484c52 34120000 00000000"));
}

TEST(NamedMutex, ExistsWhileAHandleHoldsIt) {
  EXPECT_EQ(OpenMutexA("DQ_mutex_test"), 0u);
  const HANDLE held = CreateMutexA("DQ_mutex_test");
  ASSERT_NE(held, 0u);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_TRUE(WriteMutexNote(held, "abc"));
  const HANDLE opened = OpenMutexA("DQ_mutex_test");
  EXPECT_NE(opened, 0u);
  EXPECT_EQ(ReadMutexNote("DQ_mutex_test"), QByteArray("abc"));
  const HANDLE second = CreateMutexA("DQ_mutex_test");
  EXPECT_NE(second, 0u);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(opened));
  EXPECT_TRUE(CloseHandle(held));
  EXPECT_FALSE(CloseHandle(held));
  // The lock file stays behind, but nobody holds it: no mutex.
  EXPECT_TRUE(QFile::exists(TestRuntimeDir() + "/didacto/DQ_mutex_test"));
  EXPECT_EQ(OpenMutexA("DQ_mutex_test"), 0u);
  EXPECT_EQ(ReadMutexNote("DQ_mutex_test"), QByteArray());
  for (const char* bad : {"", "a/b", "..", "x.sock"}) EXPECT_EQ(CreateMutexA(bad), 0u) << bad;
}

TEST(NamedMutex, ProbesAndNoteReadersNeverStandInTheHoldersWay) {
  // Another thread probes the mutex over and over: a starter must still take
  // it every time, as nobody holds it.
  std::atomic<bool> stop{false};
  std::atomic<int> probes{0};
  std::thread prober([&] {
    while (!stop) {
      if (const HANDLE h = OpenMutexA("DQ_probed")) CloseHandle(h);
      ++probes;
    }
  });
  int notOwned = 0;
  // Both run side by side for a while, however the threads are scheduled.
  for (int i = 0; i < 3000 || probes < 20000; ++i) {
    const HANDLE h = CreateMutexA("DQ_probed");
    ASSERT_NE(h, 0u);
    notOwned += GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(h);
    std::this_thread::sleep_for(std::chrono::microseconds(50)); // the prober runs on an unheld mutex
  }
  stop = true;
  prober.join();
  EXPECT_EQ(notOwned, 0);

  // A reader sees the holder's note whole while the holder writes it again.
  const HANDLE held = CreateMutexA("DQ_noted");
  ASSERT_NE(held, 0u);
  ASSERT_TRUE(WriteMutexNote(held, "1234ABCD"));
  stop = false;
  std::atomic<int> partial{0}, reads{0};
  std::thread reader([&] {
    while (!stop) {
      partial += ReadMutexNote("DQ_noted") != "1234ABCD";
      ++reads;
    }
  });
  for (int i = 0; i < 100 || reads < 2000; ++i) ASSERT_TRUE(WriteMutexNote(held, "1234ABCD"));
  stop = true;
  reader.join();
  EXPECT_EQ(partial.load(), 0);
  // Only the holder writes a note.
  const HANDLE other = CreateMutexA("DQ_noted");
  EXPECT_FALSE(WriteMutexNote(other, "0000BEEF"));
  CloseHandle(other);
  CloseHandle(held);
  EXPECT_EQ(ReadMutexNote("DQ_noted"), QByteArray());
}

TEST(Transport, WithoutARuntimeFolderTheUsersCacheHoldsThePrivateFolder) {
  const QByteArray saved[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("HOME"), qgetenv("XDG_CACHE_HOME")};
  QTemporaryDir home, cacheHome, taken, blocked;
  qunsetenv("XDG_RUNTIME_DIR");
  qunsetenv("XDG_CACHE_HOME");
  qputenv("HOME", QFile::encodeName(home.path()));
  QString why;
  // Not a predictable folder in /tmp: under the home folder's cache, made private.
  EXPECT_EQ(HostLinkDirectory(&why), home.path() + "/.cache/didacto/") << why.toStdString();
  struct stat st{};
  ASSERT_EQ(::stat(QFile::encodeName(home.path() + "/.cache/didacto").constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
  EXPECT_EQ(HostLinkDirectory(&why), cacheHome.path() + "/didacto/");
  // A runtime folder that is not an absolute path is no runtime folder.
  qputenv("XDG_RUNTIME_DIR", "relative/run");
  EXPECT_EQ(HostLinkDirectory(&why), cacheHome.path() + "/didacto/");

  // A folder of that name that others can enter, or no way to make one: none.
  qputenv("XDG_CACHE_HOME", QFile::encodeName(taken.path()));
  ASSERT_TRUE(QDir().mkdir(taken.filePath("didacto")));
  ::chmod(QFile::encodeName(taken.filePath("didacto")).constData(), 0755);
  EXPECT_EQ(HostLinkDirectory(&why), QString());
  EXPECT_TRUE(why.contains("not a private directory")) << why.toStdString();
  qunsetenv("XDG_CACHE_HOME");
  qputenv("HOME", QFile::encodeName(blocked.path()));
  QFile file(blocked.filePath(".cache"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_EQ(HostLinkDirectory(&why), QString());
  EXPECT_TRUE(why.contains("is not a folder of this user")) << why.toStdString();

  qputenv("XDG_RUNTIME_DIR", saved[0]);
  qputenv("HOME", saved[1]);
  if (saved[2].isEmpty()) qunsetenv("XDG_CACHE_HOME");
  else qputenv("XDG_CACHE_HOME", saved[2]);
}

TEST(Transport, ARuntimeFolderThatOthersCanWriteToIsRefusedLikeAForeignOne) {
  const QByteArray saved[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("XDG_CACHE_HOME")};
  QTemporaryDir runtime, cacheHome;
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
  const QByteArray path = QFile::encodeName(runtime.path());
  QString why;
  for (const mode_t mode : {0700u, 0750u, 0755u, 01700u}) {
    ::chmod(path.constData(), mode);
    EXPECT_EQ(HostLinkDirectory(&why), runtime.path() + "/didacto/") << std::oct << mode;
  }
  // Others could swap the private folder for one of theirs: the cache folder instead.
  for (const mode_t mode : {0770u, 0720u, 0707u, 0777u, 01777u, 0702u}) {
    ::chmod(path.constData(), mode);
    EXPECT_EQ(HostLinkDirectory(&why), cacheHome.path() + "/didacto/") << std::oct << mode;
  }
  ::chmod(path.constData(), 0700);
  qputenv("XDG_RUNTIME_DIR", saved[0]);
  if (saved[1].isEmpty()) qunsetenv("XDG_CACHE_HOME");
  else qputenv("XDG_CACHE_HOME", saved[1]);
}

TEST(Registry, TheViewerHandleValueFromTheSystemConfiguration) {
  const QString key = "\\Software\\Orvex\\quillon\\demon";
  WriteRegistryValue("");
  EXPECT_EQ(RegReadString(TRegistryRoot::HKEY_LOCAL_MACHINE, key, "ViewerHandle"), "");
  WriteRegistryValue("00A1");
  EXPECT_EQ(RegReadString(TRegistryRoot::HKEY_LOCAL_MACHINE, key, "ViewerHandle"), "00A1");
  EXPECT_EQ(RegReadString(TRegistryRoot::HKEY_LOCAL_MACHINE, key, "Other"), "");
  EXPECT_EQ(RegReadString(TRegistryRoot::HKEY_LOCAL_MACHINE, "\\Software\\Orvex\\quillon\\other", "ViewerHandle"), "");
  EXPECT_EQ(RegReadString(TRegistryRoot::HKEY_LOCAL_MACHINE, "nonsense", "ViewerHandle"), "");
  WriteRegistryValue("");
}

TEST(Processes, WaitingForAProcessAndItsExitCode) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::usleep(100000);
    ::_exit(7);
  }
  const HANDLE process = OpenProcess(SYNCHRONIZE, false, quint32(child));
  ASSERT_NE(process, 0u);
  quint32 code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 259u); // still running
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_FAILED);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, false, 0), 0u);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, false, 0x7FFFFFF0u), 0u);
}
