#include "media/bmt_reader.h"

#include "media/stream_wire.h"

namespace vl {
namespace {

std::mutex g_current_lock;
std::weak_ptr<BMTReader> g_current;

constexpr std::chrono::milliseconds kHeartbeatTick{10};

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
  heartbeat_stop_ = true;
  DeviceConnection::Close();
}

void BMTReader::StopHeartbeat() {
  heartbeat_stop_ = true;
  if (heartbeat_.joinable()) heartbeat_.join();
}

int BMTReader::OnConnected() {
  handshake_complete_ = false;
  {
    std::lock_guard<std::mutex> lock(packet_send_lock_);
    if (Send(kStreamGreeting, kStreamGreetingLength) != kStreamGreetingLength) return 0;
  }
  HeaderFlags flags;
  if (!ReadHandshakeReply(*this, &flags)) return 0;
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
  // The connected flag is set by Connect only after this handshake returns, so the loop waits
  // for it to appear before treating "not connected" as the end. Beats follow the clock, not a
  // count of 10 ms sleeps, which Windows' timer stretches to about 15.6 ms each.
  using Clock = std::chrono::steady_clock;
  bool seen_connected = false;
  Clock::time_point next = Clock::now() + heartbeat_interval_;
  MediaPacket heartbeat;
  heartbeat.type = kPacketHeartbeat;
  while (!heartbeat_stop_) {
    std::this_thread::sleep_for(kHeartbeatTick);
    if (IsConnected()) {
      seen_connected = true;
    } else if (seen_connected) {
      break;
    }
    const Clock::time_point now = Clock::now();
    if (now >= next) {
      SendPacket(heartbeat);  // a failed write is ignored
      next += heartbeat_interval_;
      if (next < now) next = now + heartbeat_interval_;  // after a long stall, no burst
    }
  }
}

std::unique_ptr<MediaPacket> BMTReader::ReadPacket() {
  return ReadStreamPacket(*this, sinks_);
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
