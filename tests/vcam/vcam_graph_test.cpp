// The camera modules as capture applications meet them: registered with the system's regsvr32,
// found by name through the device enumerator, and run in graphs
// camera -> SampleGrabber -> NullRenderer. Also the capture and publisher tools end to end.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/text_convert.h"
#include "common/win/handles.h"
#include "common/win/user_data_folder.h"
#include "media/frame_mapping_win.h"
#include "tests/vcam/camera_module.h"
#include "tools/vcam_capture/bmp_file.h"
#include "tools/frame_code/frame_code.h"
#include "tools/vcam_capture/capture_graph.h"

namespace vl::test {
namespace {

using vl::FrameMappingWriter;
using vl::tools::CaptureGraph;
using vl::tools::CaptureOptions;

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// A started program whose output goes to a file: Wine services that a child starts inherit its
// handles, so a pipe would never report its end.
struct ChildProcess {
  // `command` is UTF-8.
  explicit ChildProcess(const std::string& command) {
    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "vco", 0, name);
    output_path_ = name;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    vl::win::UniqueHandle output(
        CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.get();
    PROCESS_INFORMATION process = {};
    std::u16string line = vl::Utf8ToUtf16(command);
    if (CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(&line[0]), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
      process_.reset(process.hProcess);
      CloseHandle(process.hThread);
    }
  }
  ~ChildProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
    DeleteFileA(output_path_.c_str());
  }
  // The exit code, or -1 when it did not start or end in time.
  int Wait(DWORD timeout_ms = 60000) {
    if (!process_ || WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<int>(code);
  }
  std::string Output() const { return ReadFileBytes(output_path_); }
  // Waits until the output holds `text`; false when it does not appear in time.
  bool WaitForOutput(const std::string& text, DWORD timeout_ms) {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    while (Output().find(text) == std::string::npos) {
      if (GetTickCount64() > deadline) return false;
      Sleep(50);
    }
    return true;
  }
  vl::win::UniqueHandle process_;
  std::string output_path_;
};

int RunProcess(const std::string& command, std::string* output = nullptr) {
  ChildProcess child(command);
  const int code = child.Wait();
  if (output != nullptr) *output = child.Output();
  return code;
}

std::string Regsvr32() {
  char dir[MAX_PATH] = {};
#ifdef _WIN64
  GetSystemDirectoryA(dir, MAX_PATH);  // 64-bit: system32
#else
  if (GetSystemWow64DirectoryA(dir, MAX_PATH) == 0) GetSystemDirectoryA(dir, MAX_PATH);
#endif
  return std::string(dir) + "\\regsvr32.exe";
}

int CountDevices(const wchar_t* name) {
  std::vector<vl::tools::VideoDevice> devices;
  if (FAILED(vl::tools::ListVideoDevices(&devices))) return -1;
  int count = 0;
  for (const auto& d : devices) count += d.name == name;
  return count;
}

// Publishes `pixels` through the main program's own writer.
bool Publish(FrameMappingWriter& writer, int32_t width, int32_t height,
             const std::vector<uint8_t>& pixels) {
  return writer.Publish(width, height, pixels.data(), static_cast<int32_t>(pixels.size()));
}

// One delivered sample with its negotiated size and layout.
struct Frame {
  int32_t width = 0, height = 0, bpp = 0;
  std::vector<uint8_t> bytes;
  const uint8_t* At(int32_t x, int32_t y) const {
    return bytes.data() + (static_cast<size_t>(height - 1 - y) * width + x) * bpp;
  }
};

// A bottom-up 24-bit picture whose pixels encode their visual position.
struct Pattern : Frame {
  Pattern(int32_t w, int32_t h) : Frame{w, h, 3, std::vector<uint8_t>(size_t{3} * w * h)} {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        auto* p = const_cast<uint8_t*>(At(x, y));
        p[0] = static_cast<uint8_t>(x);
        p[1] = static_cast<uint8_t>(y);
        p[2] = static_cast<uint8_t>((x >> 8) * 16 + (y >> 8));
      }
  }
};

::testing::AssertionResult Near(const uint8_t* px, COLORREF c, int x, int y) {
  const int tolerance = 40;
  if (std::abs(px[0] - GetBValue(c)) <= tolerance && std::abs(px[1] - GetGValue(c)) <= tolerance &&
      std::abs(px[2] - GetRValue(c)) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is B" << int(px[0]) << " G"
                                       << int(px[1]) << " R" << int(px[2]);
}

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kWhite = RGB(255, 255, 255),
               kYellow = RGB(255, 255, 0), kBlue = RGB(0, 0, 255);

class CameraGraphTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "vcam_graph_" + std::to_string(GetCurrentProcessId());
    bare_ = root_ + "\\bare\\";
    with_res_ = root_ + "\\with_res\\";
    std::filesystem::create_directories(bare_);
    std::filesystem::create_directories(with_res_ + "res");
    for (const std::string& dir : {bare_, with_res_}) {
      CopyFileA(WindowsPath(VL_VCAM_HORIZONTAL_DLL).c_str(), (dir + kDlls[0]).c_str(), FALSE);
      CopyFileA(WindowsPath(VL_VCAM_VERTICAL_DLL).c_str(), (dir + kDlls[1]).c_str(), FALSE);
    }
    // Help pictures the program keeps per user would change what every camera shows.
    RemoveUserPictures();
    const std::string card = WindowsPath(VL_VCAM_TEST_DATA "/quadrants.jpg");
    for (const char* name : kPictures)
      CopyFileA(card.c_str(), (with_res_ + "res\\" + name).c_str(), FALSE);
  }

