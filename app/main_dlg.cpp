#include "app/main_dlg.h"

#include <dbt.h>

#include "app/camera_registration.h"
#include "app/main_dlg_layout.h"
#include "app/program_settings_store.h"
#include "common/main_window_class.h"
#include "common/module_directory.h"
#include "common/win/app_module.h"
#include "common/win/dib.h"
#include "online/remote_config.h"
#include "widgets/buffered_paint.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

namespace ml = main_layout;

CMainDlg* g_current_main_window = nullptr;

// The dialog's own class: the system dialog class under the program's name, so that the
// dialog manager still drives it.
bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(instance, kMainWindowClass, &existing)) return true;
  WNDCLASSEXA dialog_class = {};
  dialog_class.cbSize = sizeof(dialog_class);
  if (!GetClassInfoExA(nullptr, MAKEINTRESOURCEA(0x8002), &dialog_class)) return false;
  dialog_class.hInstance = instance;
  dialog_class.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&dialog_class) != 0;
}

}  // namespace

HWND CMainDlg::Create(HWND parent, LPARAM init_param) {
  if (!RegisterMainWindowClass(::GetModuleHandleA(nullptr))) return nullptr;
  return win::CDialogImpl<CMainDlg>::Create(parent, init_param);
}

// The stream worker and the device scanner as the workflow sees them.
class CMainDlg::StreamControl : public IStreamControl {
 public:
  explicit StreamControl(StreamWorker& worker) : worker_(worker) {}
  void Start(const DeviceEntry& device) override { worker_.Start(&device); }
  void Stop() override { worker_.Stop(); }
  bool IsRunning() const override { return worker_.IsRunning(); }
  std::string GetErrorText() const override { return worker_.GetErrorText(); }
  void SetMirror(int mirror, int flip) override { worker_.SetMirror(mirror, flip); }
  void SetPortrait(int portrait) override { worker_.SetPortrait(portrait); }

 private:
  StreamWorker& worker_;
};

class CMainDlg::DeviceSource : public IDeviceSource {
 public:
  explicit DeviceSource(DeviceScanner& scanner) : scanner_(scanner) {}
  bool StartScan() override { return scanner_.StartScan(); }
  std::vector<DeviceEntry> GetEntries() const override { return scanner_.GetEntries(); }
  bool AdbMissing() const override { return scanner_.AdbMissing(); }

 private:
  DeviceScanner& scanner_;
};

CMainDlg* CurrentMainWindow() {
  return g_current_main_window;
}

CMainDlg::CMainDlg()
    : scanner_(std::make_unique<DeviceScanner>()),
      online_host_(std::make_shared<ProgramSettingsStore>(),
                   [this](const std::string& text, const std::string& title) {
                     tray_.ShowBalloon(text.c_str(), title.c_str(), NIIF_INFO, kBalloonTimeoutMs);
                   }) {
  g_current_main_window = this;
}

