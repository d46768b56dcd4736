// The waiting overlay: a white panel with the text "初始化设备管理器..." and a close button
// (control identifier 2) whose WM_COMMAND goes on to the overlay's parent.
#pragma once

#include "common/win/window_impl.h"
#include "widgets/image_button.h"

namespace vl {

class LoadingWnd : public win::CWindowImpl<LoadingWnd> {
 public:
  static constexpr UINT kCloseId = 2;
  static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

  ~LoadingWnd() override;
  static const char* GetWndClassName() { return "VelloriaLoadingWnd"; }

  HWND Create(HWND parent, const RECT& rc, UINT id = 0, DWORD style = kChildStyle);
  ImageButton& close_button() { return close_; }
  // The waiting text in the ANSI code page.
  static std::string Text();

  BEGIN_MSG_MAP(LoadingWnd)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  MESSAGE_HANDLER(WM_GETTEXT, OnGetText)
  MESSAGE_HANDLER(WM_GETTEXTLENGTH, OnGetText)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetText(UINT, WPARAM, LPARAM, BOOL&);

  ImageButton close_;
};

}  // namespace vl
