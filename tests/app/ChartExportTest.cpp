// Export of the chart: the samples table read back against the chart's items,
// SVG and PDF checked for vector content, PNG sizes, refusals that leave no
// file behind, and the command line's --csv and vector --render.
#include "ChartExport.h"
#include "ChartExtras.h"
#include "ExportActions.h"
#include "KeptCurves.h"
#include "LiveCurve.h"
#include "MessageBox.h"
#include "Pixels.h"
#include "RunProgram.h"
#include "SaveFile.h"
#include "Sanitizers.h"
#include "SettingsScope.h"
#include "Startup.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QAction>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>
#include <charconv>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Each test remembers its folder and picture width in settings of its own.
class ChartExport : public SettingsScopedTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    form.RenderChart(470, 220, 1000); // shown off-screen with the first curve
  }
  QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
  TRChart& chart() { return *form.RCResponse; }

  QTemporaryDir dir;
  TForm1 form;
};

double Parse(const QByteArray& field) {
  double v = 0;
  const auto r = std::from_chars(field.constData(), field.constData() + field.size(), v);
  EXPECT_EQ(r.ptr, field.constData() + field.size()) << field.toStdString();
  return v;
}

// A named pipe and a listening socket at the given paths (the socket stays bound while open).
void MakeFifo(const QString& path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); }
int MakeSocket(const QString& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray name = QFile::encodeName(path);
  std::memcpy(address.sun_path, name.constData(), std::min(size_t(name.size()), sizeof address.sun_path - 1));
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path.toStdString();
  return fd;
}

QList<QByteArray> Lines(const QString& fileName) {
  QFile f(fileName);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << fileName.toStdString();
  QList<QByteArray> lines = f.readAll().split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

TEST_F(ChartExport, SamplesReadBackAsTheChartsItemsBitForBit) {
  form.SBarR->setValue(1234); // 12.34 Ohm: digits that must not be rounded away
  ASSERT_EQ(LiveCurveLength(chart()), 10001);
  const QString file = Path("samples.csv");
  SaveSamples(chart(), 12.34, 2.2, 10, file);
  const QList<QByteArray> lines = Lines(file);
  ASSERT_EQ(lines.size(), 2 + 10001);
  EXPECT_EQ(lines[0], "# y: R = 12.34 Ohm, C = 2.2 nF, L = 10 uH");
  EXPECT_EQ(lines[1], "t_us,y");
  for (int i = 0; i < 10001; ++i) {
    const QList<QByteArray> f = lines[i + 2].split(',');
    ASSERT_EQ(f.size(), 2) << i;
    ASSERT_EQ(Parse(f[0]), chart().Item(i).X) << i;
    ASSERT_EQ(Parse(f[1]), chart().Item(i).Y) << i;
  }
  EXPECT_EQ(lines[2 + 10000].split(',')[0], "10");
}

TEST_F(ChartExport, ExtraColumnsAndAChartWithMoreThanOneCurve) {
  // A second curve appended after the live one is not part of it.
  chart().MoveTo(0, 5);
  chart().LineTo(10, 5);
  const TCurveSamples live = LiveCurve(chart());
  ASSERT_EQ(live.T.size(), 10001u);

  TSampleColumn kept{QStringLiteral("kept, 1"), 0, 0.1, 50, {1.5, -2.25}, {}};
  const QByteArray csv = SamplesCsv(4.7, 2.2, 10, {0, 0.001, 0.002}, {0, 0.5, 1e-300}, {kept});
  const QList<QByteArray> lines = csv.split('\n');
  EXPECT_EQ(lines[0], "# y: R = 4.7 Ohm, C = 2.2 nF, L = 10 uH; kept, 1: R = 0 Ohm, C = 0.1 nF, L = 50 uH");
  EXPECT_EQ(lines[1], "t_us,y,\"kept, 1\"");
  EXPECT_EQ(lines[2], "0,0,1.5");
  EXPECT_EQ(lines[3], "0.001,0.5,-2.25");
  EXPECT_EQ(lines[4], "0.002,1e-300,"); // a shorter column leaves its cells empty
}

TEST_F(ChartExport, TheSamplesItemWritesOneColumnPerKeptCurve) {
  form.Extras->KeepCurveItem->trigger(); // 4.7 Ohm
  form.SBarR->setValue(0);
  form.Extras->KeepCurveItem->trigger(); // 0 Ohm
  form.SBarR->setValue(1000);
  form.Export->AskFileName = [&](const QString&, const QString&, const QString&) { return Path("kept.csv"); };
  form.Export->SamplesAction()->trigger();
  const QList<QByteArray> lines = Lines(Path("kept.csv"));
  ASSERT_EQ(lines.size(), 2 + 10001);
  EXPECT_EQ(lines[0], "# y: R = 10 Ohm, C = 2.2 nF, L = 10 uH, designed; kept 1: R = 4.7 Ohm, C = 2.2 nF, "
                      "L = 10 uH, designed; kept 2: R = 0 Ohm, C = 2.2 nF, L = 10 uH, designed");
  EXPECT_EQ(lines[1], "t_us,y,kept 1,kept 2");
  const auto& kept = form.Extras->KeptCurves().Curves();
  for (int i : {0, 228, 10000}) {
    const QList<QByteArray> f = lines[i + 2].split(',');
    ASSERT_EQ(f.size(), 4);
    EXPECT_EQ(Parse(f[1]), chart().Item(i).Y) << i;
    EXPECT_EQ(Parse(f[2]), kept[0].Y[i]) << i;
    EXPECT_EQ(Parse(f[3]), kept[1].Y[i]) << i;
  }
}

TEST_F(ChartExport, FailuresLeaveNoFileAndExistingFilesUntouched) {
  const QString existing = Path("keep.svg");
  {
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
  }
  // A folder that does not exist, a folder in the file's place, an unknown kind of picture.
  EXPECT_THROW(SaveSamples(chart(), 4.7, 2.2, 10, Path("missing/x.csv")), ESaveError);
  EXPECT_THROW(SaveChartPicture(chart(), Path("missing/x.pdf")), ESaveError);
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
  EXPECT_THROW(SaveChartPicture(chart(), Path("folder.png")), ESaveError);
  try {
    SaveChartPicture(chart(), Path("keep.gif"));
    ADD_FAILURE() << "a .gif name was accepted";
  } catch (const ESaveError& e) {
    EXPECT_EQ(e.FileName, Path("keep.gif"));
    EXPECT_TRUE(e.Reason.contains(".svg"));
  }
  chart().ClearItems(); // nothing to write yet
  EXPECT_THROW(SaveSamples(chart(), 4.7, 2.2, 10, existing), ESaveError);
  QFile f(existing);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "old");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.svg"});
}

