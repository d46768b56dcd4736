// A module whose DllRegisterServer refuses (as without the rights to write the registration).
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  return E_ACCESSDENIED;
}
