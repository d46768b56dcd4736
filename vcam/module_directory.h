// The directory of the camera module file (with its trailing backslash), taken when the module
// is loaded; the fallback picture is found relative to it.
#pragma once

#include <string>

void SetModuleDirectory(const std::string& directory);
std::string ModuleDirectory();
