// window_probe: prints a top-level window of this desktop and its child windows (class,
// control id, screen rectangle, visible and enabled flags, text), so that scripts can find the
// controls they click and read what they show. Texts are printed in UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: window_probe TITLE [--class CLASS]\n"
    "  Finds the visible top-level window whose title is TITLE and prints\n"
    "    window x=.. y=.. w=.. h=.. visible=0|1 client=X,Y,W,H text=TITLE\n"
    "  and, for every child window in z-order (descendants included),\n"
    "    child class=CLASS id=ID x=.. y=.. w=.. h=.. visible=0|1 enabled=0|1 text=TEXT\n"
    "  Rectangles are in screen coordinates (client: the window's client area, without the\n"
    "  frame and caption); TEXT is what the window answers to WM_GETTEXT.\n"
    "Exit status: 0 found, 1 usage, 2 no such window.\n";

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

std::string TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  // Bounded: a hung window must not hang the probe.
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::string text = Utf8(buffer);
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

void PrintRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  std::printf("x=%ld y=%ld w=%ld h=%ld visible=%d", r.left, r.top, r.right - r.left,
              r.bottom - r.top, IsWindowVisible(window) ? 1 : 0);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  char cls[128] = {};
  GetClassNameA(child, cls, sizeof cls);
  std::printf("child class=%s id=%d ", cls, GetDlgCtrlID(child));
  PrintRect(child);
  std::printf(" enabled=%d text=%s\n", IsWindowEnabled(child) ? 1 : 0, TextOf(child).c_str());
  return TRUE;
}

struct Search {
  std::wstring title;
  std::wstring cls;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  if (s->title != title) return TRUE;
  if (!s->cls.empty()) {
    wchar_t cls[128] = {};
    GetClassNameW(window, cls, 128);
    if (s->cls != cls) return TRUE;
  }
  s->found = window;
  return FALSE;
}

}  // namespace

int main() {
  // The wide command line: the title may be Chinese whatever the ANSI code page.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2 || std::wstring(argv[1]) == L"--help") {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 1 : 0;
  }
  Search search;
  search.title = argv[1];
  for (int i = 2; i + 1 < argc; i += 2)
    if (std::wstring(argv[i]) == L"--class") search.cls = argv[i + 1];
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 2;
  std::printf("window ");
  PrintRect(search.found);
  RECT client = {};
  GetClientRect(search.found, &client);
  MapWindowPoints(search.found, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::printf(" client=%ld,%ld,%ld,%ld text=%s\n", client.left, client.top,
              client.right - client.left, client.bottom - client.top, Utf8(search.title).c_str());
  EnumChildWindows(search.found, PrintChild, 0);
  std::fflush(stdout);
  return 0;
}
