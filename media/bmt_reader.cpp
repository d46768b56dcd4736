#include "media/bmt_reader.h"

#include "media/stream_wire.h"

namespace vl {
namespace {

std::mutex g_current_lock;
std::weak_ptr<BMTReader> g_current;

}  // namespace

std::shared_ptr<BMTReader> BMTReader::Create(PacketSinks sinks) {
  std::shared_ptr<BMTReader> reader(new BMTReader(sinks));
  std::lock_guard<std::mutex> lock(g_current_lock);
  g_current = reader;
  return reader;
}

std::shared_ptr<BMTReader> BMTReader::Current() {
  std::lock_guard<std::mutex> lock(g_current_lock);
  return g_current.lock();
}

BMTReader::BMTReader(PacketSinks sinks) : sinks_(sinks) {}

BMTReader::~BMTReader() {
  // A weak reference to a dying reader already reads as empty; nothing to clear.
  Close();
  StopHeartbeat();
}

void BMTReader::Close() {
  {
    std::lock_guard<std::mutex> lock(heartbeat_lock_);
    heartbeat_stop_ = true;
  }
  heartbeat_wake_.notify_all();
  DeviceConnection::Close();
}

void BMTReader::StopHeartbeat() {
  {
    std::lock_guard<std::mutex> lock(heartbeat_lock_);
    heartbeat_stop_ = true;
  }
  heartbeat_wake_.notify_all();
  if (heartbeat_.joinable()) heartbeat_.join();
}

int BMTReader::OnConnected() {
  handshake_complete_ = false;
  {
    std::lock_guard<std::mutex> lock(packet_send_lock_);
    if (Send(kStreamGreeting, kStreamGreetingLength) != kStreamGreetingLength) return 0;
  }
  HeaderFlags flags;
  if (!ReadHandshakeReply(incoming_, &flags)) return 0;
  flags_ = flags;
  {
    uint8_t ack[4];
    PutLe32(ack, 0);
    std::lock_guard<std::mutex> lock(packet_send_lock_);
    if (Send(ack, 4) != 4) return 0;
    handshake_complete_ = true;
  }
  StopHeartbeat();
  heartbeat_stop_ = false;
  heartbeat_ = std::thread(&BMTReader::RunHeartbeat, this);
  return 1;
}

void BMTReader::RunHeartbeat() {
  // Sleeps until each beat is due instead of waking every 10 ms to count (each wake-up is a
  // round trip to the Wine server); Close wakes it, so it still ends at once. Beats follow the
  // clock. The connected flag is set by Connect only after this handshake returns: a beat due
  // before it is skipped.
  using Clock = std::chrono::steady_clock;
  MediaPacket heartbeat;
  heartbeat.type = kPacketHeartbeat;
  Clock::time_point next = Clock::now() + heartbeat_interval_;
  std::unique_lock<std::mutex> lock(heartbeat_lock_);
  while (!heartbeat_wake_.wait_until(lock, next, [this] { return heartbeat_stop_.load(); })) {
    lock.unlock();
    if (IsConnected()) SendPacket(heartbeat);  // a failed write is ignored
    const Clock::time_point now = Clock::now();
    next += heartbeat_interval_;
    if (next < now) next = now + heartbeat_interval_;  // after a long stall, no burst
    lock.lock();
  }
}

std::unique_ptr<MediaPacket> BMTReader::ReadPacket() {
  return ReadStreamPacket(incoming_, sinks_);
}

int BMTReader::SendPacket(const MediaPacket& packet) {
  // A packet announcing a payload it lacks would put the stream out of step.
  if (packet.length > 0 && !packet.payload) return 0;
  uint8_t header[8];
  EncodePacketHeader(packet.type, packet.length, header);
  std::lock_guard<std::mutex> lock(packet_send_lock_);
  if (!handshake_complete_) return 0;
  if (Send(header, 8) != 8) return 0;
  if (packet.length > 0 && Send(packet.payload.get(), packet.length) != packet.length) return 0;
  return 1;
}

}  // namespace vl
