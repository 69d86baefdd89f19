#pragma once
// Processes: handles to other processes (pidfd), waiting for them, their
// exit codes, and ending this process.
#include "Handles.h"

namespace Platform {

constexpr quint32 SYNCHRONIZE = 0x00100000;
constexpr quint32 INFINITE = 0xFFFFFFFF;
constexpr quint32 WAIT_OBJECT_0 = 0;
constexpr quint32 WAIT_TIMEOUT = 0x102;
constexpr quint32 WAIT_FAILED = 0xFFFFFFFF;

// A handle to a running (or ended but not yet collected) process; 0 when there
// is no such process.
HANDLE OpenProcess(quint32 desiredAccess, bool inheritHandle, quint32 processId);
// Waits until the process has ended (WAIT_OBJECT_0) or the time is up.
quint32 WaitForSingleObject(HANDLE handle, quint32 milliseconds);
// The exit code of an ended process: its exit status, or 128 + the signal that
// ended it. False when it cannot be known (the process was collected by its
// parent before it could be read).
bool GetExitCodeProcess(HANDLE process, quint32* exitCode);

// Ends this process at once: the host-link windows are removed, output is
// flushed, nothing else runs.
[[noreturn]] void ExitProcess(int exitCode);

} // namespace Platform
