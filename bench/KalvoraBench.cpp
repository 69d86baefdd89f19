// Benchmarks of Kalvora's hot paths and of the same chart work done by the
// plotting libraries one would use instead (QCustomPlot, Qt Charts; matplotlib
// runs in bench/peer_matplotlib.py). Everything runs off-screen at the size of
// the main window's chart (505 x 482) with the default component values.
//
//   kalvora_bench [Google Benchmark options]   the benchmarks
//   kalvora_bench --echo-window TITLE          the second process of the host link case
//   kalvora_bench --write-curve FILE           the designed curve's points, for matplotlib
#include "AnalysisFeature.h"
#include "AnalysisWindow.h"
#include "Application.h"
#include "ChartExtras.h"
#include "CircuitTables.h"
#include "TForm1.h"
#include "TLexivaran2000.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "WindowMessages.h"

#include <QBuffer>
#include <QChart>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QThread>
#include <QValueAxis>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ChartWidth = 505, ChartHeight = 482;
constexpr int Samples = 10001;

// The main window, shown off-screen and drawn once, as after start-up.
struct ShownForm {
  TForm1 form;
  ShownForm() {
    form.show();
    QCoreApplication::processEvents();
    form.CalcResponse();
    form.RCResponse->Paint();
    QCoreApplication::processEvents();
  }
};

// The designed curve (R 4.70 Ohm, C 2.20 nF, L 10.00 uH) as the peers get it:
// already computed, read from Kalvora's own display list.
struct Curve {
  QVector<double> x, y;
  Curve() {
    TForm1 form;
    form.CalcResponse();
    x.reserve(Samples);
    y.reserve(Samples);
    for (int i = 0; i < form.RCResponse->ItemCount(); ++i) {
      x.push_back(form.RCResponse->Item(i).X);
      y.push_back(form.RCResponse->Item(i).Y);
    }
  }
  // A slightly different curve, so that each "update" really changes the data.
  QVector<double> Scaled(double f) const {
    QVector<double> s = y;
    for (double& v : s) v *= f;
    return s;
  }
};

const Curve& TheCurve() {
  static const Curve curve;
  return curve;
}

// The zoom the cases alternate with the 1:1 view.
constexpr double ZoomX0 = 2, ZoomX1 = 6, ZoomY0 = -0.6, ZoomY1 = 0.6;

// ---- Kalvora ------------------------------------------------------------------------------

void Kalvora_CalcResponse(benchmark::State& state) {
  TForm1 form; // not shown: the samples go into the display list, nothing is drawn
  int position = 470;
  for (auto _ : state) {
    position = position == 470 ? 471 : 470;
    form.SBarR->blockSignals(true);
    form.SBarR->setValue(position);
    form.SBarR->blockSignals(false);
    form.CalcResponse();
    benchmark::DoNotOptimize(form.RCResponse->Item(Samples - 1).Y);
  }
}
BENCHMARK(Kalvora_CalcResponse)->Unit(benchmark::kMicrosecond);

// The numeric labels repaint "at once": a synchronous repaint, in which the toolkit
// also copies every pending window area (the chart's data area from the previous
// step) to the screen. Hidden labels still build their pictures but skip that, so
// this case is the step up to the window surface; the next one adds the screen copy.
void ScrollBarSteps(benchmark::State& state, bool labelsShown) {
  ShownForm f;
  if (!labelsShown)
    for (TNumLab* label : {f.form.NLabR, f.form.NLabC, f.form.NLabL}) label->hide();
  int position = 470;
  for (auto _ : state) {
    position = position == 470 ? 471 : 470;
    f.form.SBarR->setValue(position); // CalcResponse, fast redraw to the window surface
  }
  if (f.form.RCResponse->RenderStats().FastRedraws == 0) state.SkipWithError("no fast redraw");
}

void Kalvora_ScrollBarStep(benchmark::State& state) { ScrollBarSteps(state, false); }
BENCHMARK(Kalvora_ScrollBarStep)->Unit(benchmark::kMicrosecond);

// The curve in the exact form of its damping regime instead of the designed one.
void Kalvora_CalcResponseExact(benchmark::State& state) {
  TForm1 form;
  form.Extras->ExactResponseItem->setChecked(true);
  int position = 470;
  for (auto _ : state) {
    position = position == 470 ? 471 : 470;
    form.SBarR->blockSignals(true);
    form.SBarR->setValue(position);
    form.SBarR->blockSignals(false);
    form.CalcResponse();
    benchmark::DoNotOptimize(form.RCResponse->Item(Samples - 1).Y);
  }
}
BENCHMARK(Kalvora_CalcResponseExact)->Unit(benchmark::kMicrosecond);

