#include "TForm1.h"

#include "Application.h"
#include "ChartExport.h"
#include "ChartExtras.h"
#include "ChartKeyboard.h"
#include "DampedRotation.h"
#include "ExactResponse.h"
#include "ExportActions.h"
#include "MeasureCursor.h"
#include "PanelScroller.h"
#include "StdControls.h"
#include "StoredSettings.h"
#include "TFrmAbout.h"
#include "TNumLab.h"
#include "TRChart.h"
#include "TUrlLab.h"
#include "TableLocator.h"
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

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  CreateComponents();
  LoadStoredSettings(this, QStringLiteral(":/forms/Form1.settings"));
  designedMemoHeight_ = Memo1->height();
  panelScroller_ = new TPanelScroller(Panel1, PanelBottomMargin);
  ConnectHandlers();
}

void TForm1::CreateComponents() {
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
  Extras = new TChartExtras(*RCResponse, *PopupMenu1, [this](const QString& key) {
    return cliDemon ? cliDemon->Translator().Translate(key) : key;
  }, this);
  Extras->OnRecompute = [this] { CalcResponse(); };
  cliDemon = Make<TkdbDemonClient>(this, "cliDemon");
  { // Beyond the designed window; nothing shows before the user turns it on.
    auto translate = [this](const QString& key, const QStringList& args) {
      return cliDemon ? cliDemon->Translator().Translate(key, args) : key;
    };
    Measure = new TMeasureCursor(RCResponse, PopupMenu1, translate);
    Export = new TExportActions(RCResponse, PopupMenu1, translate, [this] {
      return std::array<double, 3>{SBarR->value() / 100.0, SBarC->value() / 100.0, SBarL->value() / 100.0};
    });
    Export->ExtraColumns = [this] { // the kept comparison curves, oldest first
      std::vector<TSampleColumn> columns;
      for (const TKeptCurve& kept : Extras->KeptCurves().Curves())
        columns.push_back({QStringLiteral("kept %1").arg(columns.size() + 1), kept.R, kept.C, kept.L, kept.Y});
      return columns;
    };
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({Measure->Action(), Export->PictureAction(), Export->SamplesAction()});
    Keyboard = new TChartKeyboard(RCResponse, PopupMenu1, [this] { Zoom111Click(); });
    EnableKeyboardAccess(Memo1, {SBarR, SBarC, SBarL}, {BButReset, BButAbout, BButClose});
    for (QScrollBar* bar : {SBarR, SBarC, SBarL}) // after the new curve: queued behind NIORChange
      connect(bar, &QScrollBar::valueChanged, Measure, &TMeasureCursor::Refresh, Qt::QueuedConnection);
  }
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

namespace {

constexpr int ResponseSamples = 10001; // t = 0 .. 10 us in steps of 1 ns
constexpr int ResponseBlock = 64;

// The sample times in microseconds, i * 0.001 rounded once from extended precision.
const double* ResponseTimes() {
  static const auto times = [] {
    std::array<double, ResponseSamples> t{};
    for (int i = 0; i < ResponseSamples; ++i) t[size_t(i)] = double(i * 0.001L);
    return t;
  }();
  return times.data();
}


// y_i = gain * e^(-delta t_i) * sin(omega t_i), t_i = i ns, as the imaginary part of
// gain * z_a * r_j with i = a + j: z_a = e^((-delta + i omega) t_a) at the start of each
// block of 64 samples and r_j = e^((-delta + i omega) t_j) for j < 64, each evaluated
// directly (no recurrence, so no error builds up). Each factor carries a relative
// error of a few double rounding units and the product adds two more, so every sample
// lies within about 1e-15 * gain * e^(-delta t) of the extended-precision value.
// This costs 221 direct evaluations instead of 10,001 in extended precision.
void EvaluateResponse(double delta, double omega, long double gain, double* y) {
  double rRe[ResponseBlock], rIm[ResponseBlock];
  for (int j = 0; j < ResponseBlock; ++j) {
    const long double t = j * 1e-9L;
    DampedRotation(delta * t, omega * t, rRe[j], rIm[j]);
  }
  const double g = double(gain);
  for (int a = 0; a < ResponseSamples; a += ResponseBlock) {
    const long double t = a * 1e-9L;
    double zRe, zIm;
    DampedRotation(delta * t, omega * t, zRe, zIm);
    const int n = std::min(ResponseBlock, ResponseSamples - a);
    for (int j = 0; j < n; ++j) y[a + j] = g * (zRe * rIm[j] + zIm * rRe[j]);
  }
}

} // namespace

void TForm1::CalcResponse() {
  const long double posR = SBarR->value(), posC = SBarC->value(), posL = SBarL->value();
  NLabR->SetValue(double(posR) / 100);
  NLabC->SetValue(double(posC) / 100);
  NLabL->SetValue(double(posL) / 100);

  // Damping constant R/2L and resonance angular frequency 1/sqrt(LC), stored as doubles.
  const double delta = double((posR / 100) / ((posL / 100) * 1e-6L) / 2);
  const double omega0 = double(1 / std::sqrt((posL / 100) * 1e-6L * posC / 100 * 1e-9L));
  const long double omega0Sq = (long double)omega0 * omega0;
  // An aperiodic or critically damped circuit has no oscillation frequency: omega is 1 then.
  const double omega = delta < omega0 ? double(std::sqrt(omega0Sq - (long double)delta * delta)) : 1.0;
  const long double gain = omega0Sq / ((long double)omega * omega);

  std::array<double, ResponseSamples> y;
  Platform::ClearUpperVectorState(); // plain SSE arithmetic follows, see there
  if (Extras->ExactResponse()) ExactResponse::Evaluate(delta, omega0, y.data());
  else EvaluateResponse(delta, omega, gain, y.data());
  const double* x = ResponseTimes();

  RCResponse->ClearItems();
  Platform::ClearUpperVectorState(); // ClearItems may have read a background picture
  RCResponse->MoveTo(0, y[0]);
  for (int i = 1; i < ResponseSamples; ++i) RCResponse->LineTo(x[i], y[size_t(i)]);
  Extras->CurveComputed(int(posR), int(posC), int(posL), y.data());
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
