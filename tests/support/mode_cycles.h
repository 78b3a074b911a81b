// One cycle of each mode of the real main window, driven with its own messages in this process,
// and what a cycle may leave behind: the GDI objects and the working set. The leak tests run a
// few dozen cycles with a strict bound; the soak (bench/soak.cpp) runs thousands.
#pragma once

#include <windows.h>

#include "zoom/hotkey_value.h"

// Dispatches what the queue holds, as the message loop would: window-manager traffic must not
// pile up in the queue between cycles.
void PumpMessages();
// The hotkey `id` as the system reports it to the main window.
void Hotkey(HWND mainWindow, HotkeyId id);
// Holds a key down, or lets it go, in this thread's keyboard state (which GetKeyState reads).
void HoldKey(int key, bool down);

// The zoom hotkey twice (with AnimateZoom off the second press ends the zoom at once).
void ZoomCycle(HWND mainWindow);
// The draw hotkey, two strokes, Ctrl+Z, then the zoom hotkey ends it.
void DrawCycle(HWND mainWindow, int i);
// The break hotkey and the zoom hotkey that ends it; every other break over the faded desktop.
void BreakCycle(HWND mainWindow, int i);
// The options dialog opened and cancelled once it shows.
void OptionsCycle(HWND mainWindow);

// How many GDI objects this process holds. GetGuiResources answers 0 under Wine; there a handle
// value with only its index (the low 16 bits) names the live object at that index, so the
// objects are counted by trying every index. The system makes some objects on first use (stock
// objects behind a first DC, the dialog fonts): compare counts taken after a warm-up.
DWORD GdiObjectCount();
// The working set in bytes (PrivateUsage answers 0 under Wine).
SIZE_T WorkingSetBytes();
