#include "vcam/frame_mapping_reader.h"

#include <algorithm>

FrameMappingReader::~FrameMappingReader() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
}

bool FrameMappingReader::EnsureOpen() {
  if (view_ != nullptr) return true;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, vl::kFrameMappingName);
  if (mapping == nullptr) return false;
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(mapping);
    return false;
  }
  // Whoever created the section decided its size: read no further than what is mapped.
  MEMORY_BASIC_INFORMATION info;
  size_t mapped = 0;
  if (VirtualQuery(view, &info, sizeof(info)) == sizeof(info)) mapped = info.RegionSize;
  mapping_ = mapping;
  view_ = static_cast<const uint8_t*>(view);
  view_size_ = std::min(mapped, vl::kFrameMappingSize);
  return true;
}

vl::MappedPicture FrameMappingReader::Read() {
  if (!EnsureOpen()) return vl::MappedPicture{};
  return vl::ReadFrameMappingHeader(view_, view_size_);
}
