#pragma once
// Stored window settings: a text file per window that sets the properties of
// the window and of the components it owns by name, followed by each
// component's loading step, as the platform does when it loads a window.
//
// Format (one setting per line, '#' starts a comment line):
//   [ComponentName]            the window itself or a component it owns (objectName)
//   Property = value           a published property, or a dotted path into a
//                              sub-object ("Scale1X.Caption", "Font.Height")
// Values: "quoted text" (\" \\ \n escapes), ["text", ...] for string lists,
// numbers, true/false, enumeration names (gsDotLines), [fsBold, fsItalic] for
// sets, and colour names (clSilver) or numbers for colours.
// Plain toolkit widgets also take Left, Top, Width, Height, ClientWidth,
// ClientHeight, Align, TabOrder, Color and Font.Name/Font.Height/Font.Style/Font.Color.
//
// A bad file is a clear error naming file, line and property (StoredSettingsError).
#include "Exceptions.h"
#include <QString>

class QObject;

class EStoredSettingsError : public Exception {
public:
  using Exception::Exception;
};

// Applies the settings text to root and its components, then runs the loading
// steps (SetLoading(true) on every component before, Loaded() after).
void ApplyStoredSettings(QObject* root, const QString& text, const QString& fileName);
// Reads the file (a resource path such as ":/forms/Form1.settings" or a path) and applies it.
void LoadStoredSettings(QObject* root, const QString& fileName);