// A folder, a named pipe or a socket in the file's place is refused by every
// writer and stays what it was; no temporary file is left beside it.
TEST_F(ChartExport, TargetsThatAreNotPlainFilesAreRefusedAndStayAsTheyAre) {
  MakeFifo(Path("pipe.png"));
  MakeFifo(Path("pipe.csv"));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.svg")));
  const int socket = MakeSocket(Path("socket.pdf"));
  struct Case {
    const char* name;
    TFileKind kind;
    const char* key;
    std::function<void(const QString&)> save;
  };
  const Case cases[] = {
      {"pipe.png", TFileKind::Pipe, "SaveOverPipe", [&](const QString& f) { SaveChartPicture(chart(), f); }},
      {"pipe.png", TFileKind::Pipe, "SaveOverPipe", [&](const QString& f) { SaveChartPicture(chart(), f, 300); }},
      {"pipe.csv", TFileKind::Pipe, "SaveOverPipe", [&](const QString& f) { SaveSamples(chart(), 4.7, 2.2, 10, f); }},
      {"folder.svg", TFileKind::Folder, "SaveOverFolder", [&](const QString& f) { SaveChartPicture(chart(), f); }},
      {"socket.pdf", TFileKind::Socket, "SaveOverSocket", [&](const QString& f) { SaveChartPicture(chart(), f); }},
  };
  for (const Case& c : cases) {
    const QString file = Path(c.name);
    try {
      c.save(file);
      ADD_FAILURE() << c.name << " was written over";
    } catch (const ESaveError& e) {
      EXPECT_EQ(e.Key, QLatin1String(c.key)) << c.name;
      EXPECT_EQ(e.Args, QStringList{file});
      EXPECT_TRUE(e.Reason.contains("not a plain file")) << e.Reason.toStdString();
    }
    EXPECT_EQ(FileKindOf(file), c.kind) << c.name;
  }
  ::close(socket);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 4);

  // The window shows the refusal in its error box.
  QStringList errors;
  SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  form.Export->AskFileName = [&](const QString&, const QString&, const QString&) { return Path("pipe.csv"); };
  form.Export->SamplesAction()->trigger();
  SetMessageBoxHook(nullptr);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "Cannot save \"" + Path("pipe.csv") + "\":\nit is a named pipe (FIFO), not a plain file; nothing was written");
}

