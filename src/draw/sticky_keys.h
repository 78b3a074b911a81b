// Sticky keys are switched off while drawing (Shift and Ctrl pick shapes there) and the
// presenter's own settings written back on every way out. app.savedStickyKeys holds the saved
// record while its size field is 8.
#pragma once

#include <windows.h>

// The system's sticky-keys record is read and written through this (SystemParametersInfoW);
// tests put a stand-in here, so that no test changes the real setting, even when it fails.
extern BOOL(WINAPI* stickyKeysParameters)(UINT action, UINT size, PVOID record, UINT flags);

// Saves the system's sticky-keys record and switches the feature off. Called again before a
// restore (the live-zoom hand-off re-enters drawing), it keeps the first saved record.
void SuppressStickyKeys();
// Writes the saved record back and forgets it; nothing when none is saved.
void RestoreStickyKeys();
