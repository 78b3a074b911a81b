// Input as Windows delivers it on presenters' machines, which Wine's US keyboard and plain mouse
// never produce, sent to the real main window in the test's own process: hotkeys pressed while
// typing, AltGr (left Ctrl with right Alt), the mouse captured during a stroke, touchpad wheel
// deltas, the input method, characters outside the basic plane, and hotkeys held down. (The pen
// gestures and the inverted pen are in drawing_wintest.cpp.)
#include "draw/drawing_fixture.h"

#include <imm.h>

#include "draw/typing.h"
#include "zoom/hotkeys.h"

namespace {

using Input = Drawing;

int Glyphs() {
    int count = 0;
    for (const TypedGlyph* g = app.typedCharacters; g != nullptr; g = g->previous) {
        ++count;
    }
    return count;
}

// A hotkey whose keys type a character (a Shift+1 stored from an older version) types it while
// the presenter types; one that types nothing leaves typing if it is the zoom's or the draw's,
// and the zoom stays with the text. While the save dialog is up the zoom hotkey waits. Each is
// sent as the system reports it: its id, and its modifiers and key in lParam.
TEST_F(Input, HotkeysWhileTypingTypeTheirCharacterOrEndTypingAndTheZoomStays) {
    EnterDrawing();
    Move({400, 400});
    StartTyping();
    // The id, the modifiers and key, the glyphs typed so far and whether typing goes on.
    const std::tuple<int, UINT, UINT, int, int> presses[] = {
        {0, MOD_SHIFT, '1', 1, 1}, {2, MOD_SHIFT, '2', 2, 1},   {3, MOD_SHIFT, '3', 3, 1},
        {1, MOD_SHIFT, '4', 4, 1}, {3, MOD_CONTROL, '3', 4, 1}, {0, MOD_CONTROL, '1', 0, 0},
    };
    for (const auto& [id, modifiers, key, glyphs, typing] : presses) {
        SendMessageW(window, WM_HOTKEY, id, MAKELPARAM(modifiers, key));
        EXPECT_EQ(std::tuple(app.zoomActive, Glyphs(), app.typingActive),
                  std::tuple(1, glyphs, typing))
            << "hotkey " << id << " with " << modifiers;
    }
    app.saveDialogOpen = 1;
    SendMessageW(window, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL, '1'));
    SendMessageW(window, WM_COMMAND, 1009, 0); // the tray's Zoom
    EXPECT_EQ(app.zoomActive, 1) << "the zoom ended behind the save dialog";
    app.saveDialogOpen = 0;
}

// AltGr is left Ctrl with right Alt. Outside typing AltGr+Z undoes nothing and the window has
// no input method, so the draw keys and Shift reach it. Typing has one, composing at the caret
// in the view; an emoji (two UTF-16 units, two WM_CHAR) and AltGr's letter are one character
// each, which Backspace erases whole; Ctrl+Z is its character 0x1A.
TEST_F(Input, TypingTakesAnInputMethodAltGrLettersAndEmojiAndCtrlZAsItsCharacter) {
    const auto context = [this] {
        HIMC himc = ImmGetContext(window);
        ImmReleaseContext(window, himc);
        return himc;
    };
    const auto altGr = [](bool down) { HoldKey(VK_CONTROL, down), HoldKey(VK_MENU, down); };
    EXPECT_EQ(context(), nullptr);
    EnterZoomAtTwo();
    Stroke({{960, 540}}); // enters drawing; the view shows the image from (480, 270)
    Stroke({{100, 100}, {200, 100}});
    const Image drawn = WorkingImage();
    altGr(true);
    Key('Z');
    altGr(false);
    EXPECT_EQ(Differences(WorkingImage(), drawn), 0u) << "AltGr+Z undid the stroke";
    EXPECT_EQ(context(), nullptr) << "drawing";
    Move({200, 300});
    StartTyping();
    HIMC himc = ImmGetContext(window);
    ASSERT_NE(himc, nullptr);
    COMPOSITIONFORM composition = {};
    EXPECT_TRUE(ImmGetCompositionWindow(himc, &composition));
    ImmReleaseContext(window, himc);
    EXPECT_EQ(
        std::tuple(composition.dwStyle, composition.ptCurrentPos.x, composition.ptCurrentPos.y),
        std::tuple(DWORD(CFS_POINT), 200L, 300L));
    const POINT start = app.textPoint;
    RECT pair = {};
    DrawTextW(app.imageDC, L"\xD83D\xDE00", 2, &pair, DT_CALCRECT);
    Type(L"\xD83D\xDE00");
    EXPECT_EQ(app.textPoint.x, start.x + pair.right);
    altGr(true);
    Key('Z');
    Type(L"\x017C"); // "ż"
    altGr(false);
    EXPECT_EQ(Glyphs(), 2);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(std::pair(Glyphs(), app.textPoint.x), std::pair(0, start.x));
    Type(L"a");
    CtrlZ(); // the key, then 0x1A: everything typed in this visit goes, and no glyph comes
    EXPECT_EQ(std::pair(Glyphs(), app.typingActive), std::pair(0, 1));
    Key(VK_ESCAPE);
    EXPECT_EQ(context(), nullptr) << "after typing";
    EXPECT_EQ(AsideDifferences(drawn), 0u) << "the typing went";
    EXPECT_EQ(beeps, 0);
}

// From press to release the mouse belongs to the stroke, out to another monitor (negative
// client coordinates) too; losing the capture ends the stroke, and so does the end of the zoom,
// so no stroke goes on with the button up. A precision touchpad's wheel deltas of 30 add up:
// four make one notch.
TEST_F(Input, AStrokeHoldsTheMouseAndEndsWithItsCaptureOrItsZoomAndTouchpadDeltasAddUp) {
    EnterZoomAtTwo(); // the view shows the image from (480, 270)
    for (int message = 1; message <= 4; ++message) {
        Wheel(30);
        EXPECT_EQ(app.targetZoom, message < 4 ? 2.0f : 4.0f) << message << " deltas";
    }
    PressZoom();
    EnterZoomAtTwo();
    Stroke({{960, 540}}); // enters drawing
    Move({100, 100});
    Press({100, 100});
    EXPECT_EQ(GetCapture(), window);
    Move({-40, 100}, MK_LBUTTON); // left of the window
    EXPECT_EQ(app.penPoint.x, 460);
    ReleaseCapture(); // the system takes the mouse (a window of its own, a lock screen)
    EXPECT_EQ(app.strokeActive, 0);
    Move(kAside);
    const Image ended = WorkingImage();
    Move({500, 500});
    EXPECT_EQ(AsideDifferences(ended), 0u) << "drawn with no button";
    Press({500, 500});
    Key(VK_ESCAPE); // leaves with the button held
    PumpMessages();
    ASSERT_EQ(app.zoomActive, 0);
    EXPECT_NE(GetCapture(), window);
    EnterDrawing();
    Move({700, 700});
    EXPECT_EQ(AsideDifferences(CleanCapture()), 0u) << "the next zoom drew with no button down";
}

// Held down, a hotkey reports once (MOD_NOREPEAT), not at the keyboard's repeat rate, from
// Windows 7 on; Vista would refuse the flag. Wine ignores it, so the registration is read.
std::vector<UINT> registeredModifiers;

TEST_F(Input, HotkeysAreRegisteredNotToRepeatFromWindows7On) {
    const auto real = std::exchange(registerHotKey, [](HWND to, int id, UINT modifiers, UINT key) {
        registeredModifiers.push_back(modifiers);
        return RegisterHotKey(to, id, modifiers, key);
    });
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
