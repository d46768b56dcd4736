#include "common/win/message_loop.h"

#include <algorithm>

namespace vl::win {

namespace {
template <typename T>
void Remove(std::vector<T*>& list, T* item, bool walking) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return;
  if (walking)
    *it = nullptr;  // compacted when the walk ends
  else
    list.erase(it);
}
}  // namespace

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
  filters_.push_back(filter);
}
void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  Remove(filters_, filter, walking_ > 0);
}
void CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
  idle_handlers_.push_back(handler);
}
void CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
  Remove(idle_handlers_, handler, walking_ > 0);
}

void CMessageLoop::Compact() {
  if (walking_ > 0) return;
  filters_.erase(std::remove(filters_.begin(), filters_.end(), nullptr), filters_.end());
  idle_handlers_.erase(std::remove(idle_handlers_.begin(), idle_handlers_.end(), nullptr),
                       idle_handlers_.end());
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
  BOOL consumed = FALSE;
  ++walking_;
  for (size_t i = filters_.size(); i-- > 0;) {
    if (filters_[i] && filters_[i]->PreTranslateMessage(msg)) {
      consumed = TRUE;
      break;
    }
  }
  --walking_;
  Compact();
  return consumed;
}

BOOL CMessageLoop::OnIdle(int /*idle_count*/) {
  BOOL more = FALSE;
  ++walking_;
  for (size_t i = 0; i < idle_handlers_.size(); ++i) {
    if (idle_handlers_[i] && idle_handlers_[i]->OnIdle()) more = TRUE;
  }
  --walking_;
  Compact();
  return more;
}

bool CMessageLoop::IsIdleMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // the system's caret-blink timer
      return false;
    default:
      return true;
  }
}

int CMessageLoop::Run() {
  bool idle = true;
  int idle_count = 0;
  MSG msg{};
  for (;;) {
    while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idle_count++)) idle = false;
    }
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;
    if (!PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (IsIdleMessage(msg)) {
      idle = true;
      idle_count = 0;
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace vl::win
