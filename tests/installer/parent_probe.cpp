// Stands in for the program that the installer's finish page starts: writes the image name of
// the process that started it into "<its own path>.parent" and ends.
#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <string>

int main() {
  const DWORD self = GetCurrentProcessId();
  DWORD parent = 0;
  std::string parent_name = "?";
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == parent) parent_name = entry.szExeFile;
  CloseHandle(snapshot);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::ofstream(std::string(path) + ".parent", std::ios::binary) << parent_name;
  return 0;
}
