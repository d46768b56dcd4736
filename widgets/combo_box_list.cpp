#include "widgets/combo_box_list.h"

#include <gdiplus.h>

#include <algorithm>

#include "common/win/handles.h"
#include "widgets/buffered_paint.h"
#include "widgets/combo_layout.h"
#include "widgets/font_cache.h"

namespace vl {
namespace {

// The open list and the hook that closes it; UI thread only.
CComboBoxList* g_current = nullptr;
HHOOK g_hook = nullptr;

constexpr int kTextInset = 14;
constexpr COLORREF kHoverFill = RGB(229, 229, 229);
constexpr COLORREF kFrame = RGB(224, 224, 224);
// The current item: its text in the accent pink, with a check mark at the right.
constexpr COLORREF kCurrentText = RGB(232, 88, 137);
constexpr int kCheckWidth = 12;
// The scroll bar of a list that scrolls: at the right, inside the frame.
constexpr int kBarWidth = 10;
constexpr int kBarMargin = 3;

// A check mark in `colour`, vertically centred in `item`, ending `right` pixels from the left.
void DrawCheck(HDC dc, const RECT& item, int right, COLORREF colour) {
  Gdiplus::Graphics g(dc);
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  Gdiplus::Pen pen(Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour)),
                   1.6f);
  pen.SetLineJoin(Gdiplus::LineJoinRound);
  pen.SetStartCap(Gdiplus::LineCapRound);
  pen.SetEndCap(Gdiplus::LineCapRound);
  const Gdiplus::REAL x = static_cast<Gdiplus::REAL>(right - kCheckWidth);
  const Gdiplus::REAL y = (item.top + item.bottom) / 2.0f;
  const Gdiplus::PointF points[] = {{x + 1.0f, y}, {x + 4.5f, y + 3.5f}, {x + 11.0f, y - 3.5f}};
  g.DrawLines(&pen, points, 3);
}

}  // namespace

CComboBoxList::~CComboBoxList() {
  Close();
}

CComboBoxList* CComboBoxList::Current() {
  return g_current;
}
bool CComboBoxList::HookInstalled() {
  return g_hook != nullptr;
}

int CComboBoxList::AddItem(const char* text) {
  items_.emplace_back(text ? text : "");
  return Count();
}

void CComboBoxList::RemoveItem(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (selected_ == index)
    selected_ = -1;
  else if (selected_ > index)
    --selected_;
  hover_ = -1;
}

void CComboBoxList::RemoveAll() {
  items_.clear();
  selected_ = -1;
  hover_ = -1;
}

int CComboBoxList::ItemHeight() const {
  return kComboItemHeight;
}

std::string CComboBoxList::GetItemText(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : std::string();
}

int CComboBoxList::FindItem(int after, const char* text) const {
  if (!text) return -1;
  for (int i = after < -1 ? 0 : after + 1; i < Count(); ++i)
    if (items_[static_cast<size_t>(i)] == text) return i;
  return -1;
}

bool CComboBoxList::SetSelected(int index) {
  if (index < -1 || index >= Count()) return false;
  selected_ = index;
  return true;
}

