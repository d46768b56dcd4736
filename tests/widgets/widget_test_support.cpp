#include "tests/widgets/widget_test_support.h"

#include <cstdio>
#include <fstream>

#include "widgets/image_loader.h"

namespace vl::test {

void EnsureGdiplus() {
  static GdiplusSession* session = new GdiplusSession;
  (void)session;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    // Bounded by the time too: a 1 ms timer (such as hover tracking with a 1 ms hover time)
    // keeps the queue from ever running dry.
    while (GetTickCount() - start < ms && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

bool XInput::Run(const std::string& args) {
  static int counter = 0;
  char marker[96];
  std::snprintf(marker, sizeof marker, "/tmp/vl-xinput-%lu-%d", GetCurrentProcessId(), ++counter);
  const std::string windows_marker = std::string("Z:") + marker;
  DeleteFileA(windows_marker.c_str());
  // Wine starts Unix programs but cannot wait for them: the shell leaves a marker when done.
  std::string command = "/bin/sh -c \"/usr/bin/xdotool " + args + "; echo $? > " + marker + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA("Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi))
    return false;
  // For a Unix program Wine hands back no process (id 0) and leaves the handles undefined.
  if (pi.dwProcessId != 0) {
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  const bool done = PumpUntil(
      [&] { return GetFileAttributesA(windows_marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
  PumpFor(20);  // the written marker may be ahead of its text
  int status = -1;
  std::ifstream(windows_marker) >> status;
  DeleteFileA(windows_marker.c_str());
  PumpFor(60);  // let Wine deliver the events as window messages
  return done && status == 0;
}

bool XInput::Drag(POINT from, POINT to, int steps) {
  std::string args = "mousemove " + At(from) + " mousedown 1";
  for (int i = 1; i <= steps; ++i) {
    const POINT p = {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
    args += " sleep 0.03 mousemove " + At(p);
  }
  return Run(args);
}

POINT ScreenPoint(HWND window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(window, &p);
  return p;
}

POINT ScreenCentre(HWND window) {
  RECT rc;
  GetClientRect(window, &rc);
  return ScreenPoint(window, rc.right / 2, rc.bottom / 2);
}

COLORREF PixelAt(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC screen = GetDC(nullptr);
  const POINT p = ScreenPoint(window, x, y);
  const COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

ScreenShot::ScreenShot(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rc;
  GetClientRect(window, &rc);
  width_ = rc.right;
  height_ = rc.bottom;
  if (width_ <= 0 || height_ <= 0) return;
  const POINT origin = ScreenPoint(window, 0, 0);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  pixels_.resize(static_cast<size_t>(width_) * height_);
  if (!GetDIBits(memory, bitmap, 0, height_, pixels_.data(), &info, DIB_RGB_COLORS))
    pixels_.clear();
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return RGB(0, 0, 0);
  const DWORD xrgb = pixels_[static_cast<size_t>(y) * width_ + x];
  return RGB(xrgb >> 16 & 0xFF, xrgb >> 8 & 0xFF, xrgb & 0xFF);
}

std::string WindowText(HWND window) {
  char buffer[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

TestHost::TestHost() {
  EnsureGdiplus();
  const RECT rc = {100, 100, 700, 500};
  Create(nullptr, rc, "widget test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  SetForegroundWindow(m_hWnd);
  PumpFor(50);
}

TestHost::~TestHost() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

LRESULT TestHost::OnCommand(UINT, WPARAM w, LPARAM, BOOL&) {
  commands.push_back(LOWORD(w));
  return 0;
}

}  // namespace vl::test
