#include "panel/item_windows_win.h"

#include <gdiplus.h>

#include "panel/filter_band.h"
#include "panel/panel_platform_win.h"
#include "widgets/buffered_paint.h"
#include "widgets/image_loader.h"

namespace vl {
namespace {

// The pink of the selection shapes, as GDI+ colours (0xAARRGGBB).
constexpr Gdiplus::ARGB kCancelRing = 0xFFE75989;
constexpr Gdiplus::ARGB kSelectionDisc = 0xCCE75988;

// A colour 0xRRGGBB with an alpha, for GDI+.
Gdiplus::Color WithAlpha(BYTE alpha, int32_t rrggbb) {
  return Gdiplus::Color(alpha, static_cast<BYTE>(rrggbb >> 16), static_cast<BYTE>(rrggbb >> 8),
                        static_cast<BYTE>(rrggbb));
}

// Fills a rectangle with a colour that has alpha (GDI+ blends; GDI drawing resumes after).
void FillBlended(HDC dc, const Gdiplus::Color& colour, int x, int y, int w, int h) {
  Gdiplus::Graphics g(dc);
  Gdiplus::SolidBrush brush(colour);
  g.FillRectangle(&brush, x, y, w, h);
}

void DrawCentred(HDC dc, HBITMAP bitmap, const RECT& area) {
  if (!bitmap) return;
  const SIZE s = BitmapSize(bitmap);
  DrawAlphaBitmap(dc, bitmap, area.left + (area.right - area.left - s.cx) / 2,
                  area.top + (area.bottom - area.top - s.cy) / 2);
}

void DrawStretched(HDC dc, HBITMAP bitmap, const RECT& area) {
  if (!bitmap) return;
  const SIZE s = BitmapSize(bitmap);
  DrawAlphaBitmapPart(dc, bitmap, RECT{0, 0, s.cx, s.cy}, area);
}

}  // namespace

LRESULT ItemWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  Paint(paint.dc(), paint.client());
  return 0;
}

LRESULT ItemWindow::OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  return AnswerGetText(item_.name().c_str(), msg, w, l);
}

void ItemWindow::DrawPictureInSquare(HDC dc, int w) {
  const auto* picture = static_cast<const GdiPanelPicture*>(item_.picture());
  if (!picture) return;  // none, or undecodable: the item draws without it
  DrawAlphaBitmap(dc, picture->bitmap(), (w - picture->width()) / 2, (w - picture->height()) / 2);
}

void CircleItemWindow::Paint(HDC dc, const RECT& client) {
  const int w = client.right - client.left;
  DrawPictureInSquare(dc, w);
  if (circle_.selected()) {  // GDI+ for the anti-aliased shapes, ended before GDI draws on
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    if (circle_.is_cancel()) {
      Gdiplus::Pen ring(Gdiplus::Color(kCancelRing), 2.0f);
      g.DrawEllipse(&ring, 1, 1, w - 3, w - 3);
    } else {
      Gdiplus::SolidBrush disc{Gdiplus::Color(kSelectionDisc)};
      g.FillEllipse(&disc, -1, -1, w, w);
    }
  }
  if (circle_.selected() && !circle_.is_cancel())
    DrawCentred(dc, pictures().edit_mark(), {0, 0, w, w});
  // The mask is white outside a transparent disc: picture and selection become a disc on white.
  DrawStretched(dc, pictures().circle_mask(), RECT{0, 0, w, w});
  DrawPanelText(dc, circle_.name(), RECT{0, w + 6, w, w + 20}, 12, kCaptionColour,
                DT_CENTER | DT_TOP | DT_SINGLELINE);
}

void DecorItemWindow::Paint(HDC dc, const RECT& client) {
  const auto* picture = static_cast<const GdiPanelPicture*>(decor_.picture());
  if (picture) DrawCentred(dc, picture->bitmap(), client);
  if (decor_.selected()) DrawStretched(dc, pictures().decor_frame(), client);
}

void FilterItemWindow::Paint(HDC dc, const RECT& client) {
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  DrawPictureInSquare(dc, w);
  const bool selected = filter_.selected();
  if (selected) {
    FillBlended(dc, WithAlpha(hover_ ? 0xFF : 0xE5, filter_.mask_color()), 0, 0, w, w);
    // The mark was chosen when the window was made: a check for a "no filter" item.
    DrawCentred(dc, is_cancel_at_creation_ ? pictures().check_mark() : pictures().adjust_mark(),
                RECT{0, 0, w, w});
  }
  COLORREF caption = RGB(255, 255, 255);
  if (filter_.plain() && !selected) {
    caption = kPlainCaptionColour;
  } else {
    // The mask colour as the band shows it on white, dark enough for the white caption.
    const uint32_t band = FilterBandColour(filter_.mask_color(), hover_);
    RECT band_rc = {0, w, w, w + kBandHeight};
    FillSolid(dc, band_rc, RGB(band >> 16, (band >> 8) & 0xFF, band & 0xFF));
  }
  DrawPanelText(dc, filter_.name(), RECT{0, w, w, h}, 12, caption,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void FilterItemWindow::BeforeChildren() {
  is_cancel_at_creation_ = filter_.is_cancel() != 0;
}

LRESULT FilterItemWindow::OnMouseMove(UINT, WPARAM, LPARAM, BOOL&) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = m_hWnd;
  track.dwHoverTime = 1;
  ::TrackMouseEvent(&track);
  return 0;
}

void FilterItemWindow::CancelTracking() {
  if (!m_hWnd || !::IsWindow(m_hWnd)) return;
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_CANCEL | TME_HOVER | TME_LEAVE;
  track.hwndTrack = m_hWnd;
  ::TrackMouseEvent(&track);
}

LRESULT FilterItemWindow::OnMouseHover(UINT, WPARAM, LPARAM, BOOL&) {
  hover_ = true;
  Repaint();
  return 0;
}

LRESULT FilterItemWindow::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
  hover_ = false;
  Repaint();
  return 0;
}

}  // namespace vl
