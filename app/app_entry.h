// Process entry and the run of the main window's message loop.
#pragma once

#include <windows.h>

#include "app/process_libraries.h"

namespace vl {

using RunFunction = int (*)(LPSTR command_line, int show);

// Starts the libraries in order, runs `run`, shuts the libraries down (COM, WinSock, GDI+) and
// returns the run's exit code.
int AppEntry(ProcessLibraries& libraries, HINSTANCE instance, LPSTR command_line, int show,
             RunFunction run);

// Creates the main window and runs the message loop until WM_QUIT; returns its exit code
// (2 after a normal close, 0 when the main window cannot be created).
int RunMainWindow(LPSTR command_line, int show);

}  // namespace vl