// The step of Kalvora_ScrollBarStep with four kept comparison curves (and their
// legend) drawn below the live one, and with the circuit data shown.
void Kalvora_ScrollBarStepFourKeptCurves(benchmark::State& state) {
  ShownForm f;
  for (TNumLab* label : {f.form.NLabR, f.form.NLabC, f.form.NLabL}) label->hide();
  for (int c : {100, 150, 300, 450}) {
    f.form.SBarC->setValue(c);
    f.form.Extras->KeepCurveItem->trigger();
  }
  f.form.SBarC->setValue(220);
  int position = 470;
  for (auto _ : state) {
    position = position == 470 ? 471 : 470;
    f.form.SBarR->setValue(position);
  }
  if (f.form.Extras->KeptCurves().Curves().size() != 4) state.SkipWithError("kept curves missing");
}
BENCHMARK(Kalvora_ScrollBarStepFourKeptCurves)->Unit(benchmark::kMicrosecond);

void Kalvora_ScrollBarStepCircuitData(benchmark::State& state) {
  ShownForm f;
  for (TNumLab* label : {f.form.NLabR, f.form.NLabC, f.form.NLabL}) label->hide();
  f.form.Extras->CircuitDataItem->setChecked(true);
  int position = 470;
  for (auto _ : state) {
    position = position == 470 ? 471 : 470;
    f.form.SBarR->setValue(position);
  }
}
BENCHMARK(Kalvora_ScrollBarStepCircuitData)->Unit(benchmark::kMicrosecond);

// The step of Kalvora_ScrollBarStep with the circuit analysis window open (its four
// charts at 1100 x 800): the transient, the resonance curve and both windows redrawn.
void Kalvora_ScrollBarStepAnalysisOpen(benchmark::State& state) {
  ShownForm f;
  for (TNumLab* label : {f.form.NLabR, f.form.NLabC, f.form.NLabL}) label->hide();
  f.form.Analysis->Open();
  f.form.Analysis->Window()->resize(1100, 800);
  QCoreApplication::processEvents();
  int position = 470;
  for (auto _ : state) {
    position = position == 470 ? 471 : 470;
    f.form.SBarR->setValue(position);
  }
}
BENCHMARK(Kalvora_ScrollBarStepAnalysisOpen)->Unit(benchmark::kMicrosecond);

void Kalvora_ScrollBarStepOnScreen(benchmark::State& state) { ScrollBarSteps(state, true); }
BENCHMARK(Kalvora_ScrollBarStepOnScreen)->Unit(benchmark::kMicrosecond);

void Kalvora_FullPaint(benchmark::State& state) {
  ShownForm f;
  for (auto _ : state) f.form.RCResponse->Paint();
}
BENCHMARK(Kalvora_FullPaint)->Unit(benchmark::kMicrosecond);

void Kalvora_Zoom(benchmark::State& state) {
  ShownForm f;
  bool zoomed = false;
  for (auto _ : state) {
    zoomed = !zoomed;
    if (zoomed)
      f.form.RCResponse->SetLayerRange(1, ZoomX0, ZoomY0, ZoomX1, ZoomY1);
    else
      f.form.RCResponse->SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  }
}
BENCHMARK(Kalvora_Zoom)->Unit(benchmark::kMicrosecond);

void Kalvora_NumLabPaint(benchmark::State& state) {
  ShownForm f;
  for (auto _ : state) f.form.NLabR->Paint();
}
BENCHMARK(Kalvora_NumLabPaint)->Unit(benchmark::kMicrosecond);

// The command line's experiment table (--csv FILE --experiment current): the transient
// with its energies on the 10,001-sample grid, written as CSV text.
void Kalvora_ExperimentTable(benchmark::State& state) {
  for (auto _ : state) {
    const QByteArray table = ExperimentCsv({470, 220, 1000}, Rlc::Experiment::Current);
    benchmark::DoNotOptimize(table.constData());
  }
}
BENCHMARK(Kalvora_ExperimentTable)->Unit(benchmark::kMicrosecond);

void Kalvora_LoadTranslationTable(benchmark::State& state) {
  QByteArray table;
  for (int i = 0; i < 1000; ++i)
    table += QStringLiteral("[LX_Key%1]=Text number %1 of <%APPNAME%>,\\nwith a second line|$$\r\n")
                 .arg(i)
                 .toUtf8();
  QBuffer buffer(&table);
  buffer.open(QIODevice::ReadOnly);
  TLexivaran2000 engine(QStringLiteral("Kalvora"));
  for (auto _ : state) engine.LoadFromStream(buffer);
  if (engine.Count() != 1000) state.SkipWithError("table not loaded");
}
BENCHMARK(Kalvora_LoadTranslationTable)->Unit(benchmark::kMicrosecond);

