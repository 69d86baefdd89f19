#pragma once
// Translation tables for the tests: one given as text, or one the program ships
// (resources/kalvora.itl, resources/kalvora-de.itl).
#include <QByteArray>
#include <QString>

class TLexivaran2000;

namespace TestTables {

// Loads the records of text ("[key]=text|$$...") into the engine.
void LoadTable(TLexivaran2000& engine, const QByteArray& text);
// Loads the shipped table of that file name; false (engine untouched) when it cannot be read.
bool LoadShippedTable(TLexivaran2000& engine, const QString& fileName);
// The folder of the shipped tables and pictures.
QString ResourcesFolder();

} // namespace TestTables
