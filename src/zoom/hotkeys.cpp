// Global hotkey registration and naming (see hotkeys.h).
#include "zoom/hotkeys.h"

#include "livezoom/live_zoom_rules.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"

BOOL(WINAPI* registerHotKey)(HWND, int, UINT, UINT) = RegisterHotKey;

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
    // Windows Vista does not know MOD_NOREPEAT and would refuse the registration.
    const HotkeyRegistration registration =
        TranslateHotkey(value, !BeforeWindows7(app.windowsVersion));
    if (registerHotKey(window, static_cast<int>(id), registration.modifiers,
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

void UnregisterMainHotkeys(HWND window) {
    for (const HotkeyBinding& binding : StoredHotkeyBindings()) {
        if (binding.id == HotkeyId::LiveZoom && optionalFunctions.MagInitialize == nullptr) {
            continue;
        }
        UnregisterHotKey(window, static_cast<int>(binding.id));
    }
}

int HotkeyCharacters(LPARAM keys, std::span<wchar_t, kHotkeyCharacterUnits> out) {
    const UINT modifiers = LOWORD(keys);
    const UINT virtualKey = HIWORD(keys);
    if (virtualKey == 0 || (modifiers & MOD_WIN) != 0) {
        return 0;
    }
    // The keyboard as the hotkey had it: the generic and the left key of each modifier (Ctrl
    // with Alt is AltGr, which is how Windows reports it).
    BYTE keyboard[256] = {};
    const auto hold = [&keyboard](UINT generic, UINT left) {
        keyboard[generic] = keyboard[left] = 0x80;
    };
    if (modifiers & MOD_SHIFT) {
        hold(VK_SHIFT, VK_LSHIFT);
    }
    if (modifiers & MOD_CONTROL) {
        hold(VK_CONTROL, VK_LCONTROL);
    }
    if (modifiers & MOD_ALT) {
        hold(VK_MENU, VK_RMENU);
    }
    constexpr UINT kKeepKeyboardState = 0x4; // Windows 10 1607 on; ignored before
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    HKL layout = GetKeyboardLayout(0);
    const int count = ToUnicodeEx(virtualKey, scanCode, keyboard, out.data(),
                                  static_cast<int>(out.size()), kKeepKeyboardState, layout);
    if (count < 0) {
        // A dead key: the same key once more takes it out of the layout's state again, where
        // the flag above is not known.
        std::array<wchar_t, kHotkeyCharacterUnits> ignored = {};
        ToUnicodeEx(virtualKey, scanCode, keyboard, ignored.data(),
                    static_cast<int>(ignored.size()), kKeepKeyboardState, layout);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (out[i] < 0x20) {
            return 0; // Ctrl with a letter makes a control character, not a typed one
        }
    }
    return count;
}