// A request to a window of a second process, which answers with a message to the
// sender's window before its handler returns; the reply arrives inside the send.
void Kalvora_HostLinkRoundTrip(benchmark::State& state) {
  using namespace Platform;
  const QString className = QStringLiteral("KalvoraBenchLink");
  const QString title = QStringLiteral("Echo%1").arg(QCoreApplication::applicationPid());
  RegisterClassA(className);
  const HWND own = CreateWindowExA(className, QStringLiteral("Asker"));
  int replies = 0;
  SetWindowProc(own, [&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == WM_COPYDATA) ++replies;
    return 1;
  });
  QProcess echo;
  echo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--echo-window"), title});
  HWND peer = 0;
  for (int i = 0; i < 500 && !peer; ++i) {
    peer = FindWindowExA(className, title);
    if (!peer) QThread::msleep(10);
  }
  if (!peer) {
    state.SkipWithError("the echo process did not start");
    DestroyWindow(own);
    return;
  }
  const QByteArray request("Rstatus?");
  COPYDATASTRUCT cds;
  cds.dwData = 1;
  cds.cbData = quint32(request.size());
  cds.lpData = request.constData();
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageA(peer, WM_COPYDATA, own, reinterpret_cast<LPARAM>(&cds)));
  if (replies < int(state.iterations())) state.SkipWithError("replies missing");
  echo.closeWriteChannel(); // the echo process ends with its standard input
  if (!echo.waitForFinished(5000)) echo.kill();
  DestroyWindow(own);
}
BENCHMARK(Kalvora_HostLinkRoundTrip)->Unit(benchmark::kMicrosecond);

// ---- QCustomPlot ----------------------------------------------------------------------------

struct CustomPlot {
  QCustomPlot plot;
  CustomPlot() {
    plot.resize(ChartWidth, ChartHeight);
    plot.addGraph();
    plot.graph(0)->setData(TheCurve().x, TheCurve().y, true);
    plot.xAxis->setRange(0, 10);
    plot.yAxis->setRange(-1.1, 1.1);
    plot.replot();
  }
};

