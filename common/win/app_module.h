// The process's module object: instance handle, UI thread and the message loop of each thread.
#pragma once

#include <windows.h>

#include <map>

#include "common/win/message_loop.h"

namespace vl::win {

class CAppModule {
 public:
  CAppModule();
  ~CAppModule();
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  // Module start: remembers the instance and the main thread, empties the loop registry.
  void Init(HINSTANCE instance);
  // Module end: forgets every registered loop.
  void Term();

  HINSTANCE GetModuleInstance() const { return instance_; }
  DWORD GetMainThreadId() const { return main_thread_; }

  bool AddMessageLoop(CMessageLoop* loop);  // for the calling thread
  bool RemoveMessageLoop();                 // of the calling thread
  CMessageLoop* GetMessageLoop(DWORD thread_id = ::GetCurrentThreadId()) const;

 private:
  HINSTANCE instance_ = nullptr;
  DWORD main_thread_ = 0;
  mutable CRITICAL_SECTION lock_;
  std::map<DWORD, CMessageLoop*>* loops_ = nullptr;
};

// The one module object of the process.
CAppModule& Module();

}  // namespace vl::win
