#include "WindowMessages.h"

#include "Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Platform {
namespace {

// Frames on the wire, little-endian:
//   request: magic "KHLM", target window, message, wParam (sender's window),
//            dwData (kind), cbData, then cbData bytes of data
//   result:  magic "KHLR", 64-bit result of the receiver's window procedure
constexpr quint32 RequestMagic = 0x4D4C484B;
constexpr quint32 ResultMagic = 0x524C484B;
constexpr int RequestHeaderSize = 24;
constexpr int ResultSize = 12;
// A connection must deliver its whole frame within this time.
constexpr qint64 IncomingLimitMs = 10000;
// What same-user peers can make this process hold: open incoming connections
// and the bytes buffered for them, across all windows (see SetIncomingLimits).
std::atomic<int> maxIncoming{TIncomingLimits().connections};
std::atomic<qint64> maxIncomingBytes{TIncomingLimits().bytes};

// Error numbers as the desktop platform reports them; system errors carry errno
// in the low bits.
constexpr quint32 ErrorInvalidWindowHandle = 1400;
constexpr quint32 ErrorCannotFindClass = 1407;
constexpr quint32 ErrorClassAlreadyExists = 1410;
constexpr quint32 ErrorTimeout = ERROR_TIMEOUT;
constexpr quint32 ErrorNotSupported = 50;
constexpr quint32 ErrorNoReply = 1236;
constexpr quint32 ErrorAccessDenied = 5;
constexpr quint32 SystemErrorBit = 0x20000000;

thread_local quint32 lastError = 0;
thread_local QString lastErrorText;

std::atomic<int> sendTimeoutMs{30000};

void FailWithErrno(const QString& what, int error) {
  SetLastError(SystemErrorBit | quint32(error), QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error))));
}

qint64 NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PutU32(char* p, quint32 v) {
  for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
quint32 GetU32(const char* p) {
  quint32 v = 0;
  for (int i = 0; i < 4; ++i) v |= quint32(quint8(p[i])) << (8 * i);
  return v;
}

QString HandleText(HWND h) { return QStringLiteral("%1").arg(h, 8, 16, QLatin1Char('0')).toUpper(); }

bool FillAddress(const QString& path, sockaddr_un& addr) {
  const QByteArray p = QFile::encodeName(path);
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (p.size() >= qsizetype(sizeof addr.sun_path)) return false;
  std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
  return true;
}

bool PeerIsSameUser(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
  return cred.uid == geteuid();
}

// Connects to a window's socket; -1 with the last error set when it does not answer.
int ConnectToPath(const QString& path, qint64 deadline) {
  sockaddr_un addr;
  if (!FillAddress(path, addr)) {
    SetLastError(SystemErrorBit | ENAMETOOLONG, QStringLiteral("%1: path too long for a socket").arg(path));
    return -1;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    FailWithErrno(QStringLiteral("socket"), errno);
    return -1;
  }
  for (;;) {
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) break;
    const int e = errno;
    if (e == EINTR) continue;
    if (e == EAGAIN && NowMs() < deadline) {
      // The receiver's queue of connections is full: it is busy, not gone.
      usleep(5000);
      continue;
    }
    ::close(fd);
    if (e == ENOENT || e == ECONNREFUSED)
      SetLastError(ErrorInvalidWindowHandle, QStringLiteral("Invalid window handle."));
    else
      FailWithErrno(path, e);
    return -1;
  }
  if (!PeerIsSameUser(fd)) {
    ::close(fd);
    SetLastError(ErrorAccessDenied, QStringLiteral("Access is denied."));
    return -1;
  }
  return fd;
}

struct Window {
  HWND hwnd = 0;
  QString className, title;
  int fd = -1;
  QString socketPath, infoPath;
  WNDPROC proc;
  QSocketNotifier* notifier = nullptr;
};

