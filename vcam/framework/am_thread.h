// A worker thread with a synchronous command channel: the owner hands it one 32-bit command at
// a time with CallWorker and blocks until the worker replies.
#pragma once

#include <windows.h>

#include "common/win/handles.h"
#include "vcam/framework/critical_section.h"

namespace vl::vcam {

class CAMThread {
 public:
  CAMThread();
  virtual ~CAMThread();
  CAMThread(const CAMThread&) = delete;
  CAMThread& operator=(const CAMThread&) = delete;

  // Starts the thread; false when one already runs or it cannot be started.
  bool Create();
  // Hands `command` to the worker and returns its reply; E_FAIL without a worker, or when the
  // worker ends without replying.
  DWORD CallWorker(DWORD command);
  // Waits for the worker to end and releases it.
  void Close();
  bool ThreadExists() const { return thread_ != nullptr; }

  // Worker side.
  DWORD GetRequest();
  bool CheckRequest(DWORD* command);
  void Reply(DWORD result);

 protected:
  virtual DWORD ThreadProc() = 0;
  CCritSec access_lock_;

 private:
  static DWORD WINAPI ThreadEntry(void* self);

  HANDLE volatile thread_ = nullptr;
  vl::win::UniqueHandle request_event_;   // manual reset: a command is waiting
  vl::win::UniqueHandle complete_event_;  // auto reset: the worker replied
  volatile DWORD command_ = 0;
  volatile DWORD reply_ = 0;
};

}  // namespace vl::vcam