// A PNG beyond MaxPicturePixels is refused before it is drawn; the window's width
// dialog offers no more than fits.
TEST_F(ChartExport, PicturesAreBoundedInPixels) {
  form.resize(form.width() - chart().width() + 146, form.height() - chart().height() + 1000); // a tall chart
  QCoreApplication::processEvents();
  ASSERT_EQ(chart().size(), QSize(146, 1000));
  const int widest = MaxPngWidth(chart(), 10000);
  EXPECT_LE(qint64(widest) * PngSize(chart(), widest).height(), MaxPicturePixels);
  EXPECT_GT(qint64(widest + 1) * PngSize(chart(), widest + 1).height(), MaxPicturePixels);
  EXPECT_EQ(MaxPngWidth(chart(), 1000), 1000);
  try {
    SaveChartPicture(chart(), Path("tall.png"), 10000);
    ADD_FAILURE() << "a picture of 10000 x 68493 pixels was drawn";
  } catch (const ESaveError& e) {
    EXPECT_EQ(e.Key, "PictureTooLarge");
    EXPECT_EQ(e.Args, (QStringList{Path("tall.png"), "10000", "68493", "100"}));
  }
  EXPECT_FALSE(QFile::exists(Path("tall.png")));

  int offered = 0;
  form.Export->AskFileName = [&](const QString&, const QString&, const QString&) { return Path("tall.png"); };
  form.Export->AskWidth = [&](const QString&, int, int, int max) {
    offered = max;
    return 0; // cancelled: 100 megapixels take a while to draw
  };
  form.Export->PictureAction()->trigger();
  EXPECT_EQ(offered, widest);
}

// The address space this process uses now, in bytes.
qint64 AddressSpace() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmSize:")) return line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
  return 0;
}

// A picture that finds no memory is a save error like any other: the window shows it,
// nothing unwinds out of the pop-up item, and no file is left.
TEST_F(ChartExport, APictureWithoutMemoryIsASaveError) {
  if (AddressSanitized) GTEST_SKIP() << "the address sanitizer aborts on an allocation over the address-space limit";
  QStringList errors;
  SetMessageBoxHook([&](TMessageKind, const QString& text) { errors << text; });
  form.Export->AskFileName = [&](const QString&, const QString&, const QString&) { return Path("big.png"); };
  form.Export->AskWidth = [&](const QString&, int, int, int) { return 7000; }; // 7000 x 6681, 187 MB
  const qint64 used = AddressSpace();
  ASSERT_GT(used, 0);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = rlim_t(used + 64 * 1024 * 1024);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &small), 0);
  const bool inside = RunGuarded([&] { form.Export->PictureAction()->trigger(); });
  setrlimit(RLIMIT_AS, &saved);
  SetMessageBoxHook(nullptr);
  TExportActions::Settings()->remove(QStringLiteral("Export/PictureWidth")); // the next test's suggestion
  EXPECT_TRUE(inside);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "Cannot save \"" + Path("big.png") + "\":\nnot enough memory for a picture of 7000 x 6681 pixels");
  EXPECT_FALSE(QFile::exists(Path("big.png")));
}

TEST_F(ChartExport, SvgHasVectorLinesAndRealText) {
  const QString file = Path("chart.svg");
  SaveChartPicture(chart(), file);
  QSvgRenderer renderer(file);
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, chart().width(), chart().height()));

  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&f);
  int lines = 0, images = 0;
  QStringList texts;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QStringView name = xml.name();
    if (name == u"polyline" || name == u"path" || name == u"line") ++lines;
    if (name == u"image") ++images;
    if (name == u"text") texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_GE(lines, 51); // the curve alone is 51 polylines
  EXPECT_EQ(images, 0);
  EXPECT_TRUE(texts.contains("usec")) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains("0.0"));
  EXPECT_TRUE(texts.contains("-1.00"));
}

