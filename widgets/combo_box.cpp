#include "widgets/combo_box.h"

#include <gdiplus.h>

#include "common/win/pixel_rect_win.h"
#include "widgets/buffered_paint.h"
#include "widgets/combo_layout.h"
#include "widgets/font_cache.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

constexpr COLORREF kOutline = RGB(224, 224, 224);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kTextOpen = RGB(140, 140, 140);

// A rounded-rectangle outline of radius 2; the corners on the list's side square while it is
// open (the list meets them there).
enum class SquareEdge { kNone, kBottom, kTop };
void DrawOutline(HDC dc, const RECT& client, SquareEdge square) {
  Gdiplus::Graphics g(dc);
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  Gdiplus::Pen pen(
      Gdiplus::Color(255, GetRValue(kOutline), GetGValue(kOutline), GetBValue(kOutline)), 1.0f);
  // Whole-pixel coordinates: GDI+ centres 1-pixel lines on them, so the outline stays crisp.
  const Gdiplus::REAL l = static_cast<Gdiplus::REAL>(client.left);
  const Gdiplus::REAL t = static_cast<Gdiplus::REAL>(client.top);
  const Gdiplus::REAL r = static_cast<Gdiplus::REAL>(client.right - 1);
  const Gdiplus::REAL b = static_cast<Gdiplus::REAL>(client.bottom - 1), d = 4.0f;
  Gdiplus::GraphicsPath path;
  if (square == SquareEdge::kTop) {
    path.AddLine(l, t, r, t);
  } else {
    path.AddArc(l, t, d, d, 180, 90);
    path.AddArc(r - d, t, d, d, 270, 90);
  }
  if (square == SquareEdge::kBottom) {
    path.AddLine(r, b, l, b);
  } else {
    path.AddArc(r - d, b - d, d, d, 0, 90);
    path.AddArc(l, b - d, d, d, 90, 90);
  }
  path.CloseFigure();
  g.DrawPath(&pen, &path);
}

}  // namespace

ComboBox::~ComboBox() {
  list_.Close();
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

HWND ComboBox::Create(HWND parent, const RECT& rc, UINT id, const char* text, DWORD style) {
  if (text) text_ = text;
  return win::CWindowImpl<ComboBox>::Create(parent, rc, text_.c_str(), style, 0, id);
}

void ComboBox::SetText(const char* text) {
  text_ = text ? text : "";
  if (m_hWnd) ::SetWindowTextA(m_hWnd, text_.c_str());
  Repaint();
}

int ComboBox::SetCurSel(int index) {
  if (index < 0 || index >= list_.Count()) return -1;
  list_.SetSelected(index);
  SetText(list_.GetItemText(index).c_str());
  return index;
}

void ComboBox::SetHot(int hot) {
  if (hot_ == hot) return;
  hot_ = hot;
  Repaint();
}

LRESULT ComboBox::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  text_rc_ = ToRect(ComboTextRect(ToPixelRect(client)));
  arrow_rc_ = ToRect(ComboArrowRect(ToPixelRect(client)));
  arrow_open_ = LoadPngResourceBitmap(pictures::kComboArrowOpen);
  arrow_open_hot_ = LoadPngResourceBitmap(pictures::kComboArrowOpenHot);
  arrow_closed_hot_ = LoadPngResourceBitmap(pictures::kComboArrowClosedHot);
  arrow_closed_ = LoadPngResourceBitmap(pictures::kComboArrowClosed);
  return 0;
}

LRESULT ComboBox::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  list_.Close();
  handled = FALSE;
  return 0;
}

LRESULT ComboBox::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  HDC dc = paint.dc();
  if (!dc) return 0;
  DrawOutline(
      dc, paint.client(),
      !list_open_ ? SquareEdge::kNone : (list_above_ ? SquareEdge::kTop : SquareEdge::kBottom));
  const bool hot = hot_ != kHotNormal;
  HBITMAP arrow = list_open_ ? (hot ? arrow_open_hot_.get() : arrow_open_.get())
                             : (hot ? arrow_closed_hot_.get() : arrow_closed_.get());
  if (arrow) {
    const SIZE size = BitmapSize(arrow);
    DrawAlphaBitmap(dc, arrow, arrow_rc_.left + (arrow_rc_.right - arrow_rc_.left - size.cx) / 2,
                    arrow_rc_.top + (arrow_rc_.bottom - arrow_rc_.top - size.cy) / 2, 255,
                    paint.scratch());
  }
  const int saved = SaveDC(dc);
  if (HFONT font = GetCachedFont(13)) SelectObject(dc, font);
  const bool greyed = list_open_ || !::IsWindowEnabled(m_hWnd);
  ::SetTextColor(dc, greyed ? kTextOpen : kText);
  RECT rc = text_rc_;
  DrawTextA(dc, text_.c_str(), -1, &rc,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  RestoreDC(dc, saved);
  return 0;
}

LRESULT ComboBox::OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&) {
  SetHot(kHotPressed);
  // The same click has just closed the list (the hook ran first): it closes, it does not reopen.
  if (list_.closed_by_outside_click()) {
    list_.ClearClosedByOutsideClick();
    return 0;
  }
  if (list_.IsOpen()) {
    list_.Close();
    return 0;
  }
  list_open_ = true;
  RECT combo;
  ::GetWindowRect(m_hWnd, &combo);
  // Below the box where the screen has room, else above it, else scrolling: never off-screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
    work = monitor.rcWork;
  const ComboListPlacement placement =
      PlaceComboList(ToPixelRect(combo), ToPixelRect(work), list_.Count());
  list_above_ = placement.above;
  if (!list_.Show(m_hWnd, placement)) list_open_ = false;
  Repaint();
  return 0;
}

LRESULT ComboBox::OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
  SetHot(kHotHover);
  return 0;
}

LRESULT ComboBox::OnMouseMove(UINT, WPARAM, LPARAM, BOOL&) {
  if (!tracking_leave_) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
    tracking_leave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  if (hot_ == kHotNormal) SetHot(kHotHover);
  return 0;
}

LRESULT ComboBox::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
  tracking_leave_ = false;
  SetHot(kHotNormal);
  return 0;
}

LRESULT ComboBox::OnEnable(UINT, WPARAM, LPARAM, BOOL&) {
  Repaint();
  return 0;
}

LRESULT ComboBox::OnItemChosen(UINT, WPARAM, LPARAM, BOOL&) {
  const int index = list_.GetSelected();
  if (index < 0) return 0;
  SetText(list_.GetItemText(index).c_str());
  if (listener_) listener_->OnComboSelect(this, text_.c_str());
  return 0;
}

LRESULT ComboBox::OnListClosed(UINT, WPARAM, LPARAM, BOOL&) {
  // A newer list of this box may already be open again.
  if (!list_.IsOpen()) list_open_ = false;
  Repaint();
  return 0;
}

LRESULT ComboBox::OnOutsideClickHandled(UINT, WPARAM, LPARAM, BOOL&) {
  list_.ClearClosedByOutsideClick();
  return 0;
}

LRESULT ComboBox::OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  return AnswerGetText(text_.c_str(), msg, w, l);
}

}  // namespace vl