struct Incoming {
  quint64 id = 0;
  int fd = -1;
  HWND target = 0;
  QByteArray header; // the request header, then
  QByteArray data;   // the WM_COPYDATA's data (cbData bytes), handed over without a copy
  qint64 deadline = 0;
  bool dispatching = false;
  QSocketNotifier* notifier = nullptr;
};

void RetireNotifier(QSocketNotifier*& n) {
  if (!n) return;
  n->setEnabled(false);
  n->deleteLater();
  n = nullptr;
}

class Transport {
public:
  static Transport& Get() {
    static Transport* transport = new Transport; // lives until the process ends
    return *transport;
  }

  bool OnOwnerThread() const { return owner_ == std::this_thread::get_id(); }

  bool RegisterClass(const QString& name) {
    if (!ClaimThread()) return false;
    if (FindClass(name) >= 0) {
      SetLastError(ErrorClassAlreadyExists, QStringLiteral("Class already exists."));
      return false;
    }
    classes_.push_back(name);
    return true;
  }

  bool UnregisterClass(const QString& name) {
    const int i = OnOwnerThread() ? FindClass(name) : -1;
    if (i < 0) {
      SetLastError(ErrorCannotFindClass, QStringLiteral("Class does not exist."));
      return false;
    }
    classes_.erase(classes_.begin() + i);
    return true;
  }

