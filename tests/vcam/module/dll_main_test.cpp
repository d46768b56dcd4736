// The camera modules' entry points in-process, without registration: the export table,
// DllGetClassObject, the class factory, aggregation and DllCanUnloadNow.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/vcam/camera_module.h"

namespace vl::test {
namespace {

using ModuleEntryTest = CameraModulesTest;

// Names in the module's export directory.
std::vector<std::string> ExportNames(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> result;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(result.begin(), result.end());
  return result;
}

TEST_F(ModuleEntryTest, BothModulesExportExactlyTheFiveEntryPoints) {
  const std::vector<std::string> expected = {"DllCanUnloadNow", "DllGetClassObject", "DllMain",
                                             "DllRegisterServer", "DllUnregisterServer"};
  EXPECT_EQ(ExportNames(landscape_->handle()), expected);
  EXPECT_EQ(ExportNames(portrait_->handle()), expected);
}

// A controlling object that aggregates the camera filter.
class Outer : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner_->QueryInterface(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  ULONG refs_ = 1;
  IUnknown* inner_ = nullptr;
};

// DllGetClassObject hands out only its own class factory, whose CreateInstance checks its
// arguments; a filter it creates for an outer object delegates to it.
TEST_F(ModuleEntryTest, TheClassFactoryRefusesWhatItDoesNotServeAndAggregates) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(landscape_->GetClassObject(kPortraitClsid, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(landscape_->GetClassObject(CLSID_NULL, IID_IUnknown, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IPersist, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(portrait_->GetClassObject(kLandscapeClsid, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  ComPtr<IUnknown> outer_stand_in;
  ASSERT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IUnknown, outer_stand_in.put_void()),
            S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(outer_stand_in.As(factory), S_OK);
  ComPtr<IPersist> not_there;
  EXPECT_EQ(outer_stand_in.As(not_there), E_NOINTERFACE);

  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IBaseFilter, nullptr), E_POINTER);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer_stand_in.get(), IID_IBaseFilter, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  ComPtr<IAMStreamConfig> config;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IAMStreamConfig, config.put_void()), S_OK);
  ComPtr<IDispatch> none;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, none.put_void()), E_NOINTERFACE);

  Outer outer;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner_)),
            S_OK);
  IBaseFilter* filter = nullptr;
  ASSERT_EQ(outer.inner_->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
  // The filter's public IUnknown is the outer object's, and its references go there.
  EXPECT_EQ(outer.refs_, 2u);
  IUnknown* identity = nullptr;
  ASSERT_EQ(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
  identity->Release();
  filter->Release();
  EXPECT_EQ(outer.refs_, 1u);
  EXPECT_EQ(outer.inner_->Release(), 0u);
}

TEST_F(ModuleEntryTest, CanUnloadNowCountsFactoriesLocksAndObjects) {
  {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IClassFactory, factory.put_void()),
              S_OK);
    EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
    factory->LockServer(TRUE);
    factory.reset();
    EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
    ASSERT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IClassFactory, factory.put_void()),
              S_OK);
    factory->LockServer(FALSE);
  }
  EXPECT_EQ(landscape_->CanUnloadNow(), S_OK);
  ComPtr<IEnumPins> pins;
  {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(landscape_->CreateFilter(kLandscapeClsid, &filter), S_OK);
    EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
    ASSERT_EQ(filter->EnumPins(pins.put()), S_OK);
  }
  // The enumerator holds the filter.
  EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
  pins.reset();
  EXPECT_EQ(landscape_->CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace vl::test
