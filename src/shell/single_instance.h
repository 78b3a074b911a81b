// One running instance per logon: a named event marks it, and a second start hands over to the
// first (which opens its options dialog) instead of running.
#pragma once

#include <windows.h>

// True when another instance runs (the caller then exits with 0): the running instance got
// command 1004 and its options dialog, when it appears within half a second, is raised. A
// marker this process may not open (the running instance was started as administrator) counts
// as another instance too.
bool SingleInstanceCheck();

// How the second start lets the running instance take the foreground; tests replace it.
extern BOOL(WINAPI* allowSetForegroundWindow)(DWORD processId);
