// section_watch: watches the shared frame section as a camera reads it, and logs when each
// numbered picture (a measurement clip's band, tools/frame_code) first appears there:
//   section_watch --seconds S --frame-log FILE
// writes "WALL_MICROSECONDS FRAME_NUMBER" per new picture (the machine's wall clock, since
// 1970). The section is polled every millisecond; reading the band touches a few thousand bytes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/frame_mapping_win.h"
#include "tools/frame_code/frame_code.h"
#include "tools/vcam_capture/capture_graph.h"

int main(int argc, char** argv) {
  double seconds = 0;
  std::string log_path;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0)
      seconds = std::atof(argv[i + 1]);
    else if (std::strcmp(argv[i], "--frame-log") == 0)
      log_path = argv[i + 1];
  }
  if (seconds <= 0 || log_path.empty() || argc != 5) {
    std::fputs("Usage: section_watch --seconds S --frame-log FILE\n", stderr);
    return 1;
  }
  FILE* log = std::fopen(log_path.c_str(), "w");
  if (log == nullptr) return 1;
  timeBeginPeriod(1);
  vl::FrameMappingReader reader;
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  int32_t last = -1;
  long pictures = 0;
  while (GetTickCount64() < end) {
    const vl::MappedPicture p = reader.Read();
    if (p.pixels != nullptr) {
      const int32_t number = vl::tools::ReadFrameCode(
          {p.pixels, p.width, p.height, static_cast<ptrdiff_t>(((p.width * 3 + 3) / 4) * 4), 3});
      if (number >= 0 && number != last) {
        std::fprintf(log, "%lld %ld\n", static_cast<long long>(vl::tools::WallClockMicroseconds()),
                     static_cast<long>(number));
        last = number;
        ++pictures;
      }
    }
    Sleep(1);
  }
  timeEndPeriod(1);
  std::fclose(log);
  std::printf("section_pictures=%ld\n", pictures);
  return 0;
}
