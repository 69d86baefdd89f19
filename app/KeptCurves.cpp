#include "KeptCurves.h"

#include "FeatureContext.h"
#include "NumLabText.h"
#include "QuietChart.h"
#include "SampleGrid.h"

#include <QFontMetrics>
#include <algorithm>

namespace {

// Colour and pen style of the curves in the order they are kept, repeating.
struct CurveLook {
  TColor color;
  Platform::TPenStyle style;
};
constexpr CurveLook Looks[TKeptCurves::MaxCurves] = {
    {clBlue, psDash}, {clRed, psDot}, {clGreen, psDashDot}, {clFuchsia, psDashDotDot}};

QString LegendText(const TKeptCurve& c) {
  return QStringLiteral("R = %1 Ohm,  C = %2 nF,  L = %3 uH")
             .arg(NumLab::FixedText(c.R, 2), NumLab::FixedText(c.C, 2), NumLab::FixedText(c.L, 2)) +
         (c.Mode.isEmpty() ? QString() : QStringLiteral(",  ") + c.Mode);
}

// Polylines of at most this many points, each continuing from the last point of the one before.
constexpr int PolylinePoints = 200;

} // namespace

TKeptCurves::TKeptCurves(TFeatureContext& context)
    : chart_(context.Chart),
      drawing_(context.BeforeRenderData.Join([this](QObject*, TCanvas& canvas, int top, int left) {
        Draw(canvas, top, left);
      })) {}

TKeptCurves::~TKeptCurves() {
  curves_.clear();
  PlaceLegend();
}

void TKeptCurves::Keep(int posR, int posC, int posL, const double* y, bool exact, const QString& mode) {
  const CurveLook look = Looks[kept_++ % MaxCurves];
  curves_.push_back({posR, posC, posL, posR / 100.0, posC / 100.0, posL / 100.0,
                     std::vector<double>(y, y + Samples), exact, mode, look.color, look.style});
  if (int(curves_.size()) > MaxCurves) curves_.pop_front();
  ++generation_;
  PlaceLegend();
}

void TKeptCurves::Clear() {
  curves_.clear();
  ++generation_;
  cached_ = false;
  pixels_ = {};
  PlaceLegend();
}

TKeptCurves::View TKeptCurves::CurrentView(const TCanvas& canvas, int top, int left) const {
  const TScaleFactors& f = chart_.ScaleFactors(1);
  return View{canvas.Width(), canvas.Height(), top, left, chart_.LineWidth(),
              chart_.ScalePropsX(1)->Logarithmic(), chart_.ScalePropsY(1)->Logarithmic(),
              f.kx, f.dx, f.ky, f.dy, generation_};
}

void TKeptCurves::Draw(TCanvas& canvas, int top, int left) {
  if (curves_.empty()) return;
  QImage* image = canvas.Image();
  if (!image || image->isNull() || image->depth() != 32) {
    DrawPolylines(canvas, top, left); // a printer or vector canvas: drawn as lines
    return;
  }
  const View view = CurrentView(canvas, top, left);
  if (!cached_ || !(view == cachedView_)) CachePixels(view);
  const qsizetype stride = image->bytesPerLine() / 4;
  quint32* bits = reinterpret_cast<quint32*>(image->bits());
  for (const Pixel& p : pixels_) bits[p.y * stride + p.x] = p.rgb;
}

// Draws the curves once on an empty image of the canvas's size and remembers every
// pixel they set: the canvas marks each pixel it draws as opaque.
void TKeptCurves::CachePixels(const View& view) {
  QImage scratch(view.width, view.height, QImage::Format_RGB32);
  std::fill_n(reinterpret_cast<quint32*>(scratch.bits()), scratch.sizeInBytes() / 4, 0u);
  {
    TCanvas canvas(&scratch);
    DrawPolylines(canvas, view.top, view.left);
  }
  pixels_.clear();
  const quint32* bits = reinterpret_cast<const quint32*>(scratch.constBits());
  const qsizetype stride = scratch.bytesPerLine() / 4;
  for (int y = 0; y < view.height; ++y)
    for (int x = 0; x < view.width; ++x)
      if (const quint32 rgb = bits[y * stride + x]; rgb != 0) pixels_.push_back({x, y, rgb});
  cachedView_ = view;
  cached_ = true;
}

void TKeptCurves::DrawPolylines(TCanvas& canvas, int top, int left) const {
  const TPen pen = canvas.Pen;
  const TBrush brush = canvas.Brush;
  canvas.Pen.Width = chart_.LineWidth();
  canvas.Pen.Mode = pmCopy;
  canvas.Brush.Style = bsClear; // open gaps in dashed lines
  const double* x = Rlc::SampleGrid::Times_us();
  auto map = [&](int i, const TKeptCurve& c) {
    const QPoint p = chart_.MapToPixel(1, x[i], c.Y[size_t(i)]);
    constexpr int limit = TCustomRChart::PixelLimit;
    return QPoint(std::clamp(p.x(), -limit, limit) - left, std::clamp(p.y(), -limit, limit) - top);
  };
  QPoint points[PolylinePoints];
  for (const TKeptCurve& c : curves_) {
    canvas.Pen.Color = c.Color;
    canvas.Pen.Style = c.PenStyle;
    int n = 0;
    points[n++] = map(0, c);
    for (int i = 1; i < Samples; ++i) {
      points[n++] = map(i, c);
      if (n == PolylinePoints) {
        canvas.Polyline(points, n);
        points[0] = points[n - 1];
        n = 1;
      }
    }
    if (n > 1) canvas.Polyline(points, n);
  }
  canvas.Pen = pen;
  canvas.Brush = brush;
}

void TKeptCurves::PlaceLegend() {
  const TQuietChart quiet(chart_);
  const int count = int(curves_.size());
  const int right = chart_.width() - chart_.MarginRight() - chart_.ShadowWidth() - 8;
  const int bottom = chart_.height() - chart_.MarginBottom() - chart_.ShadowWidth() - 6;
  const int step = QFontMetrics(ToQFont(chart_.Font()->Data())).height() + 5;
  for (int k = 0; k < MaxCurves; ++k) {
    TTextLabel* label = chart_.TextLabel(ChartOverlaySlots::KeptCurvesFirstLegendLabel + k);
    if (k >= count) {
      label->SetVisible(false);
      label->SetMode(tlOff);
      continue;
    }
    const TKeptCurve& c = curves_[size_t(k)];
    label->SetFont(chart_.Font());
    label->Font()->SetColor(c.Color);
    label->SetAttachToData(tlamNone);
    label->SetAlignment(taRightJustify);
    label->SetVerticalAlignment(vaBottom);
    label->SetColorBkg(clWhite);
    label->SetColorBorder(c.Color);
    label->SetTransparent(false);
    label->SetPosX(right);
    label->SetPosY(bottom - (count - 1 - k) * step);
    label->SetCaption(LegendText(c));
    label->SetMode(tlBox);
    label->SetVisible(true);
  }
}