  HWND CreateWindow(const QString& className, const QString& title) {
    if (!OnOwnerThread() || FindClass(className) < 0) {
      SetLastError(ErrorCannotFindClass, QStringLiteral("Cannot find window class."));
      return 0;
    }
    QString problem;
    const QString dir = HostLinkDirectory(&problem);
    if (dir.isEmpty()) {
      SetLastError(SystemErrorBit | EACCES, problem);
      return 0;
    }
    SweepDeadWindows(dir);
    auto w = std::make_unique<Window>();
    w->className = className;
    w->title = title;
    for (int attempt = 0; attempt < 64 && w->fd < 0; ++attempt) {
      HWND h = 0;
      while (h == 0 || windows_.count(h)) h = QRandomGenerator::system()->generate();
      const QString socketPath = dir + HandleText(h) + QStringLiteral(".sock");
      sockaddr_un addr;
      if (!FillAddress(socketPath, addr)) {
        SetLastError(SystemErrorBit | ENAMETOOLONG, QStringLiteral("%1: path too long for a socket").arg(socketPath));
        return 0;
      }
      const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      if (fd < 0) {
        FailWithErrno(QStringLiteral("socket"), errno);
        return 0;
      }
      if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EADDRINUSE) {
          // A left-over of a program that died: clear it and try that handle again later.
          if (!Answers(socketPath)) RemoveFiles(dir + HandleText(h));
          continue;
        }
        FailWithErrno(socketPath, e);
        return 0;
      }
      ::chmod(QFile::encodeName(socketPath).constData(), 0600);
      if (::listen(fd, 64) != 0) {
        FailWithErrno(socketPath, errno);
        ::close(fd);
        ::unlink(QFile::encodeName(socketPath).constData());
        return 0;
      }
      w->hwnd = h;
      w->fd = fd;
      w->socketPath = socketPath;
      w->infoPath = dir + HandleText(h) + QStringLiteral(".win");
    }
    if (w->fd < 0) {
      SetLastError(SystemErrorBit | EADDRINUSE, QStringLiteral("No free window handle."));
      return 0;
    }
    if (!WriteInfo(*w)) {
      ::close(w->fd);
      ::unlink(QFile::encodeName(w->socketPath).constData());
      return 0;
    }
    w->proc = DefWindowProcA;
    const HWND h = w->hwnd;
    if (QCoreApplication::instance()) {
      w->notifier = new QSocketNotifier(w->fd, QSocketNotifier::Read);
      QObject::connect(w->notifier, &QSocketNotifier::activated, [this, h] { AcceptAll(h); });
    }
    windows_[h] = std::move(w);
    static const bool cleanupRegistered = [] {
      std::atexit(DestroyAllWindows);
      return true;
    }();
    Q_UNUSED(cleanupRegistered);
    return h;
  }

  bool Destroy(HWND h) {
    auto it = OnOwnerThread() ? windows_.find(h) : windows_.end();
    if (it == windows_.end()) {
      SetLastError(ErrorInvalidWindowHandle, QStringLiteral("Invalid window handle."));
      return false;
    }
    std::unique_ptr<Window> w = std::move(it->second);
    windows_.erase(it);
    RetireNotifier(w->notifier);
    CloseWindowFiles(*w);
    // Connections to it that are still arriving will not be handled.
    std::vector<quint64> stale;
    for (auto& [id, c] : incoming_)
      if (c->target == h && !c->dispatching) stale.push_back(id);
    for (quint64 id : stale) CloseIncoming(id);
    return true;
  }

  void DestroyAll() {
    // For the end of the process: only files and descriptors are released.
    for (auto& [h, w] : windows_) CloseWindowFiles(*w);
  }

  WNDPROC SetProc(HWND h, WNDPROC proc) {
    Window* w = OwnWindow(h);
    if (!w) {
      SetLastError(ErrorInvalidWindowHandle, QStringLiteral("Invalid window handle."));
      return {};
    }
    WNDPROC previous = std::move(w->proc);
    w->proc = proc ? std::move(proc) : WNDPROC(DefWindowProcA);
    return previous;
  }

  Window* OwnWindow(HWND h) {
    if (!OnOwnerThread()) return nullptr;
    auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : it->second.get();
  }

  HWND Find(const QString& className, const QString& title) {
    const QString dir = HostLinkDirectory();
    if (dir.isEmpty()) return 0;
    HWND best = 0;
    QDateTime bestTime;
    const QFileInfoList infos = QDir(dir).entryInfoList({QStringLiteral("*.win")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& info : infos) {
      bool ok = false;
      const HWND h = info.completeBaseName().toUInt(&ok, 16);
      if (!ok || h == 0 || info.completeBaseName().size() != 8) continue;
      QFile file(info.filePath());
      if (!file.open(QIODevice::ReadOnly)) continue;
      const QList<QByteArray> lines = file.read(16384).split('\n');
      if (lines.size() < 3) continue;
      const QString cls = QString::fromUtf8(QByteArray::fromPercentEncoding(lines[1]));
      const QString ttl = QString::fromUtf8(QByteArray::fromPercentEncoding(lines[2]));
      if (cls.compare(className, Qt::CaseInsensitive) != 0 || ttl.compare(title, Qt::CaseInsensitive) != 0) continue;
      if (!Alive(h)) {
        // Left behind by a program that died: tidy up when its process is gone.
        const pid_t pid = pid_t(lines[0].trimmed().toLongLong());
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) RemoveFiles(dir + HandleText(h));
        continue;
      }
      const QDateTime t = info.lastModified();
      if (best == 0 || t > bestTime) {
        best = h;
        bestTime = t;
      }
    }
    return best;
  }

  bool Alive(HWND h) {
    if (h == 0) return false;
    if (OwnWindow(h)) return true;
    const QString dir = HostLinkDirectory();
    return !dir.isEmpty() && Answers(dir + HandleText(h) + QStringLiteral(".sock"));
  }

  LRESULT Send(HWND to, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (to == 0) {
      SetLastError(ErrorInvalidWindowHandle, QStringLiteral("Invalid window handle."));
      return 0;
    }
    if (Window* w = OwnWindow(to)) {
      const WNDPROC proc = w->proc; // the window may change or go during the call
      return proc ? proc(to, msg, wParam, lParam) : 0;
    }
    if (msg != WM_COPYDATA || lParam == 0) {
      SetLastError(ErrorNotSupported, QStringLiteral("The request is not supported."));
      return 0;
    }
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (cds->cbData > MaxCopyDataSize || (cds->cbData > 0 && !cds->lpData)) {
      SetLastError(ErrorNotSupported, QStringLiteral("The data is too large to send."));
      return 0;
    }
    const QString dir = HostLinkDirectory();
    if (dir.isEmpty()) return 0;
    const qint64 deadline = NowMs() + sendTimeoutMs.load();
    const int fd = ConnectToPath(dir + HandleText(to) + QStringLiteral(".sock"), deadline);
    if (fd < 0) return 0;

    QByteArray frame(RequestHeaderSize, Qt::Uninitialized);
    PutU32(frame.data(), RequestMagic);
    PutU32(frame.data() + 4, to);
    PutU32(frame.data() + 8, msg);
    PutU32(frame.data() + 12, quint32(wParam));
    PutU32(frame.data() + 16, cds->dwData);
    PutU32(frame.data() + 20, cds->cbData);
    if (cds->cbData) frame.append(static_cast<const char*>(cds->lpData), qsizetype(cds->cbData));

    const bool servicing = OnOwnerThread();
    if (servicing) ++depth_;
    LRESULT result = 0;
    bool answered = false, timedOut = false;
    qsizetype written = 0;
    QByteArray answer;
    for (;;) {
      const qint64 now = NowMs();
      if (now >= deadline) {
        timedOut = true;
        break;
      }
      std::vector<pollfd> fds;
      fds.push_back({fd, short(written < frame.size() ? POLLOUT : POLLIN), 0});
      std::vector<HWND> listeners;
      std::vector<quint64> connections;
      qint64 wait = deadline - now;
      if (servicing) {
        for (auto& [h, w] : windows_) {
          fds.push_back({w->fd, POLLIN, 0});
          listeners.push_back(h);
        }
        for (auto& [id, c] : incoming_) {
          if (c->dispatching) continue;
          fds.push_back({c->fd, POLLIN, 0});
          connections.push_back(id);
          wait = std::min(wait, std::max<qint64>(0, c->deadline - now));
        }
      }
      const int n = ::poll(fds.data(), nfds_t(fds.size()), int(std::min<qint64>(wait, 1000)));
      if (n < 0) {
        if (errno == EINTR) continue;
        FailWithErrno(QStringLiteral("poll"), errno);
        break;
      }
      const short own = fds[0].revents;
      bool finished = false;
      if (written < frame.size()) {
        if (own & POLLOUT) {
          const ssize_t k = ::send(fd, frame.constData() + written, size_t(frame.size() - written), MSG_NOSIGNAL);
          if (k > 0) written += k;
          else if (k < 0 && errno != EAGAIN && errno != EINTR) finished = true;
        } else if (own & (POLLERR | POLLHUP | POLLNVAL)) {
          finished = true;
        }
      } else if (own & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) {
        char buf[ResultSize];
        const ssize_t k = ::recv(fd, buf, size_t(ResultSize - answer.size()), 0);
        if (k > 0) {
          answer.append(buf, k);
          if (answer.size() == ResultSize) {
            if (GetU32(answer.constData()) == ResultMagic) {
              result = LRESULT(qint64(quint64(GetU32(answer.constData() + 4)) | (quint64(GetU32(answer.constData() + 8)) << 32)));
              answered = true;
            }
            finished = true;
          }
        } else if (k == 0 || (errno != EAGAIN && errno != EINTR)) {
          finished = true;
        }
      }
      if (finished) break;
      if (servicing) {
        for (size_t i = 0; i < listeners.size(); ++i)
          if (fds[1 + i].revents) AcceptAll(listeners[i]);
        for (size_t i = 0; i < connections.size(); ++i)
          if (fds[1 + listeners.size() + i].revents) ReadIncoming(connections[i]);
        ExpireIncoming();
      }
    }
    ::close(fd);
    if (timedOut)
      SetLastError(ErrorTimeout, QStringLiteral("This operation returned because the timeout period expired."));
    else if (!answered)
      SetLastError(ErrorNoReply, QStringLiteral("The receiver ended without an answer."));
    else
      SetLastError(0);
    if (servicing && --depth_ == 0) ReportDeferred();
    return result;
  }

