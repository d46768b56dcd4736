#include "tools/phonesim/phone_simulator.h"

#include <cstdio>
#include <fstream>

namespace vl::phonesim {
namespace {

constexpr int kSliceMs = 100;   // accept waits are cut in slices to notice Shutdown
constexpr double kNoTime = -1;  // lines about the simulator itself carry no time stamp

}  // namespace

PhoneSimulator::PhoneSimulator(Options options, std::ostream* log)
    : options_(std::move(options)), log_(log) {
  if (!options_.send_log_path.empty()) send_log_.open(options_.send_log_path, std::ios::app);
}

PhoneSimulator::~PhoneSimulator() {
  Shutdown();
  if (serve_thread_.joinable()) serve_thread_.join();
  net::ShutdownAndClose(listener_);
}

bool PhoneSimulator::Listen(std::string& error) {
  if (!sockets_.ok()) {
    error = "socket library unavailable";
    return false;
  }
  listener_ =
      net::OpenListener(options_.host.c_str(), static_cast<uint16_t>(options_.port), &port_);
  if (listener_ == net::kInvalidSocket) {
    error = "cannot listen on " + options_.host + ":" + std::to_string(options_.port);
    return false;
  }
  if (!options_.port_file.empty()) {
    std::ofstream(options_.port_file) << port_ << "\n";
  }
  Log(kNoTime, "listening on " + options_.host + ":" + std::to_string(port_));
  return true;
}

void PhoneSimulator::Log(double seconds, const std::string& line) {
  if (!log_) return;
  char stamp[32] = "[              ] ";
  if (seconds >= 0) std::snprintf(stamp, sizeof stamp, "[%+10.3f s] ", seconds);
  std::lock_guard<std::mutex> lock(log_lock_);
  *log_ << stamp << line << '\n';
  log_->flush();
}

void PhoneSimulator::LogSent(const std::string& line) {
  std::lock_guard<std::mutex> lock(log_lock_);
  if (send_log_) send_log_ << line << std::endl;  // readable while the run goes on
}

void PhoneSimulator::Update(const std::function<void(SessionReport&)>& change) {
  {
    std::lock_guard<std::mutex> lock(report_lock_);
    if (reports_.empty()) return;
    change(reports_.back());
  }
  report_changed_.notify_all();
}

int PhoneSimulator::Serve() {
  int status = 0;
  for (int served = 0; !shutdown_ && (options_.connections == 0 || served < options_.connections);
       ++served) {
    net::NativeSocket s = net::kInvalidSocket;
    const auto start = std::chrono::steady_clock::now();
    while (!shutdown_ && s == net::kInvalidSocket) {
      s = net::AcceptConnection(listener_, kSliceMs);
      const auto waited = std::chrono::steady_clock::now() - start;
      if (s == net::kInvalidSocket && options_.accept_timeout_ms > 0 &&
          waited > std::chrono::milliseconds(options_.accept_timeout_ms)) {
        Log(kNoTime, "no connection within the accept time-out");
        return 1;
      }
    }
    if (s == net::kInvalidSocket) break;
    net::SetNonBlocking(s);
    {
      std::lock_guard<std::mutex> lock(report_lock_);
      reports_.emplace_back();
    }
    report_changed_.notify_all();
    current_ = s;
    Log(kNoTime, "connection " + std::to_string(served + 1) + " accepted");
    {
      PhoneSession session(*this, s);
      session.Run();
    }
    current_ = net::kInvalidSocket;
    net::ShutdownAndClose(s);
    SessionReport report;
    Update([&](SessionReport& r) {
      r.finished = true;
      report = r;
    });
    Log(kNoTime, "connection " + std::to_string(served + 1) +
                     " over: " + std::to_string(report.heartbeats()) + " heartbeats, " +
                     std::to_string(report.events()) + " events, " +
                     std::to_string(report.protocol_errors) + " protocol errors");
    if (report.protocol_errors > 0) status = 2;
  }
  return status;
}

void PhoneSimulator::Start() {
  serve_thread_ = std::thread([this] { exit_status_ = Serve(); });
}

int PhoneSimulator::Join() {
  if (serve_thread_.joinable()) serve_thread_.join();
  return exit_status_;
}

void PhoneSimulator::Shutdown() {
  shutdown_ = true;
  net::ShutdownBoth(current_.load());
}

std::vector<SessionReport> PhoneSimulator::Reports() const {
  std::lock_guard<std::mutex> lock(report_lock_);
  return reports_;
}

bool PhoneSimulator::WaitFor(const std::function<bool(const SessionReport&)>& pred,
                             std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(report_lock_);
  return report_changed_.wait_for(lock, timeout,
                                  [&] { return !reports_.empty() && pred(reports_.back()); });
}

}  // namespace vl::phonesim
