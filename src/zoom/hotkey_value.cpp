// Hotkey value translation and naming (see hotkey_value.h).
#include "zoom/hotkey_value.h"

#include <algorithm>

namespace {

constexpr uint32_t kVirtualKeyShift = 0x10;
constexpr uint32_t kVirtualKeyControl = 0x11;
constexpr uint32_t kVirtualKeyMenu = 0x12;

} // namespace

HotkeyRegistration TranslateHotkey(uint32_t value, bool noRepeat) {
    value &= ~kHotkeyExtended;
    const bool shift = (value & kHotkeyShift) != 0;
    const bool alt = (value & kHotkeyAlt) != 0;
    if (shift && !alt) {
        value = (value & ~kHotkeyShift) | kHotkeyAlt;
    } else if (alt && !shift) {
        value = (value & ~kHotkeyAlt) | kHotkeyShift;
    }
    return {((value >> 8) & 0xFF) | (noRepeat ? kModNoRepeat : 0), value & 0xFF};
}

void ComposeHotkeyName(uint32_t value, const KeyNameSource& names,
                       std::span<Utf16Unit, kHotkeyNameUnits> out) {
    std::fill(out.begin(), out.end(), Utf16Unit{0});
    const std::size_t limit = kHotkeyNameUnits - 1;
    std::size_t length = 0;
    auto appendKey = [&](uint32_t virtualKey, bool extended) {
        int room = static_cast<int>(kHotkeyNameUnits - length);
        if (room <= 1) {
            return;
        }
        int written = names.write(names.context, virtualKey, extended, out.data() + length, room);
        length += static_cast<std::size_t>(std::clamp(written, 0, room - 1));
        out[length] = 0;
    };
    auto appendPlus = [&] {
        if (length < limit) {
            out[length++] = '+';
            out[length] = 0;
        }
    };
    if (value & kHotkeyCtrl) {
        appendKey(kVirtualKeyControl, false);
        appendPlus();
    }
    if (value & kHotkeyShift) {
        appendKey(kVirtualKeyShift, false);
        appendPlus();
    }
    if (value & kHotkeyAlt) {
        appendKey(kVirtualKeyMenu, false);
        appendPlus();
    }
    appendKey(value & 0xFF, (value & kHotkeyExtended) != 0);
}

void ComposeHotkeyConflictText(Utf16View keyName,
                               std::span<Utf16Unit, kHotkeyConflictUnits> out) {
    constexpr Utf16View kBefore = UTF16("Hot key ");
    constexpr Utf16View kAfter = UTF16(" is already in use.\nSelect a different hot key.");
    const std::size_t limit = kHotkeyConflictUnits - 1;
    std::size_t length = 0;
    for (Utf16View part : {kBefore, keyName, kAfter}) {
        std::size_t count = std::min(part.size(), limit - length);
        std::copy_n(part.begin(), count, out.begin() + length);
        length += count;
    }
    out[length] = 0;
}