void QCustomPlot_Update(benchmark::State& state) {
  CustomPlot p;
  const QVector<double> other = TheCurve().Scaled(0.999);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    p.plot.graph(0)->setData(TheCurve().x, flip ? other : TheCurve().y, true);
    p.plot.replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(QCustomPlot_Update)->Unit(benchmark::kMicrosecond);

void QCustomPlot_FullPaint(benchmark::State& state) {
  CustomPlot p;
  for (auto _ : state) p.plot.replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(QCustomPlot_FullPaint)->Unit(benchmark::kMicrosecond);

void QCustomPlot_Zoom(benchmark::State& state) {
  CustomPlot p;
  bool zoomed = false;
  for (auto _ : state) {
    zoomed = !zoomed;
    p.plot.xAxis->setRange(zoomed ? ZoomX0 : 0, zoomed ? ZoomX1 : 10);
    p.plot.yAxis->setRange(zoomed ? ZoomY0 : -1.1, zoomed ? ZoomY1 : 1.1);
    p.plot.replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(QCustomPlot_Zoom)->Unit(benchmark::kMicrosecond);

// ---- Large lists: one damped sine of N points over 0 .. 10 (10,001 to 4,000,001) -----------------------------
// Kalvora's chart as a user of the component would use it (a TRChart of the main
// window's chart size, default settings) against QCustomPlot with the same points,
// with its adaptive sampling (its default) and without it.

struct LargeCurve {
  QVector<double> x, y, other;
  explicit LargeCurve(int n) : x(n), y(n), other(n) {
    for (int i = 0; i < n; ++i) {
      x[i] = 10.0 * i / (n - 1);
      y[i] = std::exp(-0.25 * x[i]) * std::sin(2 * M_PI * 3 * x[i]);
      other[i] = 0.999 * y[i];
    }
  }
};

const LargeCurve& LargeCurveOf(int n) {
  static std::map<int, std::unique_ptr<LargeCurve>> curves;
  auto& c = curves[n];
  if (!c) c = std::make_unique<LargeCurve>(n);
  return *c;
}

const int LargeSizes[] = {10001, 100001, 1000001, 4000001};

struct LargeChart {
  TRChart chart;
  explicit LargeChart(const QVector<double>& x, const QVector<double>& y) {
    chart.resize(ChartWidth, ChartHeight);
    chart.show();
    QCoreApplication::processEvents();
    chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
    Fill(x, y);
  }
  void Fill(const QVector<double>& x, const QVector<double>& y) {
    chart.ClearItems();
    chart.MoveTo(x[0], y[0]);
    for (qsizetype i = 1; i < x.size(); ++i) chart.LineTo(x[i], y[i]);
    chart.ShowItems();
  }
};

void Kalvora_LargeFill(benchmark::State& state) {
  const LargeCurve& c = LargeCurveOf(int(state.range(0)));
  LargeChart k(c.x, c.y);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    k.Fill(c.x, flip ? c.other : c.y);
  }
  state.counters["bytes_per_point"] = double(k.chart.Items().StorageBytes()) / double(c.x.size());
  if (k.chart.RenderStats().FastRedraws == 0) state.SkipWithError("no fast redraw");
}

void Kalvora_LargePaint(benchmark::State& state) {
  const LargeCurve& c = LargeCurveOf(int(state.range(0)));
  LargeChart k(c.x, c.y);
  for (auto _ : state) k.chart.Paint();
}

void Kalvora_LargeZoom(benchmark::State& state) {
  const LargeCurve& c = LargeCurveOf(int(state.range(0)));
  LargeChart k(c.x, c.y);
  bool zoomed = false;
  for (auto _ : state) {
    zoomed = !zoomed;
    if (zoomed)
      k.chart.SetLayerRange(1, ZoomX0, ZoomY0, ZoomX1, ZoomY1);
    else
      k.chart.SetLayerRange(1, 0, -1.1L, 10, 1.1L);
  }
}

struct LargeCustomPlot {
  QCustomPlot plot;
  LargeCustomPlot(const LargeCurve& c, bool adaptive) {
    plot.resize(ChartWidth, ChartHeight);
    plot.addGraph();
    plot.graph(0)->setAdaptiveSampling(adaptive);
    plot.graph(0)->setData(c.x, c.y, true);
    plot.xAxis->setRange(0, 10);
    plot.yAxis->setRange(-1.1, 1.1);
    plot.replot(QCustomPlot::rpImmediateRefresh);
  }
};

void QCustomPlotLargeUpdate(benchmark::State& state, bool adaptive) {
  const LargeCurve& c = LargeCurveOf(int(state.range(0)));
  LargeCustomPlot p(c, adaptive);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    p.plot.graph(0)->setData(c.x, flip ? c.other : c.y, true);
    p.plot.replot(QCustomPlot::rpImmediateRefresh);
  }
}

void QCustomPlotLargePaint(benchmark::State& state, bool adaptive) {
  LargeCustomPlot p(LargeCurveOf(int(state.range(0))), adaptive);
  for (auto _ : state) p.plot.replot(QCustomPlot::rpImmediateRefresh);
}

void QCustomPlotLargeZoom(benchmark::State& state, bool adaptive) {
  LargeCustomPlot p(LargeCurveOf(int(state.range(0))), adaptive);
  bool zoomed = false;
  for (auto _ : state) {
    zoomed = !zoomed;
    p.plot.xAxis->setRange(zoomed ? ZoomX0 : 0, zoomed ? ZoomX1 : 10);
    p.plot.yAxis->setRange(zoomed ? ZoomY0 : -1.1, zoomed ? ZoomY1 : 1.1);
    p.plot.replot(QCustomPlot::rpImmediateRefresh);
  }
}

void QCustomPlot_LargeUpdate(benchmark::State& s) { QCustomPlotLargeUpdate(s, true); }
void QCustomPlot_LargePaint(benchmark::State& s) { QCustomPlotLargePaint(s, true); }
void QCustomPlot_LargeZoom(benchmark::State& s) { QCustomPlotLargeZoom(s, true); }
void QCustomPlotExact_LargeUpdate(benchmark::State& s) { QCustomPlotLargeUpdate(s, false); }
void QCustomPlotExact_LargePaint(benchmark::State& s) { QCustomPlotLargePaint(s, false); }
void QCustomPlotExact_LargeZoom(benchmark::State& s) { QCustomPlotLargeZoom(s, false); }

void LargeArgs(benchmark::internal::Benchmark* b) {
  for (int n : LargeSizes) b->Arg(n);
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(Kalvora_LargeFill)->Apply(LargeArgs);
BENCHMARK(Kalvora_LargePaint)->Apply(LargeArgs);
BENCHMARK(Kalvora_LargeZoom)->Apply(LargeArgs);
BENCHMARK(QCustomPlot_LargeUpdate)->Apply(LargeArgs);
BENCHMARK(QCustomPlot_LargePaint)->Apply(LargeArgs);
BENCHMARK(QCustomPlot_LargeZoom)->Apply(LargeArgs);
BENCHMARK(QCustomPlotExact_LargeUpdate)->Apply(LargeArgs);
BENCHMARK(QCustomPlotExact_LargePaint)->Apply(LargeArgs);
BENCHMARK(QCustomPlotExact_LargeZoom)->Apply(LargeArgs);

// ---- Qt Charts ------------------------------------------------------------------------------

struct QtChart {
  QGraphicsScene scene;
  QChart* chart = new QChart;
  QLineSeries* series = new QLineSeries;
  QList<QPointF> points, other;
  QImage image{ChartWidth, ChartHeight, QImage::Format_ARGB32_Premultiplied};
  QtChart() {
    const Curve& c = TheCurve();
    for (int i = 0; i < Samples; ++i) {
      points.append(QPointF(c.x[i], c.y[i]));
      other.append(QPointF(c.x[i], c.y[i] * 0.999));
    }
    series->replace(points);
    chart->addSeries(series);
    chart->createDefaultAxes();
    Axis(Qt::Horizontal)->setRange(0, 10);
    Axis(Qt::Vertical)->setRange(-1.1, 1.1);
    scene.addItem(chart);
    chart->resize(ChartWidth, ChartHeight);
    Render();
  }
  QValueAxis* Axis(Qt::Orientation o) { return qobject_cast<QValueAxis*>(chart->axes(o).value(0)); }
  void Render() {
    image.fill(Qt::white);
    QPainter p(&image);
    scene.render(&p, QRectF(0, 0, ChartWidth, ChartHeight), QRectF(0, 0, ChartWidth, ChartHeight));
  }
};

void QtCharts_Update(benchmark::State& state) {
  QtChart c;
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    c.series->replace(flip ? c.other : c.points);
    c.Render();
  }
}
BENCHMARK(QtCharts_Update)->Unit(benchmark::kMicrosecond);

void QtCharts_FullPaint(benchmark::State& state) {
  QtChart c;
  for (auto _ : state) c.Render();
}
BENCHMARK(QtCharts_FullPaint)->Unit(benchmark::kMicrosecond);

void QtCharts_Zoom(benchmark::State& state) {
  QtChart c;
  bool zoomed = false;
  for (auto _ : state) {
    zoomed = !zoomed;
    c.Axis(Qt::Horizontal)->setRange(zoomed ? ZoomX0 : 0, zoomed ? ZoomX1 : 10);
    c.Axis(Qt::Vertical)->setRange(zoomed ? ZoomY0 : -1.1, zoomed ? ZoomY1 : 1.1);
    c.Render();
  }
}
BENCHMARK(QtCharts_Zoom)->Unit(benchmark::kMicrosecond);

// ---- The echo process of the host link case ---------------------------------------------------

int RunEchoWindow(const QString& title) {
  using namespace Platform;
  const QString className = QStringLiteral("KalvoraBenchLink");
  RegisterClassA(className);
  const HWND own = CreateWindowExA(className, title);
  if (!own) return 1;
  const QByteArray reply("Aok");
  SetWindowProc(own, [&](HWND, UINT msg, WPARAM from, LPARAM) -> LRESULT {
    if (msg != WM_COPYDATA) return 0;
    COPYDATASTRUCT cds;
    cds.dwData = 2;
    cds.cbData = quint32(reply.size());
    cds.lpData = reply.constData();
    SendMessageA(HWND(from), WM_COPYDATA, own, reinterpret_cast<LPARAM>(&cds));
    return 1;
  });
  // Ends when the benchmark closes our standard input.
  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buf[64];
    if (::read(0, buf, sizeof buf) <= 0) QCoreApplication::quit();
  });
  QCoreApplication::exec();
  DestroyWindow(own);
  return 0;
}

// The designed curve's points, "x y" per line, for the matplotlib case.
int WriteCurve(const char* fileName) {
  FILE* f = std::fopen(fileName, "w");
  if (!f) return 1;
  const Curve& c = TheCurve();
  for (int i = 0; i < c.x.size(); ++i) std::fprintf(f, "%.17g %.17g\n", c.x[i], c.y[i]);
  return std::fclose(f) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  if (argc == 3 && std::strcmp(argv[1], "--echo-window") == 0) {
    TApplication app(argc, argv);
    return RunEchoWindow(QString::fromLocal8Bit(argv[2]));
  }
  // Private runtime folder (the echo process inherits it): the host link's
  // windows never meet a user's.
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  TApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--write-curve") == 0) return WriteCurve(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
