#include "tools/phonesim/phone_simulator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "media/stream_wire.h"
#include "tools/phonesim/annexb_frames.h"

namespace vl::phonesim {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 100;            // waits are cut in slices to notice Shutdown
constexpr int kHandshakeWaitMs = 30000;  // the PC greets at once; this only bounds a stuck PC

bool ReadFile(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string Printable(const std::string& bytes, size_t limit = 200) {
  std::string s;
  for (unsigned char c : bytes.substr(0, limit)) {
    if (c >= 0x20 && c != 0x7F) {
      s.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      s += hex;
    }
  }
  if (bytes.size() > limit) s += "...";
  return s;
}

}  // namespace

int SessionReport::heartbeats() const {
  return static_cast<int>(std::count_if(
      packets.begin(), packets.end(),
      [](const ReceivedPacket& p) { return p.packet.valid && p.packet.type == kPacketHeartbeat; }));
}

int SessionReport::events() const {
  return static_cast<int>(std::count_if(
      packets.begin(), packets.end(),
      [](const ReceivedPacket& p) { return p.packet.valid && p.packet.type == kPacketPanel; }));
}

// One connection: handshake, steps, ending; a receiver thread logs what the PC sends.
class PhoneSimulator::Session {
 public:
  Session(PhoneSimulator& sim, net::NativeSocket s) : sim_(sim), s_(s), accepted_(Clock::now()) {}
  ~Session() { StopReceiver(); }

  void Run() {
    if (!Handshake()) {
      Hold();
      return;
    }
    receiver_ = std::thread(&Session::Receive, this);
    bool open = true;
    for (const Step& step : sim_.options_.steps) {
      if (!open || sim_.shutdown_ || pc_gone_) break;
      open = Perform(step);
      sim_.Update([](SessionReport& r) { ++r.steps_done; });
    }
    if (open && sim_.options_.end == EndMode::kHold) Hold();
    StopReceiver();
  }

 private:
  double Since(Clock::time_point t) const {
    return std::chrono::duration<double>(Clock::now() - t).count();
  }
  double Now() const { return Since(handshake_done_ ? ack_time_ : accepted_); }
  void Log(const std::string& line) { sim_.Log(Now(), line); }

  bool Stopping() const { return sim_.shutdown_.load(); }

  // Reads exactly n bytes within limit_ms; false on close, error, time-out or Shutdown.
  bool ReadExact(uint8_t* out, size_t n, int limit_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(limit_ms);
    size_t done = 0;
    while (done < n) {
      if (Stopping() || Clock::now() > deadline) return false;
      const net::WaitResult w = net::WaitReadable(s_, kSliceMs);
      if (w == net::WaitResult::kTimedOut) continue;
      if (w == net::WaitResult::kFailed) return false;
      const int r = net::ReceiveSome(s_, out + done, static_cast<int>(n - done));
      if (r == net::kIoWouldBlock) continue;
      if (r <= 0) return false;
      done += static_cast<size_t>(r);
    }
    return true;
  }

  bool WriteAll(const void* data, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
      if (Stopping() || pc_gone_) return false;
      const net::WaitResult w = net::WaitWritable(s_, kSliceMs);
      if (w == net::WaitResult::kTimedOut) continue;
      if (w == net::WaitResult::kFailed) return false;
      const int chunk = static_cast<int>(std::min<size_t>(n - done, 1 << 20));
      const int r = net::SendSome(s_, p + done, chunk);
      if (r == net::kIoWouldBlock) continue;
      if (r <= 0) return false;
      done += static_cast<size_t>(r);
    }
    sim_.Update([&](SessionReport& rep) { rep.bytes_sent += static_cast<int64_t>(n); });
    return true;
  }

  bool WriteLe32(uint32_t v) {
    uint8_t b[4];
    PutLe32(b, v);
    return WriteAll(b, 4);
  }

  bool SendPacket(uint32_t type, const uint8_t* payload, int32_t length, const char* what) {
    uint8_t header[8];
    PutLe32(header, type);
    PutLe32(header + 4, static_cast<uint32_t>(length));
    const bool ok =
        WriteAll(header, 8) && (length <= 0 || WriteAll(payload, static_cast<size_t>(length)));
    if (sim_.options_.verbose || !ok) {
      Log(std::string(ok ? "sent " : "FAILED to send ") + what + " (type " + std::to_string(type) +
          ", " + std::to_string(length) + " bytes)");
    }
    return ok;
  }

