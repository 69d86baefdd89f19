// The --render option: reading the command line, and the written picture
// compared with the chart of the main window shown off-screen.
#include "NamedMutex.h"
#include "Pixels.h"
#include "RunProgram.h"
#include "SaveFile.h"
#include "Startup.h"
#include "TForm1.h"
#include "TRChart.h"
#include "TkdbDemonClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TCommandLine Parse(const QString& line) {
  return ParseCommandLine(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

TEST(RenderArguments, OnlyAFirstOwnOptionIsOursTheRestGoesToTheHostLink) {
  EXPECT_EQ(Parse("").Action, TCommandLine::caRun);
  EXPECT_EQ(Parse("/serverhandle=42 lesson.txt").Action, TCommandLine::caRun);
  EXPECT_EQ(Parse("--help").Action, TCommandLine::caHelp);
  EXPECT_EQ(Parse("--render a.png").Action, TCommandLine::caRender);
  // Look-alikes, other spellings and own options after the first argument
  // belong to the host link: the window opens with them.
  for (const char* line : {"a --c -style x", "-h", "--c", "--size=800x600", "--R 5", "lesson --help",
                           "x --render a.png", "--Help", "--render=a.png", "--help=yes", "-render a.png"}) {
    const TCommandLine c = Parse(QLatin1String(line));
    EXPECT_EQ(c.Action, TCommandLine::caRun) << line << " -> " << c.Error.toStdString();
  }
  for (const char* option : {"--render", "--R", "--C", "--L", "--size", "--help"})
    EXPECT_TRUE(CommandLineHelp().contains(QLatin1String(option))) << option;
}

TEST(RenderArguments, ValuesBecomeScrollBarPositions) {
  TCommandLine c = Parse("--render out.png");
  ASSERT_EQ(c.Action, TCommandLine::caRender) << c.Error.toStdString();
  EXPECT_EQ(c.FileName, "out.png");
  EXPECT_EQ(c.PositionR, 470);
  EXPECT_EQ(c.PositionC, 220);
  EXPECT_EQ(c.PositionL, 1000);
  EXPECT_FALSE(c.Size.isValid());

  c = ParseCommandLine({"--render", "my figure.png", "--R", "0", "--C", "0.1", "--L", "50", "--size", "800X600"});
  ASSERT_EQ(c.Action, TCommandLine::caRender) << c.Error.toStdString();
  EXPECT_EQ(c.FileName, "my figure.png");
  EXPECT_EQ(c.PositionR, 0);
  EXPECT_EQ(c.PositionC, 10);
  EXPECT_EQ(c.PositionL, 5000);
  EXPECT_EQ(c.Size, QSize(800, 600));

  // Rounded to hundredths, as the scroll bars hold them.
  c = Parse("--render a.png --R 100 --C 12.344 --L 0.126");
  EXPECT_EQ(c.PositionR, 10000);
  EXPECT_EQ(c.PositionC, 1234);
  EXPECT_EQ(c.PositionL, 13);
}

TEST(RenderArguments, BadArgumentsAreRefusedWithAReason) {
  struct Case {
    const char* line;
    const char* says;
  };
  const Case cases[] = {
      {"--render", "needs a file name"},
      {"--render --R 5", "needs a file name"},
      {"--render a.png --R", "needs a value"},
      {"--render a.png --R 100.01", "outside 0 ... 100 Ohm"},
      {"--render a.png --R -1", "outside"},
      {"--render a.png --C 0.09", "outside 0.1 ... 50 nF"},
      {"--render a.png --L 51", "outside 0.1 ... 50 uH"},
      {"--render a.png --L 4,7", "wants a number"},
      {"--render a.png --C nan", "wants a number"},
      {"--render a.png --C inf", "wants a number"},
      {"--render a.png --R 1e400", "wants a number"},
      {"--render a.png --size 300", "WIDTHxHEIGHT"},
      {"--render a.png --size -300x200", "WIDTHxHEIGHT"},
      {"--render a.png --size 100x200", "outside"},
      {"--render a.png --size 20000x200", "outside"},
      {"--render a.png --size 99999999999x2", "WIDTHxHEIGHT"},
      {"--render a.png --R 1 --R 2", "given twice"},
      {"--render a.png --verbose", "unknown option"},
      {"--render a.png extra", "unexpected argument"},
      {"--render a.png --help", "unknown option"},
      {"--render a.png --R=5", "unknown option"},
      {"--render a.png --r 5", "unknown option"},
      {"--help me", "takes no arguments"},
      // Only the endings the help names: nothing else is written as a PNG.
      {"--render out/a.txt", "ending in .png, .svg or .pdf"},
      {"--render out/noext", "ending in .png, .svg or .pdf"},
      {"--render a.png.", "ending in .png, .svg or .pdf"},
      {"--csv a.csv --render b.gif", "ending in .png, .svg or .pdf"},
  };
  for (const Case& c : cases) {
    const TCommandLine parsed = Parse(QLatin1String(c.line));
    EXPECT_EQ(parsed.Action, TCommandLine::caError) << c.line;
    EXPECT_TRUE(parsed.Error.contains(QLatin1String(c.says)))
        << c.line << " -> " << parsed.Error.toStdString();
  }
}

TEST(RenderArguments, ScaleIsAWholeNumberFromOneToEight) {
  EXPECT_EQ(Parse("--render a.png").Scale, 1);
  EXPECT_EQ(Parse("--render a.png --scale 2").Scale, 2);
  EXPECT_EQ(Parse("--render a.png --R 5 --scale 8").Scale, 8);
  EXPECT_TRUE(CommandLineHelp().contains(QLatin1String("--scale")));
  for (const char* line : {"--render a.png --scale 0", "--render a.png --scale 9", "--render a.png --scale 1.5",
                           "--render a.png --scale two", "--render a.png --scale -2"}) {
    const TCommandLine parsed = Parse(QLatin1String(line));
    EXPECT_EQ(parsed.Action, TCommandLine::caError) << line;
    EXPECT_TRUE(parsed.Error.contains(QLatin1String("whole number 1 ... 8"))) << line;
  }
  EXPECT_TRUE(Parse("--render a.png --scale").Error.contains(QLatin1String("needs a value")));
  EXPECT_TRUE(Parse("--render a.png --scale 2 --scale 2").Error.contains(QLatin1String("given twice")));
  // Not after --render: the host link's, as every other argument.
  EXPECT_EQ(Parse("--scale 2").Action, TCommandLine::caRun);
}

TEST(RenderProgram, WritesTheWindowsChartPixelForPixel) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("figure.png"));
  QByteArray err;
  ASSERT_EQ(RunProgram({QStringLiteral("--render"), file}, nullptr, &err), 0) << err.toStdString();
  const QImage written(file);
  ASSERT_FALSE(written.isNull());

  TForm1 form;
  form.show();
  QCoreApplication::processEvents();
  form.CalcResponse();
  const QImage shown = form.RCResponse->WindowImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(written.size(), QSize(505, 482));
  const bool same = written.convertToFormat(QImage::Format_RGB32) == shown;
  EXPECT_TRUE(same);
  if (!same) shown.save(QDir::temp().filePath(QStringLiteral("kalvora-shown-chart.png")));
}

