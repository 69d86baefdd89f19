#include "AnalysisCharts.h"

#include "CircuitTables.h"
#include "MeasureCursor.h"
#include "ReadoutNumber.h"
#include "SampleGrid.h"
#include "TRChart.h"

#include <QFontMetrics>
#include <QLineF>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <span>

namespace {

using Rlc::SampleGrid::Samples;

constexpr TColor VoltageColor = clBlue, CurrentColor = clRed;
constexpr TColor ECColor = clBlue, ELColor = clRed, SumColor = clBlack, ERColor = clOlive;
constexpr TColor GainColor = clBlue, AdmittanceColor = clRed, PhaseColor = clGreen;
constexpr TColor MarkColor = clFuchsia, BandColor = clTeal;

// The label spacing of the legend, and its distance from the data area's edges, in pixels.
constexpr int LegendLine = 16, LegendInset = 2;

const char* const ChartNames[AnalysisChartCount] = {"AnalysisTime", "AnalysisEnergy", "AnalysisPhase",
                                                    "AnalysisResonance"};

// The smallest and largest finite value of v, widened by a tenth of the span (a flat
// curve gets a span of its own so that the chart's range stays valid).
std::pair<double, double> Span(const std::vector<double>& v, double scale = 1) {
  double lo = INFINITY, hi = -INFINITY;
  for (double x : v)
    if (std::isfinite(x)) {
      lo = std::min(lo, x * scale);
      hi = std::max(hi, x * scale);
    }
  if (!(lo <= hi)) return {-1, 1};
  double pad = (hi - lo) / 10;
  if (!(pad > 0)) pad = std::max(std::fabs(hi), 1e-12) / 10;
  return {lo - pad, hi + pad};
}

std::pair<double, double> Union(std::pair<double, double> a, std::pair<double, double> b) {
  return {std::min(a.first, b.first), std::max(a.second, b.second)};
}

// One curve on layer: y[k] * scale over x[k] (x rising). With a bucket of more than one
// sample, only the smallest and the largest sample of every bucket are drawn, in their
// order: a bucket of one pixel column's samples looks the same, at a fraction of the items.
void Curve(TRChart& chart, int layer, TColor color, const double* x, const std::vector<double>& y, double scale,
           size_t bucket) {
  chart.SetCurrentLayer(layer);
  chart.SetDataColor(color);
  const size_t n = y.size();
  chart.MoveTo(x[0], y[0] * scale);
  if (bucket <= 1) {
    for (size_t k = 1; k < n; ++k) chart.LineTo(x[k], y[k] * scale);
    return;
  }
  for (size_t a = 1; a < n; a += bucket) {
    const size_t end = std::min(n, a + bucket);
    size_t lo = a, hi = a;
    for (size_t k = a + 1; k < end; ++k) {
      if (y[k] < y[lo]) lo = k;
      if (y[k] > y[hi]) hi = k;
    }
    const size_t first = std::min(lo, hi), second = std::max(lo, hi);
    chart.LineTo(x[first], y[first] * scale);
    if (second != first) chart.LineTo(x[second], y[second] * scale);
  }
  if (n > 1) chart.LineTo(x[n - 1], y[n - 1] * scale); // the curve ends where it does
}

QString Num(double v, int digits = 4) { return QString::number(v, 'g', digits); }

// Whether the line from a to b passes through the rectangle.
bool Crosses(QPointF a, QPointF b, const QRectF& r) {
  if (r.contains(a) || r.contains(b)) return true;
  if (std::max(a.x(), b.x()) < r.left() || std::min(a.x(), b.x()) > r.right() || std::max(a.y(), b.y()) < r.top() ||
      std::min(a.y(), b.y()) > r.bottom())
    return false;
  const QLineF line(a, b);
  const QPointF corner[4] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
  for (int k = 0; k < 4; ++k)
    if (line.intersects(QLineF(corner[k], corner[(k + 1) % 4]), nullptr) == QLineF::BoundedIntersection) return true;
  return false;
}

// Whether y ranges grown by this many pixels of headroom apply on a data area this high.
bool HeadroomFits(int pixels, int height) { return pixels > 0 && height - pixels >= 20; }

// Whether a curve of the chart's display list passes through the box (control pixels,
// widened by a pixel for the pen). With `removed` pixels of headroom taken off the y
// ranges: where the box would lie without it. The test runs in world coordinates, layer
// by layer (the analysis charts draw on linear layers), without mapping each item.
bool CurvesCross(const TRChart& chart, const QRect& box, int removed) {
  const int height = chart.DataArea().height();
  const double keep = HeadroomFits(removed, height) ? double(height - removed) / height : 1;
  std::array<QRectF, 17> world; // per layer, made when first needed
  std::array<bool, 17> made{};
  auto rectOf = [&](int layer) -> const QRectF& {
    if (!made[size_t(layer)]) {
      const QRectF r = QRectF(box).adjusted(-1, -1, 1, 1);
      const double lo = chart.ScalePropsY(layer)->RangeLow();
      const QPointF a = chart.MapToWorld(layer, int(r.left()), int(r.top()));
      const QPointF b = chart.MapToWorld(layer, int(r.right()), int(r.bottom()));
      // The same pixel over the range without headroom: y' = lo + keep (y - lo).
      world[size_t(layer)] = QRectF(QPointF(a.x(), lo + keep * (a.y() - lo)), QPointF(b.x(), lo + keep * (b.y() - lo)))
                                 .normalized();
      made[size_t(layer)] = true;
    }
    return world[size_t(layer)];
  };
  const TItemList& items = chart.Items();
  const std::vector<TItemRun>& runs = items.Runs();
  const int count = chart.ItemCount();
  const TItemPoint* points = items.Points();
  QPointF last;
  for (size_t n = 0; n < runs.size() && runs[n].First < count; ++n) {
    const TItemAttrs& attrs = runs[n].Attrs;
    if (attrs.Kind != ikMoveTo && attrs.Kind != ikLineTo) continue;
    if (attrs.Layer < 1 || attrs.Layer > 16) continue;
    const QRectF& r = rectOf(attrs.Layer);
    int from = runs[n].First, end = n + 1 < runs.size() ? std::min(runs[n + 1].First, count) : count;
    if (runs[n].Rising) {
      // x rises through the run: only the segments from the last point left of the box
      // to the first point at or right of it can reach the box.
      const auto before = [](const TItemPoint& p, double x) { return p.X < x; };
      const int in = int(std::lower_bound(points + from, points + end, r.left(), before) - points);
      const int out = int(std::lower_bound(points + in, points + end, r.right(), before) - points);
      end = std::min(end, out + 1);
      int k = in - 1;
      while (k > from && !std::isfinite(points[k].Y)) --k;
      if (k > from) {
        last = QPointF(points[k].X, points[k].Y);
        from = k + 1;
      }
    }
    for (int k = from; k < end; ++k) {
      const QPointF p(points[k].X, points[k].Y);
      if (!std::isfinite(p.x()) || !std::isfinite(p.y())) continue;
      if (attrs.Kind == ikLineTo && Crosses(last, p, r)) return true;
      last = p;
    }
  }
  return false;
}

// Whether one of the vertical marks (crosshairs 1 ... 3) passes through the box.
bool MarksCross(const TRChart& chart, const QRect& box) {
  for (int n = 1; n <= 3; ++n) {
    const TCrossHair& ch = *chart.CrossHair(n);
    if (ch.Mode() != ChartTypes::chVert) continue;
    const int x = chart.MapToPixel(ch.Layer(), ch.PosX(), 0).x();
    if (x >= box.left() - 1 && x <= box.right() + 1) return true;
  }
  return false;
}

} // namespace

