#include "online/online_context.h"

#include <mutex>

namespace vl {
namespace {

std::mutex& ContextLock() {
  static std::mutex lock;
  return lock;
}

OnlineContext& Context() {
  static OnlineContext context;
  return context;
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
