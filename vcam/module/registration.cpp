// DllRegisterServer / DllUnregisterServer: the COM class registration under HKEY_CLASSES_ROOT
// and the entry in DirectShow's video capture category.
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include <string>

#include "vcam/module/module_templates.h"

namespace {

// HKEY that closes itself.
struct RegKey {
  HKEY key = nullptr;
  ~RegKey() {
    if (key != nullptr) RegCloseKey(key);
  }
};

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
  const std::string class_key = ClassKeyPath(*entry.clsid);
  RegKey key;
  LONG error = RegCreateKeyA(HKEY_CLASSES_ROOT, class_key.c_str(), &key.key);
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  const std::string name = ToAnsi(entry.name);
  error = RegSetValueA(key.key, nullptr, REG_SZ, name.c_str(), static_cast<DWORD>(name.size()));
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  RegKey server;
  error = RegCreateKeyA(key.key, "InprocServer32", &server.key);
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  error = RegSetValueA(server.key, nullptr, REG_SZ, module_path.c_str(),
                       static_cast<DWORD>(module_path.size()));
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  static const char kBoth[] = "Both";
  error = RegSetValueExA(server.key, "ThreadingModel", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(kBoth), sizeof(kBoth));
  return HRESULT_FROM_WIN32(error);
}

// Deletes a key with all its subkeys. A key that does not open counts as deleted.
HRESULT DeleteKeyTree(HKEY parent, const std::string& path) {
  RegKey key;
  if (RegOpenKeyExA(parent, path.c_str(), 0, MAXIMUM_ALLOWED, &key.key) != ERROR_SUCCESS)
    return S_OK;
  char child[MAX_PATH];
  // Always the first subkey, until none is left; a subkey that will not go ends the loop.
  while (RegEnumKeyA(key.key, 0, child, MAX_PATH) == ERROR_SUCCESS) {
    const std::string before(child);
    DeleteKeyTree(key.key, before);
    if (RegEnumKeyA(key.key, 0, child, MAX_PATH) == ERROR_SUCCESS && before == child) break;
  }
  RegCloseKey(key.key);
  key.key = nullptr;
  const LONG error = RegDeleteKeyA(parent, path.c_str());
  return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(error);
}

HRESULT UpdateFilterMapper(const CFactoryTemplate& entry, bool do_register) {
  IFilterMapper2* mapper = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, reinterpret_cast<void**>(&mapper));
  if (FAILED(hr)) return hr;
  if (do_register) {
    const FilterSetup& setup = *entry.setup;
    REGFILTER2 filter;
    filter.dwVersion = 1;
    filter.dwMerit = setup.merit;
    filter.cPins = setup.pin_count;
    filter.rgPins = setup.pins;
    IMoniker* moniker = nullptr;
    hr = mapper->RegisterFilter(*entry.clsid, setup.name, &moniker, &CLSID_VideoInputDeviceCategory,
                                nullptr, &filter);
    if (moniker != nullptr) moniker->Release();
  } else {
    hr = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, nullptr, *entry.clsid);
  }
  mapper->Release();
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
    hr = DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKeyPath(*entry.clsid));

  CoFreeUnusedLibraries();
  if (SUCCEEDED(com)) CoUninitialize();
  return hr;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return RegisterModule(true);
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return RegisterModule(false);
}
