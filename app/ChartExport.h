#pragma once
// Pictures and sample tables of the chart, written to files as a whole or not
// at all (TSaveFile), and only over a plain file: a failure throws ESaveError
// and leaves an existing file as it was.
#include "Exceptions.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class QImage;

// A file that could not be written: its name and the reason, in words for the user.
class ESaveError : public Exception {
public:
  // key: the window's translation key for this failure, its arguments args (the
  // file name first); without one the window shows "SaveFailed" with the reason.
  ESaveError(const QString& fileName, const QString& reason, const QString& key = QString(),
             const QStringList& args = {});
  QString FileName, Reason;
  QString Key;
  QStringList Args;
};

// The largest picture written, in (device) pixels: 100 megapixels, 400 MB as a raster.
constexpr qint64 MaxPicturePixels = 100'000'000;

class TCustomRChart;

enum class TPictureFormat { Png, Svg, Pdf, Unknown };

// The format a file name asks for, by its extension in any case.
TPictureFormat PictureFormatOf(const QString& fileName);

// Writes the chart as it looks now. PNG: its pixels at the size on screen, or,
// with a width other than 0 and the chart's own, drawn anew as vectors at that
// width (the height keeps the proportions). SVG and PDF: vector lines and real
// text at the chart's size on screen (96 pixels per inch).
// A PNG larger than MaxPicturePixels is refused before anything is drawn, and a
// picture that finds no memory is an ESaveError too.
void SaveChartPicture(TCustomRChart& chart, const QString& fileName, int pngWidth = 0);

// The PNG's size in pixels at a width (0: the chart's size on screen, in device pixels).
QSize PngSize(const TCustomRChart& chart, int pngWidth);
// The widest PNG of the chart (at most maxWidth) that stays within MaxPicturePixels.
int MaxPngWidth(const TCustomRChart& chart, int maxWidth);

// Writes a picture as PNG.
void SavePngImage(const QImage& image, const QString& fileName);

// One curve of the sample table besides the live one: its column name, its
// circuit values (Ohm, nF, uH) and its samples at the live curve's times.
struct TSampleColumn {
  QString Name;
  double R = 0, C = 0, L = 0;
  std::vector<double> Samples;
  QString Mode; // the curve's mode ("designed", "exact normalised"); none if empty
};

// The table: a comment line naming R, C and L (with units) of every curve, and its
// mode when given, a header line "t_us,y" (and the extra columns' names), then one
// line per sample, every number in the shortest form that reads back to the same
// double. An extra column shorter than t leaves its cells empty.
QByteArray SamplesCsv(double r, double c, double l, const std::vector<double>& t,
                      const std::vector<double>& y, const std::vector<TSampleColumn>& extra = {},
                      const QString& mode = QString());

// Writes the live curve of the chart, with the given circuit values, extra columns and mode.
void SaveSamples(const TCustomRChart& chart, double r, double c, double l, const QString& fileName,
                 const std::vector<TSampleColumn>& extra = {}, const QString& mode = QString());
