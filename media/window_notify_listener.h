// The stream worker's notifications as messages to a window: 0x401..0x403 posted, 0x404
// sent synchronously with the command text's address in lParam.
#pragma once

#include <windows.h>

#include "media/i_stream_worker_listener.h"

namespace vl {

constexpr UINT kMsgStreamConnected = WM_USER + 1;      // 0x401
constexpr UINT kMsgStreamRunEnded = WM_USER + 2;       // 0x402
constexpr UINT kMsgStreamConnectFailed = WM_USER + 3;  // 0x403
constexpr UINT kMsgStreamPanelCommand = WM_USER + 4;   // 0x404

class WindowNotifyListener : public IStreamWorkerListener {
 public:
  explicit WindowNotifyListener(HWND window) : window_(window) {}
  void OnConnected() override { PostMessageA(window_, kMsgStreamConnected, 0, 0); }
  void OnRunEnded() override { PostMessageA(window_, kMsgStreamRunEnded, 0, 0); }
  void OnConnectFailed() override { PostMessageA(window_, kMsgStreamConnectFailed, 0, 0); }
  void OnPanelCommand(const char* ansi_text) override {
    SendMessageA(window_, kMsgStreamPanelCommand, 0, reinterpret_cast<LPARAM>(ansi_text));
  }

 private:
  HWND window_;
};

}  // namespace vl
