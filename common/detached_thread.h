// The one way the program starts a thread it never joins (the scan, the panel's event sender,
// the configuration fetch, the update download): whatever the thread uses, it owns or shares.
#pragma once

#include <functional>
#include <system_error>
#include <thread>

namespace vl {

// Starts `body` on a new thread and says whether the thread started. Tests pass their own to
// run the body in place, hold it, or refuse.
using ThreadStarter = std::function<bool(std::function<void()> body)>;

// Detaches a new std::thread running `body`; false when the system refuses a thread.
inline bool StartDetachedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace vl