// The stored settings make the picture: both axes, "usec" under the x axis, the
// dotted silver grid on the ticks the axes drew, no shadow.
TEST(RenderProgram, TheChartShowsAxesCaptionAndDottedGrid) {
  TForm1 form;
  const QImage image = form.RenderChart(470, 220, 1000);
  TRChart* chart = form.RCResponse;
  ASSERT_EQ(image.size(), QSize(505, 482));
  EXPECT_EQ(chart->ShadowWidth(), 0);
  EXPECT_EQ(image.pixel(504, 481), ColorToRGB(clBtnFace));
  auto inkIn = [&](const QRect& r) { return TestPixels::CountInk(image, TestPixels::DarkerThan(100), r); };
  const int bottom = 482 - 40, right = 505 - 16;
  EXPECT_GT(inkIn(QRect(0, 20, 48, bottom - 20)), 20);              // y axis labels
  EXPECT_GT(inkIn(QRect(50, bottom + 1, right - 50, 14)), 20);      // x axis ticks and labels
  const int middle = 50 + (right - 50) / 2;
  EXPECT_GT(inkIn(QRect(middle - 30, bottom + 16, 60, 482 - bottom - 17)), 10); // "usec"

  // Grid lines lie on the ticks; their gaps are the chart colour.
  double values[TCustomRChart::MaxGridLines];
  const int n = chart->GridValues(true, values);
  ASSERT_GE(n, 2);
  ASSERT_EQ(values[0], chart->ScaleObjectX(1)->TickPosition(1));
  const int x = chart->MapToPixel(1, values[1], 0).x();
  int silver = 0, white = 0;
  for (int y = 21; y < bottom; ++y) {
    silver += image.pixel(x, y) == ColorToRGB(clSilver);
    white += image.pixel(x, y) == ColorToRGB(clWhite);
  }
  EXPECT_GT(silver, 100);
  EXPECT_GT(white, 100);
}

