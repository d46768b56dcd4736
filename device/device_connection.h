// The one byte stream between the PC and the phone application: TCP to a port that adb
// forwards to an Android phone, or a service connection to an iPhone (IosApi).
// Blocking, time-limited Send and Receive of exact byte counts; the handshake is the derived
// class's OnConnected.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "device/i_byte_source.h"
#include "device/ios_api.h"
#include "device/socket_layer.h"

namespace vl {

class DeviceConnection : public IByteSource {
 public:
  // Every wait for the phone (connect, each receive or send chunk) is bounded by this.
  static constexpr int kWaitMs = 10000;
  static constexpr int32_t kForwardPort = 8984;

  DeviceConnection();
  virtual ~DeviceConnection();
  DeviceConnection(const DeviceConnection&) = delete;
  DeviceConnection& operator=(const DeviceConnection&) = delete;

  // 1 when the transport is open and OnConnected succeeded, else 0. Only the low 16 bits of
  // port are used. Handles opened before a failing step stay held until Close.
  virtual int Connect(int32_t kind, std::string identifier, int32_t port);
  virtual void Close();
  // Wakes a thread blocked in Receive or Send (the owner is ending the run from another
  // thread): the transport's socket is shut down, not released, so every later Receive and
  // Send fails at once and Close still releases everything. Waits while Connect is opening
  // the transport.
  void Interrupt();
  // The protocol's handshake; 1 on success.
  virtual int OnConnected() = 0;
  // The table iPhones are reached through (default: the process's, GetIosApi()); set before
  // Connect.
  void SetIosApi(const IosApi* ios) { chosen_ios_ = ios; }

  // Both return length when every byte moved; any other value is a failure (see the .cpp for
  // what was consumed). Length below 1, or no open transport: 0.
  int32_t Send(const void* buffer, int32_t length);
  int32_t Receive(void* buffer, int32_t length) override;
  int32_t ReceiveSome(void* buffer, int32_t capacity) override;

  bool IsConnected() const { return connected_.load() != 0; }
  int32_t kind() const { return kind_; }

 private:
  int ConnectIos(const std::string& udid, uint16_t port);
  int ConnectAndroid(const std::string& serial, uint16_t port);
  void ReleaseAll();  // under the state lock
  // `some`: return after the first bytes instead of waiting for all of them.
  int32_t ReceiveIos(char* buffer, int32_t length, bool some);
  int32_t ReceiveAndroid(char* buffer, int32_t length, bool some);
  int32_t SendIos(const char* buffer, int32_t length);
  int32_t SendAndroid(const char* buffer, int32_t length);

  std::atomic<int32_t> kind_{-1};
  const IosApi* chosen_ios_ = nullptr;
  const IosApi* ios_ = nullptr;  // the library table used for the handles below
  IosDevice device_ = nullptr;
  IosConnection connection_ = nullptr;
  IosLockdown lockdown_ = nullptr;
  std::atomic<net::NativeSocket> socket_{net::kInvalidSocket};
  std::atomic<int32_t> connected_{0};
  std::atomic<bool> interrupted_{false};
  std::mutex state_lock_;
  std::mutex send_lock_;
  std::mutex receive_lock_;
};

}  // namespace vl
