// Global hotkey registration and naming (see hotkeys.h).
#include "zoom/hotkeys.h"

#include "shell/optional_functions.h"
#include "zoom/app_state.h"

namespace {

int WriteSystemKeyName(void*, uint32_t virtualKey, bool extended, wchar_t* buffer, int room) {
    LONG argument = static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16);
    if (extended) {
        argument |= 0x1000000;
    }
    return GetKeyNameTextW(argument, buffer, room);
}

} // namespace

int RegisterHotkeyValue(HWND window, uint32_t value, HotkeyId id, bool report) {
    if (value == 0) {
        return 0;
    }
    const HotkeyRegistration registration = TranslateHotkey(value);
    if (RegisterHotKey(window, static_cast<int>(id), registration.modifiers,
                       registration.virtualKey)) {
        return 1;
    }
    if (report) {
        std::array<wchar_t, kHotkeyNameUnits> name = {};
        HotkeyDisplayName(value, name);
        std::array<wchar_t, kHotkeyConflictUnits> message = {};
        ComposeHotkeyConflictText(name.data(), message);
        MessageBoxW(window, message.data(), L"Information", MB_ICONINFORMATION);
    }
    return 0;
}

int RegisterAllHotkeys(HWND window, std::span<const HotkeyBinding, 4> bindings) {
    int all = 1;
    for (const HotkeyBinding& binding : bindings) {
        all &= RegisterHotkeyValue(window, binding.value, binding.id, true);
    }
    return all;
}

void HotkeyDisplayName(uint32_t value, std::span<wchar_t, kHotkeyNameUnits> out) {
    ComposeHotkeyName(value, KeyNameSource{WriteSystemKeyName, nullptr}, out);
}

std::array<HotkeyBinding, 4> StoredHotkeyBindings() {
    const Settings& s = app.settings;
    return {{{HotkeyId::Zoom, s.HotkeyZoom},
             {HotkeyId::LiveZoom, s.HotkeyLivezoom},
             {HotkeyId::Draw, s.HotkeyDraw},
             {HotkeyId::Break, s.HotkeyBreak}}};
}

void RegisterStoredHotkeysQuietly(HWND window) {
    for (const HotkeyBinding& binding : StoredHotkeyBindings()) {
        if (binding.id == HotkeyId::LiveZoom && optionalFunctions.MagInitialize == nullptr) {
            continue;
        }
        RegisterHotkeyValue(window, binding.value, binding.id, false);
    }
}
