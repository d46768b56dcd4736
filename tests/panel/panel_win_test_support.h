// Windows stand-ins for the panel's tests under Wine: a main window that hosts the panel the
// way the program's main window does (messages kMsgStreamConnected to kMsgPanelCommand from a real
// stream worker).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/main_window_messages.h"
#include "common/win/window_impl.h"
#include "panel/panel_hosting_win.h"
#include "tests/widgets/widget_test_support.h"

namespace vl::test {

class PanelHostWindow : public win::CWindowImpl<PanelHostWindow> {
 public:
  static constexpr int kUnconnectedWidth = 730;
  static constexpr int kHeight = 648;

  PanelHostWindow();
  ~PanelHostWindow() override;
  static const char* GetWndClassName() { return "VelloriaPanelTestHost"; }
  static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1); }

  PanelHosting& hosting() { return *hosting_; }
  PanelManager& manager() { return hosting_->manager(); }
  bool connected() const { return connected_; }
  int runs_ended() const { return runs_ended_; }
  // Keeps the panel shown after a disconnection (to click it while no connection exists).
  void KeepPanelWhenDisconnected(bool keep) { keep_panel_ = keep; }
  // Sends a command as the stream worker does (kMsgPanelCommand, synchronous).
  void SendCommand(const std::string& ansi_text);

  BEGIN_MSG_MAP(PanelHostWindow)
  MESSAGE_HANDLER(kMsgStreamConnected, OnConnected)
  MESSAGE_HANDLER(kMsgStreamRunEnded, OnDisconnected)
  MESSAGE_HANDLER(kMsgStreamConnectFailed, OnDisconnected)
  MESSAGE_HANDLER(kMsgPanelCommand, OnPanelCommand)
  END_MSG_MAP()

 private:
  LRESULT OnConnected(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDisconnected(UINT msg, WPARAM, LPARAM, BOOL&);
  LRESULT OnPanelCommand(UINT, WPARAM, LPARAM l, BOOL&);
  void SetWidth(int width);

  std::unique_ptr<PanelHosting> hosting_;
  bool connected_ = false;
  bool keep_panel_ = false;
  int runs_ended_ = 0;
};

// Real input, pumping and pixels come from the widget tests' helpers (XInput, PumpUntil,
// ScreenPoint, PixelAt, WindowText).
bool Near(COLORREF a, COLORREF b, int tolerance = 6);
// Client rectangle of `child` in `parent`'s client coordinates.
RECT RectIn(HWND child, HWND parent);

// The window of a control (null when it has none).
HWND WindowOf(const DUICtrl* control);

}  // namespace vl::test
