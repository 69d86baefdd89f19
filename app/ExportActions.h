#pragma once
// The pop-up items "Save picture ..." and "Save samples ...": they ask for a
// file (and, for PNG, the picture's width), write it through ChartExport and
// show an error box when that fails. The folder and the PNG width last used
// are kept in the user's settings.
#include "ChartExport.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QSettings;
class TCustomRChart;

class TExportActions : public QObject {
  Q_OBJECT
public:
  using TTranslate = std::function<QString(const QString& key, const QStringList& args)>;
  // R in Ohm, C in nF, L in uH of the live curve.
  using TCircuitValues = std::function<std::array<double, 3>()>;

  // The two items are created as children of actionParent ("LX_SavePicture", "LX_SaveSamples").
  TExportActions(TCustomRChart* chart, QObject* actionParent, TTranslate translate, TCircuitValues values);

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
  TTranslate translate_;
  TCircuitValues values_;
};