TEST(RenderProgram, OtherValuesAndSizeAndRefusals) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("undamped.png"));
  ASSERT_EQ(RunProgram({QStringLiteral("--render"), file, QStringLiteral("--R"), QStringLiteral("0"),
                        QStringLiteral("--size"), QStringLiteral("400x300")}),
            0);
  const QImage written(file);
  ASSERT_EQ(written.size(), QSize(400, 300));

  TForm1 form;
  const QImage direct = form.RenderChart(0, 220, 1000, QSize(400, 300));
  EXPECT_TRUE(written.convertToFormat(QImage::Format_RGB32) == direct.convertToFormat(QImage::Format_RGB32));

  QByteArray out, err;
  EXPECT_EQ(RunProgram({QStringLiteral("--help")}, &out), 0);
  EXPECT_TRUE(out.contains("--render"));
  EXPECT_EQ(RunProgram({QStringLiteral("--render"), file, QStringLiteral("--C"), QStringLiteral("60")},
                       nullptr, &err),
            2);
  EXPECT_TRUE(err.contains("outside")) << err.toStdString();
  // A file that cannot be written is a failure, not a success.
  EXPECT_EQ(RunProgram({QStringLiteral("--render"), dir.filePath(QStringLiteral("missing/dir/x.png"))},
                       nullptr, &err),
            1);
  EXPECT_TRUE(err.contains("cannot write")) << err.toStdString();
}

// --scale 2: the same chart at twice the resolution. What is horizontal or vertical
// is the exact enlargement; the curve is drawn at the finer pixels.
TEST(RenderProgram, ScaleTwoDrawsAtTwiceTheResolution) {
  QTemporaryDir dir;
  const QString file1 = dir.filePath(QStringLiteral("one.png")), file2 = dir.filePath(QStringLiteral("two.png"));
  QByteArray err;
  ASSERT_EQ(RunProgram({QStringLiteral("--render"), file1}, nullptr, &err), 0) << err.toStdString();
  ASSERT_EQ(RunProgram({QStringLiteral("--render"), file2, QStringLiteral("--scale"), QStringLiteral("2")}, nullptr, &err), 0)
      << err.toStdString();
  const QImage one = QImage(file1).convertToFormat(QImage::Format_RGB32);
  const QImage two = QImage(file2).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(one.size(), QSize(505, 482));
  ASSERT_EQ(two.size(), QSize(1010, 964));
  EXPECT_EQ(two.dotsPerMeterX(), 7559); // 192 per inch: printed at the size of the first
  EXPECT_EQ(one.dotsPerMeterX(), 3780);

  TForm1 form;
  const TRChart* chart = form.RCResponse;
  const int top = chart->MarginTop(), right = 505 - chart->MarginRight();
  const int bottom = 482 - chart->MarginBottom();
  // Above the data area, with the frame's top line: the enlargement.
  bool enlarged = true;
  for (int y = 0; y < 2 * (top + 1); ++y)
    for (int x = 0; x < 1010; ++x) enlarged = enlarged && two.pixel(x, y) == one.pixel(x / 2, y / 2);
  EXPECT_TRUE(enlarged);

  // The curve: black pixels alone in their 2 x 2 blocks, steps an enlargement has not.
  int halfBlocks = 0;
  for (int y = 2 * (top + 2); y < 2 * (bottom - 8); y += 2)
    for (int x = 2 * (chart->MarginLeft() + 8); x < 2 * (right - 2); x += 2) {
      int black = 0;
      for (int k = 0; k < 4; ++k) black += two.pixel(x + k % 2, y + k / 2) == qRgb(0, 0, 0);
      halfBlocks += black > 0 && black < 4;
    }
  EXPECT_GT(halfBlocks, 100);

  // Too large a picture is refused before anything is drawn.
  EXPECT_EQ(RunProgram({QStringLiteral("--render"), file2, QStringLiteral("--size"), QStringLiteral("6000x300"),
                        QStringLiteral("--scale"), QStringLiteral("2")},
                       nullptr, &err),
            2);
  EXPECT_TRUE(err.contains("larger than")) << err.toStdString();
}

