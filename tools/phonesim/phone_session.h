// One connection of the phone simulator: the handshake, the steps in order, the ending, and a
// receiver thread that checks and logs what the PC sends meanwhile.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "device/socket_layer.h"
#include "tools/phonesim/phonesim_options.h"
#include "tools/phonesim/session_report.h"

namespace vl::phonesim {

// What a session needs from the simulator that runs it.
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  virtual const Options& options() const = 0;
  virtual bool Stopping() const = 0;
  virtual void Log(double seconds, const std::string& line) = 0;
  // Applies a change to this connection's report (under the host's lock).
  virtual void Update(const std::function<void(SessionReport&)>& change) = 0;
  // One line of the send-time log (--send-log); ignored without one.
  virtual void LogSent(const std::string& line) = 0;
};

class PhoneSession {
 public:
  // The socket is non-blocking and stays owned by the caller.
  PhoneSession(SessionHost& host, net::NativeSocket socket);
  ~PhoneSession();
  PhoneSession(const PhoneSession&) = delete;
  PhoneSession& operator=(const PhoneSession&) = delete;

  void Run();

 private:
  using Clock = std::chrono::steady_clock;

  double Since(Clock::time_point t) const;
  double Now() const { return Since(handshake_done_ ? ack_time_ : accepted_); }
  void Log(const std::string& line) { host_.Log(Now(), line); }

  // Connection I/O and handshake (phone_session.cpp).
  bool ReadExact(uint8_t* out, size_t n, int limit_ms);
  bool WriteAll(const void* data, size_t n);
  bool WriteLe32(uint32_t v);
  bool SendPacket(uint32_t type, const uint8_t* payload, int32_t length, const char* what);
  bool Handshake();
  void Receive();
  void StopReceiver();
  void Hold();

  // Steps (phone_session_steps.cpp); false when the connection is over.
  bool Perform(const Step& step);
  bool SendVideo(const std::string& path);
  bool SendResource(const std::string& name, const std::vector<uint8_t>& data);
  bool SendPanel(const std::string& text);
  bool StartChurn(const std::string& path, int64_t period_ms);
  // Sends the packets in turn, one every period, alongside the following steps.
  void StartChurnOf(std::vector<std::pair<uint32_t, std::vector<uint8_t>>> packets,
                    int64_t period_ms, const char* what);
  void StopChurn();

  SessionHost& host_;
  net::NativeSocket s_;
  Clock::time_point accepted_;
  Clock::time_point ack_time_;
  bool handshake_done_ = false;
  std::thread receiver_;
  std::thread churn_;
  std::atomic<bool> stop_churn_{false};
  std::atomic<bool> stop_receiver_{false};
  std::atomic<bool> pc_gone_{false};
  std::mutex send_lock_;  // packets from the steps and from answers to events stay whole
  std::mt19937 rng_;
};

// Bytes as a log line shows them: printable ASCII kept, the rest as \xNN, cut at limit.
std::string Printable(const std::string& bytes, size_t limit = 200);

}  // namespace vl::phonesim
