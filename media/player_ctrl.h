// The preview: a child window of the main window that every 30 ms takes the newest queued
// picture (older ones are dropped), publishes the current picture to the cameras through the shared
// frame section and paints it letterboxed; without pictures it shows the placeholder
// "res\default.png" with a clickable help area.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "common/win/window_impl.h"
#include "media/frame_mapping_win.h"
#include "media/i_draw_handler.h"
#include "media/smooth_scaler.h"
#include "media/stream_worker.h"
#include "media/video_frame.h"

namespace vl {

class PlayerCtrl : public win::CWindowImpl<PlayerCtrl> {
 public:
  static constexpr UINT_PTR kPollTimer = 1;
  static constexpr UINT kPollPeriodMs = 30;
  // The iPhone connection help page.
  static const char kHelpPageUrl[];

  // What the preview polls: the stream worker's TakeFrame. The picture stays the source's.
  using FrameSource = std::function<VideoFrame*()>;
  // Opens a web page (the shell's "open" verb by default).
  using LinkOpener = std::function<void(const char* url)>;

  PlayerCtrl();
  ~PlayerCtrl() override;

  static const char* GetWndClassName() { return "VelloriaPlayerCtrl"; }

  // The stream worker whose pictures are shown (its TakeFrame is polled).
  void SetWorker(StreamWorker* worker);
  void SetFrameSource(FrameSource source) { source_ = std::move(source); }
  void SetDrawHandler(IDrawHandler* handler) { draw_handler_ = handler; }
  void SetLinkOpener(LinkOpener opener) { open_link_ = std::move(opener); }

  void StartPolling();
  void StopPolling();
  // Loads "res\default.png" from the program's directory again; repaints when `repaint`.
  void ReloadPlaceholder(bool repaint);

  const RECT& help_area() const { return help_area_; }
  VideoFrame* current_picture() const { return current_; }

  BEGIN_MSG_MAP(PlayerCtrl)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);

  void Poll();
  void EnsureBackBuffer(HDC paint_dc, int width, int height);
  // Draws the current picture letterboxed into the back buffer; the scaled copy is made once per
  // picture and client size. False when nothing could be drawn.
  bool DrawPicture(int client_width, int client_height);
  // Where the current picture is drawn in `client`; the whole client without a picture.
  RECT PictureArea(const RECT& client) const;
  // The serial of the picture a paint now would draw; 0 when it would draw none.
  uint64_t ShownPicture() const;
  static void FillBlack(HDC dc, const RECT& area);
  void ReleaseGdi();

  FrameSource source_;
  IDrawHandler* draw_handler_ = nullptr;
  LinkOpener open_link_;

  win::UniqueMemoryDC back_dc_, scratch_dc_;
  HGDIOBJ back_dc_original_ = nullptr;  // the DC's own bitmap, put back before deleting ours
  win::UniqueBitmap back_bitmap_;
  int back_width_ = 0, back_height_ = 0;

  FrameMappingWriter mapping_;
  VideoFrame* current_ = nullptr;
  win::UniqueBitmap placeholder_;

  // The current picture scaled to its letterboxed size: scaled in 24 bits, then widened into a
  // 32-bit bitmap, the screen's format, so that repaints copy it without a conversion.
  std::vector<uint8_t> scaled24_;
  win::UniqueBitmap scaled_;
  uint8_t* scaled_bits_ = nullptr;
  uint64_t scaled_serial_ = 0;
  int scaled_width_ = 0, scaled_height_ = 0;
  SmoothScaler scaler_;

  bool painted_ = true;
  // What the last paint drew: the picture's rectangle, or the whole client without a picture.
  RECT shown_ = {};
  uint64_t shown_serial_ = 0;  // the picture the last paint drew, 0 for none
  RECT help_area_ = {};
};

}  // namespace vl
