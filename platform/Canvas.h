#pragma once
// A drawing surface with the platform's pixel conventions, over a QImage
// (Format_RGB32) or another paint device (printer/PDF).
//
// Conventions the components rely on to the pixel:
// - Rectangle(x1, y1, x2, y2): outline along x1 and y1 and one pixel inside x2 and y2
//   (covering x1 .. x2-1, y1 .. y2-1); interior filled with the brush unless it is clear.
// - LineTo and Polyline leave out the end pixel; the pen position moves to it.
// - One-pixel pen styles: dash 18/6, dot 3/3, dash-dot 9,6,3,6, dash-dot-dot 9,3,3,3,3,3;
//   psClear draws nothing; gaps are filled with the brush colour when the brush is solid.
// - Pen mode XOR inverts with the pen colour; image copies with SRCCOPY or SRCAND.
// - TextOut(x, y) puts the text's top-left corner at (x, y); a solid brush gives the text
//   an opaque background in the brush colour, a clear brush none.
//
// Device scale: an image whose device pixel ratio is s > 1 (a picture for a screen
// of that ratio) holds s x s pixels per logical pixel. The canvas then takes logical
// coordinates as before and draws at the device's resolution: a one-pixel line covers
// s device pixels across, fills and copies cover s x s pixels per logical pixel (so
// axis-aligned drawing is the exact s-fold enlargement of what ratio 1 draws), and
// text is rendered at s times its pixel size. The *Device calls take device pixels,
// for drawings finer than a logical pixel (a curve). At scale 1 nothing changes.
#include "Colors.h"
#include "Font.h"
#include "PlatformTypes.h"
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

class QPaintDevice;

// The device scale used for a device pixel ratio: the nearest whole number, halves
// up (1.25 -> 1, 1.5 -> 2, 2 -> 2), at least 1 and at most MaxDeviceScale.
constexpr int MaxDeviceScale = 8;
int DeviceScaleFor(double devicePixelRatio);

class TCanvas {
public:
  // Draws on an RGB32 image; the image must outlive the canvas (it may be resized in between).
  explicit TCanvas(QImage* image);
  // Draws on another paint device (the printer's canvas); device pixels.
  explicit TCanvas(QPaintDevice* device);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen Pen;
  TBrush Brush;
  TFontData Font;

  // Logical size (an image's pixels divided by its device scale).
  int Width() const;
  int Height() const;
  // Device pixels per logical pixel: 1 unless the image has a device pixel ratio above 1;
  // always 1 on another paint device (the painter there scales by itself).
  int DeviceScale() const;
  QImage* Image() const { return image_; } // null for a printer canvas
  QPaintDevice* Device() const { return device_; } // the printer's device; null for an image

  // Lines.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  QPoint PenPos() const { return penPos_; }
  void Polyline(const QPoint* points, int count);
  // The same in device pixels (a one-pixel pen is still DeviceScale() pixels wide); the
  // pen position becomes the logical pixel that holds the point.
  void MoveToDevice(int x, int y);
  void PolylineDevice(const QPoint* points, int count);

  // Areas.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const QRect& r) { Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
  void FillRect(int x1, int y1, int x2, int y2); // brush only, x1 .. x2-1, y1 .. y2-1
  void Polygon(const QPoint* points, int count); // filled with the brush, outlined with the pen
  void SetPixel(int x, int y, TColor color);
  TColor Pixel(int x, int y) const; // the colour at (x, y) as a platform value (RGB only);
                                    // 0xFFFFFFFF (CLR_INVALID) outside the image; at a
                                    // device scale above 1 the block's top-left pixel

  // Text. TextOut moves the pen position to (x + TextWidth(text), y).
  void TextOut(int x, int y, const QString& text);
  // Clipped to clip (QRect semantics: clip.left() .. clip.right() inclusive, i.e. the platform
  // rectangle (l, t, r, b) is QRect(l, t, r - l, b - t)); a solid brush fills all of clip first.
  void TextRect(const QRect& clip, int x, int y, const QString& text);
  int TextWidth(const QString& text) const;
  int TextHeight(const QString& text) const;

  // Images, placed at their logical size (pixels divided by their own device scale);
  // source rectangles are in the source's logical pixels.
  void Draw(int x, int y, const QImage& source);
  void StretchDraw(const QRect& dest, const QImage& source);
  void CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect,
                TCopyMode mode = cmSrcCopy);

  // Printer canvas: limits the drawing to clip (device pixels) until the next call; an
  // empty rectangle lifts the limit. Image canvases are cut at the image's edges only.
  void SetClipRect(const QRect& clip);

  // Printer canvas: ends the painter on the device (the destructor does the same). An image
  // canvas holds no painter between calls, so this does nothing there.
  void EndDraw();

private:
  struct Impl;
  Impl* d_;
  QImage* image_ = nullptr;
  QPaintDevice* device_ = nullptr;
  QPoint penPos_;
};

// An off-screen image with its canvas.
class TBitmap {
public:
  TBitmap(int width = 0, int height = 0);
  // Logical size; a scale above 1 allocates scale x scale pixels per logical pixel
  // (device pixel ratio scale). Keeps nothing of the old content.
  void SetSize(int width, int height, int scale = 1);
  int Width() const { return image_.width() / Scale(); }
  int Height() const { return image_.height() / Scale(); }
  int Scale() const { return canvas_.DeviceScale(); }
  const QImage& Image() const { return image_; }
  QImage& Image() { return image_; }
  TCanvas& Canvas() { return canvas_; }
  // Loads a picture file (any format Qt reads, device-independent bitmaps included).
  bool LoadFromFile(const QString& fileName);

private:
  QImage image_;
  TCanvas canvas_;
};
