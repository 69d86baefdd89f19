#pragma once
// Holds a chart's paint lock over a compound update and puts it back however the
// update ends. Restore() puts it back as the update's last step, with the repaint
// that clearing the lock brings; without it the lock goes back quietly when the
// guard goes (for updates after which the platform or the caller repaints). When a
// handler called under the lock throws, the lock still goes back, and a repaint is
// queued instead of run: nothing is drawn while the exception is on its way.
#include "TCustomRChart.h"

#include <exception>

class TPaintLockGuard {
public:
  explicit TPaintLockGuard(TCustomRChart& chart)
      : chart_(chart), saved_(chart.LockPaint()), exceptions_(std::uncaught_exceptions()) {}
  ~TPaintLockGuard() {
    if (restored_) return;
    chart_.RestorePaintLockQuietly(saved_);
    if (std::uncaught_exceptions() > exceptions_ && !saved_) chart_.update();
  }
  TPaintLockGuard(const TPaintLockGuard&) = delete;
  TPaintLockGuard& operator=(const TPaintLockGuard&) = delete;

  // Puts the lock back now; returns true when that repainted (the lock went from set to clear).
  bool Restore() {
    restored_ = true;
    return chart_.RestorePaintLock(saved_);
  }

private:
  TCustomRChart& chart_;
  const bool saved_;
  const int exceptions_;
  bool restored_ = false;
};
