#include "vcam/fallback_picture.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

#include "common/dib_stride.h"
#include "common/picture_header.h"
#include "common/win/com_ptr.h"
#include "common/win/dib.h"
#include "common/win/handles.h"

namespace {

// Reads the whole file into a movable global memory block; null on any failure, and for
// anything but a JPEG of a help picture's size.
HGLOBAL ReadFileToGlobal(const std::string& path, DWORD* size_out) {
  const vl::win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > static_cast<LONGLONG>(vl::kMaxHelpPictureBytes))
    return nullptr;
  const DWORD bytes = static_cast<DWORD>(size.QuadPart);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) return nullptr;
  void* data = GlobalLock(block);
  DWORD read = 0;
  // The picture is judged from the bytes read, the same ones the picture loader gets.
  const bool ok = data != nullptr && ReadFile(file.get(), data, bytes, &read, nullptr) &&
                  read == bytes &&
                  vl::IsAcceptableHelpPicture(static_cast<const uint8_t*>(data), bytes, path) &&
                  vl::PictureTypeOfName(path) == vl::PictureType::kJpeg;
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
  vl::win::ComPtr<IStream> stream;
  // The stream owns the block from here and frees it when released.
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.put()))) {
    GlobalFree(block);
    return nullptr;
  }
  vl::win::ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(bytes), FALSE, IID_IPicture,
                            picture.put_void())))
    return nullptr;
  OLE_XSIZE_HIMETRIC himetric_width = 0;
  OLE_YSIZE_HIMETRIC himetric_height = 0;
  picture->get_Width(&himetric_width);
  picture->get_Height(&himetric_height);
  if (himetric_width < 1 || himetric_height < 1) return nullptr;

  const vl::win::UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  const SIZE size = HimetricToPixels(dc.get(), himetric_width, himetric_height);
  // The drawn size follows the screen's resolution: bound it as the header was.
  constexpr LONG kMaxSide = 2 * static_cast<LONG>(vl::kMaxHelpPictureSide);
  if (size.cx < 1 || size.cy < 1 || size.cx > kMaxSide || size.cy > kMaxSide) return nullptr;

  uint8_t* bits = nullptr;
  vl::win::UniqueBitmap bitmap(vl::win::CreateBottomUpDib24(size.cx, size.cy, &bits, dc.get()));
  if (!bitmap) return nullptr;
  HRESULT rendered;
  {
    const vl::win::ScopedSelect select(dc.get(), bitmap.get());
    // Source origin at the bottom with a negative height draws the picture upright.
    rendered = picture->Render(dc.get(), 0, 0, size.cx, size.cy, 0, himetric_height, himetric_width,
                               -himetric_height, nullptr);
  }
  GdiFlush();
  if (FAILED(rendered)) return nullptr;
  return std::unique_ptr<FallbackPicture>(
      new FallbackPicture(std::move(bitmap), bits, size.cx, size.cy));
}

std::unique_ptr<FallbackPicture> FallbackPicture::LoadFirst(
    std::initializer_list<std::string> paths) {
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (auto picture = Load(path)) return picture;
  }
  return nullptr;
}

FallbackPicture::FallbackPicture(vl::win::UniqueBitmap bitmap, const uint8_t* bits, int width,
                                 int height)
    : bitmap_(std::move(bitmap)), bits_(bits), width_(width), height_(height) {}

FallbackPicture::~FallbackPicture() = default;

vl::vcam::SourcePicture FallbackPicture::View() const {
  return vl::vcam::SourcePicture{bits_, width_, height_, vl::Rgb24RowStride(width_)};
}
