// The combo box's drop-down list: a top-most pop-up below its owner (above it when the screen
// has no room below), 46 pixels per item, the current item marked; when not every item fits on
// the screen it scrolls (wheel or scroll bar). Closed by a click anywhere outside it (a thread
// mouse hook), by deactivating the program, or by picking an item. Only one list is open at a
// time; opening one closes the other.
//
// Messages to the owner window, both posted with zero parameters:
//   kItemChosen (0x4EE): an item was clicked; the owner reads the selected index.
//   kListClosed (0x4EF): the list window went away.
// And one the owner passes back (ComboBox does): kOutsideClickHandled (0x4F0), posted by the
// hook after an outside click, which ends the "closed by an outside click" flag once that click
// has been handled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win/window_impl.h"
#include "widgets/combo_layout.h"
#include "widgets/i_mini_scroll_bar_on_scroll_listener.h"
#include "widgets/mini_scroll_bar.h"

namespace vl {

class CComboBoxList : public win::CWindowImpl<CComboBoxList>,
                      private IMiniScrollBarOnScrollListener {
 public:
  static constexpr UINT kItemChosen = 0x4EE;
  static constexpr UINT kListClosed = 0x4EF;
  static constexpr UINT kOutsideClickHandled = 0x4F0;

  CComboBoxList() = default;
  ~CComboBoxList() override;
  static const char* GetWndClassName() { return "VelloriaComboList"; }
  static UINT GetWndClassStyle() { return CS_DBLCLKS; }

  int AddItem(const char* text);  // returns the new count
  void RemoveItem(int index);
  void RemoveAll();
  int Count() const { return static_cast<int>(items_.size()); }
  int ItemHeight() const;
  std::string GetItemText(int index) const;  // empty when out of range
  // The first item after `after` whose text equals `text` exactly (-1 to search all), or -1.
  int FindItem(int after, const char* text) const;
  int GetSelected() const { return selected_; }
  // Selects by index (-1: none); false when the index has no item.
  bool SetSelected(int index);
  int hover() const { return hover_; }

  // Opens the list for `owner` where `placement` says (screen coordinates) without activating
  // it, scrolled so that the current item shows.
  bool Show(HWND owner, const ComboListPlacement& placement);
  bool IsOpen() const { return m_hWnd != nullptr; }
  void Close();
  // How the open list lies: above its owner, scrolling, and how far it is scrolled (pixels).
  bool opens_above() const { return above_; }
  bool scrolls() const { return scrolls_; }
  int scroll() const { return scroll_; }
  // Scrolls by whole items (negative: up), within the list.
  void ScrollItems(int items);
  MiniScrollBar& scroll_bar() { return bar_; }

  bool closed_by_outside_click() const { return closed_by_outside_click_; }
  void ClearClosedByOutsideClick() { closed_by_outside_click_ = false; }

  // The list that is open now (null when none) and whether the mouse hook is in place.
  static CComboBoxList* Current();
  static bool HookInstalled();

  BEGIN_MSG_MAP(CComboBoxList)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
  MESSAGE_HANDLER(WM_MOUSEACTIVATE, OnMouseActivate)
  MESSAGE_HANDLER(WM_ACTIVATEAPP, OnActivateApp)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseWheel(UINT, WPARAM w, LPARAM, BOOL&) {
    ScrollForWheel(GET_WHEEL_DELTA_WPARAM(w));
    return 0;
  }
  LRESULT OnMouseActivate(UINT, WPARAM, LPARAM, BOOL&) { return MA_NOACTIVATE; }
  LRESULT OnActivateApp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

  static LRESULT CALLBACK MouseHook(int code, WPARAM w, LPARAM l);
  void ApplyRegion(int width, int height);
  // IMiniScrollBarOnScrollListener: the scroll bar moved the items.
  void OnScroll(MiniScrollBar* bar, int position) override;
  void SetScroll(int scroll);
  void ScrollForWheel(int delta);
  void UpdateHover(int client_y);
  int VisibleHeight() const;

  std::vector<std::string> items_;
  int hover_ = -1;
  int selected_ = -1;
  HWND owner_ = nullptr;
  bool closed_by_outside_click_ = false;
  bool tracking_leave_ = false;
  bool above_ = false;
  bool scrolls_ = false;
  int scroll_ = 0;
  int wheel_rest_ = 0;  // wheel movement short of a notch, kept for the next one
  MiniScrollBar bar_;   // only while the list scrolls
};

}  // namespace vl
