#include "widgets/combo_box_list.h"

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

bool CComboBoxList::ShowBelow(HWND owner, const RECT& rc) {
  // Only one list at a time: the other one closes first (and takes its hook with it).
  if (g_current && g_current != this) g_current->Close();
  Close();
  owner_ = owner;
  hover_ = -1;
  closed_by_outside_click_ = false;
  if (!Create(nullptr, rc, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) return false;
  ApplyRegion(rc.right - rc.left, rc.bottom - rc.top);
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

void CComboBoxList::ApplyRegion(int width, int height) {
  // Rounded 3 x 3 at the bottom corners only: a rounded rectangle joined with a rectangle that
  // covers all but the bottom 3 pixels.
  win::UniqueRegion round(::CreateRoundRectRgn(0, 0, width + 1, height + 1, 3, 3));
  win::UniqueRegion top(::CreateRectRgn(0, 0, width, height > 3 ? height - 3 : 0));
  win::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  if (round && top && shape && ::CombineRgn(shape.get(), round.get(), top.get(), RGN_OR) != ERROR)
    if (::SetWindowRgn(m_hWnd, shape.get(), FALSE)) shape.release();  // the window owns it now
}

LRESULT CALLBACK CComboBoxList::MouseHook(int code, WPARAM w, LPARAM l) {
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
  const int saved = SaveDC(dc);
  if (HFONT font = GetCachedFont(13)) SelectObject(dc, font);
  ::SetTextColor(dc, RGB(0, 0, 0));
  for (int i = 0; i < Count(); ++i) {
    RECT item = {client.left, i * kComboItemHeight, client.right, (i + 1) * kComboItemHeight};
    if (i == hover_) FillSolid(dc, item, kHoverFill);
    item.left += kTextInset;
    item.right -= kTextInset;
    DrawTextA(dc, items_[static_cast<size_t>(i)].c_str(), -1, &item,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  RestoreDC(dc, saved);
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
  const int item = ComboItemAt(static_cast<short>(HIWORD(l)), Count());
  if (item != hover_) {
    hover_ = item;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
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
  const int item = ComboItemAt(static_cast<short>(HIWORD(l)), Count());
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
  if (owner_) ::PostMessageA(owner_, kListClosed, 0, 0);
  if (g_current == this) {
    g_current = nullptr;
    if (g_hook) ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  return 0;
}

}  // namespace vl
