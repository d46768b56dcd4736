// Lumaroo.exe: the phone-camera program.
#include <windows.h>

#include "app/app_entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR command_line, int show) {
  vl::ProcessLibraries libraries;
  return vl::AppEntry(libraries, instance, command_line, show, &vl::RunMainWindow);
}
