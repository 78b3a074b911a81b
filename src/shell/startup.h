// The program's life: start-up in its fixed order, the message loop and shutdown.
#pragma once

#include <windows.h>

// Runs the program and returns the process exit code: 1 after the clear-settings switch, 0
// when another instance runs or the main window cannot be created, else WM_QUIT's code.
int RunVistrel(HINSTANCE instance);
