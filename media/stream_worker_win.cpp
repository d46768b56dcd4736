// Windows parts of the stream worker: the notify window and a Stop that keeps handling
// messages sent to this thread while it waits (the run may be inside SendMessage 0x404 to a
// window of this very thread).
#include <windows.h>

#include "media/decode_trace_win.h"
#include "media/stream_worker.h"
#include "media/window_notify_listener.h"

namespace vl {

void StreamWorker::SetNotifyWindow(HWND window) {
  owned_listener_ = std::make_unique<WindowNotifyListener>(window);
  listener_ = owned_listener_.get();
}

void StreamWorker::EnableDecodeTrace() {
  decode_trace_ = std::make_shared<DecodeTraceWriter>();
  frame_buffer_.SetQueuedObserver(
      [trace = decode_trace_](uint64_t picture) { trace->OnQueued(picture); });
}

void StreamWorker::WaitForRunThread() {
  // Inside a handler of a message the run sent us, the run waits for our return: do not wait.
  if (InSendMessage()) return;
  while (running_) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers sent messages
  }
  if (thread_.joinable()) thread_.join();
}

}  // namespace vl
