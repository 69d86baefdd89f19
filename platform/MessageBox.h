#pragma once
// The platform's message boxes: an information box with an OK button and an
// error box. Tests replace the boxes by a hook so that nothing blocks.
#include <QString>
#include <functional>

class QWidget;

enum class TMessageKind { Information, Error };

// Shows a modal box with one OK button (or calls the hook, when one is set).
void ShowMessageBox(TMessageKind kind, const QString& text, QWidget* parent = nullptr);
inline void ShowInformation(const QString& text) { ShowMessageBox(TMessageKind::Information, text); }
inline void ShowError(const QString& text) { ShowMessageBox(TMessageKind::Error, text); }

using TMessageBoxHook = std::function<void(TMessageKind, const QString&)>;
// Replaces the boxes (nullptr restores them); returns the previous hook.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);
