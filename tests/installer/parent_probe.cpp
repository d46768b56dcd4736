// Stands in for the program that the installer's finish page starts: writes the image name of
// the process that started it into "<its own path>.parent" and ends.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
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
  if (FILE* f = std::fopen((std::string(path) + ".parent").c_str(), "wb")) {
    std::fputs(parent_name.c_str(), f);
    std::fclose(f);
  }
  return 0;
}
