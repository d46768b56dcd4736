// The window of an item list: an inner container holding the items' windows (scrolling it
// moves them all), and a thin scroll bar at the right edge shown only while the pointer is over
// the list and the grid is taller than the view. The mouse wheel scrolls by one row.
#pragma once

#include "common/win/window_impl.h"
#include "panel/control_window_win.h"
#include "panel/dui_list_view.h"
#include "widgets/listeners.h"
#include "widgets/mini_scroll_bar.h"

namespace vl {

// The list's inner window. Wheel messages go on to the list; the pointer moving over it takes
// the keyboard focus so that the wheel reaches it.
class CListContainer : public win::CWindowImpl<CListContainer> {
 public:
  static const char* GetWndClassName() { return "VelloriaPanelListContainer"; }
  static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1); }

  BEGIN_MSG_MAP(CListContainer)
  MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  END_MSG_MAP()

 private:
  LRESULT OnMouseWheel(UINT msg, WPARAM w, LPARAM l, BOOL&) {
    return ::SendMessageA(::GetParent(m_hWnd), msg, w, l);
  }
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&) {
    if (::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
    return 0;
  }
};

class ListViewWindow;

// Where the pointer is, for every item list of the thread: one timer of 10 ms for all of them
// (a panel of hundreds of pages would otherwise run as many timers). Each tick finds the list
// under the pointer (the window there, or one of its ancestors) and tells it, and tells the list
// it was over before that it left. Lists join while their windows exist.
class ListPointerWatch {
 public:
  static constexpr UINT kPeriodMs = 10;
  static void Join(ListViewWindow* list);
  static void Leave(ListViewWindow* list);
  // Lists watched now, and whether the timer runs (for tests).
  static size_t Watched();
  static bool Ticking();
  // One tick, as the timer does it.
  static void Tick();
};

class ListViewWindow : public ControlWindow, public IMiniScrollBarOnScrollListener {
 public:
  static constexpr UINT kPointerPeriodMs = ListPointerWatch::kPeriodMs;
  static constexpr int kScrollBarWidth = 10;
  // Room below the last row, so the bar's range is a little more than the content.
  static constexpr int kScrollTail = 19;

  explicit ListViewWindow(DUIListView& list) : ControlWindow(list), list_(list) {}
  ~ListViewWindow() override { DestroyOwnWindow(); }

  ViewParent ChildParent() override { return container_.m_hWnd; }
  void ResetScroll() override;
  void SetContentHeight(int32_t height) override;
  void OnScroll(MiniScrollBar* bar, int position) override;

  // From the pointer watch: the pointer is over the list, or no longer.
  void OnPointerInside();
  void OnPointerOutside();

  int scroll_offset() const { return scroll_offset_; }
  bool pointer_inside() const { return pointer_inside_; }
  MiniScrollBar& scroll_bar() { return scroll_bar_; }
  HWND container() const { return container_.m_hWnd; }

  BEGIN_MSG_MAP(ListViewWindow)
  MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  CHAIN_MSG_MAP(ControlWindow)
  END_MSG_MAP()

 protected:
  void BeforeChildren() override;
  void AfterChildren() override;

 private:
  LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
  void ScrollContainer(int dy);
  void UpdateScrollBarVisibility();

  DUIListView& list_;
  CListContainer container_;
  MiniScrollBar scroll_bar_;
  int scroll_offset_ = 0;
  bool pointer_inside_ = false;
};

}  // namespace vl
