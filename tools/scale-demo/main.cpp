// scale-demo: draws the four scale types with numeric, logarithmic, clock-time and
// calendar labels, in several frame styles, and writes the picture as a PNG file.
//   scale-demo [output.png]      (default: scale-demo.png; runs without a display)
#include "FormatDateValue.h"
#include "TScale.h"
#include "Application.h"

#include <QLocale>
#include <cstdio>
#include <string>
#include <memory>
#include <vector>

namespace {

struct Panel {
  int x, y, w, h;
  TScaleType type;
  double low, high;
  TFigType labels;
  bool logarithmic;
  TFrameStyle frame;
  const char* caption;
};

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  TApplication app(argc, argv);
  const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("scale-demo.png");

  const double mar2024 = double(DateSerial(2024, 3, 1));
  const Panel panels[] = {
      {10, 10, 520, 70, sctXB, 0, 100, ftNum, false, fsLowered, "linear"},
      {10, 90, 520, 70, sctXT, 0.01, 1000, ftNum, true, fsRaised, "logarithmic"},
      {10, 170, 520, 70, sctXB, 0, 3600, ftTime, false, fsEmbossed, "time of day"},
      {10, 250, 520, 70, sctXB, mar2024, mar2024 + 731, ftDateTime, false, fsEngraved, "months"},
      {10, 330, 520, 90, sctXB, mar2024 + 0.25, mar2024 + 2.25, ftDateTime, false, fsSimple, "hours"},
      {10, 430, 520, 70, sctXT, mar2024, mar2024 + 50 * 365.25, ftDateTime, false, fsLowered, "years"},
      {540, 10, 120, 490, sctYL, -1, 1, ftNum, false, fsLowered, "volts"},
      {670, 10, 120, 490, sctYR, 1, 1e6, ftNum, true, fsRaised, "ohm"},
      {800, 10, 140, 490, sctYL, mar2024, mar2024 + 14, ftDateTime, false, fsEmbossed, "days"},
      {950, 10, 140, 490, sctYR, 0.5, 0.5 + 1.6 / 86400, ftDateTime, false, fsSimple, "0.01 s"},
  };

  TBitmap picture(1100, 510);
  picture.Canvas().Brush.Color = clWhite;
  picture.Canvas().FillRect(0, 0, picture.Width(), picture.Height());

  std::vector<std::unique_ptr<TScale>> scales;
  for (const Panel& p : panels) {
    auto s = std::make_unique<TScale>();
    s->SetBounds(0, 0, p.w, p.h);
    s->SetScaleType(p.type);
    s->SetRangeLow(p.low);
    s->SetRangeHigh(p.high);
    s->SetLabelType(p.labels);
    s->SetLogarithmic(p.logarithmic);
    s->SetFrameStyle(p.frame);
    s->SetColorBackGnd(p.type == sctXT || p.type == sctYR ? clCream : clBtnFace);
    s->SetColorScale(clNavy);
    s->SetCaption(QString::fromLatin1(p.caption));
    s->SetCaptionAnchor(uaSclBotRgt);
    s->SetCaptionAlignment(taRightJustify);
    if (IsHorizontal(p.type)) {
      s->SetMarginTop(p.type == sctXT ? 22 : 20);
      s->SetMarginBottom(p.type == sctXB ? 22 : 20);
      s->SetCaptionPosY(p.type == sctXB ? 3 : -18);
    } else {
      // Captions below the axis, clear of the labels.
      s->SetCaptionAnchor(uaSclBotRgt);
      s->SetMarginTop(15);
      s->SetMarginBottom(35);
      s->SetMarginLeft(p.type == sctYL ? 15 : 20);
      s->SetMarginRight(p.type == sctYR ? 15 : 20);
      s->SetCaptionAlignment(p.type == sctYL ? taLeftJustify : taRightJustify);
      s->SetCaptionPosX(p.type == sctYL ? 8 : -8);
      s->SetCaptionPosY(12);
    }
    if (std::string(p.caption) == "volts") s->SetScaleInscript(QStringLiteral("& V"));
    if (std::string(p.caption) == "0.01 s") s->SetColorScheme(csSystem);
    s->Loaded();
    s->SetExternalCanvas(&picture.Canvas(), p.x, p.y);
    s->ForcedPaint();
    std::printf("%-12s %3d ticks recorded\n", p.caption, s->NumTicks());
    scales.push_back(std::move(s));
  }

  if (!picture.Image().save(output, "PNG")) {
    std::fprintf(stderr, "scale-demo: cannot write %s\n", qPrintable(output));
    return 1;
  }
  std::printf("written: %s\n", qPrintable(output));
  return 0;
}
