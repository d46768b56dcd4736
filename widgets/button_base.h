// What the owner-drawn buttons share: the normal / hover / pressed state machine driven by the
// mouse, one picture per state (plus a disabled one), the cross-fade between states, the
// caption answered to WM_GETTEXT, and parent-drawn mode, where another window paints the button
// into its own picture (for example over the video preview).
#pragma once

#include <windows.h>

#include <string>

#include "common/win/handles.h"
#include "common/win/window_impl.h"

namespace vl {

class ButtonBase : public win::CWindowImpl<ButtonBase> {
 public:
  enum State { kNormal = 0, kPressed = 1, kHover = 2 };
  static constexpr UINT_PTR kFadeTimer = 1;
  static constexpr UINT kFadePeriodMs = 30;
  static constexpr int kFadeStep = 50;
  static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

  ~ButtonBase() override;
  static const char* GetWndClassName() { return "VelloriaButton"; }

  // Creates the button as a child window with the control identifier its WM_COMMAND carries.
  HWND Create(HWND parent, const RECT& rc, UINT id, const char* caption = nullptr,
              DWORD style = kChildStyle);

  // The four state pictures from "PNG" resources (0: no picture for that state). Replaces and
  // deletes the previous ones; a running fade stops, as it would draw the old pictures.
  void SetImages(int normal, int hover, int pressed, int disabled);
  // The same from bitmaps with premultiplied alpha, which the button takes over.
  void SetImageBitmaps(win::UniqueBitmap normal, win::UniqueBitmap hover, win::UniqueBitmap pressed,
                       win::UniqueBitmap disabled);
  // Whether a change of state cross-fades (ImageButton) or shows at once (CIconButton).
  void SetFade(bool fade) { fade_ = fade; }
  // Parent-drawn mode: `painter` paints the button from its own WM_PAINT with PaintInto; the
  // button's own WM_PAINT then paints nothing, and every repaint invalidates the button's
  // rectangle in the painter.
  void SetParentDrawn(bool parent_drawn, HWND painter);
  // For the painter's WM_PAINT: draws the button at its place in the painter's `dc`.
  void PaintInto(HDC painter_dc);
  // Shows a state as if the mouse had put the button there, without a fade (previews).
  void ShowState(State state);

  // Draws the current state into `rc` of `dc` (the window's own picture or the painter's).
  virtual void Draw(HDC dc, const RECT& rc) = 0;

  State state() const { return state_; }
  int alpha() const { return alpha_; }
  bool fading() const { return fade_from_ != nullptr || fade_timer_on_; }
  HBITMAP fade_from() const { return fade_from_; }
  HBITMAP last_drawn() const { return last_drawn_; }
  HBITMAP picture(int index) const { return pictures_[index].get(); }  // 0..3 as SetImages
  const std::string& caption() const { return caption_; }

  BEGIN_MSG_MAP(ButtonBase)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ENABLE, OnEnable)
  MESSAGE_HANDLER(WM_GETTEXT, OnGetText)
  MESSAGE_HANDLER(WM_GETTEXTLENGTH, OnGetText)
  END_MSG_MAP()

 protected:
  ButtonBase() = default;

  // The release over the button: ImageButton notifies only after its own press, CIconButton
  // always.
  virtual void OnRelease(bool was_pressed) = 0;
  virtual void OnCreated() {}
  virtual bool OnOtherTimer(UINT_PTR id) { return false; }

  // The picture of the current state (disabled while the window is disabled).
  HBITMAP CurrentPicture() const;
  // Draws a picture centred in rc, clipped to it.
  void DrawCentred(HDC dc, HBITMAP picture, const RECT& rc, BYTE alpha);
  void SetCaption(const char* text);
  // Repaints the button (and its place in the painter when parent-drawn).
  void Repaint();
  void Notify(bool post);
  void StopFade();
  bool parent_drawn() const { return parent_drawn_; }
  HWND painter() const { return painter_; }
  void set_last_drawn(HBITMAP b) { last_drawn_ = b; }

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEnable(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetText(UINT, WPARAM, LPARAM, BOOL&);

  void StartFade();

  win::UniqueBitmap pictures_[4];  // normal, hover, pressed, disabled
  State state_ = kNormal;
  bool fade_ = true;
  bool fade_timer_on_ = false;
  int alpha_ = 255;
  HBITMAP last_drawn_ = nullptr;  // one of pictures_, or null
  HBITMAP fade_from_ = nullptr;   // one of pictures_, or null
  bool tracking_leave_ = false;
  bool parent_drawn_ = false;
  HWND painter_ = nullptr;
  std::string caption_;
};

}  // namespace vl
