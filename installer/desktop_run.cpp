// desktop_run.exe: started by the elevated installer's finish page, it asks the desktop's shell
// (Explorer, running as the signed-in user without elevation) to start the program, so that the
// network-facing program never runs as administrator. When there is no desktop shell to ask,
// nothing is started: the program is never started elevated instead.
// Usage: desktop_run.exe <program path>     exit code 0 when the shell accepted the request
#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "common/win/com_ptr.h"

namespace {

using vl::win::ComPtr;

// The desktop's folder view, through the shell's list of its windows.
HRESULT DesktopShellDispatch(IShellDispatch2** result) {
  ComPtr<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put_void());
  if (FAILED(hr)) return hr;
  VARIANT location;
  VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT empty;
  VariantInit(&empty);
  long window = 0;
  ComPtr<IDispatch> desktop;
  hr = windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                             desktop.put());
  if (hr != S_OK || !desktop) return FAILED(hr) ? hr : E_FAIL;
  ComPtr<IServiceProvider> services;
  hr = desktop->QueryInterface(IID_IServiceProvider, services.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IShellBrowser> browser;
  hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IShellView> view;
  hr = browser->QueryActiveShellView(view.put());
  if (FAILED(hr)) return hr;
  ComPtr<IDispatch> background;
  hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IShellFolderViewDual> folder_view;
  hr = background->QueryInterface(IID_IShellFolderViewDual, folder_view.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IDispatch> application;
  hr = folder_view->get_Application(application.put());
  if (FAILED(hr)) return hr;
  return application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(result));
}

HRESULT RunAsDesktopUser(const wchar_t* program) {
  ComPtr<IShellDispatch2> shell;
  HRESULT hr = DesktopShellDispatch(shell.put());
  if (FAILED(hr)) return hr;
  // Started in its own folder, shown normally.
  wchar_t folder[MAX_PATH];
  lstrcpynW(folder, program, MAX_PATH);
  PathRemoveFileSpecW(folder);
  BSTR file = SysAllocString(program);
  VARIANT arguments, directory, operation, show;
  VariantInit(&arguments);
  VariantInit(&directory);
  directory.vt = VT_BSTR;
  directory.bstrVal = SysAllocString(folder);
  VariantInit(&operation);
  operation.vt = VT_BSTR;
  operation.bstrVal = SysAllocString(L"open");
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  hr = shell->ShellExecute(file, arguments, directory, operation, show);
  SysFreeString(file);
  VariantClear(&directory);
  VariantClear(&operation);
  return hr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count != 2) return 2;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HRESULT hr = RunAsDesktopUser(arguments[1]);
  if (SUCCEEDED(com)) CoUninitialize();
  LocalFree(arguments);
  return SUCCEEDED(hr) ? 0 : 1;
}
