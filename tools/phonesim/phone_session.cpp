#include "tools/phonesim/phone_session.h"

#include <algorithm>
#include <cstdio>

#include "media/stream_wire.h"

namespace vl::phonesim {
namespace {

constexpr int kSliceMs = 100;            // waits are cut in slices to notice Shutdown
constexpr int kHandshakeWaitMs = 30000;  // the PC greets at once; this only bounds a stuck PC

}  // namespace

std::string Printable(const std::string& bytes, size_t limit) {
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

PhoneSession::PhoneSession(SessionHost& host, net::NativeSocket socket)
    : host_(host), s_(socket), accepted_(Clock::now()), rng_(host.options().seed) {}

PhoneSession::~PhoneSession() {
  StopChurn();
  StopReceiver();
}

double PhoneSession::Since(Clock::time_point t) const {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Reads exactly n bytes within limit_ms; false on close, error, time-out or Shutdown.
bool PhoneSession::ReadExact(uint8_t* out, size_t n, int limit_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(limit_ms);
  size_t done = 0;
  while (done < n) {
    if (host_.Stopping() || Clock::now() > deadline) return false;
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

bool PhoneSession::WriteAll(const void* data, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < n) {
    if (host_.Stopping() || pc_gone_) return false;
    const net::WaitResult w = net::WaitWritable(s_, kSliceMs);
    if (w == net::WaitResult::kTimedOut) continue;
    if (w == net::WaitResult::kFailed) return false;
    const int chunk = static_cast<int>(std::min<size_t>(n - done, 1 << 20));
    const int r = net::SendSome(s_, p + done, chunk);
    if (r == net::kIoWouldBlock) continue;
    if (r <= 0) return false;
    done += static_cast<size_t>(r);
  }
  host_.Update([&](SessionReport& rep) { rep.bytes_sent += static_cast<int64_t>(n); });
  return true;
}

bool PhoneSession::WriteLe32(uint32_t v) {
  uint8_t b[4];
  PutLe32(b, v);
  return WriteAll(b, 4);
}

bool PhoneSession::SendPacket(uint32_t type, const uint8_t* payload, int32_t length,
                              const char* what) {
  uint8_t header[8];
  PutLe32(header, type);
  PutLe32(header + 4, static_cast<uint32_t>(length));
  bool ok;
  {
    std::lock_guard<std::mutex> lock(send_lock_);
    ok = WriteAll(header, 8) && (length <= 0 || WriteAll(payload, static_cast<size_t>(length)));
  }
  if (host_.options().verbose || !ok) {
    Log(std::string(ok ? "sent " : "FAILED to send ") + what + " (type " + std::to_string(type) +
        ", " + std::to_string(length) + " bytes)");
  }
  return ok;
}

bool PhoneSession::Handshake() {
  const Options& o = host_.options();
  uint8_t greeting[kStreamGreetingLength];
  if (!ReadExact(greeting, sizeof greeting, kHandshakeWaitMs)) {
    Log("no greeting from the PC");
    return false;
  }
  const std::string got(reinterpret_cast<char*>(greeting), sizeof greeting);
  const bool good = got == kStreamGreeting;
  host_.Update([&](SessionReport& r) {
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
  if (!WriteLe32(static_cast<uint32_t>(length)) || !WriteAll(doc.data(), doc.size())) return false;
  Log("answered \"" + Printable(o.greeting) + "\", header length " + std::to_string(length) + ": " +
      Printable(doc));
  uint8_t ack[4];
  if (!ReadExact(ack, 4, kHandshakeWaitMs)) {
    Log("no acknowledgement of the header (the PC gave up)");
    return false;
  }
  const uint32_t value = GetLe32(ack);
  ack_time_ = Clock::now();
  handshake_done_ = true;
  host_.Update([&](SessionReport& r) {
    r.ack_received = true;
    r.ack_value = value;
    if (value != 0) ++r.protocol_errors;
  });
  Log("handshake done, acknowledgement " + std::to_string(value) + (value ? " (WRONG)" : ""));
  return true;
}

void PhoneSession::Receive() {
  PacketChecker checker;
  std::vector<CheckedPacket> parsed;
  uint8_t buffer[16384];
  while (!stop_receiver_) {
    const net::WaitResult w = net::WaitReadable(s_, kSliceMs);
    if (w == net::WaitResult::kTimedOut) continue;
    const int r =
        w == net::WaitResult::kFailed ? net::kIoError : net::ReceiveSome(s_, buffer, sizeof buffer);
    if (r == net::kIoWouldBlock) continue;
    if (r <= 0) {
      if (!stop_receiver_) {
        Log(r == 0 ? "the PC closed the connection" : "receive error");
        pc_gone_ = true;
        host_.Update([](SessionReport& rep) { rep.pc_closed = true; });
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
      std::string reply;
      const bool answer = p.valid && p.type == kPacketPanel &&
                          ReactionReply(host_.options().reactions, p.payload, reply);
      host_.Update([&](SessionReport& rep) {
        if (!p.valid) ++rep.protocol_errors;
        rep.packets.push_back(ReceivedPacket{std::move(p), t});
      });
      if (answer) SendPanel(reply);
    }
  }
}

void PhoneSession::StopReceiver() {
  stop_receiver_ = true;
  if (receiver_.joinable()) receiver_.join();
}

void PhoneSession::Hold() {
  const int limit = host_.options().hold_ms;
  const auto start = Clock::now();
  if (!receiver_.joinable()) {
    // Before the handshake completed: drain what the PC sends until it goes away.
    uint8_t sink[4096];
    while (!host_.Stopping()) {
      if (limit > 0 && Since(start) * 1000 >= limit) return;
      const net::WaitResult w = net::WaitReadable(s_, kSliceMs);
      if (w == net::WaitResult::kTimedOut) continue;
      const int r =
          w == net::WaitResult::kFailed ? net::kIoError : net::ReceiveSome(s_, sink, sizeof sink);
      if (r == net::kIoWouldBlock) continue;
      if (r <= 0) {
        Log("the PC closed the connection");
        host_.Update([](SessionReport& rep) { rep.pc_closed = true; });
        return;
      }
    }
    return;
  }
  while (!host_.Stopping() && !pc_gone_) {
    if (limit > 0 && Since(start) * 1000 >= limit) {
      Log("hold time over, closing");
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void PhoneSession::Run() {
  if (!Handshake()) {
    Hold();
    return;
  }
  receiver_ = std::thread(&PhoneSession::Receive, this);
  bool open = true;
  for (const Step& step : host_.options().steps) {
    if (!open || host_.Stopping() || pc_gone_) break;
    open = Perform(step);
    host_.Update([](SessionReport& r) { ++r.steps_done; });
  }
  if (open && host_.options().end == EndMode::kHold) Hold();
  StopChurn();
  StopReceiver();
}

}  // namespace vl::phonesim
