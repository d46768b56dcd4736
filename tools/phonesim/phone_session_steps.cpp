// The steps a session performs: video, panel commands, resources, raw packets, misbehaviour.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "media/stream_wire.h"
#include "tools/phonesim/annexb_frames.h"
#include "tools/phonesim/phone_session.h"

namespace vl::phonesim {
namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

bool PhoneSession::SendVideo(const std::string& path) {
  const Options& o = host_.options();
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
    size_t next_end = 0;  // the picture whose last byte is sent next
    while (pos < data.size()) {
      const size_t picture =
          static_cast<size_t>(std::upper_bound(frames.begin(), frames.end(), pos) - frames.begin());
      // A whole picture: up to the next picture's start (or the end).
      const size_t n = o.chunk_pictures && picture < frames.size() ? frames[picture] - pos
                       : o.chunk_pictures
                           ? data.size() - pos
                           : std::min<size_t>(static_cast<size_t>(size(rng_)), data.size() - pos);
      if (o.fps > 0 && picture > 0) {
        std::this_thread::sleep_until(start +
                                      std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>((picture - 1) / o.fps)));
      }
      if (!SendPacket(kPacketVideo, &data[pos], static_cast<int32_t>(n), "video")) return false;
      pos += n;
      ++packets;
      // Every picture that ends within this packet has now been sent whole.
      if (!o.send_log_path.empty()) {
        const int64_t now_us = std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count();
        for (; next_end < frames.size(); ++next_end) {
          const size_t end = next_end + 1 < frames.size() ? frames[next_end + 1] : data.size();
          if (end > pos) break;
          host_.LogSent(std::to_string(round + 1) + " " + std::to_string(next_end) + " " +
                        std::to_string(now_us));
        }
      }
    }
    Log("video round " + std::to_string(round + 1) + " sent in " + std::to_string(packets) +
        " packets");
  }
  return true;
}

bool PhoneSession::StartChurn(const std::string& path, int64_t period_ms) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> commands;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] != '#') commands.push_back(line);
  }
  if (commands.empty()) {
    Log("cannot read panel commands from " + path);
    return true;
  }
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> packets;
  for (const std::string& c : commands)
    packets.emplace_back(kPacketPanel, std::vector<uint8_t>(c.begin(), c.end()));
  StartChurnOf(std::move(packets), period_ms, "panel commands");
  return true;
}

void PhoneSession::StartChurnOf(std::vector<std::pair<uint32_t, std::vector<uint8_t>>> packets,
                                int64_t period_ms, const char* what) {
  StopChurn();
  stop_churn_ = false;
  Log("churning " + std::to_string(packets.size()) + " " + what + " every " +
      std::to_string(period_ms) + " ms");
  churn_ = std::thread([this, packets = std::move(packets), period_ms, what] {
    const auto period = std::chrono::milliseconds(period_ms);
    auto next = Clock::now() + period;
    size_t sent = 0;
    while (!stop_churn_ && !host_.Stopping() && !pc_gone_) {
      if (Clock::now() < next) {
        std::this_thread::sleep_for(
            std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(20)));
        continue;
      }
      next += period;
      const auto& p = packets[sent % packets.size()];
      if (!SendPacket(p.first, p.second.data(), static_cast<int32_t>(p.second.size()), what)) break;
      ++sent;
    }
    Log("churned " + std::to_string(sent) + " " + what);
  });
}

void PhoneSession::StopChurn() {
  stop_churn_ = true;
  if (churn_.joinable()) churn_.join();
}

bool PhoneSession::SendResource(const std::string& name, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> payload(kResourceNameField, 0);
  std::copy_n(name.begin(), std::min<size_t>(name.size(), kResourceNameField), payload.begin());
  payload.insert(payload.end(), data.begin(), data.end());
  Log("sending resource \"" + Printable(name) + "\" (" + std::to_string(data.size()) + " bytes)");
  return SendPacket(kPacketResource, payload.data(), static_cast<int32_t>(payload.size()),
                    "resource");
}

bool PhoneSession::SendPanel(const std::string& text) {
  Log("sending panel command (" + std::to_string(text.size()) + " bytes): " + Printable(text, 120));
  return SendPacket(kPacketPanel, reinterpret_cast<const uint8_t*>(text.data()),
                    static_cast<int32_t>(text.size()), "panel command");
}

// False when the connection is over (closed on purpose or by a failed write).
bool PhoneSession::Perform(const Step& step) {
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
        if (ReadFile(f.string(), data) && !SendResource(f.filename().string(), data)) return false;
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
           Clock::now() < end && !host_.Stopping() && !pc_gone_;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      return true;
    case StepKind::kChurn:
      return StartChurn(step.text, step.number);
    case StepKind::kResourceChurn: {
      std::vector<uint8_t> payload(kResourceNameField, 0);
      std::copy_n(step.name.begin(), std::min<size_t>(step.name.size(), kResourceNameField),
                  payload.begin());
      const size_t size = static_cast<size_t>(std::stoll(step.text));
      for (size_t i = 0; i < size; ++i) payload.push_back(static_cast<uint8_t>(i * 7 + 3));
      StartChurnOf({{kPacketResource, std::move(payload)}}, step.number, "resources");
      return true;
    }
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

}  // namespace vl::phonesim
