// Mouse interaction of the chart: the zoom band (drawn with XOR on the window
// surface), pan, drag zoom, crosshair and text label dragging, the mode
// cursors, and the mouse events passed on to the program. Range changes go
// through the layer-range machinery, so joint layers and the MinRange and
// logarithmic guards apply, and the chart repaints through its paint lock.
#include "Cursors.h"
#include "PaintLockGuard.h"
#include "PixelMath.h"
#include "TRChart.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kNoneFound = 1.7e308; // the starting "best distance" of a selection

bool IsZoomWindowMode(TMouseActMode m) {
  return m == maZoomWind || m == maZoomWindPos || m == maRubberBand;
}

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  TShiftState s;
  if (mods & Qt::ShiftModifier) s |= ssShift;
  if (mods & Qt::AltModifier) s |= ssAlt;
  if (mods & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

QPoint PosOf(const QMouseEvent* e) { return e->position().toPoint(); }

double Square(double d) { return d * d; }

} // namespace

// ============================================================================
// State
// ============================================================================

bool TCustomRChart::InDataArea(int x, int y) const {
  const QRect a = DataArea(); // (QRect::contains would also take an inverted area)
  return x >= a.left() && x <= a.right() && y >= a.top() && y <= a.bottom();
}

bool TCustomRChart::MouseControlledLayer(int layer) const {
  return layer >= 1 && layer <= NumLayers && mouseLayers_[layer];
}

void TCustomRChart::SetMouseControlledLayer(int layer, bool on) {
  if (layer >= 1 && layer <= NumLayers) mouseLayers_[layer] = on;
}

// ============================================================================
// Toolkit events
// ============================================================================

// Each toolkit event runs guarded: an exception from a handler (a zoom, pan or band
// handler called from here) shows in the error box before it could unwind through
// the toolkit's event delivery, which is not written for exceptions.
void TCustomRChart::mousePressEvent(QMouseEvent* event) {
  swallowContextMenu_ = false; // a menu requested by this press is the user's
  RunGuarded([&] { HandlePress(event); });
}

void TCustomRChart::HandlePress(QMouseEvent* event) {
  // The press of a double click was announced by the double click itself.
  if (dblClickFlag_) {
    dblClickFlag_ = false;
    return;
  }
  MousePressed(this, event); // OnMouseDown
  const QPoint p = PosOf(event);
  if (IsZoomWindowMode(mouseAction_) && zoomState_ == zsNormal &&
      event->button() == Qt::LeftButton && InDataArea(p.x(), p.y())) {
    zoomState_ = zsDrawWin;
    zoomX0_ = zoomX1_ = p.x();
    zoomY0_ = zoomY1_ = p.y();
  }
}

// The toolkit reports the second press of a double click as the double click
// itself: the platform's double click comes first, then that press, which the
// flag makes the chart ignore. So a double click never starts a zoom band.
void TCustomRChart::mouseDoubleClickEvent(QMouseEvent* event) {
  swallowContextMenu_ = false;
  if (event->button() == Qt::LeftButton) {
    dblClickFlag_ = true;
    if (OnDblClick) RunGuarded([this] { OnDblClick(this); });
  }
  RunGuarded([&] { HandlePress(event); });
}

void TCustomRChart::mouseReleaseEvent(QMouseEvent* event) {
  if (dblClickFlag_) {
    dblClickFlag_ = false;
    return;
  }
  MouseReleased(this, event, [this] {
    if (OnClick) OnClick(this);
  }); // OnClick, OnMouseUp
  if (IsZoomWindowMode(mouseAction_) && zoomState_ == zsDrawWin)
    RunGuarded([&] { FinishZoomWindow(event->button()); });
}

void TCustomRChart::mouseMoveEvent(QMouseEvent* event) {
  RunGuarded([&] { HandleMove(event); });
}

void TCustomRChart::HandleMove(QMouseEvent* event) {
  const QPoint p = PosOf(event);
  const TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
  MouseMoved(this, event); // OnMouseMove
  MouseMoveAction(shift, p.x(), p.y());
  UpdateCursor(p.x(), p.y());
  // The world position is reported on every move over the control.
  if (OnMouseMoveInChart) {
    const QPointF w = MapToWorld(currentLayer_, p.x(), p.y());
    OnMouseMoveInChart(this, InDataArea(p.x(), p.y()), shift, w.x(), w.y());
  }
}

void TCustomRChart::enterEvent(QEnterEvent* event) {
  TCustomControl::enterEvent(event);
  if (OnMouseEnter) RunGuarded([this] { OnMouseEnter(this); });
}

