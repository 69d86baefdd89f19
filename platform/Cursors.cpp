#include "Cursors.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>

namespace Cursors {
namespace {

QHash<int, QCursor>& Table() {
  static QHash<int, QCursor> table;
  return table;
}

int current = crDefault;

// The hot spot from the XPM header's values "width height colours chars [x_hot y_hot]".
QPoint HotSpot(const QByteArray& xpm) {
  static const QRegularExpression header(QStringLiteral("\"\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)"
                                                        "(?:\\s+(-?\\d+)\\s+(-?\\d+))?\\s*\""));
  const QRegularExpressionMatch m = header.match(QString::fromLatin1(xpm));
  if (!m.hasMatch() || m.captured(5).isEmpty()) return QPoint(0, 0);
  return QPoint(m.captured(5).toInt(), m.captured(6).toInt());
}

QCursor CursorFor(int number) {
  if (number == crCross) return QCursor(Qt::CrossCursor);
  auto it = Table().constFind(number);
  if (it != Table().constEnd()) return *it;
  return QCursor(Qt::ArrowCursor);
}

} // namespace

bool Register(int number, const QString& resourceName) {
  QFile file(QStringLiteral(":/cursors/%1.xpm").arg(resourceName));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray data = file.readAll();
  QImage image;
  if (!image.loadFromData(data, "XPM")) return false;
  // Monochrome: black, white and transparent pixels only.
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = row[x];
      if (qAlpha(c) < 128) row[x] = qRgba(0, 0, 0, 0);
      else row[x] = qGray(c) < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
  }
  QPoint hot = HotSpot(data);
  hot.setX(qBound(0, hot.x(), image.width() - 1));
  hot.setY(qBound(0, hot.y(), image.height() - 1));
  Table().insert(number, QCursor(QPixmap::fromImage(image), hot.x(), hot.y()));
  if (current == number && QGuiApplication::overrideCursor())
    QGuiApplication::changeOverrideCursor(CursorFor(number));
  return true;
}

bool IsRegistered(int number) { return Table().contains(number); }

// One override level at most. The default cursor is no override at all, so
// every window shows its own cursor again. Setting the cursor that is already
// set changes nothing (the chart sets it on every mouse move).
void SetApplicationCursor(int number) {
  const bool overridden = QGuiApplication::overrideCursor() != nullptr;
  if (number == crDefault) {
    current = number;
    if (overridden) QGuiApplication::restoreOverrideCursor();
    return;
  }
  if (overridden && number == current) return;
  current = number;
  const QCursor cursor = CursorFor(number);
  if (overridden)
    QGuiApplication::changeOverrideCursor(cursor);
  else
    QGuiApplication::setOverrideCursor(cursor);
}

int ApplicationCursor() { return current; }

QCursor CursorOf(int number) { return CursorFor(number); }

} // namespace Cursors
