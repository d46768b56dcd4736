// The phone's side of the stream protocol over real TCP: listens, serves connections one
// after the other as its Options say, and records what the PC sent. Usable in-process by
// tests (Start/WaitFor/Shutdown) and by the phonesim program (Serve).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "device/socket_layer.h"
#include "tools/phonesim/phone_session.h"
#include "tools/phonesim/session_report.h"
#include "tools/phonesim/phonesim_options.h"

namespace vl::phonesim {

class PhoneSimulator : private SessionHost {
 public:
  // log: where the time-stamped log goes (may be null).
  PhoneSimulator(Options options, std::ostream* log);
  ~PhoneSimulator() override;
  PhoneSimulator(const PhoneSimulator&) = delete;
  PhoneSimulator& operator=(const PhoneSimulator&) = delete;

  bool Listen(std::string& error);
  uint16_t port() const { return port_; }

  // Serves Options::connections connections; returns the exit status (see --help).
  int Serve();
  // Serve on a background thread / wait for it.
  void Start();
  int Join();
  // Stops accepting and ends the current connection.
  void Shutdown();

  std::vector<SessionReport> Reports() const;
  // Waits until pred holds for the newest session (or the time-out passes).
  bool WaitFor(const std::function<bool(const SessionReport&)>& pred,
               std::chrono::milliseconds timeout) const;

 private:
  const Options& options() const override { return options_; }
  bool Stopping() const override { return shutdown_.load(); }
  void Log(double seconds, const std::string& line) override;
  void Update(const std::function<void(SessionReport&)>& change) override;
  void LogSent(const std::string& line) override;

  Options options_;
  std::ostream* log_;
  std::mutex log_lock_;
  std::ofstream send_log_;  // under log_lock_
  net::SocketLibrary sockets_;
  net::NativeSocket listener_ = net::kInvalidSocket;
  uint16_t port_ = 0;
  std::atomic<bool> shutdown_{false};
  std::atomic<net::NativeSocket> current_{net::kInvalidSocket};
  std::thread serve_thread_;
  int exit_status_ = 0;

  mutable std::mutex report_lock_;
  mutable std::condition_variable report_changed_;
  std::vector<SessionReport> reports_;
};

}  // namespace vl::phonesim
