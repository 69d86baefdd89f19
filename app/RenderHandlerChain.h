#pragma once
// One of the chart's rendering events (OnBeforeRenderData, OnScalesRendered, ...)
// shared by any number of handlers: the chain owns the event and calls every
// joined handler in the order they joined; a leaving handler takes only itself out.
// While no handler is joined the event is left empty, so the chart renders as
// though nobody listened. A handler the chart had before the chain runs first.
#include "HandlerList.h"
#include "TRChart.h"

#include <QPointer>

class TRenderHandlerChain {
public:
  TRenderHandlerChain(TCustomRChart& chart, TRenderEvent TCustomRChart::*event);
  ~TRenderHandlerChain();
  TRenderHandlerChain(const TRenderHandlerChain&) = delete;
  TRenderHandlerChain& operator=(const TRenderHandlerChain&) = delete;

  // The handler is called while the link lives.
  [[nodiscard]] THandlerLink Join(TRenderEvent handler) { return handlers_.Join(std::move(handler)); }
  int Count() const { return handlers_.Count(); }

private:
  void Update();
  void Dispatch(QObject* sender, TCanvas& canvas, int top, int left);

  QPointer<TCustomRChart> chart_; // the chart may go first
  TRenderEvent TCustomRChart::*event_;
  THandlerList<QObject*, TCanvas&, int, int> handlers_;
  THandlerLink earlier_; // the handler the chart had before
  bool installed_ = false;
  bool dispatching_ = false;
};
