// The main window: a borderless dialog that hosts the preview, the device picker and the
// connection controls, and, through its hosts, the phone's panel and the online services.
//
//   main_dlg.cpp           the window: start-up, layout, painting, dragging, messages
//   main_dlg_view.cpp      the window as the connection workflow's view
//   main_dlg_controls.*    its own widgets and the loading overlay
//   main_preview_host.*    the preview and the overlay buttons painted on it
//   connection_workflow.*  the rules of connecting, apart from any window
// It carries two other subsystems, each through its one host: the phone's panel (PanelHosting
// of panel/, given kMsgPanelCommand and the panel's area) and the online services (OnlineHost of
// online/, whose message map handles kMsgUpdateOffer, kCommandSettings and kCommandNoDeviceHelp).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/connection_workflow.h"
#include "app/main_dlg_controls.h"
#include "app/main_preview_host.h"
#include "app/resource.h"
#include "app/tray_icon.h"
#include "common/win/handles.h"
#include "common/win/message_loop.h"
#include "common/win/update_ui.h"
#include "common/win/window_impl.h"
#include "device/device_scanner.h"
#include "media/stream_worker.h"
#include "media/window_notify_listener.h"
#include "online/online_host_win.h"
#include "panel/panel_hosting_win.h"

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
  // How long the online services' balloons stay.
  static constexpr UINT kBalloonTimeoutMs = 10000;
  // Empty device lists in a row after which the help dialog opens (if still no phone is listed).
  static constexpr int kRefreshesBeforeHelp = 3;

  CMainDlg();
  ~CMainDlg() override;

  // Creates the window from its template, whose class is the program's own (registered here
  // once: the dialog class under the name of common/main_window_class.h).
  HWND Create(HWND parent, LPARAM init_param = 0);

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override;

  // The parts, for the hosts and the tests.
  StreamWorker* stream_worker() { return worker_.get(); }
  DeviceScanner& scanner() { return *scanner_; }
  ConnectionWorkflow* workflow() { return workflow_.get(); }
  MainDlgControls& controls() { return controls_; }
  MainPreviewHost& preview_host() { return preview_host_; }
  // The panel's host, made in the last turn of the start (null before).
  PanelHosting* panel_host() { return panel_host_.get(); }
  OnlineHost& online_host() { return online_host_; }
  // The notification-area icon, where the balloons show.
  TrayIcon& tray() { return tray_; }
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
  MESSAGE_HANDLER(kMsgPanelCommand, OnPanelCommand)
  MESSAGE_HANDLER(kMsgHelpPictures, OnHelpPictures)
  COMMAND_ID_HANDLER(kCommandConnect, OnConnectCommand)
  COMMAND_ID_HANDLER(kCommandClose, OnCloseCommand)
  COMMAND_ID_HANDLER(kCommandRefresh, OnRefreshCommand)
  COMMAND_ID_HANDLER(kCommandOrientation, OnOrientationCommand)
  COMMAND_ID_HANDLER(kCommandHorizontalFlip, OnHorizontalFlipCommand)
  COMMAND_ID_HANDLER(kCommandMinimise, OnMinimiseCommand)
  COMMAND_ID_HANDLER(kCommandVerticalFlip, OnVerticalFlipCommand)
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
  LRESULT OnPanelCommand(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnHelpPictures(UINT, WPARAM, LPARAM, BOOL&);
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
  std::unique_ptr<PanelHosting> panel_host_;
  TrayIcon tray_;
  // Destroyed first: the fetch and download threads keep what they share with it (the settings,
  // the prompts, the link to the window) and show no balloon from then on.
  OnlineHost online_host_;

  win::UniqueBitmap background_;
  HICON small_icon_ = nullptr;  // 16 x 16, for the notification area
  RECT drag_strip_ = {};
};

// The current main window (set by its constructor), for other threads and parts to address it.
CMainDlg* CurrentMainWindow();

}  // namespace vl
