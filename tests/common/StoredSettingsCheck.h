#pragma once
// Reads a window's stored settings file back against the loaded window: every
// "Property = value" line of every [Component] is checked through the property
// of that name (a dotted path into sub-objects, or one of the toolkit-widget
// properties Left, Top, Width, Height, ClientWidth, ClientHeight, Align,
// TabOrder, Color, Font.*), so a test of the designed settings cannot drift
// from the file.
#include <QString>
#include <QStringList>

class QObject;

struct TSettingsReadBack {
  int lines = 0;          // property lines checked
  QStringList mismatches; // "file:line: Component.Path: file says X, the window has Y"
};

// translatedKeys: the window translated its "LX_" texts at load; without a table
// they show as their key without the prefix.
TSettingsReadBack ReadBackStoredSettings(QObject* window, const QString& fileName, bool translatedKeys);
