// The picture a camera shows while nothing is published: a JPEG, drawn once into a 24-bit
// bottom-up DIB section. The file may come from the configuration host (through the program's
// per-user folder), and the camera runs inside every capture program that opens it: OLE's picture
// loader (which also takes metafiles and more) only ever sees a file whose JPEG signature and
// header size have been checked first.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "common/win/handles.h"
#include "vcam/sample_fill.h"

class FallbackPicture {
 public:
  // Null when the file is missing, empty, too large, not a JPEG of at most 2048 x 2048 pixels
  // by its signature and header (common/picture_header.h), or cannot be drawn.
  static std::unique_ptr<FallbackPicture> Load(const std::string& path);
  // The first of `paths` that loads.
  static std::unique_ptr<FallbackPicture> LoadFirst(std::initializer_list<std::string> paths);
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