private:
  Transport() = default;

  bool ClaimThread() {
    if (owner_ == std::thread::id()) owner_ = std::this_thread::get_id();
    if (OnOwnerThread()) return true;
    SetLastError(ErrorAccessDenied, QStringLiteral("Windows belong to the thread that created the first one."));
    return false;
  }

  int FindClass(const QString& name) const {
    for (size_t i = 0; i < classes_.size(); ++i)
      if (classes_[i].compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
  }

  static bool Answers(const QString& socketPath) {
    const int fd = ConnectToPath(socketPath, NowMs() + 1000);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }

  // Removes the windows of processes that ended without removing them.
  static void SweepDeadWindows(const QString& dir) {
    const QFileInfoList infos = QDir(dir).entryInfoList({QStringLiteral("*.win")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& info : infos) {
      QFile file(info.filePath());
      if (!file.open(QIODevice::ReadOnly)) continue;
      const pid_t pid = pid_t(file.readLine(32).trimmed().toLongLong());
      if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) RemoveFiles(dir + info.completeBaseName());
    }
  }

  static void RemoveFiles(const QString& base) {
    ::unlink(QFile::encodeName(base + QStringLiteral(".win")).constData());
    ::unlink(QFile::encodeName(base + QStringLiteral(".sock")).constData());
  }

  static void CloseWindowFiles(Window& w) {
    if (w.fd < 0) return;
    ::unlink(QFile::encodeName(w.infoPath).constData());
    ::unlink(QFile::encodeName(w.socketPath).constData());
    ::close(w.fd);
    w.fd = -1;
  }

  static bool WriteInfo(const Window& w) {
    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + w.className.toUtf8().toPercentEncoding() +
                            '\n' + w.title.toUtf8().toPercentEncoding() + '\n';
    const QByteArray temp = QFile::encodeName(w.infoPath) + ".tmp" + QByteArray::number(qint64(::getpid()));
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
      FailWithErrno(w.infoPath, errno);
      return false;
    }
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == ssize_t(text.size());
    ::close(fd);
    if (!ok || ::rename(temp.constData(), QFile::encodeName(w.infoPath).constData()) != 0) {
      FailWithErrno(w.infoPath, errno ? errno : EIO);
      ::unlink(temp.constData());
      return false;
    }
    return true;
  }

  void AcceptAll(HWND h) {
    for (;;) {
      Window* w = OwnWindow(h);
      if (!w) return;
      const int fd = ::accept4(w->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return;
      }
      if (!PeerIsSameUser(fd) || !MakeRoomForConnection()) {
        ::close(fd);
        continue;
      }
      auto c = std::make_shared<Incoming>();
      c->id = ++nextId_;
      c->fd = fd;
      c->target = h;
      c->deadline = NowMs() + IncomingLimitMs;
      const quint64 id = c->id;
      if (QCoreApplication::instance()) {
        c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
        QObject::connect(c->notifier, &QSocketNotifier::activated, [this, id] { ReadIncoming(id); });
        if (!expiry_) {
          expiry_ = new QTimer;
          expiry_->setInterval(1000);
          QObject::connect(expiry_, &QTimer::timeout, [this] { ExpireIncoming(); });
        }
        if (!expiry_->isActive()) expiry_->start();
      }
      incoming_[id] = c;
      ReadIncoming(id);
    }
  }

  void ReadIncoming(quint64 id) {
    auto it = incoming_.find(id);
    if (it == incoming_.end()) return;
    std::shared_ptr<Incoming> c = it->second;
    if (c->dispatching) return;
    for (;;) {
      const bool inHeader = c->header.size() < RequestHeaderSize;
      const qsizetype want = inHeader ? RequestHeaderSize - c->header.size()
                                      : qsizetype(GetU32(c->header.constData() + 20)) - c->data.size();
      if (want <= 0) break;
      char buf[65536];
      const ssize_t k = ::recv(c->fd, buf, size_t(std::min<qsizetype>(want, qsizetype(sizeof buf))), 0);
      if (k == 0) {
        CloseIncoming(id); // the sender went away before its frame was complete
        return;
      }
      if (k < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN) CloseIncoming(id);
        return;
      }
      if (!MakeRoomForBytes(id, k)) return; // this connection was the one to go
      (inHeader ? c->header : c->data).append(buf, k);
      buffered_ += k;
      if (inHeader && c->header.size() == RequestHeaderSize) {
        const char* p = c->header.constData();
        if (GetU32(p) != RequestMagic || GetU32(p + 4) != c->target || GetU32(p + 8) != WM_COPYDATA ||
            GetU32(p + 20) > MaxCopyDataSize) {
          CloseIncoming(id); // not a frame of ours, or too large: refused, never trusted
          return;
        }
        // One block for the data: no copies while it grows. Only the pages that
        // arrive become resident, and only those count.
        c->data.reserve(qsizetype(GetU32(p + 20)));
      }
    }
    Dispatch(c);
  }

  void Dispatch(const std::shared_ptr<Incoming>& c) {
    pollfd peer{c->fd, 0, 0};
    if (::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLHUP | POLLERR))) {
      CloseIncoming(c->id); // the sender has given up waiting: it reported the message as not handled
      return;
    }
    c->dispatching = true;
    if (c->notifier) c->notifier->setEnabled(false);
    const char* p = c->header.constData();
    COPYDATASTRUCT cds;
    cds.dwData = GetU32(p + 16);
    cds.cbData = GetU32(p + 20);
    cds.lpData = cds.cbData ? c->data.constData() : nullptr;
    const WPARAM wParam = GetU32(p + 12);
    LRESULT result = 0;
    if (Window* w = OwnWindow(c->target)) {
      const WNDPROC proc = w->proc;
      try {
        if (proc) result = proc(c->target, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&cds));
      } catch (...) {
        ReportError(std::current_exception());
        result = 0;
      }
    }
    char answer[ResultSize];
    PutU32(answer, ResultMagic);
    PutU32(answer + 4, quint32(quint64(qint64(result)) & 0xFFFFFFFFu));
    PutU32(answer + 8, quint32(quint64(qint64(result)) >> 32));
    (void)::send(c->fd, answer, sizeof answer, MSG_NOSIGNAL);
    CloseIncoming(c->id);
  }

  void CloseIncoming(quint64 id) {
    auto it = incoming_.find(id);
    if (it == incoming_.end()) return;
    std::shared_ptr<Incoming> c = it->second;
    incoming_.erase(it);
    buffered_ -= c->header.size() + c->data.size();
    c->header = QByteArray();
    c->data = QByteArray();
    RetireNotifier(c->notifier);
    ::close(c->fd);
    c->fd = -1;
    if (incoming_.empty() && expiry_) expiry_->stop();
  }

  // Admits one more incoming connection by closing the oldest one whose frame
  // is still arriving when the limit is reached; false when every open one is
  // being handled. A request that is sent at once is never the oldest for long.
  bool MakeRoomForConnection() {
    if (int(incoming_.size()) < maxIncoming.load()) return true;
    for (auto& [id, c] : incoming_) {
      if (c->dispatching) continue;
      CloseIncoming(id); // the map is ordered by id: this is the oldest
      return true;
    }
    return false;
  }

  // Makes room for more bytes of connection id: closes the arriving connections
  // that hold more than id, then asks the holder of handed-over data to let go of
  // some; false when id itself had to go. Frames being handled and data still held
  // after their handling count as much as frames arriving.
  bool MakeRoomForBytes(quint64 id, qint64 more) {
    while (buffered_ + held_ + more > maxIncomingBytes.load()) {
      quint64 largest = id;
      qsizetype most = -1;
      for (auto& [other, c] : incoming_) {
        const qsizetype size = c->header.size() + c->data.size();
        if (c->dispatching || size <= most) continue;
        most = size;
        largest = other;
      }
      if (largest == id && reclaim_ && held_ > 0 && reclaim_()) continue;
      CloseIncoming(largest);
      if (largest == id) return false;
    }
    return true;
  }

