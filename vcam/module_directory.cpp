#include "vcam/module_directory.h"

namespace {
std::string& Storage() {
  static std::string directory;
  return directory;
}
}  // namespace

void SetModuleDirectory(const std::string& directory) {
  Storage() = directory;
}

std::string ModuleDirectory() {
  return Storage();
}
