// The process entry on its real path, with the library steps observed through the seam.
#include "app/app_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/module_directory.h"
#include "app/main_dlg.h"
#include "common/win/app_module.h"

namespace vl {
namespace {

std::vector<std::string>* g_steps = nullptr;

// The real libraries, with each step recorded as it happens.
#define VL_RECORDED(step, name) \
  void step() override {        \
    g_steps->push_back(name);   \
    ProcessLibraries::step();   \
  }

class RecordingLibraries : public ProcessLibraries {
 public:
  VL_RECORDED(InitializeCom, "com")
  VL_RECORDED(PrimeDefaultWindowProc, "defwndproc")
  VL_RECORDED(InitializeCommonControls, "commctrl")
  VL_RECORDED(StartGdiplus, "gdiplus")
  VL_RECORDED(RegisterCodecs, "codecs")
  VL_RECORDED(StartWinsock, "winsock")
  VL_RECORDED(UninitializeCom, "~com")
  VL_RECORDED(CleanupWinsock, "~winsock")
  VL_RECORDED(ShutdownGdiplus, "~gdiplus")
};

int RecordingRun(LPSTR command_line, int show) {
  g_steps->push_back("run:" + std::string(command_line) + ":" + std::to_string(show));
  // The module is started before the run: the run can register its loop.
  win::CMessageLoop loop;
  if (win::Module().AddMessageLoop(&loop)) g_steps->push_back("loop registered");
  win::Module().RemoveMessageLoop();
  return 2;
}

TEST(AppEntry, StartsLibrariesInOrderAndShutsDownComWinsockGdiplus) {
  std::vector<std::string> steps;
  g_steps = &steps;
  RecordingLibraries libraries;
  char command_line[] = "args";
  EXPECT_EQ(AppEntry(libraries, GetModuleHandleA(nullptr), command_line, SW_SHOW, &RecordingRun),
            2);
  EXPECT_EQ(steps, (std::vector<std::string>{"com", "defwndproc", "commctrl", "gdiplus", "codecs",
                                             "winsock", "run:args:5", "loop registered", "~com",
                                             "~winsock", "~gdiplus"}));
  // Module end forgot the loops.
  EXPECT_EQ(win::Module().GetMessageLoop(), nullptr);
  g_steps = nullptr;
}

TEST(AppEntry, MainWindowThatCannotBeCreatedEndsWithExitCodeZero) {
  // This test program carries no main dialog template, so creating the window fails.
  ProcessLibraries libraries;
  char command_line[] = "";
  EXPECT_EQ(AppEntry(libraries, GetModuleHandleA(nullptr), command_line, SW_SHOW, &RunMainWindow),
            0);
  // The run still computed the application directory and destroyed its window object.
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  EXPECT_EQ(ApplicationDirectory(), DirectoryOfModulePath(path));
  EXPECT_EQ(CurrentMainWindow(), nullptr);
}

}  // namespace
}  // namespace vl