  bool Handshake() {
    const Options& o = sim_.options_;
    uint8_t greeting[kStreamGreetingLength];
    if (!ReadExact(greeting, sizeof greeting, kHandshakeWaitMs)) {
      Log("no greeting from the PC");
      return false;
    }
    const std::string got(reinterpret_cast<char*>(greeting), sizeof greeting);
    const bool good = got == kStreamGreeting;
    sim_.Update([&](SessionReport& r) {
      r.greeting = got;
      r.greeting_ok = good;
      if (!good) ++r.protocol_errors;
    });
    Log("greeting from the PC: \"" + Printable(got) + "\"" + (good ? "" : " (WRONG)"));
    if (!o.answer_greeting) {
      Log("not answering the greeting (--no-greeting)");
      return false;
    }
    if (!WriteAll(o.greeting.data(), o.greeting.size())) return false;
    std::string doc = HeaderDocument(o);
    const int64_t length =
        o.override_header_length ? o.header_length : static_cast<int64_t>(doc.size());
    if (length < static_cast<int64_t>(doc.size()))
      doc.resize(static_cast<size_t>(std::max<int64_t>(0, length)));
    if (!WriteLe32(static_cast<uint32_t>(length)) || !WriteAll(doc.data(), doc.size()))
      return false;
    Log("answered \"" + Printable(o.greeting) + "\", header length " + std::to_string(length) +
        ": " + Printable(doc));
    uint8_t ack[4];
    if (!ReadExact(ack, 4, kHandshakeWaitMs)) {
      Log("no acknowledgement of the header (the PC gave up)");
      return false;
    }
    const uint32_t value = GetLe32(ack);
    ack_time_ = Clock::now();
    handshake_done_ = true;
    sim_.Update([&](SessionReport& r) {
      r.ack_received = true;
      r.ack_value = value;
      if (value != 0) ++r.protocol_errors;
    });
    Log("handshake done, acknowledgement " + std::to_string(value) + (value ? " (WRONG)" : ""));
    return true;
  }

  void Receive() {
    PacketChecker checker;
    std::vector<CheckedPacket> parsed;
    uint8_t buffer[16384];
    while (!stop_receiver_) {
      const net::WaitResult w = net::WaitReadable(s_, kSliceMs);
      if (w == net::WaitResult::kTimedOut) continue;
      const int r = w == net::WaitResult::kFailed ? net::kIoError
                                                  : net::ReceiveSome(s_, buffer, sizeof buffer);
      if (r == net::kIoWouldBlock) continue;
      if (r <= 0) {
        if (!stop_receiver_) {
          Log(r == 0 ? "the PC closed the connection" : "receive error");
          pc_gone_ = true;
          sim_.Update([](SessionReport& rep) { rep.pc_closed = true; });
        }
        break;
      }
      parsed.clear();
      checker.Feed(buffer, static_cast<size_t>(r), parsed);
      const double t = Now();
      for (CheckedPacket& p : parsed) {
        std::string line = "recv ";
        line += p.type == kPacketHeartbeat ? "heartbeat"
                : p.type == kPacketPanel   ? "event"
                                           : "packet";
        line += " (type " + std::to_string(p.type) + ", " + std::to_string(p.length) + " bytes)";
        if (p.type == kPacketPanel) line += ": " + Printable(p.payload);
        if (!p.valid) line += "  PROTOCOL ERROR: " + p.problem;
        Log(line);
        sim_.Update([&](SessionReport& rep) {
          if (!p.valid) ++rep.protocol_errors;
          rep.packets.push_back(ReceivedPacket{std::move(p), t});
        });
      }
    }
  }

  void StopReceiver() {
    stop_receiver_ = true;
    if (receiver_.joinable()) receiver_.join();
  }

