#include "Processes.h"

#include "WindowMessages.h"

#include <QFile>
#include <QList>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef P_PIDFD
#define P_PIDFD 3
#endif

namespace Platform {
namespace {

constexpr quint32 StillActive = 259;

quint32 DecodeStatus(int status) {
  if (WIFEXITED(status)) return quint32(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return quint32(128 + WTERMSIG(status));
  return StillActive;
}

// The exit status of an ended process that is not our child, read while it
// waits to be collected by its parent (/proc/<pid>/stat, field 52).
bool ExitStatusFromProc(qint64 pid, quint32* exitCode) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = stat.readAll();
  const qsizetype close = text.lastIndexOf(')');
  if (close < 0) return false;
  const QList<QByteArray> fields = text.mid(close + 2).trimmed().split(' ');
  // fields[0] is field 3 (the state); field 52 is the exit code.
  if (fields.size() < 50 || (fields[0] != "Z" && fields[0] != "X")) return false;
  bool ok = false;
  const int status = fields[49].toInt(&ok);
  if (!ok) return false;
  *exitCode = DecodeStatus(status);
  return true;
}

} // namespace

HANDLE OpenProcess(quint32, bool, quint32 processId) {
  if (processId == 0 || processId > 0x7FFFFFFF) {
    SetLastError(87, QStringLiteral("The parameter is incorrect."));
    return 0;
  }
  const long fd = ::syscall(SYS_pidfd_open, pid_t(processId), 0);
  if (fd < 0) {
    SetLastError(87, QStringLiteral("The parameter is incorrect."));
    return 0;
  }
  ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
  return Detail::AddHandle(int(fd), Detail::THandleKind::Process, processId);
}

quint32 WaitForSingleObject(HANDLE handle, quint32 milliseconds) {
  const int fd = Detail::HandleDescriptor(handle, Detail::THandleKind::Process);
  if (fd < 0) return WAIT_FAILED;
  pollfd p{fd, POLLIN, 0};
  for (;;) {
    const int timeout = milliseconds == INFINITE ? -1 : int(std::min<quint32>(milliseconds, 0x7FFFFFFF));
    const int n = ::poll(&p, 1, timeout);
    if (n > 0) return WAIT_OBJECT_0;
    if (n == 0) return WAIT_TIMEOUT;
    if (errno != EINTR) return WAIT_FAILED;
  }
}

bool GetExitCodeProcess(HANDLE process, quint32* exitCode) {
  qint64 pid = 0;
  const int fd = Detail::HandleDescriptor(process, Detail::THandleKind::Process, &pid);
  if (fd < 0 || !exitCode) return false;
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 0) == 0) {
    *exitCode = StillActive;
    return true;
  }
  siginfo_t info{};
  if (::waitid(idtype_t(P_PIDFD), id_t(fd), &info, WEXITED | WNOHANG) == 0 && info.si_pid != 0) {
    *exitCode = info.si_code == CLD_EXITED ? quint32(info.si_status) : quint32(128 + info.si_status);
    return true;
  }
  return ExitStatusFromProc(pid, exitCode);
}

void ExitProcess(int exitCode) {
  DestroyAllWindows();
  std::fflush(nullptr);
  ::_exit(exitCode);
}

} // namespace Platform
