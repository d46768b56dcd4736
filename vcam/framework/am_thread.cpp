#include "vcam/framework/am_thread.h"

#include <objbase.h>

namespace vl::vcam {

namespace {

// CoInitializeEx is looked up at run time so that the module loads where ole32 lacks it.
HRESULT InitializeComForWorker() {
  using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
  HMODULE ole32 = GetModuleHandleA("ole32.dll");
  if (ole32 == nullptr) return E_FAIL;
  auto init = reinterpret_cast<CoInitializeExFn>(
      reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitializeEx")));
  if (init == nullptr) return E_FAIL;
  return init(nullptr, COINIT_DISABLE_OLE1DDE);
}

}  // namespace

CAMThread::CAMThread()
    : request_event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      complete_event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

CAMThread::~CAMThread() {
  Close();
}

bool CAMThread::Create() {
  CAutoLock lock(&access_lock_);
  if (thread_ != nullptr || !request_event_ || !complete_event_) return false;
  ResetEvent(request_event_.get());
  ResetEvent(complete_event_.get());
  DWORD id = 0;
  thread_ = CreateThread(nullptr, 0, &CAMThread::ThreadEntry, this, 0, &id);
  return thread_ != nullptr;
}

DWORD WINAPI CAMThread::ThreadEntry(void* self) {
  const HRESULT com = InitializeComForWorker();
  const DWORD result = static_cast<CAMThread*>(self)->ThreadProc();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

DWORD CAMThread::CallWorker(DWORD command) {
  CAutoLock lock(&access_lock_);
  HANDLE thread = thread_;
  if (thread == nullptr) return static_cast<DWORD>(E_FAIL);
  command_ = command;
  SetEvent(request_event_.get());
  // A worker that has already ended never replies: do not wait for it forever.
  HANDLE waits[2] = {complete_event_.get(), thread};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
    ResetEvent(request_event_.get());
    return static_cast<DWORD>(E_FAIL);
  }
  return reply_;
}

void CAMThread::Close() {
  HANDLE thread = InterlockedExchangePointer(const_cast<HANDLE*>(&thread_), nullptr);
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

DWORD CAMThread::GetRequest() {
  WaitForSingleObject(request_event_.get(), INFINITE);
  return command_;
}

bool CAMThread::CheckRequest(DWORD* command) {
  if (WaitForSingleObject(request_event_.get(), 0) != WAIT_OBJECT_0) return false;
  if (command != nullptr) *command = command_;
  return true;
}

void CAMThread::Reply(DWORD result) {
  reply_ = result;
  ResetEvent(request_event_.get());
  SetEvent(complete_event_.get());
}

}  // namespace vl::vcam
