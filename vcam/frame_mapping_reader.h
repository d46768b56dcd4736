// The camera's side of the shared frame section: opened lazily by name for reading and kept
// until the reader is destroyed.
#pragma once

#include <windows.h>

#include <cstddef>

#include "media/frame_mapping_layout.h"

class FrameMappingReader {
 public:
  FrameMappingReader() = default;
  ~FrameMappingReader();
  FrameMappingReader(const FrameMappingReader&) = delete;
  FrameMappingReader& operator=(const FrameMappingReader&) = delete;

  // Opens and maps the section unless that is done; false when it does not exist (yet).
  bool EnsureOpen();
  // The header and, when it describes a picture inside the section, its pixels. Opens the
  // section first; nothing when it cannot be opened.
  vl::MappedPicture Read();

 private:
  HANDLE mapping_ = nullptr;
  const uint8_t* view_ = nullptr;
  size_t view_size_ = 0;
};