public:
  int IncomingCount() const { return int(incoming_.size()); }
  qint64 BufferedBytes() const { return buffered_; }
  qint64 HeldBytes() const { return held_; }
  void SetReclaim(std::function<bool()> reclaim) { reclaim_ = std::move(reclaim); }

  // The data of the WM_COPYDATA being handled, taken from its connection without a
  // copy, or copied when it came from this process; counted until the claim ends.
  TCopyDataBytes Take(const COPYDATASTRUCT& cds) {
    TCopyDataBytes taken;
    if (cds.cbData == 0 || !cds.lpData) return taken;
    for (auto& [id, c] : incoming_) {
      if (!c->dispatching || c->data.constData() != cds.lpData) continue;
      buffered_ -= c->data.size();
      taken.bytes = std::move(c->data);
      c->data = QByteArray();
      break;
    }
    if (taken.bytes.isNull()) taken.bytes = QByteArray(static_cast<const char*>(cds.lpData), qsizetype(cds.cbData));
    const qint64 size = taken.bytes.size();
    held_ += size;
    taken.claim = std::shared_ptr<void>(nullptr, [this, size](void*) { held_ -= size; });
    return taken;
  }

private:
  void ExpireIncoming() {
    const qint64 now = NowMs();
    std::vector<quint64> expired;
    for (auto& [id, c] : incoming_)
      if (!c->dispatching && c->deadline <= now) expired.push_back(id);
    for (quint64 id : expired) CloseIncoming(id);
  }

  // An error of a window procedure is the application's to show; inside a wait
  // it is shown once the outermost send has returned.
  void ReportError(std::exception_ptr error) {
    if (depth_ > 0) deferred_.push_back(std::move(error));
    else TApplication::HandleException(error);
  }

  void ReportDeferred() {
    std::vector<std::exception_ptr> errors;
    errors.swap(deferred_);
    for (auto& e : errors) TApplication::HandleException(e);
  }

  std::thread::id owner_;
  std::vector<QString> classes_;
  std::map<HWND, std::unique_ptr<Window>> windows_;
  std::map<quint64, std::shared_ptr<Incoming>> incoming_;
  quint64 nextId_ = 0;
  qint64 buffered_ = 0; // bytes held for incoming connections
  qint64 held_ = 0;     // bytes of handed-over data still held by their receivers
  std::function<bool()> reclaim_;
  int depth_ = 0;
  std::vector<std::exception_ptr> deferred_;
  QTimer* expiry_ = nullptr;
};

} // namespace

