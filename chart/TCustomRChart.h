#pragma once
// The chart control: a display list of move-to/line-to items in world
// coordinates, sixteen layers with their own ranges and axes, and the
// double-buffered drawing of items, frame and axes. TCustomRChart holds data
// and behaviour (its public part is the API; the internals follow it);
// TRChart (TRChart.h) publishes the properties by name.
#include "ChartEvents.h"
#include "ChartTypes.h"
#include "Control.h"
#include "Font.h"
#include "ItemList.h"
#include "LayerRanges.h"
#include "MouseEvents.h"
#include "TBakGndImg.h"
#include "TCrossHair.h"
#include "TJointLayers.h"
#include "TScale.h"
#include "TScaleProps.h"
#include "TTextLabel.h"
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <array>
#include <vector>

// Mouse handling (zoom band, pan, drag zoom, crosshair and label drag, mode
// cursors) is in TRChartMouse.cpp. The platform's mouse events (OnMouseDown,
// OnMouseMove, OnMouseUp, OnClick, OnDblClick) come from TMouseEvents.
class TCustomRChart : public TCustomControl, public TMouseEvents {
  Q_OBJECT
  friend class TItemRenderer; // reads the list, the layers and the settings while drawing
public:
  static constexpr int NumLayers = 16;
  static constexpr int NumCrossHairs = 4;
  static constexpr int NumTextLabels = 30;
  static constexpr int MaxSharers = 4;
  static constexpr int PolylineBufferSize = 200;
  static constexpr int LongRun = 50000; // rising runs drawn column by column from this length
  static constexpr int PixelLimit = 30000; // item pixels are clamped to +-PixelLimit (times the device scale)
  static constexpr int MaxGridLines = 1000; // per direction (and points in total for gsPoints)

  explicit TCustomRChart(QWidget* parent = nullptr);
  ~TCustomRChart() override;

  // ---- display list ----
  void ClearItems();
  void MoveTo(double x, double y) { AppendItem(ikMoveTo, x, y); }
  void LineTo(double x, double y) { AppendItem(ikLineTo, x, y); }
  void ShowItems();
  int ItemCount() const { return itemCount_; }
  int Capacity() const { return capacity_; }
  // Item i (0 .. ItemCount() - 1) of the list this chart shows; an empty item outside.
  TDisplayItem Item(int i) const;
  // The storage of the list this chart shows (its own or its source's); the items
  // beyond ItemCount() are not this chart's.
  const TItemList& Items() const { return *items_; }
  int CurrentLayer() const { return currentLayer_; }
  bool ClassVisible(int itemClass) const;
  bool LayerVisible(int layer) const;
  // The layer of items appended from now on (1 .. 16; other values are ignored),
  // and which classes and layers are drawn (from the next drawing on).
  void SetCurrentLayer(int layer);
  void SetClassVisible(int itemClass, bool visible);
  void SetLayerVisible(int layer, bool visible);

  // ---- layers, ranges, mapping ----
  void SetLayerRange(int Layer, long double LoX, long double LoY, long double HiX, long double HiY);
  // Control pixels of a world point; with a device scale s above 1, device pixels of
  // an image s times the control's size (s times the exact position, then rounded).
  QPoint MapToPixel(int layer, double x, double y, int deviceScale = 1) const;
  QPointF MapToWorld(int layer, int px, int py) const;
  virtual void CalcScaleFactors();
  const TScaleFactors& ScaleFactors(int layer) const;
  void SyncScale(TScale* scale, TScaleProps* props);
  // Property and scale objects of a layer; layer 1's for numbers outside 1 .. 16.
  TScalePropsHoriz* ScalePropsX(int layer) const;
  TScalePropsVert* ScalePropsY(int layer) const;
  TScale* ScaleObjectX(int layer) const;
  TScale* ScaleObjectY(int layer) const;
  int AspectX() const { return aspectX_; }
  int AspectY() const { return aspectY_; }

  // ---- paint lock ----
  bool PaintLocked() const { return paintLock_; }
  // Sets the lock and returns the previous state for RestorePaintLock.
  bool LockPaint();
  // Puts the lock back; going from set to clear repaints (returns true then).
  bool RestorePaintLock(bool saved);
  // Puts the lock back without painting. Updates hold the lock through a
  // TPaintLockGuard (PaintLockGuard.h), which restores it also when a handler throws.
  void RestorePaintLockQuietly(bool saved) { paintLock_ = saved; }

