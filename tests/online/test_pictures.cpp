#include "tests/online/test_pictures.h"

#include <windows.h>
#include <gdiplus.h>

#include "tests/online/test_server_client.h"

namespace vl::test {
namespace {

void RemoveTree(const std::string& folder, int depth) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (depth > 0) RemoveTree(folder + name + "\\", depth - 1);
      } else {
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::string PngPicture() {
  return ReadWholeFile(VL_SOURCE_DIR_WIN "\\app\\res\\default.png");
}

std::string JpegPicture() {
  return ReadWholeFile(VL_SOURCE_DIR_WIN "\\vcam\\res\\default_h.jpg");
}

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  static int serial = 0;
  for (;;) {
    path_ = std::string(temp) + "vl-online-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

ScratchFolder::~ScratchFolder() {
  RemoveTree(path_, 2);
}

std::string ScratchFolder::Listing(const std::string& sub) const {
  std::string names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((path_ + sub + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    names += (names.empty() ? "" : " ") + name;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

void StartGdiplusForTests() {
  static ULONG_PTR token = 0;
  if (token != 0) return;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
}

}  // namespace vl::test