bool RegisterClassA(const QString& className) { return Transport::Get().RegisterClass(className); }
bool UnregisterClassA(const QString& className) { return Transport::Get().UnregisterClass(className); }
HWND CreateWindowExA(const QString& className, const QString& title) {
  return Transport::Get().CreateWindow(className, title);
}
bool DestroyWindow(HWND window) { return Transport::Get().Destroy(window); }
WNDPROC SetWindowProc(HWND window, WNDPROC proc) { return Transport::Get().SetProc(window, std::move(proc)); }
LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }
HWND FindWindowExA(const QString& className, const QString& title) { return Transport::Get().Find(className, title); }
bool IsWindow(HWND window) { return Transport::Get().Alive(window); }
LRESULT SendMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Transport::Get().Send(window, msg, wParam, lParam);
}

quint32 GetLastError() { return lastError; }
QString GetLastErrorString() { return lastErrorText; }
void SetLastError(quint32 code, const QString& text) {
  lastError = code;
  lastErrorText = text;
}

void SetSendTimeout(int milliseconds) { sendTimeoutMs = std::max(1, milliseconds); }
int SendTimeout() { return sendTimeoutMs; }

TIncomingLimits IncomingLimits() { return {maxIncoming.load(), maxIncomingBytes.load()}; }
void SetIncomingLimits(const TIncomingLimits& limits) {
  maxIncoming = std::max(1, limits.connections);
  maxIncomingBytes = std::max<qint64>(RequestHeaderSize, limits.bytes);
}
int IncomingConnectionCount() { return Transport::Get().IncomingCount(); }
qint64 IncomingBufferedBytes() { return Transport::Get().BufferedBytes(); }
qint64 IncomingHeldBytes() { return Transport::Get().HeldBytes(); }
void SetIncomingReclaim(std::function<bool()> reclaim) { Transport::Get().SetReclaim(std::move(reclaim)); }
TCopyDataBytes TakeCopyData(const COPYDATASTRUCT& cds) { return Transport::Get().Take(cds); }

