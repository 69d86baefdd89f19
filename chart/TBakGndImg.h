#pragma once
// Background of the chart's data area: a picture file (simple, stretched or
// tiled) or, without a picture, a highlighted area given in world coordinates
// of layer 1. Every setter notifies the chart.
#include "ChartTypes.h"
#include <QObject>
#include <QString>
#include <functional>

class TBakGndImg : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(bool IncludePath READ IncludePath WRITE SetIncludePath)
  Q_PROPERTY(ChartTypes::TBkgFill FillMode READ FillMode WRITE SetFillMode)
  Q_PROPERTY(ChartTypes::TBGAreaMode AreaMode READ AreaMode WRITE SetAreaMode)
  Q_PROPERTY(quint32 AreaColor READ AreaColor WRITE SetAreaColor)
  Q_PROPERTY(double AreaLeft READ AreaLeft WRITE SetAreaLeft)
  Q_PROPERTY(double AreaRight READ AreaRight WRITE SetAreaRight)
  Q_PROPERTY(double AreaTop READ AreaTop WRITE SetAreaTop)
  Q_PROPERTY(double AreaBottom READ AreaBottom WRITE SetAreaBottom)

public:
  explicit TBakGndImg(QObject* parent = nullptr) : QObject(parent) {}

  QString Name() const { return name_; }
  // Keeps the whole path only when IncludePath is on.
  void SetName(const QString& v);
  bool IncludePath() const { return includePath_; }
  void SetIncludePath(bool v);
  ChartTypes::TBkgFill FillMode() const { return fillMode_; }
  void SetFillMode(ChartTypes::TBkgFill v);
  ChartTypes::TBGAreaMode AreaMode() const { return areaMode_; }
  void SetAreaMode(ChartTypes::TBGAreaMode v);
  TColor AreaColor() const { return areaColor_; }
  void SetAreaColor(TColor v);
  double AreaLeft() const { return areaLeft_; }
  void SetAreaLeft(double v);
  double AreaRight() const { return areaRight_; }
  void SetAreaRight(double v);
  double AreaTop() const { return areaTop_; }
  void SetAreaTop(double v);
  double AreaBottom() const { return areaBottom_; }
  void SetAreaBottom(double v);

  // The file-name part of a path (after the last '/' or '\').
  static QString FileNamePart(const QString& path);

  std::function<void(QObject* sender)> OnChange;

private:
  void Changed();

  QString name_;
  bool includePath_ = false;
  ChartTypes::TBkgFill fillMode_ = bfStretch;
  ChartTypes::TBGAreaMode areaMode_ = bamNone;
  TColor areaColor_ = 14540253;
  double areaLeft_ = -1.0;
  double areaRight_ = 1.0;
  double areaTop_ = 1.0;
  double areaBottom_ = -1.0;
};
