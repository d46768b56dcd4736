// The main window's side of the panel: it owns the panel manager (which the stream worker and
// the controls reach as the current one), creates the root's window in the area the window gives
// it, and shows it while connected.
//
// The first "config" usually arrives (kMsgPanelCommand, sent) before the connected notification
// (kMsgStreamConnected, posted), while the window still has its narrow unconnected width: the
// window gives the area of its connected layout, so the panel is laid out for it all the same, and
// stays hidden until the connection shows it.
#pragma once

#include <windows.h>

#include "panel/i_panel_host.h"
#include "panel/panel_geometry.h"
#include "panel/panel_manager.h"
#include "panel/panel_platform_win.h"

namespace vl {

class PanelHosting : public IPanelHost {
 public:
  // `window`: the main window; `area`: where the panel goes in its client area. Creates the panel
  // manager.
  PanelHosting(HWND window, const PanelRect& area);
  PanelHosting(const PanelHosting&) = delete;
  PanelHosting& operator=(const PanelHosting&) = delete;

  // kMsgPanelCommand: the command text (ANSI, valid during the call); null changes nothing.
  // Nothing leaves it: a command that cannot be applied is dropped (the stream worker waits in
  // SendMessage, and an exception would end the program).
  void ApplyCommand(const char* text);
  // kMsgStreamConnected: shows the panel and sends the events that waited for a connection.
  void OnConnected();
  // kMsgStreamRunEnded / kMsgStreamConnectFailed: hides the panel (its contents stay until the next
  // "config").
  void OnDisconnected();

  // IPanelHost: creates the root's window in the panel area.
  void SetPanelWindow(DUICtrl* root) override;

  PanelManager& manager() { return manager_; }
  // The root's window, or null.
  HWND panel_window() const;

 private:
  HWND window_;
  PanelRect area_;
  bool connected_ = false;
  DUICtrl* panel_ = nullptr;  // the root handed over last (owned by the manager)
  PanelPlatformWin platform_;
  PanelManager manager_{this, &platform_};
};

}  // namespace vl
