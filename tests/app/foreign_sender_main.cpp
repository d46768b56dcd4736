// foreign_sender: another program on the desktop sending the main window ("Velloria") message
// 0x467 with addresses that mean nothing in the receiving process: small numbers, an address
// in this process (a URL here, garbage there), the top of the address space.
//   foreign_sender
// Exit status 0 when every message was delivered (the receiver answered), 1 when the window
// was not found, 2 when the receiver stopped answering (it crashed or hangs).
#include <windows.h>

#include <cstdio>

int main() {
  HWND window = FindWindowA(nullptr, "Velloria");
  if (!window) {
    std::puts("no window titled Velloria");
    return 1;
  }
  static const char kUrl[] = "http://127.0.0.1:1/Velloria_setup_9.9.9.9.exe";
  const LPARAM addresses[] = {0x10, 0x1234, reinterpret_cast<LPARAM>(kUrl),
                              static_cast<LPARAM>(0x7FFF0000), static_cast<LPARAM>(-16)};
  for (LPARAM a : addresses) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, 0x467, 0, a, SMTO_ABORTIFHUNG, 10000, &result)) {
      std::printf("0x467 with 0x%lx: no answer\n", static_cast<unsigned long>(a));
      return 2;
    }
    std::printf("0x467 with 0x%lx: answered\n", static_cast<unsigned long>(a));
  }
  return 0;
}
