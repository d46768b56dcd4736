#include "online/http_client_win.h"

#include <windows.h>
#include <wininet.h>

#include <cstdarg>
#include <cstdio>
#include <new>
#include <utility>

#include "common/text_convert.h"
#include "online/download_progress.h"
#include "online/url_parts.h"

namespace vl {
namespace {

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET h) : h_(h) {}
  ~InternetHandle() {
    if (h_) InternetCloseHandle(h_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

// Formats a message whose pattern is UTF-8 into the ANSI code page.
std::string Message(const char* utf8_format, ...) {
  const std::string format = Utf8ToAnsi(utf8_format);
  char buffer[512];
  va_list args;
  va_start(args, utf8_format);
  std::vsnprintf(buffer, sizeof buffer, format.c_str(), args);
  va_end(args);
  return buffer;
}

void SetTimeout(HINTERNET h, DWORD option, int ms) {
  if (ms <= 0) return;
  DWORD value = static_cast<DWORD>(ms);
  InternetSetOptionA(h, option, &value, sizeof value);
}

constexpr DWORD kReadSize = 10240;

}  // namespace

uint64_t HttpTransfer(const std::string& url, const HttpOptions& options, const HttpBodySink& sink,
                      const HttpProgress& progress, std::string* error) {
  error->clear();
  UrlParts parts;
  if (!SplitUrl(url, &parts)) {
    *error = Message("Url地址错误！\n");
    return 0;
  }
  InternetHandle root(
      InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, options.open_flags));
  if (!root) return 0;
  InternetHandle connection(InternetConnectA(root.get(), parts.host.c_str(), parts.port, nullptr,
                                             nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) {
    *error = Message("连接Http服务器失败， 服务器：%s, 错误号：%d\n", parts.host.c_str(),
                     static_cast<int>(GetLastError()));
    return 0;
  }
  SetTimeout(connection.get(), INTERNET_OPTION_CONNECT_TIMEOUT, options.connect_timeout_ms);
  SetTimeout(connection.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, options.receive_timeout_ms);
  SetTimeout(connection.get(), INTERNET_OPTION_SEND_TIMEOUT, options.send_timeout_ms);

  const char* accept[] = {"*/*", nullptr};
  DWORD flags = options.request_flags;
  if (parts.secure) flags |= INTERNET_FLAG_SECURE;
  InternetHandle request(HttpOpenRequestA(connection.get(), "GET", parts.path.c_str(), nullptr,
                                          nullptr, accept, flags, 1));
  if (!request) {
    *error = Message("创建请求失败， 错误号：%d\n", static_cast<int>(GetLastError()));
    return 0;
  }
  if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) {
    *error = Message("发送请求失败， 错误号：%d\n", static_cast<int>(GetLastError()));
    return 0;
  }

  // An error page is not the document, the picture or the installer that was asked for.
  DWORD status = 0;
  DWORD status_size = sizeof status;
  if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &status_size, nullptr) ||
      status != 200) {
    *error = Message("服务器返回错误，状态码：%d\n", static_cast<int>(status));
    return 0;
  }

  uint64_t total = 0;
  bool length_known = false;
  char length_text[40] = {};
  DWORD length_size = sizeof length_text - 1;
  DWORD index = 0;
  if (HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH, length_text, &length_size, &index)) {
    const auto parsed = ParseContentLength(length_text);
    if (!parsed) {
      *error = Message("文件长度无效：%s\n", length_text);
      return 0;
    }
    total = *parsed;
    length_known = true;
  }
  if (total > options.max_bytes) {
    *error = Message("文件过大：%llu字节\n", static_cast<unsigned long long>(total));
    return 0;
  }

  uint8_t buffer[kReadSize];
  uint64_t received = 0;
  if (progress) progress(0, total);
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request.get(), buffer, kReadSize, &read)) {
      *error = Message("文件下载失败，错误号：%d\n", static_cast<int>(GetLastError()));
      return 0;
    }
    if (read == 0) break;
    received += read;
    if (received > options.max_bytes || (length_known && received > total)) {
      *error = Message("文件过大：%llu字节\n", static_cast<unsigned long long>(received));
      return 0;
    }
    if (!sink(buffer, read)) {
      *error = Message("文件写入失败，错误号：%d\n", static_cast<int>(GetLastError()));
      return 0;
    }
    if (progress) progress(received, total);
  }
  // A dropped connection ends the body early: the read loop cannot tell, the length can.
  if (length_known && received != total) {
    *error =
        Message("文件下载不完整：收到%llu字节，应为%llu字节\n",
                static_cast<unsigned long long>(received), static_cast<unsigned long long>(total));
    return 0;
  }
  return received;
}

size_t HttpGet(const std::string& url, std::vector<uint8_t>* body, std::string* error,
               int connect_timeout_ms, int receive_timeout_ms, int send_timeout_ms) {
  HttpOptions options;
  options.open_flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  options.connect_timeout_ms = connect_timeout_ms;
  options.receive_timeout_ms = receive_timeout_ms;
  options.send_timeout_ms = send_timeout_ms;
  std::vector<uint8_t> data;
  bool out_of_memory = false;
  const auto sink = [&](const uint8_t* piece, size_t size) {
    try {
      data.insert(data.end(), piece, piece + size);
      return true;
    } catch (const std::bad_alloc&) {
      out_of_memory = true;
      return false;
    }
  };
  const uint64_t received = HttpTransfer(url, options, sink, nullptr, error);
  if (out_of_memory) *error = Message("文件下载失败，存储空间不足！\n");
  if (received == 0 || !error->empty()) return 0;
  if (body) *body = std::move(data);
  return static_cast<size_t>(received);
}

}  // namespace vl
