// DeviceConnection over real loopback TCP (the fake adb answers the forward) and the iOS path
// without the mobile-device service.
#include "device/device_connection.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "device/socket_layer.h"
#include "device/usbmux_client.h"
#include "tests/device/fake_adb_workdir.h"

namespace vl {
namespace {

using test::AsLogged;
using test::FakeAdbWorkdir;

class TestConnection : public DeviceConnection {
 public:
  explicit TestConnection(int handshake_result = 1) : result_(handshake_result) {}
  ~TestConnection() override { Close(); }
  int OnConnected() override {
    ++handshakes;
    return result_;
  }
  int handshakes = 0;

 private:
  int result_;
};

// A loopback port that is bound but not listening: connecting to it is refused, and unlike a
// port that was merely free, it cannot become the source port of that very connect (Linux may
// pick a free destination port in the ephemeral range as source and connect the socket to
// itself).
class RefusingPort {
 public:
  RefusingPort() : s_(net::OpenTcpSocket()) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
#ifdef _WIN32
    int len = sizeof a;
#else
    socklen_t len = sizeof a;
#endif
    auto* address = reinterpret_cast<sockaddr*>(&a);
    if (bind(s_, address, sizeof a) == 0 && getsockname(s_, address, &len) == 0)
      port_ = ntohs(a.sin_port);
  }
  ~RefusingPort() {
    net::ShutdownAndClose(s_);
  }
  uint16_t port() const {
    return port_;
  }

 private:
  net::NativeSocket s_;
  uint16_t port_ = 0;
};

// A loopback listener whose accepted socket the test drives directly.
class Peer {
 public:
  Peer() { listener_ = net::OpenListener("127.0.0.1", 0, &port_); }
  ~Peer() {
    net::ShutdownAndClose(accepted_);
    net::ShutdownAndClose(listener_);
  }
  uint16_t port() const { return port_; }
  bool Accept() {
    accepted_ = net::AcceptConnection(listener_, 10000);
    return accepted_ != net::kInvalidSocket;
  }
  bool Write(const std::vector<uint8_t>& bytes) {
    return net::SendSome(accepted_, bytes.data(), static_cast<int>(bytes.size())) ==
           static_cast<int>(bytes.size());
  }
  std::vector<uint8_t> Read(size_t n) {
    std::vector<uint8_t> out(n);
    size_t done = 0;
    while (done < n && net::WaitReadable(accepted_, 10000) == net::WaitResult::kReady) {
      const int r = net::ReceiveSome(accepted_, out.data() + done, static_cast<int>(n - done));
      if (r <= 0) break;
      done += static_cast<size_t>(r);
    }
    out.resize(done);
    return out;
  }
  void CloseAccepted() {
    net::ShutdownAndClose(accepted_);
    accepted_ = net::kInvalidSocket;
  }