  static std::string UserPictureFolder() { return vl::win::UserPictureFolder(true); }
  static void RemoveUserPictures() {
    for (const char* name : kPictures) DeleteFileA((UserPictureFolder() + name).c_str());
  }

  static void TearDownTestSuite() {
    RemoveUserPictures();
    // Neither camera stays registered from a folder that is about to go. Best effort: a module
    // still loaded in this process may refuse to go.
    for (const char* dll : kDlls) Register(bare_ + dll, true);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
  void TearDown() override { CoUninitialize(); }

  static int Register(const std::string& dll, bool unregister = false) {
    return RunProcess("\"" + Regsvr32() + "\" /s " + (unregister ? "/u " : "") + "\"" + dll + "\"");
  }

  // Runs the named camera without a clock and returns its third sample.
  static Frame Capture(const wchar_t* name, const GUID& subtype) {
    const size_t index = 2;
    Frame frame;
    ComPtr<IBaseFilter> camera;
    EXPECT_HRESULT_SUCCEEDED(vl::tools::OpenVideoDevice(name, &camera));
    if (!camera) return frame;
    CaptureOptions options;
    options.subtype = subtype;
    options.use_clock = false;
    options.keep.insert(index);
    CaptureGraph graph;
    EXPECT_HRESULT_SUCCEEDED(graph.Build(camera.get(), options));
    const VIDEOINFOHEADER* info = graph.NegotiatedVideoInfo();
    if (info == nullptr) return frame;
    EXPECT_HRESULT_SUCCEEDED(graph.Run());
    EXPECT_TRUE(graph.WaitForSamples(index + 1, 10000));
    graph.Stop();
    frame.width = info->bmiHeader.biWidth;
    frame.height = info->bmiHeader.biHeight;
    frame.bpp = info->bmiHeader.biBitCount / 8;
    EXPECT_TRUE(graph.KeptSample(index, &frame.bytes));
    EXPECT_EQ(frame.bytes.size(), static_cast<size_t>(frame.width) * frame.height * frame.bpp);
    return frame;
  }

  static constexpr const char* kDlls[] = {"vlux_horizontal.dll", "vlux_vertical.dll"};
  static constexpr const char* kPictures[] = {"default_h.jpg", "default_v.jpg"};
  static std::string root_, bare_, with_res_;
};

std::string CameraGraphTest::root_, CameraGraphTest::bare_, CameraGraphTest::with_res_;

// Registered, each camera is listed once (the values written under the class key are
// camera_registration_win_test's RealModuleWritesItsEntriesOncePerPath). Without a picture or a
// fallback every pixel is blue (a section no picture can be read from is sample_fill_test's
// FillSample case); a picture published while the camera runs appears and outlives its
// publisher. Then the tools end to end, and unregistering one camera removes only it.
TEST_F(CameraGraphTest, RegisteredCamerasAreBlueUntilAPictureAppearsToolsEndToEndUnregistering) {
  const struct {
    const wchar_t* name;
    std::string key, dll;
  } cameras[] = {
      {kLandscapeName, "CLSID\\{8E14549A-DB61-4309-AFA1-3578E927E934}", bare_ + kDlls[0]},
      {kPortraitName, "CLSID\\{1B914DED-3DEF-4AD0-B158-EA0A7B34FC80}", bare_ + kDlls[1]},
  };
  for (const auto& c : cameras) ASSERT_EQ(Register(c.dll), 0);
  // Registering again overwrites the same entries.
  ASSERT_EQ(Register(cameras[0].dll), 0);
  for (const auto& c : cameras) EXPECT_EQ(CountDevices(c.name), 1);
  const struct {
    const wchar_t* camera;
    GUID subtype;
    int32_t width, height;
  } cases[] = {
      {kLandscapeName, MEDIASUBTYPE_RGB24, 1280, 720},
      {kPortraitName, MEDIASUBTYPE_RGB32, 720, 1280},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    const Frame f = Capture(c.camera, c.subtype);
    ASSERT_EQ(f.width, c.width);
    ASSERT_EQ(f.height, c.height);
    const uint8_t blue[4] = {0xFF, 0, 0, 0xFF};
    for (size_t i = 0; i < f.bytes.size(); i += static_cast<size_t>(f.bpp))
      ASSERT_EQ(std::memcmp(&f.bytes[i], blue, static_cast<size_t>(f.bpp)), 0) << "byte " << i;
  }

  ComPtr<IBaseFilter> camera;
  ASSERT_HRESULT_SUCCEEDED(vl::tools::OpenVideoDevice(kLandscapeName, &camera));
  CaptureOptions options;
  options.use_clock = false;
  options.subtype = MEDIASUBTYPE_RGB24;
  options.keep = {6, 12};
  CaptureGraph graph;
  ASSERT_HRESULT_SUCCEEDED(graph.Build(camera.get(), options));
  ASSERT_HRESULT_SUCCEEDED(graph.Run());
  ASSERT_TRUE(graph.WaitForSamples(3, 10000));
  Pattern picture(1280, 720);
  {
    // The main program starts publishing while the camera runs, then exits.
    FrameMappingWriter section;
    ASSERT_TRUE(Publish(section, 1280, 720, picture.bytes));
    ASSERT_TRUE(graph.WaitForSamples(8, 10000));
  }
  ASSERT_TRUE(graph.WaitForSamples(13, 10000));
  graph.Stop();
  std::vector<uint8_t> during, after;
  ASSERT_TRUE(graph.KeptSample(6, &during));
  ASSERT_TRUE(graph.KeptSample(12, &after));
  EXPECT_TRUE(during == picture.bytes);
  // The camera's own view keeps the section and its last picture alive.
  EXPECT_TRUE(after == picture.bytes);
  // The publisher holds the section while the capture tool runs in a third process.
  ChildProcess publisher(WindowsPath(VL_FRAME_PUBLISHER_EXE) +
                         " --solid 1280x720:123456 --hold 60");
  ASSERT_TRUE(publisher.WaitForOutput("published=1280x720 size=2764800", 20000))
      << publisher.Output();

  const std::string bmp = root_ + "\\tool_sample.bmp";
  std::string report;
  const int code = RunProcess(WindowsPath(VL_VCAM_CAPTURE_EXE) +
                                  " --device \"Velloria(\xE6\xA8\xAA\xE5\xB1\x8F)\" --samples 5"
                                  " --no-clock --save 3:" +
                                  bmp,
                              &report);
  ASSERT_EQ(code, 0) << report;
  EXPECT_NE(report.find("type=RGB24 1280x720 bits=24"), std::string::npos) << report;
  EXPECT_NE(report.find("clock=none"), std::string::npos) << report;
  EXPECT_NE(report.find("stamps=0,333333,666666,999999,1333332"), std::string::npos) << report;
  vl::tools::BmpPicture saved;
  ASSERT_TRUE(vl::tools::ReadBmpFile(bmp, &saved));
  ASSERT_EQ(saved.width, 1280);
  ASSERT_EQ(saved.height, 720);
  const uint8_t solid[3] = {0x56, 0x34, 0x12};
  for (size_t i = 0; i < saved.pixels.size(); i += 3)
    ASSERT_EQ(std::memcmp(&saved.pixels[i], solid, 3), 0) << "byte " << i;
  // Unregistering one camera removes its device and class key and leaves the other alone.
  for (size_t gone = 0; gone < 2; ++gone) {
    ASSERT_EQ(Register(cameras[gone].dll, true), 0);
    for (size_t i = gone; i < 2; ++i) {
      EXPECT_EQ(CountDevices(cameras[i].name), i == gone ? 0 : 1) << i;
      EXPECT_EQ(ClassesRootKeyExists(cameras[i].key), i != gone) << i;
    }
  }
}

// An enhanced metafile that draws a blue card, as another program could leave it named like a
// help picture.
std::string BlueMetafile() {
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT card = {0, 0, 640, 360};
  FillRect(dc, &card, blue);
  DeleteObject(blue);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  std::string bytes(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0]));
  DeleteEnhMetaFile(metafile);
  return bytes;
}

