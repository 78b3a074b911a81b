// The Windows entry point of Vistrel.
#include <windows.h>

#include "shell/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunVistrel(instance); }
