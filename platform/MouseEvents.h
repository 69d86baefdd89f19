#pragma once
// The platform's mouse events of a control (Sender first) and the click that a
// press and release of the left button inside the control make. Controls mix
// this in and forward the toolkit's mouse events to it. An exception from a
// handler is shown in the error box here, before it could unwind through the
// toolkit's event delivery (which is not written for exceptions).
#include "Application.h"

#include <QMouseEvent>
#include <QWidget>
#include <functional>

class TMouseEvents {
public:
  using TMouseButtonEvent =
      std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
  std::function<void(QObject* Sender)> OnClick;
  std::function<void(QObject* Sender)> OnDblClick;
  TMouseButtonEvent OnMouseDown;
  TMouseButtonEvent OnMouseUp;
  std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;

protected:
  void MousePressed(QWidget* sender, QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) leftPressed_ = true;
    Fire(OnMouseDown, sender, e);
  }
  // A release of the left button pressed inside the control is a click: click runs
  // (it fires OnClick, after what the control does on a click), then OnMouseUp.
  void MouseReleased(QWidget* sender, QMouseEvent* e, const std::function<void()>& click) {
    const bool clicked =
        e->button() == Qt::LeftButton && leftPressed_ && sender->rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) leftPressed_ = false;
    if (clicked) RunGuarded(click);
    Fire(OnMouseUp, sender, e);
  }
  void MouseDoubleClicked(QWidget* sender, QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
      leftPressed_ = false; // the release of a double click is no second click
      if (OnDblClick) RunGuarded([&] { OnDblClick(sender); });
    }
    Fire(OnMouseDown, sender, e);
  }
  void MouseMoved(QWidget* sender, QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (OnMouseMove) RunGuarded([&] { OnMouseMove(sender, e->modifiers(), p.x(), p.y()); });
  }

private:
  static void Fire(const TMouseButtonEvent& event, QWidget* sender, QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (event) RunGuarded([&] { event(sender, e->button(), e->modifiers(), p.x(), p.y()); });
  }
  bool leftPressed_ = false;
};
