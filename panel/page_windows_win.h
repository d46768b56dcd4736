// The windows of the two pages: a page list paints its title; an adjustment page adds back and
// reset buttons and paints its title (larger with style 1). Their item lists are windows of
// their own (ListViewWindow), created by the pages' controls.
#pragma once

#include "panel/control_window_win.h"
#include "panel/dui_pages.h"
#include "widgets/icon_button.h"

namespace vl {

constexpr COLORREF kPageTitleColour = 0x808080;

class PageListWindow : public ControlWindow {
 public:
  explicit PageListWindow(DUIPageList& page) : ControlWindow(page), page_(page) {}

  BEGIN_MSG_MAP(PageListWindow)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  CHAIN_MSG_MAP(ControlWindow)
  END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  DUIPageList& page_;
};

class PageAdjustWindow : public ControlWindow {
 public:
  explicit PageAdjustWindow(DUIPageAdjust& page) : ControlWindow(page), page_(page) {}
  ~PageAdjustWindow() override { DestroyOwnWindow(); }

  CIconButton& back_button() { return back_; }
  CIconButton& reset_button() { return reset_; }

  BEGIN_MSG_MAP(PageAdjustWindow)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  CHAIN_MSG_MAP(ControlWindow)
  END_MSG_MAP()

 protected:
  void BeforeChildren() override;

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnCommand(UINT, WPARAM w, LPARAM, BOOL&) {
    page_.OnCommand(LOWORD(w));  // the notification code is not looked at
    return 0;
  }

  DUIPageAdjust& page_;
  CIconButton back_;
  CIconButton reset_;
};

}  // namespace vl
