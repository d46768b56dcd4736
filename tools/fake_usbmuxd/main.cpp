// fake_usbmuxd: the fake mobile-device service as a program, for the Windows tests and the
// demo (a Windows program under Wine reaches it on the Linux loopback).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/fake_usbmuxd/fake_usbmuxd.h"
#include "tools/fake_usbmuxd/fake_usbmuxd_config.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using vl::fake_usbmuxd::FakeUsbmuxd;
using vl::fake_usbmuxd::Options;

const char kUsage[] =
    "Usage:\n"
    "  fake_usbmuxd serve --config FILE [--port N] [--port-file FILE] [--log FILE] [--tls]\n"
    "      serves the iPhones of FILE (read at every connection; format in\n"
    "      fake_usbmuxd_config.h) on 127.0.0.1:N (default: a free port) until SIGTERM or\n"
    "      SIGINT; every request is appended to the log.\n"
    "  fake_usbmuxd run [--config FILE] [--log FILE] [--tls] -- COMMAND...\n"
    "      serves on a free port while COMMAND runs with VL_TEST_USBMUXD_PORT,\n"
    "      VL_TEST_USBMUXD_CONFIG, VL_TEST_USBMUXD_LOG and USBMUXD_SOCKET_ADDRESS set, and\n"
    "      exits with its status. Without --config a fresh folder holds an empty file and the\n"
    "      log, removed afterwards.\n"
    "  --tls: lockdown sessions continue in TLS, as with real iPhones.\n";

struct Arguments {
  std::string mode, config, log, port_file;
  int port = 0;
  bool tls = false;
  std::vector<std::string> command;
};

bool Parse(int argc, char** argv, Arguments& a) {
  if (argc < 2) return false;
  a.mode = argv[1];
  if (a.mode != "serve" && a.mode != "run") return false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string number;
    if (arg == "--") {
      a.command.assign(argv + i + 1, argv + argc);
      break;
    } else if (arg == "--config") {
      if (!value(a.config)) return false;
    } else if (arg == "--log") {
      if (!value(a.log)) return false;
    } else if (arg == "--port-file") {
      if (!value(a.port_file)) return false;
    } else if (arg == "--port") {
      if (!value(number)) return false;
      a.port = std::atoi(number.c_str());
      if (a.port < 0 || a.port > 65535) return false;
    } else if (arg == "--tls") {
      a.tls = true;
    } else {
      return false;
    }
  }
  if (a.mode == "serve") return !a.config.empty() && a.command.empty();
  return !a.command.empty();
}

int RunCommand(const std::vector<std::string>& command) {
  std::vector<char*> args;
  for (const std::string& word : command) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, args[0], nullptr, nullptr, args.data(), environ) != 0) {
    std::fprintf(stderr, "fake_usbmuxd: cannot start %s\n", args[0]);
    return 127;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments a;
  if (!Parse(argc, argv, a)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // Signals are waited for on this thread only; the server's threads inherit the mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  if (a.mode == "serve") pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  fs::path scratch;
  if (a.config.empty()) {
    char folder[] = "/tmp/vl-usbmuxd-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    scratch = folder;
    a.config = (scratch / "iphones.conf").string();
    if (a.log.empty()) a.log = (scratch / "requests.log").string();
  }
  if (!fs::exists(a.config)) std::ofstream(a.config).close();
  if (!a.log.empty()) std::ofstream(a.log, std::ios::app).close();

  Options options;
  options.tls = a.tls;
  options.port = static_cast<uint16_t>(a.port);
  options.log_path = a.log;
  const std::string config = a.config;
  FakeUsbmuxd mux([config] { return vl::fake_usbmuxd::ReadIphonesFile(config); }, options);
  if (!mux.Start()) {
    std::fprintf(stderr, "fake_usbmuxd: cannot listen on 127.0.0.1:%d\n", a.port);
    return 1;
  }
  if (!a.port_file.empty()) std::ofstream(a.port_file) << mux.port() << "\n";

  int status = 0;
  if (a.mode == "serve") {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
  } else {
    setenv("VL_TEST_USBMUXD_PORT", std::to_string(mux.port()).c_str(), 1);
    setenv("VL_TEST_USBMUXD_CONFIG", fs::absolute(a.config).c_str(), 1);
    setenv("VL_TEST_USBMUXD_LOG", a.log.empty() ? "" : fs::absolute(a.log).c_str(), 1);
    setenv("USBMUXD_SOCKET_ADDRESS", mux.Address().c_str(), 1);
    status = RunCommand(a.command);
  }
  mux.Stop();
  if (!scratch.empty()) fs::remove_all(scratch);
  return status;
}