  // ---- drawing ----
  void Paint() override;
  void ComposeControlImage();
  virtual void DrawDataBackground(TCanvas& Canvas, int XOffset, int YOffset);
  virtual void RenderItems(TCanvas& Canvas, int XOffset, int YOffset, bool Monochrome, bool NoGrid);
  void PresentImage(int XPos, int YPos, TBitmap& Image);
  // Draws the whole chart as a full paint does, onto another canvas whose pixels are the
  // control's (a printer's or a vector picture's): background, shadow, caption, axes, the
  // data area cut at its edges, and the crosshairs. The window and the images stay as they are.
  void PaintTo(TCanvas& canvas);
  TBitmap& DataImage() { return dataImage_; }
  TBitmap& ControlImage() { return controlImage_; }
  // The grid values of the current layer along x (or y), in drawing order: at
  // most MaxGridLines values, written to out; returns their number.
  int GridValues(bool x, double* out) const;
  const TRenderStats& RenderStats() const { return stats_; }
  void ResetRenderStats() { stats_ = {}; }

  // ---- geometry ----
  // Applies the bounds with the minimum size that keeps the data area 80 x 20 pixels.
  void SetBounds(int left, int top, int width, int height) override;
  int MinimumWidth() const { return marginLeft_ + marginRight_ + shadowWidth_ + 80; }
  int MinimumHeight() const { return marginTop_ + marginBottom_ + shadowWidth_ + 20; }
  // The data area in control pixels, both ends included: from the left and top margins to
  // the frame's right and bottom lines, which lie inside the right and bottom margins and
  // the shadow. Its width and height are the data image's (not above 0 when the margins
  // leave no room).
  QRect DataArea() const {
    return QRect(QPoint(marginLeft_, marginTop_),
                 QPoint(width() - marginRight_ - shadowWidth_, height() - marginBottom_ - shadowWidth_));
  }

  // ---- owned objects ----
  TCrossHair* CrossHair(int i) const; // 1 .. 4, else nullptr
  TTextLabel* TextLabel(int i) const; // 1 .. 30, else nullptr
  TJointLayers* JointLayers() const { return jointLayers_; }
  TBakGndImg* BackGroundImg() const { return bakGndImg_; }
  TFont* Font() const { return font_; }

  // ---- data sharing ----
  TCustomRChart* UseDataOf() const { return usesData_; }
  void SetUseDataOf(TCustomRChart* source);
  int SharerCount() const { return numSharers_; }
  TCustomRChart* Sharer(int i) const { return i >= 0 && i < numSharers_ ? sharers_[i] : nullptr; }

