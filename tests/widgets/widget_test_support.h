// Helpers of the widget tests under Wine: real X input through xdotool, a top-level host window
// that records the WM_COMMANDs its children send, message pumping and reading pixels back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win/window_impl.h"

namespace vl::test {

// Starts GDI+ once for the test program.
void EnsureGdiplus();

// Handles the thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// Handles the thread's messages until `done()` or `timeout_ms`.
template <typename Done>
bool PumpUntil(Done done, DWORD timeout_ms = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    PumpFor(5);
  }
  return true;
}

// Real pointer input on the X display the program runs on (Wine turns it into window messages).
// Every call pumps messages while xdotool runs and a little after, so the events arrive.
class XInput {
 public:
  // Runs `xdotool <args>`; false when it could not run or failed.
  static bool Run(const std::string& args);
  static bool MoveTo(POINT screen) { return Run("mousemove " + At(screen)); }
  static bool Click(POINT screen) { return Run("mousemove " + At(screen) + " click 1"); }
  static bool Press(POINT screen) { return Run("mousemove " + At(screen) + " mousedown 1"); }
  static bool Release(POINT screen) { return Run("mousemove " + At(screen) + " mouseup 1"); }
  // Moves in `steps` steps from `from` to `to` with the button down (a drag, pressed at `from`).
  static bool Drag(POINT from, POINT to, int steps = 6);
  // Parks the pointer far from every test window.
  static bool Park() { return Run("mousemove 1250 780"); }
  // A screen point as xdotool takes it: "x y".
  static std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }
};

// A centre or offset point of a window in screen coordinates.
POINT ScreenPoint(HWND window, int x, int y);
POINT ScreenCentre(HWND window);

// The colour at client (x, y) of a window as it shows on the screen.
COLORREF PixelAt(HWND window, int x, int y);

// The client area of a window as the screen shows it, read at once (after its paints).
class ScreenShot {
 public:
  explicit ScreenShot(HWND window);
  int width() const { return width_; }
  int height() const { return height_; }
  // RGB of client (x, y); black outside.
  COLORREF at(int x, int y) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<COLORREF> pixels_;
};

// The text a window answers to WM_GETTEXT.
std::string WindowText(HWND window);

// A top-level window at (100, 100), 600 x 400, white, recording the commands its children send.
class TestHost : public win::CWindowImpl<TestHost> {
 public:
  TestHost();
  ~TestHost() override;
  static const char* GetWndClassName() { return "VelloriaWidgetTestHost"; }
  static HBRUSH GetWndBackground() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

  std::vector<int> commands;

  BEGIN_MSG_MAP(TestHost)
  MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  END_MSG_MAP()

 private:
  LRESULT OnCommand(UINT, WPARAM w, LPARAM, BOOL&);
};

}  // namespace vl::test
