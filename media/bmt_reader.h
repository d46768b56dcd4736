// The phone stream over a DeviceConnection: the handshake, reading packets (dispatching panel
// commands and resources as they arrive), writing whole packets, and the heartbeat.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "device/device_connection.h"
#include "media/buffered_byte_source.h"
#include "media/media_packet.h"
#include "media/packet_reader.h"
#include "media/stream_header.h"

namespace vl {

class BMTReader : public DeviceConnection {
 public:
  static constexpr std::chrono::milliseconds kHeartbeatInterval{2000};

  // Builds a reader and makes it the process's current reader.
  static std::shared_ptr<BMTReader> Create(PacketSinks sinks = {});
  // The newest reader while it lives. Holding the returned pointer keeps the reader alive
  // during a write from another thread (the panel's event sender).
  static std::shared_ptr<BMTReader> Current();

  ~BMTReader() override;

  void Close() override;
  // The handshake: greeting, header document, acknowledgement, then the heartbeat starts.
  // Our two writes hold the send lock like any packet.
  int OnConnected() override;

  // The next packet (see ReadStreamPacket): null at the end of the stream, on an error or
  // time-out, or for a length beyond its type's bound.
  std::unique_ptr<MediaPacket> ReadPacket();
  // 1 when every byte of the packet (header and payload) was written as one unit. 0 before
  // the handshake has been acknowledged: nothing may come between greeting and acknowledgement.
  int SendPacket(const MediaPacket& packet);

  HeaderFlags ReverseFlags() const { return flags_; }
  // Period of the heartbeat (tests shorten it to hammer the writers); set before Connect.
  void SetHeartbeatInterval(std::chrono::milliseconds interval) { heartbeat_interval_ = interval; }

 private:
  explicit BMTReader(PacketSinks sinks);
  void RunHeartbeat();
  void StopHeartbeat();

  PacketSinks sinks_;
  HeaderFlags flags_;
  BufferedByteSource incoming_{*this};  // every read of the stream goes through it
  std::mutex packet_send_lock_;         // keeps each outgoing packet whole between writers
  // Set under packet_send_lock_ once the acknowledgement is written.
  std::atomic<bool> handshake_complete_{false};
  std::thread heartbeat_;
  std::atomic<bool> heartbeat_stop_{false};
  // The heartbeat sleeps until its next beat; Close wakes it at once.
  std::mutex heartbeat_lock_;
  std::condition_variable heartbeat_wake_;
  std::chrono::milliseconds heartbeat_interval_ = kHeartbeatInterval;
};

}  // namespace vl