  // ---- settings ----
  int AllocSize() const { return allocSize_; }
  void SetAllocSize(int v);
  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool v) { autoRedraw_ = v; }
  int MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(int v);
  int MarginRight() const { return marginRight_; }
  void SetMarginRight(int v);
  int MarginTop() const { return marginTop_; }
  void SetMarginTop(int v);
  int MarginBottom() const { return marginBottom_; }
  void SetMarginBottom(int v);
  int ClassDefault() const { return classDefault_; }
  void SetClassDefault(int v);
  ChartTypes::GridStyleType GridStyle() const { return gridStyle_; }
  void SetGridStyle(ChartTypes::GridStyleType v);
  double GridDx() const { return gridDx_; }
  void SetGridDx(double v);
  double GridDy() const { return gridDy_; }
  void SetGridDy(double v);
  bool Isometric() const { return isometric_; }
  void SetIsometric(bool v);
  TColor DataColor() const { return dataColor_; }
  void SetDataColor(TColor v) {
    dataColor_ = v;
    RefreshNewAttrs();
  }
  Platform::TPenStyle PenStyle() const { return penStyle_; }
  void SetPenStyle(Platform::TPenStyle v) {
    penStyle_ = v;
    RefreshNewAttrs();
  }
  TColor FillColor() const { return fillColor_; }
  void SetFillColor(TColor v) {
    fillColor_ = v;
    RefreshNewAttrs();
  }
  int LineWidth() const { return lineWidth_; }
  void SetLineWidth(int v);
  TColor ChartFrameColor() const { return chartFrameColor_; }
  void SetChartFrameColor(TColor v);
  TColor ChartColor() const { return chartColor_; }
  void SetChartColor(TColor v);
  TColor WindColor() const { return windColor_; }
  void SetWindColor(TColor v);
  TColor GridColor() const { return gridColor_; }
  void SetGridColor(TColor v);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& v);
  int CaptionPosX() const { return captionPosX_; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return captionPosY_; }
  void SetCaptionPosY(int v);
  Platform::TAlignment CaptionAlignment() const { return captionAlignment_; }
  void SetCaptionAlignment(Platform::TAlignment v);
  ChartTypes::TCaptionAnchorHoriz CaptionAnchorHoriz() const { return captionAnchorHoriz_; }
  void SetCaptionAnchorHoriz(ChartTypes::TCaptionAnchorHoriz v);
  ChartTypes::TCaptionAnchorVert CaptionAnchorVert() const { return captionAnchorVert_; }
  void SetCaptionAnchorVert(ChartTypes::TCaptionAnchorVert v);
  ChartTypes::TMouseActMode MouseAction() const { return mouseAction_; }
  void SetMouseAction(ChartTypes::TMouseActMode v) { mouseAction_ = v; }
  bool MouseCursorFixed() const { return mouseCursorFixed_; }
  void SetMouseCursorFixed(bool v) { mouseCursorFixed_ = v; }
  ChartTypes::TRChartLayout StandardLayout() const { return standardLayout_; }
  void SetStandardLayout(ChartTypes::TRChartLayout v);
  int ShadowWidth() const { return shadowWidth_; }
  void SetShadowWidth(int v);
  ChartTypes::TShadowStyle ShadowStyle() const { return shadowStyle_; }
  void SetShadowStyle(ChartTypes::TShadowStyle v);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor v);
  TColor ShadowBakColor() const { return shadowBakColor_; }
  void SetShadowBakColor(TColor v);
  Platform::TFontStyles TextFontStyle() const { return textFontStyle_; }
  void SetTextFontStyle(Platform::TFontStyles v);
  ChartTypes::TTextBkStyle TextBkStyle() const { return textBkStyle_; }
  void SetTextBkStyle(ChartTypes::TTextBkStyle v);
  TColor TextBkColor() const { return textBkColor_; }
  void SetTextBkColor(TColor v);
  Platform::TAlignment TextAlignment() const { return textAlignment_; }
  void SetTextAlignment(Platform::TAlignment v);
  bool Visible() const { return !isHidden(); }
  void SetVisible(bool v) { setVisible(v); }

  Q_INVOKABLE void Loaded() override;

  // A spoken summary of what is drawn, for screen readers (ChartAccessible.cpp).
  QString AccessibleSummary() const { return accessibleSummary_; }
  void SetAccessibleSummary(const QString& summary);

  // ---- mouse ----
  enum TZoomState { zsNormal, zsDrawWin };
  // Inside the data area, both ends included (control pixels).
  bool InDataArea(int x, int y) const;
  TZoomState ZoomState() const { return zoomState_; }
  QPoint ZoomAnchor() const { return QPoint(zoomX0_, zoomY0_); }
  QPoint ZoomCorner() const { return QPoint(zoomX1_, zoomY1_); }
  bool DragStarted() const { return dragStarted_; }
  int SelectedCrossHair() const { return selCrossHair_; }
  int SelectedTextLabel() const { return selTextLabel_; }
  bool DoubleClickPending() const { return dblClickFlag_; }
  // Removes a zoom band being drawn, zooming nothing (as releasing the right button does).
  void CancelZoomBand();
  // Whether mouse zoom and pan act on a layer (only layer 1 at creation).
  bool MouseControlledLayer(int layer) const;
  void SetMouseControlledLayer(int layer, bool on);

  // ---- events ----
  TMouseMoveInChartEvent OnMouseMoveInChart;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TRubberBandEvent OnRubberBand;
  TNotifyEvent OnZoomPan;
  TScaleTickDrawnEvent OnScaleTickDrawn;
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  TRenderEvent OnScalesRendered;
  TCrossHairMoveEvent OnCrossHairMove;
  TTextLabelMoveEvent OnTextLabelMove;

protected:
  // Paints when AutoRedraw is on (or the chart is being designed).
  void RepaintIfAuto();
  // Draws one polyline of the item rendering; the only place items reach the canvas as lines.
  virtual void DrawPolyline(TCanvas& canvas, const QPoint* points, int count);
  void ClearPaintLock() { paintLock_ = false; }
  void DrawShadow(TCanvas& canvas);
  void DrawCaption(TCanvas& canvas);
  void DrawShadowAndCaption(TCanvas& canvas);
  void DrawBackgroundPicture(TCanvas& canvas, int dw, int dh);
  void DrawHighlightedArea(TCanvas& canvas, int XOffset, int YOffset, int dw, int dh);
  void DrawGrid(TCanvas& canvas, int XOffset, int YOffset);
  void DrawTextLabel(TCanvas& canvas, const TTextLabel& label, int XOffset, int YOffset);
  void DrawCrossHairs(TCanvas& canvas, int XPos, int YPos);
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;

