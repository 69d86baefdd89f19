#include "Startup.h"

#include "Application.h"
#include "ChartExport.h"
#include "ChartExtras.h"
#include "CircuitTables.h"
#include "MessageBox.h"
#include "SaveFile.h"
#include "TForm1.h"
#include "TFrmAbout.h"
#include "TRChart.h"

#include <QAction>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtGlobal>
#include <xcb/xcb.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

namespace {
// Why the toolkit cannot reach a display, or an empty text when it can: an X
// server, a Wayland compositor, or an explicitly chosen platform such as offscreen.
QString DisplayProblem() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith("xcb")) return QString();
  if (platform.isEmpty() && !qgetenv("WAYLAND_DISPLAY").isEmpty()) return QString();
  const QByteArray display = qgetenv("DISPLAY");
  if (display.isEmpty()) return QStringLiteral("no display found (DISPLAY is not set)");
  // Ask the X server ourselves: the toolkit would abort the process when it cannot connect.
  xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  return failed ? QStringLiteral("cannot open display \"%1\"").arg(QString::fromLocal8Bit(display)) : QString();
}

// The smallest chart the main window's margins allow, and a sane upper bound for a figure.
constexpr int MinWidth = 50 + 16 + 80, MinHeight = 20 + 40 + 20, MaxSide = 10000;
static_assert(qint64(MaxSide) * MaxSide <= MaxPicturePixels, "a picture within the sides stays within the pixels");

// One component value: its option, unit, scroll-bar range (in hundredths) and target.
struct ValueOption {
  const char* name;
  const char* unit;
  int minPos, maxPos;
  int TCommandLine::*position;
};
constexpr ValueOption ValueOptions[] = {
    {"--R", "Ohm", Rlc::RangeR.Min, Rlc::RangeR.Max, &TCommandLine::PositionR},
    {"--C", "nF", Rlc::RangeC.Min, Rlc::RangeC.Max, &TCommandLine::PositionC},
    {"--L", "uH", Rlc::RangeL.Min, Rlc::RangeL.Max, &TCommandLine::PositionL},
};

TCommandLine Failure(const QString& message) {
  TCommandLine result;
  result.Action = TCommandLine::caError;
  result.Error = message;
  return result;
}

QString Hundredths(int position) { return QString::number(position / 100.0, 'g', 6); }

// Why the picture of a given size and scale cannot be made, or an empty text.
// (The designed chart fits at every scale; a given size may not.)
QString SizeProblem(const TCommandLine& command) {
  const QSize size = command.Size;
  if (!size.isValid()) return QString();
  const int scale = command.Scale;
  if (std::max(size.width(), size.height()) * scale > MaxSide)
    return QStringLiteral("--size %1x%2 at --scale %3 is larger than %4x%4 pixels")
        .arg(size.width()).arg(size.height()).arg(scale).arg(MaxSide);
  return QString();
}

// The files to write must be plain files where they exist: a device, a named pipe,
// a socket or a folder of that name is refused before anything is drawn or written.
bool TargetsArePlainFiles(const TCommandLine& command) {
  for (const QString& name : {command.FileName, command.CsvFileName}) {
    const QString reason = NotAPlainFileReason(FileKindOf(name));
    if (reason.isEmpty()) continue;
    std::fprintf(stderr, "kalvora: cannot write \"%s\": %s\n", qPrintable(name), qPrintable(reason));
    return false;
  }
  return true;
}

// The picture's pixels as a PNG file, written as a whole or not at all.
int WritePng(QImage& image, const TCommandLine& command) {
  if (command.Scale > 1) { // printed at the size of the picture at scale 1 (96 per inch)
    const int dotsPerMeter = int(std::lround(96 / 0.0254 * command.Scale));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
  }
  try {
    SavePngImage(image, command.FileName);
  } catch (const ESaveError& e) {
    std::fprintf(stderr, "kalvora: cannot write \"%s\": %s\n", qPrintable(e.FileName), qPrintable(e.Reason));
    return 1;
  }
  return 0;
}

