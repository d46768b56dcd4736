// The stream worker's notifications as messages to a window: kMsgStreamConnected,
// kMsgStreamRunEnded and kMsgStreamConnectFailed posted, kMsgPanelCommand sent synchronously with
// the command text's address in lParam.
#pragma once

#include <windows.h>

#include "common/main_window_messages.h"
#include "media/i_stream_worker_listener.h"

namespace vl {

class WindowNotifyListener : public IStreamWorkerListener {
 public:
  explicit WindowNotifyListener(HWND window) : window_(window) {}
  void OnConnected() override { PostMessageA(window_, kMsgStreamConnected, 0, 0); }
  void OnRunEnded() override { PostMessageA(window_, kMsgStreamRunEnded, 0, 0); }
  void OnConnectFailed() override { PostMessageA(window_, kMsgStreamConnectFailed, 0, 0); }
  void OnPanelCommand(const char* ansi_text) override {
    SendMessageA(window_, kMsgPanelCommand, 0, reinterpret_cast<LPARAM>(ansi_text));
  }

 private:
  HWND window_;
};

}  // namespace vl