private:
  // Appends run once per sample: the common case (room in the own, unshared
  // list) is inline; the rest goes out of line.
  void AppendItem(quint8 kind, double x, double y) {
    if (itemCount_ < capacity_ && items_ == &ownItems_ && numSharers_ == 0) [[likely]] {
      ownItems_.Append(NewAttrs(kind), x, y);
      ++itemCount_;
      return;
    }
    AppendItemSlow(kind, x, y);
  }
  void AppendItemSlow(quint8 kind, double x, double y);
  void MaterialiseOwnList();
  void PropagateList();
  void LeaveSource();

  // Ranges (the rules are TLayerRanges'; these apply them under the paint lock).
  void ApplyLayerRange(int layer, long double lx, long double ly, long double hx, long double hy);
  // Joint layers, storing with the MinRange and logarithmic guards, scale
  // factors, under the paint lock: what the mouse operations apply to a layer.
  void ApplyRangesToLayer(int layer, long double lx, long double ly, long double hx,
                          long double hy);
  // A range stored in a layer's property objects reaches its scales and the factors.
  void RangeStored(int layer);
  void LayerJoined(int layer, bool x);
  // What the range rules and the mapping read of the chart.
  TChartGeometry Geometry() const;
  long double IsoHalfHeight(long double xWidth) const;
  void RefitIsometric();
  void ScalePropsChanged();
  void BeginPropsBatch() { ++propsBatch_; }
  void EndPropsBatch();
  void ResizeDataImage();
  void AfterMarginChange(const std::array<TScale*, NumLayers + 1>& scales, void (TScale::*setMargin)(int),
                         int scaleMargin);
  void ApplyResize();
  void SyncAllScales();
  void SetScaleAlongMargins();

  // Mouse (TRChartMouse.cpp).
  void HandlePress(QMouseEvent* event);
  void HandleMove(QMouseEvent* event);
  void MouseMoveAction(TShiftState shift, int x, int y);
  void UpdateCursor(int x, int y);
  void MoveZoomBand(int x, int y);
  void XorBand(int x0, int y0, int x1, int y1, const QRect* previous);
  void FinishZoomWindow(Qt::MouseButton button);
  // The start of a drag: false while the move only clears or sets the started flag.
  bool DragMoveActs(TShiftState shift, int x, int y);
  void PanMove(int x, int y);
  void DragZoomMove(int x, int y);
  void SelectCrossHair(int x, int y);
  void SelectTextLabel(int x, int y);
  void CrossHairMove(int x, int y);
  void TextLabelMove(int x, int y);

  // The fields of the items appended now, kept up to date by the setters: an append
  // compares them with its run's as they lie in memory.
  const TItemAttrs& NewAttrs(quint8 kind) const { return kind == ikLineTo ? lineToAttrs_ : moveToAttrs_; }
  void RefreshNewAttrs() {
    lineToAttrs_ = TItemAttrs{dataColor_, fillColor_, lineWidth_, currentLayer_, penStyle_, classDefault_, ikLineTo, 0};
    moveToAttrs_ = lineToAttrs_;
    moveToAttrs_.FillColor = 0; // move-to items leave it unset
    moveToAttrs_.Kind = ikMoveTo;
  }

  // Display list: the own list and the list shown, which is the own list or a
  // source chart's. The capacity is the length the list has grown to in steps of
  // AllocSize; the storage behind it grows geometrically.
  TItemList ownItems_;
  const TItemList* items_ = &ownItems_;
  TItemAttrs lineToAttrs_, moveToAttrs_;
  int itemCount_ = 0;
  int capacity_ = 0;
  int allocSize_ = 1000;
  int currentLayer_ = 1;
  std::array<bool, 256> classVisible_;
  std::array<bool, NumLayers + 1> layerVisible_;

  // Layers (index 1 .. 16; index 0 unused).
  std::array<TScalePropsHoriz*, NumLayers + 1> propsX_{};
  std::array<TScalePropsVert*, NumLayers + 1> propsY_{};
  std::array<TScale*, NumLayers + 1> scaleX_{};
  std::array<TScale*, NumLayers + 1> scaleY_{};

  // Owned objects.
  std::array<TCrossHair*, NumCrossHairs> crossHairs_{};
  std::array<TTextLabel*, NumTextLabels> textLabels_{};
  TJointLayers* jointLayers_ = nullptr;
  TBakGndImg* bakGndImg_ = nullptr;
  TFont* font_ = nullptr;
  // The layers' range rules and mapping (on the property objects and joint layers above).
  TLayerRanges ranges_{propsX_, propsY_, jointLayers_};

  // Images.
  TBitmap dataImage_;
  // The data image as the last plain background left it: a second fill with the
  // same colours before anything else drew into it (ClearItems, then ShowItems)
  // would write the same pixels again. Any drawing changes the image's cache key.
  struct BlankDataImage {
    qint64 key = 0;
    TColor color = 0, frame = 0;
  } blankData_;
  TBitmap controlImage_;
  TBitmap picture_;
  std::array<QPoint, PolylineBufferSize> polyBuffer_;
  std::array<QPoint, PolylineBufferSize> reducedPolyline_;
  std::array<double, MaxGridLines> gridX_{}; // grid values of the pass being drawn
  std::array<double, MaxGridLines> gridY_{};

  // Sharing.
  TCustomRChart* usesData_ = nullptr;
  std::array<TCustomRChart*, MaxSharers> sharers_{};
  int numSharers_ = 0;

  // State.
  bool paintLock_ = true;
  bool destroying_ = false;
  bool inPaintEvent_ = false; // the platform blits the surface itself afterwards
  int propsBatch_ = 0;
  bool propsPending_ = false;
  QSize appliedSize_;
  QSize composedSize_; // the size the window's frame, caption and axes were last drawn at
  int aspectX_ = 1;
  int aspectY_ = 1;
  TRenderStats stats_;

  // Mouse state.
  struct TDragStart {
    int sx = 0, sy = 0;
    double xl0 = 0, xh0 = 0, yl0 = 0, yh0 = 0;
  };
  std::array<bool, NumLayers + 1> mouseLayers_{};
  std::array<TDragStart, NumLayers + 1> dragStart_{};
  TZoomState zoomState_ = zsNormal;
  int zoomX0_ = 0, zoomY0_ = 0, zoomX1_ = 0, zoomY1_ = 0;
  bool dragStarted_ = false;
  int selCrossHair_ = 1;
  int selTextLabel_ = 1;
  bool dblClickFlag_ = false;
  bool swallowContextMenu_ = false; // the right button just cancelled a zoom band

  // Settings.
  bool autoRedraw_ = false;
  int marginLeft_ = 50, marginRight_ = 10, marginTop_ = 16, marginBottom_ = 32;
  quint8 classDefault_ = 0;
  ChartTypes::GridStyleType gridStyle_ = gsNone;
  double gridDx_ = 0, gridDy_ = 0;
  bool isometric_ = false;
  TColor dataColor_ = clBlack;
  Platform::TPenStyle penStyle_ = psSolid;
  TColor fillColor_ = clSilver;
  quint8 lineWidth_ = 1;
  TColor chartFrameColor_ = clBlack;
  TColor chartColor_ = clWhite;
  TColor windColor_ = clBtnFace;
  TColor gridColor_ = clBlack;
  QString caption_;
  QString accessibleSummary_;
  int captionPosX_ = 0, captionPosY_ = -16;
  Platform::TAlignment captionAlignment_ = taRightJustify;
  ChartTypes::TCaptionAnchorHoriz captionAnchorHoriz_ = cahChartRight;
  ChartTypes::TCaptionAnchorVert captionAnchorVert_ = cavChartTop;
  ChartTypes::TMouseActMode mouseAction_ = maNone;
  bool mouseCursorFixed_ = true;
  ChartTypes::TRChartLayout standardLayout_ = rcl_X1Bottom_Y1Left;
  int shadowWidth_ = 0;
  ChartTypes::TShadowStyle shadowStyle_ = ssFlying;
  TColor shadowColor_ = clGrayText;
  TColor shadowBakColor_ = clBtnFace;
  Platform::TFontStyles textFontStyle_;
  ChartTypes::TTextBkStyle textBkStyle_ = tbClear;
  TColor textBkColor_ = clWhite;
  Platform::TAlignment textAlignment_ = taCenter;
};
