#pragma once
// File names that come from outside the program (the icon name of a
// translation table, a file fetched from the teaching server) name a file in
// the work area and nothing else: an absolute name or one with a folder part is
// refused, so nothing is read or written outside the work area.
#include "Exceptions.h"

#include <QString>

class TLexivaran2000;

// Whether name is a bare file name: not empty, not "." or "..", without "/" or
// "\" (so neither absolute nor with a folder part) and without NUL characters.
bool IsPlainFileName(const QString& name);

enum class TWorkAreaUse { Read, Write };

// workArea + name for a plain name. Refuses, with an Exception whose message
// names the file (translated by translator when given), a name that is not
// plain, and for writing one that names a symbolic link in the work area
// (the write would land wherever the link points).
QString WorkAreaFile(const QString& workArea, const QString& name, TLexivaran2000* translator, TWorkAreaUse use);
