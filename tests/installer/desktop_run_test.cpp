// The installer's finish page starts the program through desktop_run.exe, which asks the
// desktop's shell to start it: the program is then the shell's child, running as the desktop's
// user, not the elevated installer's. (Wine gives every process a full administrator's token, so
// the token cannot tell them apart here; who started the program can.)
#include <gtest/gtest.h>

#include <windows.h>

#include <process.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string WindowsPath(std::string unix_path) {
  std::replace(unix_path.begin(), unix_path.end(), '/', '\\');
  return "Z:" + unix_path;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs desktop_run.exe with `program` (none when empty) to its end: its exit code, -1 when it did
// not start. Both paths go quoted into the command line.
int DesktopRun(const std::string& program) {
  const std::string exe = WindowsPath(VL_DESKTOP_RUN_EXE);
  const std::string quoted_exe = "\"" + exe + "\"", quoted_program = "\"" + program + "\"";
  return static_cast<int>(_spawnl(_P_WAIT, exe.c_str(), quoted_exe.c_str(),
                                  program.empty() ? nullptr : quoted_program.c_str(), nullptr));
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

  EXPECT_EQ(DesktopRun(probe), 0);
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
  EXPECT_EQ(DesktopRun(""), 2);
}

}  // namespace
