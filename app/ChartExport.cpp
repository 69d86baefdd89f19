#include "ChartExport.h"

#include "Canvas.h"
#include "LiveCurve.h"
#include "SaveFile.h"
#include "TRChart.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QSvgGenerator>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>

namespace {

constexpr int VectorDpi = 96; // the screen's pixels per inch the chart's fonts are sized for

[[noreturn]] void Fail(const QString& fileName, const QString& why) { throw ESaveError(fileName, why); }

// A target that is not a plain file has a message of its own in the window.
QString NotAPlainFileKey(TFileKind kind) {
  switch (kind) {
  case TFileKind::Folder: return QStringLiteral("SaveOverFolder");
  case TFileKind::Device: return QStringLiteral("SaveOverDevice");
  case TFileKind::Pipe: return QStringLiteral("SaveOverPipe");
  case TFileKind::Socket: return QStringLiteral("SaveOverSocket");
  default: return QStringLiteral("SaveOverSpecial");
  }
}

[[noreturn]] void FailNotAPlainFile(const QString& fileName, TFileKind kind) {
  throw ESaveError(fileName, NotAPlainFileReason(kind), NotAPlainFileKey(kind), {fileName});
}

void Open(TSaveFile& file) {
  if (file.open(QIODevice::WriteOnly)) return;
  if (file.RefusedKind() != TFileKind::None) FailNotAPlainFile(file.fileName(), file.RefusedKind());
  Fail(file.fileName(), file.errorString());
}

void Commit(TSaveFile& file) {
  if (!file.commit()) Fail(file.fileName(), file.errorString());
}

[[noreturn]] void FailForMemory(const QString& fileName, QSize size) {
  const QString reason = size.isEmpty() ? QStringLiteral("not enough memory")
                                        : QStringLiteral("not enough memory for a picture of %1 x %2 pixels")
                                              .arg(size.width()).arg(size.height());
  throw ESaveError(fileName, reason, QStringLiteral("SaveNoMemory"), {fileName});
}

qint64 Pixels(QSize size) { return qint64(size.width()) * size.height(); }

void WriteSvg(TCustomRChart& chart, QSaveFile& file) {
  QSvgGenerator svg;
  svg.setOutputDevice(&file);
  svg.setSize(chart.size());
  svg.setViewBox(QRect(QPoint(0, 0), chart.size()));
  svg.setResolution(VectorDpi);
  svg.setTitle(QStringLiteral("Kalvora"));
  TCanvas canvas(&svg);
  chart.PaintTo(canvas);
  canvas.EndDraw();
}

void WritePdf(TCustomRChart& chart, QSaveFile& file) {
  QPdfWriter pdf(&file);
  pdf.setResolution(VectorDpi);
  pdf.setPageSize(QPageSize(QSizeF(chart.size()) * 72.0 / VectorDpi, QPageSize::Point, QString(),
                            QPageSize::ExactMatch));
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  pdf.setCreator(QStringLiteral("Kalvora"));
  TCanvas canvas(&pdf);
  chart.PaintTo(canvas);
  canvas.EndDraw();
}

QImage PngImage(TCustomRChart& chart, int width) {
  if (width <= 0 || width == chart.width()) {
    chart.Paint();
    return chart.ControlImage().Image().copy();
  }
  // Another size: the chart as vectors, scaled to the width.
  QPicture picture;
  {
    TCanvas canvas(&picture);
    chart.PaintTo(canvas);
  }
  const double scale = double(width) / chart.width();
  QImage image(PngSize(chart, width), QImage::Format_RGB32);
  if (image.isNull()) return image; // no memory for it
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(scale, scale);
  picture.play(&painter);
  return image;
}

void AppendNumber(QByteArray& out, double v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr - buffer);
}

QString Values(double r, double c, double l, const QString& mode) {
  return QStringLiteral("R = %1 Ohm, C = %2 nF, L = %3 uH")
             .arg(QString::number(r, 'g', 10), QString::number(c, 'g', 10), QString::number(l, 'g', 10)) +
         (mode.isEmpty() ? QString() : QStringLiteral(", ") + mode);
}

// A column name as one CSV field: quoted when it holds a separator, a quote or a line break.
QByteArray Field(const QString& name) {
  QByteArray f = name.toUtf8();
  if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r'))
    f = '"' + f.replace("\"", "\"\"") + '"';
  return f;
}

} // namespace

ESaveError::ESaveError(const QString& fileName, const QString& reason, const QString& key, const QStringList& args)
    : Exception(QStringLiteral("Cannot save \"%1\": %2").arg(fileName, reason)), FileName(fileName), Reason(reason),
      Key(key), Args(args) {}

QSize PngSize(const TCustomRChart& chart, int pngWidth) {
  if (pngWidth <= 0 || pngWidth == chart.width()) return chart.size() * chart.DeviceScale();
  const double scale = double(pngWidth) / chart.width();
  return QSize(pngWidth, std::max(1, qRound(chart.height() * scale)));
}

