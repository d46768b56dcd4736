#include "widgets/buffered_paint.h"

#include <cstring>

namespace vl {

BufferedPaint::BufferedPaint(HWND window, COLORREF background) : window_(window) {
  paint_dc_ = BeginPaint(window_, &ps_);
  GetClientRect(window_, &client_);
  const int width = client_.right - client_.left, height = client_.bottom - client_.top;
  if (paint_dc_ && width > 0 && height > 0) {
    memory_.reset(CreateCompatibleDC(paint_dc_));
    bitmap_.reset(CreateCompatibleBitmap(paint_dc_, width, height));
    if (memory_ && bitmap_) {
      original_ = SelectObject(memory_.get(), bitmap_.get());
    } else {
      memory_.reset();
      bitmap_.reset();
    }
  }
  if (dc()) {
    FillSolid(dc(), client_, background);
    SetBkMode(dc(), TRANSPARENT);
  }
}

BufferedPaint::~BufferedPaint() {
  if (memory_) {
    BitBlt(paint_dc_, 0, 0, client_.right - client_.left, client_.bottom - client_.top,
           memory_.get(), 0, 0, SRCCOPY);
    SelectObject(memory_.get(), original_);
  }
  EndPaint(window_, &ps_);
}

HDC BufferedPaint::scratch() {
  if (!scratch_ && paint_dc_) scratch_.reset(CreateCompatibleDC(paint_dc_));
  return scratch_.get();
}

void FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
  const COLORREF old = SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

LRESULT AnswerGetText(const char* text, UINT msg, WPARAM wparam, LPARAM lparam) {
  const size_t length = text ? std::strlen(text) : 0;
  if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(length);
  char* buffer = reinterpret_cast<char*>(lparam);
  const size_t capacity = static_cast<size_t>(wparam);
  if (!buffer || capacity == 0) return 0;
  const size_t copied = length < capacity - 1 ? length : capacity - 1;
  if (copied) std::memcpy(buffer, text, copied);
  buffer[copied] = '\0';
  return static_cast<LRESULT>(copied);
}

}  // namespace vl
