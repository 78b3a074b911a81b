// Hotkey values: what a hotkey control reports and accepts, and what the Hotkey* settings hold.
// Bits 0-7 are the virtual key, 0x100 Shift, 0x200 Ctrl, 0x400 Alt, 0x800 extended key; 0 means
// "no hotkey". RegisterHotKey numbers Shift and Alt the other way round, hence TranslateHotkey.
#pragma once

#include <cstdint>
#include <span>

#include "settings/text_unit.h"

constexpr uint32_t kHotkeyShift = 0x100;
constexpr uint32_t kHotkeyCtrl = 0x200;
constexpr uint32_t kHotkeyAlt = 0x400;
constexpr uint32_t kHotkeyExtended = 0x800;

// Hotkey ids on the main window.
enum class HotkeyId : int { Zoom = 0, LiveZoom = 1, Draw = 2, Break = 3 };

// RegisterHotKey's MOD_NOREPEAT (Windows 7 and later): a held hotkey reports once, not at the
// keyboard's repeat rate, so holding it does not switch the mode on and off.
constexpr uint32_t kModNoRepeat = 0x4000;

struct HotkeyRegistration {
    uint32_t modifiers; // RegisterHotKey's: Alt 1, Ctrl 2, Shift 4, and kModNoRepeat
    uint32_t virtualKey;
};

HotkeyRegistration TranslateHotkey(uint32_t value, bool noRepeat = false);

// Readable names. The key names themselves come from the system (GetKeyNameTextW on Windows);
// `KeyNameSource` writes the name of a virtual key into `buffer` (at most room - 1 units plus a
// terminator) and returns the units written.
constexpr std::size_t kHotkeyNameUnits = 128;
struct KeyNameSource {
    int (*write)(void* context, uint32_t virtualKey, bool extended, Utf16Unit* buffer, int room);
    void* context;
};

// "Ctrl+Shift+Alt+Key" in that order, each modifier as the system names it; at most 127 units,
// always terminated.
void ComposeHotkeyName(uint32_t value, const KeyNameSource& names,
                       std::span<Utf16Unit, kHotkeyNameUnits> out);

// The conflict message: "Hot key %s is already in use.\nSelect a different hot key."
constexpr std::size_t kHotkeyConflictUnits = 260;
void ComposeHotkeyConflictText(Utf16View keyName, std::span<Utf16Unit, kHotkeyConflictUnits> out);
