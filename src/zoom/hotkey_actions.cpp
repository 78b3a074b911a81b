// Hotkey actions (see hotkey_actions.h).
#include "zoom/hotkey_actions.h"

#include <array>

#include "breaktimer/break_screen.h"
#include "draw/strokes.h"
#include "livezoom/live_zoom_window.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/hotkeys.h"
#include "zoom/message_ids.h"
#include "zoom/zoom_view.h"

namespace {

void ZoomHotkey(HWND window, ZoomEntry entry) {
    // The save dialog still needs the picture; it ends the zoom itself when it is done with it.
    if (app.optionsDialog != nullptr || app.saveDialogOpen) {
        return;
    }
    if (app.breakActive) {
        EndBreak(window);
        return;
    }
    SendMessageW(window, kEndTypingMessage, 0, 0);
    if (app.zoomActive) {
        FinishStrokeNow(window); // a button still held draws nothing more
        StartZoomOut(window);
    } else {
        EnterZoom(window, entry);
    }
}

// A hotkey pressed while typing: its character, when its keys type one (a Shift+1 stored from
// an older version is "!"); else the zoom and draw hotkeys end typing and keep the zoom, the
// others do nothing, as they do during any zoom.
void HotkeyWhileTyping(HWND window, HotkeyId id, LPARAM keys) {
    std::array<wchar_t, kHotkeyCharacterUnits> typed = {};
    const int count = HotkeyCharacters(keys, typed);
    if (count > 0) {
        for (int i = 0; i < count; ++i) {
            SendMessageW(window, WM_CHAR, typed[i], 0);
        }
    } else if (id == HotkeyId::Zoom || id == HotkeyId::Draw) {
        SendMessageW(window, kEndTypingMessage, 0, 0);
    }
}

void LiveZoomHotkey() {
    if (app.zoomActive || app.breakActive) {
        return;
    }
    if (app.liveZoomWindow == nullptr) {
        app.liveZoomWindow = StartLiveZoom(GetForegroundWindow());
    } else if (LiveZoomShown()) {
        SendMessageW(app.liveZoomWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
        ShowLiveZoom(app.liveZoomWindow);
    }
}

void DrawHotkey(HWND window) {
    if (app.zoomActive) {
        return;
    }
    const bool takeover = LiveZoomShown(); // the takeover enters drawing itself
    // As the zoom hotkey (which ends a break instead), but at 1.0 from the first frame: there is
    // nothing to animate, and no tick puts the cursor back under a pen that already moves.
    ZoomHotkey(window, ZoomEntry::AtOne);
    if (!takeover && app.zoomActive) {
        SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(app.zoomPoint.x, app.zoomPoint.y));
    }
}

void BreakHotkey(HWND window) {
    // A running break starts again from its full length.
    if (!app.zoomActive && !LiveZoomShown()) {
        SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(Command::BreakTimer), 0);
    }
}

} // namespace

LRESULT OnHotkey(HWND window, WPARAM id, LPARAM keys) {
    if (app.typingActive && keys != 0) {
        HotkeyWhileTyping(window, static_cast<HotkeyId>(id), keys);
        return 1;
    }
    switch (static_cast<HotkeyId>(id)) {
    case HotkeyId::Zoom:
        ZoomHotkey(window, ZoomEntry::ToStartLevel);
        break;
    case HotkeyId::LiveZoom:
        LiveZoomHotkey();
        break;
    case HotkeyId::Draw:
        DrawHotkey(window);
        break;
    case HotkeyId::Break:
        BreakHotkey(window);
        break;
    }
    return 1;
}
