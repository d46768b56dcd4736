#include "media/frame_mapping_win.h"

#include <windows.h>

#include <algorithm>

namespace vl {
namespace {

// The usable size of a view: the section's own size when it is smaller than ours (a section of
// that name made by someone else), never more than the layout's.
size_t MappedSize(const void* view) {
  MEMORY_BASIC_INFORMATION info = {};
  if (VirtualQuery(view, &info, sizeof(info)) != sizeof(info)) return 0;
  return std::min<size_t>(info.RegionSize, kFrameMappingSize);
}

}  // namespace

bool FrameMappingWriter::Open() {
  win::UniqueHandle mapping(
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                         static_cast<DWORD>(kFrameMappingSize), kFrameMappingName));
  if (!mapping) return false;
  win::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!view) return false;
  view_size_ = MappedSize(view.get());
  mapping_ = std::move(mapping);
  view_ = std::move(view);
  return true;
}

bool FrameMappingWriter::Publish(int32_t width, int32_t height, const uint8_t* pixels,
                                 int32_t size) {
  if (!IsOpen() && !Open()) return false;
  return WriteFrameMapping(static_cast<uint8_t*>(view_.get()), view_size_, width, height, pixels,
                           size);
}

void FrameMappingWriter::Close() {
  view_.reset();
  mapping_.reset();
  view_size_ = 0;
}

MappedPicture FrameMappingReader::Read() {
  if (!IsOpen()) {
    win::UniqueHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kFrameMappingName));
    if (!mapping) return {};
    win::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return {};
    view_size_ = MappedSize(view.get());
    mapping_ = std::move(mapping);
    view_ = std::move(view);
  }
  return ReadFrameMappingHeader(static_cast<const uint8_t*>(view_.get()), view_size_);
}

void FrameMappingReader::Close() {
  view_.reset();
  mapping_.reset();
  view_size_ = 0;
}

}  // namespace vl
