#include "TJointLayers.h"
#include <QStringList>

TJointLayers::TJointLayers(QObject* parent) : QObject(parent) {
  for (int i = 0; i < NumLayers; ++i) x_[i] = y_[i] = i + 1;
}

void TJointLayers::SetXController(int layer, int d) { SetController(x_, layer, d, true); }
void TJointLayers::SetYController(int layer, int d) { SetController(y_, layer, d, false); }

void TJointLayers::SetController(std::array<int, NumLayers>& ctrl, int layer, int d, bool x) {
  if (layer < 1 || layer > NumLayers) return;
  if (d < 1 || d > NumLayers)
    throw EVKTRChartError(QStringLiteral("Destination layer %1 is out of range").arg(d));
  if (d == layer) { // the layer controls itself again; nothing to redraw
    ctrl[layer - 1] = d;
    return;
  }
  if (ctrl[d - 1] != d)
    throw EVKTRChartError(QStringLiteral("Destination layer %1 is already joined").arg(d));
  QStringList joined;
  for (int k = 1; k <= NumLayers; ++k)
    if (k != layer && ctrl[k - 1] == layer) joined << QString::number(k);
  if (!joined.isEmpty())
    throw EVKTRChartError(QStringLiteral("Layer %1 is joined by other layers (%2)")
                              .arg(layer)
                              .arg(joined.join(QStringLiteral(", "))));
  ctrl[layer - 1] = d;
  if (OnJoined) OnJoined(layer, x);
  if (OnChange) OnChange(this);
}

void TJointLayers::AssignTo(QObject* target) const {
  auto* dest = qobject_cast<TJointLayers*>(target);
  if (!dest)
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(QString::fromLatin1(metaObject()->className()),
                                 target ? QString::fromLatin1(target->metaObject()->className())
                                        : QStringLiteral("nil")));
  if (dest == this) return;
  dest->x_ = x_;
  dest->y_ = y_;
  if (dest->OnChange) dest->OnChange(dest);
}

void TJointLayers::Assign(const QObject* source) {
  auto* src = qobject_cast<const TJointLayers*>(source);
  if (!src)
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(source ? QString::fromLatin1(source->metaObject()->className())
                                        : QStringLiteral("nil"),
                                 QString::fromLatin1(metaObject()->className())));
  src->AssignTo(this);
}
