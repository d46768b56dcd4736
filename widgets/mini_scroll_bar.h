// A thumb-only vertical scroll bar: drag the thumb, or press above / below it to page (repeating
// every 150 ms while held). Position changes by the user, by SetPos(notify) and by WM_COMMAND
// 1 (line up) / 2 (line down) call the listener's OnScroll.
#pragma once

#include <windows.h>

#include "common/win/window_impl.h"
#include "widgets/i_mini_scroll_bar_on_scroll_listener.h"
#include "widgets/nine_part_image.h"
#include "widgets/scroll_math.h"

namespace vl {

class MiniScrollBar : public win::CWindowImpl<MiniScrollBar> {
 public:
  enum ThumbState { kThumbNormal = 0, kThumbHover = 1, kThumbPressed = 2 };
  static constexpr UINT_PTR kPageUpTimer = 2;
  static constexpr UINT_PTR kPageDownTimer = 3;
  static constexpr UINT kRepeatMs = 150;
  static constexpr UINT kLineUp = 1;
  static constexpr UINT kLineDown = 2;
  static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

  MiniScrollBar() = default;
  ~MiniScrollBar() override;
  static const char* GetWndClassName() { return "VelloriaMiniScrollBar"; }

  // Creates the bar as a child in `rc` and loads the thumb pictures.
  HWND Create(HWND parent, const RECT& rc, UINT id = 0, DWORD style = kChildStyle);

  void SetListener(IMiniScrollBarOnScrollListener* listener) { listener_ = listener; }
  void SetPage(int page);    // the range is raised to at least the page
  void SetRange(int range);  // at least the page
  void SetPos(int position, bool notify);
  void SetLineStep(int step) { line_step_ = step; }
  int GetPage() const { return state_.page; }
  int GetPos() const { return state_.position; }
  int GetRange() const { return state_.range; }
  bool IsDragging() const { return dragging_; }
  ThumbState thumb_state() const { return thumb_state_; }
  // Shows a thumb state as if the mouse had put it there (previews).
  void ShowThumbState(ThumbState state) { SetThumbState(state); }
  // The thumb in client coordinates.
  RECT ThumbRect() const;

  BEGIN_MSG_MAP(MiniScrollBar)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
  MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_SIZE, OnSize)
  MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);

  int ClientHeight() const;
  void ScrollBy(int delta);
  void EndPress(POINT cursor);
  void SetThumbState(ThumbState state);
  void Repaint() {
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }

  ScrollState state_;
  int line_step_ = 20;
  ThumbState thumb_state_ = kThumbNormal;
  bool captured_ = false;
  bool dragging_ = false;
  bool tracking_leave_ = false;
  POINT press_point_ = {};
  int press_top_ = 0;
  POINT drag_start_ = {};
  int drag_start_top_ = 0;
  int drag_top_ = 0;  // the thumb's top while dragging (it follows the mouse, not the position)
  IMiniScrollBarOnScrollListener* listener_ = nullptr;
  NinePartImage thumbs_[3];  // normal, hover, pressed
};

}  // namespace vl
