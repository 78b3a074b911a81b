// The zoom view inside the program's own process: what entering zoom creates, that leaving it
// deletes every GDI object it made, and that a thousand zooms leave the working set flat.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <vector>

#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/zoom_view.h"

namespace {

class ZoomView : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        DWORD shown = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"OptionShown", REG_DWORD, &shown,
                        sizeof shown);
        ResetAppState();
        BindOptionalFunctions();
        window = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr);
        zoomExitPauseMs = 0;
    }
    void TearDown() override {
        for (int id = 0; id < 4; ++id) {
            UnregisterHotKey(window, id);
        }
        DestroyWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        ReleaseOptionalFunctions();
        zoomExitPauseMs = 250;
    }
    void PressZoom() { SendMessageW(window, WM_HOTKEY, 0, 0); }
    // Runs the window's timers until the zoom has ended.
    void PumpUntilZoomEnds() {
        const ULONGLONG deadline = GetTickCount64() + 5000;
        MSG message;
        while (app.zoomActive && GetTickCount64() < deadline) {
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            } else {
                Sleep(1);
            }
        }
    }
    HWND window = nullptr;
};

TEST_F(ZoomView, EnteringCapturesTheMonitorAndLeavingDeletesEveryObject) {
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

    const std::vector<HGDIOBJ> objects = {
        app.displayDC,   app.imageDC,     app.cleanDC,       app.scratchDC, app.imageBitmap,
        app.cleanBitmap, app.scratchBitmap, app.pen,         app.typingFont};
    for (HGDIOBJ object : objects) {
        ASSERT_NE(object, nullptr);
        EXPECT_NE(GetObjectType(object), 0u);
    }
    BITMAP image = {};
    GetObjectW(app.scratchBitmap, sizeof image, &image);
    EXPECT_EQ(image.bmWidth, 300);
    EXPECT_EQ(image.bmHeight, app.captureHeight);

    PressZoom();  // animated zoom-out from 2.0
    PumpUntilZoomEnds();
    ASSERT_EQ(app.zoomActive, 0);
    EXPECT_EQ(app.currentZoom, 1.0f);
    EXPECT_FALSE(IsWindowVisible(window));
    for (HGDIOBJ object : objects) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
    EXPECT_EQ(app.displayDC, nullptr);
    EXPECT_EQ(app.imageDC, nullptr);
    EXPECT_EQ(app.cleanDC, nullptr);
    EXPECT_EQ(app.scratchDC, nullptr);
    EXPECT_EQ(app.imageBitmap, nullptr);
    EXPECT_EQ(app.cleanBitmap, nullptr);
    EXPECT_EQ(app.scratchBitmap, nullptr);
    EXPECT_EQ(app.pen, nullptr);
    EXPECT_EQ(app.typingFont, nullptr);
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 600);
    EXPECT_EQ(cursor.y, 300);
}

TEST_F(ZoomView, TheZoomHotkeyWaitsWhileTheOptionsDialogIsOpen) {
    app.optionsDialog = window;  // any window: only its presence counts
    PressZoom();
    EXPECT_EQ(app.zoomActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    app.optionsDialog = nullptr;
}

TEST_F(ZoomView, DrawHotkeyShowsTheCaptureAtOneAndTheZoomHotkeyEndsItAtOnce) {
    SendMessageW(window, WM_HOTKEY, 2, 0);
    ASSERT_EQ(app.zoomActive, 1);
    EXPECT_EQ(app.currentZoom, 1.0f);
    EXPECT_EQ(app.targetZoom, 1.0f);
    PressZoom();  // no animation at 1.0: the zoom ends inside the hotkey
    EXPECT_EQ(app.zoomActive, 0);
    EXPECT_EQ(app.imageDC, nullptr);
}

TEST_F(ZoomView, AThousandZoomsLeaveTheWorkingSetFlat) {
    app.settings.AnimateZoom = 0;  // each second press ends the zoom at once
    auto workingSet = [] {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return counters.WorkingSetSize;
    };
    auto zoomInAndOut = [this](int times) {
        for (int i = 0; i < times; ++i) {
            PressZoom();
            PressZoom();
            ASSERT_EQ(app.zoomActive, 0);
            // As the message loop would: window-manager traffic must not pile up in the queue.
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
        }
    };
    zoomInAndOut(50);
    const SIZE_T before = workingSet();
    zoomInAndOut(1000);
    const SIZE_T after = workingSet();
    // One leaked capture bitmap alone is 8 MB at 1920 x 1080.
    EXPECT_LT(after, before + 8 * 1024 * 1024) << "before " << before << ", after " << after;
}

} // namespace
