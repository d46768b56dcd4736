// process_probe: the resources a running process holds, for long runs that look for leaks.
//   process_probe IMAGE...
// prints one line per running process of each image name (case-insensitive):
//   IMAGE pid=N private_bytes=N handles=N gdi_objects=N user_objects=N
// Figures the system cannot give are -1. Exit status 0 when every image was found, 2 else.
//
// Private bytes are the process's commit charge (PagefileUsage). Handles, GDI and USER objects
// come from GetProcessHandleCount and GetGuiResources; where those are missing (Wine answers 0
// or "not implemented"), from the system handle list, Wine's GDI handle table in the process
// and the windows the process owns.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using QuerySystem = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

template <typename F>
F NtFunction(const char* name) {
  return reinterpret_cast<F>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Handles of every process, from the system handle list (information class 16).
long CountSystemHandles(DWORD pid) {
  struct Entry {
    ULONG process_id;
    UCHAR object_type, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  const QuerySystem query = NtFunction<QuerySystem>("NtQuerySystemInformation");
  if (query == nullptr) return -1;
  std::vector<char> buffer(1 << 20);
  for (int tries = 0; tries < 6; ++tries) {
    ULONG needed = 0;
    const NTSTATUS status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      ULONG count = 0;
      std::memcpy(&count, buffer.data(), sizeof count);
      const size_t room = (buffer.size() - sizeof(ULONG_PTR)) / sizeof(Entry);
      const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
      long mine = 0;
      for (ULONG i = 0; i < count && i < room; ++i)
        if (entries[i].process_id == pid) ++mine;
      return mine;
    }
    buffer.resize(buffer.size() * 2);
  }
  return -1;
}

// Wine keeps each process's GDI objects in a handle table of 65536 entries of 24 bytes (object,
// owner with the process id in its low 16 bits, unique, type, flags, user pointer) that the
// 64-bit process block names at offset 0xF8; a 32-bit process's 64-bit block lies one page
// below its 32-bit one. The table is the process's own; entries with a type are objects in use,
// and those with the stock flag (bit 7 of the unique field) are the system's stock objects.
long CountWineGdiObjects(HANDLE process) {
  const QueryProcess query = NtFunction<QueryProcess>("NtQueryInformationProcess");
  if (query == nullptr) return -1;
  PROCESS_BASIC_INFORMATION info{};
  ULONG length = 0;
  if (query(process, ProcessBasicInformation, &info, sizeof info, &length) != 0 ||
      info.PebBaseAddress == nullptr)
    return -1;
  uint64_t table = 0;
  SIZE_T got = 0;
  const char* peb64 = reinterpret_cast<const char*>(info.PebBaseAddress) - 0x1000;
  if (!ReadProcessMemory(process, peb64 + 0xF8, &table, sizeof table, &got) || table == 0 ||
      table > 0xFFFFFFFFull)
    return -1;
  struct Entry {
    uint64_t object;
    uint16_t process_id, count;
    uint16_t unique;
    uint8_t type, flags;
    uint64_t user;
  };
  static_assert(sizeof(Entry) == 24, "Wine's GDI handle entry");
  std::vector<Entry> entries(0x10000);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)),
                         entries.data(), entries.size() * sizeof(Entry), &got))
    return -1;
  long used = 0;
  for (const Entry& e : entries)
    if (e.type != 0 && (e.unique & 0x80) == 0) ++used;
  return used;
}

struct WindowCount {
  DWORD pid;
  long count;
};

BOOL CALLBACK CountChild(HWND window, LPARAM param) {
  auto* c = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == c->pid) ++c->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM param) {
  CountChild(window, param);
  EnumChildWindows(window, CountChild, param);  // all descendants
  return TRUE;
}

long CountWindows(DWORD pid) {
  WindowCount c{pid, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&c));
  return c.count;
}

void Probe(const PROCESSENTRY32& entry) {
  const DWORD pid = entry.th32ProcessID;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  long long private_bytes = -1;
  long handles = -1, gdi = -1, user = -1;
  if (process != nullptr) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory))
      private_bytes = static_cast<long long>(memory.PagefileUsage);
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count > 0) handles = static_cast<long>(count);
    SetLastError(0);
    const DWORD g = GetGuiResources(process, GR_GDIOBJECTS);
    if (g != 0 || GetLastError() == 0) gdi = static_cast<long>(g);
    SetLastError(0);
    const DWORD u = GetGuiResources(process, GR_USEROBJECTS);
    if (u != 0 || GetLastError() == 0) user = static_cast<long>(u);
  }
  if (handles < 0) handles = CountSystemHandles(pid);
  if (gdi < 0 && process != nullptr) gdi = CountWineGdiObjects(process);
  if (user < 0) user = CountWindows(pid);
  if (process != nullptr) CloseHandle(process);
  std::printf("%s pid=%lu private_bytes=%lld handles=%ld gdi_objects=%ld user_objects=%ld\n",
              entry.szExeFile, pid, private_bytes, handles, gdi, user);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(
        "Usage: process_probe IMAGE...\n"
        "Prints, for every running process of each image name:\n"
        "  IMAGE pid=N private_bytes=N handles=N gdi_objects=N user_objects=N\n",
        argc < 2 ? stderr : stdout);
    return argc < 2 ? 1 : 0;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 3;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
      if (_stricmp(entry.szExeFile, argv[i]) != 0) continue;
      found = true;
      Probe(entry);
    }
    CloseHandle(snapshot);
    if (!found) {
      std::printf("%s not running\n", argv[i]);
      status = 2;
    }
  }
  return status;
}
