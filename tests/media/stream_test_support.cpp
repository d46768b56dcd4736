#include "tests/media/stream_test_support.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace vl::test {

std::unique_ptr<phonesim::PhoneSimulator> StartPhone(std::vector<std::string> args,
                                                     std::ostream* log) {
  phonesim::Options options;
  std::string error;
  args.insert(args.begin(), {"--port", "0"});
  if (!phonesim::ParseArguments(args, options, error)) throw std::runtime_error(error);
  auto sim = std::make_unique<phonesim::PhoneSimulator>(options, log);
  if (!sim->Listen(error)) throw std::runtime_error(error);
  sim->Start();
  return sim;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ClipPath() {
#ifdef _WIN32
  return std::string("Z:") + VL_TEST_DATA_DIR + "/stream_clip.h264";
#else
  return std::string(VL_TEST_DATA_DIR) + "/stream_clip.h264";
#endif
}

void RecordingListener::Add(std::string e) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    events_.push_back(std::move(e));
  }
  changed_.notify_all();
}

std::vector<std::string> RecordingListener::Events() const {
  std::lock_guard<std::mutex> lock(lock_);
  return events_;
}

bool RecordingListener::WaitFor(const std::string& event, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(lock_);
  return changed_.wait_for(lock, timeout, [&] {
    return std::find(events_.begin(), events_.end(), event) != events_.end();
  });
}

void RecordingResourceStore::AddResource(const std::string& name, std::unique_ptr<uint8_t[]> data,
                                         int32_t size) {
  std::lock_guard<std::mutex> lock(lock_);
  Entry e{name, {}, data != nullptr};
  if (data && size > 0) e.data.assign(data.get(), data.get() + size);
  entries_.push_back(std::move(e));
}

std::vector<RecordingResourceStore::Entry> RecordingResourceStore::Entries() const {
  std::lock_guard<std::mutex> lock(lock_);
  return entries_;
}

namespace {

class RecordingDecoder : public IVideoDecoder {
 public:
  explicit RecordingDecoder(std::shared_ptr<DecoderLog> log) : log_(std::move(log)) {
    Count(&DecoderLog::created);
  }
  ~RecordingDecoder() override { Count(&DecoderLog::destroyed); }
  int DecodeChunk(const uint8_t* data, int32_t length) override {
    std::lock_guard<std::mutex> lock(log_->lock);
    log_->bytes.insert(log_->bytes.end(), data, data + length);
    ++log_->chunks;
    return 0;
  }
  void RequestStop() override { Count(&DecoderLog::stop_requests); }

 private:
  void Count(int DecoderLog::*counter) {
    std::lock_guard<std::mutex> lock(log_->lock);
    ++((*log_).*counter);
  }
  std::shared_ptr<DecoderLog> log_;
};

}  // namespace

VideoDecoderFactory RecordingDecoderFactory(std::shared_ptr<DecoderLog> log) {
  return [log] { return std::make_unique<RecordingDecoder>(log); };
}

}  // namespace vl::test