TAnalysisCharts::TAnalysisCharts(QWidget* parent, TTranslate translate) : translate_(std::move(translate)) {
  for (int k = 0; k < AnalysisChartCount; ++k) {
    auto* chart = new TRChart(parent);
    chart->setObjectName(QLatin1String(ChartNames[k]));
    chart->SetStandardLayout(ChartTypes::rcl_X1Bottom_Y2Both);
    chart->SetMarginTop(40); // room for the axes' captions
    chart->SetMouseAction(ChartTypes::maZoomWindPos);
    chart->SetGridStyle(ChartTypes::gsDotLines);
    chart->SetGridColor(clSilver);
    chart->SetTextBkStyle(ChartTypes::tbClear);
    for (int layer = 2; layer <= 3; ++layer) chart->SetMouseControlledLayer(layer, true);
    chart->setMinimumSize(300, 220);
    // A zoom made by the user keeps its view; the sampled charts then get every sample,
    // once the chart has finished zooming.
    chart->OnZoomPan = [this, k](QObject*) {
      if (filling_[size_t(k)] || zoomed_[size_t(k)]) return;
      zoomed_[size_t(k)] = true;
      if (k != int(TAnalysisChart::Resonance))
        QTimer::singleShot(0, charts_[size_t(k)], [this, k] { Refill(TAnalysisChart(k)); });
    };
    charts_[size_t(k)] = chart;
  }
  SetUpAxes();
  for (TRChart* chart : charts_) chart->Loaded();
}

