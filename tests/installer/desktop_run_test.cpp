// The installer's finish page starts the program through desktop_run.exe, which asks the
// desktop's shell to start it: the program is then the shell's child, running as the desktop's
// user, not the elevated installer's. (Wine gives every process a full administrator's token, so
// the token cannot tell them apart here; who started the program can.)
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/win/handles.h"

namespace {

std::string WindowsPath(std::string unix_path) {
  for (char& c : unix_path)
    if (c == '/') c = '\\';
  return "Z:" + unix_path;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs `command` and returns its exit code (-1 when it did not start or end).
int RunToEnd(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return -1;
  CloseHandle(info.hThread);
  vl::win::UniqueHandle process(info.hProcess);
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

TEST(DesktopRun, TheProgramIsStartedByTheDesktopsShell) {
  // A window of this process makes sure the desktop (and its shell) runs, as it does for a user.
  HWND window = CreateWindowA("STATIC", "desktop run test", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string probe = std::string(temp) + "vl_desktop_run_" +
                            std::to_string(GetCurrentProcessId()) + "_Lumaroo.exe";
  ASSERT_TRUE(CopyFileA(WindowsPath(VL_PARENT_PROBE_EXE).c_str(), probe.c_str(), FALSE));
  DeleteFileA((probe + ".parent").c_str());

  EXPECT_EQ(RunToEnd("\"" + WindowsPath(VL_DESKTOP_RUN_EXE) + "\" \"" + probe + "\""), 0);
  std::string parent;
  for (int i = 0; i < 600 && parent.empty(); ++i) {
    Sleep(50);
    parent = ReadText(probe + ".parent");
  }
  EXPECT_EQ(_stricmp(parent.c_str(), "explorer.exe"), 0) << "started by " << parent;
  Sleep(200);
  DeleteFileA((probe + ".parent").c_str());
  DeleteFileA(probe.c_str());
  DestroyWindow(window);
}

TEST(DesktopRun, WithoutAProgramNothingStarts) {
  EXPECT_EQ(RunToEnd("\"" + WindowsPath(VL_DESKTOP_RUN_EXE) + "\""), 2);
}

}  // namespace
