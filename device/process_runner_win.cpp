// ProcessRunner over CreateProcessA and anonymous pipes.
#include "device/process_runner.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vl {
namespace {

HANDLE H(intptr_t v) {
  return reinterpret_cast<HANDLE>(v);
}
intptr_t V(HANDLE h) {
  return reinterpret_cast<intptr_t>(h);
}

void CloseIfOpen(intptr_t& v) {
  if (v != -1 && v != 0) CloseHandle(H(v));
  v = -1;
}

}  // namespace

ProcessRunner::ProcessRunner() = default;
ProcessRunner::~ProcessRunner() {
  Release();
}

void ProcessRunner::Release() {
  CloseIfOpen(output_read_);
  CloseIfOpen(input_write_);
  CloseIfOpen(child_);
}

void ProcessRunner::KillChild() {
  if (child_ != -1) TerminateProcess(H(child_), 1);
}

bool ProcessRunner::Launch(const std::string& command_line) {
  Release();
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = TRUE;

  HANDLE out_read = nullptr, out_write = nullptr;
  if (!CreatePipe(&out_read, &out_write, &sa, 0)) return false;
  HANDLE in_read = nullptr, in_write = nullptr;
  if (!CreatePipe(&in_read, &in_write, &sa, 0)) {
    CloseHandle(out_read);
    CloseHandle(out_write);
    return false;
  }
  // Our own ends must not leak into the child: a child holding the write end of its own input
  // would never see that input end, and one holding the read end keeps the pipe alive.
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
  output_read_ = V(out_read);
  input_write_ = V(in_write);

  STARTUPINFOA si;
  GetStartupInfoA(&si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = in_read;
  si.hStdOutput = out_write;
  si.hStdError = out_write;

  std::vector<char> writable(command_line.begin(), command_line.end());
  writable.push_back('\0');
  PROCESS_INFORMATION pi{};
  const BOOL created = CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &si, &pi);
  CloseHandle(in_read);
  CloseHandle(out_write);
  if (!created) {
    Release();
    return false;
  }
  CloseHandle(pi.hThread);
  // Kept only to end a child that hangs past the read time-out.
  child_ = V(pi.hProcess);
  return true;
}

std::string ProcessRunner::ReadAll() {
  std::string result;
  last_read_timed_out_ = false;
  if (output_read_ == -1) return result;
  const DWORD start = GetTickCount();
  const DWORD limit = static_cast<DWORD>(read_timeout_.count());
  for (;;) {
    DWORD available = 0;
    // Polled so the wait can be bounded; fails with a broken pipe once every writer is gone.
    if (!PeekNamedPipe(H(output_read_), nullptr, 0, nullptr, &available, nullptr)) break;
    if (available == 0) {
      if (GetTickCount() - start >= limit) {
        last_read_timed_out_ = true;
        KillChild();
        break;
      }
      Sleep(5);
      continue;
    }
    char chunk[1024] = {};
    DWORD got = 0;
    const DWORD want = std::min<DWORD>(available, 1023);
    if (!ReadFile(H(output_read_), chunk, want, &got, nullptr) || got == 0) break;
    chunk[got] = '\0';
    result.append(chunk);
  }
  return result;
}

int ProcessRunner::WriteInput(const std::string& text) {
  if (input_write_ == -1) return 0;
  DWORD written = 0;
  return WriteFile(H(input_write_), text.data(), static_cast<DWORD>(text.size()), &written,
                   nullptr);
}

}  // namespace vl
