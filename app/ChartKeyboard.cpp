#include "ChartKeyboard.h"

#include "Application.h"
#include "FeatureContext.h"
#include "PaintLockGuard.h"
#include "TRChart.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>
#include <cmath>

namespace {

// New ends of one axis range: scaled by factor around its centre and moved by
// shift times its width; on a logarithmic axis the same happens to the logarithms.
void Transform(long double& lo, long double& hi, bool logarithmic, double factor, double shift) {
  if (logarithmic && (lo <= 0 || hi <= 0)) return;
  long double a = logarithmic ? std::log(lo) : lo, b = logarithmic ? std::log(hi) : hi;
  const long double c = (a + b) / 2 + (b - a) * shift, h = (b - a) / 2 * factor;
  a = c - h;
  b = c + h;
  lo = logarithmic ? std::exp(a) : a;
  hi = logarithmic ? std::exp(b) : b;
}

// Underlines the mnemonics of the widgets it styles only while Alt is held.
class TAltMnemonicStyle : public QProxyStyle {
public:
  explicit TAltMnemonicStyle(QObject* parent)
      : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {
    setParent(parent);
    qApp->installEventFilter(this);
  }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_UnderlineShortcut) return altDown_;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
  void Add(QWidget* w) {
    w->setStyle(this);
    widgets_ << w;
  }

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    bool down = altDown_;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
      const auto* k = static_cast<QKeyEvent*>(event);
      if (k->key() == Qt::Key_Alt) down = event->type() == QEvent::KeyPress;
    } else if (event->type() == QEvent::ApplicationDeactivate || event->type() == QEvent::WindowDeactivate) {
      down = false;
    }
    if (down != altDown_) {
      altDown_ = down;
      for (QWidget* w : widgets_) w->update();
    }
    return false;
  }

private:
  bool altDown_ = false;
  QList<QWidget*> widgets_;
};

} // namespace

TChartKeyboard::TChartKeyboard(TFeatureContext& context, std::function<void()> zoom11)
    : QObject(&context.Chart), context_(context), chart_(&context.Chart), popup_(&context.Menu),
      zoom11_(std::move(zoom11)) {
  chart_->setFocusPolicy(Qt::StrongFocus);
  chart_->installEventFilter(this);
}

void TChartKeyboard::ZoomAroundCentre(double factor) {
  Change(factor, 0, 0);
}

void TChartKeyboard::Pan(double fx, double fy) { Change(1, fx, fy); }

// Every mouse-controlled layer through the layer-range machinery (joint layers,
// MinRange), repainted once; then OnZoomPan, as after a zoom with the mouse.
void TChartKeyboard::Change(double factor, double fx, double fy) {
  TPaintLockGuard lock(*chart_);
  for (int n = 1; n <= TCustomRChart::NumLayers; ++n) {
    if (!chart_->MouseControlledLayer(n)) continue;
    const TScaleProps* xp = chart_->ScalePropsX(n);
    const TScaleProps* yp = chart_->ScalePropsY(n);
    long double lx = xp->RangeLow(), hx = xp->RangeHigh(), ly = yp->RangeLow(), hy = yp->RangeHigh();
    Transform(lx, hx, xp->Logarithmic(), factor, fx);
    Transform(ly, hy, yp->Logarithmic(), factor, fy);
    chart_->SetLayerRange(n, lx, ly, hx, hy);
  }
  lock.Restore();
  if (chart_->OnZoomPan) chart_->OnZoomPan(chart_);
}

void TChartKeyboard::OpenPopup() {
  if (!popup_) return;
  const int right = chart_->width() - chart_->MarginRight() - chart_->ShadowWidth();
  const int bottom = chart_->height() - chart_->MarginBottom() - chart_->ShadowWidth();
  const QPoint centre((chart_->MarginLeft() + right) / 2, (chart_->MarginTop() + bottom) / 2);
  popup_->popup(chart_->mapToGlobal(centre));
}

