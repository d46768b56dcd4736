#include "tests/vcam/camera_module.h"

#include <tlhelp32.h>

#include "common/win/handles.h"

namespace vl::test {

CameraModule::CameraModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
  if (module_ == nullptr) return;
  get_class_object_ = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  can_unload_now_ = reinterpret_cast<CanUnloadNowFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
}

CameraModule::~CameraModule() {
  if (module_ != nullptr) FreeLibrary(module_);
}

HRESULT CameraModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
  return get_class_object_ ? get_class_object_(clsid, iid, out) : E_UNEXPECTED;
}

HRESULT CameraModule::CanUnloadNow() const {
  return can_unload_now_ ? can_unload_now_() : E_UNEXPECTED;
}

HRESULT CameraModule::CreateFilter(REFCLSID clsid, ComPtr<IBaseFilter>* filter) const {
  ComPtr<IClassFactory> factory;
  HRESULT hr = GetClassObject(clsid, IID_IClassFactory, factory.put_void());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, IID_IBaseFilter, filter->put_void());
}

ComPtr<IPin> OutputPin(IBaseFilter* filter) {
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.put()))) return nullptr;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.put(), nullptr) == S_OK) {
    PIN_DIRECTION direction;
    if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT) return pin;
  }
  return nullptr;
}

bool ClassesRootKeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

int ThreadCount() {
  vl::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  int count = 0;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == self) ++count;
  }
  return count;
}

std::string WindowsPath(const char* unix_path) {
  std::string path = std::string("Z:") + unix_path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace vl::test