int RenderChart(const TCommandLine& command, int argc, char** argv) {
  // No display is needed.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QString tooLarge = SizeProblem(command);
  if (!tooLarge.isEmpty()) {
    std::fprintf(stderr, "kalvora: %s\n", qPrintable(tooLarge));
    return 2;
  }
  if (!TargetsArePlainFiles(command)) return 1;
  // The picture's device pixel ratio is the --scale given (1 unless given), whatever the
  // environment asks for: the chart is drawn as on a screen of that ratio.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "1");
  qputenv("QT_SCALE_FACTOR", QByteArray::number(command.Scale));
  qunsetenv("QT_SCREEN_SCALE_FACTORS");
  // The model's tables need no chart: written before (and without) the picture.
  if (!command.Experiment.isEmpty() || command.Resonance) {
    try {
      const Rlc::Positions at{command.PositionR, command.PositionC, command.PositionL};
      Rlc::Experiment experiment{};
      Rlc::ExperimentNamed(command.Experiment.toLatin1().constData(), experiment);
      SaveTable(command.Resonance ? ResonanceCsv(at) : ExperimentCsv(at, experiment), command.CsvFileName);
    } catch (const Exception& e) {
      std::fprintf(stderr, "kalvora: %s\n", e.what());
      return 1;
    }
    if (command.FileName.isEmpty()) return 0;
  }
  // The toolkit's runtime files go to a folder of this run. (The single-copy check does
  // not depend on it: the window below is made with the host link off.)
  QTemporaryDir runtime;
  if (runtime.isValid()) qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Kalvora"));
  // Nobody could close a box here: messages go to the error output.
  QString problem;
  SetMessageBoxHook([&problem](TMessageKind, const QString& text) {
    if (problem.isEmpty()) problem = text;
  });
  std::unique_ptr<TForm1> form;
  QImage image;
  // Only a PNG is drawn as pixels; a vector picture or a table needs the chart's
  // items and geometry alone, at any size.
  const bool png = PictureFormatOf(command.FileName) == TPictureFormat::Png;
  const bool made = RunGuarded([&] {
    // The host link stays off: a running Kalvora is neither looked for nor handed
    // this command line, and no lock is taken that a window started meanwhile would meet.
    form = std::make_unique<TForm1>(nullptr, THostLink::Off);
    form->Extras->ExactResponseItem->setChecked(command.Exact); // not remembered
    if (png) image = form->RenderChart(command.PositionR, command.PositionC, command.PositionL, command.Size);
    else form->PrepareChart(command.PositionR, command.PositionC, command.PositionL, command.Size);
  });
  if (!made || (png && image.isNull())) {
    // A picture that comes back empty without an error found no memory for its pixels.
    std::fprintf(stderr, "kalvora: cannot draw the chart: %s\n",
                 qPrintable(!problem.isEmpty() ? problem
                            : made         ? QStringLiteral("not enough memory for the picture")
                                           : QStringLiteral("unknown error")));
    return 1;
  }
  // The samples table and the vector pictures (ChartExport).
  try {
    if (!command.CsvFileName.isEmpty() && command.Experiment.isEmpty() && !command.Resonance)
      SaveSamples(*form->RCResponse, command.PositionR / 100.0, command.PositionC / 100.0,
                  command.PositionL / 100.0, command.CsvFileName, {}, CurveModeName(command.Exact));
    if (!png && !command.FileName.isEmpty()) SaveChartPicture(*form->RCResponse, command.FileName);
  } catch (const Exception& e) {
    std::fprintf(stderr, "kalvora: %s\n", e.what());
    return 1;
  }
  return png ? WritePng(image, command) : 0;
}

} // namespace

QString CommandLineHelp() {
  return QStringLiteral(
      "Usage: kalvora --render FILE.png|.svg|.pdf [--csv FILE.csv] [--R OHM] [--C NF] [--L UH] [--size WxH]\n"
      "               [--scale N]\n"
      "       kalvora --csv FILE.csv [--render FILE] [--R OHM] [--C NF] [--L UH] [--size WxH] [--scale N]\n"
      "               [--exact | --experiment charged|current|step | --resonance]\n"
      "       kalvora --help\n"
      "       kalvora [ARGUMENT ...]\n"
      "\n"
      "Without --render, --csv or --help as the first argument Kalvora opens its window;\n"
      "every argument then goes, as typed, to the host link (and to a running copy).\n"
      "\n"
      "  --render FILE.png  write the chart of the main window, as it looks after start-up,\n"
      "                     to the PNG file FILE.png, without a window or a display;\n"
      "                     a name ending in .svg or .pdf gives a vector picture\n"
      "  --csv FILE.csv     write the curve's 10,001 samples (t_us,y) to FILE.csv\n"
      "  --exact            the curve (chart and samples) is the exact normalised\n"
      "                     response instead of the designed one\n"
      "  --experiment NAME  FILE.csv gets the transient of an experiment instead,\n"
      "                     t_us,u_C_V,i_mA,E_C_nJ,E_L_nJ,E_R_nJ on the same 10,001 times:\n"
      "                     charged (u_C(0) = 1 V), current (i(0) with the energy of\n"
      "                     1 V on C) or step (1 V switched on at t = 0)\n"
      "  --resonance        FILE.csv gets the resonance curve instead, 1,001 frequencies\n"
      "                     f0/100 ... 100 f0: f_Hz,gain_UC,phase_UC_deg,I_mA_per_V,phase_I_deg\n"
      "                     (\"inf\" for the peak at f0 when R = 0)\n"
      "  --R OHM            resistance R in Ohm, 0 ... 100 (default 4.7)\n"
      "  --C NF             capacitance C in nF, 0.1 ... 50 (default 2.2)\n"
      "  --L UH             inductance L in uH, 0.1 ... 50 (default 10)\n"
      "  --size WxH         size of the picture in pixels (default: the window's chart,\n"
      "                     505x482; at least 146x80, at most 10000x10000)\n"
      "  --scale N          N device pixels per pixel, 1 ... 8 (default 1): lines N times\n"
      "                     as wide and text N times as high, curve and text at the finer\n"
      "                     resolution, for figures at print resolution\n"
      "  --help             show this help and exit\n"
      "\n"
      "Values are rounded to hundredths, as the scroll bars hold them.\n");
}