namespace {
// A directory of this user's own: a directory (symbolic links followed when
// follow is set), owned by this user.
bool OwnDirectory(const QByteArray& path, bool follow, struct stat& st) {
  return (follow ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st)) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == geteuid();
}

// Where the private directory goes: the runtime directory when it is this
// user's (not one inherited through sudo) and writable by nobody else, else the user's cache directory,
// which no other user can create first. Empty, with the reason, when neither.
QByteArray PrivateBase(QString& why) {
  struct stat st{};
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  // Others must not be able to add or swap entries in it either.
  if (runtime.startsWith('/') && OwnDirectory(runtime, true, st) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
    return runtime;
  QByteArray cache = qgetenv("XDG_CACHE_HOME");
  if (!cache.startsWith('/')) {
    QByteArray home = qgetenv("HOME");
    if (!home.startsWith('/')) {
      const passwd* user = ::getpwuid(geteuid());
      home = user && user->pw_dir ? QByteArray(user->pw_dir) : QByteArray();
    }
    if (!home.startsWith('/')) {
      why = QStringLiteral("neither XDG_RUNTIME_DIR nor a home folder is set");
      return QByteArray();
    }
    cache = home + "/.cache";
  }
  if (::mkdir(cache.constData(), 0700) != 0 && errno != EEXIST) {
    const int e = errno;
    why = QStringLiteral("%1: %2").arg(QFile::decodeName(cache), QString::fromLocal8Bit(std::strerror(e)));
    return QByteArray();
  }
  if (!OwnDirectory(cache, true, st)) {
    why = QStringLiteral("%1 is not a folder of this user").arg(QFile::decodeName(cache));
    return QByteArray();
  }
  return cache;
}
} // namespace

