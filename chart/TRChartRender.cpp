// Drawing of the chart: the control image (background, shadow, caption, axes),
// the data image (background picture or highlighted area, grid, items, text
// labels, frame) and the crosshairs added when an image goes to the window.
// Everything is drawn off-screen first; the window receives finished images only.
#include "TRChart.h"
#include "ItemRenderer.h"
#include "ItemRuns.h"
#include "PaintLockGuard.h"
#include "PixelMath.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

int ClampItemPixel(int p) {
  return std::clamp(p, -TCustomRChart::PixelLimit, TCustomRChart::PixelLimit);
}

// A one-pixel solid pen and a solid brush, both in color: what the chart's background is drawn with.
void SetBackgroundTools(TCanvas& c, TColor color) {
  c.Pen.Style = psSolid;
  c.Pen.Mode = pmCopy;
  c.Pen.Width = 1;
  c.Brush.Style = bsSolid;
  c.Brush.Color = color;
  c.Pen.Color = color;
}

} // namespace

// ============================================================================
// Full paint and the control image
// ============================================================================

void TCustomRChart::Paint() {
  if (destroying_ || !isVisible() || IsLoading() || paintLock_) return;
  if (size() != appliedSize_) { // resized while no resize notice reached us
    const TPaintLockGuard lock(*this);
    ApplyResize();
  }
  ++stats_.FullPaints;
  ComposeControlImage();
  DrawDataBackground(dataImage_.Canvas(), 0, 0);
  RenderItems(dataImage_.Canvas(), 0, 0, false, false);
  if (!dataImage_.Image().isNull())
    controlImage_.Canvas().Draw(marginLeft_, marginTop_, dataImage_.Image());
  PresentImage(0, 0, controlImage_);
  composedSize_ = size();
}

// The shadow and the chart's caption, the two parts drawn around the axes.
void TCustomRChart::DrawShadowAndCaption(TCanvas& c) {
  if (shadowWidth_ > 0) DrawShadow(c);
  c.Pen.Color = chartFrameColor_;
  c.Brush.Style = bsClear;
  c.Font = font_->Data();
  DrawCaption(c);
}

void TCustomRChart::PaintTo(TCanvas& c) {
  const int w = width(), h = height();
  const TPaintLockGuard lock(*this); // nothing repaints the window meanwhile; put back quietly
  SetBackgroundTools(c, windColor_);
  c.Rectangle(0, 0, w, h);
  DrawShadowAndCaption(c);
  CalcScaleFactors();
  // The axes draw on this canvas for once, then on the control image again.
  for (const auto* scales : {&scaleX_, &scaleY_})
    for (int n = 1; n <= NumLayers; ++n) {
      (*scales)[n]->SetExternalCanvas(&c, 0, 0);
      (*scales)[n]->ForcedPaint();
      (*scales)[n]->SetExternalCanvas(&controlImage_.Canvas(), 0, 0);
    }
  if (OnScalesRendered) OnScalesRendered(this, c, 0, 0);
  const QRect area = DataArea();
  if (area.width() > 0 && area.height() > 0) {
    c.SetClipRect(area);
    DrawDataBackground(c, marginLeft_, marginTop_);
    RenderItems(c, marginLeft_, marginTop_, false, false);
    c.SetClipRect(QRect());
  }
  DrawCrossHairs(c, 0, 0);
}

void TCustomRChart::ComposeControlImage() {
  const int w = width(), h = height(), scale = DeviceScale();
  if (controlImage_.Width() != w || controlImage_.Height() != h || controlImage_.Scale() != scale)
    controlImage_.SetSize(w, h, scale);
  else if (!controlImage_.Image().isDetached())
    controlImage_.Image() = TakeSpareImage(); // the window still shows the last picture
  TCanvas& c = controlImage_.Canvas();
  SetBackgroundTools(c, windColor_);
  // The background. The data area is covered by the copy of the data image at the end
  // of the paint, so filling it is wasted work unless someone can look at the control
  // image in between (a render handler of the chart or of a scale): then, and when the
  // data image will not cover its area, all of it is filled.
  const QRect area = DataArea();
  const int dw = std::max(0, area.width()), dh = std::max(0, area.height());
  const QRect covered = QRect(marginLeft_, marginTop_, dw, dh) & QRect(0, 0, w, h);
  // (The scales' tick handlers are the chart's forwarders to its OnScaleTickDrawn.)
  bool observed = OnScalesRendered || OnScaleTickDrawn;
  for (int n = 1; n <= NumLayers && !observed; ++n)
    for (const TScale* s : {scaleX_[n], scaleY_[n]})
      observed = observed || s->OnBeforeScaleRendered || s->OnAfterScaleRendered;
  const QImage& data = dataImage_.Image();
  if (observed || covered.isEmpty() || dataImage_.Width() != dw || dataImage_.Height() != dh ||
      data.format() != QImage::Format_RGB32) {
    c.Rectangle(0, 0, w, h);
  } else {
    c.FillRect(0, 0, w, covered.top());                                      // above
    c.FillRect(0, covered.bottom() + 1, w, h);                               // below
    c.FillRect(0, covered.top(), covered.left(), covered.bottom() + 1);      // left
    c.FillRect(covered.right() + 1, covered.top(), w, covered.bottom() + 1); // right
  }
  DrawShadowAndCaption(c);
  CalcScaleFactors();
  for (int n = 1; n <= NumLayers; ++n) scaleX_[n]->ForcedPaint();
  for (int n = 1; n <= NumLayers; ++n) scaleY_[n]->ForcedPaint();
  if (OnScalesRendered) OnScalesRendered(this, c, 0, 0);
}