namespace {
TCommandLine ParseHelp(const QStringList& rest) {
  if (!rest.isEmpty()) return Failure(QStringLiteral("--help takes no arguments (got \"%1\")").arg(rest.first()));
  TCommandLine result;
  result.Action = TCommandLine::caHelp;
  return result;
}

// "--size WxH" into result; an empty text when it is good, else the reason.
QString ReadSize(const QString& value, TCommandLine& result) {
  static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"));
  const QRegularExpressionMatch m = pattern.match(value.trimmed());
  if (!m.hasMatch())
    return QStringLiteral("--size wants WIDTHxHEIGHT in pixels, such as 800x600 (got \"%1\")").arg(value);
  const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
  if (w < MinWidth || h < MinHeight || w > MaxSide || h > MaxSide)
    return QStringLiteral("--size %1x%2 is outside %3x%4 ... %5x%5").arg(w).arg(h).arg(MinWidth).arg(MinHeight).arg(MaxSide);
  result.Size = QSize(w, h);
  return QString();
}

// "--R OHM", "--C NF" or "--L UH" into result; an empty text when it is good, else the reason.
QString ReadValue(const ValueOption& o, const QString& value, TCommandLine& result) {
  bool ok = false;
  const double v = QLocale::c().toDouble(value.trimmed(), &ok);
  if (!ok || !std::isfinite(v))
    return QStringLiteral("%1 wants a number in %2, such as 4.7 (got \"%3\")").arg(QLatin1String(o.name), QLatin1String(o.unit), value);
  // The scroll bars' ranges, in displayed units; nothing is clamped silently.
  const std::optional<int> position = Rlc::PositionOf(v, Rlc::PositionRange{o.minPos, o.maxPos, o.minPos});
  if (!position)
    return QStringLiteral("%1 %2 is outside %3 ... %4 %5")
        .arg(QLatin1String(o.name), value.trimmed(), Hundredths(o.minPos), Hundredths(o.maxPos), QLatin1String(o.unit));
  result.*o.position = *position;
  return QString();
}

// "--scale N" into result; an empty text when it is good, else the reason.
QString ReadScale(const QString& value, TCommandLine& result) {
  bool ok = false;
  result.Scale = value.trimmed().toInt(&ok);
  if (!ok || result.Scale < 1 || result.Scale > MaxRenderScale)
    return QStringLiteral("--scale wants a whole number 1 ... %1 (got \"%2\")").arg(MaxRenderScale).arg(value);
  return QString();
}

// The file of "--render FILE" or "--csv FILE" into result; an empty text when it is good, else the reason.
QString ReadFile(const QString& option, const QString& value, TCommandLine& result) {
  if (value.trimmed().isEmpty() || value.startsWith(QLatin1Char('-')))
    return QStringLiteral("%1 needs a file name").arg(option);
  const bool csv = option == QLatin1String("--csv");
  if (!csv && PictureFormatOf(value) == TPictureFormat::Unknown)
    return QStringLiteral("--render wants a name ending in .png, .svg or .pdf (got \"%1\")").arg(value);
  (csv ? result.CsvFileName : result.FileName) = value;
  return QString();
}

// "--experiment NAME" into result; an empty text when it is good, else the reason.
QString ReadExperiment(const QString& value, TCommandLine& result) {
  Rlc::Experiment e{};
  if (!Rlc::ExperimentNamed(value.toLatin1().constData(), e) || value.contains(QChar(0)))
    return QStringLiteral("--experiment wants charged, current or step (got \"%1\")").arg(value);
  result.Experiment = value;
  return QString();
}

// What --experiment, --resonance and --exact may be combined with.
QString CheckTableOptions(const TCommandLine& c) {
  const bool experiment = !c.Experiment.isEmpty();
  if (experiment && c.Resonance) return QStringLiteral("--resonance cannot be combined with --experiment");
  if (c.Exact && (experiment || c.Resonance))
    return QStringLiteral("--exact is for the chart's curve; --%1 writes its own exact table")
        .arg(experiment ? QStringLiteral("experiment") : QStringLiteral("resonance"));
  if ((experiment || c.Resonance) && c.CsvFileName.isEmpty())
    return QStringLiteral("--%1 needs --csv FILE for its table").arg(experiment ? QStringLiteral("experiment")
                                                                               : QStringLiteral("resonance"));
  return QString();
}

// "--render FILE" or "--csv FILE", followed by "--R OHM", "--C NF", "--L UH",
// "--size WxH", "--scale N", "--exact", "--experiment NAME", "--resonance" and the
// other of the two file options, each at most once.
TCommandLine ParseExport(const QString& option, const QStringList& rest) {
  TCommandLine result;
  const QString problem = ReadFile(option, rest.value(0), result);
  if (!problem.isEmpty()) return Failure(problem);
  const QString other = option == QLatin1String("--csv") ? QStringLiteral("--render") : QStringLiteral("--csv");
  QStringList seen;
  for (qsizetype i = 1; i < rest.size(); ++i) {
    const QString& name = rest[i];
    const ValueOption* value = nullptr;
    for (const ValueOption& o : ValueOptions)
      if (name == QLatin1String(o.name)) value = &o;
    const bool size = name == QLatin1String("--size"), scale = name == QLatin1String("--scale");
    const bool experiment = name == QLatin1String("--experiment");
    const bool flag = name == QLatin1String("--exact") || name == QLatin1String("--resonance");
    if (!value && !size && !scale && !experiment && !flag && name != other)
      return Failure(name.startsWith(QLatin1Char('-')) ? QStringLiteral("unknown option \"%1\"").arg(name)
                                                       : QStringLiteral("unexpected argument \"%1\"").arg(name));
    if (seen.contains(name)) return Failure(QStringLiteral("%1 is given twice").arg(name));
    seen << name;
    if (flag) {
      (name == QLatin1String("--exact") ? result.Exact : result.Resonance) = true;
      continue;
    }
    if (++i >= rest.size()) return Failure(QStringLiteral("%1 needs a value").arg(name));
    const QString& argument = rest[i];
    const QString error = value        ? ReadValue(*value, argument, result)
                          : size       ? ReadSize(argument, result)
                          : scale      ? ReadScale(argument, result)
                          : experiment ? ReadExperiment(argument, result)
                                       : ReadFile(name, argument, result);
    if (!error.isEmpty()) return Failure(error);
  }
  const QString combination = CheckTableOptions(result);
  if (!combination.isEmpty()) return Failure(combination);
  result.Action = TCommandLine::caRender;
  return result;
}

TCommandLine ParseRender(const QStringList& rest) { return ParseExport(QStringLiteral("--render"), rest); }
TCommandLine ParseCsv(const QStringList& rest) { return ParseExport(QStringLiteral("--csv"), rest); }

// Kalvora's own actions: each is recognised only as the first argument, exactly
// so spelt, and reads the arguments after it. Anything else is the host link's.
struct FirstAction {
  const char* option;
  TCommandLine (*parse)(const QStringList& rest);
};
constexpr FirstAction FirstActions[] = {
    {"--help", ParseHelp},
    {"--render", ParseRender},
    {"--csv", ParseCsv},
};
} // namespace

