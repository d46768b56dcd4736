// ProcessRunner over posix_spawn and pipes, for the native build and its tests.
#include "device/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <sstream>
#include <vector>

extern char** environ;

namespace vl {
namespace {

void CloseIfOpen(intptr_t& fd) {
  if (fd >= 0) ::close(static_cast<int>(fd));
  fd = -1;
}

// A child that exits before reading its input must not kill us with SIGPIPE.
void IgnoreSigpipeOnce() {
  static std::once_flag once;
  std::call_once(once, [] { ::signal(SIGPIPE, SIG_IGN); });
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  if (!words.empty()) {
    for (char& c : words[0]) {
      if (c == '\\') c = '/';
    }
  }
  return words;
}

}  // namespace

ProcessRunner::ProcessRunner() = default;
ProcessRunner::~ProcessRunner() {
  Release();
}

void ProcessRunner::KillChild() {
  if (child_ > 0) ::kill(static_cast<pid_t>(child_), SIGKILL);
}

void ProcessRunner::Release() {
  CloseIfOpen(output_read_);
  CloseIfOpen(input_write_);
  if (child_ > 0) {
    // The Windows program never waits for adb; here the child must still be reaped.
    const pid_t pid = static_cast<pid_t>(child_);
    if (::waitpid(pid, nullptr, WNOHANG) == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
  child_ = -1;
}

bool ProcessRunner::Launch(const std::string& command_line) {
  Release();
  IgnoreSigpipeOnce();
  const std::vector<std::string> words = SplitCommandLine(command_line);
  if (words.empty()) return false;
  int out_pipe[2], in_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) return false;
  if (::pipe2(in_pipe, O_CLOEXEC) != 0) {
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 2);
  std::vector<char*> argv;
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  output_read_ = out_pipe[0];
  input_write_ = in_pipe[1];
  if (rc != 0) {
    Release();
    return false;
  }
  child_ = pid;
  return true;
}

std::string ProcessRunner::ReadAll() {
  std::string result;
  last_read_timed_out_ = false;
  if (output_read_ < 0) return result;
  const auto deadline = std::chrono::steady_clock::now() + read_timeout_;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      last_read_timed_out_ = true;
      KillChild();
      break;
    }
    pollfd p{static_cast<int>(output_read_), POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) break;
    if (r == 0) continue;  // the deadline check above ends the wait
    char chunk[1024] = {};
    const ssize_t got = ::read(static_cast<int>(output_read_), chunk, 1023);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    chunk[got] = '\0';
    result.append(chunk);
  }
  return result;
}

int ProcessRunner::WriteInput(const std::string& text) {
  if (input_write_ < 0) return 0;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n =
        ::write(static_cast<int>(input_write_), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;
    done += static_cast<size_t>(n);
  }
  return 1;
}

}  // namespace vl
