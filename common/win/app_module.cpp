#include "common/win/app_module.h"

namespace vl::win {

CAppModule::CAppModule() {
  InitializeCriticalSection(&lock_);
}

CAppModule::~CAppModule() {
  Term();
  DeleteCriticalSection(&lock_);
}

void CAppModule::Init(HINSTANCE instance) {
  EnterCriticalSection(&lock_);
  instance_ = instance;
  main_thread_ = ::GetCurrentThreadId();
  delete loops_;
  loops_ = new std::map<DWORD, CMessageLoop*>();
  LeaveCriticalSection(&lock_);
}

void CAppModule::Term() {
  EnterCriticalSection(&lock_);
  delete loops_;
  loops_ = nullptr;
  LeaveCriticalSection(&lock_);
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  EnterCriticalSection(&lock_);
  const bool ok = loops_ && loops_->emplace(::GetCurrentThreadId(), loop).second;
  LeaveCriticalSection(&lock_);
  return ok;
}

bool CAppModule::RemoveMessageLoop() {
  EnterCriticalSection(&lock_);
  const bool ok = loops_ && loops_->erase(::GetCurrentThreadId()) > 0;
  LeaveCriticalSection(&lock_);
  return ok;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD thread_id) const {
  EnterCriticalSection(&lock_);
  CMessageLoop* loop = nullptr;
  if (loops_) {
    auto it = loops_->find(thread_id);
    if (it != loops_->end()) loop = it->second;
  }
  LeaveCriticalSection(&lock_);
  return loop;
}

CAppModule& Module() {
  static CAppModule module;
  return module;
}

}  // namespace vl::win
