#include "MeasureCursor.h"

#include "ChartOverlaySlots.h"
#include "FeatureContext.h"
#include "LiveCurve.h"
#include "PaintLockGuard.h"
#include "ReadoutNumber.h"
#include "Texts.h"
#include "TRChart.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <cmath>

namespace {
constexpr int ReadoutInset = 6; // pixels between the readout and the data area's corner

QString Number(double v, int digits) { return QString::number(v, 'g', digits); }
} // namespace

TMeasureCursor::TMeasureCursor(TFeatureContext& context)
    : QObject(&context.Chart), chart_(&context.Chart), action_(new QAction(&context.Menu)),
      translate_(context.Translate),
      curves_(context.CurveComputed.Join([this](const TComputedCurve&) { Refresh(); })) {
  action_->setObjectName(QStringLiteral("Measure"));
  action_->setText(QStringLiteral("LX_Measure"));
  action_->setCheckable(true);
  connect(action_, &QAction::toggled, this, [this](bool on) { SetActive(on); });
}

void TMeasureCursor::SetActive(bool on) {
  if (on == active_) return;
  active_ = on;
  action_->setChecked(on);
  cursor_ = reference_ = -1;
  clickTaken_ = bandByShift_ = false;
  if (on) {
    savedMouseAction_ = chart_->MouseAction();
    chart_->SetMouseAction(maNone); // the cross cursor, and the presses are ours
    chart_->installEventFilter(this);
  } else {
    chart_->removeEventFilter(this);
    chart_->CancelZoomBand();
    chart_->SetMouseAction(ChartTypes::TMouseActMode(savedMouseAction_));
  }
  Show();
}

void TMeasureCursor::MoveCursorToTime(double t) {
  const int sample = NearestSample(*chart_, LiveCurveLength(*chart_), t);
  if (sample == cursor_) return;
  cursor_ = sample;
  Show();
}

void TMeasureCursor::SetReference() {
  reference_ = cursor_;
  Show();
}

void TMeasureCursor::Refresh() {
  const int n = LiveCurveLength(*chart_);
  if (cursor_ >= n) cursor_ = n - 1;
  if (reference_ >= n) reference_ = n - 1;
  if (active_) Show(false);
}

QString TMeasureCursor::ReadoutText() const {
  const int n = LiveCurveLength(*chart_);
  if (cursor_ < 0 || cursor_ >= n) return QString();
  const TDisplayItem& c = chart_->Item(cursor_);
  QString text = TextOr(translate_, QStringLiteral("MeasureAt"), QStringLiteral("t = <%1%> usec   y = <%2%>"),
                        {QString::number(c.X, 'f', 3), Number(c.Y, 5)});
  if (reference_ >= 0 && reference_ < n) {
    const TDisplayItem& r = chart_->Item(reference_);
    const double dt = c.X - r.X;
    text += QLatin1Char('\n') + TextOr(translate_, QStringLiteral("MeasureDelta"),
                                       QString::fromUtf8("\u0394t = <%1%> usec   \u0394y = <%2%>   1/\u0394t = <%3%>"),
                                       {QString::number(dt, 'f', 3), Number(c.Y - r.Y, 5),
                                        dt == 0 ? QStringLiteral("-") : QuantityText(1e6 / std::fabs(dt), QStringLiteral("Hz"))});
  }
  return text;
}

// Crosshairs and readout as the state says, in one repaint (or none).
void TMeasureCursor::Show(bool repaint) {
  const int n = LiveCurveLength(*chart_);
  TPaintLockGuard lock(*chart_);
  auto place = [&](int which, int sample, TCrossHMode mode, TColor color, TPenStyle style) {
    TCrossHair* ch = chart_->CrossHair(which);
    const bool on = active_ && sample >= 0 && sample < n;
    ch->SetMode(on ? mode : chOff);
    if (!on) return;
    ch->SetLayer(chart_->CurrentLayer());
    ch->SetColor(color);
    ch->SetLineType(style);
    ch->SetLineWid(1);
    ch->SetPosX(chart_->Item(sample).X);
    ch->SetPosY(chart_->Item(sample).Y);
  };
  place(ChartOverlaySlots::MeasureSampleCrossHair, cursor_, chBoth, clRed, psSolid);
  place(ChartOverlaySlots::MeasureReferenceCrossHair, reference_, chVert, clBlue, psDash); // its time counts

  TTextLabel* label = chart_->TextLabel(ChartOverlaySlots::MeasureReadoutLabel);
  const QString text = active_ ? ReadoutText() : QString();
  label->SetVisible(!text.isEmpty());
  label->SetMode(text.isEmpty() ? tlOff : tlBox);
  if (!text.isEmpty()) {
    label->SetAttachToData(tlamNone);
    // At the bottom left: the circuit data take the top right, the kept curves' legend the
    // bottom right, and the first maxima a student measures lie at the top left.
    label->SetAlignment(taLeftJustify);
    label->SetVerticalAlignment(vaBottom);
    label->SetPosX(chart_->MarginLeft() + ReadoutInset);
    label->SetPosY(chart_->height() - chart_->MarginBottom() - chart_->ShadowWidth() - ReadoutInset);
    label->SetCaption(text);
  }
  if (repaint) lock.Restore(); // else the lock goes back quietly with the guard
  CursorMoved.Call(active_ && cursor_ >= 0 && cursor_ < n ? cursor_ : -1);
}

bool TMeasureCursor::HandleMouse(QEvent* event) {
  auto* e = static_cast<QMouseEvent*>(event);
  const QPoint p = e->position().toPoint();
  const bool inside = chart_->InDataArea(p.x(), p.y());
  const double t = inside ? chart_->MapToWorld(chart_->CurrentLayer(), p.x(), p.y()).x() : 0;
  switch (event->type()) {
  case QEvent::MouseMove:
    if (bandByShift_ && !(e->buttons() & Qt::LeftButton)) { // the band is finished
      bandByShift_ = false;
      chart_->SetMouseAction(maNone);
    }
    if (inside && chart_->ZoomState() == TCustomRChart::zsNormal) MoveCursorToTime(t);
    return false;
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
    if (e->button() != Qt::LeftButton || !inside) return false;
    if (e->modifiers() & Qt::ShiftModifier) { // the zoom band, as without measuring
      const auto mode = ChartTypes::TMouseActMode(savedMouseAction_);
      bandByShift_ = true;
      chart_->SetMouseAction(mode == maZoomWind || mode == maRubberBand ? mode : maZoomWindPos);
      return false;
    }
    MoveCursorToTime(t);
    SetReference();
    clickTaken_ = true;
    return true;
  case QEvent::MouseButtonRelease:
    if (!clickTaken_ || e->button() != Qt::LeftButton) return false;
    clickTaken_ = false;
    return true;
  default: return false;
  }
}

bool TMeasureCursor::eventFilter(QObject* watched, QEvent* event) {
  if (watched != chart_ || !active_) return false;
  switch (event->type()) {
  case QEvent::MouseMove:
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseButtonRelease: return HandleMouse(event);
  case QEvent::KeyPress:
    // Esc first cancels a zoom band being drawn (the chart's keys), then ends measuring.
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || chart_->ZoomState() != TCustomRChart::zsNormal)
      return false;
    SetActive(false);
    return true;
  case QEvent::Resize: // the readout keeps to the data area's corner, once the chart has its new size
    QMetaObject::invokeMethod(this, [this] { if (active_) Show(); }, Qt::QueuedConnection);
    return false;
  default: return false;
  }
}
