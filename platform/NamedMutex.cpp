#include "NamedMutex.h"

#include "WindowMessages.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Platform {
namespace {

// The lock file of a mutex; empty for names that cannot be file names.
QString LockPath(const QString& name) {
  if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QChar(0)) || name == QLatin1String(".") ||
      name == QLatin1String("..") || name.endsWith(QLatin1String(".sock")) || name.endsWith(QLatin1String(".win"))) {
    SetLastError(123, QStringLiteral("The filename, directory name, or volume label syntax is incorrect."));
    return QString();
  }
  QString problem;
  const QString dir = HostLinkDirectory(&problem);
  if (dir.isEmpty()) {
    SetLastError(5, problem);
    return QString();
  }
  return dir + name;
}

void FailWithErrno(const QString& path) {
  const int e = errno;
  SetLastError(0x20000000u | quint32(e), QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(e))));
}

} // namespace

HANDLE CreateMutexA(const QString& name) {
  const QString path = LockPath(name);
  if (path.isEmpty()) return 0;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    FailWithErrno(path);
    return 0;
  }
  int r;
  do r = ::flock(fd, LOCK_EX | LOCK_NB);
  while (r != 0 && errno == EINTR);
  if (r != 0 && errno != EWOULDBLOCK) {
    FailWithErrno(path);
    ::close(fd);
    return 0;
  }
  const bool owned = r == 0; // else held by another handle: opened, not owned
  const HANDLE h = Detail::AddHandle(fd, Detail::THandleKind::Mutex);
  if (h == 0) return 0;
  if (owned) {
    SetLastError(0);
    if (::ftruncate(int(h), 0) != 0) { /* a stale note does no harm */ }
  } else {
    SetLastError(ERROR_ALREADY_EXISTS, QStringLiteral("Cannot create a file when that file already exists."));
  }
  return h;
}

HANDLE OpenMutexA(const QString& name) {
  const QString path = LockPath(name);
  if (path.isEmpty()) return 0;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    SetLastError(2, QStringLiteral("The system cannot find the file specified."));
    return 0;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    // Nobody holds it: a lock file left by an ended program is no mutex.
    ::flock(fd, LOCK_UN);
    ::close(fd);
    SetLastError(2, QStringLiteral("The system cannot find the file specified."));
    return 0;
  }
  return Detail::AddHandle(fd, Detail::THandleKind::Mutex);
}

bool WriteMutexNote(HANDLE mutex, const QByteArray& note) {
  const int fd = Detail::HandleDescriptor(mutex, Detail::THandleKind::Mutex);
  if (fd < 0) return false;
  if (::ftruncate(fd, 0) != 0) return false;
  return ::pwrite(fd, note.constData(), size_t(note.size()), 0) == ssize_t(note.size());
}

QByteArray ReadMutexNote(const QString& name) {
  const HANDLE h = OpenMutexA(name);
  if (h == 0) return QByteArray();
  QByteArray note(256, Qt::Uninitialized);
  const ssize_t n = ::pread(Detail::HandleDescriptor(h, Detail::THandleKind::Mutex), note.data(), size_t(note.size()), 0);
  CloseHandle(h);
  return n > 0 ? note.left(n) : QByteArray();
}

} // namespace Platform
