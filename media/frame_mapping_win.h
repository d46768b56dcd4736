// The Windows side of the shared frame section "LumarooFileMapping": the main program's writer
// and the cameras' reader. The cameras link against no other deliverable: they take these
// sources in as a static library of their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/win/handles.h"
#include "media/frame_mapping_layout.h"

namespace vl {

// Creates the section at the first picture and keeps it, with its view, until destruction, so
// that open cameras keep the last picture after the publishing stops.
class FrameMappingWriter {
 public:
  FrameMappingWriter() = default;
  ~FrameMappingWriter() { Close(); }
  FrameMappingWriter(const FrameMappingWriter&) = delete;
  FrameMappingWriter& operator=(const FrameMappingWriter&) = delete;

  // Writes header and pixels; opens the section first if needed. False when the section
  // cannot be created or mapped (the next call tries again) or the picture does not fit.
  bool Publish(int32_t width, int32_t height, const uint8_t* pixels, int32_t size);
  bool IsOpen() const { return static_cast<bool>(view_); }
  void Close();

 private:
  bool Open();
  win::UniqueHandle mapping_;
  win::UniqueMappedView view_;
  size_t view_size_ = 0;
};

// Opens the section when it exists; reads never leave the mapped view.
class FrameMappingReader {
 public:
  FrameMappingReader() = default;
  ~FrameMappingReader() { Close(); }
  FrameMappingReader(const FrameMappingReader&) = delete;
  FrameMappingReader& operator=(const FrameMappingReader&) = delete;

  // The current picture (pixels null: none). Opens the section first if needed; when it does not
  // exist yet, this is "no picture" and the next call tries again.
  MappedPicture Read();
  bool IsOpen() const { return static_cast<bool>(view_); }
  void Close();

 private:
  win::UniqueHandle mapping_;
  win::UniqueMappedView view_;
  size_t view_size_ = 0;
};

}  // namespace vl
