// Entry points of the camera module: DllMain, the class object, the unload test.
#include <windows.h>

#include <string>

#include "common/win/module_path.h"
#include "vcam/framework/class_factory.h"
#include "vcam/framework/unknown.h"
#include "vcam/module/module_templates.h"

namespace vl::vcam {
namespace {

void RunInitialisers(BOOL loading) {
  for (int i = 0; i < g_template_count; ++i) {
    if (g_templates[i].initialize != nullptr)
      g_templates[i].initialize(loading, g_templates[i].clsid);
  }
}

}  // namespace
}  // namespace vl::vcam

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  vl::SetModuleDirectory(vl::win::ModuleDirectoryOf(instance));
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof(version);
    vl::vcam::g_platform_id =
        GetVersionExA(&version) ? version.dwPlatformId : VER_PLATFORM_WIN32_WINDOWS;
    vl::vcam::g_module_instance = instance;
    vl::vcam::RunInitialisers(TRUE);
  } else if (reason == DLL_PROCESS_DETACH) {
    vl::vcam::RunInitialisers(FALSE);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  for (int i = 0; i < vl::vcam::g_template_count; ++i) {
    if (*vl::vcam::g_templates[i].clsid != clsid) continue;
    auto* factory = new (std::nothrow) vl::vcam::CClassFactory(&vl::vcam::g_templates[i]);
    if (factory == nullptr) return E_OUTOFMEMORY;
    factory->AddRef();
    *out = static_cast<IClassFactory*>(factory);
    return S_OK;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return vl::vcam::CClassFactory::ServerLocks() > 0 || vl::vcam::CBaseObject::ObjectsActive() > 0
             ? S_FALSE
             : S_OK;
}
