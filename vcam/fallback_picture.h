// The picture a camera shows while nothing is published: a JPEG (or any picture OLE can load)
// beside the module, drawn once into a 24-bit bottom-up DIB section.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/win/handles.h"
#include "vcam/sample_fill.h"

class FallbackPicture {
 public:
  // Files larger than this are not read: the fallback is a small card.
  static constexpr DWORD kMaxFileBytes = 16 * 1024 * 1024;
  // Pictures larger than this on either side are refused rather than allocated.
  static constexpr int kMaxSide = 8192;

  // Null when the file is missing, empty, too large or not a picture.
  static std::unique_ptr<FallbackPicture> Load(const std::string& path);
  ~FallbackPicture();
  FallbackPicture(const FallbackPicture&) = delete;
  FallbackPicture& operator=(const FallbackPicture&) = delete;

  vl::vcam::SourcePicture View() const;

 private:
  FallbackPicture(vl::win::UniqueBitmap bitmap, const uint8_t* bits, int width, int height);

  vl::win::UniqueBitmap bitmap_;
  const uint8_t* bits_;
  int width_;
  int height_;
};
