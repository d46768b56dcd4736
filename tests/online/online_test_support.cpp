#include "tests/online/online_test_support.h"

#include <windows.h>
#include <gdiplus.h>
#include <wincrypt.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vl::test {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Wine shows the Unix file system as drive Z:.
std::string WindowsPath(std::string unix_path) {
  for (char& c : unix_path)
    if (c == '/') c = '\\';
  return "Z:" + unix_path;
}

// Our scratch folders hold no names with blanks.
void RemoveTree(const std::string& folder, int depth) {
  std::istringstream names(FileNames(folder + "*"));
  for (std::string name; names >> name;) {
    const std::string path = folder + name;
    if (!(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileA(path.c_str());
    else if (depth > 0)
      RemoveTree(path + "\\", depth - 1);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::optional<std::string> LoggedRequest::Header(const std::string& name) const {
  for (const auto& h : headers)
    if (_stricmp(h.first.c_str(), name.c_str()) == 0) return h.second;
  return std::nullopt;
}

TestServer::TestServer() {
  port_ = std::atoi(Env("VL_TEST_HTTP_PORT").c_str());
  https_port_ = std::atoi(Env("VL_TEST_HTTPS_PORT").c_str());
  untrusted_https_port_ = std::atoi(Env("VL_TEST_HTTPS_UNTRUSTED_PORT").c_str());
  const std::string root = Env("VL_TEST_HTTP_ROOT"), log = Env("VL_TEST_HTTP_LOG");
  if (!root.empty()) root_ = WindowsPath(root) + "\\";
  if (!log.empty()) log_ = WindowsPath(log);
}

std::string TestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string TestServer::SecureUrl(const std::string& path, bool trusted) const {
  return "https://localhost:" + std::to_string(trusted ? https_port_ : untrusted_https_port_) +
         path;
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
  std::istringstream in(ReadWholeFile(log_) + "\n");  // an empty line ends the last request
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

std::string PngPicture() {
  return ReadWholeFile(VL_SOURCE_DIR_WIN "\\app\\res\\default.png");
}

std::string JpegPicture() {
  return ReadWholeFile(VL_SOURCE_DIR_WIN "\\vcam\\res\\default_h.jpg");
}

std::string FileNames(const std::string& pattern) {
  std::string names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    names += (names.empty() ? "" : " ") + name;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

std::string TempFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  return temp;
}

ScratchFolder::ScratchFolder() {
  static int serial = 0;
  for (;;) {
    path_ = TempFolder() + "vl-online-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

ScratchFolder::~ScratchFolder() {
  RemoveTree(path_, 2);
}

void StartGdiplusForTests() {
  static ULONG_PTR token = 0;
  if (token != 0) return;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
}

bool TrustTestRoot() {
  const std::string der = ReadWholeFile(VL_SIGNING_DIR_WIN "\\root.der");
  if (der.empty()) return false;
  HCERTSTORE roots =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (roots == nullptr) return false;
  const BOOL added = CertAddEncodedCertificateToStore(
      roots, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
      static_cast<DWORD>(der.size()), CERT_STORE_ADD_USE_EXISTING, nullptr);
  CertCloseStore(roots, 0);
  return added != FALSE;
}

}  // namespace vl::test
