#include "TForm1.h"

#include "Accessibility.h"
#include "Align.h"
#include "AnalysisFeature.h"
#include "Application.h"
#include "ChartExport.h"
#include "ChartExtras.h"
#include "ChartKeyboard.h"
#include "CircuitTables.h"
#include "CurveExplorer.h"
#include "ExportActions.h"
#include "FeatureContext.h"
#include "ListenAction.h"
#include "Responses.h"
#include "SampleGrid.h"
#include "MeasureCursor.h"
#include "SaveFile.h"
#include "PanelScroller.h"
#include "StdControls.h"
#include "StoredSettings.h"
#include "TFrmAbout.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "TUrlLab.h"
#include "TableLocator.h"
#include "Texts.h"
#include "TkdbDemonClient.h"
#include "VectorState.h"
#include "WindowPlacement.h"
#include "WorkAreaFile.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextDocument>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace {
// Room kept below the Exit button when the window is too short for the panel.
constexpr int PanelBottomMargin = 6;

template <class T, class P> T* Make(P* parent, const char* name) {
  auto* c = new T(parent);
  c->setObjectName(QLatin1String(name));
  return c;
}
} // namespace

TForm1::TForm1(QWidget* parent, THostLink hostLink) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  CreateComponents(hostLink);
  LoadStoredSettings(this, QStringLiteral(":/forms/Form1.settings"));
  designedMemoHeight_ = Memo1->height();
  panelScroller_ = new TPanelScroller(Panel1, PanelBottomMargin);
  ConnectHandlers();
  Access = new TAccessibility(*this, [this](const QString& key, const QStringList& args) {
    return cliDemon ? cliDemon->Translator().Translate(key, args) : key;
  });
  accessCurves_ = Features->CurveComputed.Join([this](const TComputedCurve&) { Access->CurveChanged(); });
}

// The features leave before the context they joined through goes.
TForm1::~TForm1() {
  delete Analysis;
  delete Explorer;
  delete Listen;
  delete Keyboard;
  delete Export;
  delete Measure;
  delete Extras;
}

void TForm1::CreateComponents(THostLink hostLink) {
  // Creation order is the order the window's components are owned in; the
  // alignment helper places bottom, then right, then the client-filling chart.
  Memo1 = Make<TMemo>(this, "Memo1");
  Panel1 = Make<QFrame>(this, "Panel1");
  Image1 = Make<QLabel>(Panel1, "Image1");
  NLabR = Make<TNumLab>(Panel1, "NLabR");
  NLabC = Make<TNumLab>(Panel1, "NLabC");
  NLabL = Make<TNumLab>(Panel1, "NLabL");
  SBarR = Make<QScrollBar>(Panel1, "SBarR");
  SBarC = Make<QScrollBar>(Panel1, "SBarC");
  SBarL = Make<QScrollBar>(Panel1, "SBarL");
  BButReset = Make<QPushButton>(Panel1, "BButReset");
  BButAbout = Make<QPushButton>(Panel1, "BButAbout");
  BButClose = Make<QPushButton>(Panel1, "BButClose");
  RCResponse = Make<TRChart>(this, "RCResponse");
  PopupMenu1 = Make<QMenu>(this, "PopupMenu1");
  Zoom111 = Make<QAction>(PopupMenu1, "Zoom111");
  PopupMenu1->addAction(Zoom111);
  // Beyond the designed window; nothing shows before the user turns it on.
  auto translate = [this](const QString& key, const QStringList& args) {
    return cliDemon ? cliDemon->Translator().Translate(key, args) : key;
  };
  Features = std::make_unique<TFeatureContext>(*RCResponse, *PopupMenu1, translate);
  Features->Positions = [this] { return TCircuitPositions{SBarR->value(), SBarC->value(), SBarL->value()}; };
  Features->Recompute = [this] { CalcResponse(); };
  Extras = new TChartExtras(*Features, this);
  cliDemon = new TkdbDemonClient(this, hostLink);
  cliDemon->setObjectName(QStringLiteral("cliDemon"));
  Measure = new TMeasureCursor(*Features);
  Export = new TExportActions(*Features);
  Export->ExtraColumns = [this] { // the kept comparison curves, oldest first
    std::vector<TSampleColumn> columns;
    for (const TKeptCurve& kept : Extras->KeptCurves().Curves())
      columns.push_back({QStringLiteral("kept %1").arg(columns.size() + 1), kept.R, kept.C, kept.L, kept.Y,
                         CurveModeName(kept.Exact)});
    return columns;
  };
  Export->LiveMode = [this] { return CurveModeName(Extras->ExactResponse()); };
  PopupMenu1->addSeparator();
  PopupMenu1->addActions({Measure->Action(), Export->PictureAction(), Export->SamplesAction()});
  Keyboard = new TChartKeyboard(*Features, [this] { Zoom111Click(); });
  Explorer = new TCurveExplorer(RCResponse, Measure, translate);
  Listen = new TListenAction(RCResponse, PopupMenu1, translate);
  PopupMenu1->addAction(Listen->Action());
  Features->SetPositions = [this](const TCircuitPositions& p) {
    for (QScrollBar* bar : {SBarR, SBarC, SBarL}) bar->blockSignals(true);
    SBarR->setValue(p.R);
    SBarC->setValue(p.C);
    SBarL->setValue(p.L);
    for (QScrollBar* bar : {SBarR, SBarC, SBarL}) bar->blockSignals(false);
    CalcResponse();
  };
  Analysis = new TAnalysisFeature(*Features, Measure);
  PopupMenu1->addAction(Analysis->Action());
  EnableKeyboardAccess(Memo1, {SBarR, SBarC, SBarL}, {BButReset, BButAbout, BButClose});
  for (QScrollBar* bar : {SBarR, SBarC, SBarL}) bar->setOrientation(Qt::Horizontal);
  Image1->setPixmap(QPixmap(QStringLiteral(":/images/circuit.xpm")));
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  BButReset->setIcon(QIcon(QStringLiteral(":/images/reset.xpm")));
  BButAbout->setIcon(QIcon(QStringLiteral(":/images/about.xpm")));
  BButClose->setIcon(QIcon(QStringLiteral(":/images/exit.xpm")));
  setWindowIcon(QIcon(QStringLiteral(":/images/kalvora.xpm")));
}

