#include "RenderHandlerChain.h"

TRenderHandlerChain::TRenderHandlerChain(TCustomRChart& chart, TRenderEvent TCustomRChart::*event)
    : chart_(&chart), event_(event) {
  handlers_.SetOnChanged([this] { Update(); });
  if (TRenderEvent earlier = std::exchange(chart.*event_, nullptr)) earlier_ = Join(std::move(earlier));
}

TRenderHandlerChain::~TRenderHandlerChain() {
  handlers_.SetOnChanged(nullptr);
  if (chart_ && installed_) chart_->*event_ = nullptr;
}

// The event holds the dispatcher exactly while a handler is joined. It is not taken
// out while it runs: the next join or leave after that does it.
void TRenderHandlerChain::Update() {
  if (!chart_ || dispatching_) return;
  const bool wanted = handlers_.Count() > 0;
  if (wanted == installed_) return;
  installed_ = wanted;
  if (wanted)
    chart_->*event_ = [this](QObject* sender, TCanvas& canvas, int top, int left) { Dispatch(sender, canvas, top, left); };
  else
    chart_->*event_ = nullptr;
}

void TRenderHandlerChain::Dispatch(QObject* sender, TCanvas& canvas, int top, int left) {
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{dispatching_};
  dispatching_ = true;
  handlers_.Call(sender, canvas, top, left);
}
