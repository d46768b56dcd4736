#include "app/app_entry.h"

#include <memory>

#include "common/module_directory.h"
#include "common/win/module_path.h"
#include "app/main_dlg.h"
#include "common/win/app_module.h"

namespace vl {

int AppEntry(ProcessLibraries& libraries, HINSTANCE instance, LPSTR command_line, int show,
             RunFunction run) {
  libraries.InitializeCom();
  libraries.PrimeDefaultWindowProc();
  libraries.InitializeCommonControls();
  libraries.StartGdiplus();
  libraries.RegisterCodecs();
  libraries.StartWinsock();

  win::Module().Init(instance);
  const int result = run(command_line, show);
  win::Module().Term();

  libraries.UninitializeCom();
  libraries.CleanupWinsock();
  libraries.ShutdownGdiplus();
  return result;
}

int RunMainWindow(LPSTR /*command_line*/, int show) {
  win::CMessageLoop loop;
  win::Module().AddMessageLoop(&loop);

  SetApplicationDirectory(win::ModuleDirectoryOf(nullptr));

  auto dialog = std::make_unique<CMainDlg>();
  int result = 0;
  if (dialog->Create(nullptr)) {
    dialog->ShowWindow(show);
    result = loop.Run();
  }
  win::Module().RemoveMessageLoop();
  dialog.reset();
  return result;
}

}  // namespace vl
