#include "panel/event_outbox.h"

#include <system_error>
#include <thread>

#include "media/bmt_reader.h"

namespace vl {

bool StartDetachedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

std::shared_ptr<EventOutbox> EventOutbox::Create() {
  std::shared_ptr<EventOutbox> outbox(new EventOutbox());
  outbox->starter_ = &StartDetachedThread;
  return outbox;
}

void EventOutbox::SetThreadStarter(ThreadStarter starter) {
  std::lock_guard<std::mutex> lock(lock_);
  starter_ = std::move(starter);
}

void EventOutbox::Queue(std::unique_ptr<MediaPacket> packet) {
  std::lock_guard<std::mutex> lock(lock_);
  queue_.push_back(std::move(packet));
  while (queue_.size() > kMaxQueued) queue_.pop_front();
  if (!sending_) StartSenderLocked();
}

void EventOutbox::Flush() {
  std::lock_guard<std::mutex> lock(lock_);
  if (!sending_ && !queue_.empty()) StartSenderLocked();
}

void EventOutbox::StartSenderLocked() {
  sending_ = true;
  std::shared_ptr<EventOutbox> self = shared_from_this();
  bool started = false;
  try {
    started = starter_ && starter_([self] { self->RunSender(); });
  } catch (...) {
    started = false;
  }
  // Without a sender nobody would ever clear the flag, and no later event would go out.
  if (!started) sending_ = false;
}

void EventOutbox::RunSender() {
  for (;;) {
    // The reader is held for the write: a run ending meanwhile cannot free it under us.
    std::shared_ptr<BMTReader> reader = BMTReader::Current();
    std::unique_ptr<MediaPacket> packet;
    {
      std::lock_guard<std::mutex> lock(lock_);
      // Before the handshake completes a write would land inside it (or fail and lose the
      // event): keep the events for the next connection.
      if (!reader || !reader->IsConnected() || queue_.empty()) {
        sending_ = false;
        return;
      }
      packet = std::move(queue_.front());
      queue_.pop_front();
    }
    reader->SendPacket(*packet);  // a failed write drops the event; there is no retry
  }
}

size_t EventOutbox::pending() const {
  std::lock_guard<std::mutex> lock(lock_);
  return queue_.size();
}

bool EventOutbox::sending() const {
  std::lock_guard<std::mutex> lock(lock_);
  return sending_;
}

}  // namespace vl
