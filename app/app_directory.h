// The directory the program is installed in, as other parts find files beside the program.
#pragma once

#include <string>
#include <string_view>

namespace vl {

// The directory part of a Windows module path, ending with one backslash:
// "C:\\Program Files\\Velloria\\Lumaroo.exe" gives "C:\\Program Files\\Velloria\\".
// A path without a backslash has no directory part and gives "" (files are then looked up
// relative to the current directory).
std::string DirectoryOfModulePath(std::string_view module_path);

// The application directory computed at start; empty before that.
const std::string& ApplicationDirectory();
void SetApplicationDirectory(std::string dir);

}  // namespace vl
