// The main window: a borderless dialog that hosts the preview, the device picker and the
// connection controls, and, through its hosts, the phone's panel and the online services.
//
//   main_dlg.cpp           the window: start-up, layout, painting, dragging, messages
//   main_dlg_view.cpp      the window as the connection workflow's view
//   main_dlg_controls.*    its own widgets and the loading overlay
//   main_preview_host.*    the preview and the overlay buttons painted on it
//   main_panel_host.*      the phone's panel (0x404, SetPanelWindow)
//   main_online_host.*     online services (0x467, 0x468, commands 7 and 9, balloons)
//   connection_workflow.*  the rules of connecting, apart from any window
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/connection_workflow.h"
#include "app/main_dlg_controls.h"
#include "app/main_online_host.h"
#include "app/main_panel_host.h"
#include "app/main_preview_host.h"
#include "app/resource.h"
#include "common/win/handles.h"
#include "common/win/message_loop.h"
#include "common/win/update_ui.h"
#include "common/win/window_impl.h"
#include "device/device_scanner.h"
#include "media/stream_worker.h"
#include "media/window_notify_listener.h"

namespace vl {

class CMainDlg : public win::CDialogImpl<CMainDlg>,
                 public win::CMessageFilter,
                 public win::CIdleHandler,
                 public win::CUpdateUI,
                 private IConnectionView,
                 private IWorkflowTurns {
 public:
  enum { IDD = IDD_MAINDLG };
  // Timer that refreshes the device list after the last of a burst of device changes.
  static constexpr UINT_PTR kDeviceChangeTimer = 1;
  static constexpr UINT kDeviceChangeDelayMs = 1000;

  CMainDlg();
  ~CMainDlg() override;

  // Creates the window from its template, whose class is the program's own (registered here
  // once: the dialog class under the name of common/main_window_class.h).
  HWND Create(HWND parent, LPARAM init_param = 0);

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override;

  // A new panel from the panel manager (see MainPanelHost).
  void SetPanelWindow(DUICtrl* root) { panel_host_.SetPanelWindow(root); }
  // A balloon on the program's notification-area icon (see MainOnlineHost).
  void ShowBalloon(const char* text, const char* title, DWORD info_flags, UINT timeout_ms) {
    online_host_.ShowBalloon(text, title, info_flags, timeout_ms);
  }

  // The parts, for the hosts and the tests.
  StreamWorker* stream_worker() { return worker_.get(); }
  DeviceScanner& scanner() { return *scanner_; }
  ConnectionWorkflow* workflow() { return workflow_.get(); }
  MainDlgControls& controls() { return controls_; }
  MainPreviewHost& preview_host() { return preview_host_; }
  MainPanelHost& panel_host() { return panel_host_; }
  MainOnlineHost& online_host() { return online_host_; }
  HICON small_icon() const { return small_icon_; }

  BEGIN_MSG_MAP(CMainDlg)
  MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_SIZE, OnSize)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(kMsgStreamConnected, OnStreamConnected)
  MESSAGE_HANDLER(kMsgStreamRunEnded, OnStreamRunEnded)
  MESSAGE_HANDLER(kMsgStreamConnectFailed, OnStreamConnectFailed)
  MESSAGE_HANDLER(kMsgDeviceListArrived, OnDeviceListArrived)
  COMMAND_ID_HANDLER(kCommandConnect, OnConnectCommand)
  COMMAND_ID_HANDLER(kCommandClose, OnCloseCommand)
  COMMAND_ID_HANDLER(kCommandRefresh, OnRefreshCommand)
  COMMAND_ID_HANDLER(kCommandOrientation, OnOrientationCommand)
  COMMAND_ID_HANDLER(kCommandHorizontalFlip, OnHorizontalFlipCommand)
  COMMAND_ID_HANDLER(kCommandMinimise, OnMinimiseCommand)
  COMMAND_ID_HANDLER(kCommandVerticalFlip, OnVerticalFlipCommand)
  CHAIN_MSG_MAP_MEMBER(panel_host_)
  CHAIN_MSG_MAP_MEMBER(online_host_)
  END_MSG_MAP()

 private:
  class StreamControl;
  class DeviceSource;

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnStreamConnected(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnStreamRunEnded(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnStreamConnectFailed(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDeviceListArrived(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnConnectCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnCloseCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnRefreshCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnOrientationCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnHorizontalFlipCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnMinimiseCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnVerticalFlipCommand(WORD, WORD, HWND, BOOL&);

  void SetUpFrame();
  void LoadIcons();

  // IConnectionView (main_dlg_view.cpp).
  void ShowDevices(const std::vector<std::string>& names, int selected) override;
  void SetPickerText(const std::string& text) override;
  int SelectedDevice() const override;
  void SetNoDeviceHelpVisible(bool visible) override;
  void EndLoading() override;
  void SetConnectLook(ConnectLook look, bool enabled) override;
  void SetConnectedLayout(bool connected) override;
  void SetPreviewPolling(bool on) override;
  void SetOrientationLook(bool portrait) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;

  // IWorkflowTurns: handed on to the hosts.
  void OnEmptyDeviceList(int& refresh_count) override;
  void OnConnectedLayout() override;
  void OnDisconnectedLayout() override;
  std::string AndroidDriverLink() override;

  // Declared in destruction order's reverse: the worker outlives the preview that polls it.
  // Its thread, which reaches the panel host's store, is stopped by the destructor itself.
  std::unique_ptr<DeviceScanner> scanner_;
  std::unique_ptr<StreamWorker> worker_;
  std::unique_ptr<StreamControl> stream_control_;
  std::unique_ptr<DeviceSource> device_source_;
  std::unique_ptr<ConnectionWorkflow> workflow_;
  MainDlgControls controls_;
  MainPreviewHost preview_host_;
  MainPanelHost panel_host_;
  MainOnlineHost online_host_;

  win::UniqueBitmap background_;
  HICON small_icon_ = nullptr;  // 16 x 16, for the notification area
  RECT drag_strip_ = {};
};

// The current main window (set by its constructor), for other threads and parts to address it.
CMainDlg* CurrentMainWindow();

}  // namespace vl