QString TAnalysisCharts::Text(const char* key, const char* english, const QStringList& args) const {
  return TextOr(translate_, QLatin1String(key), QString::fromUtf8(english), args);
}

void TAnalysisCharts::SetUpAxes() {
  auto axes = [this](TAnalysisChart which, const QString& x, const QString& y1, const QString& y2) {
    TRChart& c = *Chart(which);
    c.ScalePropsX(1)->SetCaption(x);
    c.ScalePropsY(1)->SetCaption(y1);
    c.ScalePropsY(2)->SetCaption(y2);
    c.ScalePropsY(2)->SetVisible(!y2.isEmpty());
    // The captions above their axes, inside the control: the left one starts at its edge,
    // the right one ends at its edge.
    c.ScalePropsY(1)->SetCaptionAlignment(taLeftJustify);
    c.ScalePropsY(1)->SetCaptionPosX(4 - c.MarginLeft());
    c.ScalePropsY(2)->SetCaptionAlignment(taRightJustify);
    c.ScalePropsY(2)->SetCaptionPosX(c.MarginRight() - 4);
  };
  const QString time = Text("AnalysisAxisTime", "time t (µs)");
  axes(TAnalysisChart::Time, time, Text("AnalysisAxisVoltage", "voltage u_C (V)"), Text("AnalysisAxisCurrent", "current i (mA)"));
  axes(TAnalysisChart::Energy, time, Text("AnalysisAxisEnergy", "energy E (nJ)"), QString());
  axes(TAnalysisChart::Phase, Text("AnalysisAxisVoltage", "voltage u_C (V)"), Text("AnalysisAxisCurrent", "current i (mA)"),
       QString());
  axes(TAnalysisChart::Resonance, Text("AnalysisAxisFrequency", "frequency f (Hz)"),
       Text("AnalysisAxisGain", "gain |U_C/U_e| (V/V)"), Text("AnalysisAxisAdmittance", "current |I/U_e| (mA/V)"));
  // The resonance curve: every layer on the logarithmic frequency axis, the phase on a
  // third axis further right.
  TRChart& r = *Chart(TAnalysisChart::Resonance);
  // Layer 1 carries the logarithmic frequency axis and the marks; the curves lie on
  // layers 2 ... 4 over log10(f / Hz) on linear x axes with the same pixels (a linear
  // mapping per item draws several times faster than a logarithmic one).
  r.ScalePropsX(1)->SetLogarithmic(true);
  for (int layer = 2; layer <= 4; ++layer) {
    r.ScalePropsX(layer)->SetVisible(false);
    r.SetMouseControlledLayer(layer, true);
  }
  r.ScalePropsY(4)->SetVisible(false); // the gain's items: layer 1's y axis
  r.SetMarginRight(r.MarginRight() + 50);
  r.ScalePropsY(2)->SetCaptionPosX(r.MarginRight() - 4 - 50);
  r.ScalePropsY(2)->SetCaptionPosY(-34); // a line above the phase's caption
  TScalePropsVert* phase = r.ScalePropsY(3);
  phase->SetScaleLocation(ChartTypes::slRight);
  phase->SetScalePos(50);
  phase->SetCaption(Text("AnalysisAxisPhase", "phase φ (°)"));
  phase->SetCaptionAlignment(taRightJustify);
  phase->SetCaptionAnchor(uaSclTopLft);
  phase->SetCaptionPosX(r.MarginRight() - 4 - 50);
  phase->SetCaptionPosY(-18);
  phase->SetColorScale(PhaseColor);
  phase->SetVisible(true);
  r.SetMouseControlledLayer(3, true);
  r.ScalePropsY(2)->SetColorScale(AdmittanceColor);
  Chart(TAnalysisChart::Time)->ScalePropsY(2)->SetColorScale(CurrentColor);
}