// The content streams of a PDF, inflated.
QByteArrayList PdfStreams(const QByteArray& pdf) {
  QByteArrayList streams;
  qsizetype at = 0;
  while ((at = pdf.indexOf("stream", at)) >= 0) {
    if (at >= 3 && pdf.mid(at - 3, 3) == "end") { at += 6; continue; }
    qsizetype begin = at + 6;
    if (pdf.mid(begin, 2) == "\r\n") begin += 2;
    else if (pdf.mid(begin, 1) == "\n") begin += 1;
    const qsizetype end = pdf.indexOf("endstream", begin);
    if (end < 0) break;
    QByteArray data = pdf.mid(begin, end - begin);
    QByteArray sized(4, '\0');
    sized[1] = 0x10; // a first guess of the size; the inflater grows it as needed
    const bool zlib = !data.isEmpty() && quint8(data[0]) == 0x78;
    const QByteArray inflated = zlib ? qUncompress(sized + data) : QByteArray();
    streams << (inflated.isEmpty() ? data : inflated);
    at = end + 9;
  }
  return streams;
}

TEST_F(ChartExport, PdfHasVectorPathsAndTextAndNoPictureOfTheChart) {
  const QString file = Path("chart.pdf");
  SaveChartPicture(chart(), file);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray pdf = f.readAll();
  ASSERT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_FALSE(pdf.contains("/Subtype /Image"));
  EXPECT_FALSE(pdf.contains("/Subtype/Image"));
  int lineTos = 0, texts = 0;
  static const QRegularExpression lineTo(QStringLiteral("\\s[-\\d.]+ [-\\d.]+ l\\s"));
  for (const QByteArray& s : PdfStreams(pdf)) {
    lineTos += int(QString::fromLatin1(s).count(lineTo));
    texts += int(s.count("BT")) * int(s.contains("Tj") || s.contains("TJ"));
  }
  EXPECT_GT(lineTos, 1000); // the curve's segments are path operators
  EXPECT_GT(texts, 0);      // the axis labels are text
}

TEST_F(ChartExport, PngAtTheScreenSizeOrAChosenWidth) {
  const QString screen = Path("screen.png"), wide = Path("wide.png");
  SaveChartPicture(chart(), screen);
  chart().Paint();
  const QImage shown = chart().ControlImage().Image();
  EXPECT_TRUE(QImage(screen).convertToFormat(QImage::Format_RGB32) == shown);
  SaveChartPicture(chart(), wide, 2 * chart().width());
  EXPECT_EQ(QImage(wide).size(), 2 * chart().size());
  // The same picture in the window and in the file: the file's curve is where the window's is, scaled.
  const QImage big = QImage(wide).convertToFormat(QImage::Format_RGB32);
  const QPoint peak = chart().MapToPixel(1, chart().Item(228).X, chart().Item(228).Y);
  EXPECT_GT(TestPixels::CountInk(big, TestPixels::DarkerThan(128), QRect(2 * peak - QPoint(4, 4), QSize(9, 9))), 0);
}

TEST_F(ChartExport, ThePopupItemsAskWriteRememberAndReportErrors) {
  TExportActions& actions = *form.Export;
  QStringList asked, errors;
  QString answer;
  actions.AskFileName = [&](const QString& title, const QString& suggested, const QString& filter) {
    asked << title << suggested << filter;
    return answer;
  };
  int widthAsked = 0;
  actions.AskWidth = [&](const QString&, int suggested, int min, int max) {
    EXPECT_LE(min, suggested);
    EXPECT_LE(suggested, max);
    widthAsked = suggested;
    return 300;
  };
  SetMessageBoxHook([&](TMessageKind kind, const QString& text) {
    EXPECT_EQ(kind, TMessageKind::Error);
    errors << text;
  });

  answer = Path("picture"); // without an extension: PNG
  actions.PictureAction()->trigger();
  ASSERT_EQ(asked.size(), 3);
  EXPECT_EQ(asked[0], "SavePicture"); // no table here: the item shows its key
  EXPECT_TRUE(asked[2].contains("*.svg"));
  EXPECT_EQ(widthAsked, chart().width());
  EXPECT_EQ(QImage(Path("picture.png")).width(), 300);
  // The folder and the width are remembered in the user's settings.
  EXPECT_EQ(TExportActions::Settings()->value("Export/PictureWidth").toInt(), 300);
  asked.clear();
  answer = Path("table.csv");
  actions.SamplesAction()->trigger();
  EXPECT_EQ(asked[1], Path("kalvora.csv"));
  EXPECT_EQ(Lines(Path("table.csv")).size(), 10003);

  // Cancelled: nothing happens. A failure: an error box, no file.
  answer.clear();
  actions.SamplesAction()->trigger();
  answer = Path("missing/x.svg");
  actions.PictureAction()->trigger();
  SetMessageBoxHook(nullptr);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains(Path("missing/x.svg"))) << errors[0].toStdString();
  EXPECT_FALSE(QFile::exists(Path("missing/x.svg")));
}

