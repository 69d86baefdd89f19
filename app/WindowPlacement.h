#pragma once
// Where a main window goes when it first appears: centred on the screen's
// available area as designed, but never with its title bar or any other part
// off that area. On a screen smaller than the window it is also shrunk, as far
// as its smallest usable size allows.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

struct TWindowPlacement {
  QPoint FramePos;   // top-left corner of the frame (title bar included)
  QSize ClientSize;  // size of the window without its frame
};

// clientSize: the window's designed size; frame: the frame's widths around it;
// minimumClient: the smallest size its layout allows; available: the screen's
// area free of panels.
TWindowPlacement PlaceWindow(QSize clientSize, QMargins frame, QSize minimumClient, const QRect& available);

// Places the top-level window on its screen (the primary screen when it has
// none yet) by PlaceWindow.
void PlaceOnScreen(QWidget& window, QSize minimumClient);
