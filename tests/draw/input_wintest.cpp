// Input as Windows delivers it on presenters' machines, which Wine's US keyboard and plain mouse
// never produce, sent to the real main window in the test's own process: hotkeys pressed while
// typing, AltGr (left Ctrl with right Alt), the mouse captured during a stroke, touchpad wheel
// deltas, pen gestures and the inverted pen, the input method, characters outside the basic
// plane, and hotkeys held down.
#include "draw/drawing_fixture.h"

#include <imm.h>

#include <functional>
#include <utility>
#include <vector>

#include "breaktimer/break_screen.h"
#include "draw/typing.h"
#include "shell/optional_functions.h"
#include "support/mode_cycles.h"
#include "zoom/hotkeys.h"

namespace {

class Input : public Drawing {
  protected:
    void StartTyping() { SendMessageW(window, WM_KEYUP, 'T', 0xC0000001); } // a real key-up
    void Char(wchar_t unit) { SendMessageW(window, WM_CHAR, unit, 1); }
    void Wheel(int delta, WPARAM keys = 0) { Send(WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), {}); }
    // A hotkey as the system reports it: its id, and its modifiers and key in lParam.
    void Hotkey(int id, UINT modifiers, UINT key) {
        SendMessageW(window, WM_HOTKEY, id, MAKELPARAM(modifiers, key));
    }
    static int Glyphs() {
        int count = 0;
        for (const TypedGlyph* g = app.typedCharacters; g != nullptr; g = g->previous) {
            ++count;
        }
        return count;
    }
};

// A hotkey whose keys type a character (a Shift+1 stored from an older version) types it while
// the presenter types; one that types nothing leaves typing if it is the zoom's or the draw's,
// and the zoom stays with the text. While the save dialog is up the zoom hotkey waits.
TEST_F(Input, HotkeysWhileTypingTypeTheirCharacterOrEndTypingAndTheZoomStays) {
    EnterDrawing();
    Move({400, 400});
    StartTyping();
    const struct {
        int id;
        UINT modifiers;
        UINT key;
        int glyphs; // typed so far
        int typing; // still typing afterwards
    } presses[] = {
        {0, MOD_SHIFT, '1', 1, 1}, {2, MOD_SHIFT, '2', 2, 1},   {3, MOD_SHIFT, '3', 3, 1},
        {1, MOD_SHIFT, '4', 4, 1}, {3, MOD_CONTROL, '3', 4, 1}, {0, MOD_CONTROL, '1', 0, 0},
    };
    for (const auto& press : presses) {
        Hotkey(press.id, press.modifiers, press.key);
        EXPECT_EQ(app.zoomActive, 1) << "hotkey " << press.id << " with " << press.modifiers;
        EXPECT_EQ(Glyphs(), press.glyphs) << "hotkey " << press.id << " with " << press.modifiers;
        EXPECT_EQ(app.typingActive, press.typing) << "hotkey " << press.id;
    }
    app.saveDialogOpen = 1;
    Hotkey(0, MOD_CONTROL, '1');
    SendMessageW(window, WM_COMMAND, 1009, 0); // the tray's Zoom
    EXPECT_EQ(app.zoomActive, 1) << "the zoom ended behind the save dialog";
    app.saveDialogOpen = 0;
}

// Held down, a hotkey reports once (MOD_NOREPEAT), not at the keyboard's repeat rate, from
// Windows 7 on; Vista would refuse the flag. Wine ignores it, so the registration is read.
std::vector<UINT> registeredModifiers;
BOOL WINAPI RecordRegistration(HWND window, int id, UINT modifiers, UINT virtualKey) {
    registeredModifiers.push_back(modifiers);
    return RegisterHotKey(window, id, modifiers, virtualKey);
}

TEST_F(Input, HotkeysAreRegisteredNotToRepeatFromWindows7On) {
    const auto real = std::exchange(registerHotKey, RecordRegistration);
    for (const auto& [version, modifiers] : {std::pair<WORD, UINT>{0x000A, MOD_CONTROL | 0x4000},
                                             {0x0106, MOD_CONTROL | 0x4000},
                                             {0x0006, MOD_CONTROL}}) {
        UnregisterHotKey(window, 0);
        app.windowsVersion = version;
        registeredModifiers.clear();
        EXPECT_EQ(RegisterHotkeyValue(window, app.settings.HotkeyZoom, HotkeyId::Zoom, false), 1);
        EXPECT_EQ(registeredModifiers, std::vector<UINT>{modifiers}) << std::hex << version;
    }
    registerHotKey = real;
}

} // namespace