QString HostLinkDirectory(QString* error) {
  auto fail = [error](const QString& why) {
    if (error) *error = why;
    return QString();
  };
  QString why;
  const QByteArray base = PrivateBase(why);
  if (base.isEmpty()) return fail(why);
  const QByteArray dir = base + "/didacto";
  if (::mkdir(dir.constData(), 0700) == 0) {
    ::chmod(dir.constData(), 0700);
  } else if (errno != EEXIST) {
    const int e = errno;
    return fail(QStringLiteral("%1: %2").arg(QFile::decodeName(dir), QString::fromLocal8Bit(std::strerror(e))));
  }
  struct stat st{};
  if (!OwnDirectory(dir, false, st) || (st.st_mode & 077) != 0)
    return fail(QStringLiteral("%1 is not a private directory of this user").arg(QFile::decodeName(dir)));
  // Room for "/XXXXXXXX.sock" in a socket address.
  if (dir.size() + 15 >= qsizetype(sizeof(sockaddr_un::sun_path)))
    return fail(QStringLiteral("%1 is too long a path for the host link's sockets").arg(QFile::decodeName(dir)));
  return QFile::decodeName(dir) + QLatin1Char('/');
}

void DestroyAllWindows() { Transport::Get().DestroyAll(); }

} // namespace Platform
