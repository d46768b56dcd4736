// Loading a camera module in-process (no registration) and reaching its filter through
// DllGetClassObject, for the module tests; both modules loaded once per test suite for tests
// built with VL_VCAM_HORIZONTAL_DLL and VL_VCAM_VERTICAL_DLL defined.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <string>

#include "common/win/com_ptr.h"

namespace vl::test {

using vl::win::ComPtr;

// The two builds' identities, as capture applications see them.
inline const CLSID kLandscapeClsid = {
    0x8E14549A, 0xDB61, 0x4309, {0xAF, 0xA1, 0x35, 0x78, 0xE9, 0x27, 0xE9, 0x34}};
inline const CLSID kPortraitClsid = {
    0x1B914DED, 0x3DEF, 0x4AD0, {0xB1, 0x58, 0xEA, 0x0A, 0x7B, 0x34, 0xFC, 0x80}};
inline const wchar_t kLandscapeName[] = L"Velloria(\u6A2A\u5C4F)";
inline const wchar_t kPortraitName[] = L"Velloria(\u7AD6\u5C4F)";

class CameraModule {
 public:
  using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using CanUnloadNowFn = HRESULT(WINAPI*)();
  using RegisterFn = HRESULT(WINAPI*)();

  explicit CameraModule(const std::string& path);
  ~CameraModule();
  CameraModule(const CameraModule&) = delete;
  CameraModule& operator=(const CameraModule&) = delete;

  bool loaded() const { return module_ != nullptr; }
  HMODULE handle() const { return module_; }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
  HRESULT CanUnloadNow() const;
  // A new filter of `clsid` through the module's class factory.
  HRESULT CreateFilter(REFCLSID clsid, ComPtr<IBaseFilter>* filter) const;

 private:
  HMODULE module_;
  GetClassObjectFn get_class_object_ = nullptr;
  CanUnloadNowFn can_unload_now_ = nullptr;
};

// The first output pin of `filter`.
ComPtr<IPin> OutputPin(IBaseFilter* filter);
// Whether HKEY_CLASSES_ROOT holds the key `path`.
bool ClassesRootKeyExists(const std::string& path);
// Threads of this process right now.
int ThreadCount();
// Windows path of a module built in this tree (compile-time Unix path under Wine's Z:).
std::string WindowsPath(const char* unix_path);

// Both camera modules loaded in-process once per test suite, with COM on each test's thread.
class CameraModulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    landscape_ = new CameraModule(WindowsPath(VL_VCAM_HORIZONTAL_DLL));
    portrait_ = new CameraModule(WindowsPath(VL_VCAM_VERTICAL_DLL));
  }
  static void TearDownTestSuite() {
    delete landscape_;
    delete portrait_;
    landscape_ = portrait_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ASSERT_TRUE(landscape_->loaded());
    ASSERT_TRUE(portrait_->loaded());
  }
  void TearDown() override { CoUninitialize(); }

  static inline CameraModule* landscape_ = nullptr;
  static inline CameraModule* portrait_ = nullptr;
};

}  // namespace vl::test
