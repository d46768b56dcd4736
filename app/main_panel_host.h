// The main window's hosting of the phone's effect panel: the panel manager (created with the
// host), the panel commands the stream worker sends (0x404), the panel's window at the right of
// the preview, shown while connected.
#pragma once

#include <windows.h>

#include <memory>

#include "common/win/message_map.h"
#include "panel/panel_hosting_win.h"

namespace vl {

// Message 0x404: a panel command, lParam the NUL-terminated ANSI text (valid during the call).
constexpr UINT kMsgPanelCommand = WM_USER + 4;

class MainPanelHost : public win::CMessageMap {
 public:
  void SetMainWindow(HWND main) { main_ = main; }
  // The last turn of the initialisation, after the camera registration and before the remote
  // configuration fetch: the panel manager is made (it becomes the current one).
  void OnStarted() {
    if (main_ && !hosting_) hosting_ = std::make_unique<PanelHosting>(main_);
  }
  // Where the stream worker hands the phone's pictures (type-3 packets); after OnStarted.
  PanelManager* manager() { return hosting_ ? &hosting_->manager() : nullptr; }

  // A new panel from the panel manager: its window is created in the panel area (from the
  // preview's right edge, 728, to 2 pixels before the connected window's right edge, and from
  // 68 down to 8 pixels above the bottom), shown while connected. Null changes nothing.
  void SetPanelWindow(DUICtrl* root) {
    if (hosting_) hosting_->SetPanelWindow(root);
  }
  HWND panel_window() const { return hosting_ ? hosting_->panel_window() : nullptr; }

  // The workflow's turns: the panel shows while connected (and the events that waited for a
  // connection go out) and hides otherwise; its contents stay until the phone sends the next.
  void OnConnectedLayout() {
    if (hosting_) hosting_->OnConnected();
  }
  void OnDisconnectedLayout() {
    if (hosting_) hosting_->OnDisconnected();
  }

  BEGIN_MSG_MAP(MainPanelHost)
  MESSAGE_HANDLER(kMsgPanelCommand, OnPanelCommand)
  END_MSG_MAP()

 private:
  LRESULT OnPanelCommand(UINT, WPARAM, LPARAM lparam, BOOL&) {
    // The stream worker waits in SendMessage: nothing may leave this handler, or the program
    // ends. A command that cannot be applied is dropped (PanelHosting).
    if (hosting_) hosting_->OnPanelCommand(reinterpret_cast<const char*>(lparam));
    return 0;
  }

  HWND main_ = nullptr;
  std::unique_ptr<PanelHosting> hosting_;
};

}  // namespace vl
