#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

TWindowPlacement PlaceWindow(QSize clientSize, QMargins frame, QSize minimumClient, const QRect& available) {
  const QSize frameExtra(frame.left() + frame.right(), frame.top() + frame.bottom());
  const QSize room = available.size() - frameExtra;
  const QSize client = clientSize.boundedTo(room).expandedTo(minimumClient.boundedTo(clientSize));
  const QSize outer = client + frameExtra;
  // Centred as the designed window is; then pushed back inside, the top-left
  // corner last, so that a window larger than the screen keeps its title bar on it.
  QPoint pos = available.center() - QRect(QPoint(), client).center();
  pos.setX(std::max(std::min(pos.x(), available.right() + 1 - outer.width()), available.left()));
  pos.setY(std::max(std::min(pos.y(), available.bottom() + 1 - outer.height()), available.top()));
  return {pos, client};
}

void PlaceOnScreen(QWidget& window, QSize minimumClient) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  // Before the window manager has framed the window its frame is unknown: a
  // title bar of the style's height stands in for it.
  QMargins frame(window.geometry().left() - window.frameGeometry().left(),
                 window.geometry().top() - window.frameGeometry().top(),
                 window.frameGeometry().right() - window.geometry().right(),
                 window.frameGeometry().bottom() - window.geometry().bottom());
  if (frame.isNull()) frame.setTop(window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window));
  const TWindowPlacement place = PlaceWindow(window.size(), frame, minimumClient, screen->availableGeometry());
  if (place.ClientSize != window.size()) window.resize(place.ClientSize);
  window.move(place.FramePos);
}