// A vector picture needs no raster of its size: a chart that is sized but never
// shown writes the same SVG as the window's chart of that size.
TEST(ExportVectors, AHiddenChartWritesTheShownOnesPictureWithoutARasterOfItsSize) {
  QTemporaryDir dir;
  TForm1 hidden(nullptr, THostLink::Off);
  hidden.PrepareChart(0, 220, 1000, QSize(900, 700));
  TRChart& chart = *hidden.RCResponse;
  ASSERT_EQ(chart.size(), QSize(900, 700));
  ASSERT_EQ(chart.ItemCount(), 10001);
  SaveChartPicture(chart, dir.filePath("hidden.svg"));
  EXPECT_LT(chart.DataImage().Width() * chart.DataImage().Height(), 600 * 500);
  EXPECT_LT(chart.ControlImage().Width() * chart.ControlImage().Height(), 600 * 500);

  TForm1 shown;
  shown.RenderChart(0, 220, 1000, QSize(900, 700));
  SaveChartPicture(*shown.RCResponse, dir.filePath("shown.svg"));
  QFile a(dir.filePath("hidden.svg")), b(dir.filePath("shown.svg"));
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
}

TEST(ExportCommandLine, CsvAndVectorPicturesWithoutADisplay) {
  TCommandLine c = ParseCommandLine({"--csv", "a.csv", "--R", "0"});
  ASSERT_EQ(c.Action, TCommandLine::caRender) << c.Error.toStdString();
  EXPECT_EQ(c.CsvFileName, "a.csv");
  EXPECT_TRUE(c.FileName.isEmpty());
  EXPECT_EQ(ParseCommandLine({"--csv"}).Action, TCommandLine::caError);
  EXPECT_EQ(ParseCommandLine({"--csv", "--R", "1"}).Action, TCommandLine::caError);
  EXPECT_EQ(ParseCommandLine({"--render", "a.svg", "--csv", "a.csv", "--csv", "b.csv"}).Action, TCommandLine::caError);
  // Only as the first argument and exactly so spelt: otherwise the host link's.
  EXPECT_EQ(ParseCommandLine({"--csv=a.csv"}).Action, TCommandLine::caRun);
  EXPECT_EQ(ParseCommandLine({"x", "--csv", "a.csv"}).Action, TCommandLine::caRun);
  EXPECT_TRUE(CommandLineHelp().contains("--csv"));

  QTemporaryDir dir;
  const QString csv = dir.filePath("r0.csv"), svg = dir.filePath("r0.svg"), pdf = dir.filePath("r0.pdf");
  QByteArray err;
  ASSERT_EQ(RunProgram({"--csv", csv, "--R", "0", "--render", svg}, nullptr, &err), 0) << err.toStdString();
  ASSERT_EQ(RunProgram({"--render", pdf, "--size", "400x300"}, nullptr, &err), 0) << err.toStdString();
  EXPECT_TRUE(QSvgRenderer(svg).isValid());
  EXPECT_TRUE(QFile(pdf).size() > 1000);

  // The same samples as the window computes for R = 0.
  TForm1 form;
  form.RenderChart(0, 220, 1000);
  const QList<QByteArray> lines = Lines(csv);
  ASSERT_EQ(lines.size(), 10003);
  EXPECT_TRUE(lines[0].contains("R = 0 Ohm"));
  for (int i : {0, 1, 228, 5000, 10000}) {
    const QList<QByteArray> f = lines[i + 2].split(',');
    EXPECT_EQ(Parse(f[1]), form.RCResponse->Item(i).Y) << i;
  }
  EXPECT_EQ(RunProgram({"--csv", dir.filePath("no/such/dir/x.csv")}, nullptr, &err), 1);
  EXPECT_TRUE(err.contains("Cannot save")) << err.toStdString();
}

} // namespace
