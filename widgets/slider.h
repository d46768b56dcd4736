// A horizontal value slider: a 2-pixel track, the filled part in the accent pink and the thumb
// picture. A press or a drag sets the value under the mouse (OnSliderPos when it changed); every
// release calls OnSliderEnd. Any range is safe: minimum <= maximum is kept, an empty range shows
// the thumb at the left and reports the minimum. WM_GETTEXT answers the value in decimal. A drag
// whose mouse capture is taken away (a message box, Alt+Tab) ends there, with OnSliderEnd.
#pragma once

#include <windows.h>

#include "common/win/handles.h"
#include "common/win/window_impl.h"
#include "widgets/listeners.h"
#include "widgets/slider_math.h"

namespace vl {

class Slider : public win::CWindowImpl<Slider> {
 public:
  static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  static constexpr COLORREF kTrack = RGB(224, 224, 224);
  static constexpr COLORREF kFill = RGB(232, 88, 137);

  Slider() = default;
  ~Slider() override;
  static const char* GetWndClassName() { return "VelloriaSlider"; }

  HWND Create(HWND parent, const RECT& rc, UINT id = 0, DWORD style = kChildStyle);

  void SetListener(ISliderListener* listener) { listener_ = listener; }
  void SetValue(int value);      // clamped into the range
  void SetMaximum(int maximum);  // the value (and a larger minimum) follow
  void SetMinimum(int minimum);  // the value (and a smaller maximum) follow
  int GetValue() const { return range_.value; }
  int GetMaximum() const { return range_.maximum; }
  int GetMinimum() const { return range_.minimum; }
  // The thumb picture's size (16 x 16 until the picture is loaded at creation).
  SIZE ThumbSize() const;
  // The thumb's left edge in client coordinates.
  int ThumbLeft() const;

  BEGIN_MSG_MAP(Slider)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
  MESSAGE_HANDLER(WM_GETTEXT, OnGetText)
  MESSAGE_HANDLER(WM_GETTEXTLENGTH, OnGetText)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetText(UINT, WPARAM, LPARAM, BOOL&);

  void ApplyMouse(LPARAM l);
  int ClientWidth() const;
  void Repaint() {
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }

  SliderRange range_;
  win::UniqueBitmap thumb_;
  ISliderListener* listener_ = nullptr;
  bool dragging_ = false;  // pressed, and the capture still ours
};

}  // namespace vl
