// The main window as the system sees it: its class and styles, what creation does with the
// stored settings, its dispatch tables and the handlers no mode owns.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "support/message_box_watcher.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"

namespace {

void StoreDword(const wchar_t* name, DWORD value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, REG_DWORD, &value,
                              sizeof value),
              ERROR_SUCCESS);
}

std::optional<DWORD> StoredDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// True when some window holds the combination (RegisterHotKey's modifiers).
bool Held(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0xBEEF, modifiers, key)) {
        return true;
    }
    UnregisterHotKey(nullptr, 0xBEEF);
    return false;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        ResetAppState();
        ReleaseOptionalFunctions();  // no magnification library, as under Wine
    }

    void TearDown() override {
        if (window_ != nullptr && IsWindow(window_)) {
            for (int id = 0; id < 4; ++id) {
                UnregisterHotKey(window_, id);
            }
            DestroyWindow(window_);
        }
        // WM_DESTROY posted WM_QUIT; left in the queue it would end the next modal loop.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        ReleaseOptionalFunctions();
    }

    // Creates the main window; the boxes it showed go to boxes_.
    void Create() {
        MessageBoxCollector collector;
        window_ = CreateMainWindow(GetModuleHandleW(nullptr));
        boxes_ = collector.Stop();
        ASSERT_NE(window_, nullptr);
    }

    std::optional<MSG> TakePosted(UINT message) {
        MSG posted;
        if (PeekMessageW(&posted, window_, message, message, PM_REMOVE)) {
            return posted;
        }
        return std::nullopt;
    }

    HWND window_ = nullptr;
    std::vector<DialogSnapshot> boxes_;
};

TEST_F(MainWindow, IsAHiddenToolWindowOfItsOwnClass) {
    StoreDword(L"OptionShown", 1);
    Create();
    EXPECT_EQ(app.mainWindow, window_);
    EXPECT_EQ(app.instance, GetModuleHandleW(nullptr));
    wchar_t text[64] = {};
    GetClassNameW(window_, text, 64);
    EXPECT_STREQ(text, L"VistrelClass");
    GetWindowTextW(window_, text, 64);
    EXPECT_STREQ(text, L"Vistrel Zoom Window");
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_TRUE(GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(window_, GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_TIME_CRITICAL);
    EXPECT_TRUE(boxes_.empty());

    // The class exists now, so a second window cannot be made.
    EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr)), nullptr);
    EXPECT_EQ(app.mainWindow, window_);
}

TEST_F(MainWindow, StoredHotkeysAreRegisteredAtCreationConflictsReported) {
    StoreDword(L"OptionShown", 1);
    StoreDword(L"HotkeyZoom", 0x258);  // Ctrl+X replaces Shift+1
    ASSERT_TRUE(RegisterHotKey(nullptr, 0xCAFE, MOD_SHIFT, '3'));
    Create();
    UnregisterHotKey(nullptr, 0xCAFE);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, L"Information");
    EXPECT_EQ(app.settings.HotkeyZoom, 0x258u);
    EXPECT_EQ(app.settings.HotkeyLivezoom, 0u) << "no magnification library";
    EXPECT_TRUE(Held(MOD_CONTROL, 'X'));
    EXPECT_FALSE(Held(MOD_SHIFT, '1'));
    EXPECT_TRUE(Held(MOD_SHIFT, '2'));
    EXPECT_FALSE(Held(MOD_SHIFT, '4'));
    EXPECT_EQ(StoredDword(L"OptionShown"), 1u);
}

TEST_F(MainWindow, StoredLiveZoomHotkeyIsRegisteredWithoutMagnification) {
    StoreDword(L"OptionShown", 1);
    StoreDword(L"HotkeyLivezoom", 0x134);
    Create();
    EXPECT_EQ(app.settings.HotkeyLivezoom, 0x134u);
    EXPECT_TRUE(Held(MOD_SHIFT, '4'));
}

TEST_F(MainWindow, FirstRunMarksTheOptionsShownAndRegistersTheHotkeys) {
    Create();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(app.settings.OptionShown, 1);
    EXPECT_EQ(StoredDword(L"OptionShown"), 1u);
    EXPECT_TRUE(Held(MOD_SHIFT, '1'));
    EXPECT_TRUE(Held(MOD_SHIFT, '2'));
    EXPECT_TRUE(Held(MOD_SHIFT, '3'));
    EXPECT_FALSE(Held(MOD_SHIFT, '4'));
}