// The legend: one boxed line per curve in the curve's colour, stacked in the data area's
// top right corner, or top left where a curve crosses the right one. Where both are
// crossed, every layer's range grows at the top until the box lies above the curves.
// The box is sized for all entries; the first `shown` are drawn (a later one, the
// measuring mark's, appears in room kept for it).
void TAnalysisCharts::Legend(TAnalysisChart which, const TLegend& entries, size_t shown) {
  TRChart& chart = *Chart(which);
  const size_t lines = std::min<size_t>(entries.size(), 8);
  const QFontMetrics metrics(ToQFont(chart.TextLabel(1)->Font()->Data()), &chart);
  int width = 0;
  for (size_t n = 0; n < lines; ++n) width = std::max(width, metrics.horizontalAdvance(entries[n].first));
  const QRect area = chart.DataArea();
  // A label's box reaches 4 pixels beside its text and 2 above and below it.
  const QSize box(width + 8, int(lines - 1) * LegendLine + metrics.height() + 4);
  const QRect right(QPoint(area.right() - LegendInset - box.width(), area.top() + LegendInset), box);
  const QRect left(QPoint(area.left() + LegendInset, area.top() + LegendInset), box);
  const bool marks = which == TAnalysisChart::Resonance; // f0 and the band stay put; the cursors move
  // The corners are judged without the headroom the ranges may have: it is given only
  // where both are crossed, and taken back once one is free.
  const bool zoomed = zoomed_[size_t(which)]; // the user's view: ranges as they are
  const int had = zoomed ? 0 : headroom_[size_t(which)];
  auto free = [&](const QRect& r) { return !CurvesCross(chart, r, had); };
  bool atLeft = false;
  int need = 0;
  if (!free(right)) {
    atLeft = free(left);
    if (!atLeft) need = box.height() + 2 * LegendInset;
  }
  if (!atLeft && need == 0 && marks && MarksCross(chart, right) && !MarksCross(chart, left) && free(left))
    atLeft = true;
  if (!zoomed && need != had) SetHeadroom(which, need);
  const QRect at = atLeft ? left : right;
  for (size_t n = 0; n < lines; ++n) {
    TTextLabel* label = chart.TextLabel(int(n) + 1);
    label->SetAttachToData(ChartTypes::tlamNone);
    label->SetMode(ChartTypes::tlBox);
    label->SetColorBkg(clWhite);
    label->SetColorBorder(clWhite);
    label->SetAlignment(atLeft ? taLeftJustify : taRightJustify);
    label->SetVerticalAlignment(vaTop);
    label->Font()->SetColor(TColor(entries[n].second));
    label->SetCaption(entries[n].first);
    label->SetPosX(atLeft ? at.left() + 4 : at.right() + 1 - 4);
    label->SetPosY(at.top() + 2 + int(n) * LegendLine);
    label->SetVisible(n < shown);
  }
  filledSize_[size_t(which)] = chart.size();
}

// Every layer of the chart's curves gets room of the given height above its data (the
// pixels the legend needs at the top of the data area), or none for 0.
void TAnalysisCharts::SetHeadroom(TAnalysisChart which, int pixels) {
  TRChart& c = *Chart(which);
  const int height = c.DataArea().height(), had = headroom_[size_t(which)];
  headroom_[size_t(which)] = pixels;
  static constexpr int TimeLayers[] = {1, 2}, OneLayer[] = {1}, ResonanceLayers[] = {1, 4, 2, 3};
  const std::span<const int> layers = which == TAnalysisChart::Time        ? std::span<const int>(TimeLayers)
                                      : which == TAnalysisChart::Resonance ? std::span<const int>(ResonanceLayers)
                                                                           : std::span<const int>(OneLayer);
  const bool forced = forceRange_;
  forceRange_ = true;
  for (int layer : layers) {
    const TScalePropsHoriz& x = *c.ScalePropsX(layer);
    const TScalePropsVert& y = *c.ScalePropsY(layer);
    const double lo = y.RangeLow(), hi = y.RangeHigh();
    const double keep = HeadroomFits(had, height) ? double(height - had) / height : 1;
    SetRange(which, layer, x.RangeLow(), x.RangeHigh(), lo, lo + keep * (hi - lo)); // SetRange adds the new room
  }
  forceRange_ = forced;
}

