#include "tests/device/fake_adb_workdir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vl::test {
namespace fs = std::filesystem;

std::string BuiltProgram(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  return std::string("Z:") + VL_BINARY_DIR + "/tools/" + folder + "/" + name + ".exe";
#else
  return std::string(VL_BINARY_DIR) + "/tools/" + folder + "/" + name;
#endif
}

std::string AsLogged(const std::string& command_line) {
  std::string line = "cmd: " + command_line + "\n";
#ifndef _WIN32
  const size_t first_word_end = std::min(line.find(' ', 5), line.size());
  std::replace(line.begin() + 5, line.begin() + first_word_end, '\\', '/');
#endif
  return line;
}

FakeAdbWorkdir::FakeAdbWorkdir(const std::string& config) : previous_(fs::current_path()) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  dir_ = fs::temp_directory_path() /
         ("vl_adb_" + std::to_string(stamp) + "_" + std::to_string(counter++));
  fs::create_directories(dir_ / "adb");
  RestoreAdb();
  WriteConfig(config);
  fs::current_path(dir_);
}

FakeAdbWorkdir::~FakeAdbWorkdir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(dir_, ec);
}

void FakeAdbWorkdir::WriteConfig(const std::string& config) {
  std::ofstream(dir_ / "adb" / "fake_adb.conf", std::ios::binary | std::ios::trunc)
      << config << "\nlog adb/calls.log\n";
}

void FakeAdbWorkdir::RemoveAdb() {
  fs::remove(dir_ / "adb" / "adb.exe");
}

void FakeAdbWorkdir::RestoreAdb() {
  fs::copy_file(BuiltProgram("fake_adb", "fake_adb"), dir_ / "adb" / "adb.exe",
                fs::copy_options::overwrite_existing);
  fs::permissions(dir_ / "adb" / "adb.exe", fs::perms::owner_all, fs::perm_options::add);
}

std::string FakeAdbWorkdir::ReadLog() const {
  std::ifstream in(dir_ / "adb" / "calls.log", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vl::test
