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
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                                      static_cast<DWORD>(kFrameMappingSize), kFrameMappingName);
  if (mapping == nullptr) return false;
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(mapping);
    return false;
  }
  mapping_ = mapping;
  view_ = static_cast<uint8_t*>(view);
  view_size_ = MappedSize(view);
  return true;
}

bool FrameMappingWriter::Publish(int32_t width, int32_t height, const uint8_t* pixels,
                                 int32_t size) {
  if (!IsOpen() && !Open()) return false;
  return WriteFrameMapping(view_, view_size_, width, height, pixels, size);
}

void FrameMappingWriter::Close() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  view_ = nullptr;
  mapping_ = nullptr;
  view_size_ = 0;
}

MappedPicture FrameMappingReader::Read() {
  if (!IsOpen()) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kFrameMappingName);
    if (mapping == nullptr) return {};
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
      CloseHandle(mapping);
      return {};
    }
    mapping_ = mapping;
    view_ = static_cast<const uint8_t*>(view);
    view_size_ = MappedSize(view);
  }
  return ReadFrameMappingHeader(view_, view_size_);
}

void FrameMappingReader::Close() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  view_ = nullptr;
  mapping_ = nullptr;
  view_size_ = 0;
}

}  // namespace vl
