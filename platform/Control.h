#pragma once
// A custom control: a window with its own window surface (an image that holds
// exactly what the window shows) and a virtual Paint. The widget's paint event
// copies the surface to the screen; a paint request from the system first runs
// Paint as the platform would. Drawing "on the window" changes the surface and
// then shows it with PresentSurface (the screen copies the finished surface).
// On a screen with a device pixel ratio of 2 (or more) the surface holds that many
// pixels per logical pixel, and its canvas draws at the screen's resolution.
#include "Canvas.h"
#include <QWidget>

class TCustomControl : public QWidget {
  Q_OBJECT
public:
  explicit TCustomControl(QWidget* parent = nullptr);

  // Device pixels per logical pixel of the screen the control is on (DeviceScaleFor).
  int DeviceScale() const { return DeviceScaleFor(devicePixelRatio()); }

  // The window surface and its canvas (always the control's size, also while hidden;
  // DeviceScale() times as many pixels, with that device pixel ratio).
  QImage& WindowImage() {
    EnsureSurfaceSize();
    return surface_;
  }
  // The canvas is for drawing: a surface that still shares its pixels with an adopted
  // picture (AdoptSurface) gets pixels of its own first.
  TCanvas& WindowCanvas() {
    EnsureSurfaceSize();
    if (!surface_.isNull() && !surface_.isDetached()) OwnSurface();
    return surfaceCanvas_;
  }
  // Makes a finished picture of the whole control the window surface without copying
  // it: the surface shares the picture's pixels until one of the two is drawn on (a
  // picture of another size or format is copied instead).
  void AdoptSurface(const QImage& picture);
  // An RGB32 image of the control's size (and device scale) that shares its pixels with no one, for
  // composing the next picture: the surface's former pixels when there are such, so a
  // control that composes and adopts in turn allocates nothing after its first two paints.
  // Its content is undefined.
  QImage TakeSpareImage();
  // Shows the current window surface at once (inside Paint it does nothing: the
  // paint event shows the surface when Paint returns).
  // Shows the current window surface (or the given area of it); the screen copy
  // follows at once from the event loop and never runs the control's Paint.
  void PresentSurface(const QRect& area = QRect());

  // Moves and sizes the control; controls with size rules override it. The
  // alignment helper and the stored settings place controls through it.
  virtual void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

  // The platform's paint: draws the control into its window surface.
  virtual void Paint() {}
  // After the stored settings of the window have been applied.
  // The stored-settings loader calls SetLoading(true) before it applies a window's
  // settings and Loaded() afterwards, on every component that has them.
  Q_INVOKABLE virtual void Loaded() { loading_ = false; }
  bool IsLoading() const { return loading_; }
  Q_INVOKABLE void SetLoading(bool v) { loading_ = v; }
  // Always false here: there is no design mode.
  bool IsDesigning() const { return false; }
  bool HandleAllocated() const { return windowCreated_; }

protected:
  // Called once when the control's window comes into being (first showing).
  virtual void CreateWnd() {}
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void EnsureSurfaceSize();
  void OwnSurface();
  QImage surface_;
  QImage spare_; // pixels the surface no longer uses, kept for TakeSpareImage and OwnSurface
  TCanvas surfaceCanvas_;
  bool blitPending_ = false;
  bool inPaint_ = false;
  bool windowCreated_ = false;
  bool loading_ = false;
};
