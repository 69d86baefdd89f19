#include "TBakGndImg.h"
#include <algorithm>

void TBakGndImg::Changed() {
  if (OnChange) OnChange(this);
}

QString TBakGndImg::FileNamePart(const QString& path) {
  const int cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return cut < 0 ? path : path.mid(cut + 1);
}

void TBakGndImg::SetName(const QString& v) {
  name_ = includePath_ ? v : FileNamePart(v);
  Changed();
}

void TBakGndImg::SetIncludePath(bool v) {
  includePath_ = v;
  if (!v) name_ = FileNamePart(name_);
  Changed();
}

void TBakGndImg::SetFillMode(ChartTypes::TBkgFill v) {
  fillMode_ = v;
  Changed();
}

void TBakGndImg::SetAreaMode(ChartTypes::TBGAreaMode v) {
  areaMode_ = v;
  Changed();
}

void TBakGndImg::SetAreaColor(TColor v) {
  areaColor_ = v;
  Changed();
}

void TBakGndImg::SetAreaLeft(double v) {
  areaLeft_ = v;
  Changed();
}

void TBakGndImg::SetAreaRight(double v) {
  areaRight_ = v;
  Changed();
}

void TBakGndImg::SetAreaTop(double v) {
  areaTop_ = v;
  Changed();
}

void TBakGndImg::SetAreaBottom(double v) {
  areaBottom_ = v;
  Changed();
}
