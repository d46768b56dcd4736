// winsock2.h must come before windows.h, which would pull in the old winsock.h.
#include <winsock2.h>
#include <windows.h>

#include "app/process_libraries.h"

#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include "common/win/gdiplus_gate.h"

namespace vl {

void ProcessLibraries::InitializeCom() {
  CoInitialize(nullptr);
}

void ProcessLibraries::PrimeDefaultWindowProc() {
  DefWindowProcA(nullptr, 0, 0, 0);
}

void ProcessLibraries::InitializeCommonControls() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;  // 8
  icc.dwICC = ICC_BAR_CLASSES;
  InitCommonControlsEx(&icc);
}

void ProcessLibraries::StartGdiplus() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
  Gdiplus::GdiplusStartup(&gdiplus_token_, &input, nullptr);
  win::OpenGdiplusGate();
}

// FFmpeg 5 registers its codecs statically: there is no avcodec_register_all any more. The step
// keeps its place in the start order so that codec set-up stays where the rest expects it.
void ProcessLibraries::RegisterCodecs() {}

void ProcessLibraries::StartWinsock() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);  // a failure shows up later as a failed connection
}

void ProcessLibraries::UninitializeCom() {
  CoUninitialize();
}

void ProcessLibraries::CleanupWinsock() {
  WSACleanup();
}

void ProcessLibraries::ShutdownGdiplus() {
  // A worker thread still running (a picture check of the configuration fetch) finishes its
  // GDI+ work first, and starts no more.
  win::CloseGdiplusGate();
  if (gdiplus_token_) Gdiplus::GdiplusShutdown(gdiplus_token_);
  gdiplus_token_ = 0;
}

}  // namespace vl
