// Removing the cameras' registration before their modules are deleted, so that capture
// programs stop listing cameras whose files are gone.
#pragma once

#include <string>

namespace vl::uninstall {

// Unregisters the 32-bit camera modules of `installation` in this process and, on 64-bit
// Windows, the 64-bit ones in its "x64" folder through the system's 64-bit regsvr32. Modules that
// are missing are skipped. Returns false when a present module could not be unregistered.
bool UnregisterCameraModules(const std::wstring& installation);

}  // namespace vl::uninstall
