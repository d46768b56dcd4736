// Loading a camera module in-process (no registration) and reaching its filter through
// DllGetClassObject, for the module tests; both modules loaded once per test suite for tests
// built with VL_VCAM_HORIZONTAL_DLL and VL_VCAM_VERTICAL_DLL defined.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>

#include "common/win/com_ptr.h"
#include "common/win/handles.h"
#include "common/win/registry.h"

namespace vl::test {

using vl::win::ComPtr;

// The two builds' identities, as capture applications see them.
inline const CLSID kLandscapeClsid = {
    0x8E14549A, 0xDB61, 0x4309, {0xAF, 0xA1, 0x35, 0x78, 0xE9, 0x27, 0xE9, 0x34}};
inline const CLSID kPortraitClsid = {
    0x1B914DED, 0x3DEF, 0x4AD0, {0xB1, 0x58, 0xEA, 0x0A, 0x7B, 0x34, 0xFC, 0x80}};
inline const wchar_t kLandscapeName[] = L"Velloria(\u6A2A\u5C4F)";
inline const wchar_t kPortraitName[] = L"Velloria(\u7AD6\u5C4F)";

struct CameraModule {
  explicit CameraModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
  ~CameraModule() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
  }
  HRESULT CanUnloadNow() const { return Export<HRESULT(WINAPI*)()>("DllCanUnloadNow")(); }
  // A new filter of `clsid` through the module's class factory.
  HRESULT CreateFilter(REFCLSID clsid, ComPtr<IBaseFilter>* filter) const {
    ComPtr<IClassFactory> factory;
    HRESULT hr = GetClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IBaseFilter, filter->put_void());
  }
  // An entry point the module must export (the export table test checks each is there).
  template <typename Fn>
  Fn Export(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_;
};

// The first output pin of `filter`.
inline ComPtr<IPin> OutputPin(IBaseFilter* filter) {
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.put()))) return nullptr;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.put(), nullptr) == S_OK) {
    PIN_DIRECTION direction;
    if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT) return pin;
  }
  return nullptr;
}

// Whether HKEY_CLASSES_ROOT holds the key `path`.
inline bool ClassesRootKeyExists(const std::string& path) {
  return vl::win::RegistryKey().Open(HKEY_CLASSES_ROOT, path.c_str()) == ERROR_SUCCESS;
}

// Threads of this process right now.
inline int ThreadCount() {
  vl::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

// Windows path of a module built in this tree (compile-time Unix path under Wine's Z:).
inline std::string WindowsPath(const char* unix_path) {
  std::string path = std::string("Z:") + unix_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

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
    ASSERT_NE(landscape_->module_, nullptr);
    ASSERT_NE(portrait_->module_, nullptr);
  }
  // After every member of a derived fixture is gone.
  ~CameraModulesTest() override { CoUninitialize(); }

  static inline CameraModule* landscape_ = nullptr;
  static inline CameraModule* portrait_ = nullptr;
};

}  // namespace vl::test
