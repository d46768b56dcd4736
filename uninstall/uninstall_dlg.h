// The uninstaller's dialog: never shown, it runs the whole uninstall while it initialises and
// destroys itself before it would appear.
#pragma once

#include <windows.h>

namespace vl::uninstall {

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace vl::uninstall
