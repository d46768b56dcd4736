// DllRegisterServer / DllUnregisterServer: the COM class registration under HKEY_CLASSES_ROOT
// and the entry in DirectShow's video capture category.
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include <string>

#include "common/win/com_ptr.h"
#include "common/win/registry.h"
#include "vcam/module/module_templates.h"

namespace vl::vcam {
namespace {

std::string ToAnsi(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], bytes, nullptr, nullptr);
  ansi.resize(static_cast<size_t>(bytes - 1));
  return ansi;
}

std::string ClassKeyPath(const CLSID& clsid) {
  wchar_t text[40];
  StringFromGUID2(clsid, text, 40);
  return "CLSID\\" + ToAnsi(text);
}

HRESULT WriteClassKeys(const CFactoryTemplate& entry, const std::string& module_path) {
  vl::win::RegistryKey key;
  LONG error = key.Create(HKEY_CLASSES_ROOT, ClassKeyPath(*entry.clsid).c_str());
  if (error == ERROR_SUCCESS) error = key.SetString(nullptr, ToAnsi(entry.name));
  vl::win::RegistryKey server;
  if (error == ERROR_SUCCESS) error = server.Create(key.get(), "InprocServer32");
  if (error == ERROR_SUCCESS) error = server.SetString(nullptr, module_path);
  if (error == ERROR_SUCCESS) error = server.SetString("ThreadingModel", "Both");
  return HRESULT_FROM_WIN32(error);
}

HRESULT UpdateFilterMapper(const CFactoryTemplate& entry, bool do_register) {
  vl::win::ComPtr<IFilterMapper2> mapper;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, mapper.put_void());
  if (FAILED(hr)) return hr;
  if (do_register) {
    const FilterSetup& setup = *entry.setup;
    REGFILTER2 filter;
    filter.dwVersion = 1;
    filter.dwMerit = setup.merit;
    filter.cPins = setup.pin_count;
    filter.rgPins = setup.pins;
    vl::win::ComPtr<IMoniker> moniker;
    hr = mapper->RegisterFilter(*entry.clsid, setup.name, moniker.put(),
                                &CLSID_VideoInputDeviceCategory, nullptr, &filter);
  } else {
    hr = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, nullptr, *entry.clsid);
  }
  return hr;
}

HRESULT RegisterModule(bool do_register) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(g_module_instance, path, MAX_PATH);
  if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
  // A truncated path would register a file that does not exist.
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  const std::string module_path(path, length);

  const HRESULT com = CoInitialize(nullptr);
  if (!do_register && FAILED(com)) return com;

  HRESULT hr = S_OK;
  const CFactoryTemplate& entry = g_templates[0];
  if (do_register) hr = WriteClassKeys(entry, module_path);
  if (SUCCEEDED(hr)) hr = UpdateFilterMapper(entry, do_register);
  if (!do_register && SUCCEEDED(hr))
    hr = HRESULT_FROM_WIN32(
        vl::win::DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKeyPath(*entry.clsid).c_str()));

  CoFreeUnusedLibraries();
  if (SUCCEEDED(com)) CoUninitialize();
  return hr;
}

}  // namespace
}  // namespace vl::vcam

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return vl::vcam::RegisterModule(true);
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return vl::vcam::RegisterModule(false);
}
