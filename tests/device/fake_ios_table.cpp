#include "tests/device/fake_ios_table.h"

#include <chrono>
#include <cstring>

namespace vl::test {
namespace {

FakeIos g_fake;

}  // namespace

// The table's functions, with access to the fake's state. A device or lockdown handle is a copy
// of the phone it was opened on.
struct FakeIosCalls {
  static char* NewString(const std::string& text) {
    char* s = new char[text.size() + 1];
    std::memcpy(s, text.c_str(), text.size() + 1);
    ++g_fake.live_strings_;
    return s;
  }
  static void DeleteString(char* s) {
    delete[] s;
    --g_fake.live_strings_;
  }

  static int GetDeviceList(char*** udids, int* count) {
    std::vector<FakeIosPhone> phones;
    {
      std::unique_lock<std::mutex> lock(g_fake.lock_);
      g_fake.held_ = g_fake.gate_closed_;
      g_fake.changed_.notify_all();
      g_fake.changed_.wait(lock, [] { return !g_fake.gate_closed_; });
      phones = g_fake.phones_;
    }
    char** list = new char*[phones.size() + 1]();
    for (size_t i = 0; i < phones.size(); ++i) list[i] = NewString(phones[i].udid);
    *udids = list;
    *count = static_cast<int>(phones.size());
    return 0;
  }
  static int DeviceListFree(char** udids) {
    for (char** p = udids; *p; ++p) DeleteString(*p);
    delete[] udids;
    return 0;
  }
  static int DeviceNew(IosDevice* device, const char* udid) {
    *device = nullptr;
    std::lock_guard<std::mutex> lock(g_fake.lock_);
    for (const FakeIosPhone& p : g_fake.phones_) {
      if (p.udid != udid || !p.opens) continue;
      *device = new FakeIosPhone(p);
      ++g_fake.live_handles_;
      return 0;
    }
    return -3;  // no device
  }
  static int DeviceFree(IosDevice device) {
    delete static_cast<FakeIosPhone*>(device);
    --g_fake.live_handles_;
    return 0;
  }
  static int LockdownNew(IosDevice device, IosLockdown* client, const char* label) {
    *client = nullptr;
    const FakeIosPhone& phone = *static_cast<FakeIosPhone*>(device);
    if (!phone.accepts_handshake || std::strcmp(label, kIosClientLabel) != 0) return -5;
    *client = new FakeIosPhone(phone);
    ++g_fake.live_handles_;
    return 0;
  }
  static int LockdownFree(IosLockdown client) {
    delete static_cast<FakeIosPhone*>(client);
    --g_fake.live_handles_;
    return 0;
  }
  static int GetDeviceName(IosLockdown client, char** name) {
    const FakeIosPhone& phone = *static_cast<FakeIosPhone*>(client);
    *name = nullptr;
    if (!phone.has_name) return -12;  // missing value
    *name = NewString(phone.utf8_name);
    return 0;
  }
  static void FreeString(char* text) {
    DeleteString(text);
    ++g_fake.freed_;
  }
};

FakeIos& FakeIos::Reset(std::vector<FakeIosPhone> phones) {
  std::lock_guard<std::mutex> lock(g_fake.lock_);
  g_fake.phones_ = std::move(phones);
  g_fake.gate_closed_ = false;
  g_fake.held_ = false;
  g_fake.live_handles_ = g_fake.live_strings_ = g_fake.freed_ = 0;
  g_fake.changed_.notify_all();
  return g_fake;
}

// The scan never connects to a phone's service: no transport functions.
const IosApi* FakeIos::Table() {
  using F = FakeIosCalls;
  static const IosApi table = {F::GetDeviceList, F::DeviceListFree, F::DeviceNew,     F::DeviceFree,
                               nullptr,          nullptr,           nullptr,          nullptr,
                               F::LockdownNew,   F::LockdownFree,   F::GetDeviceName, F::FreeString,
                               nullptr};
  return &table;
}

void FakeIos::CloseGate() {
  std::lock_guard<std::mutex> lock(lock_);
  gate_closed_ = true;
  held_ = false;
}

void FakeIos::OpenGate() {
  std::lock_guard<std::mutex> lock(lock_);
  gate_closed_ = false;
  changed_.notify_all();
}

bool FakeIos::WaitUntilHeld(int timeout_ms) {
  std::unique_lock<std::mutex> lock(lock_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return held_; });
}

}  // namespace vl::test
