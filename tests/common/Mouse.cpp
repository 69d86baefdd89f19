#include "Mouse.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace TestMouse {

void Send(QWidget& widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers modifiers) {
  QMouseEvent e(type, QPointF(p), widget.mapToGlobal(QPointF(p)), button, held, modifiers);
  QCoreApplication::sendEvent(&widget, &e);
}

void Move(QWidget& widget, QPoint p, Qt::KeyboardModifiers modifiers) {
  Send(widget, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, modifiers);
}

void Click(QWidget& widget, QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  Send(widget, QEvent::MouseButtonPress, p, button, button, modifiers);
  Send(widget, QEvent::MouseButtonRelease, p, button, Qt::NoButton, modifiers);
}

} // namespace TestMouse