void TForm1::ConnectHandlers() {
  for (QScrollBar* bar : {SBarR, SBarC, SBarL})
    connect(bar, &QScrollBar::valueChanged, this, [this] { NIORChange(); });
  connect(Zoom111, &QAction::triggered, this, [this] { Zoom111Click(); });
  connect(BButReset, &QPushButton::clicked, this, [this] { BButResetClick(); });
  connect(BButAbout, &QPushButton::clicked, this, [this] { BButAboutClick(); });
  connect(BButClose, &QPushButton::clicked, this, [this] { BButCloseClick(); });
  RCResponse->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(RCResponse, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(RCResponse->mapToGlobal(at)); });
}

void TForm1::CalcResponse() {
  const Rlc::Positions positions{SBarR->value(), SBarC->value(), SBarL->value()};
  NLabR->SetValue(positions.R / 100.0);
  NLabC->SetValue(positions.C / 100.0);
  NLabL->SetValue(positions.L / 100.0);

  constexpr int Samples = Rlc::SampleGrid::Samples;
  std::array<double, Samples> y;
  Platform::ClearUpperVectorState(); // plain SSE arithmetic follows, see there
  if (Extras->ExactResponse()) Rlc::ExactNormalisedResponse(Rlc::DampingAt(positions), y.data());
  else Rlc::DesignedResponse(positions, y.data());
  const double* x = Rlc::SampleGrid::Times_us();

  RCResponse->ClearItems();
  Platform::ClearUpperVectorState(); // ClearItems may have read a background picture
  RCResponse->MoveTo(0, y[0]);
  for (int i = 1; i < Samples; ++i) RCResponse->LineTo(x[i], y[size_t(i)]);
  Features->CurveComputed.Call({{positions.R, positions.C, positions.L}, y.data(), Samples});
  RCResponse->ShowItems();
}

void TForm1::NIORChange() { CalcResponse(); }

void TForm1::Zoom111Click() { RCResponse->SetLayerRange(1, 0, -1.1L, 10, 1.1L); }

void TForm1::BButResetClick() {
  // Each bar that actually moves recomputes the curve through its change handler.
  SBarR->setValue(470);
  SBarC->setValue(220);
  SBarL->setValue(1000);
  RCResponse->SetLayerRange(1, 0, -1.1L, 10, 1.1L);
}

void TForm1::BButAboutClick() {
  if (aboutBox_) aboutBox_->ShowModal();
}

void TForm1::BButCloseClick() { close(); }

namespace {
// Reads an icon file (every image of it, at most a few); an unreadable file is an error.
QIcon LoadIconFile(const QString& fileName) {
  QImageReader reader(fileName);
  QIcon icon;
  const int count = std::clamp(reader.imageCount(), 1, 16);
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !reader.jumpToNextImage()) break;
    const QImage image = reader.read();
    if (image.isNull()) {
      if (i > 0) break;
      throw Exception(QStringLiteral("Cannot load the icon file \"%1\": %2").arg(fileName, reader.errorString()));
    }
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

} // namespace

