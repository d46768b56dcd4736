#include "app/main_dlg.h"

#include "common/win/app_module.h"

namespace vl {
namespace {
CMainDlg* g_current_main_window = nullptr;
constexpr int kWidth = 730;
constexpr int kHeight = 648;
}  // namespace

CMainDlg* CurrentMainWindow() {
  return g_current_main_window;
}

CMainDlg::CMainDlg() {
  g_current_main_window = this;
}

CMainDlg::~CMainDlg() {
  if (g_current_main_window == this) g_current_main_window = nullptr;
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
  return ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CMainDlg::OnIdle() {
  return FALSE;
}

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  // Borderless, fixed size, centred on the work area of its monitor.
  ModifyStyle(WS_CAPTION, 0);
  SetWindowPos(nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  // The system owns the region once it is set.
  SetWindowRgn(m_hWnd, CreateRoundRectRgn(0, 0, kWidth, kHeight, 4, 4), TRUE);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoA(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi)) {
    const RECT& wa = mi.rcWork;
    SetWindowPos(nullptr, wa.left + (wa.right - wa.left - kWidth) / 2,
                 wa.top + (wa.bottom - wa.top - kHeight) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  ModifyStyle(0, WS_CLIPCHILDREN);

  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto icon = [&](int cx, int cy) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, cx, cy,
                                         LR_DEFAULTCOLOR | LR_SHARED));
  };
  SendMessage(
      WM_SETICON, ICON_BIG,
      reinterpret_cast<LPARAM>(icon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON))));
  SendMessage(
      WM_SETICON, ICON_SMALL,
      reinterpret_cast<LPARAM>(icon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))));

  if (win::CMessageLoop* loop = win::Module().GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  UIAddWindow(m_hWnd);
  return TRUE;
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (win::CMessageLoop* loop = win::Module().GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  handled = FALSE;
  return 0;
}

LRESULT CMainDlg::OnConnectCommand(WORD, WORD, HWND, BOOL&) {
  // Connecting arrives with the device link and the stream worker.
  return 0;
}

LRESULT CMainDlg::OnCloseCommand(WORD, WORD, HWND, BOOL&) {
  DestroyWindow();
  ::PostQuitMessage(2);
  return 0;
}

}  // namespace vl