void TCustomRChart::leaveEvent(QEvent* event) {
  TCustomControl::leaveEvent(event);
  if (OnMouseLeave) RunGuarded([this] { OnMouseLeave(this); });
}

// The right button belongs to an active zoom band (it cancels it): the pop-up
// menu does not open for it, whether the toolkit asks on the press or the release.
bool TCustomRChart::event(QEvent* event) {
  if (event->type() == QEvent::ContextMenu &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) {
    const bool bandActive = zoomState_ == zsDrawWin && IsZoomWindowMode(mouseAction_);
    if (bandActive || swallowContextMenu_) {
      swallowContextMenu_ = false;
      event->accept();
      return true;
    }
  }
  return TCustomControl::event(event);
}

// ============================================================================
// Moves by mode, and the cursor
// ============================================================================

void TCustomRChart::MouseMoveAction(TShiftState shift, int x, int y) {
  switch (mouseAction_) {
  case maZoomWind:
  case maZoomWindPos:
  case maRubberBand:
    if (zoomState_ == zsDrawWin) MoveZoomBand(x, y);
    break;
  case maPan:
  case maPanHoriz:
  case maPanVert:
    if (DragMoveActs(shift, x, y) && InDataArea(x, y)) PanMove(x, y);
    break;
  case maZoomDrag:
    if (DragMoveActs(shift, x, y) && InDataArea(x, y)) DragZoomMove(x, y);
    break;
  case maDragCrossH:
    if (!dragStarted_ && (shift & ssLeft)) SelectCrossHair(x, y);
    if (DragMoveActs(shift, x, y)) CrossHairMove(x, y);
    break;
  case maDragLabel:
    if (!dragStarted_ && (shift & ssLeft)) SelectTextLabel(x, y);
    if (DragMoveActs(shift, x, y)) TextLabelMove(x, y);
    break;
  default: break; // maNone, maZoom and the rotation modes do nothing here
  }
}

void TCustomRChart::UpdateCursor(int x, int y) {
  int cursor = Cursors::crDefault;
  if (InDataArea(x, y) && !mouseCursorFixed_) {
    switch (mouseAction_) {
    case maNone: cursor = Cursors::crCross; break;
    case maPan:
    case maPanHoriz:
    case maPanVert: cursor = 1; break;
    case maZoomWind: cursor = 2; break;
    case maZoomDrag: cursor = 3; break;
    case maZoomWindPos: cursor = 4; break;
    case maRubberBand:
    case maDragCrossH:
    case maDragLabel: cursor = Cursors::crDefault; break;
    default: return; // maZoom and the rotation modes leave the cursor alone
    }
  }
  Cursors::SetApplicationCursor(cursor);
}

// ============================================================================
// Zoom band
// ============================================================================

void TCustomRChart::MoveZoomBand(int x, int y) {
  x = std::clamp(x, marginLeft_, std::max(marginLeft_, DataArea().right()));
  if (isometric_) {
    const long long dx = static_cast<long long>(x) - zoomX0_;
    const long long dy = static_cast<long long>(y) - zoomY0_;
    y = static_cast<int>(dx * dy > 0 ? zoomY0_ + dx : zoomY0_ - dx);
  }
  y = std::clamp(y, marginTop_, std::max(marginTop_, DataArea().bottom()));
  const QRect previous = QRect(QPoint(zoomX0_, zoomY0_), QPoint(zoomX1_, zoomY1_)).normalized();
  XorBand(zoomX0_, zoomY0_, zoomX1_, zoomY1_, nullptr); // erase the band drawn last
  XorBand(zoomX0_, zoomY0_, x, y, &previous);
  zoomX1_ = x;
  zoomY1_ = y;
}

// One band outline in XOR on the window surface (drawing it again removes it),
// then the changed part of the surface goes to the screen.
void TCustomRChart::XorBand(int x0, int y0, int x1, int y1, const QRect* previous) {
  TCanvas& c = WindowCanvas();
  c.Pen.Mode = pmXor;
  c.Pen.Color = 0xFFFFFF;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  c.Brush.Style = bsClear;
  c.Rectangle(x0, y0, x1, y1);
  c.Pen.Mode = pmCopy;
  c.Brush.Style = bsSolid;
  QRect area = QRect(QPoint(x0, y0), QPoint(x1, y1)).normalized();
  if (previous) area = area.united(*previous);
  PresentSurface(area);
}

void TCustomRChart::CancelZoomBand() {
  if (zoomState_ != zsDrawWin) return;
  zoomState_ = zsNormal;
  XorBand(zoomX0_, zoomY0_, zoomX1_, zoomY1_, nullptr);
}

