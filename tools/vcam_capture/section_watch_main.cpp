// section_watch: watches the shared frame section as a camera reads it, and logs when each
// numbered picture (a measurement clip's band, tools/frame_code) first appears there:
//   section_watch --seconds S --frame-log FILE [--decode-log FILE]
// writes "WALL_MICROSECONDS FRAME_NUMBER" per new picture (the machine's wall clock, since
// 1970). The section is polled every millisecond; reading the band touches a few thousand bytes.
// With --decode-log it also holds the decode trace open (media/decode_trace_layout.h), in which
// the program notes when it queued each picture of its run, and at the end writes
// "RUN PICTURE WALL_MICROSECONDS" per picture queued while it watched.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/win/handles.h"
#include "media/decode_trace_layout.h"
#include "media/frame_mapping_win.h"
#include "tools/frame_code/frame_code.h"
#include "tools/vcam_capture/capture_graph.h"

namespace {

// The decode trace section, made by this tool (or found, when the program still holds one).
class DecodeTrace {
 public:
  bool Open() {
    mapping_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                                      static_cast<DWORD>(vl::kDecodeTraceSize),
                                      vl::kDecodeTraceName));
    if (!mapping_) return false;
    view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, vl::kDecodeTraceSize));
    if (!view_) return false;
    since_ = vl::DecodeTraceCount(bytes(), vl::kDecodeTraceSize);
    return true;
  }
  long Write(FILE* log) const {
    long n = 0;
    for (const vl::DecodeTraceRecord& r :
         vl::ReadDecodeTrace(bytes(), vl::kDecodeTraceSize, since_)) {
      std::fprintf(log, "%lu %lu %lld\n", static_cast<unsigned long>(r.run),
                   static_cast<unsigned long>(r.picture), static_cast<long long>(r.unix_us));
      ++n;
    }
    return n;
  }

 private:
  const uint8_t* bytes() const { return static_cast<const uint8_t*>(view_.get()); }
  vl::win::UniqueHandle mapping_;
  vl::win::UniqueMappedView view_;
  uint32_t since_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0;
  std::string log_path, decode_log_path;
  bool usage = argc % 2 == 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0)
      seconds = std::atof(argv[i + 1]);
    else if (std::strcmp(argv[i], "--frame-log") == 0)
      log_path = argv[i + 1];
    else if (std::strcmp(argv[i], "--decode-log") == 0)
      decode_log_path = argv[i + 1];
    else
      usage = true;
  }
  if (usage || seconds <= 0 || log_path.empty()) {
    std::fputs("Usage: section_watch --seconds S --frame-log FILE [--decode-log FILE]\n", stderr);
    return 1;
  }
  FILE* log = std::fopen(log_path.c_str(), "w");
  if (log == nullptr) return 1;
  DecodeTrace trace;
  if (!decode_log_path.empty() && !trace.Open()) {
    std::fputs("cannot make the decode trace section\n", stderr);
    return 1;
  }
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
  if (!decode_log_path.empty()) {
    FILE* decode_log = std::fopen(decode_log_path.c_str(), "w");
    if (decode_log == nullptr) return 1;
    std::printf("decoded_pictures=%ld\n", trace.Write(decode_log));
    std::fclose(decode_log);
  }
  return 0;
}
