#pragma once
// File names that come from outside the program (the icon name of a
// translation table, a file fetched from the teaching server) name a file in
// the work area and nothing else: an absolute name or one with a folder part is
// refused, so nothing is read or written outside the work area.
#include "Exceptions.h"

#include <QByteArray>
#include <QString>

class TLexivaran2000;

// Whether name is a bare file name: not empty, not "." or "..", without "/" or
// "\" (so neither absolute nor with a folder part) and without NUL characters.
bool IsPlainFileName(const QString& name);

// The work area joined with a plain name as paths: "/w" and "/w/" both give "/w/name";
// an empty work area gives the name itself. Refuses a name that is not plain with an
// Exception whose message names the file (translated by translator when given).
QString WorkAreaFile(const QString& workArea, const QString& name, TLexivaran2000* translator);

// Writes bytes as the file name in the work area, replacing a file of that name as a
// whole or not at all. Everything happens relative to the opened work-area folder:
// the new file is made under a temporary name that no link can stand in for and then
// renamed onto name, so a symbolic link put there at any moment is replaced, never
// written through. A name that is a link when the write begins is refused; other
// failures throw an Exception that names the file.
void WriteWorkAreaFile(const QString& workArea, const QString& name, const QByteArray& bytes,
                       TLexivaran2000* translator);
