#include "online/online_context.h"

#include <mutex>

namespace vl {
namespace {

// Never destroyed: threads that are never joined may still ask while the process ends.
std::mutex& ContextLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

OnlineContext& Context() {
  static auto* context = new OnlineContext;
  return *context;
}

}  // namespace

void SetOnlineContext(OnlineContext context) {
  std::lock_guard<std::mutex> hold(ContextLock());
  Context() = std::move(context);
}

OnlineContext GetOnlineContext() {
  std::lock_guard<std::mutex> hold(ContextLock());
  return Context();
}

}  // namespace vl
