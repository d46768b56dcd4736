// Double-buffered painting for WM_PAINT handlers: begins painting, hands out a memory DC with a
// bitmap of the client size filled with the background colour, and on destruction copies it to
// the window in one block and ends painting. Also a scratch DC for selecting source bitmaps.
#pragma once

#include <windows.h>

#include "common/win/handles.h"

namespace vl {

class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window, COLORREF background = RGB(255, 255, 255));
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;

  // Where to draw: the memory DC, or the window's own DC when no buffer could be made.
  HDC dc() const { return memory_ ? memory_.get() : paint_dc_; }
  HDC scratch();
  const RECT& client() const { return client_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_ = {};
  HDC paint_dc_ = nullptr;
  RECT client_ = {};
  win::UniqueMemoryDC memory_;
  win::UniqueBitmap bitmap_;
  HGDIOBJ original_ = nullptr;
  win::UniqueMemoryDC scratch_;
};

// Fills a rectangle with a solid colour.
void FillSolid(HDC dc, const RECT& rc, COLORREF colour);

// Answers WM_GETTEXT / WM_GETTEXTLENGTH with `text` (ANSI), as the standard controls do.
LRESULT AnswerGetText(const char* text, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace vl
