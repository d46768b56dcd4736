// Message maps: a window class lists the messages it handles and the member functions that
// handle them; unlisted messages fall through to the default handling.
//
//   BEGIN_MSG_MAP(CMyWnd)
//     MESSAGE_HANDLER(WM_PAINT, OnPaint)          // LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&)
//     COMMAND_ID_HANDLER(IDOK, OnOk)              // LRESULT OnOk(WORD code, WORD id, HWND, BOOL&)
//     CHAIN_MSG_MAP(CBase)
//     CHAIN_MSG_MAP_MEMBER(host_)                // a member object with a message map
//   END_MSG_MAP()
//
// A handler that clears its BOOL& argument passes the message on to the next entries and
// finally to the default handling.
#pragma once

#include <windows.h>

namespace vl::win {

class CMessageMap {
 public:
  virtual BOOL ProcessWindowMessage(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                    LRESULT& result) = 0;

 protected:
  ~CMessageMap() = default;
};

}  // namespace vl::win

#define BEGIN_MSG_MAP(theClass)                                                                   \
 public:                                                                                          \
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) \
      override {                                                                                  \
    BOOL bHandled = TRUE;                                                                         \
    (void)hWnd;                                                                                   \
    (void)bHandled;

#define MESSAGE_HANDLER(msg, func)                  \
  if (uMsg == (msg)) {                              \
    bHandled = TRUE;                                \
    lResult = func(uMsg, wParam, lParam, bHandled); \
    if (bHandled) return TRUE;                      \
  }

#define MESSAGE_RANGE_HANDLER(first, last, func)    \
  if (uMsg >= (first) && uMsg <= (last)) {          \
    bHandled = TRUE;                                \
    lResult = func(uMsg, wParam, lParam, bHandled); \
    if (bHandled) return TRUE;                      \
  }

#define COMMAND_ID_HANDLER(id, func)                                                          \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                         \
    bHandled = TRUE;                                                                          \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return TRUE;                                                                \
  }

#define CHAIN_MSG_MAP(theBase) \
  if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;

#define CHAIN_MSG_MAP_MEMBER(theMember) \
  if ((theMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;

#define END_MSG_MAP() \
  return FALSE;       \
  }
