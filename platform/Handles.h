#pragma once
// Kernel object handles of the host link: single-instance locks (NamedMutex.h)
// and process handles (Processes.h). A handle is a file descriptor; 0 is none.
#include <QtGlobal>

namespace Platform {

using HANDLE = quint32;

// Closes a handle of either kind; false for 0 or an unknown handle.
bool CloseHandle(HANDLE handle);

} // namespace Platform

namespace Platform::Detail {
// The table of open handles, shared by the kinds of handles.
enum class THandleKind { Mutex, Process };
HANDLE AddHandle(int fd, THandleKind kind, qint64 processId = 0);
// The descriptor of a handle of that kind, or -1.
int HandleDescriptor(HANDLE handle, THandleKind kind, qint64* processId = nullptr);
} // namespace Platform::Detail
