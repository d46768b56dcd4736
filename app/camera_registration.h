// Registration of the two virtual camera modules at every start of the program: each module
// beside the program is loaded and its DllRegisterServer called; failures are reported with a
// message box owned by the main window.
#pragma once

#include <windows.h>

#include <string>

namespace vl {

// The modules, in registration order, relative to the application directory.
constexpr const char* kCameraModuleFiles[] = {"vlux_horizontal.dll", "vlux_vertical.dll"};

// 1 when the module is registered (or has nothing to register), 0 after a message box: the
// path followed by "缺失" for a missing file, by " 注册失败" for a module that cannot be
// loaded or whose registration fails. A known camera module already registered at this very
// path is not registered again.
int RegisterCameraModule(const std::string& path, HWND owner);

// Both modules from the application directory, landscape first.
void RegisterCameraModules(HWND owner);

// Whether the camera class `clsid` ("{...}") is registered as the module at `path` (same file,
// any letter case) and listed among the video capture sources.
bool IsCameraRegisteredAt(const std::string& clsid, const std::string& path);

}  // namespace vl