// A range follows the data but stays put while the data still fill most of it, so
// that a small step of a scroll bar redraws only the data area.
void TAnalysisCharts::SetRange(TAnalysisChart which, int layer, double x0, double x1, double y0, double y1) {
  if (zoomed_[size_t(which)]) return;
  TRChart& c = *Chart(which);
  const int room = headroom_[size_t(which)], height = c.DataArea().height();
  if (HeadroomFits(room, height)) y1 += (y1 - y0) * room / (height - room); // the legend's, above the data
  auto keeps = [](double lo, double hi, double oldLo, double oldHi) {
    const double pad = (hi - lo) / 12; // Span's tenth, less a margin
    return oldLo <= lo + pad && hi - pad <= oldHi && (hi - lo) > 0.8 * (oldHi - oldLo);
  };
  if (!forceRange_ && keeps(x0, x1, c.ScalePropsX(layer)->RangeLow(), c.ScalePropsX(layer)->RangeHigh()) &&
      keeps(y0, y1, c.ScalePropsY(layer)->RangeLow(), c.ScalePropsY(layer)->RangeHigh()))
    return;
  filling_[size_t(which)] = true;
  c.SetLayerRange(layer, x0, y0, x1, y1);
  filling_[size_t(which)] = false;
  rangeChanged_[size_t(which)] = true;
}

void TAnalysisCharts::Fill(const Rlc::Positions& p, Rlc::Experiment e,
                           const std::array<bool, AnalysisChartCount>& shown) {
  positions_ = p;
  experiment_ = e;
  quantities_ = Rlc::QuantitiesAt(p);
  const bool transient = shown[0] || shown[1] || shown[2];
  if (transient) {
    const Rlc::Circuit c = Rlc::CircuitAt(p);
    path_.FillGrid(c, Rlc::StartOf(e, c), Samples);
  }
  // Each chart is drawn once, after its items, ranges, legend and marks are all set.
  std::array<bool, AnalysisChartCount> saved{};
  rangeChanged_.fill(false);
  for (int k = 0; k < AnalysisChartCount; ++k)
    if (shown[size_t(k)]) saved[size_t(k)] = charts_[size_t(k)]->LockPaint();
  if (shown[0]) FillTime();
  if (shown[1]) FillEnergy();
  if (shown[2]) FillPhase();
  if (shown[3]) FillResonance();
  MarkSample(requested_);
  if (Filled)
    for (int k = 0; k < AnalysisChartCount; ++k)
      if (shown[size_t(k)]) Filled(TAnalysisChart(k));
  // A chart whose axes stay shows only its data area anew.
  for (int k = 0; k < AnalysisChartCount; ++k) {
    if (!shown[size_t(k)]) continue;
    TRChart& c = *charts_[size_t(k)];
    if (rangeChanged_[size_t(k)] || !c.isVisible()) {
      c.RestorePaintLock(saved[size_t(k)]);
    } else {
      c.RestorePaintLockQuietly(saved[size_t(k)]);
      c.ShowItems();
    }
    rangeChanged_[size_t(k)] = false;
  }
}

