// A DLL that stands in for adb's USB libraries in the platform-tools tests: a real PE file of
// the DLL kind, with nothing in it. Also the camera registration test's loadable module without
// DllRegisterServer.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
