// vcam_capture: lists the video input devices, or runs one in a graph
// camera -> SampleGrabber -> NullRenderer and reports what arrived.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/vcam_capture/bmp_file.h"
#include "tools/vcam_capture/capture_graph.h"
#include "tools/vcam_capture/pace_report.h"

namespace {

const char kUsage[] =
    "Usage:\n"
    "  vcam_capture --help\n"
    "  vcam_capture --list\n"
    "      Prints the friendly name of every video input device, one per line.\n"
    "  vcam_capture --device NAME [options]\n"
    "      Opens the device NAME through the system device enumerator, builds\n"
    "      camera -> SampleGrabber -> NullRenderer, runs it and reports, as key=value lines:\n"
    "      the negotiated type, the clock, the sample count, the time stamps, the pace and\n"
    "      the drift of the stamps from the clock.\n"
    "Options:\n"
    "  --samples N        run until N samples arrived (default 30)\n"
    "  --seconds S        run for S seconds instead (pace measurement)\n"
    "  --subtype T        rgb24 | rgb32 | rgb565 | rgb555 | rgb8 | any (default rgb24)\n"
    "  --no-clock         SetSyncSource(NULL): samples are rendered as they arrive\n"
    "  --save K:FILE.bmp  write sample K (0-based) as a bottom-up BMP; repeatable\n"
    "  --restart          after the run, stop, run again and report the second run too\n"
    "  --timeout S        give up after S seconds without enough samples (default 20)\n"
    "  --max-records N    keep the time stamps of the first N samples only (long runs)\n"
    "  --frame-log FILE   read each sample's frame number (the band of a measurement clip)\n"
    "                     and write \"WALL_MICROSECONDS FRAME_NUMBER\" per sample to FILE\n"
    "                     (-1: no number); the wall clock is the machine's (since 1970)\n"
    "  vcam_capture --clock\n"
    "      Prints the wall clock in microseconds since 1970, as the frame log gives it.\n"
    "Exit status: 0 success, 1 usage, 2 no such device, 3 graph failure, 4 too few samples.\n";

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes,
                      nullptr, nullptr);
  return out;
}

struct Options {
  bool list = false;
  std::wstring device;
  size_t samples = 30;
  double seconds = 0;
  GUID subtype = MEDIASUBTYPE_RGB24;
  std::string subtype_name = "rgb24";
  bool use_clock = true;
  bool restart = false;
  double timeout = 20;
  std::vector<std::pair<size_t, std::string>> saves;
  std::string frame_log;
  bool clock = false;
  size_t max_records = SIZE_MAX;
};

bool ParseOptions(int argc, wchar_t** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == L"--list") {
      o->list = true;
    } else if (arg == L"--device" && has_value) {
      o->device = argv[++i];
    } else if (arg == L"--samples" && has_value) {
      o->samples = static_cast<size_t>(std::wcstoul(argv[++i], nullptr, 10));
    } else if (arg == L"--seconds" && has_value) {
      o->seconds = std::wcstod(argv[++i], nullptr);
    } else if (arg == L"--subtype" && has_value) {
      o->subtype_name = Utf8(argv[++i]);
      if (!vl::tools::ParseSubtype(o->subtype_name, &o->subtype)) return false;
    } else if (arg == L"--frame-log" && has_value) {
      o->frame_log = Utf8(argv[++i]);
    } else if (arg == L"--max-records" && has_value) {
      o->max_records = static_cast<size_t>(std::wcstoul(argv[++i], nullptr, 10));
    } else if (arg == L"--clock") {
      o->clock = true;
    } else if (arg == L"--no-clock") {
      o->use_clock = false;
    } else if (arg == L"--restart") {
      o->restart = true;
    } else if (arg == L"--timeout" && has_value) {
      o->timeout = std::wcstod(argv[++i], nullptr);
    } else if (arg == L"--save" && has_value) {
      const std::string save_arg = Utf8(argv[++i]);
      const size_t colon = save_arg.find(':');
      if (colon == std::string::npos || colon == 0) return false;
      o->saves.emplace_back(std::strtoul(save_arg.c_str(), nullptr, 10),
                            save_arg.substr(colon + 1));
    } else {
      return false;
    }
  }
  return o->list || o->clock || !o->device.empty();
}

int ListDevices() {
  std::vector<vl::tools::VideoDevice> devices;
  const HRESULT hr = vl::tools::ListVideoDevices(&devices);
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot enumerate video input devices: 0x%08lX\n", hr);
    return 3;
  }
  for (const auto& device : devices) std::printf("%s\n", Utf8(device.name).c_str());
  return 0;
}

// Prints the report of one run; returns false when fewer samples than wanted arrived.
void Report(const char* prefix, const std::vector<vl::tools::SampleRecord>& records, size_t total) {
  std::printf("%ssamples=%zu\n", prefix, total);
  std::string stamps;
  bool regular = true;
  for (size_t i = 0; i < records.size(); ++i) {
    if (i < 10) {
      if (!stamps.empty()) stamps += ',';
      stamps += records[i].has_time ? std::to_string(records[i].start) : std::string("none");
    }
    if (i > 0 && records[i].start - records[i - 1].start != 333333) regular = false;
  }
  std::printf("%sstamps=%s%s\n", prefix, stamps.c_str(), records.size() > 10 ? ",..." : "");
  if (!records.empty()) {
    std::printf("%sfirst_start=%lld\n%slast_start=%lld\n", prefix,
                static_cast<long long>(records.front().start), prefix,
                static_cast<long long>(records.back().start));
    std::printf("%sstamp_step_333333=%s\n", prefix, regular ? "yes" : "no");
  }
  if (records.size() >= 2) {
    // Past --max-records only the first records and the latest are kept: the pace counts
    // every sample over that span, the drift is taken from the kept ones.
    std::vector<vl::tools::PaceSample> samples;
    for (const auto& r : records) samples.push_back({r.start, r.arrival_us});
    const vl::tools::PaceFigures pace = vl::tools::MeasurePace(samples);
    std::printf("%selapsed_s=%.3f\n", prefix, pace.elapsed_s);
    std::printf("%space_fps=%.2f\n", prefix,
                pace.elapsed_s > 0 ? (total - 1) / pace.elapsed_s : 0.0);
    // Stamps against the arrival clock, from the first sample: positive when ahead.
    std::printf("%sdrift_end_ms=%.1f\n%sdrift_min_ms=%.1f\n%sdrift_max_ms=%.1f\n", prefix,
                pace.drift_end_ms, prefix, pace.drift_min_ms, prefix, pace.drift_max_ms);
    std::printf("%sdrift_per_minute_ms=%.1f\n", prefix, pace.drift_per_minute_ms);
  }
}

