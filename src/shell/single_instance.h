// One running instance per logon: a named event marks it, and a second start hands over to the
// first (which opens its options dialog) instead of running.
#pragma once

// True when another instance runs (the caller then exits with 0): the running instance got
// command 1004 and its options dialog, when it appears within half a second, is raised.
bool SingleInstanceCheck();
