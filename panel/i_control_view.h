// The window of one panel control, as the control tree sees it: the Windows program gives every
// control a window; tests give recording stand-ins.
#pragma once

#include <cstdint>

#include "panel/panel_geometry.h"

namespace vl {

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

}  // namespace vl
