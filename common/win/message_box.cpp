#include "common/win/message_box.h"

#include <mutex>
#include <utility>

namespace vl::win {
namespace {

std::mutex g_lock;
MessageBoxHandler g_handler;
WideMessageBoxHandler g_wide_handler;

}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  MessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    handler = g_handler;
  }
  if (handler) return handler(owner, text, caption, type);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(g_lock);
  return std::exchange(g_handler, std::move(handler));
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  WideMessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    handler = g_wide_handler;
  }
  if (handler) return handler(owner, text, caption, type);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

WideMessageBoxHandler SetWideMessageBoxHandler(WideMessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(g_lock);
  return std::exchange(g_wide_handler, std::move(handler));
}

}  // namespace vl::win