// The page's shadow below and right of it, and the page's outline.
void TCustomRChart::DrawShadow(TCanvas& c) {
  const int W = width(), H = height(), SW = shadowWidth_;
  c.Brush.Style = bsSolid;
  c.Brush.Color = shadowBakColor_;
  c.Pen.Color = shadowBakColor_;
  c.Rectangle(W - SW, 0, W, SW); // top-right corner square
  c.Rectangle(0, H - SW, SW, H); // bottom-left corner square
  c.Brush.Color = shadowColor_;
  int e;
  if (shadowStyle_ == ssFlying) {
    c.Pen.Color = shadowColor_;
    e = SW - 1;
  } else {
    c.Pen.Color = clBlack;
    e = 0;
  }
  const QPoint bottom[4] = {{e, H - SW}, {SW - 1, H - 1}, {W - 1, H - 1}, {W - SW, H - SW}};
  c.Polygon(bottom, 4);
  const QPoint right[4] = {{W - SW, H - SW}, {W - 1, H - 1}, {W - 1, SW - 1}, {W - SW, e}};
  c.Polygon(right, 4);
  c.Pen.Color = clBlack;
  c.Pen.Style = psSolid;
  c.MoveTo(0, 0);
  c.LineTo(W - SW, 0);
  c.LineTo(W - SW, H - SW);
  c.LineTo(0, H - SW);
  c.LineTo(0, 0);
}

void TCustomRChart::DrawCaption(TCanvas& c) {
  if (caption_.isEmpty()) return; // nothing would show
  const int W = width(), H = height();
  const QRect area = DataArea();
  int x = captionPosX_, y = captionPosY_;
  switch (captionAnchorHoriz_) {
  case cahControlLeft: break;
  case cahChartLeft: x += marginLeft_; break;
  case cahChartCenter: x += marginLeft_ + (area.width() - 1) / 2; break;
  case cahChartRight: x += area.right(); break;
  case cahControlRight: x += W; break;
  }
  switch (captionAnchorVert_) {
  case cavControlTop: break;
  case cavChartTop: y += marginTop_; break;
  case cavChartCenter: y += marginTop_ + (area.height() - 1) / 2; break;
  case cavChartBottom: y += H - marginBottom_; break; // the shadow is not subtracted here
  case cavControlBottom: y += H; break;
  }
  const int tw = c.TextWidth(caption_);
  if (captionAlignment_ == taRightJustify)
    x -= tw;
  else if (captionAlignment_ == taCenter)
    x -= tw / 2;
  c.TextOut(x, y, caption_);
}

// ============================================================================
// The data image
// ============================================================================

// The data image has the control image's device scale (set by the last full paint),
// so that it is copied into it pixel for pixel.
void TCustomRChart::ResizeDataImage() {
  const QRect area = DataArea();
  const int dw = std::max(0, area.width()), dh = std::max(0, area.height());
  const int scale = controlImage_.Scale();
  if (dataImage_.Width() != dw || dataImage_.Height() != dh || dataImage_.Scale() != scale)
    dataImage_.SetSize(dw, dh, scale);
}

