#include "tests/uninstall/uninstall_test_support.h"

#include <shlobj.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vl::test {
namespace {

// Under Wine: the Unix path of a Windows path (empty elsewhere).
std::wstring UnixPath(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix_path = to_unix != nullptr ? to_unix(path.c_str()) : nullptr;
  if (unix_path == nullptr) return std::wstring();
  const std::wstring result = std::filesystem::u8path(unix_path).wstring();
  HeapFree(GetProcessHeap(), 0, unix_path);
  return result;
}

// Wine starts Unix programs but does not report their end: the caller waits for the effect.
bool RunUnixTool(const wchar_t* tool, const std::wstring& arguments,
                 const std::function<bool()>& done) {
  std::wstring command = std::wstring(L"/bin/") + tool + L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const std::wstring exe = std::wstring(L"Z:\\bin\\") + tool;
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
  return done();
}

// A Windows path for a file of the build tree (Wine sees the Unix file system as drive Z:).
std::wstring BuiltFile(const char* unix_path) {
  return L"Z:" + std::filesystem::u8path(unix_path).make_preferred().wstring();
}

}  // namespace

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteText(const std::wstring& path, const std::string& text) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

std::string ReadText(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void CopyFileTo(const std::wstring& from, const std::wstring& to) {
  CopyFileW(from.c_str(), to.c_str(), FALSE);
}

void MakeFolders(const std::wstring& folder) {
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
}

void RemoveTree(const std::wstring& folder) {
  // rm removes a link without following it, even one that Wine cannot remove because its folder
  // holds files.
  const std::wstring unix_folder = UnixPath(folder);
  if (!unix_folder.empty())
    RunUnixTool(L"rm", L"-rf \"" + unix_folder + L"\"", [&] { return !Exists(folder); });
}

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
  const std::wstring unix_link = UnixPath(link), unix_target = UnixPath(target);
  if (unix_link.empty() || unix_target.empty()) return false;
  return RunUnixTool(L"ln", L"-s \"" + unix_target + L"\" \"" + unix_link + L"\"", [&] {
    return Exists(link) && (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  });
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"vl_uninstall_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(counter++);
  MakeFolders(path_);
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring command = L"\"" + exe + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  return true;
}

bool ChildProcess::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeout_ms, DWORD* exit_code) {
  if (!process_ || WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) return false;
  if (exit_code != nullptr) GetExitCodeProcess(process_.get(), exit_code);
  return true;
}

void ChildProcess::Kill() {
  if (Running()) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

HWND WaitForWindow(const wchar_t* title, DWORD timeout_ms) {
  HWND window = nullptr;
  for (DWORD waited = 0; !(window = FindWindowW(nullptr, title)) && waited < timeout_ms;
       waited += 50)
    Sleep(50);
  return window;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
  return path;
}

ScriptedPrompts::ScriptedPrompts(std::deque<int> answers) : answers_(std::move(answers)) {
  previous_ = win::SetWideMessageBoxHandler(
      [this](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
        return Show(text, caption, type);
      });
}

int ScriptedPrompts::Show(const std::wstring& text, const std::wstring& caption, UINT type) {
  asked_.push_back({text, caption, type});
  if (before_answer) before_answer(asked_.size() - 1, asked_.back());
  if (answers_.empty()) return IDCANCEL;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

ScratchInstallation::ScratchInstallation() {
  folder_ = scratch_.path() + L"\\Programs\\Velloria";
  MakeFolders(folder_ + L"\\res");
  MakeFolders(folder_ + L"\\adb");
  CopyFileTo(BuiltFile(VL_LUMAROO_EXE), File(L"Lumaroo.exe"));
  CopyFileTo(BuiltFile(VL_UNINSTALL_EXE), File(L"Uninstall.exe"));
  CopyFileTo(BuiltFile(VL_VCAM_HORIZONTAL_DLL), File(L"vlux_horizontal.dll"));
  CopyFileTo(BuiltFile(VL_VCAM_VERTICAL_DLL), File(L"vlux_vertical.dll"));
  CopyFileTo(BuiltFile(VL_APP_RES_DIR "/default.png"), File(L"res\\default.png"));
  CopyFileTo(BuiltFile(VL_VCAM_RES_DIR "/default_h.jpg"), File(L"res\\default_h.jpg"));
  CopyFileTo(BuiltFile(VL_VCAM_RES_DIR "/default_v.jpg"), File(L"res\\default_v.jpg"));
  CopyFileTo(ProductStub(), File(L"adb\\adb.exe"));
  // The adb stand-in's kill-server.log is listed as the real adb's own files would be.
  WriteText(File(L"installed.lst"),
            "AppConfig.ini\r\nLumaroo.exe\r\nUninstall.exe\r\nadb\\\r\nadb\\adb.exe\r\n"
            "adb\\kill-server.log\r\ninstalled.lst\r\nres\\\r\nres\\default.png\r\n"
            "res\\default_h.jpg\r\nres\\default_v.jpg\r\nvlux_horizontal.dll\r\n"
            "vlux_vertical.dll\r\nx64\\\r\nx64\\vlux_horizontal.dll\r\nx64\\vlux_vertical.dll\r\n");
  WriteText(MarkerBeside(), "not part of the installation");
}

std::wstring ProductStub() {
  return BuiltFile(VL_PRODUCT_STUB_EXE);
}

}  // namespace vl::test
