#include "NamedMutex.h"

#include "WindowMessages.h"

#include <QFile>
#include "SaveFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Platform {
namespace {

// The lock file of a mutex; empty for names that cannot be file names.
QString LockPath(const QString& name) {
  if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QChar(0)) || name == QLatin1String(".") ||
      name == QLatin1String("..") || name.endsWith(QLatin1String(".sock")) || name.endsWith(QLatin1String(".win")) ||
      name.endsWith(QLatin1String(".note"))) {
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

// A write lock on the whole file, held by the open file description: it ends
// when the handle is closed or the process ends, and a query (F_OFD_GETLK)
// tests it without taking it, so a probe never stands in a starter's way.
struct flock WholeFile(short type) {
  struct flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

// The note of a mutex lies beside its lock file and is replaced as a whole.
QString NotePath(const QString& lockPath) { return lockPath + QStringLiteral(".note"); }

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
  struct flock lock = WholeFile(F_WRLCK);
  int r;
  do r = ::fcntl(fd, F_OFD_SETLK, &lock);
  while (r != 0 && errno == EINTR);
  if (r != 0 && errno != EAGAIN && errno != EACCES) {
    FailWithErrno(path);
    ::close(fd);
    return 0;
  }
  const bool owned = r == 0; // else held by another handle: opened, not owned
  const HANDLE h = Detail::AddHandle(fd, Detail::THandleKind::Mutex);
  if (h == 0) return 0;
  if (owned) {
    SetLastError(0);
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
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) {
    // Nobody holds it: a lock file left by an ended program is no mutex.
    ::close(fd);
    SetLastError(2, QStringLiteral("The system cannot find the file specified."));
    return 0;
  }
  return Detail::AddHandle(fd, Detail::THandleKind::Mutex);
}

bool WriteMutexNote(HANDLE mutex, const QByteArray& note) {
  const int fd = Detail::HandleDescriptor(mutex, Detail::THandleKind::Mutex);
  struct flock lock = WholeFile(F_WRLCK);
  // Only the holder writes the note.
  if (fd < 0 || ::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type != F_UNLCK) return false;
  const QString lockPath = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
  if (lockPath.isEmpty()) return false;
  // Written beside and renamed into place: a reader sees the old note or the new one, never a part.
  TSaveFile file(NotePath(lockPath));
  return file.open(QIODevice::WriteOnly) && file.write(note) == note.size() && file.commit();
}

QByteArray ReadMutexNote(const QString& name) {
  const HANDLE h = OpenMutexA(name);
  if (h == 0) return QByteArray();
  CloseHandle(h);
  QFile file(NotePath(LockPath(name)));
  return file.open(QIODevice::ReadOnly) ? file.read(256) : QByteArray();
}

} // namespace Platform