// Every target is checked before anything is drawn or written: a named pipe, a
// folder or an unknown ending is refused with its reason and nothing is written.
TEST(RenderProgram, RefusesTargetsThatAreNotPlainFilesAndUnknownEndings) {
  QTemporaryDir dir;
  const QString pipe = dir.filePath(QStringLiteral("pipe.png")), folder = dir.filePath(QStringLiteral("folder.csv"));
  const QString csv = dir.filePath(QStringLiteral("samples.csv"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
  QByteArray err;
  EXPECT_EQ(RunProgram({QStringLiteral("--render"), pipe}, nullptr, &err), 1);
  EXPECT_TRUE(err.contains("cannot write \"" + QFile::encodeName(pipe) + "\": it is a named pipe (FIFO)"))
      << err.toStdString();
  EXPECT_EQ(RunProgram({QStringLiteral("--csv"), csv, QStringLiteral("--render"), pipe}, nullptr, &err), 1);
  EXPECT_EQ(RunProgram({QStringLiteral("--render"), dir.filePath(QStringLiteral("a.svg")), QStringLiteral("--csv"),
                        folder}, nullptr, &err), 1);
  EXPECT_TRUE(err.contains("it is a folder")) << err.toStdString();
  EXPECT_EQ(FileKindOf(pipe), TFileKind::Pipe);
  EXPECT_EQ(FileKindOf(folder), TFileKind::Folder);
  EXPECT_EQ(RunProgram({QStringLiteral("--render"), dir.filePath(QStringLiteral("a.txt"))}, nullptr, &err), 2);
  EXPECT_TRUE(err.contains("ending in .png, .svg or .pdf")) << err.toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{"folder.csv", "pipe.png"}));
}

// A render stays out of the single-copy hand-over whatever the environment: with
// a window copy running and no private temporary folder to be had, it still writes
// its picture rather than handing its arguments to the running copy.
TEST(RenderProgram, NeverJoinsTheSingleCopyHandOver) {
  {
    TForm1 form(nullptr, THostLink::Off);
    EXPECT_EQ(form.cliDemon->OwnEntity().Window, 0u);
    EXPECT_EQ(form.cliDemon->OwnEntity().Handle, 0u);
    EXPECT_EQ(Platform::OpenMutexA(QStringLiteral("DQ_") + QFileInfo(form.cliDemon->ParamStr(0)).fileName()), 0u);
  }
  QTemporaryDir runtime, out;
  QProcess first;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  first.setProcessEnvironment(env);
  first.start(QStringLiteral(KALVORA_PROGRAM), {});
  ASSERT_TRUE(first.waitForStarted());
  // The first copy holds the lock once its note lies beside it.
  const QString note = runtime.filePath(QStringLiteral("didacto/DQ_") + QFileInfo(QStringLiteral(KALVORA_PROGRAM)).fileName() +
                                        QStringLiteral(".note"));
  for (int i = 0; i < 600 && !QFile::exists(note); ++i) QThread::msleep(100);
  ASSERT_TRUE(QFile::exists(note)) << first.readAllStandardError().toStdString();

  const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR"), savedTmp = qgetenv("TMPDIR");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  // A plain file as the temporary folder: no folder can be made in it, even by root.
  const QString notAFolder = out.filePath(QStringLiteral("not-a-folder"));
  ASSERT_TRUE(QFile(notAFolder).open(QIODevice::WriteOnly));
  qputenv("TMPDIR", QFile::encodeName(notAFolder));
  const QString file = out.filePath(QStringLiteral("figure.png"));
  QByteArray err;
  const int exitCode = RunProgram({QStringLiteral("--render"), file}, nullptr, &err);
  qputenv("XDG_RUNTIME_DIR", savedRuntime);
  if (savedTmp.isNull()) qunsetenv("TMPDIR"); else qputenv("TMPDIR", savedTmp);
  EXPECT_EQ(exitCode, 0) << err.toStdString();
  EXPECT_EQ(QImage(file).size(), QSize(505, 482));
  EXPECT_EQ(first.state(), QProcess::Running);
  first.kill();
  first.waitForFinished();
}

} // namespace
