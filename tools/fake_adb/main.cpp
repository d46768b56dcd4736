// Fake adb for the tests, placed as adb\adb.exe: answers "devices", "-s SERIAL shell" (reading
// getprop/exit from its input) and "-s SERIAL forward tcp:A tcp:B" as fake_adb.conf beside it
// says (see fake_adb_config.h).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "tools/fake_adb/fake_adb_config.h"

namespace {

using vl::fake_adb::Config;
using vl::fake_adb::Device;

std::string ProgramDirectory(const char* argv0) {
  std::string path;
#ifdef _WIN32
  char buffer[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  path.assign(buffer, n);
#else
  path = argv0;
#endif
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The command line exactly as the parent wrote it (Windows), or the words joined (POSIX).
std::string CommandLine(int argc, char** argv) {
#ifdef _WIN32
  return GetCommandLineA();
#else
  std::string line;
  for (int i = 0; i < argc; ++i) line += (i ? " " : "") + std::string(argv[i]);
  return line;
#endif
}

class Output {
 public:
  explicit Output(const Config& c) : eol_(c.eol) {}
  void Line(const std::string& text) {
    const std::string s = text + eol_;
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
  }

 private:
  std::string eol_;
};

void Log(const Config& c, const std::string& line) {
  if (c.log_path.empty()) return;
  std::ofstream(c.log_path, std::ios::app | std::ios::binary) << line << "\n";
}

[[noreturn]] void HangForever() {
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

bool Has(const std::vector<std::string>& list, const std::string& v) {
  for (const auto& s : list) {
    if (s == v) return true;
  }
  return false;
}

int Fail(const Config& c, Output& out, const std::string& command, const std::string& fallback) {
  const auto it = c.fail.find(command);
  out.Line(it != c.fail.end() && !it->second.empty() ? it->second : fallback);
  return 1;
}

// An error for a phone that cannot take commands, or 0 when it can.
int DeviceProblem(Device* d, const std::string& serial, Output& out) {
  if (!d) {
    out.Line("error: device '" + serial + "' not found");
    return 1;
  }
  if (d->state == "unauthorized") {
    out.Line("error: device unauthorized.");
    out.Line("This adb server's $ADB_VENDOR_KEYS is not set");
    out.Line("Try 'adb kill-server' if that seems wrong.");
    out.Line("Otherwise check for a confirmation dialog on your device.");
    return 1;
  }
  if (d->state != "device") {
    out.Line("error: device " + d->state);
    return 1;
  }
  return 0;
}

int Devices(Config& c, Output& out) {
  for (const auto& b : c.banner) out.Line(b);
  out.Line("List of devices attached");
  for (const Device& d : c.devices) out.Line(d.serial + "\t" + d.state);
  out.Line("");
  return 0;
}

int Shell(Config& c, Output& out, const std::string& serial) {
  if (int problem = DeviceProblem(c.Find(serial), serial, out)) return problem;
  const Device& d = *c.Find(serial);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Log(c, "stdin: " + line);
    if (line == "exit") return 0;
    if (line == "getprop") {
      for (const auto& [key, value] : d.props) out.Line("[" + key + "]: [" + value + "]");
    } else if (!line.empty()) {
      out.Line("/system/bin/sh: " + line + ": inaccessible or not found");
    }
  }
  return 0;
}

int Forward(Config& c, Output& out, const std::string& serial, const std::string& local,
            const std::string& remote) {
  if (int problem = DeviceProblem(c.Find(serial), serial, out)) return problem;
  if (local.rfind("tcp:", 0) != 0 || remote.rfind("tcp:", 0) != 0) {
    out.Line("error: cannot bind listener: bad address");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::string error;
  std::ifstream in(ProgramDirectory(argv[0]) + "fake_adb.conf", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  Config c = vl::fake_adb::ParseConfig(text.str(), error);
  Output out(c);
  Log(c, "cmd: " + CommandLine(argc, argv));

  std::string command, serial;
  int first = 1;
  if (argc >= 3 && std::string(argv[1]) == "-s") {
    serial = argv[2];
    first = 3;
  }
  if (first < argc) command = argv[first];
  if (Has(c.hang, command)) HangForever();
  if (c.fail.count(command)) return Fail(c, out, command, "error: " + command + " failed");

  if (command == "devices" && serial.empty()) return Devices(c, out);
  if (command == "shell" && !serial.empty()) return Shell(c, out, serial);
  if (command == "forward" && !serial.empty() && first + 2 < argc) {
    return Forward(c, out, serial, argv[first + 1], argv[first + 2]);
  }
  out.Line("adb: usage: unknown command " + command);
  return 1;
}
