#pragma once
// A crosshair of the chart: a horizontal and/or vertical line through a point
// given in world coordinates of one layer. Every setter notifies the chart.
#include "ChartTypes.h"
#include <QObject>
#include <functional>

class TCrossHair : public QObject {
  Q_OBJECT
  Q_PROPERTY(double PosX READ PosX WRITE SetPosX)
  Q_PROPERTY(double PosY READ PosY WRITE SetPosY)
  Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
  Q_PROPERTY(int Layer READ Layer WRITE SetLayer)
  Q_PROPERTY(ChartTypes::TCrossHMode Mode READ Mode WRITE SetMode)
  Q_PROPERTY(Platform::TPenStyle LineType READ LineType WRITE SetLineType)
  Q_PROPERTY(int LineWid READ LineWid WRITE SetLineWid)

public:
  explicit TCrossHair(QObject* parent = nullptr) : QObject(parent) {}

  double PosX() const { return posX_; }
  void SetPosX(double v);
  double PosY() const { return posY_; }
  void SetPosY(double v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  ChartTypes::TCrossHMode Mode() const { return mode_; }
  void SetMode(ChartTypes::TCrossHMode v);
  Platform::TPenStyle LineType() const { return lineType_; }
  void SetLineType(Platform::TPenStyle v);
  int LineWid() const { return lineWid_; }
  void SetLineWid(int v);
  int Layer() const { return layer_; }
  // Clamped to 1 .. 16.
  void SetLayer(int v);

  std::function<void(QObject* sender)> OnChange;

private:
  void Changed();

  double posX_ = 0.0;
  double posY_ = 0.0;
  TColor color_ = clBlack;
  ChartTypes::TCrossHMode mode_ = chOff;
  Platform::TPenStyle lineType_ = psSolid;
  int lineWid_ = 1;
  int layer_ = 1;
};
