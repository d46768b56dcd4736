#include "tests/device/fake_iphones.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "device/usbmux_client.h"

namespace vl::test {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A Windows program under Wine reaches the Unix file system through drive Z:.
std::string LocalPath(const std::string& unix_path) {
#ifdef _WIN32
  std::string path = "Z:" + unix_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
#else
  return unix_path;
#endif
}

// Where nothing should ever listen: no stray service (such as another checkout's fake on the
// default port) answers a test that has none.
constexpr int kNobodyPort = 1;

}  // namespace

FakeIphones::FakeIphones()
    : port_(std::atoi(Env("VL_TEST_USBMUXD_PORT").c_str())),
      config_(LocalPath(Env("VL_TEST_USBMUXD_CONFIG"))),
      log_(LocalPath(Env("VL_TEST_USBMUXD_LOG"))) {
  if (port_ <= 0 || port_ > 65535) port_ = 0;
  usbmux::SetServicePort(static_cast<uint16_t>(port_ ? port_ : kNobodyPort));
  Attach("");
}

FakeIphones::~FakeIphones() {
  Attach("");
}

void FakeIphones::Attach(const std::string& lines) {
  if (available()) std::ofstream(config_, std::ios::binary | std::ios::trunc) << lines;
}

std::string FakeIphones::Log() const {
  std::ifstream in(log_, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vl::test
