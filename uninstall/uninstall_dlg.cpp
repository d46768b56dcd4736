#include "uninstall/uninstall_dlg.h"

#include "uninstall/uninstaller.h"

namespace vl::uninstall {

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  RunUninstall(dialog, ProgramSetup());
  DestroyWindow(dialog);
  PostQuitMessage(0);
  return FALSE;
}

}  // namespace vl::uninstall
