// frame_publisher: writes a picture into the shared frame section "LumarooFileMapping", as the
// main program does, and keeps the section alive for the cameras.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "media/frame_mapping_layout.h"
#include "tools/vcam_capture/bmp_file.h"

namespace {

const char kUsage[] =
    "Usage:\n"
    "  frame_publisher --picture FILE.bmp [--hold S]\n"
    "      Publishes a 24- or 32-bit BMP (any size) as 24-bit bottom-up BGR.\n"
    "  frame_publisher --solid WxH:RRGGBB [--hold S]\n"
    "      Publishes a plain picture of that size and colour.\n"
    "  frame_publisher --no-picture WxH [--hold S]\n"
    "      Writes width and height with size 0 (\"no picture\").\n"
    "The section lives while a process holds it: the publisher keeps it for S seconds\n"
    "(default: until it is ended), printing \"published=WxH size=N\" once written.\n"
    "Exit status: 0 success, 1 usage, 2 unreadable picture, 3 section failure.\n";

std::string Utf8(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
  out.resize(static_cast<size_t>(bytes - 1));
  return out;
}

bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end == nullptr || *end != 'x') return false;
  const long h = std::strtol(end + 1, &end, 10);
  if (w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

bool MakeSolid(const std::string& solid_arg, vl::tools::BmpPicture* picture) {
  const size_t colon = solid_arg.find(':');
  if (colon == std::string::npos || solid_arg.size() - colon - 1 != 6) return false;
  if (!ParseSize(solid_arg.substr(0, colon), &picture->width, &picture->height)) return false;
  const unsigned long rgb = std::strtoul(solid_arg.c_str() + colon + 1, nullptr, 16);
  picture->bits_per_pixel = 24;
  const int64_t stride = picture->Stride();
  picture->pixels.assign(static_cast<size_t>(stride * picture->height), 0);
  for (int32_t y = 0; y < picture->height; ++y) {
    uint8_t* row = picture->pixels.data() + y * stride;
    for (int32_t x = 0; x < picture->width; ++x) {
      row[x * 3] = static_cast<uint8_t>(rgb);
      row[x * 3 + 1] = static_cast<uint8_t>(rgb >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(rgb >> 16);
    }
  }
  return true;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 1;
  if (argc == 2 && (std::wcscmp(argv[1], L"--help") == 0 || std::wcscmp(argv[1], L"-h") == 0)) {
    LocalFree(argv);
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string picture_path, solid, empty_size;
  double hold = -1;
  bool usage_error = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (i + 1 >= argc) {
      usage_error = true;
    } else if (arg == L"--picture") {
      picture_path = Utf8(argv[++i]);
    } else if (arg == L"--solid") {
      solid = Utf8(argv[++i]);
    } else if (arg == L"--no-picture") {
      empty_size = Utf8(argv[++i]);
    } else if (arg == L"--hold") {
      hold = std::wcstod(argv[++i], nullptr);
    } else {
      usage_error = true;
    }
  }
  LocalFree(argv);
  const int sources = !picture_path.empty() + !solid.empty() + !empty_size.empty();
  if (usage_error || sources != 1) {
    std::fputs(kUsage, stderr);
    return 1;
  }

  vl::tools::BmpPicture picture;
  bool has_pixels = true;
  if (!picture_path.empty()) {
    if (!vl::tools::ReadBmpFile(picture_path, &picture)) {
      std::fprintf(stderr, "cannot read a 24- or 32-bit BMP from %s\n", picture_path.c_str());
      return 2;
    }
    picture = vl::tools::ToBgr24(picture);
  } else if (!solid.empty()) {
    if (!MakeSolid(solid, &picture)) {
      std::fputs(kUsage, stderr);
      return 1;
    }
  } else {
    if (!ParseSize(empty_size, &picture.width, &picture.height)) {
      std::fputs(kUsage, stderr);
      return 1;
    }
    has_pixels = false;
  }

  HANDLE section =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                         static_cast<DWORD>(vl::kFrameMappingSize), vl::kFrameMappingName);
  if (section == nullptr) {
    std::fprintf(stderr, "cannot create the section: error %lu\n", GetLastError());
    return 3;
  }
  auto* view = static_cast<uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0));
  if (view == nullptr) {
    std::fprintf(stderr, "cannot map the section: error %lu\n", GetLastError());
    CloseHandle(section);
    return 3;
  }
  const int32_t size = has_pixels ? static_cast<int32_t>(picture.pixels.size()) : 0;
  const bool written = vl::WriteFrameMapping(view, vl::kFrameMappingSize, picture.width,
                                             picture.height, picture.pixels.data(), size);
  if (written) {
    std::printf("published=%dx%d size=%d\n", picture.width, picture.height, size);
    std::fflush(stdout);
    Sleep(hold < 0 ? INFINITE : static_cast<DWORD>(hold * 1000));
  } else {
    std::fprintf(stderr, "the picture does not fit into the section\n");
  }
  UnmapViewOfFile(view);
  CloseHandle(section);
  return written ? 0 : 3;
}