// The scanner shares what a running scan uses with it, so a scan that is still waiting for
// adb finishes on its own. The stream worker's thread is ended first, at once (a silent phone
// does not hold the exit for its receive wait): it hands the phone's pictures to the panel's
// store and its commands to this window, so it must be gone before the hosts are.
CMainDlg::~CMainDlg() {
  if (worker_) worker_->Stop();
  if (g_current_main_window == this) g_current_main_window = nullptr;
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
  return ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CMainDlg::OnIdle() {
  return FALSE;
}

void CMainDlg::SetUpFrame() {
  // Borderless, fixed size, centred on the work area of its monitor.
  ModifyStyle(WS_CAPTION, 0);
  SetWindowPos(nullptr, 0, 0, ml::kIdleWidth, ml::kHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  // The system owns the region once it is set.
  SetWindowRgn(
      m_hWnd,
      CreateRoundRectRgn(0, 0, ml::kIdleWidth, ml::kHeight, ml::kCornerEllipse, ml::kCornerEllipse),
      TRUE);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoA(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi)) {
    const RECT& wa = mi.rcWork;
    SetWindowPos(nullptr, wa.left + (wa.right - wa.left - ml::kIdleWidth) / 2,
                 wa.top + (wa.bottom - wa.top - ml::kHeight) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  ModifyStyle(0, WS_CLIPCHILDREN);
}

void CMainDlg::LoadIcons() {
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
  small_icon_ = icon(16, 16);
}

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  SetUpFrame();
  LoadIcons();
  background_ = LoadPngResourceBitmap(pictures::kMainBackground);
  if (win::CMessageLoop* loop = win::Module().GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  UIAddWindow(m_hWnd);

  online_host_.LoadCachedRemoteConfig();

  // The scan's result arrives as kMsgDeviceListArrived once this thread handles messages again.
  scanner_->SetResultWindow(m_hWnd);
  scanner_->StartScan();

  controls_.Create(m_hWnd);
  preview_host_.Create(m_hWnd);

  worker_ = std::make_unique<StreamWorker>();
  worker_->SetPort(kPhoneStreamPort);
  worker_->SetNotifyWindow(m_hWnd);
  worker_->EnableDecodeTrace();
  preview_host_.SetWorker(worker_.get());
  stream_control_ = std::make_unique<StreamControl>(*worker_);
  device_source_ = std::make_unique<DeviceSource>(*scanner_);
  IConnectionView& view = *this;
  IWorkflowTurns& turns = *this;
  workflow_ = std::make_unique<ConnectionWorkflow>(view, *stream_control_, *device_source_, &turns);

  tray_.SetOwner(m_hWnd, small_icon_);
  // The connection tip of the record (cached, or fetched since) is the worker's failure text.
  worker_->SetConnectionTipsSource([] { return GetRemoteConfig().tips_conn; });

  controls_.BeginLoading();

  RegisterCameraModules(m_hWnd);
  // The panel manager is made here (it becomes the current one); the phone's pictures go to it.
  panel_host_ = std::make_unique<PanelHosting>(m_hWnd, ml::kPanel);
  worker_->SetResourceStore(&panel_host_->manager());
  online_host_.Start(m_hWnd, ApplicationDirectory());
  return TRUE;
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (win::CMessageLoop* loop = win::Module().GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  KillTimer(kDeviceChangeTimer);
  handled = FALSE;
  return 0;
}

LRESULT CMainDlg::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);  // white, copied to the window in one block
  HDC dc = paint.dc();
  if (!dc) return 0;
  const int width = paint.client().right, height = paint.client().bottom;
  if (background_) DrawAlphaBitmap(dc, background_.get(), 1, 1);
  // The title bar's divider spans the window at every width; the background picture only
  // holds it as far as the preview.
  RECT divider = {1, ml::kTitleDividerY, width - 1, ml::kTitleDividerY + 1};
  win::UniqueBrush divider_brush(CreateSolidBrush(RGB(224, 224, 224)));
  FillRect(dc, &divider, divider_brush.get());
  win::UniqueRegion frame(
      CreateRoundRectRgn(0, 0, width, height, ml::kCornerEllipse, ml::kCornerEllipse));
  win::UniqueBrush frame_brush(CreateSolidBrush(RGB(173, 173, 173)));
  FrameRgn(dc, frame.get(), frame_brush.get(), 1, 1);
  return 0;
}

LRESULT CMainDlg::OnSize(UINT, WPARAM, LPARAM lparam, BOOL&) {
  const int width = LOWORD(lparam), height = HIWORD(lparam);
  if (width > ml::kMinimumLayoutWidth && controls_.created()) {
    SetWindowRgn(m_hWnd,
                 CreateRoundRectRgn(0, 0, width, height, ml::kCornerEllipse, ml::kCornerEllipse),
                 TRUE);
    controls_.PlaceCaptionButtons(width);
  }
  GetClientRect(&drag_strip_);
  drag_strip_.bottom = ml::kDragStripBottom;
  Invalidate(TRUE);
  return 0;
}

LRESULT CMainDlg::OnLeftButtonDown(UINT, WPARAM, LPARAM lparam, BOOL& handled) {
  const POINT at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (!PtInRect(&drag_strip_, at)) {
    handled = FALSE;
    return 0;
  }
  SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, lparam);
  return 0;
}

LRESULT CMainDlg::OnDeviceChange(UINT, WPARAM wparam, LPARAM, BOOL& handled) {
  if (wparam != DBT_DEVNODES_CHANGED) {
    handled = FALSE;
    return 0;
  }
  // A burst of changes gives one refresh, a second after the last of them.
  KillTimer(kDeviceChangeTimer);
  SetTimer(kDeviceChangeTimer, kDeviceChangeDelayMs);
  return TRUE;
}

LRESULT CMainDlg::OnTimer(UINT, WPARAM timer, LPARAM, BOOL& handled) {
  if (timer != kDeviceChangeTimer) {
    handled = FALSE;
    return 0;
  }
  KillTimer(kDeviceChangeTimer);
  if (workflow_) workflow_->Refresh();
  return 0;
}

LRESULT CMainDlg::OnStreamConnected(UINT, WPARAM, LPARAM, BOOL&) {
  if (workflow_) workflow_->OnConnected();
  return 0;
}

LRESULT CMainDlg::OnStreamRunEnded(UINT, WPARAM, LPARAM, BOOL&) {
  if (workflow_) workflow_->OnDisconnected();
  return 0;
}

LRESULT CMainDlg::OnStreamConnectFailed(UINT, WPARAM, LPARAM, BOOL&) {
  if (workflow_) workflow_->OnFailed();
  return 0;
}

LRESULT CMainDlg::OnDeviceListArrived(UINT, WPARAM, LPARAM, BOOL&) {
  // The parameters are not used: the workflow takes its own copy of the scanner's list.
  if (workflow_) workflow_->OnDeviceListArrived();
  return 0;
}

LRESULT CMainDlg::OnPanelCommand(UINT, WPARAM, LPARAM lparam, BOOL&) {
  // The stream worker waits in SendMessage: nothing leaves ApplyCommand.
  if (panel_host_) panel_host_->ApplyCommand(reinterpret_cast<const char*>(lparam));
  return 0;
}

LRESULT CMainDlg::OnHelpPictures(UINT, WPARAM, LPARAM, BOOL&) {
  // New help pictures from the online services: the preview's placeholder shows them.
  preview_host_.preview().ReloadPlaceholder(true);
  return 0;
}

LRESULT CMainDlg::OnConnectCommand(WORD, WORD, HWND, BOOL&) {
  if (workflow_) workflow_->OnConnectCommand();
  return 0;
}

LRESULT CMainDlg::OnCloseCommand(WORD, WORD, HWND, BOOL&) {
  DestroyWindow();
  ::PostQuitMessage(2);
  return 0;
}

LRESULT CMainDlg::OnRefreshCommand(WORD, WORD, HWND, BOOL&) {
  if (workflow_) workflow_->OnRefreshCommand();
  return 0;
}

LRESULT CMainDlg::OnOrientationCommand(WORD, WORD, HWND, BOOL&) {
  if (workflow_) workflow_->ToggleOrientation();
  return 0;
}

LRESULT CMainDlg::OnHorizontalFlipCommand(WORD, WORD, HWND, BOOL&) {
  if (workflow_) workflow_->ToggleMirror();
  return 0;
}

LRESULT CMainDlg::OnMinimiseCommand(WORD, WORD, HWND, BOOL&) {
  ShowWindow(SW_MINIMIZE);
  return 0;
}

LRESULT CMainDlg::OnVerticalFlipCommand(WORD, WORD, HWND, BOOL&) {
  if (workflow_) workflow_->ToggleFlip();
  return 0;
}

}  // namespace vl
