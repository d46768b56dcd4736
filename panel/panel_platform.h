// What the control tree needs from the windowing system, as small interfaces: the Windows
// program gives every control a window (its view) and decodes pictures with GDI+; tests give
// recording stand-ins; without a platform the tree is pure data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "panel/control_class.h"
#include "panel/panel_geometry.h"
#include "panel/panel_limits.h"

namespace vl {

class DUICtrl;

// The window in which child windows are created (an HWND on Windows), opaque here.
using ViewParent = void*;

// The window of one control. Destroying the view destroys the window (and with it the child
// windows the system destroys along).
class IControlView {
 public:
  virtual ~IControlView() = default;
  // Creates the window; its creation calls the control's OnWindowCreated before returning.
  virtual bool Open(ViewParent parent, const PanelRect& rect) = 0;
  virtual bool IsAlive() const = 0;
  virtual PanelRect ClientRect() const = 0;
  // Moves the window to `rect` in its parent's client coordinates and repaints it.
  virtual void Move(const PanelRect& rect) = 0;
  virtual void Show(bool visible) = 0;
  virtual bool IsShown() const = 0;
  virtual void Repaint() = 0;
  // The control's attributes were loaded: labels, values and pictures follow.
  virtual void Refresh() = 0;
  // Where the windows of this control's children (or of its embedded list) are created.
  virtual ViewParent ChildParent() = 0;
  // Item lists: before the cells are laid out the grid scrolls back to the top; afterwards the
  // scroll range follows the content's height.
  virtual void ResetScroll() {}
  virtual void SetContentHeight(int32_t /*height*/) {}
};

// A decoded picture of an item, already scaled to fit the item's square.
class PanelPicture {
 public:
  virtual ~PanelPicture() = default;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
};

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
