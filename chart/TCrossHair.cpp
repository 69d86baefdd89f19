#include "TCrossHair.h"
#include <algorithm>

void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}

void TCrossHair::SetPosX(double v) {
  posX_ = v;
  Changed();
}

void TCrossHair::SetPosY(double v) {
  posY_ = v;
  Changed();
}

void TCrossHair::SetColor(TColor v) {
  color_ = v;
  Changed();
}

void TCrossHair::SetMode(ChartTypes::TCrossHMode v) {
  mode_ = v;
  Changed();
}

void TCrossHair::SetLineType(Platform::TPenStyle v) {
  lineType_ = v;
  Changed();
}

void TCrossHair::SetLineWid(int v) {
  lineWid_ = v;
  Changed();
}

void TCrossHair::SetLayer(int v) {
  layer_ = std::clamp(v, 1, 16);
  Changed();
}
