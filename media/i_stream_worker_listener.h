// Notifications of the stream worker. On Windows they become the window messages 0x401 to
// 0x404 of the main window (WindowNotifyListener); tests implement them directly.
#pragma once

namespace vl {

class IStreamWorkerListener {
 public:
  virtual ~IStreamWorkerListener() = default;
  virtual void OnConnected() = 0;      // 0x401: handshake done, packets follow
  virtual void OnRunEnded() = 0;       // 0x402: a connected run ended
  virtual void OnConnectFailed() = 0;  // 0x403: see StreamWorker::GetErrorText
  // 0x404, synchronous: a panel command in the ANSI code page, valid only during the call.
  virtual void OnPanelCommand(const char* ansi_text) = 0;
};

}  // namespace vl
