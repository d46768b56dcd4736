// Notifications of the stream worker. On Windows they become the window messages
// kMsgStreamConnected to kMsgPanelCommand of the main window (WindowNotifyListener); tests
// implement them directly.
#pragma once

namespace vl {

class IStreamWorkerListener {
 public:
  virtual ~IStreamWorkerListener() = default;
  virtual void OnConnected() = 0;      // kMsgStreamConnected: handshake done, packets follow
  virtual void OnRunEnded() = 0;       // kMsgStreamRunEnded: a connected run ended
  virtual void OnConnectFailed() = 0;  // kMsgStreamConnectFailed: see StreamWorker::GetErrorText
  // kMsgPanelCommand, synchronous: a panel command in the ANSI code page, valid only during the
  // call.
  virtual void OnPanelCommand(const char* ansi_text) = 0;
};

}  // namespace vl
