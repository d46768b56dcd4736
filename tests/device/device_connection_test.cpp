// DeviceConnection over real loopback TCP (the fake adb answers the forward) and the iOS path
// without the mobile-device service.
#include "device/device_connection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device/socket_layer.h"
#include "device/usbmux_client.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/device/refusing_port.h"

namespace vl {
namespace {

using test::AsLogged;
using test::FakeAdbWorkdir;
using test::RefusingPort;

class TestConnection : public DeviceConnection {
 public:
  ~TestConnection() override { Close(); }
  int OnConnected() override {
    ++handshakes;
    return handshake_result;
  }
  int handshakes = 0, handshake_result = 1;
};

// A loopback listener whose accepted socket the test drives directly. A connection is queued
// before it is accepted, so Connect needs no accepting thread.
struct Peer {
  Peer() { listener = net::OpenListener("127.0.0.1", 0, &port); }
  ~Peer() {
    net::ShutdownAndClose(accepted);
    net::ShutdownAndClose(listener);
  }
  bool Accept() {
    accepted = net::AcceptConnection(listener, 10000);
    return accepted != net::kInvalidSocket;
  }
  std::vector<uint8_t> Read(size_t n) {
    std::vector<uint8_t> out(n);
    size_t done = 0;
    while (done < n && net::WaitReadable(accepted, 10000) == net::WaitResult::kReady) {
      const int r = net::ReceiveSome(accepted, out.data() + done, static_cast<int>(n - done));
      if (r <= 0) break;
      done += static_cast<size_t>(r);
    }
    out.resize(done);
    return out;
  }

  net::NativeSocket listener = net::kInvalidSocket, accepted = net::kInvalidSocket;
  uint16_t port = 0;
};

class DeviceConnectionTest : public ::testing::Test {
 protected:
  net::SocketLibrary sockets_;
  FakeAdbWorkdir adb_{"device PHONE1 device\n"};
};

TEST_F(DeviceConnectionTest, AndroidConnectForwardsFixedPortsAndCarriesBytesUntilEitherSideCloses) {
  Peer peer;
  TestConnection c;
  ASSERT_EQ(c.Connect(2, "PHONE1", peer.port), 1);
  ASSERT_TRUE(peer.Accept());
  EXPECT_TRUE(c.IsConnected());
  EXPECT_EQ(c.kind(), 2);
  EXPECT_EQ(c.handshakes, 1);
  // Whatever port is passed, adb forwards 8984 to 8984.
  EXPECT_EQ(adb_.ReadLog(), AsLogged("adb\\adb.exe -s PHONE1 forward tcp:8984 tcp:8984"));

  const char hello[] = "hello";
  EXPECT_EQ(c.Send(hello, 5), 5);
  EXPECT_EQ(peer.Read(5), std::vector<uint8_t>(hello, hello + 5));
  ASSERT_EQ(net::SendSome(peer.accepted, "\1\2\3", 3), 3);
  uint8_t in[3] = {};
  EXPECT_EQ(c.Receive(in, 3), 3);
  EXPECT_EQ(in[2], 3);
  // The phone closing in the middle of a receive gives the short count.
  std::thread phone([&] {
    net::SendSome(peer.accepted, std::string(400, '\xAB').data(), 400);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    net::ShutdownAndClose(std::exchange(peer.accepted, net::kInvalidSocket));
  });
  std::vector<uint8_t> buffer(1000);
  EXPECT_EQ(c.Receive(buffer.data(), 1000), 400);
  EXPECT_EQ(buffer[399], 0xAB);
  phone.join();
  c.Close();
  EXPECT_FALSE(c.IsConnected());
  EXPECT_EQ(c.Send(hello, 5), 0);
  EXPECT_EQ(c.Receive(in, 3), 0);
}

// Nothing moves before Connect or for non-positive lengths. A handshake that fails, an unknown
// kind, nobody listening, an iPhone not attached, adb that cannot run: each fails the connection
// and leaves nothing to send or receive on.
TEST_F(DeviceConnectionTest, NothingMovesBeforeConnectAndEveryFailureLeavesNothingConnected) {
  char b[4] = {};
  {
    TestConnection c;
    EXPECT_EQ(c.kind(), -1);
    EXPECT_EQ(c.Receive(b, 4), 0);
    EXPECT_EQ(c.Send(b, 4), 0);
    EXPECT_EQ(c.Receive(b, 0), 0);
    EXPECT_EQ(c.Send(b, -1), 0);
    c.Close();
    EXPECT_FALSE(c.IsConnected());
  }
  // A socket made and not connected sends -1.
  const auto fails = [&](int kind, const char* id, uint16_t port, int sent = 0) {
    TestConnection c;
    EXPECT_EQ(c.Connect(kind, id, port), 0) << kind;
    EXPECT_EQ(c.kind(), kind);
    EXPECT_EQ(c.handshakes, 0);
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(c.Receive(b, 1), 0) << kind;
    EXPECT_EQ(c.Send(b, 1), sent) << kind;
    c.Close();
    c.Close();
  };
  fails(7, "PHONE1", 8984);
  EXPECT_EQ(adb_.ReadLog(), "");  // an unknown kind opens nothing
  {
    Peer peer;
    TestConnection c;
    c.handshake_result = 0;
    EXPECT_EQ(c.Connect(2, "PHONE1", peer.port), 0);
    ASSERT_TRUE(peer.Accept());
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(c.Send(b, 1), 0);
    EXPECT_TRUE(peer.Read(1).empty());  // the phone sees the connection end
  }
  RefusingPort refusing;
  ASSERT_NE(refusing.port(), 0);
  const auto start = std::chrono::steady_clock::now();
  fails(2, "PHONE1", refusing.port(), -1);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(s, 15.0);
  std::printf("refused connect reported after %.3f s\n", s);
  // No mobile-device service: the library (natively) and the program's client look for it on a
  // loopback port that refuses.
#ifndef _WIN32
  setenv("USBMUXD_SOCKET_ADDRESS", ("127.0.0.1:" + std::to_string(refusing.port())).c_str(), 1);
#endif
  usbmux::SetServicePort(refusing.port());
  fails(1, "00008030-000000000000002E", 8984);
  adb_.RemoveAdb();
  Peer peer;
  fails(2, "PHONE1", peer.port);
}

}  // namespace
}  // namespace vl
