#pragma once
// Named mutexes as lock files in the private host-link directory
// (WindowMessages.h), held with flock for the life of the handle: a program
// that crashes leaves no stale lock. Only the lock's existence matters here,
// as in the single-instance check; a short note (the holder's window) can be
// kept in the file.
#include "Handles.h"
#include <QByteArray>
#include <QString>

namespace Platform {

// Creates the mutex and takes it (initially owned). When another handle
// already holds it, the handle is still returned, with GetLastError() ==
// ERROR_ALREADY_EXISTS (183), and does not own it. 0 on failure.
HANDLE CreateMutexA(const QString& name);
// A handle when the mutex exists (someone holds it), else 0.
HANDLE OpenMutexA(const QString& name);

// The note kept in the lock file of a mutex this process created.
bool WriteMutexNote(HANDLE mutex, const QByteArray& note);
// The note of a held mutex; empty when it is not held or has none.
QByteArray ReadMutexNote(const QString& name);

constexpr quint32 ERROR_ALREADY_EXISTS = 183;

} // namespace Platform
