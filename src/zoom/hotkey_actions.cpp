// Hotkey actions (see hotkey_actions.h).
#include "zoom/hotkey_actions.h"

#include "breaktimer/break_screen.h"
#include "livezoom/live_zoom_window.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/message_ids.h"
#include "zoom/zoom_view.h"

namespace {

bool LiveZoomShown() {
    return app.liveZoomWindow != nullptr && IsWindowVisible(app.liveZoomWindow);
}

void ZoomHotkey(HWND window, ZoomEntry entry) {
    if (app.optionsDialog != nullptr) {
        return;
    }
    if (app.breakActive) {
        EndBreak(window);
        return;
    }
    SendMessageW(window, kEndTypingMessage, 0, 0);
    if (app.zoomActive) {
        StartZoomOut(window);
    } else {
        EnterZoom(window, entry);
    }
}

void LiveZoomHotkey() {
    if (app.zoomActive || app.breakActive) {
        return;
    }
    if (app.liveZoomWindow == nullptr) {
        app.liveZoomWindow = StartLiveZoom(GetForegroundWindow());
    } else if (IsWindowVisible(app.liveZoomWindow)) {
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

LRESULT OnHotkey(HWND window, WPARAM id) {
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
