// A small blocking HTTP client over WinINet for the program's worker threads: GET into memory or
// through a sink (a file), plain HTTP or TLS, with the response's status and length checked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vl {

struct HttpOptions {
  unsigned long open_flags = 0;  // InternetOpenA flags
  unsigned long request_flags =
      0;  // HttpOpenRequestA flags (INTERNET_FLAG_SECURE is added for https)
  // Time-outs in ms; 0 or less leaves the system default.
  int connect_timeout_ms = 0;
  int receive_timeout_ms = 0;
  int send_timeout_ms = 0;
  // Responses longer than this fail (announced or as they arrive).
  uint64_t max_bytes = 32ull << 20;
};

// Receives the body piece by piece; false stops the transfer as a failure (a write failed).
using HttpBodySink = std::function<bool(const uint8_t* data, size_t size)>;
// Told the total (0 when the response has no length) and the count so far after every piece.
using HttpProgress = std::function<void(uint64_t received, uint64_t total)>;

// GET `url`. Succeeds only for status 200 with a body whose length matches the announced
// Content-Length (when there is one) and stays within max_bytes. Returns the bytes received, or
// 0 on failure with a Chinese error text (ANSI) in `error` (left empty when not even WinINet
// could start). The handles are closed on every path.
uint64_t HttpTransfer(const std::string& url, const HttpOptions& options, const HttpBodySink& sink,
                      const HttpProgress& progress, std::string* error);

// The whole response in memory; `body` may be null. Time-outs in ms, in the order connect,
// receive, send. 0 bytes is a failure for every caller (an empty `error` then means an empty
// response).
size_t HttpGet(const std::string& url, std::vector<uint8_t>* body, std::string* error,
               int connect_timeout_ms, int receive_timeout_ms, int send_timeout_ms);

// The time-outs every caller of this program uses.
inline constexpr int kConnectTimeoutMs = 30000;
inline constexpr int kReceiveTimeoutMs = 60000;
inline constexpr int kSendTimeoutMs = 30000;

}  // namespace vl
