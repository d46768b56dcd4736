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
class RecordingLibraries : public ProcessLibraries {
 public:
  explicit RecordingLibraries(std::vector<std::string>* steps) : steps_(steps) {}
  void InitializeCom() override {
    steps_->push_back("com");
    ProcessLibraries::InitializeCom();
  }
  void PrimeDefaultWindowProc() override {
    steps_->push_back("defwndproc");
    ProcessLibraries::PrimeDefaultWindowProc();
  }
  void InitializeCommonControls() override {
    steps_->push_back("commctrl");
    ProcessLibraries::InitializeCommonControls();
  }
  void StartGdiplus() override {
    steps_->push_back("gdiplus");
    ProcessLibraries::StartGdiplus();
  }
  void RegisterCodecs() override {
    steps_->push_back("codecs");
    ProcessLibraries::RegisterCodecs();
  }
  void StartWinsock() override {
    steps_->push_back("winsock");
    ProcessLibraries::StartWinsock();
  }
  void UninitializeCom() override {
    steps_->push_back("~com");
    ProcessLibraries::UninitializeCom();
  }
  void CleanupWinsock() override {
    steps_->push_back("~winsock");
    ProcessLibraries::CleanupWinsock();
  }
  void ShutdownGdiplus() override {
    steps_->push_back("~gdiplus");
    ProcessLibraries::ShutdownGdiplus();
  }

 private:
  std::vector<std::string>* steps_;
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
  RecordingLibraries libraries(&steps);
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