  void Hold() {
    const int limit = sim_.options_.hold_ms;
    const auto start = Clock::now();
    if (!receiver_.joinable()) {
      // Before the handshake completed: drain what the PC sends until it goes away.
      uint8_t sink[4096];
      while (!Stopping()) {
        if (limit > 0 && Since(start) * 1000 >= limit) return;
        const net::WaitResult w = net::WaitReadable(s_, kSliceMs);
        if (w == net::WaitResult::kTimedOut) continue;
        const int r =
            w == net::WaitResult::kFailed ? net::kIoError : net::ReceiveSome(s_, sink, sizeof sink);
        if (r == net::kIoWouldBlock) continue;
        if (r <= 0) {
          Log("the PC closed the connection");
          sim_.Update([](SessionReport& rep) { rep.pc_closed = true; });
          return;
        }
      }
      return;
    }
    while (!Stopping() && !pc_gone_) {
      if (limit > 0 && Since(start) * 1000 >= limit) {
        Log("hold time over, closing");
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  bool SendVideo(const std::string& path) {
    const Options& o = sim_.options_;
    std::vector<uint8_t> data;
    if (!ReadFile(path, data) || data.empty()) {
      Log("cannot read video " + path);
      return true;
    }
    const std::vector<size_t> frames = FindFrameStarts(data);
    std::uniform_int_distribution<int> size(o.chunk_min, o.chunk_max);
    Log("streaming " + path + ": " + std::to_string(data.size()) + " bytes, " +
        std::to_string(frames.size()) + " pictures");
    for (int round = 0; o.loop == 0 || round < o.loop; ++round) {
      const auto start = Clock::now();
      size_t pos = 0;
      int packets = 0;
      while (pos < data.size()) {
        const size_t n = std::min<size_t>(static_cast<size_t>(size(rng_)), data.size() - pos);
        const size_t picture = static_cast<size_t>(
            std::upper_bound(frames.begin(), frames.end(), pos) - frames.begin());
        if (o.fps > 0 && picture > 0) {
          std::this_thread::sleep_until(start +
                                        std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>((picture - 1) / o.fps)));
        }
        if (!SendPacket(kPacketVideo, &data[pos], static_cast<int32_t>(n), "video")) return false;
        pos += n;
        ++packets;
      }
      Log("video round " + std::to_string(round + 1) + " sent in " + std::to_string(packets) +
          " packets");
    }
    return true;
  }

  bool SendResource(const std::string& name, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> payload(kResourceNameField, 0);
    std::copy_n(name.begin(), std::min<size_t>(name.size(), kResourceNameField), payload.begin());
    payload.insert(payload.end(), data.begin(), data.end());
    Log("sending resource \"" + Printable(name) + "\" (" + std::to_string(data.size()) + " bytes)");
    return SendPacket(kPacketResource, payload.data(), static_cast<int32_t>(payload.size()),
                      "resource");
  }

  bool SendPanel(const std::string& text) {
    Log("sending panel command (" + std::to_string(text.size()) +
        " bytes): " + Printable(text, 120));
    return SendPacket(kPacketPanel, reinterpret_cast<const uint8_t*>(text.data()),
                      static_cast<int32_t>(text.size()), "panel command");
  }

  // False when the connection is over (closed on purpose or by a failed write).
  bool Perform(const Step& step) {
    switch (step.kind) {
      case StepKind::kVideo:
        return SendVideo(step.text);
      case StepKind::kPanelFile: {
        std::vector<uint8_t> data;
        if (!ReadFile(step.text, data)) {
          Log("cannot read panel file " + step.text);
          return true;
        }
        return SendPanel(std::string(data.begin(), data.end()));
      }
      case StepKind::kPanelText:
        return SendPanel(step.text);
      case StepKind::kResourceFile: {
        std::vector<uint8_t> data;
        if (!ReadFile(step.text, data)) {
          Log("cannot read resource file " + step.text);
          return true;
        }
        return SendResource(step.name, data);
      }
      case StepKind::kResourceDir: {
        std::error_code ec;
        std::vector<std::filesystem::path> files;
        for (const auto& e : std::filesystem::directory_iterator(step.text, ec)) {
          if (e.is_regular_file()) files.push_back(e.path());
        }
        if (ec) Log("cannot list " + step.text);
        std::sort(files.begin(), files.end());
        for (const auto& f : files) {
          std::vector<uint8_t> data;
          if (ReadFile(f.string(), data) && !SendResource(f.filename().string(), data))
            return false;
        }
        return true;
      }
      case StepKind::kResourceBytes: {
        std::vector<uint8_t> data(static_cast<size_t>(step.number));
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
        return SendResource(step.name, data);
      }
      case StepKind::kPacket:
        Log("sending packet of type " + std::to_string(step.number) + " (" +
            std::to_string(step.bytes.size()) + " bytes)");
        return SendPacket(static_cast<uint32_t>(step.number), step.bytes.data(),
                          static_cast<int32_t>(step.bytes.size()), "packet");
      case StepKind::kRaw:
        Log("sending " + std::to_string(step.bytes.size()) + " raw bytes");
        return WriteAll(step.bytes.data(), step.bytes.size());
      case StepKind::kSleep:
        for (auto end = Clock::now() + std::chrono::milliseconds(step.number);
             Clock::now() < end && !Stopping() && !pc_gone_;) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
      case StepKind::kClose:
        Log("closing the connection (--close)");
        return false;
      case StepKind::kCloseMidPacket: {
        const int32_t announced = static_cast<int32_t>(step.number);
        std::vector<uint8_t> half(static_cast<size_t>(announced / 2), 0x5A);
        uint8_t header[8];
        EncodePacketHeader(kPacketVideo, announced, header);
        Log("announcing " + std::to_string(announced) + " bytes, sending " +
            std::to_string(half.size()) + ", then closing");
        WriteAll(header, 8);
        WriteAll(half.data(), half.size());
        return false;
      }
      case StepKind::kOversized: {
        uint8_t header[8];
        PutLe32(header, kPacketVideo);
        PutLe32(header + 4, static_cast<uint32_t>(step.number));
        const uint8_t some[16] = {0, 0, 0, 1, 0x65};
        Log("announcing an oversized payload of " + std::to_string(step.number) + " bytes");
        return WriteAll(header, 8) && WriteAll(some, sizeof some);
      }
      case StepKind::kGarbageTypes: {
        std::uniform_int_distribution<uint32_t> type(0, 0x1FFFF);
        std::uniform_int_distribution<int> length(-2, 2048);
        std::uniform_int_distribution<int> byte(0, 255);
        for (int64_t i = 0; i < step.number; ++i) {
          uint32_t t;
          do {
            t = type(rng_);
          } while ((t & 0xFFFF) == kPacketVideo || (t & 0xFFFF) == kPacketResource ||
                   (t & 0xFFFF) == kPacketPanel);
          const int n = length(rng_);
          std::vector<uint8_t> payload(static_cast<size_t>(std::max(0, n)));
          for (uint8_t& b : payload) b = static_cast<uint8_t>(byte(rng_));
          if (!SendPacket(t, payload.data(), n, "garbage")) return false;
        }
        Log("sent " + std::to_string(step.number) + " packets of unused types");
        return true;
      }
    }
    return true;
  }

  PhoneSimulator& sim_;
  net::NativeSocket s_;
  Clock::time_point accepted_;
  Clock::time_point ack_time_;
  bool handshake_done_ = false;
  std::thread receiver_;
  std::atomic<bool> stop_receiver_{false};
  std::atomic<bool> pc_gone_{false};
  std::mt19937 rng_{sim_.options_.seed};
};

PhoneSimulator::PhoneSimulator(Options options, std::ostream* log)
    : options_(std::move(options)), log_(log) {}

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
  Log(0, "listening on " + options_.host + ":" + std::to_string(port_));
  return true;
}

void PhoneSimulator::Log(double seconds, const std::string& line) {
  if (!log_) return;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%+10.3f s] ", seconds);
  std::lock_guard<std::mutex> lock(log_lock_);
  *log_ << stamp << line << '\n';
  log_->flush();
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
        Log(0, "no connection within the accept time-out");
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
    Log(0, "connection " + std::to_string(served + 1) + " accepted");
    {
      Session session(*this, s);
      session.Run();
    }
    current_ = net::kInvalidSocket;
    net::ShutdownAndClose(s);
    SessionReport report;
    Update([&](SessionReport& r) {
      r.finished = true;
      report = r;
    });
    Log(0, "connection " + std::to_string(served + 1) +
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
