#include "widgets/loading_wnd.h"

#include "common/text_convert.h"
#include "widgets/buffered_paint.h"
#include "widgets/picture_ids.h"

namespace vl {

namespace {
constexpr wchar_t kWaitingText[] = L"初始化设备管理器...";
}

LoadingWnd::~LoadingWnd() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

std::string LoadingWnd::Text() {
  return Utf16ToAnsi(reinterpret_cast<const char16_t*>(kWaitingText));
}

HWND LoadingWnd::Create(HWND parent, const RECT& rc, UINT id, DWORD style) {
  return win::CWindowImpl<LoadingWnd>::Create(parent, rc, Text().c_str(), style, 0, id);
}

LRESULT LoadingWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const RECT close = {client.right - 9 - 34, 6, client.right - 9, 6 + 34};
  close_.Create(m_hWnd, close, kCloseId);
  close_.SetImages(pictures::kCloseNormal, pictures::kCloseHover, pictures::kClosePressed,
                   pictures::kCloseNormal);
  return 0;
}

LRESULT LoadingWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  HDC dc = paint.dc();
  if (!dc) return 0;
  HWND parent = ::GetParent(m_hWnd);
  HFONT font = parent ? reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0)) : nullptr;
  const int saved = SaveDC(dc);
  if (font) SelectObject(dc, font);
  ::SetTextColor(dc, RGB(0, 0, 0));
  RECT rc = paint.client();
  DrawTextW(dc, kWaitingText, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(dc, saved);
  return 0;
}

LRESULT LoadingWnd::OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return 0;
}

LRESULT LoadingWnd::OnCommand(UINT, WPARAM w, LPARAM l, BOOL& handled) {
  if (LOWORD(w) != kCloseId) {
    handled = FALSE;
    return 0;
  }
  if (HWND parent = ::GetParent(m_hWnd)) ::PostMessageA(parent, WM_COMMAND, w, l);
  return 0;
}

LRESULT LoadingWnd::OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  const std::string text = Text();
  return AnswerGetText(text.c_str(), msg, w, l);
}

}  // namespace vl
