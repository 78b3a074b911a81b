// StickyKeys' shortcut (Shift pressed five times) is switched off while drawing, where Shift
// and Ctrl pick shapes, and the presenter's own setting written back on every way out; a
// StickyKeys that is on stays on. app.savedStickyKeys holds the saved record while its size
// field is 8.
#pragma once

#include <windows.h>

// The system's sticky-keys record is read and written through this (SystemParametersInfoW);
// tests put a stand-in here, so that no test changes the real setting, even when it fails.
extern BOOL(WINAPI* stickyKeysParameters)(UINT action, UINT size, PVOID record, UINT flags);

// Saves the system's sticky-keys record and switches its shortcut off, unless StickyKeys is on
// or its shortcut already off. Called again before a restore (the live-zoom hand-off and a
// pen-width change re-enter drawing), it changes nothing. Nothing is broadcast.
void SuppressStickyKeys();
// Writes the saved record back and forgets it; nothing when none is saved.
void RestoreStickyKeys();
