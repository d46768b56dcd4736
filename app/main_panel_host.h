// The main window's hosting of the phone's effect panel: the panel's window at the right of the
// preview while connected, and the panel commands the stream worker sends (0x404).
//
// Where the panel subsystem plugs in:
//  - OnStarted: the last turn of the initialisation, after the camera registration (the panel
//    manager is created here, before the remote configuration fetch starts);
//  - SetCommandHandler: receives each 0x404 command text (ANSI) during the synchronous send;
//    the panel manager applies it to its control tree.
//  - SetPanelWindow: the panel manager hands over a newly built panel; its window is created
//    here as a child of the main window and shown while connected.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/win/message_map.h"

namespace vl {

// Message 0x404: a panel command, lParam the NUL-terminated ANSI text (valid during the call).
constexpr UINT kMsgPanelCommand = WM_USER + 4;

// The panel's root control as the main window hosts it (implemented by the panel subsystem).
class IPanelWindow {
 public:
  // Creates the panel's window as a child of `parent` in `rect` (client coordinates) and
  // returns it.
  virtual HWND CreatePanelWindow(HWND parent, const RECT& rect) = 0;

 protected:
  ~IPanelWindow() = default;
};

class MainPanelHost : public win::CMessageMap {
 public:
  using CommandHandler = std::function<void(const std::string& ansi_command)>;

  void SetMainWindow(HWND main) { main_ = main; }
  void OnStarted();
  void SetCommandHandler(CommandHandler handler) { on_command_ = std::move(handler); }

  // A new panel: its window is created in the panel area (from the preview's right edge, 728,
  // to 2 pixels before the right, and from 68 down to 8 pixels above the bottom); shown at once
  // while connected. Null changes nothing.
  void SetPanelWindow(IPanelWindow* panel);
  HWND panel_window() const { return panel_hwnd_; }

  // The workflow's turns: the panel shows while connected and hides otherwise; its contents
  // stay until the phone sends the next panel.
  void OnConnectedLayout();
  void OnDisconnectedLayout();

  // The panel area for a client rectangle of `width` x `height`.
  static RECT PanelRect(int width, int height);

  BEGIN_MSG_MAP(MainPanelHost)
  MESSAGE_HANDLER(kMsgPanelCommand, OnPanelCommand)
  END_MSG_MAP()

 private:
  LRESULT OnPanelCommand(UINT, WPARAM, LPARAM lparam, BOOL&);

  HWND main_ = nullptr;
  CommandHandler on_command_;
  IPanelWindow* panel_ = nullptr;
  HWND panel_hwnd_ = nullptr;
  bool connected_ = false;
};

}  // namespace vl
