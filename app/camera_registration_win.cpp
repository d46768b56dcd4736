#include "app/camera_registration.h"

#include <objbase.h>

#include "common/module_directory.h"
#include "common/text_convert.h"
#include "common/win/message_box.h"
#include "common/win/registry.h"

namespace vl {
namespace {

// DllRegisterServer as COM servers export it: STDAPI, a stdcall function returning an HRESULT.
using DllRegisterServerFunction = HRESULT(STDAPICALLTYPE*)();

// The cameras' class identifiers, by module file name.
struct KnownCamera {
  const char* file;
  const char* clsid;
};
constexpr KnownCamera kKnownCameras[] = {
    {"vlux_horizontal.dll", "{8E14549A-DB61-4309-AFA1-3578E927E934}"},
    {"vlux_vertical.dll", "{1B914DED-3DEF-4AD0-B158-EA0A7B34FC80}"},
};
// DirectShow's video capture source category; registered filters are listed under Instance.
constexpr char kVideoInputCategory[] = "{860BB310-5D01-11D0-BD3B-00A0C911CE86}";

// The texts of the failure boxes, in UTF-8 here.
constexpr char kMissingSuffix[] = "缺失";
constexpr char kFailedSuffix[] = " 注册失败";

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* KnownClsid(const std::string& path) {
  const std::string name = FileNameOf(path);
  for (const KnownCamera& camera : kKnownCameras)
    if (lstrcmpiA(name.c_str(), camera.file) == 0) return camera.clsid;
  return nullptr;
}

int Fail(HWND owner, const std::string& path, const char* suffix) {
  win::ShowMessageBox(owner, path + Utf8ToAnsi(suffix), "", MB_OK);
  return 0;
}

}  // namespace

bool IsCameraRegisteredAt(const std::string& clsid, const std::string& path) {
  std::string server, threading;
  win::RegistryKey inproc;
  if (inproc.Open(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid + "\\InprocServer32").c_str()) !=
          ERROR_SUCCESS ||
      inproc.GetString("", &server) != ERROR_SUCCESS ||
      lstrcmpiA(server.c_str(), path.c_str()) != 0)
    return false;
  if (inproc.GetString("ThreadingModel", &threading) != ERROR_SUCCESS || threading != "Both")
    return false;
  win::RegistryKey listed;
  return listed.Open(HKEY_CLASSES_ROOT,
                     (std::string("CLSID\\") + kVideoInputCategory + "\\Instance\\" + clsid)
                         .c_str()) == ERROR_SUCCESS;
}

int RegisterCameraModule(const std::string& path, HWND owner) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return Fail(owner, path, kMissingSuffix);
  // Registering again what is already in place only writes the same values, and fails for a
  // user without the rights the installation had: a box at every start for nothing.
  const char* clsid = KnownClsid(path);
  if (clsid && IsCameraRegisteredAt(clsid, path)) return 1;

  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return Fail(owner, path, kFailedSuffix);
  const auto register_server = reinterpret_cast<DllRegisterServerFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  // A module without the export has nothing to register.
  const HRESULT hr = register_server ? register_server() : S_OK;
  FreeLibrary(module);
  if (FAILED(hr)) return Fail(owner, path, kFailedSuffix);
  return 1;
}

void RegisterCameraModules(HWND owner) {
  for (const char* file : kCameraModuleFiles)
    RegisterCameraModule(ApplicationDirectory() + file, owner);
}

}  // namespace vl
