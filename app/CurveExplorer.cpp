#include "CurveExplorer.h"

#include "Application.h"
#include "LiveCurve.h"
#include "MeasureCursor.h"
#include "ReadoutNumber.h"
#include "TRChart.h"

#include <QAction>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>

namespace {
QString Number(double v, int digits) { return QString::number(v, 'g', digits); }
} // namespace

TCurveExplorer::TCurveExplorer(TCustomRChart* chart, TMeasureCursor* measure, TTranslate translate)
    : QObject(chart), chart_(chart), measure_(measure), translate_(std::move(translate)) {
  connect(measure_->Action(), &QAction::toggled, this, [this](bool on) { Activated(on); });
}

void TCurveExplorer::Activated(bool on) {
  if (on == active_) return;
  active_ = on;
  if (on) {
    chartName_ = chart_->accessibleName();
    // Installed after the chart's view keys and the measuring tool: this filter sees the keys first.
    chart_->installEventFilter(this);
  } else {
    chart_->removeEventFilter(this);
    chart_->setAccessibleName(chartName_);
  }
}

bool TCurveExplorer::VisibleSamples(int& first, int& last) const {
  const int n = LiveCurveLength(*chart_);
  if (n <= 0) return false;
  const int layer = chart_->CurrentLayer();
  const double lo = chart_->ScalePropsX(layer)->RangeLow(), hi = chart_->ScalePropsX(layer)->RangeHigh();
  first = NearestSample(*chart_, n, lo);
  last = NearestSample(*chart_, n, hi);
  if (chart_->Item(first).X < lo && first < n - 1) ++first;
  if (chart_->Item(last).X > hi && last > 0) --last;
  return first <= last;
}

void TCurveExplorer::Place(int sample) {
  measure_->MoveCursorToTime(chart_->Item(sample).X);
  Announce(SpokenReadout());
}

void TCurveExplorer::Announce(const QString& text) {
  // A new accessible name is sent to the screen reader as a name change.
  chart_->setAccessibleName(text.isEmpty() ? chartName_ : chartName_ + QStringLiteral(": ") + text);
}

void TCurveExplorer::Step(int samples) {
  int first, last;
  if (!VisibleSamples(first, last)) return;
  const int cursor = measure_->CursorSample();
  const int from = cursor < first || cursor > last ? (samples >= 0 ? first - samples : last - samples) : cursor;
  Place(std::clamp(from + samples, first, last));
}

void TCurveExplorer::StepFraction(double fractionOfView) {
  int first, last;
  if (!VisibleSamples(first, last)) return;
  const int step = std::max(1, int(std::lround(std::fabs(fractionOfView) * (last - first))));
  Step(fractionOfView < 0 ? -step : step);
}

void TCurveExplorer::ToEnd(bool lastOne) {
  int first, last;
  if (VisibleSamples(first, last)) Place(lastOne ? last : first);
}

namespace {
// Sample i of the chart is a local maximum: higher than before, not lower than after.
bool IsMaximum(const TCustomRChart& chart, int i, int first, int last) {
  if (i <= first || i >= last) return false;
  const double y = chart.Item(i).Y;
  return y > chart.Item(i - 1).Y && y >= chart.Item(i + 1).Y;
}
// The curve changes its sign between samples i - 1 and i (at i, or at a zero there).
bool IsZeroCrossing(const TCustomRChart& chart, int i, int first) {
  if (i <= first) return false;
  const double a = chart.Item(i - 1).Y, b = chart.Item(i).Y;
  return (a < 0 && b >= 0) || (a > 0 && b <= 0);
}
} // namespace

bool TCurveExplorer::ToMaximum(bool forward) {
  int first, last;
  if (!VisibleSamples(first, last)) return false;
  const int cursor = measure_->CursorSample();
  const int start = cursor < first || cursor > last ? (forward ? first - 1 : last + 1) : cursor;
  for (int i = start + (forward ? 1 : -1); i >= first && i <= last; i += forward ? 1 : -1) {
    if (!IsMaximum(*chart_, i, first, last)) continue;
    Place(i);
    return true;
  }
  Announce(TextOr(translate_, QStringLiteral("ExploreNoMaximum"), QStringLiteral("no further maximum in the view")));
  return false;
}

bool TCurveExplorer::ToZeroCrossing(bool forward) {
  int first, last;
  if (!VisibleSamples(first, last)) return false;
  const int cursor = measure_->CursorSample();
  const int start = cursor < first || cursor > last ? (forward ? first - 1 : last + 1) : cursor;
  for (int i = start + (forward ? 1 : -1); i >= first && i <= last; i += forward ? 1 : -1) {
    if (!IsZeroCrossing(*chart_, i, first)) continue;
    // Of the two samples around the crossing, the one nearer to zero.
    const int at = std::fabs(chart_->Item(i - 1).Y) < std::fabs(chart_->Item(i).Y) ? i - 1 : i;
    if (at == cursor) continue; // already there (it is the earlier sample of this crossing)
    Place(at);
    return true;
  }
  Announce(TextOr(translate_, QStringLiteral("ExploreNoZero"), QStringLiteral("no further zero crossing in the view")));
  return false;
}

void TCurveExplorer::SetReference() {
  if (measure_->CursorSample() < 0) return;
  measure_->SetReference();
  Announce(TextOr(translate_, QStringLiteral("ExploreReference"), QStringLiteral("reference set, <%1%>"),
                  {SpokenReadout()}));
}

QString TCurveExplorer::SpokenReadout() const {
  const int n = LiveCurveLength(*chart_);
  const int c = measure_->CursorSample(), r = measure_->ReferenceSample();
  if (c < 0 || c >= n) return QString();
  const TDisplayItem cursor = chart_->Item(c);
  QString text = TextOr(translate_, QStringLiteral("ExploreAt"), QStringLiteral("t <%1%> microseconds, y <%2%>"),
                        {QString::number(cursor.X, 'f', 3), Number(cursor.Y, 3)});
  if (r >= 0 && r < n && r != c) {
    const TDisplayItem ref = chart_->Item(r);
    const double dt = cursor.X - ref.X;
    text += QStringLiteral(", ") +
            TextOr(translate_, QStringLiteral("ExploreDelta"),
                   QStringLiteral("<%1%> microseconds from the reference, 1 over delta t <%2%>"),
                   {QString::number(dt, 'f', 3), FrequencyText(1e6 / std::fabs(dt))});
  }
  return text;
}

bool TCurveExplorer::eventFilter(QObject* watched, QEvent* event) {
  if (watched != chart_ || !active_ || event->type() != QEvent::KeyPress) return false;
  auto* e = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const bool shift = mods & Qt::ShiftModifier;
  bool taken = true;
  RunGuarded([&] {
    switch (e->key()) {
    case Qt::Key_Left: Step(-1); break;
    case Qt::Key_Right: Step(1); break;
    case Qt::Key_PageUp: StepFraction(-0.1); break;
    case Qt::Key_PageDown: StepFraction(0.1); break;
    case Qt::Key_Home: ToEnd(false); break;
    case Qt::Key_End: ToEnd(true); break;
    case Qt::Key_M: ToMaximum(!shift); break;
    case Qt::Key_N: ToZeroCrossing(!shift); break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: SetReference(); break;
    default: taken = false;
    }
  });
  return taken;
}