void TCustomRChart::DrawDataBackground(TCanvas& canvas, int XOffset, int YOffset) {
  // Another canvas (an export, a vector picture) gets the data area's size without the
  // data image being sized for it: a vector picture of any size needs no raster.
  if (&canvas == &dataImage_.Canvas()) ResizeDataImage();
  const int dw = std::max(0, width() - marginLeft_ - marginRight_ - shadowWidth_ + 1);
  const int dh = std::max(0, height() - marginTop_ - marginBottom_ - shadowWidth_ + 1);
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return; // nothing to draw on
  canvas.Pen.Style = psSolid;
  canvas.Pen.Mode = pmCopy;
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = chartColor_;
  canvas.Pen.Color = chartFrameColor_;

  if (!bakGndImg_->Name().isEmpty()) {
    // Read anew at every drawing: the file may have changed.
    if (!picture_.LoadFromFile(bakGndImg_->Name()) || picture_.Width() <= 0 ||
        picture_.Height() <= 0) {
      canvas.Rectangle(XOffset, YOffset, XOffset + dw, YOffset + dh);
      // The picture is dropped for good. Its change notice would repaint from
      // inside this drawing: the lock keeps that out, the drawing goes on.
      const TPaintLockGuard lock(*this);
      bakGndImg_->SetName(QString());
      return;
    }
    DrawBackgroundPicture(canvas, dw, dh);
    return;
  }

  const bool plain = bakGndImg_->AreaMode() == bamNone;
  const bool own = &canvas == &dataImage_.Canvas() && XOffset == 0 && YOffset == 0;
  if (plain && own && blankData_.key == dataImage_.Image().cacheKey() &&
      blankData_.color == chartColor_ && blankData_.frame == chartFrameColor_)
    return; // already exactly this background
  canvas.Rectangle(XOffset, YOffset, XOffset + dw, YOffset + dh);
  if (!plain) DrawHighlightedArea(canvas, XOffset, YOffset, dw, dh);
  if (plain && own) blankData_ = {dataImage_.Image().cacheKey(), chartColor_, chartFrameColor_};
}

// The picture modes place the picture at the data image's origin.
void TCustomRChart::DrawBackgroundPicture(TCanvas& canvas, int dw, int dh) {
  const QImage& picture = picture_.Image();
  switch (bakGndImg_->FillMode()) {
  case bfSimple:
    canvas.Rectangle(0, 0, dw, dh);
    canvas.Draw(0, 0, picture);
    break;
  case bfStretch: canvas.StretchDraw(QRect(0, 0, dw, dh), picture); break;
  case bfTile: {
    const int pw = picture.width(), ph = picture.height();
    const int nx = (dw - 1) / pw + 1, ny = (dh - 1) / ph + 1;
    for (int i = 0; i < nx; ++i)
      for (int j = 0; j < ny; ++j) canvas.Draw(i * pw, j * ph, picture);
    break;
  }
  }
}

// A part of the data area, given in world coordinates of layer 1, filled in AreaColor.
void TCustomRChart::DrawHighlightedArea(TCanvas& canvas, int XOffset, int YOffset, int dw, int dh) {
  canvas.Brush.Color = bakGndImg_->AreaColor();
  canvas.Pen.Color = bakGndImg_->AreaColor();
  const QPoint lt = MapToPixel(1, bakGndImg_->AreaLeft(), bakGndImg_->AreaTop());
  const QPoint rb = MapToPixel(1, bakGndImg_->AreaRight(), bakGndImg_->AreaBottom());
  const int xl = ClampItemPixel(lt.x()) - marginLeft_ + XOffset;
  const int yt = ClampItemPixel(lt.y()) - marginTop_ + YOffset;
  const int xr = ClampItemPixel(rb.x()) - marginLeft_ + XOffset;
  const int yb = ClampItemPixel(rb.y()) - marginTop_ + YOffset;
  const int x0 = XOffset, y0 = YOffset, x1 = XOffset + dw, y1 = YOffset + dh;
  switch (bakGndImg_->AreaMode()) {
  case bamNone: break;
  case bamLeft: canvas.Rectangle(x0, y0, xl, y1); break;
  case bamRight: canvas.Rectangle(xr, y0, x1, y1); break;
  case bamTop: canvas.Rectangle(x0, y0, x1, yt); break;
  case bamBottom: canvas.Rectangle(x0, yb, x1, y1); break;
  case bamVStripe: canvas.Rectangle(xl, y0, xr, y1); break;
  case bamHStripe: canvas.Rectangle(x0, yt, x1, yb); break;
  case bamRect: canvas.Rectangle(xl, yt, xr, yb); break;
  }
}

// A plain hairline's runs of points in one pixel column are drawn as their spans.
void TCustomRChart::DrawPolyline(TCanvas& canvas, const QPoint* points, int count) {
  ++stats_.Polylines;
  if (count > 4 && count <= PolylineBufferSize && ItemRuns::PlainHairline(canvas)) {
    const int n = ItemRuns::ReduceColumnRuns(points, count, reducedPolyline_.data());
    canvas.PolylineDevice(reducedPolyline_.data(), n);
    canvas.MoveToDevice(points[count - 1].x(), points[count - 1].y());
    return;
  }
  canvas.PolylineDevice(points, count);
}

