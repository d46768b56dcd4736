// What the control tree needs from the windowing system: the Windows program gives every
// control a window (its view) and decodes pictures with GDI+; tests give recording stand-ins;
// without a platform the tree is pure data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "panel/control_class.h"
#include "panel/i_control_view.h"
#include "panel/panel_picture.h"
#include "panel/panel_window_budget.h"

namespace vl {

class DUICtrl;

class IPanelPlatform {
 public:
  virtual ~IPanelPlatform() = default;
  // A view for the control (not yet opened), or null when the control gets no window.
  virtual std::unique_ptr<IControlView> MakeView(DUICtrl& control) = 0;
  // Every view's windows (ViewWindows of each control's class), counted while the view lives (UI
  // thread).
  PanelWindowBudget& windows() { return windows_; }
  // The bytes decoded as a picture scaled to fit a square of `bound` pixels (only when larger),
  // or null when they do not decode to a picture of non-zero width.
  virtual std::unique_ptr<PanelPicture> DecodePicture(const uint8_t* data, size_t size,
                                                      int32_t bound) = 0;

 private:
  PanelWindowBudget windows_;
};

}  // namespace vl
