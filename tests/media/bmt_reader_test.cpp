// BMTReader against the phone simulator over loopback: handshake, every packet type, bounds,
// heartbeat, and two writers sharing the connection.
#include "media/bmt_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <tuple>

#include "device/socket_layer.h"
#include "media/stream_wire.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

using phonesim::SessionReport;
using test::RecordingListener;
using test::RecordingResourceStore;
using test::StartPhone;

constexpr std::chrono::seconds kWait{15};

class StreamReaderTest : public ::testing::Test {
 protected:
  std::shared_ptr<BMTReader> Connect(phonesim::PhoneSimulator& phone, int expected = 1) {
    auto reader = BMTReader::Create(PacketSinks{&listener_, &store_});
    EXPECT_EQ(reader->Connect(2, "PHONE1", phone.port()), expected);
    return reader;
  }

  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  RecordingListener listener_;
  RecordingResourceStore store_;
};

// The header's own rules are the stream header test's; here the reader applies them to what the
// phone sent (as options or as a document, up to the bound), and a phone that sends no header at
// all is still acknowledged with zero after the greeting. A wrong greeting, or a header one byte
// past the bound, fails the handshake without an acknowledgement.
TEST_F(StreamReaderTest, HandshakeReadsTheFlagsAndAcknowledgesWithZero) {
  struct Case {
    std::vector<std::string> args;
    int32_t reverse_v, reverse_h;
    bool connects = true;
  };
  std::string longest = "<h reverse_v=\"1\"/>";  // padded with blanks: still a document
  longest.resize(static_cast<size_t>(kMaxHeaderLength), ' ');
  for (const Case& c :
       {Case{{"--reverse-v", "1", "--reverse-h", "0"}, 1, 0}, Case{{"--header", ""}, 0, 0},
        Case{{"--header", "<any reverse_v=\"12abc\" reverse_h=\" -3\"/>"}, 12, -3},
        Case{{"--header", longest}, 1, 0}, Case{{"--header", longest + " "}, 0, 0, false},
        Case{{"--greeting", "BMP11"}, 0, 0, false}}) {
    SCOPED_TRACE(c.args[1].substr(0, 20) + " of " + std::to_string(c.args[1].size()));
    auto phone = StartPhone(c.args);
    auto reader = Connect(*phone, c.connects ? 1 : 0);
    EXPECT_EQ(reader->IsConnected(), c.connects);
    EXPECT_EQ(std::tuple(reader->ReverseFlags().reverse_v, reader->ReverseFlags().reverse_h),
              std::tuple(c.reverse_v, c.reverse_h));
    if (!c.connects) {
      ASSERT_TRUE(phone->WaitFor([](const SessionReport& r) { return r.finished; }, kWait));
      EXPECT_FALSE(phone->Reports().back().ack_received);
      continue;
    }
    ASSERT_TRUE(phone->WaitFor([](const SessionReport& r) { return r.ack_received; }, kWait));
    EXPECT_EQ(std::tuple(phone->Reports().back().greeting, phone->Reports().back().ack_value),
              std::tuple("BMP10", 0u));
    reader->Close();
    EXPECT_FALSE(reader->IsConnected());
  }
}

