#pragma once
// The application's cursor table: numbered cursors, 0 the default arrow, -3 the
// cross, 1 .. n registered from cursor resources; setting the application-wide
// cursor overrides every window's cursor.
#include <QString>

class QCursor;

namespace Cursors {
constexpr int crDefault = 0;
constexpr int crCross = -3;

// Loads the cursor resource of that name (an image with its hot spot) as cursor number.
// Returns false (and registers nothing) when the resource does not exist.
bool Register(int number, const QString& resourceName);
bool IsRegistered(int number);
// Sets the application-wide cursor (an override of every window's cursor);
// 0 removes the override, unknown numbers force the arrow.
void SetApplicationCursor(int number);
int ApplicationCursor();
// The cursor a number stands for (the arrow for unknown numbers).
QCursor CursorOf(int number);
} // namespace Cursors
