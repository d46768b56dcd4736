// The main program's own window class. The installer and the uninstaller find the running
// program by it: a title alone also matches, for example, an Explorer window of a folder named
// "Velloria". Plain macros, so that resource scripts and the installer script read the same name.
#pragma once

#define VL_MAIN_WINDOW_CLASS "VelloriaMainWindow"

#ifndef RC_INVOKED
namespace vl {
inline constexpr char kMainWindowClass[] = VL_MAIN_WINDOW_CLASS;
inline constexpr wchar_t kMainWindowClassW[] = L"" VL_MAIN_WINDOW_CLASS;
}  // namespace vl
#endif
