#include "common/module_directory.h"

namespace vl {
namespace {
std::string& Storage() {
  static std::string dir;
  return dir;
}
}  // namespace

std::string DirectoryOfModulePath(std::string_view module_path) {
  const size_t slash = module_path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(module_path.substr(0, slash)) + '\\';
}

const std::string& ModuleDirectory() {
  return Storage();
}
void SetModuleDirectory(std::string dir) {
  Storage() = std::move(dir);
}

}  // namespace vl