bool SaveSamples(const vl::tools::CaptureGraph& graph, const Options& o) {
  const VIDEOINFOHEADER* info = graph.NegotiatedVideoInfo();
  bool ok = true;
  for (const auto& save : o.saves) {
    std::vector<uint8_t> bytes;
    vl::tools::BmpPicture picture;
    if (info == nullptr || !graph.KeptSample(save.first, &bytes)) {
      std::fprintf(stderr, "sample %zu was not captured\n", save.first);
      ok = false;
      continue;
    }
    picture.width = info->bmiHeader.biWidth;
    picture.height =
        info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
    picture.bits_per_pixel = info->bmiHeader.biBitCount;
    picture.pixels = std::move(bytes);
    if (!vl::tools::WriteBmpFile(save.second, picture)) {
      std::fprintf(stderr, "cannot write %s (only 24- and 32-bit samples are saved)\n",
                   save.second.c_str());
      ok = false;
      continue;
    }
    std::printf("saved=%zu:%s\n", save.first, save.second.c_str());
  }
  return ok;
}

bool WriteFrameLog(const std::vector<vl::tools::SampleRecord>& records, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return false;
  int numbered = 0;
  for (const auto& r : records) {
    std::fprintf(f, "%lld %ld\n", static_cast<long long>(r.wall_us),
                 static_cast<long>(r.frame_number));
    if (r.frame_number >= 0) ++numbered;
  }
  std::printf("numbered_samples=%d\n", numbered);
  return std::fclose(f) == 0;
}

int Capture(const Options& o) {
  vl::win::ComPtr<IBaseFilter> camera;
  HRESULT hr = vl::tools::OpenVideoDevice(o.device, &camera);
  if (hr == VFW_E_NOT_FOUND) {
    std::fprintf(stderr, "no video input device named \"%s\"\n", Utf8(o.device).c_str());
    return 2;
  }
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot open the device: 0x%08lX\n", hr);
    return 3;
  }
  vl::tools::CaptureOptions capture;
  capture.subtype = o.subtype;
  capture.use_clock = o.use_clock;
  for (const auto& save : o.saves) capture.keep.insert(save.first);
  capture.max_records = o.max_records;
  vl::tools::CaptureGraph graph;
  hr = graph.Build(camera.get(), capture);
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot build the graph (subtype %s): 0x%08lX\n", o.subtype_name.c_str(),
                 hr);
    return 3;
  }
  std::printf("device=%s\n", Utf8(o.device).c_str());
  if (const VIDEOINFOHEADER* info = graph.NegotiatedVideoInfo()) {
    std::printf("type=%s %ldx%ld bits=%u sample_size=%lu avg_time_per_frame=%lld\n",
                vl::tools::SubtypeName(graph.NegotiatedType().subtype).c_str(),
                info->bmiHeader.biWidth, info->bmiHeader.biHeight, info->bmiHeader.biBitCount,
                graph.NegotiatedType().lSampleSize, static_cast<long long>(info->AvgTimePerFrame));
  }
  std::printf("clock=%s\n", graph.HasClock() ? "graph" : "none");
  if (!o.frame_log.empty()) graph.ReadFrameNumbers();

  const DWORD timeout_ms = static_cast<DWORD>(o.timeout * 1000);
  int status = 0;
  for (int run = 0; run < (o.restart ? 2 : 1); ++run) {
    graph.ClearRecords();
    hr = graph.Run();
    if (FAILED(hr)) {
      std::fprintf(stderr, "cannot run the graph: 0x%08lX\n", hr);
      return 3;
    }
    if (o.seconds > 0) {
      Sleep(static_cast<DWORD>(o.seconds * 1000));
    } else if (!graph.WaitForSamples(o.samples, timeout_ms)) {
      status = 4;
    }
    graph.Stop();
    Report(run == 0 ? "" : "restart_", graph.Records(), graph.SampleCount());
    if (run == 0 && !SaveSamples(graph, o)) status = 4;
    if (run == 0 && !o.frame_log.empty() && !WriteFrameLog(graph.Records(), o.frame_log)) {
      std::fprintf(stderr, "cannot write %s\n", o.frame_log.c_str());
      status = 4;
    }
  }
  return status;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv != nullptr && argc == 2 &&
      (std::wcscmp(argv[1], L"--help") == 0 || std::wcscmp(argv[1], L"-h") == 0)) {
    LocalFree(argv);
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  const bool parsed = argv != nullptr && ParseOptions(argc, argv, &options);
  if (argv != nullptr) LocalFree(argv);
  if (!parsed) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 3;
  int status = 0;
  if (options.clock)
    std::printf("clock_us=%lld\n", static_cast<long long>(vl::tools::WallClockMicroseconds()));
  else
    status = options.list ? ListDevices() : Capture(options);
  CoUninitialize();
  return status;
}
