// Help pictures that other processes read (the cameras' fallback pictures, the preview's
// placeholder): replaced only by a complete picture of the type its file name promises (PNG or
// JPEG by signature) and at most 2048 x 2048 pixels, in one rename.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vl {

// True when the bytes are an acceptable help picture for `file_name` (common/picture_header.h)
// and GDI+ (started by the program) decodes all of it at the size its header declares.
bool IsSanePicture(const uint8_t* data, size_t size, const std::string& file_name);

// Downloads `url`, checks it is a sane picture for the name of `path`, writes it beside `path`
// and renames it over `path` (creating the folder if needed). On any failure `path` keeps its
// old picture and no temporary file stays behind. True when the new picture is in place.
bool DownloadPictureTo(const std::string& url, const std::string& path);

}  // namespace vl
