// Uninstall.exe. The removal itself (closing the program, stopping the adb server, removing
// the installation) is not built yet: until then the program tells the user so and ends.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Velloria \u5378\u8f7d\u7a0b\u5e8f\u5c1a\u672a\u5b8c\u6210\u3002",
              L"Velloria", MB_OK | MB_ICONINFORMATION);
  return 1;
}