int MaxPngWidth(const TCustomRChart& chart, int maxWidth) {
  const double aspect = double(std::max(1, chart.height())) / std::max(1, chart.width());
  int width = int(std::min<double>(maxWidth, std::floor(std::sqrt(MaxPicturePixels / aspect))));
  // The rounded height can leave room for a pixel more, or take one away.
  while (width < maxWidth && Pixels(PngSize(chart, width + 1)) <= MaxPicturePixels) ++width;
  while (width > 1 && Pixels(PngSize(chart, width)) > MaxPicturePixels) --width;
  return width;
}

void SavePngImage(const QImage& image, const QString& fileName) {
  TSaveFile file(fileName);
  Open(file);
  bool saved = false;
  try {
    saved = image.save(&file, "PNG");
  } catch (const std::bad_alloc&) {
    file.cancelWriting();
    FailForMemory(fileName, image.size());
  }
  if (!saved) {
    file.cancelWriting();
    Fail(fileName, file.errorString().isEmpty() ? QStringLiteral("the picture could not be written") : file.errorString());
  }
  Commit(file);
}

TPictureFormat PictureFormatOf(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix == QLatin1String("png")) return TPictureFormat::Png;
  if (suffix == QLatin1String("svg")) return TPictureFormat::Svg;
  if (suffix == QLatin1String("pdf")) return TPictureFormat::Pdf;
  return TPictureFormat::Unknown;
}

namespace {
void SaveChartPng(TCustomRChart& chart, const QString& fileName, int pngWidth) {
  const TFileKind kind = FileKindOf(fileName); // refused before anything is drawn
  if (kind != TFileKind::None && kind != TFileKind::PlainFile) FailNotAPlainFile(fileName, kind);
  const QSize size = PngSize(chart, pngWidth);
  if (Pixels(size) > MaxPicturePixels) {
    const QString w = QString::number(size.width()), h = QString::number(size.height());
    const QString mp = QString::number(MaxPicturePixels / 1'000'000);
    throw ESaveError(fileName, QStringLiteral("a picture of %1 x %2 pixels is larger than the %3 megapixels allowed").arg(w, h, mp),
                     QStringLiteral("PictureTooLarge"), {fileName, w, h, mp});
  }
  QImage image;
  try {
    image = PngImage(chart, pngWidth); // drawn before the file is opened
  } catch (const std::bad_alloc&) {
  }
  if (image.isNull()) FailForMemory(fileName, size);
  SavePngImage(image, fileName);
}

void SaveChartVectors(TCustomRChart& chart, const QString& fileName, TPictureFormat format) {
  TSaveFile file(fileName);
  Open(file);
  try {
    if (format == TPictureFormat::Svg) WriteSvg(chart, file);
    else WritePdf(chart, file);
  } catch (const std::bad_alloc&) {
    file.cancelWriting();
    FailForMemory(fileName, QSize());
  }
  if (file.error() != QFileDevice::NoError) {
    const QString why = file.errorString();
    file.cancelWriting();
    Fail(fileName, why);
  }
  Commit(file);
}
} // namespace

void SaveChartPicture(TCustomRChart& chart, const QString& fileName, int pngWidth) {
  const TPictureFormat format = PictureFormatOf(fileName);
  if (format == TPictureFormat::Unknown)
    Fail(fileName, QStringLiteral("the name must end in .png, .svg or .pdf"));
  if (format == TPictureFormat::Png) SaveChartPng(chart, fileName, pngWidth);
  else SaveChartVectors(chart, fileName, format);
}

QByteArray SamplesCsv(double r, double c, double l, const std::vector<double>& t,
                      const std::vector<double>& y, const std::vector<TSampleColumn>& extra, const QString& mode) {
  QByteArray out;
  out.reserve(int(t.size()) * 48);
  out += "# y: " + Values(r, c, l, mode).toUtf8();
  for (const TSampleColumn& e : extra) out += "; " + e.Name.toUtf8() + ": " + Values(e.R, e.C, e.L, e.Mode).toUtf8();
  out += "\nt_us,y";
  for (const TSampleColumn& e : extra) out += ',' + Field(e.Name);
  out += '\n';
  for (size_t i = 0; i < t.size(); ++i) {
    AppendNumber(out, t[i]);
    out += ',';
    if (i < y.size()) AppendNumber(out, y[i]);
    for (const TSampleColumn& e : extra) {
      out += ',';
      if (i < e.Samples.size()) AppendNumber(out, e.Samples[i]);
    }
    out += '\n';
  }
  return out;
}

void SaveSamples(const TCustomRChart& chart, double r, double c, double l, const QString& fileName,
                 const std::vector<TSampleColumn>& extra, const QString& mode) {
  const TCurveSamples live = LiveCurve(chart);
  if (live.T.empty()) Fail(fileName, QStringLiteral("there is no curve yet"));
  const QByteArray text = SamplesCsv(r, c, l, live.T, live.Y, extra, mode);
  TSaveFile file(fileName);
  Open(file);
  if (file.write(text) != text.size()) {
    const QString why = file.errorString();
    file.cancelWriting();
    Fail(fileName, why);
  }
  Commit(file);
}