void TCustomRChart::FinishZoomWindow(Qt::MouseButton button) {
  zoomState_ = zsNormal;
  if (button == Qt::RightButton) { // cancelled: the band goes, nothing zooms
    XorBand(zoomX0_, zoomY0_, zoomX1_, zoomY1_, nullptr);
    swallowContextMenu_ = true;
    return;
  }
  // The middle button, or a band without width or height: nothing happens (the
  // outline stays until the next paint).
  if (button != Qt::LeftButton || zoomX0_ == zoomX1_ || zoomY0_ == zoomY1_) return;

  const TMouseActMode mode = mouseAction_;
  TPaintLockGuard lock(*this);
  for (int n = 1; n <= NumLayers; ++n) {
    if (!mouseLayers_[n]) continue;
    // The exact world values of the two corner pixels.
    const QPointF a = MapToWorld(n, zoomX0_, zoomY0_);
    const QPointF b = MapToWorld(n, zoomX1_, zoomY1_);
    long double ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
    if (mode != maZoomWind) { // keep the direction of both axes
      const TScaleProps* xp = propsX_[n];
      const TScaleProps* yp = propsY_[n];
      if ((bx < ax && xp->RangeLow() < xp->RangeHigh()) ||
          (bx > ax && xp->RangeLow() > xp->RangeHigh()))
        std::swap(ax, bx);
      if ((by < ay && yp->RangeLow() < yp->RangeHigh()) ||
          (by > ay && yp->RangeLow() > yp->RangeHigh()))
        std::swap(ay, by);
    }
    if (isometric_) {
      const long double c = (by + ay) / 2;
      const long double h = IsoHalfHeight(bx - ax);
      by = c + h;
      ay = c - h;
    }
    if (mode == maRubberBand) {
      if (OnRubberBand)
        OnRubberBand(this, n, static_cast<double>(ax), static_cast<double>(ay),
                     static_cast<double>(bx), static_cast<double>(by));
    } else {
      ApplyRangesToLayer(n, ax, ay, bx, by);
    }
  }
  if (OnZoomPan) OnZoomPan(this);
  lock.Restore(); // the repaint also removes the band
}

// ============================================================================
// Dragging modes
// ============================================================================

// Without the left button a drag ends; its first move with the button records
// the start pixel and every layer's ranges. Only later moves act.
bool TCustomRChart::DragMoveActs(TShiftState shift, int x, int y) {
  if (!(shift & ssLeft)) {
    dragStarted_ = false;
    return false;
  }
  if (dragStarted_) return true;
  for (int n = 1; n <= NumLayers; ++n) {
    TDragStart& s = dragStart_[n];
    s.sx = x;
    s.sy = y;
    s.xl0 = propsX_[n]->RangeLow();
    s.xh0 = propsX_[n]->RangeHigh();
    s.yl0 = propsY_[n]->RangeLow();
    s.yh0 = propsY_[n]->RangeHigh();
  }
  dragStarted_ = true;
  return false;
}

// Each move is computed from the start pixel and the start ranges, so rounding
// does not accumulate. The content follows the mouse.
void TCustomRChart::PanMove(int x, int y) {
  const QRect area = DataArea();
  const long double aw = area.width() - 1;
  const long double ah = area.height() - 1;
  const bool panX = mouseAction_ != maPanVert && aw > 0;
  const bool panY = mouseAction_ != maPanHoriz && ah > 0;
  TPaintLockGuard lock(*this);
  for (int n = 1; n <= NumLayers; ++n) {
    if (!mouseLayers_[n]) continue;
    const TScaleProps* xp = propsX_[n];
    const TScaleProps* yp = propsY_[n];
    const TDragStart& s = dragStart_[n];
    const long double xl = xp->RangeLow(), xh = xp->RangeHigh();
    const long double yl = yp->RangeLow(), yh = yp->RangeHigh();
    long double nxl = xl, nxh = xh, nyl = yl, nyh = yh;
    if (panX) {
      if (!xp->Logarithmic()) {
        const long double shift = (xh - xl) * (x - s.sx) / aw;
        nxl = s.xl0 - shift;
        nxh = s.xh0 - shift;
      } else {
        const long double f = std::exp(std::log(xh / xl) * (s.sx - x) / aw);
        nxl = s.xl0 * f;
        nxh = s.xh0 * f;
      }
    }
    if (panY) {
      if (!yp->Logarithmic()) {
        const long double shift = (yh - yl) * (y - s.sy) / ah;
        nyl = s.yl0 + shift;
        nyh = s.yh0 + shift;
      } else {
        const long double g = std::exp(std::log(yh / yl) * (y - s.sy) / ah);
        nyl = s.yl0 * g;
        nyh = s.yh0 * g;
      }
    }
    ApplyRangesToLayer(n, nxl, nyl, nxh, nyh);
  }
  lock.Restore();
  if (OnZoomPan) OnZoomPan(this);
}

