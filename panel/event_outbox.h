// The events waiting for the phone, and the short-lived sender thread that writes them as
// type-4 packets through the current reader, oldest first.
//
// Events are written only while the current reader has completed its handshake; otherwise they
// stay queued until the next connection (the main window calls Flush when one is made). At most
// one sender runs at a time. The sender shares ownership of the outbox, so it never outlives
// the queue it reads, even when the panel manager goes away first.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "media/media_packet.h"

namespace vl {

class EventOutbox : public std::enable_shared_from_this<EventOutbox> {
 public:
  // Events kept while no connection takes them (hours of clicks on an unplugged phone's
  // panel); past it the oldest are dropped, as the phone would not act on them any more.
  static constexpr size_t kMaxQueued = 1024;

  // Runs the sender's body on a new thread that nobody joins; false when no thread could start.
  using ThreadStarter = std::function<bool(std::function<void()>)>;

  static std::shared_ptr<EventOutbox> Create();
  // Tests replace how threads start (to fail, or to run the body at a moment of their choice).
  void SetThreadStarter(ThreadStarter starter);

  // Appends the packet (dropping the oldest past kMaxQueued) and starts a sender when none runs.
  void Queue(std::unique_ptr<MediaPacket> packet);
  // Starts a sender when events wait and none runs: after a connection was made.
  void Flush();

  size_t pending() const;
  bool sending() const;

 private:
  EventOutbox() = default;
  // Under lock_: sets the flag and starts a sender; clears the flag again when none starts.
  void StartSenderLocked();
  void RunSender();

  mutable std::mutex lock_;
  std::deque<std::unique_ptr<MediaPacket>> queue_;
  bool sending_ = false;
  ThreadStarter starter_;
};

// Detaches a new std::thread running `body`; false when the system refuses a thread.
bool StartDetachedThread(std::function<void()> body);

}  // namespace vl
