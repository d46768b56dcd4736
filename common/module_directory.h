// The directory a module's files are found in: the program's for the program ("res\default.png",
// the adb tool, the camera modules), the camera module's own inside whatever process loaded it
// ("res\default_h.jpg"). Each module stores it once when it starts.
#pragma once

#include <string>
#include <string_view>

namespace vl {

// The directory part of a Windows module path, ending with one backslash:
// "C:\\Program Files\\Velloria\\Lumaroo.exe" gives "C:\\Program Files\\Velloria\\".
// A path without a backslash has no directory part and gives "" (files are then looked up
// relative to the current directory).
std::string DirectoryOfModulePath(std::string_view module_path);

// The running module's directory; empty before it is set.
const std::string& ModuleDirectory();
void SetModuleDirectory(std::string dir);

// In the program the module directory is the application directory.
inline const std::string& ApplicationDirectory() {
  return ModuleDirectory();
}
inline void SetApplicationDirectory(std::string dir) {
  SetModuleDirectory(std::move(dir));
}

}  // namespace vl
