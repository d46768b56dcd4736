// stream_viewer: connects to one phone exactly as the main program does (adb forward, stream
// worker, decoder, frame buffer), shows its picture in the preview window, publishes it to the
// cameras through the shared frame section, and hosts the phone's effect panel at its right as
// the main window does (commands, pictures, events back to the phone). A development and demo
// tool: the main window's other controls are not involved.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dlg_layout.h"
#include "common/main_window_messages.h"
#include "common/win/window_impl.h"
#include "device/adb_bridge.h"
#include "device/process_runner.h"
#include "media/player_ctrl.h"
#include "media/stream_worker.h"
#include "panel/panel_hosting_win.h"

namespace {

constexpr int kLeft = 40;  // where the window goes on the screen
constexpr int kTop = 40;

struct Options {
  std::string serial;  // empty: the first phone adb lists
  bool portrait = false;
  bool mirror = false;
  bool flip = false;
  int seconds = 0;  // 0: until the window is closed or the phone goes away
};

void PrintHelp() {
  std::printf(
      "stream_viewer [options]\n"
      "  Connects to a phone through adb\\adb.exe (forward tcp:8984) like the main program,\n"
      "  shows its stream in the preview, publishes every picture to the cameras and shows\n"
      "  the phone's effect panel at the right. Borderless at (40, 40), 1080 x 648; Escape\n"
      "  closes it.\n"
      "  --serial S    the adb serial to connect to (default: the first phone listed)\n"
      "  --portrait    720 x 1280 output instead of 1280 x 720\n"
      "  --mirror      mirror left to right; --flip: upside down\n"
      "  --seconds N   disconnect and exit N seconds after connecting (default: run until\n"
      "                the window is closed or the stream ends)\n"
      "Prints one line per state change; exit code 0 after a connected run, 3 when the\n"
      "connection failed, 2 on bad options.\n");
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--serial" && i + 1 < argc) {
      o->serial = argv[++i];
    } else if (a == "--portrait") {
      o->portrait = true;
    } else if (a == "--mirror") {
      o->mirror = true;
    } else if (a == "--flip") {
      o->flip = true;
    } else if (a == "--seconds" && i + 1 < argc) {
      o->seconds = std::atoi(argv[++i]);
    } else {
      return false;
    }
  }
  return true;
}

class ViewerWindow : public vl::win::CWindowImpl<ViewerWindow> {
 public:
  ViewerWindow(vl::StreamWorker* worker, const Options& options)
      : worker_(worker), options_(options) {}

  static const char* GetWndClassName() { return "VelloriaStreamViewer"; }
  static HBRUSH GetWndBackground() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }
  int exit_code() const { return exit_code_; }

  BEGIN_MSG_MAP(ViewerWindow)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_CLOSE, OnClose)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  MESSAGE_HANDLER(vl::kMsgStreamConnected, OnConnected)
  MESSAGE_HANDLER(vl::kMsgStreamRunEnded, OnRunEnded)
  MESSAGE_HANDLER(vl::kMsgStreamConnectFailed, OnConnectFailed)
  MESSAGE_HANDLER(vl::kMsgPanelCommand, OnPanelCommand)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    // The main window's layout: the preview at the left, the panel area at the right.
    preview_.SetWorker(worker_);
    preview_.Create(m_hWnd, RECT{1, 68, 728, 590});
    panel_ = std::make_unique<vl::PanelHosting>(m_hWnd, vl::main_layout::kPanel);
    worker_->SetResourceStore(&panel_->manager());
    return 0;
  }
  LRESULT OnKeyDown(UINT, WPARAM w, LPARAM, BOOL&) {
    if (w == VK_ESCAPE) ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
  }
  LRESULT OnConnected(UINT, WPARAM, LPARAM, BOOL&) {
    Report("connected");
    panel_->OnConnected();
    preview_.StartPolling();
    if (options_.seconds > 0) SetTimer(1, static_cast<UINT>(options_.seconds) * 1000);
    return 0;
  }
  LRESULT OnRunEnded(UINT, WPARAM, LPARAM, BOOL&) {
    Report("run ended");
    panel_->OnDisconnected();
    preview_.StopPolling();
    exit_code_ = 0;
    DestroyWindow();
    return 0;
  }
  LRESULT OnConnectFailed(UINT, WPARAM, LPARAM, BOOL&) {
    Report("connection failed");
    exit_code_ = 3;
    DestroyWindow();
    return 0;
  }
  LRESULT OnPanelCommand(UINT, WPARAM, LPARAM lparam, BOOL&) {
    panel_->ApplyCommand(reinterpret_cast<const char*>(lparam));
    Report(panel_->panel_window() ? "panel command (panel shown)" : "panel command");
    return 0;
  }
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
    KillTimer(1);
    worker_->Stop();  // the worker posts "run ended", which closes the window
    return 0;
  }
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    if (worker_->IsRunning())
      worker_->Stop();
    else
      DestroyWindow();
    return 0;
  }
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    PostQuitMessage(exit_code_);
    return 0;
  }
  static void Report(const char* what) {
    std::printf("stream_viewer: %s\n", what);
    std::fflush(stdout);
  }

  vl::StreamWorker* worker_;
  Options options_;
  vl::PlayerCtrl preview_;
  std::unique_ptr<vl::PanelHosting> panel_;
  int exit_code_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    PrintHelp();
    return 2;
  }

  CoInitialize(nullptr);
  Gdiplus::GdiplusStartupInput gdiplus_input;
  ULONG_PTR gdiplus_token = 0;
  Gdiplus::GdiplusStartup(&gdiplus_token, &gdiplus_input, nullptr);
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);

  vl::DeviceEntry device;
  device.kind = 2;
  device.identifier = options.serial;
  if (device.identifier.empty()) {
    vl::ProcessRunner runner;
    std::vector<std::string> serials;
    vl::AdbListDevices(runner, serials);
    if (serials.empty()) {
      std::printf("stream_viewer: adb lists no phone\n");
      return 3;
    }
    device.identifier = serials.front();
  }
  device.display_name = device.identifier;
  std::printf("stream_viewer: connecting to %s\n", device.identifier.c_str());

  int code = 0;
  {
    vl::StreamWorker worker;
    worker.SetPort(vl::kPhoneStreamPort);
    worker.SetPortrait(options.portrait ? 1 : 0);
    worker.SetMirror(options.mirror ? 1 : 0, options.flip ? 1 : 0);
    ViewerWindow window(&worker, options);
    // Borderless like the main window, in its connected size: client and screen coordinates
    // differ by the window's position only, which scripts aiming clicks rely on.
    const RECT rc{kLeft, kTop, kLeft + 1080, kTop + 648};
    if (!window.Create(nullptr, rc, "Velloria stream viewer", WS_POPUP | WS_VISIBLE)) {
      std::printf("stream_viewer: cannot create the window\n");
      return 1;
    }
    std::printf("stream_viewer: window at %d,%d, 1080 x 648\n", kLeft, kTop);
    worker.SetNotifyWindow(window.m_hWnd);
    worker.Start(&device);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    code = window.exit_code();
    worker.Stop();
  }

  WSACleanup();
  Gdiplus::GdiplusShutdown(gdiplus_token);
  CoUninitialize();
  return code;
}
