#pragma once
// Mouse events sent straight to a widget, as the toolkit delivers them: the
// position in the widget and on the screen, the button that changed and the
// buttons held after it.
#include <QEvent>
#include <QPoint>

class QWidget;

namespace TestMouse {

void Send(QWidget& widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers modifiers = {});
// A move with nothing pressed.
void Move(QWidget& widget, QPoint p, Qt::KeyboardModifiers modifiers = {});
// Press and release of the button at one place.
void Click(QWidget& widget, QPoint p, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});

} // namespace TestMouse