// Zooms around the centre of the start view; the factors come from the
// control's size and scale the ranges linearly, also on logarithmic axes.
void TCustomRChart::DragZoomMove(int x, int y) {
  TPaintLockGuard lock(*this);
  for (int n = 1; n <= NumLayers; ++n) {
    if (!mouseLayers_[n]) continue;
    const TDragStart& s = dragStart_[n];
    const long double fx = 1 - static_cast<long double>(x - s.sx) / width();
    const long double fy = isometric_ ? fx : 1 + static_cast<long double>(y - s.sy) / height();
    const long double cx = (static_cast<long double>(s.xh0) + s.xl0) / 2;
    const long double cy = (static_cast<long double>(s.yh0) + s.yl0) / 2;
    const long double hx = (static_cast<long double>(s.xh0) - s.xl0) * fx / 2;
    const long double hy = (static_cast<long double>(s.yh0) - s.yl0) * fy / 2;
    ApplyRangesToLayer(n, cx - hx, cy - hy, cx + hx, cy + hy);
  }
  lock.Restore();
  if (OnZoomPan) OnZoomPan(this);
}

// The crosshair whose line is nearest to the pixel; ties keep the earlier one,
// crosshairs that are off are never chosen, and crosshair 1 when none is on.
void TCustomRChart::SelectCrossHair(int x, int y) {
  selCrossHair_ = 1;
  double best = kNoneFound;
  for (int i = 1; i <= NumCrossHairs; ++i) {
    const TCrossHair* ch = crossHairs_[i - 1];
    const QPoint p = MapToPixel(ch->Layer(), ch->PosX(), ch->PosY());
    if (ch->Mode() == chVert || ch->Mode() == chBoth) {
      const double d = Square(static_cast<double>(p.x()) - x);
      if (d < best) {
        selCrossHair_ = i;
        best = d;
      }
    }
    if (ch->Mode() == chHoriz || ch->Mode() == chBoth) {
      const double d = Square(static_cast<double>(p.y()) - y);
      if (d < best) {
        selCrossHair_ = i;
        best = d;
      }
    }
  }
}

// The visible label whose anchor (as the label drawing places it, before
// alignment) is nearest to the pixel; label 1 when none is visible.
void TCustomRChart::SelectTextLabel(int x, int y) {
  selTextLabel_ = 1;
  double best = kNoneFound;
  for (int i = 1; i <= NumTextLabels; ++i) {
    const TTextLabel* tl = textLabels_[i - 1];
    if (tl->Mode() == tlOff || !tl->Visible()) continue;
    const TTxtLblAttachMode attach = tl->AttachToData();
    const QPoint mapped =
        attach == tlamNone ? QPoint() : MapToPixel(tl->Layer(), tl->PosX(), tl->PosY());
    const bool worldX = attach == tlamXOnly || attach == tlamBoth;
    const bool worldY = attach == tlamYOnly || attach == tlamBoth;
    const double px = worldX ? mapped.x() : RoundPixel(tl->PosX());
    const double py = worldY ? mapped.y() : RoundPixel(tl->PosY());
    const double d = Square(px - x) + Square(py - y);
    if (d < best) {
      selTextLabel_ = i;
      best = d;
    }
  }
}

// The crosshair jumps to the mouse (both coordinates, whatever its mode), also
// outside the data area. The setters' repaints are gathered into one.
void TCustomRChart::CrossHairMove(int x, int y) {
  TCrossHair* ch = crossHairs_[std::clamp(selCrossHair_, 1, NumCrossHairs) - 1];
  const QPointF w = MapToWorld(ch->Layer(), x, y);
  TPaintLockGuard lock(*this);
  ch->SetPosX(w.x());
  ch->SetPosY(w.y());
  lock.Restore(); // one Paint
  if (OnCrossHairMove) OnCrossHairMove(this, ch);
}

void TCustomRChart::TextLabelMove(int x, int y) {
  TTextLabel* tl = textLabels_[std::clamp(selTextLabel_, 1, NumTextLabels) - 1];
  const QPointF w = MapToWorld(tl->Layer(), x, y);
  const TTxtLblAttachMode attach = tl->AttachToData();
  TPaintLockGuard lock(*this);
  tl->SetPosX(attach == tlamXOnly || attach == tlamBoth ? w.x() : x);
  tl->SetPosY(attach == tlamYOnly || attach == tlamBoth ? w.y() : y);
  lock.Restore(); // one Paint
  if (OnTextLabelMove) OnTextLabelMove(this, tl);
}
