// The WinINet client against the local test server: the request on the wire, status and length
// checks, TLS for https, ports, bounds and large bodies.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include "common/text_convert.h"
#include "online/http_client_win.h"
#include "tests/online/test_root.h"
#include "tests/online/test_server_client.h"

namespace vl {
namespace {

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "run through tools/http_test_server";
    server_.ClearLog();
  }
  size_t Get(const std::string& url) {
    body_.clear();
    error_.clear();
    return HttpGet(url, &body_, &error_, kConnectTimeoutMs, kReceiveTimeoutMs, kSendTimeoutMs);
  }
  std::string Body() const { return std::string(body_.begin(), body_.end()); }

  test::TestServer server_;
  std::vector<uint8_t> body_;
  std::string error_;
};

TEST_F(HttpClientTest, SendsAPlainGetWithAcceptAndNoUserAgent) {
  server_.PutFile("doc.xml", "<c/>");
  ASSERT_EQ(Get(server_.Url("/doc.xml?ver=1.0.0.0&rand=1700000000")), 4u);
  EXPECT_EQ(Body(), "<c/>");
  EXPECT_EQ(error_, "");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "GET /doc.xml?ver=1.0.0.0&rand=1700000000 HTTP/1.1");
  EXPECT_EQ(requests[0].Header("Accept"), "*/*");
  EXPECT_EQ(requests[0].Header("Host"), "127.0.0.1:" + std::to_string(server_.port()));
  EXPECT_FALSE(requests[0].Has("User-Agent"));
}

TEST_F(HttpClientTest, AnErrorPageIsAFailure) {
  for (int status : {404, 500, 302}) {
    SCOPED_TRACE(status);
    EXPECT_EQ(Get(server_.Url("/status/" + std::to_string(status) + "/x.png")), 0u);
    EXPECT_TRUE(body_.empty());
    EXPECT_EQ(AnsiToUtf8(error_), "服务器返回错误，状态码：" + std::to_string(status) + "\n");
  }
}

TEST_F(HttpClientTest, ABodyShorterThanItsLengthIsAFailure) {
  server_.PutFile("big.bin", std::string(50000, 'x'));
  EXPECT_EQ(Get(server_.Url("/truncate/20000/big.bin")), 0u);
  EXPECT_TRUE(body_.empty());
  EXPECT_FALSE(error_.empty());
}

TEST_F(HttpClientTest, ABodyWithoutLengthEndsWithTheConnection) {
  server_.PutFile("n.bin", std::string(30000, 'n'));
  EXPECT_EQ(Get(server_.Url("/nolength/n.bin")), 30000u);
  EXPECT_EQ(Body(), std::string(30000, 'n'));
}

TEST_F(HttpClientTest, ALengthThatIsNoNumberOrTooLargeIsRefused) {
  server_.PutFile("s.bin", "short");
  EXPECT_EQ(Get(server_.Url("/badlength/s.bin")), 0u);
  EXPECT_FALSE(error_.empty());
  EXPECT_EQ(Get(server_.Url("/hugelength/s.bin")), 0u);
  EXPECT_FALSE(error_.empty());
}

TEST_F(HttpClientTest, ResponsesAreBounded) {
  server_.PutFile("five.bin", std::string(5000, 'f'));
  HttpOptions options;
  options.max_bytes = 4096;
  std::string error;
  size_t delivered = 0;
  auto sink = [&](const uint8_t*, size_t n) {
    delivered += n;
    return true;
  };
  EXPECT_EQ(HttpTransfer(server_.Url("/five.bin"), options, sink, nullptr, &error), 0u);
  EXPECT_FALSE(error.empty());
  // Without a length the bound holds while the body arrives.
  EXPECT_EQ(HttpTransfer(server_.Url("/nolength/five.bin"), options, sink, nullptr, &error), 0u);
  EXPECT_FALSE(error.empty());
  EXPECT_LE(delivered, 4096u);
}

TEST_F(HttpClientTest, MoreThanOneMebibyteArrivesWhole) {
  std::string big(3 * 1048576 + 123, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 13));
  server_.PutFile("big.bin", big);
  ASSERT_EQ(Get(server_.Url("/big.bin")), big.size());
  EXPECT_TRUE(Body() == big);
}

TEST_F(HttpClientTest, ProgressSeesTheTotalAndEveryPiece) {
  server_.PutFile("p.bin", std::string(40000, 'p'));
  uint64_t last = 0, total_seen = 0;
  int calls = 0;
  std::string error;
  const uint64_t n = HttpTransfer(
      server_.Url("/slow/20/p.bin"), HttpOptions(), [](const uint8_t*, size_t) { return true; },
      [&](uint64_t received, uint64_t total) {
        EXPECT_GE(received, last);
        last = received;
        total_seen = total;
        ++calls;
      },
      &error);
  EXPECT_EQ(n, 40000u);
  EXPECT_EQ(total_seen, 40000u);
  EXPECT_EQ(last, 40000u);
  EXPECT_GE(calls, 3);
}

TEST_F(HttpClientTest, HttpsSpeaksTlsOnTheWrittenPort) {
  // The test server speaks plain HTTP, so the handshake fails; what matters is that a TLS
  // handshake, not a plain request, reached the given port.
  const std::string url = "https://127.0.0.1:" + std::to_string(server_.port()) + "/doc.xml";
  EXPECT_EQ(Get(url), 0u);
  EXPECT_FALSE(error_.empty());
  const auto requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].line.substr(0, 6), "TLS 16");
}

TEST_F(HttpClientTest, HttpsReachesAServerWhoseCertificateLeadsToATrustedRootOnly) {
  ASSERT_TRUE(test::TrustTestRoot());
  ASSERT_TRUE(server_.tls_available()) << "run the server with --tls-dir";
  server_.PutFile("serelpartner/config.php", "<c/>");
  const std::string path = "/serelpartner/config.php?ver=1.0.0.0&rand=1700000000";
  ASSERT_EQ(Get(server_.SecureUrl(path)), 4u) << AnsiToUtf8(error_);
  EXPECT_EQ(Body(), "<c/>");
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "GET " + path + " HTTP/1.1");
  // A certificate no trusted root vouches for: no document, and no plain request instead.
  server_.ClearLog();
  EXPECT_EQ(Get(server_.UntrustedSecureUrl(path)), 0u);
  EXPECT_FALSE(error_.empty());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HttpClientTest, BadAddressesAndRefusedConnectionsFail) {
  EXPECT_EQ(Get("http://127.0.0.1"), 0u);
  EXPECT_EQ(AnsiToUtf8(error_), "Url地址错误！\n");
  EXPECT_EQ(Get("127.0.0.1:99999/x"), 0u);
  EXPECT_EQ(AnsiToUtf8(error_), "Url地址错误！\n");
  // Port 1 on loopback: nothing listens there.
  EXPECT_EQ(Get("http://127.0.0.1:1/x"), 0u);
  EXPECT_FALSE(error_.empty());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HttpClientTest, AnEmptyResponseIsNoSuccess) {
  server_.PutFile("empty.xml", "");
  EXPECT_EQ(Get(server_.Url("/empty.xml")), 0u);
  EXPECT_EQ(error_, "");
}

}  // namespace
}  // namespace vl
