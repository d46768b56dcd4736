// A loadable module without DllRegisterServer: nothing to register.
#include <windows.h>

extern "C" __declspec(dllexport) int vl_test_module_marker() {
  return 1;
}