 private:
  net::NativeSocket listener_ = net::kInvalidSocket;
  net::NativeSocket accepted_ = net::kInvalidSocket;
  uint16_t port_ = 0;
};

class DeviceConnectionTest : public ::testing::Test {
 protected:
  net::SocketLibrary sockets_;
  FakeAdbWorkdir adb_{"device PHONE1 device\n"};
};

TEST_F(DeviceConnectionTest, NothingMovesBeforeConnectForNonPositiveLengthsOrUnknownKinds) {
  TestConnection c;
  char b[4] = {};
  EXPECT_EQ(c.kind(), -1);
  EXPECT_EQ(c.Receive(b, 4), 0);
  EXPECT_EQ(c.Send(b, 4), 0);
  EXPECT_EQ(c.Receive(b, 0), 0);
  EXPECT_EQ(c.Send(b, -1), 0);
  c.Close();
  c.Close();
  EXPECT_FALSE(c.IsConnected());
  // An unknown kind opens nothing either.
  EXPECT_EQ(c.Connect(7, "PHONE1", 8984), 0);
  EXPECT_EQ(c.kind(), 7);
  EXPECT_EQ(c.handshakes, 0);
  EXPECT_EQ(adb_.ReadLog(), "");
}

TEST_F(DeviceConnectionTest, AndroidConnectForwardsFixedPortsAndCarriesBytesUntilEitherSideCloses) {
  Peer peer;
  TestConnection c;
  std::thread accept([&] { EXPECT_TRUE(peer.Accept()); });
  ASSERT_EQ(c.Connect(2, "PHONE1", peer.port()), 1);
  accept.join();
  EXPECT_TRUE(c.IsConnected());
  EXPECT_EQ(c.kind(), 2);
  EXPECT_EQ(c.handshakes, 1);
  // Whatever port is passed, adb forwards 8984 to 8984.
  EXPECT_EQ(adb_.ReadLog(), AsLogged("adb\\adb.exe -s PHONE1 forward tcp:8984 tcp:8984"));

  const char hello[] = "hello";
  EXPECT_EQ(c.Send(hello, 5), 5);
  EXPECT_EQ(peer.Read(5), std::vector<uint8_t>(hello, hello + 5));
  ASSERT_TRUE(peer.Write({1, 2, 3}));
  uint8_t in[3] = {};
  EXPECT_EQ(c.Receive(in, 3), 3);
  EXPECT_EQ(in[2], 3);
  // The phone closing in the middle of a receive gives the short count.
  std::thread phone([&] {
    peer.Write(std::vector<uint8_t>(400, 0xAB));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    peer.CloseAccepted();
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

TEST_F(DeviceConnectionTest, ForwardThatCannotRunFailsWithoutSocketOrHandshake) {
  adb_.RemoveAdb();
  Peer peer;
  TestConnection c;
  EXPECT_EQ(c.Connect(2, "PHONE1", peer.port()), 0);
  EXPECT_EQ(c.handshakes, 0);
  EXPECT_FALSE(c.IsConnected());
  EXPECT_EQ(c.kind(), 2);
  char b = 0;
  EXPECT_EQ(c.Send(&b, 1), 0);  // 0, not -1: no socket was made
}

TEST_F(DeviceConnectionTest, NobodyListeningFailsWithinTheBound) {
  RefusingPort refusing;
  ASSERT_NE(refusing.port(), 0);
  TestConnection c;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(c.Connect(2, "PHONE1", refusing.port()), 0);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(s, 15.0);
  EXPECT_EQ(c.handshakes, 0);
  std::printf("refused connect reported after %.3f s\n", s);
}

TEST_F(DeviceConnectionTest, FailedHandshakeClosesTheTransport) {
  Peer peer;
  TestConnection c(0);
  std::thread accept([&] { EXPECT_TRUE(peer.Accept()); });
  EXPECT_EQ(c.Connect(2, "PHONE1", peer.port()), 0);
  accept.join();
  EXPECT_FALSE(c.IsConnected());
  char b = 0;
  EXPECT_EQ(c.Send(&b, 1), 0);
  EXPECT_TRUE(peer.Read(1).empty());  // the phone sees the connection end
}

TEST_F(DeviceConnectionTest, IphoneThatIsNotAttachedFailsCleanly) {
  // No mobile-device service: the library (natively) and the program's client look for it on a
  // loopback port that refuses.
  RefusingPort nobody;
#ifndef _WIN32
  setenv("USBMUXD_SOCKET_ADDRESS", ("127.0.0.1:" + std::to_string(nobody.port())).c_str(), 1);
#endif
  usbmux::SetServicePort(nobody.port());
  TestConnection c;
  EXPECT_EQ(c.Connect(1, "00008030-000000000000002E", 8984), 0);
  EXPECT_EQ(c.kind(), 1);
  EXPECT_EQ(c.handshakes, 0);
  char b = 0;
  EXPECT_EQ(c.Receive(&b, 1), 0);
  EXPECT_EQ(c.Send(&b, 1), 0);
  c.Close();
  c.Close();
}

}  // namespace
}  // namespace vl
