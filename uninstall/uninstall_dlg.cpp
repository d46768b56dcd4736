#include "uninstall/uninstall_dlg.h"

#include "uninstall/uninstaller.h"
#include "uninstall/user_prompts.h"

namespace vl::uninstall {

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  MessageBoxPrompts prompts;
  RunUninstall(dialog, prompts, ProgramSetup());
  DestroyWindow(dialog);
  PostQuitMessage(0);
  return FALSE;
}

}  // namespace vl::uninstall
