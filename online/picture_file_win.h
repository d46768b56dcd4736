// Help pictures that other processes read (the cameras' fallback pictures, the preview's
// placeholder): replaced only by a complete, decodable picture, in one rename.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vl {

// True when GDI+ (started by the program) decodes the bytes as a picture of 1 to 8192 pixels
// each way.
bool IsSanePicture(const uint8_t* data, size_t size);

// Downloads `url`, checks it is a sane picture, writes it beside `path` and renames it over
// `path` (creating the folder if needed). On any failure `path` keeps its old picture and no
// temporary file stays behind. True when the new picture is in place.
bool DownloadPictureTo(const std::string& url, const std::string& path);

}  // namespace vl
