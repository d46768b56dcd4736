// The main window's hosting of the preview: the preview window on the stream worker, and the
// three overlay buttons (vertical flip, horizontal flip, orientation) that the preview paints
// over the picture through its draw handler.
#pragma once

#include <windows.h>

#include "media/i_draw_handler.h"
#include "media/player_ctrl.h"
#include "widgets/icon_button.h"

namespace vl {

class StreamWorker;

class MainPreviewHost : public IDrawHandler {
 public:
  // Creates the preview and the overlay buttons (hidden) in the main window.
  void Create(HWND main);
  void SetWorker(StreamWorker* worker) { preview_.SetWorker(worker); }

  void StartPolling() { preview_.StartPolling(); }
  void StopPolling() { preview_.StopPolling(); }
  void SetOverlayButtonsVisible(bool visible);
  // The orientation button names the mode a click switches to.
  void SetOrientationLook(bool portrait);

  // IDrawHandler: the overlay buttons over the preview's picture.
  void Draw(HDC back_buffer, HDC scratch) override;

  PlayerCtrl& preview() { return preview_; }
  CIconButton& vertical_flip_button() { return vertical_flip_; }
  CIconButton& horizontal_flip_button() { return horizontal_flip_; }
  CIconButton& orientation_button() { return orientation_; }

 private:
  PlayerCtrl preview_;
  CIconButton vertical_flip_;
  CIconButton horizontal_flip_;
  CIconButton orientation_;
};

}  // namespace vl
