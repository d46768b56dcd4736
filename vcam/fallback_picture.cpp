#include "vcam/fallback_picture.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

#include "common/win/dib.h"

namespace {

// Owners of the handles and interfaces used while loading.
struct FileCloser {
  HANDLE file;
  ~FileCloser() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

template <typename T>
struct Releaser {
  T* object = nullptr;
  ~Releaser() {
    if (object != nullptr) object->Release();
  }
};

struct DcDeleter {
  HDC dc;
  ~DcDeleter() {
    if (dc != nullptr) DeleteDC(dc);
  }
};

// Reads the whole file into a movable global memory block; null on any failure.
HGLOBAL ReadFileToGlobal(const std::string& path, DWORD* size_out) {
  FileCloser file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.file, &size) || size.QuadPart <= 0 ||
      size.QuadPart > FallbackPicture::kMaxFileBytes)
    return nullptr;
  const DWORD bytes = static_cast<DWORD>(size.QuadPart);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) return nullptr;
  void* data = GlobalLock(block);
  DWORD read = 0;
  const bool ok =
      data != nullptr && ReadFile(file.file, data, bytes, &read, nullptr) && read == bytes;
  if (data != nullptr) GlobalUnlock(block);
  if (!ok) {
    GlobalFree(block);
    return nullptr;
  }
  *size_out = bytes;
  return block;
}

// Pixel size of a picture measured in HIMETRIC units, as the screen draws it.
SIZE HimetricToPixels(HDC dc, LONG himetric_width, LONG himetric_height) {
  SIZE pixels;
  const int mode = GetMapMode(dc);
  if (mode == MM_TEXT || mode == MM_ANISOTROPIC || mode == MM_ISOTROPIC) {
    pixels.cx = MulDiv(himetric_width, GetDeviceCaps(dc, LOGPIXELSX), 2540);
    pixels.cy = MulDiv(himetric_height, GetDeviceCaps(dc, LOGPIXELSY), 2540);
  } else {
    POINT extent = {himetric_width, himetric_height};
    const int old_mode = SetMapMode(dc, MM_HIMETRIC);
    LPtoDP(dc, &extent, 1);
    SetMapMode(dc, old_mode);
    pixels.cx = extent.x;
    pixels.cy = extent.y < 0 ? -extent.y : extent.y;
  }
  return pixels;
}

}  // namespace

std::unique_ptr<FallbackPicture> FallbackPicture::Load(const std::string& path) {
  DWORD bytes = 0;
  HGLOBAL block = ReadFileToGlobal(path, &bytes);
  if (block == nullptr) return nullptr;
  Releaser<IStream> stream;
  // The stream owns the block from here and frees it when released.
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream.object))) {
    GlobalFree(block);
    return nullptr;
  }
  Releaser<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.object, static_cast<LONG>(bytes), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&picture.object))))
    return nullptr;
  OLE_XSIZE_HIMETRIC himetric_width = 0;
  OLE_YSIZE_HIMETRIC himetric_height = 0;
  picture.object->get_Width(&himetric_width);
  picture.object->get_Height(&himetric_height);
  if (himetric_width < 1 || himetric_height < 1) return nullptr;

  DcDeleter dc{CreateCompatibleDC(nullptr)};
  if (dc.dc == nullptr) return nullptr;
  const SIZE size = HimetricToPixels(dc.dc, himetric_width, himetric_height);
  if (size.cx < 1 || size.cy < 1 || size.cx > kMaxSide || size.cy > kMaxSide) return nullptr;

  uint8_t* bits = nullptr;
  HBITMAP bitmap = vl::win::CreateBottomUpDib24(size.cx, size.cy, &bits, dc.dc);
  if (bitmap == nullptr) return nullptr;
  HGDIOBJ previous = SelectObject(dc.dc, bitmap);
  // Source origin at the bottom with a negative height draws the picture upright.
  const HRESULT rendered = picture.object->Render(dc.dc, 0, 0, size.cx, size.cy, 0, himetric_height,
                                                  himetric_width, -himetric_height, nullptr);
  SelectObject(dc.dc, previous);
  GdiFlush();
  if (FAILED(rendered)) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return std::unique_ptr<FallbackPicture>(
      new FallbackPicture(bitmap, static_cast<const uint8_t*>(bits), size.cx, size.cy));
}

FallbackPicture::FallbackPicture(HBITMAP bitmap, const uint8_t* bits, int width, int height)
    : bitmap_(bitmap), bits_(bits), width_(width), height_(height) {}

FallbackPicture::~FallbackPicture() {
  DeleteObject(bitmap_);
}

vl::vcam::SourcePicture FallbackPicture::View() const {
  return vl::vcam::SourcePicture{bits_, width_, height_,
                                 (static_cast<int64_t>(width_) * 3 + 3) / 4 * 4};
}