// One stream of every packet type (how a resource's payload splits is StreamWire's). Unused types
// (even 4 MiB long) are read through without keeping their payload; panel commands arrive in the
// ANSI code page ("美颜" exists in code page 936, the Thai letter does not); each type is read up
// to its bound exactly; garbage types are consumed with the stream staying in step; a phone closing
// in the middle of a packet gives a packet without payload, then the end.
TEST_F(StreamReaderTest, EveryPacketTypeIsReadAndOnlyCommandsAndResourcesAreDispatched) {
  const std::string unused = "2:" + std::string(4 << 20, 'z');
  const std::string modify = "<modify name=\"美颜\" tip=\"ก\"/>";
  const std::string panel = "<a>" + std::string(kMaxPanelPayload - 7, 'x') + "</a>";
  ASSERT_EQ(panel.size(), static_cast<size_t>(kMaxPanelPayload));
  auto phone =
      StartPhone({"--packet-text=1:video bytes", "--packet-text=" + unused,
                  "--resource-bytes=icon.png=3", "--panel-text=<config/>",
                  "--packet=5:", "--packet=65538:ff", "--packet=0:", "--raw=07000000 FBFFFFFF",
                  "--panel-text=" + modify, "--resource-bytes=empty.png=0", "--panel-text=" + panel,
                  "--resource-bytes=big.png=" + std::to_string(kMaxResourceData),
                  "--packet-text=1:" + std::string(kMaxVideoPayload, 'v'), "--garbage-types=300",
                  "--panel-text=<after/>", "--close-mid-packet=1000"});
  auto reader = Connect(*phone);
  std::vector<std::unique_ptr<MediaPacket>> packets;
  while (auto p = reader->ReadPacket()) packets.push_back(std::move(p));
  ASSERT_EQ(packets.size(), 13u + 300u + 2u);
  const int expected_types[] = {1, 2, 3, 4, 5, 2, 0, 7, 4, 3, 4, 3, 1};
  for (size_t i = 0; i < 13; ++i) EXPECT_EQ(packets[i]->type, expected_types[i]) << i;
  EXPECT_EQ(std::string(reinterpret_cast<char*>(packets[0]->payload.get()), packets[0]->length),
            "video bytes");
  // Type 2 is read through, not kept; a negative length carries no payload, the stream staying in
  // step; the packet cut by the close has none either.
  for (size_t i : {1, 4, 7, 314})
    EXPECT_TRUE(packets[i]->length == 0 && packets[i]->payload == nullptr) << i;
  EXPECT_EQ(packets[10]->length, kMaxPanelPayload);
  EXPECT_EQ(packets[11]->length, kMaxResourcePayload);
  EXPECT_EQ(packets[12]->length, kMaxVideoPayload);
  EXPECT_EQ(packets[12]->payload[kMaxVideoPayload - 1], 'v');
  for (size_t i = 13; i < 313; ++i) {
    const int type = packets[i]->type;
    EXPECT_TRUE(type != 1 && type != 3 && type != 4) << type;
  }
  EXPECT_EQ(std::tuple(packets[313]->type, packets[314]->type), std::tuple(4, 1));
  EXPECT_EQ(listener_.Events(),
            (std::vector<std::string>{"panel:<config/>",
                                      "panel:<modify name=\"\xC3\xC0\xD1\xD5\" tip=\"?\"/>",
                                      "panel:" + panel, "panel:<after/>"}));
  const auto resources = store_.Entries();
  ASSERT_EQ(resources.size(), 3u);
  EXPECT_EQ(resources[0].name, "icon.png");
  EXPECT_EQ(resources[0].data, (std::vector<uint8_t>{3, 10, 17}));
  EXPECT_EQ(std::tuple(resources[1].name, resources[1].data.size(), resources[1].had_buffer),
            std::tuple("empty.png", size_t{0}, true));
  EXPECT_EQ(resources[2].data.size(), static_cast<size_t>(kMaxResourceData));
}

// Eight bytes of a packet header (little-endian type, then length) as phonesim's --raw takes them.
std::string RawHeader(uint32_t type, uint32_t length) {
  char hex[18];
  std::snprintf(hex, sizeof hex, "%08X %08X", __builtin_bswap32(type), __builtin_bswap32(length));
  return hex;
}

TEST_F(StreamReaderTest, OneByteBeyondATypesBoundEndsTheStreamWithoutReadingIt) {
  const std::pair<uint32_t, int32_t> cases[] = {
      {kPacketPanel, kMaxPanelPayload + 1},
      {kPacketResource, kMaxResourcePayload + 1},
      {kPacketVideo, kMaxVideoPayload + 1},
      {0x10004, kMaxPanelPayload + 1},  // the low 16 bits decide the type
      {2, kMaxSkippedPayload + 1},
  };
  for (const auto& [type, length] : cases) {
    auto phone = StartPhone(
        {"--raw", RawHeader(type, static_cast<uint32_t>(length)) + "414243", "--end", "close"});
    auto reader = Connect(*phone);
    EXPECT_EQ(reader->ReadPacket(), nullptr) << "type " << type;
    reader->Close();
  }
  EXPECT_TRUE(listener_.Events().empty());
  EXPECT_TRUE(store_.Entries().empty());
}

// The newest reader is the current one while it lives. The first heartbeat leaves about two
// seconds after the handshake, the next as long after; SendPacket refuses a payload it does not
// have, and anything once closed; closing ends the heartbeat.
TEST_F(StreamReaderTest, HeartbeatsFollowTheHandshakeUntilTheNewestReaderCloses) {
  auto first = BMTReader::Create();
  EXPECT_EQ(BMTReader::Current(), first);
  {
    auto second = BMTReader::Create();
    EXPECT_EQ(BMTReader::Current(), second);
  }
  EXPECT_EQ(BMTReader::Current(), nullptr);
  auto phone = StartPhone({});
  auto reader = Connect(*phone);
  ASSERT_TRUE(phone->WaitFor([](const SessionReport& r) { return r.heartbeats() >= 2; }, kWait));
  const SessionReport r = phone->Reports().back();
  ASSERT_GE(r.packets.size(), 2u);
  const double interval = r.packets[1].seconds - r.packets[0].seconds;
  for (double seconds : {r.packets[0].seconds, interval}) {
    EXPECT_GT(seconds, 1.5);
    EXPECT_LT(seconds, 3.5);
  }
  std::printf("first heartbeat after %.3f s, next %.3f s later\n", r.packets[0].seconds, interval);
  EXPECT_EQ(reader->SendPacket(MediaPacket{nullptr, 10, kPacketPanel}), 0);  // no payload
  reader->Close();
  EXPECT_EQ(reader->SendPacket(MediaPacket{nullptr, 0, kPacketHeartbeat}), 0);
  ASSERT_TRUE(phone->WaitFor([](const SessionReport& r) { return r.finished; }, kWait));
  EXPECT_EQ(phone->Reports().back().protocol_errors, 0);
}

