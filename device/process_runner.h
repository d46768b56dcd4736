// Runs a console tool (adb) as a hidden child, feeds its standard input and collects its
// standard output and error through one pipe.
//
// Windows: CreateProcessA with the command line as given (the executable named relatively,
// e.g. "adb\adb.exe", is found from the current directory).
// POSIX (native builds and tests): the command line is split at blanks, backslashes in the
// program path become slashes, and the program is spawned directly, so the native fake adb
// copied to "adb/adb.exe" answers exactly what the Windows program would be asked.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vl {

class ProcessRunner {
 public:
  // adb may need several seconds to start its server; a child silent for this long is
  // considered hung: ReadAll returns what it has and the child is killed.
  static constexpr std::chrono::milliseconds kDefaultReadTimeout{30000};

  ProcessRunner();
  ~ProcessRunner();
  ProcessRunner(const ProcessRunner&) = delete;
  ProcessRunner& operator=(const ProcessRunner&) = delete;

  // Starts the child; closes what is left of an earlier child first.
  bool Launch(const std::string& command_line);
  // Everything the child writes (output and error) until the pipe ends or the time-out passes.
  // A NUL byte in a chunk ends what is kept of that chunk.
  std::string ReadAll();
  // Writes the bytes (no terminator) to the child's input; non-zero on success.
  int WriteInput(const std::string& text);
  void Release();

  void SetReadTimeout(std::chrono::milliseconds timeout) { read_timeout_ = timeout; }
  // True when the last ReadAll gave up at its time-out (and killed the child).
  bool last_read_timed_out() const { return last_read_timed_out_; }

 private:
  void KillChild();

  // Platform handles: HANDLEs on Windows, descriptors and the pid on POSIX.
  intptr_t output_read_ = -1;
  intptr_t input_write_ = -1;
  intptr_t child_ = -1;
  std::chrono::milliseconds read_timeout_ = kDefaultReadTimeout;
  bool last_read_timed_out_ = false;
};

}  // namespace vl