void TAnalysisCharts::FillTime() {
  TRChart& c = *Chart(TAnalysisChart::Time);
  const double* t = Rlc::SampleGrid::Times_us();
  const auto u = Span(path_.u_C_V), i = Span(path_.i_A, 1e3);
  SetRange(TAnalysisChart::Time, 1, 0, 10, u.first, u.second);
  SetRange(TAnalysisChart::Time, 2, 0, 10, i.first, i.second);
  c.ClearItems();
  const size_t bucket = Bucket(TAnalysisChart::Time);
  Curve(c, 1, VoltageColor, t, path_.u_C_V, 1, bucket);
  Curve(c, 2, CurrentColor, t, path_.i_A, 1e3, bucket);
  Legend(TAnalysisChart::Time, {{Text("AnalysisLegendVoltage", "u_C (V), left"), VoltageColor},
                                {Text("AnalysisLegendCurrent", "i (mA), right"), CurrentColor}},
         2);
  c.setAccessibleName(Text("AnalysisTimeName", "Capacitor voltage and current over time"));
  const size_t last = path_.u_C_V.size() - 1;
  Summarise(TAnalysisChart::Time, "AnalysisTimeSummary",
            "u_C starts at <%1%> V and ends at <%2%> V after 10 µs; i starts at <%3%> mA and ends at <%4%> mA.",
            {Num(path_.u_C_V[0]), Num(path_.u_C_V[last]), Num(path_.i_A[0] * 1e3), Num(path_.i_A[last] * 1e3)});
}

void TAnalysisCharts::FillEnergy() {
  TRChart& c = *Chart(TAnalysisChart::Energy);
  const double* t = Rlc::SampleGrid::Times_us();
  // The sum E_C + E_L, reusing the work array of the source's work (not drawn).
  std::vector<double>& sum = sum_;
  sum.resize(path_.E_C_J.size());
  for (size_t k = 0; k < sum.size(); ++k) sum[k] = path_.E_C_J[k] + path_.E_L_J[k];
  auto range = Union(Union(Span(path_.E_C_J, 1e9), Span(path_.E_L_J, 1e9)), Union(Span(sum, 1e9), Span(path_.E_R_J, 1e9)));
  SetRange(TAnalysisChart::Energy, 1, 0, 10, std::min(range.first, 0.0), range.second);
  c.ClearItems();
  const size_t bucket = Bucket(TAnalysisChart::Energy);
  Curve(c, 1, ECColor, t, path_.E_C_J, 1e9, bucket);
  Curve(c, 1, ELColor, t, path_.E_L_J, 1e9, bucket);
  Curve(c, 1, SumColor, t, sum, 1e9, bucket);
  Curve(c, 1, ERColor, t, path_.E_R_J, 1e9, bucket);
  Legend(TAnalysisChart::Energy, {{Text("AnalysisLegendEC", "E_C"), ECColor},
                                  {Text("AnalysisLegendEL", "E_L"), ELColor},
                                  {Text("AnalysisLegendSum", "stored E_C + E_L"), SumColor},
                                  {Text("AnalysisLegendER", "heat E_R"), ERColor}},
         4);
  c.setAccessibleName(Text("AnalysisEnergyName", "Energies over time"));
  const size_t last = sum.size() - 1;
  Summarise(TAnalysisChart::Energy, "AnalysisEnergySummary",
            "Stored energy E_C + E_L: <%1%> nJ at the start, <%2%> nJ after 10 µs; heat in R: <%3%> nJ.",
            {Num(sum[0] * 1e9), Num(sum[last] * 1e9), Num(path_.E_R_J[last] * 1e9)});
}

