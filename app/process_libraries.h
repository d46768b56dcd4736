// The process-wide libraries the program starts before its window and stops after it.
// Each step is a virtual call so that tests can observe the order on the real entry path.
#pragma once

#include <windows.h>

namespace vl {

class ProcessLibraries {
 public:
  virtual ~ProcessLibraries() = default;

  virtual void InitializeCom();
  virtual void PrimeDefaultWindowProc();
  virtual void InitializeCommonControls();
  virtual void StartGdiplus();
  virtual void RegisterCodecs();
  virtual void StartWinsock();

  virtual void UninitializeCom();
  virtual void CleanupWinsock();
  virtual void ShutdownGdiplus();

 private:
  ULONG_PTR gdiplus_token_ = 0;
};

}  // namespace vl
