#include "widgets/slider.h"

#include <gdiplus.h>

#include <string>

#include "widgets/buffered_paint.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

constexpr int kDefaultThumb = 16;

Gdiplus::Color ToColor(COLORREF c) {
  return Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

Slider::~Slider() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

HWND Slider::Create(HWND parent, const RECT& rc, UINT id, DWORD style) {
  return win::CWindowImpl<Slider>::Create(parent, rc, nullptr, style, 0, id);
}

LRESULT Slider::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  thumb_ = LoadPngResourceBitmap(pictures::kSliderThumb);
  return 0;
}

SIZE Slider::ThumbSize() const {
  if (thumb_) return BitmapSize(thumb_.get());
  return SIZE{kDefaultThumb, kDefaultThumb};
}

int Slider::ClientWidth() const {
  RECT rc = {};
  if (m_hWnd) ::GetClientRect(m_hWnd, &rc);
  return rc.right - rc.left;
}

int Slider::ThumbLeft() const {
  return SliderThumbLeft(range_, ClientWidth(), static_cast<int>(ThumbSize().cx));
}

void Slider::SetValue(int value) {
  SetSliderValue(range_, value);
  Repaint();
}

void Slider::SetMaximum(int maximum) {
  SetSliderMaximum(range_, maximum);
  Repaint();
}

void Slider::SetMinimum(int minimum) {
  SetSliderMinimum(range_, minimum);
  Repaint();
}

void Slider::ApplyMouse(LPARAM l) {
  const int x = static_cast<short>(LOWORD(l));
  const int value = SliderValueAt(range_, x, ClientWidth(), static_cast<int>(ThumbSize().cx));
  if (value == range_.value) return;
  range_.value = value;
  Repaint();
  if (listener_) listener_->OnSliderPos(value);
}

LRESULT Slider::OnLeftButtonDown(UINT, WPARAM, LPARAM l, BOOL&) {
  ::SetCapture(m_hWnd);
  dragging_ = true;
  ApplyMouse(l);
  return 0;
}

LRESULT Slider::OnMouseMove(UINT, WPARAM w, LPARAM l, BOOL&) {
  if (w & MK_LBUTTON) ApplyMouse(l);
  return 0;
}

LRESULT Slider::OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
  dragging_ = false;  // first: releasing the capture below is no lost drag
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (listener_) listener_->OnSliderEnd(range_.value);
  return 0;
}

LRESULT Slider::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&) {
  // Another window took the mouse mid-drag: the release will never come here, so the drag ends
  // now, at the value it reached.
  if (!dragging_) return 0;
  dragging_ = false;
  if (listener_) listener_->OnSliderEnd(range_.value);
  return 0;
}

LRESULT Slider::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  HDC dc = paint.dc();
  if (!dc) return 0;
  const RECT& client = paint.client();
  const int width = client.right - client.left, height = client.bottom - client.top;
  const SIZE thumb = ThumbSize();
  const int track_top = SliderTrackTop(height);
  const SliderFill fill = SliderFillSpan(range_, width, static_cast<int>(thumb.cx));
  const SliderCentreMark centre = SliderCentreMarkAt(
      range_, width, height, static_cast<int>(thumb.cx), static_cast<int>(thumb.cy));
  {
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush track(ToColor(kTrack));
    g.FillRectangle(&track, 0, track_top, width, 2);
    Gdiplus::SolidBrush accent(ToColor(kFill));
    if (fill.to > fill.from) g.FillRectangle(&accent, fill.from, track_top, fill.to - fill.from, 2);
    // The 4 x 4 dot as two crossed bars, corners left out: round at this size, and the same
    // pixels whatever the renderer's pixel offset (an ellipse this small lands half a pixel
    // off in some of them).
    if (centre.shown) {
      const WidgetRect& d = centre.dot;
      g.FillRectangle(&accent, d.left + 1, d.top, d.width() - 2, d.height());
      g.FillRectangle(&accent, d.left, d.top + 1, d.width(), d.height() - 2);
    }
    for (const WidgetRect& n : {centre.notch_above, centre.notch_below})
      if (centre.notches) g.FillRectangle(&accent, n.left, n.top, n.width(), n.height());
  }
  if (thumb_)
    DrawAlphaBitmap(dc, thumb_.get(), ThumbLeft(), (height - thumb.cy) / 2, 255, paint.scratch());
  return 0;
}

LRESULT Slider::OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  const std::string text = std::to_string(range_.value);
  return AnswerGetText(text.c_str(), msg, w, l);
}

}  // namespace vl
