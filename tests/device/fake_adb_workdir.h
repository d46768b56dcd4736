// A scratch working directory holding the fake adb as adb\adb.exe with its configuration,
// made the current directory for the test's lifetime (the program runs adb by that relative
// path). The fake adb logs its command lines and input to adb/calls.log.
#pragma once

#include <filesystem>
#include <string>

namespace vl::test {

// A fake adb whose server is just starting, with a locked phone and two authorised ones
// (PIXEL001 with a product and a model, GALAXY02 with a product name only).
inline constexpr char kTwoPhones[] =
    "banner * daemon not running; starting now at tcp:5037\n"
    "device LOCKED01 unauthorized\n"
    "device PIXEL001 device\n"
    "device GALAXY02 device\n"
    "prop PIXEL001 ro.build.product walleye\n"
    "prop PIXEL001 ro.product.model Pixel 7 Pro\n"
    "prop GALAXY02 ro.product.name beyond1lte\n";

class FakeAdbWorkdir {
 public:
  explicit FakeAdbWorkdir(const std::string& config);
  ~FakeAdbWorkdir();
  FakeAdbWorkdir(const FakeAdbWorkdir&) = delete;
  FakeAdbWorkdir& operator=(const FakeAdbWorkdir&) = delete;

  void WriteConfig(const std::string& config);
  // Removes adb\adb.exe: adb can no longer be started; RestoreAdb puts it back.
  void RemoveAdb();
  void RestoreAdb();
  // What the fake adb logged: "cmd: <command line>" and "stdin: <line>" lines.
  std::string ReadLog() const;
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

// The log line of a command line as the child saw it: exactly the command line on Windows;
// natively the program path has slashes (the POSIX runner maps them) and words are re-joined.
std::string AsLogged(const std::string& command_line);

// Path of a program built in this tree (tools/<folder>/<name>), as this platform opens it.
std::string BuiltProgram(const std::string& folder, const std::string& name);

}  // namespace vl::test
