#include "ExportActions.h"

#include "FeatureContext.h"
#include "MessageBox.h"
#include "TRChart.h"
#include "Texts.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <memory>

namespace {
const QString FolderKey = QStringLiteral("Export/Folder");
const QString WidthKey = QStringLiteral("Export/PictureWidth");
constexpr int MinWidth = 146, MaxWidth = 10000; // the smallest chart, and a sane bound

QAction* MakeAction(QObject* parent, const char* name, const char* text) {
  auto* a = new QAction(parent);
  a->setObjectName(QLatin1String(name));
  a->setText(QLatin1String(text));
  return a;
}
} // namespace

TExportActions::TExportActions(TFeatureContext& context)
    : QObject(&context.Chart), chart_(&context.Chart),
      picture_(MakeAction(&context.Menu, "SavePicture", "LX_SavePicture")),
      samples_(MakeAction(&context.Menu, "SaveSamples", "LX_SaveSamples")), context_(context),
      translate_(context.Translate) {
  connect(picture_, &QAction::triggered, this, [this] { SavePicture(); });
  connect(samples_, &QAction::triggered, this, [this] { SaveSamples(); });
  AskFileName = [this](const QString& title, const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(chart_->window(), title, suggested, filter);
  };
  AskWidth = [this](const QString& prompt, int suggested, int min, int max) {
    bool ok = false;
    const int w = QInputDialog::getInt(chart_->window(), WithoutMnemonic(picture_->text()), prompt, suggested, min, max, 1, &ok);
    return ok ? w : 0;
  };
}

std::unique_ptr<QSettings> TExportActions::Settings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kalvora"),
                                     QStringLiteral("Kalvora"));
}

// Asks for a file in the folder used last; a name without an extension gets the suffix.
QString TExportActions::AskFor(QAction* action, const QString& fileName, const QString& filter, const QString& suffix) {
  const auto settings = Settings();
  QString folder = settings->value(FolderKey).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QString title = WithoutMnemonic(action->text());
  title.remove(QChar(0x2026)).remove(QStringLiteral("...")); // no ellipsis in a title
  QString name = AskFileName(title.trimmed(), QDir(folder).filePath(fileName), filter);
  if (name.isEmpty()) return name;
  if (QFileInfo(name).suffix().isEmpty()) name += QLatin1Char('.') + suffix;
  settings->setValue(FolderKey, QFileInfo(name).absolutePath());
  return name;
}

void TExportActions::Report(const ESaveError& error) {
  // A failure with a message of its own (a target that is no plain file, a picture too
  // large or without memory) shows that; any other the reason the system gave.
  const QString text =
      error.Key.isEmpty()
          ? TextOr(translate_, QStringLiteral("SaveFailed"), QStringLiteral("Cannot save \"<%1%>\":\n<%2%>"),
                   {error.FileName, error.Reason})
          : TextOr(translate_, error.Key, QStringLiteral("Cannot save \"%1\":\n%2").arg(error.FileName, error.Reason),
                   error.Args);
  ShowMessageBox(TMessageKind::Error, text, chart_->window());
}

void TExportActions::SavePicture() {
  const QString filter = TextOr(translate_, QStringLiteral("PictureFiles"),
                                QStringLiteral("PNG picture (*.png);;SVG vector picture (*.svg);;PDF document (*.pdf)"));
  const QString name = AskFor(picture_, QStringLiteral("kalvora.png"), filter, QStringLiteral("png"));
  if (name.isEmpty()) return;
  int width = 0;
  if (PictureFormatOf(name) == TPictureFormat::Png) {
    const auto settings = Settings();
    const int last = settings->value(WidthKey, chart_->width()).toInt();
    const QString prompt = TextOr(translate_, QStringLiteral("PictureWidth"),
                                  QStringLiteral("Width of the PNG picture in pixels (the height follows):"));
    // At most MaxPicturePixels: the height follows the chart's proportions.
    const int max = std::max(MinWidth, MaxPngWidth(*chart_, MaxWidth));
    width = AskWidth(prompt, std::clamp(last, MinWidth, max), MinWidth, max);
    if (width == 0) return;
    settings->setValue(WidthKey, width);
  }
  try {
    SaveChartPicture(*chart_, name, width);
  } catch (const ESaveError& e) {
    Report(e);
  }
}

void TExportActions::SaveSamples() {
  const QString filter = TextOr(translate_, QStringLiteral("SampleFiles"), QStringLiteral("CSV table (*.csv)"));
  const QString name = AskFor(samples_, QStringLiteral("kalvora.csv"), filter, QStringLiteral("csv"));
  if (name.isEmpty()) return;
  const TCircuitPositions p = context_.Positions ? context_.Positions() : TCircuitPositions{};
  try {
    ::SaveSamples(*chart_, p.R_Ohm(), p.C_nF(), p.L_uH(), name,
                  ExtraColumns ? ExtraColumns() : std::vector<TSampleColumn>{}, LiveMode ? LiveMode() : QString());
  } catch (const ESaveError& e) {
    Report(e);
  }
}
