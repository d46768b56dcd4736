// Helpers of the preview tests (Windows): pictures with coloured quadrants and reading back what
// a window shows.
#pragma once

#include <windows.h>

#include <memory>

#include "media/video_frame.h"

namespace vl::test {

struct Colour {
  int r, g, b;
};
inline bool Near(const Colour& a, const Colour& b, int tolerance = 12) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// A picture whose quadrants are red (top-left), green (top-right), yellow (bottom-right) and
// blue (bottom-left).
std::unique_ptr<VideoFrame> QuadrantPicture(int width, int height);

// What a window's client area shows right now.
class WindowShot {
 public:
  explicit WindowShot(HWND window);
  Colour At(int x, int y) const;
  int width() const { return width_; }

 private:
  int width_ = 0, height_ = 0;
  std::unique_ptr<uint8_t[]> pixels_;  // top-down BGRA
};

// Handles the thread's messages until `done` or `timeout_ms`.
template <typename Done>
bool PumpUntil(Done done, DWORD timeout_ms = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
  return true;
}

}  // namespace vl::test
