#include "common/win/message_box.h"

#include <mutex>
#include <utility>

namespace vl::win {
namespace {

std::mutex g_lock;
MessageBoxHandler g_handler;
WideMessageBoxHandler g_wide_handler;

// The handler in `slot` when one is set, else the system's box.
template <typename Handler, typename Text, typename SystemBox>
int ShowThrough(const Handler& slot, HWND owner, const Text& text, const Text& caption, UINT type,
                SystemBox system_box) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    handler = slot;
  }
  if (handler) return handler(owner, text, caption, type);
  return system_box(owner, text.c_str(), caption.c_str(), type);
}

template <typename Handler>
Handler Replace(Handler& slot, Handler handler) {
  std::lock_guard<std::mutex> lock(g_lock);
  return std::exchange(slot, std::move(handler));
}

}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  return ShowThrough(g_handler, owner, text, caption, type, MessageBoxA);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return Replace(g_handler, std::move(handler));
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  return ShowThrough(g_wide_handler, owner, text, caption, type, MessageBoxW);
}

WideMessageBoxHandler SetWideMessageBoxHandler(WideMessageBoxHandler handler) {
  return Replace(g_wide_handler, std::move(handler));
}

}  // namespace vl::win