// Each camera shows its module's help picture, centred (exactly where, sample_fill_test's
// "32 bits, centred" case); the portrait camera's turned clockwise.
// One the program left in the user folder is shown instead only when it passes the help picture
// check (picture_header_test decides which do); an EMF named .jpg, which the system would draw,
// does not.
TEST_F(CameraGraphTest, HelpPicturesThenPublishedPicturesExactlyWithFrameNumbersOnTheWallClock) {
  ASSERT_EQ(Register(with_res_ + kDlls[0]), 0);
  ASSERT_EQ(Register(with_res_ + kDlls[1]), 0);
  const Frame f = Capture(kLandscapeName, MEDIASUBTYPE_RGB24);
  ASSERT_EQ(f.width, 1280);
  // The 640 x 360 card sits at (320, 180); its quadrant centres:
  EXPECT_TRUE(Near(f.At(480, 270), kRed, 480, 270));
  EXPECT_TRUE(Near(f.At(800, 270), kGreen, 800, 270));
  EXPECT_TRUE(Near(f.At(480, 450), kWhite, 480, 450));
  EXPECT_TRUE(Near(f.At(800, 450), kYellow, 800, 450));
  // Turned clockwise the card is 360 x 640 at (180, 320): top-left red went to the top right,
  // bottom-left white to the top left.
  const Frame p = Capture(kPortraitName, MEDIASUBTYPE_RGB32);
  ASSERT_EQ(p.width, 720);
  ASSERT_EQ(p.height, 1280);
  EXPECT_TRUE(Near(p.At(450, 480), kRed, 450, 480));
  EXPECT_TRUE(Near(p.At(270, 480), kWhite, 270, 480));
  EXPECT_TRUE(Near(p.At(450, 800), kGreen, 450, 800));
  EXPECT_TRUE(Near(p.At(270, 800), kYellow, 270, 800));
  EXPECT_EQ(p.At(450, 480)[3], 0xFF);

  const std::string user_card = UserPictureFolder() + "default_h.jpg";
  ASSERT_FALSE(UserPictureFolder().empty());
  // The card's top-left quadrant: blue from a JPEG the program downloaded, red (the module's
  // card) instead of an EMF named .jpg.
  for (const auto& [bytes, expected] :
       {std::pair{ReadFileBytes(WindowsPath(VL_VCAM_TEST_DATA "/blue_card.jpg")), kBlue},
        std::pair{BlueMetafile(), kRed}}) {
    ASSERT_TRUE(std::ofstream(user_card, std::ios::binary) << bytes);
    const Frame f = Capture(kLandscapeName, MEDIASUBTYPE_RGB24);
    ASSERT_EQ(f.width, 1280);
    EXPECT_TRUE(Near(f.At(480, 270), expected, 480, 270));
  }
  RemoveUserPictures();
  // A published portrait picture arrives in the landscape camera at 32 bits pixel for pixel, turned
  // clockwise and opaque: the camera offers its own orientation whatever the section holds.
  // (Landscape into the landscape camera at 24 bits is the appearing picture of the blue case; the
  // portrait camera turns the help card; every placement is sample_fill_test's table.) Then what
  // the latency measurement and the soak rely on: every sample's frame number read back and timed
  // on the wall clock, and a long run that keeps only a bounded record.
  {
    Pattern picture(720, 1280);
    FrameMappingWriter section;
    ASSERT_TRUE(Publish(section, 720, 1280, picture.bytes));
    const Frame f = Capture(kLandscapeName, MEDIASUBTYPE_RGB32);
    ASSERT_EQ(f.width, 1280);
    ASSERT_EQ(f.height, 720);
    for (int32_t y = 0; y < f.height; ++y)
      for (int32_t x = 0; x < f.width; ++x) {
        ASSERT_EQ(std::memcmp(f.At(x, y), picture.At(y, 1279 - x), 3), 0) << x << "," << y;
        ASSERT_EQ(f.At(x, y)[3], 0xFF) << x << "," << y;
      }
  }

  std::vector<uint8_t> picture(1280 * 720 * 3, 0x40);
  vl::tools::DrawFrameCode(picture.data(), 1280, 720, 1280 * 3, 4321);
  FrameMappingWriter section;
  ASSERT_TRUE(Publish(section, 1280, 720, picture));
  ComPtr<IBaseFilter> camera;
  ASSERT_HRESULT_SUCCEEDED(vl::tools::OpenVideoDevice(kLandscapeName, &camera));
  CaptureOptions options;
  options.subtype = MEDIASUBTYPE_RGB32;
  options.max_records = 3;
  CaptureGraph graph;
  ASSERT_HRESULT_SUCCEEDED(graph.Build(camera.get(), options));
  graph.ReadFrameNumbers();
  const int64_t before = vl::tools::WallClockMicroseconds();
  ASSERT_HRESULT_SUCCEEDED(graph.Run());
  EXPECT_TRUE(graph.WaitForSamples(8, 10000));
  graph.Stop();
  const int64_t after = vl::tools::WallClockMicroseconds();
  EXPECT_GE(graph.SampleCount(), 8u);
  const std::vector<vl::tools::SampleRecord> records = graph.Records();
  ASSERT_EQ(records.size(), 4u);  // the first three and the latest
  for (const auto& r : records) {
    EXPECT_EQ(r.frame_number, 4321);
    EXPECT_GE(r.wall_us, before);
    EXPECT_LE(r.wall_us, after);
  }
  EXPECT_GT(records[3].arrival_us, records[2].arrival_us);
  // The wall clock is the machine's: its time since 1970 is after 2020.
  EXPECT_GT(before, int64_t{1577836800} * 1000000);
}

}  // namespace
}  // namespace vl::test
