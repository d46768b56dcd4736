// Shared pieces of the stream tests: a phone simulator running in-process on loopback, and
// recorders standing in for the main window, the panel's resource store and the decoder.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/i_resource_store.h"
#include "media/i_stream_worker_listener.h"
#include "media/i_video_decoder.h"
#include "tools/phonesim/phone_simulator.h"

namespace vl::test {

// Starts a simulator with the given phonesim arguments on a free loopback port; its log goes to
// `log` when given.
std::unique_ptr<phonesim::PhoneSimulator> StartPhone(std::vector<std::string> args,
                                                     std::ostream* log = nullptr);

std::vector<uint8_t> ReadBytes(const std::string& path);
// The H.264 Annex B clip the build makes for the tests (1 s, 30 pictures, 320 x 240).
std::string ClipPath();

// Records the worker's notifications in arrival order: "connected", "ended", "failed",
// "panel:<text>".
class RecordingListener : public IStreamWorkerListener {
 public:
  void OnConnected() override { Add("connected"); }
  void OnRunEnded() override { Add("ended"); }
  void OnConnectFailed() override { Add("failed"); }
  void OnPanelCommand(const char* text) override { Add(std::string("panel:") + text); }

  std::vector<std::string> Events() const;
  // Waits until `event` has been recorded (true) or the time-out passed.
  bool WaitFor(const std::string& event, std::chrono::milliseconds timeout) const;

 private:
  void Add(std::string e);
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<std::string> events_;
};

class RecordingResourceStore : public IResourceStore {
 public:
  struct Entry {
    std::string name;
    std::vector<uint8_t> data;
    bool had_buffer;
  };
  void AddResource(const std::string& name, std::unique_ptr<uint8_t[]> data, int32_t size) override;
  std::vector<Entry> Entries() const;

 private:
  mutable std::mutex lock_;
  std::vector<Entry> entries_;
};

// What the decoders of a worker received, across runs.
struct DecoderLog {
  std::mutex lock;
  std::vector<uint8_t> bytes;
  int chunks = 0;
  int created = 0;
  int destroyed = 0;
  int stop_requests = 0;
};

VideoDecoderFactory RecordingDecoderFactory(std::shared_ptr<DecoderLog> log);

}  // namespace vl::test
