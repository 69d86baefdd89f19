#include "ChartExtras.h"

#include "ChartOverlaySlots.h"
#include "CircuitData.h"
#include "FeatureContext.h"
#include "QuietChart.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QSettings>
#include <algorithm>

namespace {
const QString CircuitDataKey = QStringLiteral("Chart/CircuitData");
const QString ExactResponseKey = QStringLiteral("Chart/ExactResponse");

// The user's settings of the program (user scope, never the installation folder).
QSettings UserSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kalvora"), QStringLiteral("Kalvora"));
}

QAction* AddItem(QMenu& menu, const char* name, const char* caption, bool checkable) {
  auto* item = new QAction(QLatin1String(caption), &menu);
  item->setObjectName(QLatin1String(name));
  item->setCheckable(checkable);
  menu.addAction(item);
  return item;
}
} // namespace

TChartExtras::TChartExtras(TFeatureContext& context, QObject* parent)
    : QObject(parent), context_(context), chart_(context.Chart), kept_(context),
      curves_(context.CurveComputed.Join([this](const TComputedCurve& curve) { CurveComputed(curve); })) {
  QMenu& menu = context.Menu;
  menu.addSeparator();
  CircuitDataItem = AddItem(menu, "CircuitDataItem", "LX_CircuitData", true);
  ExactResponseItem = AddItem(menu, "ExactResponseItem", "LX_ExactResponse", true);
  menu.addSeparator();
  KeepCurveItem = AddItem(menu, "KeepCurveItem", "LX_KeepCurve", false);
  ClearKeptCurvesItem = AddItem(menu, "ClearKeptCurvesItem", "LX_ClearKeptCurves", false);
  ClearKeptCurvesItem->setEnabled(false);
  connect(CircuitDataItem, &QAction::triggered, this, [this](bool on) { Toggled(CircuitDataKey, on); });
  connect(ExactResponseItem, &QAction::triggered, this, [this](bool on) { Toggled(ExactResponseKey, on); });
  connect(KeepCurveItem, &QAction::triggered, this, [this] { KeepCurve(); });
  connect(ClearKeptCurvesItem, &QAction::triggered, this, [this] {
    kept_.Clear();
    ClearKeptCurvesItem->setEnabled(false);
    Recompute();
  });
  chart_.installEventFilter(this);
}

TChartExtras::~TChartExtras() {
  TTextLabel* label = chart_.TextLabel(ChartOverlaySlots::CircuitDataLabel);
  const TQuietChart quiet(chart_);
  label->SetVisible(false);
  label->SetMode(tlOff);
}

bool TChartExtras::CircuitData() const { return CircuitDataItem->isChecked(); }
bool TChartExtras::ExactResponse() const { return ExactResponseItem->isChecked(); }

void TChartExtras::RestoreChoices() {
  const QSettings settings = UserSettings();
  CircuitDataItem->setChecked(settings.value(CircuitDataKey, false).toBool());
  ExactResponseItem->setChecked(settings.value(ExactResponseKey, false).toBool());
}

void TChartExtras::Toggled(const QString& key, bool on) {
  QSettings settings = UserSettings();
  settings.setValue(key, on);
  Recompute();
}

void TChartExtras::KeepCurve() {
  if (last_.empty()) return; // no curve shown yet
  // The legend says which computation drew the curve: the two look alike otherwise.
  const QString mode = lastExact_ ? TextOr(context_.Translate, QStringLiteral("KeptExact"), QStringLiteral("exact"))
                                  : TextOr(context_.Translate, QStringLiteral("KeptDesigned"), QStringLiteral("designed"));
  kept_.Keep(lastR_, lastC_, lastL_, last_.data(), lastExact_, mode);
  ClearKeptCurvesItem->setEnabled(true);
  Recompute();
}

void TChartExtras::Recompute() {
  if (context_.Recompute) context_.Recompute();
}

void TChartExtras::CurveComputed(const TComputedCurve& curve) {
  if (curve.Samples < TKeptCurves::Samples) return; // not a curve of the window
  last_.assign(curve.Y, curve.Y + TKeptCurves::Samples);
  lastR_ = curve.Positions.R;
  lastC_ = curve.Positions.C;
  lastL_ = curve.Positions.L;
  lastExact_ = ExactResponse();
  ShowCircuitData();
}

void TChartExtras::ShowCircuitData() {
  TTextLabel* label = chart_.TextLabel(ChartOverlaySlots::CircuitDataLabel);
  const TQuietChart quiet(chart_);
  if (!CircuitData() || lastR_ < 0) {
    if (label->Visible()) {
      label->SetVisible(false);
      label->SetMode(tlOff);
    }
    return;
  }
  const TTranslate& translate = context_.Translate;
  const QStringList lines = CircuitDataLines(Rlc::QuantitiesAt({lastR_, lastC_, lastL_}), [&translate](const QString& key) {
    return translate ? translate(key, {}) : key;
  });
  // Left-aligned lines in a box at the right edge of the data area.
  int width = 0;
  for (const QString& line : lines) width = std::max(width, ReadoutTextWidth(line));
  label->SetFont(chart_.Font());
  label->SetAttachToData(tlamNone);
  label->SetAlignment(taLeftJustify);
  label->SetVerticalAlignment(vaTop);
  label->SetColorBkg(clWhite);
  label->SetColorBorder(clBlack);
  label->SetTransparent(false);
  label->SetPosX(chart_.width() - chart_.MarginRight() - chart_.ShadowWidth() - 8 - width);
  label->SetPosY(chart_.MarginTop() + 6);
  label->SetCaption(lines.join(QLatin1Char('\n')));
  label->SetMode(tlBox);
  label->SetVisible(true);
}

// The width in pixels of a readout line's text with every digit an 8, in the chart's
// font: the box keeps its place while the values change, and the few shapes of the
// lines are measured once each.
int TChartExtras::ReadoutTextWidth(const QString& line) {
  if (widthFont_ != chart_.Font()->Data()) {
    widthFont_ = chart_.Font()->Data();
    widths_.clear();
  }
  QString shape = line;
  for (QChar& c : shape)
    if (c.isDigit()) c = QLatin1Char('8');
  auto it = widths_.constFind(shape);
  if (it == widths_.constEnd())
    it = widths_.insert(shape, QFontMetrics(ToQFont(widthFont_)).horizontalAdvance(shape));
  return *it;
}

bool TChartExtras::eventFilter(QObject* watched, QEvent* event) {
  // The readout and the legend keep their places at the data area's right edge.
  if (watched == &chart_ && event->type() == QEvent::Resize) {
    if (!kept_.Curves().empty()) kept_.PlaceLegend();
    if (CircuitData()) ShowCircuitData();
  }
  return QObject::eventFilter(watched, event);
}
