// ProcessRunner over CreateProcessA and anonymous pipes.
#include "device/process_runner.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
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

// One launch at a time makes its pipe ends inheritable.
std::mutex& LaunchLock() {
  static std::mutex lock;
  return lock;
}

// A process attribute list naming the only handles a child inherits; attributes() is null when
// the list cannot be made (the launch lock alone then keeps other launches' ends out).
class ChildHandleList {
 public:
  ChildHandleList(HANDLE* handles, size_t count) {
    SIZE_T bytes = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
    if (bytes == 0) return;
    storage_.resize(bytes);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &bytes)) return;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                   count * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(list);
      return;
    }
    list_ = list;
  }
  ~ChildHandleList() {
    if (list_ != nullptr) DeleteProcThreadAttributeList(list_);
  }
  ChildHandleList(const ChildHandleList&) = delete;
  ChildHandleList& operator=(const ChildHandleList&) = delete;
  LPPROC_THREAD_ATTRIBUTE_LIST attributes() const { return list_; }

 private:
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

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
  // The pipes are made uninheritable; their child ends become inheritable only while the launch
  // lock is held, and the child is told to inherit exactly those two. Otherwise a child started
  // by another thread at the same moment (a scan beside a connect) inherits our ends and holds
  // our output open for as long as it lives: ReadAll would wait for it.
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = FALSE;

  HANDLE out_read = nullptr, out_write = nullptr;
  if (!CreatePipe(&out_read, &out_write, &sa, 0)) return false;
  HANDLE in_read = nullptr, in_write = nullptr;
  if (!CreatePipe(&in_read, &in_write, &sa, 0)) {
    CloseHandle(out_read);
    CloseHandle(out_write);
    return false;
  }
  output_read_ = V(out_read);
  input_write_ = V(in_write);

  STARTUPINFOEXA si{};
  GetStartupInfoA(&si.StartupInfo);
  si.StartupInfo.cb = sizeof si.StartupInfo;
  si.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.StartupInfo.wShowWindow = SW_HIDE;
  si.StartupInfo.hStdInput = in_read;
  si.StartupInfo.hStdOutput = out_write;
  si.StartupInfo.hStdError = out_write;

  // Exactly these handles for the child, where the system supports such a list.
  HANDLE inherited[2] = {in_read, out_write};
  ChildHandleList handle_list(inherited, 2);
  DWORD flags = 0;
  if (handle_list.attributes() != nullptr) {
    si.StartupInfo.cb = sizeof si;
    si.lpAttributeList = handle_list.attributes();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }

  std::vector<char> writable(command_line.begin(), command_line.end());
  writable.push_back('\0');
  PROCESS_INFORMATION pi{};
  BOOL created;
  {
    std::lock_guard<std::mutex> lock(LaunchLock());
    SetHandleInformation(in_read, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(out_write, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    created = CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, flags, nullptr,
                             nullptr, &si.StartupInfo, &pi);
    // Closed before the lock is released: no later launch can see them.
    CloseHandle(in_read);
    CloseHandle(out_write);
  }
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
