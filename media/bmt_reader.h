// The phone stream over a DeviceConnection: the handshake, reading packets (dispatching panel
// commands and resources as they arrive), writing whole packets, and the heartbeat.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "device/device_connection.h"
#include "media/media_packet.h"
#include "media/i_resource_store.h"
#include "media/stream_header.h"
#include "media/i_stream_worker_listener.h"

namespace vl {

// Where ReadPacket delivers panel commands and resources; either may be null (dropped).
struct PacketSinks {
  IStreamWorkerListener* listener = nullptr;
  IResourceStore* resources = nullptr;
};

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
  int OnConnected() override;

  // The next packet, or null at end of stream, on a read error or time-out, or when the
  // announced length exceeds kMaxPayloadLength. A payload that arrives short gives a packet
  // without payload (length 0). Panel commands and resources are dispatched before returning.
  std::unique_ptr<MediaPacket> ReadPacket();
  // 1 when every byte of the packet (header and payload) was written as one unit.
  int SendPacket(const MediaPacket& packet);

  HeaderFlags ReverseFlags() const { return flags_; }
  // Period of the heartbeat (tests shorten it to hammer the writers); set before Connect.
  void SetHeartbeatInterval(std::chrono::milliseconds interval) { heartbeat_interval_ = interval; }

 private:
  explicit BMTReader(PacketSinks sinks);
  void RunHeartbeat();
  void StopHeartbeat();
  void Dispatch(const MediaPacket& packet);
  bool ReceiveExact(void* buffer, int32_t length);

  PacketSinks sinks_;
  HeaderFlags flags_;
  std::mutex packet_send_lock_;  // keeps each outgoing packet whole between writers
  std::thread heartbeat_;
  std::atomic<bool> heartbeat_stop_{false};
  std::chrono::milliseconds heartbeat_interval_ = kHeartbeatInterval;
};

}  // namespace vl