TCommandLine ParseCommandLine(const QStringList& arguments) {
  if (arguments.isEmpty()) return TCommandLine();
  for (const FirstAction& action : FirstActions)
    if (arguments.first() == QLatin1String(action.option)) return action.parse(arguments.mid(1));
  return TCommandLine(); // the host link's arguments, the window opens
}

int RunKalvora(int argc, char** argv) {
  // As typed; the host link reads the whole command line from TApplication.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const TCommandLine command = ParseCommandLine(arguments);
  switch (command.Action) {
  case TCommandLine::caHelp:
    std::fputs(qPrintable(CommandLineHelp()), stdout);
    return 0;
  case TCommandLine::caError:
    std::fprintf(stderr, "kalvora: %s\nTry \"kalvora --help\".\n", qPrintable(command.Error));
    return 2;
  case TCommandLine::caRender: return RenderChart(command, argc, argv);
  case TCommandLine::caRun: break;
  }

  const QString problem = DisplayProblem();
  if (!problem.isEmpty()) {
    std::fprintf(stderr, "kalvora: %s; start Kalvora from a desktop session.\n", qPrintable(problem));
    return 2;
  }
  // The toolkit acts on none of the arguments: they are all the host link's.
  TApplication app(argc, argv, TApplication::TToolkitOptions::Ignore);
  app.setApplicationName(QStringLiteral("Kalvora"));
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TFrmAbout> about;
  // An error while the windows are created is shown, and the program ends.
  if (!RunGuarded([&] {
        form = std::make_unique<TForm1>();
        about = std::make_unique<TFrmAbout>(form.get());
        form->SetAboutBox(about.get());
      }))
    return 1;
  form->show();
  return app.exec();
}
