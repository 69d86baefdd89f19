#pragma once
// Named mutexes as lock files in the private host-link directory
// (WindowMessages.h), held with an open-file-description lock for the life of
// the handle: a program that crashes leaves no stale lock. Only the lock's
// existence matters here, as in the single-instance check, and testing it never
// takes it. The holder can keep a short note (its window) beside the lock.
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

// Replaces the note of a mutex this handle owns, as a whole.
bool WriteMutexNote(HANDLE mutex, const QByteArray& note);
// The note of a held mutex; empty when it is not held or has none. It may be
// an earlier holder's note until the present holder has written its own.
QByteArray ReadMutexNote(const QString& name);

constexpr quint32 ERROR_ALREADY_EXISTS = 183;

} // namespace Platform