bool TChartKeyboard::HandleKey(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (e->key()) {
  case Qt::Key_Plus:
  case Qt::Key_Equal: ZoomAroundCentre(1 / ZoomStep); return true;
  case Qt::Key_Minus:
  case Qt::Key_Underscore: ZoomAroundCentre(ZoomStep); return true;
  case Qt::Key_Left: Pan(-PanFraction, 0); return true;
  case Qt::Key_Right: Pan(PanFraction, 0); return true;
  case Qt::Key_Up: Pan(0, PanFraction); return true;
  case Qt::Key_Down: Pan(0, -PanFraction); return true;
  case Qt::Key_0:
  case Qt::Key_Home:
    if (zoom11_) zoom11_();
    return true;
  case Qt::Key_Escape:
    if (chart_->ZoomState() != TCustomRChart::zsDrawWin) return false;
    chart_->CancelZoomBand();
    return true;
  case Qt::Key_Menu: OpenPopup(); return true; // the platform may ask once more, see ContextMenu
  case Qt::Key_F10:
    if (!(mods & Qt::ShiftModifier)) return false;
    OpenPopup();
    return true;
  case Qt::Key_Tab: MoveFocus(!(mods & Qt::ShiftModifier)); return true;
  case Qt::Key_Backtab: MoveFocus(false); return true;
  default: return false;
  }
}

// The chart keeps Tab for itself (as the platform's dialog code asks), so the
// keyboard moves the focus on from here.
void TChartKeyboard::MoveFocus(bool forward) {
  QWidget* w = forward ? chart_->nextInFocusChain() : chart_->previousInFocusChain();
  for (; w && w != chart_; w = forward ? w->nextInFocusChain() : w->previousInFocusChain()) {
    if (w->window() == chart_->window() && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
  }
}

void TChartKeyboard::ShowFocus(bool on) {
  if (on == framed_) return;
  framed_ = on;
  if (on) frame_ = context_.ScalesRendered.Join([this](QObject*, TCanvas& canvas, int, int) { DrawFocusFrame(canvas); });
  else frame_.Leave();
  chart_->Paint();
}

// A dotted rectangle along the control's edge, on the window's picture only (not on exports).
void TChartKeyboard::DrawFocusFrame(TCanvas& c) {
  if (!framed_ || &c != &chart_->ControlImage().Canvas()) return;
  const TPen pen = c.Pen;
  const TBrush brush = c.Brush;
  c.Pen.Color = clBlack;
  c.Pen.Style = psDot;
  c.Pen.Width = 1;
  c.Pen.Mode = pmCopy;
  c.Brush.Style = bsClear;
  const int right = chart_->width() - chart_->ShadowWidth() - 2;
  const int bottom = chart_->height() - chart_->ShadowWidth() - 2;
  c.MoveTo(1, 1);
  c.LineTo(right, 1);
  c.LineTo(right, bottom);
  c.LineTo(1, bottom);
  c.LineTo(1, 1);
  c.Pen = pen;
  c.Brush = brush;
}

bool TChartKeyboard::eventFilter(QObject* watched, QEvent* event) {
  if (watched != chart_) return false;
  switch (event->type()) {
  case QEvent::KeyPress: {
    // A zoom handler's error shows here, before it could unwind through the toolkit.
    bool taken = true;
    RunGuarded([&] { taken = HandleKey(static_cast<QKeyEvent*>(event)); });
    return taken;
  }
  case QEvent::ShortcutOverride: {
    // Keys the chart uses are not taken away by shortcuts while it has the focus.
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_Escape && chart_->ZoomState() == TCustomRChart::zsDrawWin) k->accept();
    return false;
  }
  // The frame's repaint runs the chart's render handlers: guarded as the keys are.
  case QEvent::FocusIn: RunGuarded([this] { ShowFocus(true); }); return false;
  case QEvent::FocusOut:
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) RunGuarded([this] { ShowFocus(false); });
    return false;
  case QEvent::ContextMenu:
    // The keyboard's own request: the pop-up opens at the data area's centre (once).
    if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard) return false;
    if (!popup_ || !popup_->isVisible()) OpenPopup();
    return true;
  default: return false;
  }
}

void EnableKeyboardAccess(QPlainTextEdit* memo, const QList<QScrollBar*>& bars,
                          const QList<QAbstractButton*>& buttons) {
  if (memo) memo->setTabChangesFocus(true);
  for (QScrollBar* bar : bars) bar->setFocusPolicy(Qt::StrongFocus);
  if (buttons.isEmpty()) return;
  // Owned by the buttons' parent (made after them, so destroyed after them).
  QObject* owner = buttons.first()->parentWidget();
  auto* style = new TAltMnemonicStyle(owner ? owner : qApp);
  for (QAbstractButton* b : buttons) style->Add(b);
}
