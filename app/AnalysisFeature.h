#pragma once
// How the circuit analysis window joins the main window: the pop-up item
// "Circuit analysis …" (also Ctrl+Shift+A anywhere in the main window) opens it;
// while it is open it follows every new curve and the measuring cursor.
// The window is created when it is first opened.
#include "HandlerList.h"

#include <QObject>
#include <memory>

class QAction;
class TAnalysisWindow;
class TFeatureContext;
class TMeasureCursor;

class TAnalysisFeature : public QObject {
  Q_OBJECT
public:
  // The item ("LX_Analysis") is created as a child of the context's menu; the window
  // adds it there. measure may be null (no state marked then).
  TAnalysisFeature(TFeatureContext& context, TMeasureCursor* measure);
  ~TAnalysisFeature() override;

  QAction* Action() const { return action_; }
  void Open();
  TAnalysisWindow* Window() const { return window_.get(); } // null until first opened

private:
  TFeatureContext& context_;
  TMeasureCursor* measure_;
  QAction* action_;
  std::unique_ptr<TAnalysisWindow> window_;
  THandlerLink curves_, cursor_;
};
