#pragma once
// The pop-up items "Save picture ..." and "Save samples ...": they ask for a
// file (and, for PNG, the picture's width), write it through ChartExport and
// show an error box when that fails. The folder and the PNG width last used
// are kept in the user's settings.
#include "ChartExport.h"
#include "Texts.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QSettings;
class TCustomRChart;
class TFeatureContext;

class TExportActions : public QObject {
  Q_OBJECT
public:
  // The two items ("LX_SavePicture", "LX_SaveSamples") are created as children of the
  // context's menu; the window adds them there. The samples carry the context's circuit.
  explicit TExportActions(TFeatureContext& context);

  QAction* PictureAction() const { return picture_; }
  QAction* SamplesAction() const { return samples_; }

  // The kept comparison curves written beside the live one (none unless set).
  std::function<std::vector<TSampleColumn>()> ExtraColumns;
  // The live curve's mode, named in the file (none unless set).
  std::function<QString()> LiveMode;
  // The dialogs, replaceable (tests): a file name (empty: cancelled), a width (0: cancelled).
  std::function<QString(const QString& title, const QString& suggested, const QString& filter)> AskFileName;
  std::function<int(const QString& prompt, int suggested, int min, int max)> AskWidth;

  void SavePicture();
  void SaveSamples();

  // Where the choices are kept (user scope).
  static std::unique_ptr<QSettings> Settings();

private:
  QString AskFor(QAction* action, const QString& fileName, const QString& filter, const QString& suffix);
  void Report(const ESaveError& error);

  TCustomRChart* chart_;
  QAction* picture_;
  QAction* samples_;
  TFeatureContext& context_;
  TTranslate translate_;
};
