// The four global hotkeys of the main window: registering a value (with the "Information"
// conflict box), its readable name, and the registrations done at start and when the options
// dialog closes.
#pragma once

#include <windows.h>

#include <array>
#include <span>

#include "zoom/hotkey_value.h"

struct HotkeyBinding {
    HotkeyId id;
    uint32_t value;
};

// 1 when registered, 0 otherwise (value 0 is never registered). With `report` on, a failure
// shows "Hot key <name> is already in use." owned by `window`.
int RegisterHotkeyValue(HWND window, uint32_t value, HotkeyId id, bool report);

// Registers all four pairs in order with reporting on, whatever the earlier results; 1 when
// all four succeeded.
int RegisterAllHotkeys(HWND window, std::span<const HotkeyBinding, 4> bindings);

// The system's readable name of a hotkey value, at most 127 units, zero-terminated.
void HotkeyDisplayName(uint32_t value, std::span<wchar_t, kHotkeyNameUnits> out);

// The in-memory hotkey settings as start-up registers them.
std::array<HotkeyBinding, 4> StoredHotkeyBindings();

// Registers the in-memory hotkeys again without reports, as the options dialog's Cancel does:
// each non-zero value; live zoom only where the magnification library exists.
void RegisterStoredHotkeysQuietly(HWND window);
