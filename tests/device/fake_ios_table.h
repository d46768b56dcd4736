// An in-process stand-in for the libimobiledevice table: pretend iPhones for the device scan,
// with every handle and string it hands out counted, and a gate that can hold a scan inside
// the device list call. One process-wide instance (the table holds plain function pointers).
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "device/ios_api.h"

namespace vl::test {

struct FakeIosPhone {
  std::string udid;
  std::string utf8_name;  // empty with has_name false: the name query fails
  bool has_name = true;
  bool opens = true;  // idevice_new succeeds
  bool accepts_handshake = true;
};

class FakeIos {
 public:
  // Resets the phones and counters; the gate opens.
  static FakeIos& Reset(std::vector<FakeIosPhone> phones);
  static const IosApi* Table();

  // Holds the next device list calls until Open.
  void CloseGate();
  void OpenGate();
  // True once a device list call waits at the closed gate.
  bool WaitUntilHeld(int timeout_ms);

  int live_handles() const { return live_handles_; }
  int live_strings() const { return live_strings_; }
  int strings_freed_by_library() const { return freed_; }

 private:
  friend struct FakeIosCalls;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<FakeIosPhone> phones_;
  bool gate_closed_ = false;
  bool held_ = false;
  std::atomic<int> live_handles_{0}, live_strings_{0}, freed_{0};
};

}  // namespace vl::test
