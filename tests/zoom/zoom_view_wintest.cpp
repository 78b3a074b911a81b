// The zoom view inside the program's own process: what entering zoom creates and that leaving it
// deletes every GDI object it made (tests/zoom/leaks_wintest.cpp cycles it).
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "draw/undo_stack.h"
#include "support/main_window_fixture.h"
#include "zoom/app_state.h"

namespace {

class ZoomView : public MainWindowTest {
  protected:
    void PressZoom() { SendMessageW(window, WM_HOTKEY, 0, 0); }
};

// Dispatches what the queue holds, as the message loop would.
void DispatchQueued() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

std::vector<HGDIOBJ> ZoomObjects() {
    return {app.displayDC,   app.imageDC,       app.cleanDC, app.scratchDC, app.imageBitmap,
            app.cleanBitmap, app.scratchBitmap, app.pen,     app.typingFont};
}

TEST_F(ZoomView, EnteringCapturesTheMonitorAndLeavingDeletesEveryObject) {
    CreateMain();
    SetCursorPos(600, 300);
    PressZoom();
    ASSERT_EQ(app.zoomActive, 1);
    EXPECT_EQ(app.captureWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(app.captureHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(app.zoomPoint.x, 600);
    EXPECT_EQ(app.zoomPoint.y, 300);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(app.targetZoom, 2.0f);
    EXPECT_EQ(app.settings.Font.lfHeight, app.captureHeight / 15);
    const std::vector<HGDIOBJ> objects = ZoomObjects();
    for (HGDIOBJ object : objects) {
        EXPECT_NE(GetObjectType(object), 0u) << object;
    }
    BITMAP scratch = {};
    GetObjectW(app.scratchBitmap, sizeof scratch, &scratch);
    EXPECT_EQ(scratch.bmWidth, 300);
    EXPECT_EQ(scratch.bmHeight, app.captureHeight);

    // A press while the view is still zooming in neither draws nor takes a snapshot.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 300));
    EXPECT_EQ(app.drawMode, 0);
    EXPECT_EQ(UndoDepth(), 0);

    PressZoom(); // animated zoom-out: the window's timers run until it ends
    for (const ULONGLONG end = GetTickCount64() + 5000; app.zoomActive && GetTickCount64() < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        DispatchQueued();
    }
    ASSERT_EQ(app.zoomActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    for (HGDIOBJ object : objects) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
    EXPECT_EQ(ZoomObjects(), std::vector<HGDIOBJ>(objects.size(), nullptr));
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 600);
    EXPECT_EQ(cursor.y, 300);
}

TEST_F(ZoomView, TheZoomHotkeyWaitsForTheOptionsDialogAndEndsADrawHotkeyZoomAtOnce) {
    CreateMain();
    app.optionsDialog = window; // any window: only its presence counts
    PressZoom();
    EXPECT_EQ(app.zoomActive, 0);
    app.optionsDialog = nullptr;

    SendMessageW(window, WM_HOTKEY, 2, 0);
    ASSERT_EQ(app.zoomActive, 1);
    EXPECT_EQ(app.currentZoom, 1.0f);
    EXPECT_EQ(app.targetZoom, 1.0f);
    EXPECT_EQ(app.drawMode, 1);
    PressZoom(); // nothing to animate at 1.0: the zoom ends inside the hotkey
    EXPECT_EQ(app.zoomActive, 0);
    EXPECT_EQ(app.imageDC, nullptr);
}

} // namespace
