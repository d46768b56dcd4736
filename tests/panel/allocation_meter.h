// Counts the bytes this test program holds through operator new, and can make an allocation
// fail: past a limit (a 32-bit process's address space, say) or at the n-th allocation from
// now. Linked into one test program, whose operator new and delete it replaces.
#pragma once

#include <cstdint>

namespace vl::test {

struct AllocationMeter {
  // Bytes allocated with operator new and not yet deleted.
  static int64_t LiveBytes();
  // Allocations that would take the live bytes past `bytes` throw std::bad_alloc; 0: no limit.
  static void SetLimit(int64_t bytes);
  // The n-th allocation from now throws std::bad_alloc (once); 0: none.
  static void FailAt(int64_t n);
  // Whether the failure set by FailAt has happened.
  static bool Failed();
};

}  // namespace vl::test