TEST_F(MainWindow, TablesListTheirRowsInDispatchOrder) {
    std::vector<uint32_t> messages;
    for (const auto& row : MainMessageTable()) {
        messages.push_back(row.key);
    }
    EXPECT_EQ(messages, (std::vector<uint32_t>{512, 15, 8, 275, 513, 514, 516, 522, 582, 256,
                                               257, 258, 786, 273, 1124, 1125, 36, 1, 2}));
    std::vector<uint32_t> commands;
    for (const auto& row : MainCommandTable()) {
        commands.push_back(row.key);
    }
    EXPECT_EQ(commands, (std::vector<uint32_t>{1004, 1011, 1007, 1009, 2, 40002, 40001}));
}

TEST_F(MainWindow, UnknownCommandsAndTimersDoNothing) {
    StoreDword(L"OptionShown", 1);
    Create();
    EXPECT_EQ(SendMessageW(window_, WM_COMMAND, 4242, 0), 0);
    EXPECT_EQ(SendMessageW(window_, WM_COMMAND, MAKEWPARAM(4242, 1), 0), 0);
    EXPECT_EQ(SendMessageW(window_, WM_TIMER, 7, 0), 0);
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_FALSE(TakePosted(WM_HOTKEY));
}

TEST_F(MainWindow, MaximumSizeIsTheCaptureSize) {
    StoreDword(L"OptionShown", 1);
    Create();
    app.captureWidth = 1234;
    app.captureHeight = 567;
    MINMAXINFO limits = {};
    limits.ptMaxPosition = {-8, -8};
    EXPECT_EQ(SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 1);
    EXPECT_EQ(limits.ptMaxSize.x, 1234);
    EXPECT_EQ(limits.ptMaxSize.y, 567);
    EXPECT_EQ(limits.ptMaxPosition.x, 0);
    EXPECT_EQ(limits.ptMaxPosition.y, 0);
    EXPECT_EQ(SendMessageW(window_, WM_GETMINMAXINFO, 0, 0), 1);
}

TEST_F(MainWindow, FocusLossLeavesZoomUnlessTheSaveDialogIsOpen) {
    StoreDword(L"OptionShown", 1);
    Create();
    app.zoomActive = 1;
    EXPECT_EQ(SendMessageW(window_, WM_KILLFOCUS, 0, 0), 0);
    auto posted = TakePosted(WM_HOTKEY);
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->wParam, 0u);
    EXPECT_FALSE(TakePosted(WM_HOTKEY)) << "posted once";

    app.saveDialogOpen = 1;
    SendMessageW(window_, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(TakePosted(WM_HOTKEY));
}

TEST_F(MainWindow, FocusLossHidesTheBreakScreen) {
    StoreDword(L"OptionShown", 1);
    Create();
    app.breakActive = 1;
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(SendMessageW(window_, WM_KILLFOCUS, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_EQ(app.breakActive, 1) << "the break goes on counting";
    EXPECT_FALSE(TakePosted(WM_HOTKEY));
}

TEST_F(MainWindow, ExitWritesItsSettingsAndEndsTheMessageLoop) {
    StoreDword(L"OptionShown", 1);
    Create();
    app.settings.FontScale = 17;
    app.settings.PenColor = 0x123456;
    HDC screen = GetDC(nullptr);
    app.padPictureDC = CreateCompatibleDC(screen);
    app.padPictureBitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    HDC padDC = app.padPictureDC;
    HBITMAP padBitmap = app.padPictureBitmap;

    EXPECT_EQ(SendMessageW(window_, WM_COMMAND, 2, 0), 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(StoredDword(L"FontScale"), 17u);
    EXPECT_EQ(StoredDword(L"PenColor"), 0x123456u);
    EXPECT_EQ(app.padPictureDC, nullptr);
    EXPECT_EQ(app.padPictureBitmap, nullptr);
    EXPECT_EQ(GetObjectType(padDC), 0u);
    EXPECT_EQ(GetObjectType(padBitmap), 0u);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

} // namespace
