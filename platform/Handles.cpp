#include "Handles.h"

#include <QMutex>
#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace Platform {
namespace {
struct Entry {
  Detail::THandleKind kind;
  qint64 processId;
};
QMutex tableLock;
std::map<int, Entry>& Table() {
  static std::map<int, Entry> table;
  return table;
}
} // namespace

namespace Detail {
HANDLE AddHandle(int fd, THandleKind kind, qint64 processId) {
  if (fd < 0) return 0;
  // Keep handles clear of the standard descriptors so that 0 never is one.
  if (fd < 3) {
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    if (moved < 0) return 0;
    fd = moved;
  }
  QMutexLocker lock(&tableLock);
  Table()[fd] = Entry{kind, processId};
  return HANDLE(fd);
}

int HandleDescriptor(HANDLE handle, THandleKind kind, qint64* processId) {
  QMutexLocker lock(&tableLock);
  auto it = Table().find(int(handle));
  if (handle == 0 || it == Table().end() || it->second.kind != kind) return -1;
  if (processId) *processId = it->second.processId;
  return int(handle);
}
} // namespace Detail

bool CloseHandle(HANDLE handle) {
  {
    QMutexLocker lock(&tableLock);
    auto it = Table().find(int(handle));
    if (handle == 0 || it == Table().end()) return false;
    Table().erase(it);
  }
  return ::close(int(handle)) == 0;
}

} // namespace Platform
