#include "tests/panel/allocation_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace vl::test {
namespace {

std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_limit{0};
std::atomic<int64_t> g_countdown{0};
std::atomic<bool> g_failed{false};

// Each block carries its size in front, so that delete knows what it gives back.
constexpr size_t kHeader = 16;

void* Allocate(size_t size) {
  if (g_countdown.load() > 0 && g_countdown.fetch_sub(1) == 1) {
    g_failed = true;
    return nullptr;
  }
  const int64_t limit = g_limit.load();
  if (limit > 0 && g_live.load() + static_cast<int64_t>(size) > limit) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  *reinterpret_cast<size_t*>(block) = size;
  g_live += static_cast<int64_t>(size);
  return block + kHeader;
}

void Free(void* p) {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  g_live -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block));
  std::free(block);
}

}  // namespace

int64_t AllocationMeter::LiveBytes() {
  return g_live.load();
}
void AllocationMeter::SetLimit(int64_t bytes) {
  g_limit = bytes;
}
void AllocationMeter::FailAt(int64_t n) {
  g_failed = false;
  g_countdown = n;
}
bool AllocationMeter::Failed() {
  return g_failed.load();
}

}  // namespace vl::test

void* operator new(size_t size) {
  if (void* p = vl::test::Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return vl::test::Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return vl::test::Allocate(size);
}
void operator delete(void* p) noexcept {
  vl::test::Free(p);
}
void operator delete[](void* p) noexcept {
  vl::test::Free(p);
}
void operator delete(void* p, size_t) noexcept {
  vl::test::Free(p);
}
void operator delete[](void* p, size_t) noexcept {
  vl::test::Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  vl::test::Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  vl::test::Free(p);
}
