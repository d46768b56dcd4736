// The WinINet client against the local test server: the request on the wire, status and length
// checks, TLS for https, ports, bounds and large bodies.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/text_convert.h"
#include "online/http_client_win.h"
#include "tests/online/online_test_support.h"

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
  EXPECT_FALSE(requests[0].Header("User-Agent"));
}

// Every failure leaves the body empty; a null error in the table is any non-empty text.
TEST_F(HttpClientTest, ErrorPagesShortOrUnreadableLengthsAndBadAddressesFail) {
  server_.PutFile("big.bin", std::string(50000, 'x'));
  server_.PutFile("s.bin", "short");
  server_.PutFile("empty.xml", "");
  const std::pair<std::string, const char*> cases[] = {
      {server_.Url("/status/404/x.png"), "服务器返回错误，状态码：404\n"},
      {server_.Url("/status/500/x.png"), "服务器返回错误，状态码：500\n"},
      {server_.Url("/status/302/x.png"), "服务器返回错误，状态码：302\n"},
      {server_.Url("/truncate/20000/big.bin"), nullptr},  // shorter than its length
      {server_.Url("/badlength/s.bin"), nullptr},         // a length that is no number
      {server_.Url("/hugelength/s.bin"), nullptr},        // or too large
      {"http://127.0.0.1", "Url地址错误！\n"},
      {"127.0.0.1:99999/x", "Url地址错误！\n"},
      {"http://127.0.0.1:1/x", nullptr},  // nothing listens on port 1 of loopback
      {server_.Url("/empty.xml"), ""},    // an empty response is no success, and no error
  };
  for (const auto& [url, error] : cases) {
    SCOPED_TRACE(url);
    EXPECT_EQ(Get(url), 0u);
    EXPECT_TRUE(body_.empty());
    if (error)
      EXPECT_EQ(AnsiToUtf8(error_), error);
    else
      EXPECT_FALSE(error_.empty());
  }
  // Only the addresses of the test server were asked for.
  EXPECT_EQ(server_.Requests().size(), 7u);
}

TEST_F(HttpClientTest, ResponsesAreBounded) {
  server_.PutFile("five.bin", std::string(5000, 'f'));
  HttpOptions options;
  options.max_bytes = 4096;
  size_t delivered = 0;
  auto sink = [&](const uint8_t*, size_t n) {
    delivered += n;
    return true;
  };
  EXPECT_EQ(HttpTransfer(server_.Url("/five.bin"), options, sink, nullptr, &error_), 0u);
  EXPECT_FALSE(error_.empty());
  // Without a length the bound holds while the body arrives.
  EXPECT_EQ(HttpTransfer(server_.Url("/nolength/five.bin"), options, sink, nullptr, &error_), 0u);
  EXPECT_FALSE(error_.empty());
  EXPECT_LE(delivered, 4096u);
}

// Also without a length, when the body ends with the connection. Progress sees the total and
// every piece.
TEST_F(HttpClientTest, MoreThanOneMebibyteArrivesWhole) {
  std::string big(3 * 1048576 + 123, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 13));
  server_.PutFile("big.bin", big);
  ASSERT_EQ(Get(server_.Url("/nolength/big.bin")), big.size());
  EXPECT_TRUE(Body() == big);
  std::string received;
  uint64_t last = 0, total_seen = 0;
  int calls = 0;
  const auto sink = [&](const uint8_t* data, size_t size) {
    received.append(reinterpret_cast<const char*>(data), size);
    return true;
  };
  const auto progress = [&](uint64_t got, uint64_t total) {
    EXPECT_GE(got, last);
    last = got;
    total_seen = total;
    ++calls;
  };
  EXPECT_EQ(HttpTransfer(server_.Url("/big.bin"), HttpOptions(), sink, progress, &error_),
            big.size());
  EXPECT_TRUE(received == big);
  EXPECT_EQ(total_seen, big.size());
  EXPECT_EQ(last, big.size());
  EXPECT_GE(calls, 3);
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
  // On the plain server's port the handshake fails; what matters is that a TLS handshake, not a
  // plain request, reached the written port.
  EXPECT_EQ(Get("https://127.0.0.1:" + std::to_string(server_.port()) + "/doc.xml"), 0u);
  EXPECT_FALSE(error_.empty());
  requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].line.substr(0, 6), "TLS 16");
}

}  // namespace
}  // namespace vl
