// Uninstall.exe: removes the installation it lives in. Everything happens while its dialog
// initialises; the dialog is destroyed before it is ever shown and the program ends with 0.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "uninstall/res/resource.h"
#include "uninstall/uninstall_dlg.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const HRESULT com = CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_UNINSTALL), nullptr,
                                   vl::uninstall::UninstallDialogProc, 0);
  if (dialog != nullptr && IsWindow(dialog)) {
    ShowWindow(dialog, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
