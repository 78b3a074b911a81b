// The four global hotkeys of the main window: registering a value (with the "Information"
// conflict box), its readable name, and the registrations done at start and when the options
// dialog closes.
#pragma once

#include <windows.h>

#include <array>
#include <span>

#include "zoom/hotkey_value.h"

// RegisterHotKey, through which every hotkey of the main window is registered; a test puts a
// stand-in here to see the modifiers asked for (Wine takes MOD_NOREPEAT and ignores it).
extern BOOL(WINAPI* registerHotKey)(HWND window, int id, UINT modifiers, UINT virtualKey);

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
// Takes the four hotkeys off the main window while a dialog takes the keyboard (the options
// dialog, the save dialog), so that their keys reach it; live zoom's only where the
// magnification library exists, as RegisterStoredHotkeysQuietly puts it back.
void UnregisterMainHotkeys(HWND window);

// The characters a pressed hotkey's keys type on this thread's keyboard layout: WM_HOTKEY's
// lParam carries its modifiers (low word) and key (high word). 0 when they type nothing (Ctrl+1,
// Ctrl with a letter, a dead key) or lParam names no key.
constexpr std::size_t kHotkeyCharacterUnits = 8;
int HotkeyCharacters(LPARAM keys, std::span<wchar_t, kHotkeyCharacterUnits> out);