void TForm1::LoadAppIcon(const QString& iconName, const QString& workArea) {
  // The name comes from the translation table: refused before anything is fetched or written.
  TLexivaran2000* translator = cliDemon ? &cliDemon->Translator() : nullptr;
  QString fileName = WorkAreaFile(workArea, iconName, translator);
  if (cliDemon && cliDemon->UseQuillonServer()) {
    const std::unique_ptr<QBuffer> stream = cliDemon->FetchFile(iconName);
    if (stream && stream->size() > 0) WriteWorkAreaFile(workArea, iconName, stream->data(), translator);
  }
  // Stand-alone, an installed program keeps the icon in its data folder instead.
  if (!QFileInfo(fileName).isFile() && cliDemon && !cliDemon->UseQuillonServer())
    fileName = TableLocator::FindDataFile(cliDemon->ParamStr(0), iconName);
  if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) return;
  // Loaded once, so that an unreadable file leaves every icon as designed.
  const QIcon icon = LoadIconFile(fileName);
  QApplication::setWindowIcon(icon);
  setWindowIcon(icon);
  if (aboutBox_) aboutBox_->setWindowIcon(icon);
}

void TForm1::FormShow() {
  TLexivaran2000* translator = cliDemon ? &cliDemon->Translator() : nullptr;
  auto translate = [translator](const QString& key) { return translator ? translator->Translate(key) : key; };

  // The application icon: named by the translation table, taken from the work
  // area (fetched there from the teaching server when one is used). An icon that
  // cannot be fetched, saved or read is reported, and start-up goes on with the
  // designed icons: the splash and the first curve must not be lost to it.
  const QString iconName = translate(QStringLiteral("AppIconName"));
  try {
    const QString workArea = cliDemon ? cliDemon->GetEnvironmentString(QStringLiteral("QuillonWorkArea")) : QString();
    if (iconName != QLatin1String("AppIconName")) LoadAppIcon(iconName, workArea);
  } catch (...) {
    TApplication::HandleException(std::current_exception());
  }

  if (aboutBox_) {
    aboutBox_->LblName->setText(QStringLiteral("Kalvora"));
    aboutBox_->LblVersion->setText(QStringLiteral("Version 1.0"));
    aboutBox_->UrlLabHomepage->SetURL(translate(QStringLiteral("HomePageURL")));
    const QString language = translate(QStringLiteral("$dlglanguage$")).toLower();
    if (translator) translator->TranslateComponent(aboutBox_);
    aboutBox_->setWindowTitle(WithoutMnemonic(aboutBox_->windowTitle())); // the About button's "&"
    const bool german = language == QLatin1String("lggerman");
    aboutBox_->LblWebSite->setText(german ? TFrmAbout::GermanWebSite : TFrmAbout::EnglishWebSite);
    aboutBox_->LblDescription->setText(german ? TFrmAbout::GermanDescription : TFrmAbout::EnglishDescription);
    if (Access) Access->DescribeAboutBox(*aboutBox_);
    // The splash: the first curve is drawn only once it has been closed.
    aboutBox_->ShowModal();
  }
  Extras->RestoreChoices();
  CalcResponse();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitToHeight();
}

void TForm1::FitToHeight() {
  if (!panelScroller_ || !panelScroller_->Enabled()) return;
  const int oneLine = Memo1->fontMetrics().lineSpacing() + 2 * Memo1->frameWidth() +
                      2 * int(std::ceil(Memo1->document()->documentMargin()));
  const int memo = std::clamp(height() - panelScroller_->ContentHeight(), std::min(oneLine, designedMemoHeight_),
                              designedMemoHeight_);
  if (Memo1->height() != memo) Memo1->resize(Memo1->width(), memo); // its alignment places the rest
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // Centred; on a small screen fully on it, the chart shrinking down to what
  // its margins leave room for (146 x 80, as for --render).
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  PlaceOnScreen(*this, size() - RCResponse->size() + QSize(146 + scrollBar, 80));
  // Runs once the window is on the screen, so it is visible behind anything FormShow shows.
  QTimer::singleShot(0, this, [this] { RunGuarded([this] { FormShow(); }); });
}

QImage TForm1::RenderChart(int posR, int posC, int posL, QSize chartSize) {
  shown_ = true; // a picture for a figure: no start-up sequence, no splash
  // Only the chart is drawn: the rest of the window keeps its designed sizes around it.
  panelScroller_->SetEnabled(false);
  Memo1->resize(Memo1->width(), designedMemoHeight_);
  if (chartSize.isValid())
    resize(width() - RCResponse->width() + chartSize.width(),
           height() - RCResponse->height() + chartSize.height());
  show();
  QCoreApplication::processEvents();
  SBarR->setValue(posR);
  SBarC->setValue(posC);
  SBarL->setValue(posL);
  CalcResponse(); // the last step of the start-up sequence
  RCResponse->Paint();
  return RCResponse->WindowImage().copy();
}

void TForm1::PrepareChart(int posR, int posC, int posL, QSize chartSize) {
  shown_ = true; // never shown: no start-up sequence, no splash
  SBarR->setValue(posR);
  SBarC->setValue(posC);
  SBarL->setValue(posL);
  CalcResponse(); // hidden: the items only, nothing is drawn
  if (!chartSize.isValid()) return;
  resize(width() - RCResponse->width() + chartSize.width(), height() - RCResponse->height() + chartSize.height());
  RealignChildren(this); // a hidden window has no resize notice to do it
}
