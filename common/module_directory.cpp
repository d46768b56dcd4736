#include "common/module_directory.h"

namespace vl {
namespace {
// Never destroyed: threads that are never joined may read it while the process ends.
std::string& Storage() {
  static auto* dir = new std::string;
  return *dir;
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
