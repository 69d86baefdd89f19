// The chart's layer ranges and mapping with any values: SetLayerRange,
// MapToPixel and MapToWorld on any layer number, a few items drawn, then the
// grid values and the drawing of the shown (off-screen) chart: a full paint or
// the fast redraw of the items.
#include "FuzzSupport.h"
#include "TRChart.h"

#include <QCoreApplication>

namespace {
TRChart* chart = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzInitApplication();
  chart = new TRChart();
  chart->SetBounds(0, 0, 300, 200);
  chart->show(); // a hidden chart draws nothing
  QCoreApplication::processEvents();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  chart->ClearItems();
  bool paint = false;
  while (in.remaining_bytes() > 0) {
    const int layer = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 17) : in.ConsumeIntegral<int>();
    switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0: {
      const double lx = FuzzDouble(in), ly = FuzzDouble(in), hx = FuzzDouble(in), hy = FuzzDouble(in);
      chart->SetLayerRange(layer, lx, ly, hx, hy);
      break;
    }
    case 1: {
      const double x = FuzzDouble(in), y = FuzzDouble(in);
      const QPoint p = chart->MapToPixel(layer, x, y);
      chart->MapToWorld(layer, p.x(), p.y());
      break;
    }
    case 2: chart->MapToWorld(layer, in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()); break;
    case 3: {
      const double x = FuzzDouble(in), y = FuzzDouble(in);
      if (in.ConsumeBool()) chart->MoveTo(x, y); else chart->LineTo(x, y);
      break;
    }
    case 4: {
      static double values[TRChart::MaxGridLines];
      if (chart->GridValues(in.ConsumeBool(), values) > TRChart::MaxGridLines) __builtin_trap();
      break;
    }
    case 5: paint = true; break;
    case 6:
      chart->ScalePropsX(layer)->SetLogarithmic(in.ConsumeBool());
      chart->ScalePropsY(layer)->SetLogarithmic(in.ConsumeBool());
      break;
    }
  }
  if (paint) chart->Paint();
  chart->ShowItems();
  return 0;
}