void TCustomRChart::RenderItems(TCanvas& canvas, int XOffset, int YOffset, bool Monochrome,
                                bool NoGrid) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return; // nothing to draw on
  // 1. Render event; the handler may change the canvas, the colours come back.
  const TColor savedBrush = canvas.Brush.Color, savedPen = canvas.Pen.Color;
  if (OnBeforeRenderData) OnBeforeRenderData(this, canvas, marginTop_ - YOffset, marginLeft_ - XOffset);
  canvas.Brush.Color = savedBrush;
  canvas.Pen.Color = savedPen;

  // 2. Grid.
  if (gridStyle_ != gsNone && !NoGrid) DrawGrid(canvas, XOffset, YOffset);

  // 3. Items in list order.
  TItemRenderer(*this, canvas, XOffset, YOffset, Monochrome).Draw();

  // 4. Text labels, label 1 ending on top.
  canvas.Pen.Width = 1;
  for (int i = NumTextLabels - 1; i >= 0; --i) {
    const TTextLabel& label = *textLabels_[i];
    if (label.Mode() != tlOff && label.Visible() && LayerVisible(label.Layer()))
      DrawTextLabel(canvas, label, XOffset, YOffset);
  }

  // 5. Render event after the items.
  if (OnDataRendered) OnDataRendered(this, canvas, marginTop_ - YOffset, marginLeft_ - XOffset);

  // 6. Frame of the data area, over everything.
  const QRect area = DataArea();
  const int aw = area.width() - 1, ah = area.height() - 1;
  canvas.Pen.Color = chartFrameColor_;
  canvas.Pen.Style = psSolid;
  canvas.MoveTo(XOffset, YOffset);
  canvas.LineTo(XOffset + aw, YOffset);
  canvas.LineTo(XOffset + aw, YOffset + ah);
  canvas.LineTo(XOffset, YOffset + ah);
  canvas.LineTo(XOffset, YOffset);
}

// ============================================================================
// Crosshairs and presenting
// ============================================================================

void TCustomRChart::DrawCrossHairs(TCanvas& c, int XPos, int YPos) {
  bool any = false;
  for (const TCrossHair* ch : crossHairs_) any = any || ch->Mode() != chOff;
  if (!any) return;
  const TColor savedPen = c.Pen.Color, savedBrush = c.Brush.Color;
  const int savedWidth = c.Pen.Width;
  const TPenStyle savedStyle = c.Pen.Style;
  const TBrushStyle savedBrushStyle = c.Brush.Style;
  const int right = DataArea().right(), bottom = DataArea().bottom();
  for (const TCrossHair* ch : crossHairs_) {
    if (ch->Mode() == chOff) continue;
    const QPoint p = MapToPixel(ch->Layer(), ch->PosX(), ch->PosY());
    c.Pen.Color = ch->Color();
    c.Pen.Width = ch->LineWid();
    c.Pen.Style = ch->LineType();
    c.Brush.Color = chartColor_; // fills the gaps of dashed and dotted lines
    c.Brush.Style = bsSolid;
    const int h = ch->LineWid() / 2;
    if ((ch->Mode() == chHoriz || ch->Mode() == chBoth) && marginTop_ + h < p.y() &&
        p.y() < bottom - h) {
      c.MoveTo(marginLeft_ + h + 1 - XPos, p.y() - YPos);
      c.LineTo(right - h - XPos, p.y() - YPos);
    }
    if ((ch->Mode() == chVert || ch->Mode() == chBoth) && marginLeft_ + h < p.x() &&
        p.x() < right - h) {
      c.MoveTo(p.x() - XPos, marginTop_ + h + 1 - YPos);
      c.LineTo(p.x() - XPos, bottom - h - YPos);
    }
  }
  c.Pen.Color = savedPen;
  c.Pen.Width = savedWidth;
  c.Pen.Style = savedStyle;
  c.Brush.Color = savedBrush;
  c.Brush.Style = savedBrushStyle;
}

void TCustomRChart::PresentImage(int XPos, int YPos, TBitmap& Image) {
  if (Image.Image().isNull()) return;
  DrawCrossHairs(Image.Canvas(), XPos, YPos);
  // The whole control image becomes the window surface without a copy; they share
  // pixels until the next paint composes into spare ones.
  if (&Image == &controlImage_ && XPos == 0 && YPos == 0) AdoptSurface(Image.Image());
  else WindowCanvas().Draw(XPos, YPos, Image.Image());
  if (!inPaintEvent_) PresentSurface(QRect(XPos, YPos, Image.Width(), Image.Height()));
}

void TCustomRChart::paintEvent(QPaintEvent* event) {
  inPaintEvent_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inPaintEvent_};
  TCustomControl::paintEvent(event);
}
