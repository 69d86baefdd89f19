#pragma once
// The main window: three scroll bars set R, C and L of a series RLC circuit;
// after every change the free, damped oscillation over the first 10 us is
// recomputed and replaces the curve in the chart.
#include <QImage>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <memory>

#include "HandlerList.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class TMemo;
class TNumLab;
class TRChart;
class TMeasureCursor;
class TExportActions;
class TChartKeyboard;
class TFeatureContext;
class TAccessibility;
class TCurveExplorer;
class TListenAction;
#include "TkdbDemonClient.h"
class TFrmAbout;
class TChartExtras;
class TPanelScroller;
class TAnalysisFeature;

class TForm1 : public QWidget {
  Q_OBJECT
public:
  // Creates the window with its components and applies its stored settings. With
  // the host link off (a picture or table for the command line) this copy neither
  // looks for a teaching server or a running copy nor takes the single-copy lock.
  explicit TForm1(QWidget* parent = nullptr, THostLink hostLink = THostLink::On);
  ~TForm1() override;

  // The About box shown by the About button (created by the program body after this window).
  void SetAboutBox(TFrmAbout* box) { aboutBox_ = box; }

  // Recomputes the response for the current scroll-bar positions and shows it.
  void CalcResponse();

  // The chart's picture as it looks after start-up with the given scroll-bar
  // positions (hundredths), drawn off-screen without the start-up sequence and
  // its splash; an empty chartSize keeps the designed size. Used by --render.
  QImage RenderChart(int posR, int posC, int posL, QSize chartSize = QSize());
  // The same chart, computed and sized but never shown or painted, for a vector
  // picture or a table: no raster of its size is made.
  void PrepareChart(int posR, int posC, int posL, QSize chartSize = QSize());

  // Handlers.
  void NIORChange();
  void Zoom111Click();
  void BButResetClick();
  void BButAboutClick();
  void BButCloseClick();
  void FormShow();

  TMemo* Memo1;
  QFrame* Panel1;
  QLabel* Image1;
  TNumLab *NLabR, *NLabC, *NLabL;
  QScrollBar *SBarR, *SBarC, *SBarL;
  QPushButton *BButReset, *BButAbout, *BButClose;
  TRChart* RCResponse;
  QMenu* PopupMenu1;
  QAction* Zoom111;
  QPointer<TkdbDemonClient> cliDemon; // a quit message from the server deletes it
  // What the features beyond the designed window join through (FeatureContext.h).
  std::unique_ptr<TFeatureContext> Features;
  // The chart's extra pop-up items: circuit data, exact response, kept curves.
  TChartExtras* Extras;
  // Beyond the designed window: measuring, export and keyboard operation of the chart.
  TMeasureCursor* Measure;
  TExportActions* Export;
  TChartKeyboard* Keyboard;
  // For screen readers: names, the chart's summary, exploring and hearing the curve.
  TAccessibility* Access = nullptr;
  TCurveExplorer* Explorer;
  TListenAction* Listen;
  // Scrolls the right-hand panel when the window is too short for it.
  TPanelScroller* PanelScroller() const { return panelScroller_; }
  // The circuit analysis window, opened from the pop-up menu.
  TAnalysisFeature* Analysis;

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  THandlerLink accessCurves_; // the spoken summary follows every new curve
  void CreateComponents(THostLink hostLink);
  // Fetches (under a teaching server) and loads the application icon named iconName
  // in the work area into the application, this window and the About box.
  void LoadAppIcon(const QString& iconName, const QString& workArea);
  void ConnectHandlers();
  // Below the designed height every control stays visible: the description box
  // gives up height first, down to one line, then the panel scrolls.
  void FitToHeight();
  TPanelScroller* panelScroller_ = nullptr;
  int designedMemoHeight_ = 0;
  TFrmAbout* aboutBox_ = nullptr;
  bool shown_ = false;
};