void TAnalysisCharts::FillPhase() {
  TRChart& c = *Chart(TAnalysisChart::Phase);
  const auto u = Span(path_.u_C_V), i = Span(path_.i_A, 1e3);
  SetRange(TAnalysisChart::Phase, 1, u.first, u.second, i.first, i.second);
  c.ClearItems();
  c.SetCurrentLayer(1);
  c.SetDataColor(VoltageColor);
  c.MoveTo(path_.u_C_V[0], path_.i_A[0] * 1e3);
  // Until zoomed, a sample less than a pixel from the last one drawn is left out (the
  // slow inner turns of the spiral would otherwise put many samples on one pixel).
  const TScaleFactors& f = c.ScaleFactors(1);
  const double kx = zoomed_[size_t(TAnalysisChart::Phase)] ? 0 : double(f.kx), ky = double(f.ky);
  double lastX = kx * path_.u_C_V[0], lastY = ky * path_.i_A[0] * 1e3;
  const size_t n = path_.u_C_V.size();
  for (size_t k = 1; k < n; ++k) {
    const double u = path_.u_C_V[k], i = path_.i_A[k] * 1e3;
    const double px = kx * u, py = ky * i;
    if (kx != 0 && k + 1 < n && std::fabs(px - lastX) < 1 && std::fabs(py - lastY) < 1) continue;
    c.LineTo(u, i);
    lastX = px;
    lastY = py;
  }
  // The mark's line only while the main window measures (MarkSample shows it).
  Legend(TAnalysisChart::Phase, {{Text("AnalysisLegendPhase", "i over u_C, 0 … 10 µs"), VoltageColor},
                                 {Text("AnalysisLegendMark", "state at the measuring cursor"), MarkColor}},
         requested_ >= 0 && requested_ < path_.Size() ? 2 : 1);
  c.setAccessibleName(Text("AnalysisPhaseName", "Phase portrait: current over capacitor voltage"));
  const size_t last = path_.u_C_V.size() - 1;
  Summarise(TAnalysisChart::Phase, "AnalysisPhaseSummary",
            "From u_C = <%1%> V, i = <%2%> mA to u_C = <%3%> V, i = <%4%> mA after 10 µs.",
            {Num(path_.u_C_V[0]), Num(path_.i_A[0] * 1e3), Num(path_.u_C_V[last]), Num(path_.i_A[last] * 1e3)});
}

void TAnalysisCharts::FillResonance() {
  TRChart& c = *Chart(TAnalysisChart::Resonance);
  const Rlc::Circuit circuit = Rlc::CircuitAt(positions_);
  resonance_.resize(ResonancePoints);
  for (int k = 0; k < ResonancePoints; ++k) // as the resonance table: exactly f0 at k = 500
    resonance_[size_t(k)] = Rlc::FrequencyResponseAtRatio(circuit, std::pow(10.0, (4 * k - 2000) / 1000.0));
  const double f0 = quantities_.F0_Hz;
  // The peak of R = 0 is infinite: the view ends at the largest finite neighbour.
  double gainMax = 0, admMax = 0;
  for (const Rlc::FrequencyPoint& f : resonance_) {
    if (std::isfinite(f.GainUC)) gainMax = std::max(gainMax, f.GainUC);
    if (std::isfinite(f.I_A_per_V)) admMax = std::max(admMax, f.I_A_per_V * 1e3);
  }
  // A new f0 moves every layer's frequencies alike (the layers must keep the same pixels).
  const bool forced = forceRange_;
  forceRange_ = forced || f0 != shownF0_;
  shownF0_ = f0;
  const double decade0 = std::log10(f0 / 100), decade1 = std::log10(f0 * 100);
  SetRange(TAnalysisChart::Resonance, 1, f0 / 100, f0 * 100, 0, gainMax * 1.1);
  SetRange(TAnalysisChart::Resonance, 4, decade0, decade1, 0, gainMax * 1.1);
  SetRange(TAnalysisChart::Resonance, 2, decade0, decade1, 0, admMax * 1.1);
  SetRange(TAnalysisChart::Resonance, 3, decade0, decade1, -190, 100);
  forceRange_ = forced;
  c.ClearItems();
  auto curve = [&](int layer, TColor color, auto value, double clip) {
    c.SetCurrentLayer(layer);
    c.SetDataColor(color);
    for (size_t k = 0; k < resonance_.size(); ++k) {
      const double y = std::min(value(resonance_[k]), clip);
      const double x = std::log10(resonance_[k].f_Hz);
      if (k == 0) c.MoveTo(x, y);
      else c.LineTo(x, y);
    }
  };
  curve(4, GainColor, [](const Rlc::FrequencyPoint& f) { return f.GainUC; }, gainMax * 10);
  curve(2, AdmittanceColor, [](const Rlc::FrequencyPoint& f) { return f.I_A_per_V * 1e3; }, admMax * 10);
  curve(3, PhaseColor, [](const Rlc::FrequencyPoint& f) { return f.PhaseUC_deg; }, 180);
  // f0 and the -3 dB band of the current.
  auto mark = [&](int n, double f, TColor color, Platform::TPenStyle style) {
    TCrossHair* ch = c.CrossHair(n);
    const bool on = f > 0 && std::isfinite(f);
    ch->SetMode(on ? ChartTypes::chVert : ChartTypes::chOff);
    ch->SetLayer(1);
    ch->SetColor(color);
    ch->SetLineType(style);
    ch->SetPosX(on ? f : f0);
  };
  mark(1, f0, MarkColor, psSolid);
  const bool band = quantities_.FUpper_Hz > quantities_.FLower_Hz; // none without damping
  mark(2, band ? quantities_.FLower_Hz : 0, BandColor, psDash);
  mark(3, band ? quantities_.FUpper_Hz : 0, BandColor, psDash);
  Legend(TAnalysisChart::Resonance,
         {{Text("AnalysisLegendGain", "|U_C/U_e|"), GainColor},
          {Text("AnalysisLegendAdmittance", "current |I/U_e| (mA/V)"), AdmittanceColor},
          {Text("AnalysisLegendPhaseUC", "phase of U_C (°)"), PhaseColor},
          {Text("AnalysisLegendF0", "f0 = <%1%>", {FrequencyText(f0)}), MarkColor},
          {Text("AnalysisLegendBand", "−3 dB band"), BandColor}},
         band ? 5 : 4); // no band without damping
  c.setAccessibleName(Text("AnalysisResonanceName", "Resonance curve over frequency"));
  Summarise(TAnalysisChart::Resonance, "AnalysisResonanceSummary",
            "Resonance at f0 = <%1%> Hz; the current's −3 dB band reaches from <%2%> Hz to <%3%> Hz; "
            "|U_C/U_e| peaks at <%4%>.",
            {Num(f0, 6), Num(quantities_.FLower_Hz, 6), Num(quantities_.FUpper_Hz, 6), Num(gainMax)});
}

