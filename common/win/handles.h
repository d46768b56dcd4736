// RAII owners for kernel handles, GDI objects and device contexts.
#pragma once

#include <windows.h>

#include <utility>

namespace vl::win {

// Owns a kernel handle; both null and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return valid(); }
  HANDLE release() { return std::exchange(h_, nullptr); }
  void reset(HANDLE h = nullptr) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

// Owns a directory search (FindFirstFile) and closes it; INVALID_HANDLE_VALUE means "none".
class UniqueFindHandle {
 public:
  explicit UniqueFindHandle(HANDLE h) : h_(h) {}
  ~UniqueFindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  UniqueFindHandle(const UniqueFindHandle&) = delete;
  UniqueFindHandle& operator=(const UniqueFindHandle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// Owns a view of a file mapping (MapViewOfFile) and unmaps it.
class UniqueMappedView {
 public:
  UniqueMappedView() = default;
  explicit UniqueMappedView(void* view) : view_(view) {}
  ~UniqueMappedView() { reset(); }
  UniqueMappedView(UniqueMappedView&& o) noexcept : view_(std::exchange(o.view_, nullptr)) {}
  UniqueMappedView& operator=(UniqueMappedView&& o) noexcept {
    if (this != &o) reset(std::exchange(o.view_, nullptr));
    return *this;
  }
  UniqueMappedView(const UniqueMappedView&) = delete;
  UniqueMappedView& operator=(const UniqueMappedView&) = delete;

  void* get() const { return view_; }
  explicit operator bool() const { return view_ != nullptr; }
  void reset(void* view = nullptr) {
    if (view_) UnmapViewOfFile(view_);
    view_ = view;
  }

 private:
  void* view_ = nullptr;
};

// Owns a GDI object (bitmap, brush, pen, font, region) and deletes it.
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T h) : h_(h) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& o) noexcept : h_(o.release()) {}
  GdiObject& operator=(GdiObject&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  T release() { return std::exchange(h_, nullptr); }
  void reset(T h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }

 private:
  T h_ = nullptr;
};

using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniquePen = GdiObject<HPEN>;
using UniqueFont = GdiObject<HFONT>;
using UniqueRegion = GdiObject<HRGN>;

// Owns a memory device context (CreateCompatibleDC) and deletes it.
class UniqueMemoryDC {
 public:
  UniqueMemoryDC() = default;
  explicit UniqueMemoryDC(HDC dc) : dc_(dc) {}
  ~UniqueMemoryDC() { reset(); }
  UniqueMemoryDC(UniqueMemoryDC&& o) noexcept : dc_(std::exchange(o.dc_, nullptr)) {}
  UniqueMemoryDC& operator=(UniqueMemoryDC&& o) noexcept {
    if (this != &o) reset(std::exchange(o.dc_, nullptr));
    return *this;
  }
  UniqueMemoryDC(const UniqueMemoryDC&) = delete;
  UniqueMemoryDC& operator=(const UniqueMemoryDC&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset(HDC dc = nullptr) {
    if (dc_) DeleteDC(dc_);
    dc_ = dc;
  }

 private:
  HDC dc_ = nullptr;
};

// A window's DC from GetDC, released on scope exit.
class WindowDC {
 public:
  explicit WindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC for a scope and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace vl::win
