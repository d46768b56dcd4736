// The window of a panel control. Every control's window is of one window class (double-clicks,
// the system window colour as background, the arrow cursor); classes that paint derive from
// this and add their messages. The window's creation first makes the view's own windows
// (BeforeChildren), then lets the control create its children's windows, then AfterChildren.
#pragma once

#include <windows.h>

#include "common/win/window_impl.h"
#include "panel/dui_ctrl.h"
#include "panel/panel_platform.h"

namespace vl {

class ControlWindow : public win::CWindowImpl<ControlWindow>, public IControlView {
 public:
  explicit ControlWindow(DUICtrl& control) : control_(control) {}
  ~ControlWindow() override;

  static const char* GetWndClassName();
  static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1); }

  // IControlView.
  bool Open(ViewParent parent, const PanelRect& rect) override;
  bool IsAlive() const override { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
  PanelRect ClientRect() const override;
  void Move(const PanelRect& rect) override;
  void Show(bool visible) override;
  bool IsShown() const override;
  void Repaint() override;
  void Refresh() override {}
  ViewParent ChildParent() override { return m_hWnd; }

  DUICtrl& control() const { return control_; }

  BEGIN_MSG_MAP(ControlWindow)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  END_MSG_MAP()

 protected:
  virtual void BeforeChildren() {}
  virtual void AfterChildren() {}
  // Views with members of their own call this first in their destructors: the window (and the
  // child windows in it) goes before the members its messages might touch.
  void DestroyOwnWindow();

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  DUICtrl& control_;
};

// Colours of the panel's painters.
inline COLORREF PanelRgb(int rrggbb) {
  return RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}
RECT ToRect(const PanelRect& r);

// Draws one line of text with the cached panel font of `pixels` in `colour` (transparent
// background, no prefix processing); `format` as DrawText's.
void DrawPanelText(HDC dc, const std::string& text, RECT rc, int pixels, COLORREF colour,
                   UINT format);

}  // namespace vl
