// The main window's side of the panel: it owns the panel manager (which the stream worker and
// the controls reach as the current one), creates the root's window in the panel area at the
// window's right, and shows it while connected.
//
// The first "config" usually arrives (kMsgPanelCommand, sent) before the connected notification
// (kMsgStreamConnected, posted), while the window still has its narrow unconnected width: the panel
// is laid out for the connected window's width all the same, and stays hidden until the connection
// shows it.
#pragma once

#include <windows.h>

#include "panel/i_panel_host.h"
#include "panel/panel_manager.h"
#include "panel/panel_platform_win.h"

namespace vl {

class PanelHosting : public IPanelHost {
 public:
  // Client width of the main window while connected: the panel's area ends 2 pixels before it.
  static constexpr int kConnectedClientWidth = 1080;

  // `window`: the main window, whose client area holds the panel. Creates the panel manager.
  explicit PanelHosting(HWND window);
  PanelHosting(const PanelHosting&) = delete;
  PanelHosting& operator=(const PanelHosting&) = delete;

  // kMsgPanelCommand: the command text (ANSI, valid during the call); null changes nothing.
  void OnPanelCommand(const char* text);
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
  // Where the panel goes in the main window's client area.
  RECT PanelRectangle() const;

 private:
  HWND window_;
  bool connected_ = false;
  DUICtrl* panel_ = nullptr;  // the root handed over last (owned by the manager)
  PanelPlatformWin platform_;
  PanelManager manager_{this, &platform_};
};

}  // namespace vl
