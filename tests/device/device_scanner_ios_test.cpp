// The device scan under Windows with libimobiledevice loaded at run time (the stand-in DLL
// beside this test): iPhones named in the ANSI code page, a failing handshake left out, every
// string released through the library, and the result sent as message 0x464.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "device/device_scanner.h"
#include "tests/device/fake_adb_workdir.h"

namespace vl {
namespace {

template <typename F>
F Probe(const char* name) {
  HMODULE m = GetModuleHandleA("libimobiledevice-1.0.dll");
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

// Receives 0x464 the way the main window does and keeps what it saw.
struct ResultWindow {
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kMsgDeviceListArrived) {
      auto* self = reinterpret_cast<ResultWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
      self->count = static_cast<int>(wp);
      const auto* entries = reinterpret_cast<const DeviceEntry*>(lp);
      for (int i = 0; i < self->count; ++i) self->names.push_back(entries[i].display_name);
      self->arrived = true;
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  ResultWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VlScanResultWindow";
    RegisterClassA(&wc);
    hwnd = CreateWindowA("VlScanResultWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                         wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ResultWindow() { DestroyWindow(hwnd); }
  bool Wait(int timeout_ms) {
    const DWORD start = GetTickCount();
    while (!arrived && GetTickCount() - start < static_cast<DWORD>(timeout_ms)) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return arrived;
  }
  HWND hwnd;
  bool arrived = false;
  int count = -1;
  std::vector<std::string> names;
};

class IosScanTest : public ::testing::Test {
 protected:
  IosScanTest() : config_(ProgramDir() + "fake_imobiledevice.conf") {}
  ~IosScanTest() override {
    DeleteFileA(config_.c_str());
    for (int i = 0; i < 500 && DeviceScanner::RunningScanThreads() > 0; ++i) Sleep(10);
  }
  void Attach(const std::string& lines) { std::ofstream(config_, std::ios::binary) << lines; }

  std::string config_;
  test::FakeAdbWorkdir adb_{"device ANDROID01 device\nprop ANDROID01 ro.product.model Mi 11\n"};
};

TEST_F(IosScanTest, IphonesComeFirstNamedInTheAnsiCodePageAndAReachTheWindowAs0x464) {
  // "测试的iPhone" in UTF-8, a phone whose handshake fails, and one without a name.
  Attach(
      "device UDID-CN \xE6\xB5\x8B\xE8\xAF\x95\xE7\x9A\x84iPhone\n"
      "refuse UDID-BROKEN\n"
      "device UDID-NONAME\n");
  ResultWindow window;
  DeviceScanner scanner;
  scanner.SetResultWindow(window.hwnd);
  ASSERT_TRUE(scanner.StartScan());
  ASSERT_TRUE(window.Wait(30000));
  EXPECT_EQ(window.count, 3);
  EXPECT_EQ(window.names,
            (std::vector<std::string>{"\xB2\xE2\xCA\xD4\xB5\xC4iPhone", "", "Mi 11"}));
  const std::vector<DeviceEntry> entries = scanner.GetEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].identifier, "UDID-CN");
  EXPECT_EQ(entries[1].identifier, "UDID-NONAME");
  EXPECT_EQ(entries[2].kind, kDeviceKindAndroid);
  for (int i = 0; i < 500 && scanner.IsScanning(); ++i) Sleep(10);
  // Names and the device list went back to the library's own heap.
  EXPECT_EQ(Probe<int (*)()>("fake_imobiledevice_live_strings")(), 0);
  EXPECT_EQ(Probe<int (*)()>("fake_imobiledevice_live_handles")(), 0);
}

TEST_F(IosScanTest, WithoutIphonesOnlyAndroidPhonesAreListed) {
  Attach("");
  ResultWindow window;
  DeviceScanner scanner;
  scanner.SetResultWindow(window.hwnd);
  ASSERT_TRUE(scanner.StartScan());
  ASSERT_TRUE(window.Wait(30000));
  EXPECT_EQ(window.names, std::vector<std::string>{"Mi 11"});
}

}  // namespace
}  // namespace vl
