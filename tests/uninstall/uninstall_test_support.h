// Helpers of the uninstaller tests: scratch folders, real child processes, prompts answered
// by the test, links between folders, and a scratch installation laid out like a real one.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "common/win/message_box.h"

namespace vl::test {

bool Exists(const std::wstring& path);
void WriteText(const std::wstring& path, const std::string& text);
std::string ReadText(const std::wstring& path);
void CopyFileTo(const std::wstring& from, const std::wstring& to);
// Makes `folder` and every missing folder above it.
void MakeFolders(const std::wstring& folder);
// Removes a test's folder tree; links inside are removed as links.
void RemoveTree(const std::wstring& folder);

// `link` becomes a folder link to `target`: Wine, which cannot make junctions, gets a symbolic
// link of the Unix file system, which it reports as a reparse point.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// A fresh folder under the temporary folder, removed at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// A program started by the test; ended when the test no longer needs it (not copied: it owns
// the process handle).
class ChildProcess {
 public:
  ~ChildProcess() { Kill(); }
  bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
  bool Running() const;
  // Waits for the end; false when it still runs after `timeout_ms`.
  bool WaitForExit(DWORD timeout_ms, DWORD* exit_code = nullptr);
  void Kill();
  HANDLE handle() const { return process_.get(); }

 private:
  win::UniqueHandle process_;
};

// Waits until a top-level window with this title exists (or `timeout_ms` passed).
HWND WaitForWindow(const wchar_t* title, DWORD timeout_ms);
// The path of a shell folder (a CSIDL_ value), made if missing.
std::wstring ShellFolder(int csidl);

// The answers a test gives to the uninstaller's questions, in order, and the questions asked:
// while it lives, it answers every UTF-16 message box of the process (the message-box seam).
class ScriptedPrompts {
 public:
  struct Prompt {
    std::wstring text;
    std::wstring caption;
    UINT type;
  };
  explicit ScriptedPrompts(std::deque<int> answers);
  ~ScriptedPrompts() { win::SetWideMessageBoxHandler(std::move(previous_)); }
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;
  // Called before each answer with the prompt's index (for example to end a program first).
  std::function<void(size_t index, const Prompt&)> before_answer;

  const std::vector<Prompt>& asked() const { return asked_; }

 private:
  int Show(const std::wstring& text, const std::wstring& caption, UINT type);

  std::deque<int> answers_;  // once used up, every further question is cancelled
  std::vector<Prompt> asked_;
  win::WideMessageBoxHandler previous_;
};

// A scratch installation: <scratch>\Programs\Velloria with the real program, uninstaller and
// camera modules, the fallback picture and an adb stand-in, the installer's list of them
// ("installed.lst"), and a marker file beside it.
class ScratchInstallation {
 public:
  ScratchInstallation();
  const std::wstring& folder() const { return folder_; }
  const std::wstring& scratch() const { return scratch_.path(); }
  std::wstring File(const wchar_t* relative) const { return folder_ + L"\\" + relative; }
  // The marker beside the installation folder, which no uninstall may touch.
  std::wstring MarkerBeside() const { return scratch_.path() + L"\\Programs\\keep.txt"; }

 private:
  ScratchFolder scratch_;
  std::wstring folder_;
};

// The test helper that plays a hung main program or an adb server (see product_stub.cpp).
std::wstring ProductStub();

}  // namespace vl::test
