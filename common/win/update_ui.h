// UI-update registry: windows whose controls are refreshed from idle time. The main window
// registers itself; no per-control update entries are needed yet.
#pragma once

#include <windows.h>

#include <vector>

namespace vl::win {

class CUpdateUI {
 public:
  void UIAddWindow(HWND wnd) { windows_.push_back(wnd); }
  const std::vector<HWND>& UIWindows() const { return windows_; }

 private:
  std::vector<HWND> windows_;
};

}  // namespace vl::win
