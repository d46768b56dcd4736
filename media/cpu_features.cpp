#include "media/cpu_features.h"

namespace vl {

bool ProcessorHasSsse3() {
#if defined(__i386__) || defined(__x86_64__)
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return have;
#else
  return false;
#endif
}

}  // namespace vl
