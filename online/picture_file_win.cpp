#include "online/picture_file_win.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <memory>
#include <vector>

#include "common/picture_header.h"
#include "common/win/com_ptr.h"
#include "common/win/gdiplus_gate.h"
#include "common/win/handles.h"
#include "online/http_client_win.h"

namespace vl {
namespace {

bool WriteFileWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.get());
}

}  // namespace

bool IsSanePicture(const uint8_t* data, size_t size, const std::string& file_name) {
  // Only a PNG or JPEG of a help picture's size ever reaches a decoder.
  if (!IsAcceptableHelpPicture(data, size, file_name)) return false;
  const auto header = ReadPictureHeader(data, size);
  // On the fetch thread, which may still run while the program shuts GDI+ down.
  const win::GdiplusUse gdiplus;
  if (!gdiplus) return false;
  IStream* raw = SHCreateMemStream(data, static_cast<UINT>(size));
  if (raw == nullptr) return false;
  const auto stream = win::ComPtr<IStream>::Attach(raw);
  std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get()));
  if (!picture || picture->GetLastStatus() != Gdiplus::Ok) return false;
  const UINT width = picture->GetWidth(), height = picture->GetHeight();
  if (width != header->width || height != header->height) return false;
  // Decode the pixels, not only the header: a cut-off file fails here.
  Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData pixels;
  if (picture->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &pixels) !=
      Gdiplus::Ok)
    return false;
  picture->UnlockBits(&pixels);
  return true;
}

bool DownloadPictureTo(const std::string& url, const std::string& path) {
  std::vector<uint8_t> body;
  std::string error;
  if (HttpGet(url, &body, &error, kConnectTimeoutMs, kReceiveTimeoutMs, kSendTimeoutMs) == 0)
    return false;
  if (!IsSanePicture(body.data(), body.size(), path)) return false;
  const size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos) CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  // Same folder, so the rename is one step on the same volume: a reader sees the old picture
  // or the new one, never a part.
  const std::string partial = path + ".download";
  if (!WriteFileWhole(partial, body) ||
      !MoveFileExA(partial.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(partial.c_str());
    return false;
  }
  return true;
}

}  // namespace vl
