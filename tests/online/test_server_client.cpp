#include "tests/online/test_server_client.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vl::test {
namespace {

std::string Env(const char* name) {
  char buffer[1024] = {};
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// Wine shows the Unix file system as drive Z:.
std::string WindowsPath(std::string unix_path) {
  for (char& c : unix_path)
    if (c == '/') c = '\\';
  return "Z:" + unix_path;
}

}  // namespace

std::string LoggedRequest::Header(const std::string& name) const {
  for (const auto& h : headers)
    if (_stricmp(h.first.c_str(), name.c_str()) == 0) return h.second;
  return "";
}

bool LoggedRequest::Has(const std::string& name) const {
  for (const auto& h : headers)
    if (_stricmp(h.first.c_str(), name.c_str()) == 0) return true;
  return false;
}

TestServer::TestServer() {
  port_ = std::atoi(Env("VL_TEST_HTTP_PORT").c_str());
  https_port_ = std::atoi(Env("VL_TEST_HTTPS_PORT").c_str());
  untrusted_https_port_ = std::atoi(Env("VL_TEST_HTTPS_UNTRUSTED_PORT").c_str());
  const std::string root = Env("VL_TEST_HTTP_ROOT");
  const std::string log = Env("VL_TEST_HTTP_LOG");
  if (!root.empty()) root_ = WindowsPath(root) + "\\";
  if (!log.empty()) log_ = WindowsPath(log);
}

std::string TestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string TestServer::SecureUrl(const std::string& path) const {
  return "https://localhost:" + std::to_string(https_port_) + path;
}

std::string TestServer::UntrustedSecureUrl(const std::string& path) const {
  return "https://localhost:" + std::to_string(untrusted_https_port_) + path;
}

void TestServer::PutFile(const std::string& name, const std::string& bytes) const {
  std::string path = root_ + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  for (size_t slash = path.find('\\', root_.size()); slash != std::string::npos;
       slash = path.find('\\', slash + 1))
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  WriteWholeFile(path, bytes);
}

std::vector<LoggedRequest> TestServer::Requests() const {
  std::vector<LoggedRequest> requests;
  std::istringstream in(ReadWholeFile(log_));
  std::string line;
  LoggedRequest current;
  while (std::getline(in, line)) {
    if (line.empty()) {
      if (!current.line.empty()) requests.push_back(current);
      current = LoggedRequest();
    } else if (current.line.empty()) {
      current.line = line;
    } else {
      const size_t colon = line.find(": ");
      if (colon != std::string::npos)
        current.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
  }
  if (!current.line.empty()) requests.push_back(current);
  return requests;
}

void TestServer::ClearLog() const {
  WriteWholeFile(log_, "");
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace vl::test
