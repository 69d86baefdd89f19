#include "ChartExport.h"

#include "Canvas.h"
#include "LiveCurve.h"
#include "TRChart.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QSaveFile>
#include <QSvgGenerator>
#include <charconv>

namespace {

constexpr int VectorDpi = 96; // the screen's pixels per inch the chart's fonts are sized for

[[noreturn]] void Fail(const QString& fileName, const QString& why) { throw ESaveError(fileName, why); }

void Open(QSaveFile& file) {
  if (!file.open(QIODevice::WriteOnly)) Fail(file.fileName(), file.errorString());
}

void Commit(QSaveFile& file) {
  if (!file.commit()) Fail(file.fileName(), file.errorString());
}

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
  const int height = std::max(1, qRound(chart.height() * scale));
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) throw Exception(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels").arg(width).arg(height));
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

ESaveError::ESaveError(const QString& fileName, const QString& reason)
    : Exception(QStringLiteral("Cannot save \"%1\": %2").arg(fileName, reason)), FileName(fileName), Reason(reason) {}

TPictureFormat PictureFormatOf(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix == QLatin1String("png")) return TPictureFormat::Png;
  if (suffix == QLatin1String("svg")) return TPictureFormat::Svg;
  if (suffix == QLatin1String("pdf")) return TPictureFormat::Pdf;
  return TPictureFormat::Unknown;
}

void SaveChartPicture(TCustomRChart& chart, const QString& fileName, int pngWidth) {
  const TPictureFormat format = PictureFormatOf(fileName);
  if (format == TPictureFormat::Unknown)
    Fail(fileName, QStringLiteral("the name must end in .png, .svg or .pdf"));
  QSaveFile file(fileName);
  if (format == TPictureFormat::Png) {
    const QImage image = PngImage(chart, pngWidth); // drawn before the file is opened
    Open(file);
    if (!image.save(&file, "PNG")) {
      file.cancelWriting();
      Fail(fileName, file.errorString().isEmpty() ? QStringLiteral("the picture could not be written") : file.errorString());
    }
  } else {
    Open(file);
    if (format == TPictureFormat::Svg) WriteSvg(chart, file);
    else WritePdf(chart, file);
    if (file.error() != QFileDevice::NoError) {
      const QString why = file.errorString();
      file.cancelWriting();
      Fail(fileName, why);
    }
  }
  Commit(file);
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
  QSaveFile file(fileName);
  Open(file);
  if (file.write(text) != text.size()) {
    const QString why = file.errorString();
    file.cancelWriting();
    Fail(fileName, why);
  }
  Commit(file);
}
