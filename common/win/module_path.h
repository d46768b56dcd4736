// The file a module was loaded from, as Windows reports it.
#pragma once

#include <windows.h>

#include <string>

#include "common/module_directory.h"

namespace vl::win {

// Full path of `module` (null: the program's executable) in the ANSI code page, or "" when it
// cannot be had whole (a truncated path would name a file that does not exist).
inline std::string ModuleFilePath(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length);
}

// The directory of `module` with its trailing backslash, or "" when its path cannot be had.
inline std::string ModuleDirectoryOf(HMODULE module) {
  return DirectoryOfModulePath(ModuleFilePath(module));
}

}  // namespace vl::win
