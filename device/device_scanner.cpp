#include "device/device_scanner.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "device/adb_bridge.h"
#include "device/ios_device_list.h"
#include "device/process_runner.h"

namespace vl {
namespace {
std::atomic<int> g_running_threads{0};
}  // namespace

// Everything a scan thread touches: owned jointly by the scanner and its running scan, so the
// scanner may go away while a scan is still waiting for adb.
struct DeviceScanner::Shared {
  bool default_ios = true;
  const IosApi* ios = nullptr;
  mutable std::mutex lock;  // guards entries and handler
  std::vector<DeviceEntry> entries;
  ResultHandler handler;
  std::atomic<bool> running{false};
  std::atomic<bool> adb_missing{false};
  bool again = false;                  // under lock: a scan was asked for during this one
  std::atomic<bool> abandoned{false};  // the scanner is gone: deliver nothing

  void Append(DeviceEntry entry) {
    std::lock_guard<std::mutex> guard(lock);
    entries.push_back(std::move(entry));
  }
};

DeviceScanner::DeviceScanner() : shared_(std::make_shared<Shared>()) {}

DeviceScanner::DeviceScanner(const IosApi* ios) : shared_(std::make_shared<Shared>()) {
  shared_->default_ios = false;
  shared_->ios = ios;
}

DeviceScanner::~DeviceScanner() {
  shared_->abandoned = true;
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->handler = nullptr;
}

void DeviceScanner::SetResultHandler(ResultHandler handler) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->handler = std::move(handler);
}

bool DeviceScanner::StartScan() {
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    if (shared_->running) {
      shared_->again = true;
      return false;
    }
    shared_->running = true;
  }
  ++g_running_threads;
  try {
    std::thread(&DeviceScanner::Scan, shared_).detach();
  } catch (const std::system_error&) {
    --g_running_threads;
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->running = false;
    return false;
  }
  return true;
}

bool DeviceScanner::IsScanning() const {
  return shared_->running.load();
}

std::vector<DeviceEntry> DeviceScanner::GetEntries() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->entries;
}

bool DeviceScanner::AdbMissing() const {
  return shared_->adb_missing.load();
}

int DeviceScanner::RunningScanThreads() {
  return g_running_threads.load();
}

void DeviceScanner::Scan(std::shared_ptr<Shared> shared) {
  for (;;) {
    ScanOnce(*shared);
    // A request that came while this scan ran gets a scan of its own; the decision and the end
    // of the run are one step under the lock, so no request falls between them.
    std::lock_guard<std::mutex> guard(shared->lock);
    if (!shared->again || shared->abandoned) {
      shared->again = false;
      shared->running = false;
      break;
    }
    shared->again = false;
  }
  --g_running_threads;
}

void DeviceScanner::ScanOnce(Shared& s) {
  Shared* shared = &s;
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->entries.clear();
  }
  const IosApi* ios = shared->default_ios ? GetIosApi() : shared->ios;
  ListIphones(ios, [&](DeviceEntry entry) { shared->Append(std::move(entry)); });

  {
    ProcessRunner runner;
    std::vector<std::string> serials;
    // adb that cannot start lists nothing; the main window tells the user once.
    shared->adb_missing = !AdbListDevices(runner, serials);
    for (const std::string& serial : serials) {
      DeviceEntry entry;
      AdbGetDeviceInfo(runner, serial, entry);
      shared->Append(std::move(entry));
    }
  }

  std::vector<DeviceEntry> result;
  ResultHandler handler;
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    result = shared->entries;
    handler = shared->handler;
  }
  // No lock is held while the handler runs: the main window reads GetEntries meanwhile.
  if (handler && !shared->abandoned) handler(result);
}

}  // namespace vl
