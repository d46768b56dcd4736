// Pictures and scratch folders for the online tests under Wine.
#pragma once

#include <string>

namespace vl::test {

// The repository's own pictures, as bytes: a PNG and a JPEG.
std::string PngPicture();
std::string JpegPicture();

// A new empty folder under the temporary folder, with a trailing backslash; removed with its
// files (one level of subfolders) by ~ScratchFolder.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  // Names of the files in `sub` (relative to the folder).
  std::string Listing(const std::string& sub = "") const;

 private:
  std::string path_;
};

// Starts GDI+ for the whole test program.
void StartGdiplusForTests();

}  // namespace vl::test