// The samples per pixel column of a time chart showing all 10 us; a zoomed chart gets
// every sample.
size_t TAnalysisCharts::Bucket(TAnalysisChart which) const {
  if (zoomed_[size_t(which)]) return 1;
  const TRChart& c = *Chart(which);
  const int width = c.width() - c.MarginLeft() - c.MarginRight() - c.ShadowWidth();
  return width > 0 ? size_t(std::max(1, Samples / width)) : 1;
}

void TAnalysisCharts::Summarise(TAnalysisChart which, const char* key, const char* english, const QStringList& args) {
  Chart(which)->SetAccessibleSummary(Text(key, english, args));
}

void TAnalysisCharts::MarkSample(int k) {
  requested_ = k;
  const int n = path_.Size();
  marked_ = k >= 0 && k < n ? k : -1;
  TRChart& phase = *Chart(TAnalysisChart::Phase);
  TRChart& time = *Chart(TAnalysisChart::Time);
  const bool savedPhase = phase.LockPaint(), savedTime = time.LockPaint(); // shown by the caller
  const bool on = marked_ >= 0;
  const size_t s = size_t(std::max(marked_, 0));
  TCrossHair* ch = phase.CrossHair(1);
  ch->SetMode(on ? ChartTypes::chBoth : ChartTypes::chOff);
  ch->SetLayer(1);
  ch->SetColor(MarkColor);
  if (on) {
    ch->SetPosX(path_.u_C_V[s]);
    ch->SetPosY(path_.i_A[s] * 1e3);
  }
  TCrossHair* tc = time.CrossHair(1);
  tc->SetMode(on ? ChartTypes::chVert : ChartTypes::chOff);
  tc->SetLayer(1);
  tc->SetColor(MarkColor);
  if (on) tc->SetPosX(Rlc::SampleGrid::Times_us()[s]);
  phase.TextLabel(2)->SetVisible(on && !phase.TextLabel(2)->Caption().isEmpty()); // the legend's mark line
  phase.RestorePaintLockQuietly(savedPhase);
  time.RestorePaintLockQuietly(savedTime);
}

void TAnalysisCharts::ZoomAll(TAnalysisChart which) {
  zoomed_[size_t(which)] = false;
  forceRange_ = true;
  Refill(which);
  forceRange_ = false;
}

void TAnalysisCharts::Refill(TAnalysisChart which) {
  std::array<bool, AnalysisChartCount> only{};
  only[size_t(which)] = true;
  Fill(positions_, experiment_, only);
}
