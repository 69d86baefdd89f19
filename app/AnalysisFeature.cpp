#include "AnalysisFeature.h"

#include "AnalysisWindow.h"
#include "FeatureContext.h"
#include "MeasureCursor.h"

#include <QAction>
#include <QMenu>

TAnalysisFeature::TAnalysisFeature(TFeatureContext& context, TMeasureCursor* measure)
    : context_(context), measure_(measure), action_(new QAction(&context.Menu)) {
  action_->setObjectName(QStringLiteral("Analysis"));
  action_->setText(QStringLiteral("LX_Analysis"));
  action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  action_->setShortcutContext(Qt::WindowShortcut);
  // The shortcut acts in the chart's window even while the pop-up is closed.
  context.Chart.addAction(action_);
  connect(action_, &QAction::triggered, this, [this] { Open(); });
  curves_ = context.CurveComputed.Join([this](const TComputedCurve&) {
    if (window_) window_->Follow();
  });
  if (measure_)
    cursor_ = measure_->CursorMoved.Join([this](int sample) {
      if (window_) window_->MarkSample(sample);
    });
}

TAnalysisFeature::~TAnalysisFeature() = default;

void TAnalysisFeature::Open() {
  if (!window_) {
    auto positions = [this] {
      const TCircuitPositions p = context_.Positions ? context_.Positions() : TCircuitPositions{470, 220, 1000};
      return Rlc::Positions{p.R, p.C, p.L};
    };
    auto setPositions = [this](const Rlc::Positions& p) {
      if (context_.SetPositions) context_.SetPositions({p.R, p.C, p.L});
    };
    window_ = std::make_unique<TAnalysisWindow>(context_.Translate, positions, setPositions,
                                                context_.Chart.window());
    if (measure_ && measure_->Active()) window_->MarkSample(measure_->CursorSample());
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}
