#include "ChartProbe.h"

#include "PaintLockGuard.h"
#include "ReadoutNumber.h"
#include "TRChart.h"

#include <QAccessible>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int ReadoutInset = 6; // pixels between the readout and the data area's corner
}

TChartProbe::TChartProbe(TRChart& chart, QMenu& menu, TTranslate translate, int crossHair, int label)
    : QObject(&chart), chart_(&chart), action_(menu.addAction(TextOr(translate, QStringLiteral("AnalysisMeasure"),
                                                                      QStringLiteral("Measure")))),
      crossHair_(crossHair), label_(label) {
  action_->setObjectName(QStringLiteral("Measure"));
  action_->setCheckable(true);
  connect(action_, &QAction::toggled, this, [this](bool on) { SetActive(on); });
}

void TChartProbe::SetCurves(std::function<int()> count, TProbeSeries x, std::vector<TProbeSeries> curves,
                            TNearest nearest) {
  count_ = std::move(count);
  x_ = std::move(x);
  curves_ = std::move(curves);
  nearest_ = nearest;
}

void TChartProbe::SetActive(bool on) {
  if (on == active_) return;
  active_ = on;
  action_->setChecked(on);
  sample_ = -1;
  dragging_ = false;
  if (on) {
    savedMouseAction_ = chart_->MouseAction();
    chart_->SetMouseAction(ChartTypes::maNone); // the presses are ours
    chart_->installEventFilter(this);
  } else {
    chart_->removeEventFilter(this);
    chart_->SetMouseAction(ChartTypes::TMouseActMode(savedMouseAction_));
  }
  Show();
}

// By x: the sample nearest to the world x under the pixel (on a logarithmic axis by
// ratio); on screen: the nearest in pixels.
void TChartProbe::PutAt(int px, int py) {
  const int n = count_ ? count_() : 0;
  const bool log = chart_->ScalePropsX(1)->Logarithmic();
  const double at = chart_->MapToWorld(1, px, py).x();
  int best = -1;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (int k = 0; k < n; ++k) {
    const double x = x_.Value(k) * x_.Drawn;
    double d = 0;
    if (nearest_ == TNearest::X) {
      d = log ? std::fabs(std::log(x / at)) : std::fabs(x - at);
    } else {
      const double y = curves_.empty() ? 0 : curves_[0].Value(k) * curves_[0].Drawn;
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      const QPoint p = chart_->MapToPixel(1, x, y);
      d = double(p.x() - px) * (p.x() - px) + double(p.y() - py) * (p.y() - py);
    }
    if (d < bestDistance) {
      bestDistance = d;
      best = k;
    }
  }
  MoveTo(best);
}

void TChartProbe::MoveTo(int sample) {
  const int n = count_ ? count_() : 0;
  if (n <= 0 || sample < 0) return;
  sample = std::min(sample, n - 1);
  if (sample == sample_) return;
  sample_ = sample;
  Show();
}

void TChartProbe::Refresh() {
  if (!active_) return;
  const int n = count_ ? count_() : 0;
  if (sample_ >= n) sample_ = n - 1;
  Show(false);
}

QString TChartProbe::Value(const TProbeSeries& s, int k) const {
  const double v = s.Value(k);
  const QString number = s.Prefixed ? QuantityText(v, s.Unit) : PlainNumberText(v) + QLatin1Char(' ') + s.Unit;
  return s.Name + QStringLiteral(" = ") + number;
}

QString TChartProbe::ReadoutText() const {
  const int n = count_ ? count_() : 0;
  if (!active_ || sample_ < 0 || sample_ >= n) return QString();
  QString text = Value(x_, sample_);
  for (const TProbeSeries& s : curves_) text += QStringLiteral("   ") + Value(s, sample_);
  return text;
}

// Crosshair and readout as the state says, in one repaint (or none).
void TChartProbe::Show(bool repaint) {
  TPaintLockGuard lock(*chart_);
  const QString text = ReadoutText();
  TCrossHair* ch = chart_->CrossHair(crossHair_);
  ch->SetMode(text.isEmpty() ? ChartTypes::chOff
                             : nearest_ == TNearest::Screen ? ChartTypes::chBoth : ChartTypes::chVert);
  if (!text.isEmpty()) {
    ch->SetLayer(1);
    ch->SetColor(clGray);
    ch->SetLineType(psSolid);
    ch->SetLineWid(1);
    ch->SetPosX(x_.Value(sample_) * x_.Drawn);
    if (!curves_.empty()) ch->SetPosY(curves_[0].Value(sample_) * curves_[0].Drawn);
  }
  TTextLabel* label = chart_->TextLabel(label_);
  label->SetVisible(!text.isEmpty());
  label->SetMode(text.isEmpty() ? ChartTypes::tlOff : ChartTypes::tlBox);
  if (!text.isEmpty()) {
    label->SetAttachToData(ChartTypes::tlamNone);
    label->SetColorBkg(clWhite);
    label->SetAlignment(taLeftJustify);
    label->SetVerticalAlignment(vaBottom);
    label->SetPosX(chart_->MarginLeft() + ReadoutInset);
    label->SetPosY(chart_->height() - chart_->MarginBottom() - chart_->ShadowWidth() - ReadoutInset);
    label->SetCaption(text);
  }
  // Screen readers read the visible labels in the chart's description: tell them it changed.
  if (text != shownText_ && QAccessible::isActive()) {
    QAccessibleEvent event(chart_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
  }
  shownText_ = text;
  if (repaint) lock.Restore(); // else the lock goes back quietly with the guard
}

bool TChartProbe::HandleMouse(QEvent* event) {
  auto* e = static_cast<QMouseEvent*>(event);
  const QPoint p = e->position().toPoint();
  const bool inside = chart_->InDataArea(p.x(), p.y());
  switch (event->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
    if (e->button() != Qt::LeftButton || !inside) return false;
    chart_->setFocus(Qt::MouseFocusReason); // for the keys
    dragging_ = true;
    PutAt(p.x(), p.y());
    return true;
  case QEvent::MouseMove:
    if (!dragging_ || !(e->buttons() & Qt::LeftButton)) return false;
    if (inside) PutAt(p.x(), p.y());
    return true;
  case QEvent::MouseButtonRelease:
    if (!dragging_ || e->button() != Qt::LeftButton) return false;
    dragging_ = false;
    return true;
  default: return false;
  }
}

bool TChartProbe::eventFilter(QObject* watched, QEvent* event) {
  if (watched != chart_ || !active_) return false;
  switch (event->type()) {
  case QEvent::MouseMove:
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseButtonRelease: return HandleMouse(event);
  case QEvent::KeyPress:
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Escape: SetActive(false); return true;
    case Qt::Key_Left: MoveTo(std::max(sample_ - 1, 0)); return true;
    case Qt::Key_Right: MoveTo(sample_ + 1); return true;
    default: return false;
    }
  case QEvent::Resize: // the readout keeps to the data area's corner, once the chart has its new size
    QMetaObject::invokeMethod(this, [this] { if (active_) Show(); }, Qt::QueuedConnection);
    return false;
  default: return false;
  }
}