bool CComboBoxList::Show(HWND owner, const ComboListPlacement& placement) {
  // Only one list at a time: the other one closes first (and takes its hook with it).
  if (g_current && g_current != this) g_current->Close();
  Close();
  owner_ = owner;
  hover_ = -1;
  closed_by_outside_click_ = false;
  above_ = placement.above;
  scrolls_ = placement.scrolls;
  wheel_rest_ = 0;
  const RECT rc = {placement.rect.left, placement.rect.top, placement.rect.right,
                   placement.rect.bottom};
  if (!Create(nullptr, rc, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) return false;
  const int width = rc.right - rc.left, height = rc.bottom - rc.top;
  ApplyRegion(width, height);
  if (scrolls_ && bar_.Create(m_hWnd, RECT{width - kBarMargin - kBarWidth, kBarMargin,
                                           width - kBarMargin, height - kBarMargin})) {
    bar_.SetListener(this);
    bar_.SetPage(height);
    bar_.SetRange(ComboListHeight(Count()));
    bar_.SetLineStep(kComboItemHeight);
  }
  // The current item shows when the list opens.
  SetScroll(ComboScrollToShow(selected_, Count(), height, 0));
  g_current = this;
  if (!g_hook)
    g_hook =
        ::SetWindowsHookExA(WH_MOUSE, &CComboBoxList::MouseHook, nullptr, ::GetCurrentThreadId());
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return true;
}

void CComboBoxList::Close() {
  if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

int CComboBoxList::VisibleHeight() const {
  RECT rc = {};
  if (m_hWnd) ::GetClientRect(m_hWnd, &rc);
  return rc.bottom - rc.top;
}

void CComboBoxList::SetScroll(int scroll) {
  const int most = std::max(ComboListHeight(Count()) - VisibleHeight(), 0);
  const int clamped = std::clamp(scroll, 0, most);
  if (bar_.IsWindow()) bar_.SetPos(clamped, false);
  if (clamped == scroll_) return;
  scroll_ = clamped;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CComboBoxList::ScrollItems(int items) {
  if (!scrolls_) return;
  const long long target =
      static_cast<long long>(scroll_) + static_cast<long long>(items) * kComboItemHeight;
  SetScroll(static_cast<int>(std::clamp<long long>(target, 0, INT32_MAX)));
  POINT cursor;
  if (m_hWnd && ::GetCursorPos(&cursor) && ::ScreenToClient(m_hWnd, &cursor)) UpdateHover(cursor.y);
}

void CComboBoxList::ScrollForWheel(int delta) {
  // One item per notch; finer wheels add up to whole notches.
  wheel_rest_ += delta;
  const int notches = wheel_rest_ / WHEEL_DELTA;
  wheel_rest_ -= notches * WHEEL_DELTA;
  if (notches != 0) ScrollItems(-notches);
}

void CComboBoxList::OnScroll(MiniScrollBar*, int position) {
  SetScroll(position);
}

void CComboBoxList::UpdateHover(int client_y) {
  RECT rc = {};
  ::GetClientRect(m_hWnd, &rc);
  const int item =
      client_y >= rc.top && client_y < rc.bottom ? ComboItemAt(client_y, Count(), scroll_) : -1;
  if (item != hover_) {
    hover_ = item;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
}

void CComboBoxList::ApplyRegion(int width, int height) {
  // Rounded 3 x 3 at the two corners away from the combo box only: a rounded rectangle joined
  // with a rectangle that covers all but the 3 pixels at that end.
  win::UniqueRegion round(::CreateRoundRectRgn(0, 0, width + 1, height + 1, 3, 3));
  const int cut = height > 3 ? 3 : height;
  win::UniqueRegion top(above_ ? ::CreateRectRgn(0, cut, width, height)
                               : ::CreateRectRgn(0, 0, width, height - cut));
  win::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  if (round && top && shape && ::CombineRgn(shape.get(), round.get(), top.get(), RGN_OR) != ERROR)
    if (::SetWindowRgn(m_hWnd, shape.get(), FALSE)) shape.release();  // the window owns it now
}

LRESULT CALLBACK CComboBoxList::MouseHook(int code, WPARAM w, LPARAM l) {
  if (code == HC_ACTION && w == WM_MOUSEWHEEL && g_current && g_current->m_hWnd) {
    // The wheel goes to the focused window, never to the list, which does not take focus: over
    // the list it scrolls the list, and nothing else.
    const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(l);
    RECT rc;
    ::GetWindowRect(g_current->m_hWnd, &rc);
    if (::PtInRect(&rc, info->pt)) {
      g_current->ScrollForWheel(static_cast<short>(HIWORD(info->mouseData)));
      return 1;
    }
  }
  if (code == HC_ACTION && (w == WM_LBUTTONDOWN || w == WM_NCLBUTTONDOWN) && g_current &&
      g_current->m_hWnd) {
    const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(l);
    RECT rc;
    ::GetWindowRect(g_current->m_hWnd, &rc);
    if (!::PtInRect(&rc, info->pt)) {
      CComboBoxList* list = g_current;
      list->closed_by_outside_click_ = true;
      // Posted now, handled after this click: the flag only concerns this very click.
      if (list->owner_) ::PostMessageA(list->owner_, kOutsideClickHandled, 0, 0);
      list->Close();
    }
  }
  return ::CallNextHookEx(nullptr, code, w, l);
}

LRESULT CComboBoxList::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  HDC dc = paint.dc();
  if (!dc) return 0;
  const RECT& client = paint.client();
  const int right = client.right - (bar_.IsWindow() ? kBarWidth + kBarMargin : 0);
  const int first = std::max(ComboItemAt(0, Count(), scroll_), 0);
  for (int i = first; i < Count(); ++i) {
    const int top = i * kComboItemHeight - scroll_;
    if (top >= client.bottom) break;
    RECT item = {client.left, top, right, top + kComboItemHeight};
    if (i == hover_) FillSolid(dc, item, kHoverFill);
    const bool current = i == selected_;
    if (current) DrawCheck(dc, item, item.right - kTextInset, kCurrentText);
    item.left += kTextInset;
    item.right -= kTextInset + (current ? kCheckWidth + 6 : 0);
    const int saved = SaveDC(dc);
    if (HFONT font = GetCachedFont(13)) SelectObject(dc, font);
    ::SetTextColor(dc, current ? kCurrentText : RGB(0, 0, 0));
    DrawTextA(dc, items_[static_cast<size_t>(i)].c_str(), -1, &item,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    RestoreDC(dc, saved);
  }
  // The frame follows the window's shape.
  win::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  win::UniqueBrush frame(::CreateSolidBrush(kFrame));
  if (shape && frame && ::GetWindowRgn(m_hWnd, shape.get()) != ERROR)
    ::FrameRgn(dc, shape.get(), frame.get(), 1, 1);
  return 0;
}

LRESULT CComboBoxList::OnMouseMove(UINT, WPARAM, LPARAM l, BOOL&) {
  if (!tracking_leave_) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
    tracking_leave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  // Hover only highlights: the selection changes by a click.
  UpdateHover(static_cast<short>(HIWORD(l)));
  return 0;
}

LRESULT CComboBoxList::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
  tracking_leave_ = false;
  if (hover_ != -1) {
    hover_ = -1;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return 0;
}

LRESULT CComboBoxList::OnLeftButtonDown(UINT, WPARAM, LPARAM l, BOOL&) {
  const int item = ComboItemAt(static_cast<short>(HIWORD(l)), Count(), scroll_);
  if (item < 0) return 0;
  selected_ = item;
  if (owner_) ::PostMessageA(owner_, kItemChosen, 0, 0);
  Close();
  return 0;
}

LRESULT CComboBoxList::OnActivateApp(UINT, WPARAM active, LPARAM, BOOL&) {
  if (!active) Close();
  return 0;
}

LRESULT CComboBoxList::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  tracking_leave_ = false;
  hover_ = -1;
  scroll_ = 0;
  if (owner_) ::PostMessageA(owner_, kListClosed, 0, 0);
  if (g_current == this) {
    g_current = nullptr;
    if (g_hook) ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  return 0;
}

}  // namespace vl