// A panel event carrying `body`.
MediaPacket Panel(const std::string& body) {
  MediaPacket p{std::make_unique<uint8_t[]>(body.size()), static_cast<int32_t>(body.size()),
                kPacketPanel};
  std::copy(body.begin(), body.end(), p.payload.get());
  return p;
}

TEST_F(StreamReaderTest, HeartbeatAndEventWritersNeverInterleave) {
  auto phone = StartPhone({});
  auto reader = BMTReader::Create(PacketSinks{&listener_, &store_});
  reader->SetHeartbeatInterval(std::chrono::milliseconds(10));  // a heartbeat every tick
  ASSERT_EQ(reader->Connect(2, "PHONE1", phone->port()), 1);
  // Each writer goes on for at least 2 s so that about 200 heartbeats fall between events.
  constexpr int kThreads = 4, kMinEvents = 100;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::atomic<int> sent{0}, attempted{0};
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < kMinEvents || std::chrono::steady_clock::now() < until; ++i) {
        // Sizes up to 96 KiB so payloads go out in several pieces.
        const std::string body = "<notify t=\"" + std::to_string(t) + "\" i=\"" +
                                 std::to_string(i) + "\" pad=\"" +
                                 std::string((i * 7919 + t * 104729) % 98304, 'p') + "\"/>";
        ++attempted;
        if (auto current = BMTReader::Current()) sent += current->SendPacket(Panel(body));
      }
    });
  }
  for (auto& w : writers) w.join();
  EXPECT_EQ(sent.load(), attempted.load());
  const int events = sent.load();
  ASSERT_TRUE(phone->WaitFor(
      [&](const SessionReport& r) { return r.events() == events || r.protocol_errors > 0; },
      std::chrono::seconds(60)));
  reader->Close();
  ASSERT_TRUE(phone->WaitFor([](const SessionReport& r) { return r.finished; }, kWait));
  const SessionReport r = phone->Reports().back();
  EXPECT_EQ(r.protocol_errors, 0);
  EXPECT_EQ(r.events(), events);
  // About 200 on an idle machine; a busy one starves the heartbeat of the send lock, but a few
  // must have come between the events.
  EXPECT_GT(r.heartbeats(), 5);
  std::printf("%d events and %d heartbeats parsed cleanly\n", r.events(), r.heartbeats());
}

TEST_F(StreamReaderTest, EventsWaitForTheHandshakeToBeAcknowledged) {
  // A phone that answers the greeting slowly, and checks that the acknowledgement is the very
  // next thing after the greeting, while a panel sender keeps trying to send an event.
  uint16_t port = 0;
  const net::NativeSocket listener = net::OpenListener("127.0.0.1", 0, &port);
  ASSERT_NE(listener, net::kInvalidSocket);
  std::string after_greeting;
  std::thread phone([&] {
    const net::NativeSocket s = net::AcceptConnection(listener, 10000);
    if (s == net::kInvalidSocket) return;
    auto read_exact = [&](char* out, int n) {
      for (int got = 0; got < n;) {
        if (net::WaitReadable(s, 10000) != net::WaitResult::kReady) return false;
        const int r = net::ReceiveSome(s, out + got, n - got);
        if (r == net::kIoWouldBlock) continue;
        if (r <= 0) return false;
        got += r;
      }
      return true;
    };
    char in[5];  // the greeting, then what follows the reply
    if (read_exact(in, 5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const char reply[] = {'B', 'M', 'P', '1', '0', 0, 0, 0, 0};
      net::SendSome(s, reply, sizeof reply);
      if (read_exact(in, 4)) after_greeting.assign(in, 4);
    }
    net::ShutdownAndClose(s);
  });
  auto reader = BMTReader::Create(PacketSinks{&listener_, &store_});
  std::atomic<bool> connecting{true};
  std::thread sender([&] {
    const MediaPacket event = Panel("<notify/>");
    while (connecting) reader->SendPacket(event);
  });
  EXPECT_EQ(reader->Connect(2, "PHONE1", port), 1);
  connecting = false;
  sender.join();
  phone.join();
  net::ShutdownAndClose(listener);
  EXPECT_EQ(after_greeting, std::string(4, '\0'));
}

}  // namespace
}  // namespace vl
