// The UI thread's message loop with message filters and idle handlers.
#pragma once

#include <windows.h>

#include <vector>

namespace vl::win {

// Sees every message before it is translated and dispatched; non-zero consumes it.
class CMessageFilter {
 public:
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~CMessageFilter() = default;
};

// Called when the queue is empty; non-zero asks for another idle pass.
class CIdleHandler {
 public:
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  void AddMessageFilter(CMessageFilter* filter);
  void RemoveMessageFilter(CMessageFilter* filter);
  void AddIdleHandler(CIdleHandler* handler);
  void RemoveIdleHandler(CIdleHandler* handler);

  // Runs until WM_QUIT and returns its wParam.
  int Run();

  // Offers the message to the filters, newest first; true when one consumed it.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Calls every idle handler; true while any wants more idle time.
  virtual BOOL OnIdle(int idle_count);
  // Messages after which idle processing does not resume: they arrive continually.
  static bool IsIdleMessage(const MSG& msg);

  virtual ~CMessageLoop() = default;

 private:
  // Handlers may be removed while the lists are walked; removed entries become null.
  std::vector<CMessageFilter*> filters_;
  std::vector<CIdleHandler*> idle_handlers_;
  int walking_ = 0;
  void Compact();
};

}  // namespace vl::win
