// Owns one phone connection at a time on a thread of its own: connects, reads packets, hands
// video to the decoder and panel commands to the listener, and reports the connection's state.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "device/device_entry.h"
#include "media/i_resource_store.h"
#include "media/stream_header.h"
#include "media/i_stream_worker_listener.h"
#include "media/i_video_decoder.h"
#include "media/video_frame_buffer.h"

#ifdef _WIN32
struct HWND__;  // <windows.h>'s HWND under STRICT, which every Windows tree defines
#endif

namespace vl {

class BMTReader;
class DecodeTraceWriter;

class StreamWorker {
 public:
  StreamWorker();
  // Stops a run still going (its thread must not outlive the worker).
  ~StreamWorker();
  StreamWorker(const StreamWorker&) = delete;
  StreamWorker& operator=(const StreamWorker&) = delete;

  // Set before the first Start; the listener must outlive the worker's runs.
  void SetListener(IStreamWorkerListener* listener);
#ifdef _WIN32
  // Notifications become messages 0x401..0x403 posted, 0x404 sent, to this window.
  void SetNotifyWindow(HWND__* window);
  // Every queued picture is noted in the decode trace while a measuring tool holds it open
  // (media/decode_trace_layout.h). Before the first Start.
  void EnableDecodeTrace();
#endif
  void SetPort(uint16_t port) {
    port_ = port;
  }
  // Replaces the decoder factory; by default every run decodes H.264 into the frame buffer.
  // An empty factory: video payloads are read and dropped.
  void SetDecoderFactory(VideoDecoderFactory factory);
  // Unset: resources are discarded.
  void SetResourceStore(IResourceStore* store) {
    resources_ = store;
  }
  // Where the remote "tips_conn" text (ANSI) comes from; asked at each failed connection, so
  // a tip fetched while the program runs applies to the next failure. When it gives a
  // non-empty text, that replaces the default failure text.
  using ConnectionTipsSource = std::function<std::string()>;
  void SetConnectionTipsSource(ConnectionTipsSource source);

  // Copies the device (null: no device chosen) and starts a run. Ignored while a run is active.
  void Start(const DeviceEntry* device);
  // Sets the stop flag, asks the decoder to stop, wakes the run's reader from any wait for the
  // phone and waits for the run's thread, which then ends at once (while the transport is
  // still being opened, after that step). On Windows, messages sent to this thread's windows
  // are handled meanwhile, so a pending 0x404 cannot deadlock the wait.
  void Stop();
  bool IsRunning() const {
    return running_.load();
  }
  // The reason of the last failure, in the ANSI code page (936 on the target systems).
  std::string GetErrorText() const;
  // The header flags of the last connected run (0 until one connects).
  HeaderFlags ReverseFlags() const;

  // The user's toggles (mirror left-right, flip upside down) and the output orientation,
  // forwarded to the frame buffer.
  void SetMirror(int mirror, int flip) {
    frame_buffer_.SetMirror(mirror, flip);
  }
  void SetPortrait(int portrait) {
    frame_buffer_.SetPortrait(portrait);
  }
  // For the preview, on the UI thread: the newest queued picture, when there is one, replaces
  // (and releases) the current picture; older queued ones are dropped unseen. Returns the current
  // picture, which may be the one returned before, or null before the first. It stays the worker's
  // until replaced.
  VideoFrame* TakeFrame();
  // Where the runs' decoders deliver their pictures.
  VideoFrameBuffer& frame_buffer() {
    return frame_buffer_;
  }

 private:
  enum class RunPhase { kConnecting, kConnected, kReported };

  void Run();
  // Connects and reads until the stream ends; may throw (memory), Run cleans up.
  void RunConnection(std::shared_ptr<BMTReader>* reader);
  // Sets the error text (the remote tip for a failed connection, when there is one) and
  // reports the failure.
  void ReportConnectFailed(const char* default_text) noexcept;
  void FinishRun();
  void WaitForRunThread();  // platform-specific: joins, pumping sent messages on Windows
  void DestroyDecoder();
  void PublishReader(std::shared_ptr<BMTReader> reader);

  IStreamWorkerListener* listener_ = nullptr;
  std::unique_ptr<IStreamWorkerListener> owned_listener_;  // the window notifier on Windows
#ifdef _WIN32
  std::shared_ptr<DecodeTraceWriter> decode_trace_;  // shared with the frame buffer's observer
#endif
  IResourceStore* resources_ = nullptr;
  VideoDecoderFactory decoder_factory_;
  uint16_t port_ = 8984;

  // Declared before the decoder, which delivers into it, so that it outlives every decoder.
  VideoFrameBuffer frame_buffer_;
  std::unique_ptr<VideoFrame> current_frame_;  // the UI thread's alone

  mutable std::mutex text_lock_;
  std::string error_text_;
  ConnectionTipsSource connection_tips_;
  HeaderFlags flags_;

  // The run owns decoder_ and decodes without a lock; Stop reaches it only through
  // active_decoder_, which the run publishes and withdraws under decoder_lock_. The run's
  // reader is published the same way, for Stop to interrupt its waits.
  std::unique_ptr<IVideoDecoder> decoder_;
  std::mutex decoder_lock_;
  IVideoDecoder* active_decoder_ = nullptr;
  std::shared_ptr<BMTReader> active_reader_;

  RunPhase phase_ = RunPhase::kConnecting;  // the run's thread alone
  bool has_device_ = false;
  DeviceEntry device_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace vl
