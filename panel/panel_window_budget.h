// The bound on the windows the panel's views make.
#pragma once

#include "panel/panel_limits.h"

namespace vl {

// Counts the windows the panel's views have made, against a bound: a control whose view would
// pass it stays without a window.
class PanelWindowBudget {
 public:
  explicit PanelWindowBudget(int limit = kMaxPanelWindows) : limit_(limit) {}
  bool TryReserve(int windows) {
    if (windows > limit_ - used_) return false;
    used_ += windows;
    return true;
  }
  void Release(int windows) { used_ -= windows; }
  int used() const { return used_; }
  int limit() const { return limit_; }

 private:
  int limit_;
  int used_ = 0;
};

}  // namespace vl
