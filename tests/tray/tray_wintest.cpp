// The notification-area icon on the real main window in the test's own process: the mouse
// messages the shell really sends, the menu shown from the foreground and followed by WM_NULL,
// the icon's size at each DPI, the messages an instance started as administrator lets through,
// and every way out while the options dialog, or a box over it, runs its own loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "res/product.h"
#include "res/resource_ids.h"
#include "shell/optional_functions.h"
#include "support/dialog_runner.h"
#include "support/main_window_fixture.h"
#include "support/wait_until.h"
#include "tray/tray_commands.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/message_ids.h"

namespace {

using Tray = MainWindowTest;

HWND OptionsDialog() {
    HWND dialog = FindWindowW(nullptr, L"" VISTREL_OPTIONS_TITLE);
    return IsWindowVisible(dialog) ? dialog : nullptr;
}

// Runs this thread's messages until `done` holds or the time is up; whether WM_QUIT came.
template <typename Condition> bool PumpUntil(Condition done, DWORD milliseconds) {
    bool quit = false;
    WaitUntil(
        [&] {
            for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
                quit |= message.message == WM_QUIT;
                DispatchMessageW(&message);
            }
            return done();
        },
        milliseconds);
    return quit;
}

// Watches this process's windows from a thread of its own while the test's thread runs their
// loops: counts the popup menus that showed (and those shown while the main window was the
// foreground one) and the options dialogs, and ends each: a menu at once, the options dialog
// once the double-click time has passed, by when a menu over it would have shown.
struct LoopWatcher {
    explicit LoopWatcher(HWND main)
        : thread([this, main] {
              while (!stop) {
                  if (auto popups = TopLevelWindowsOf(GetCurrentProcessId(), L"#32768", true);
                      !popups.empty()) {
                      ++menus;
                      menusInTheForeground += GetForegroundWindow() == main;
                      PostMessageW(popups[0], WM_KEYDOWN, VK_ESCAPE, 0);
                      WaitUntil([&] { return !IsWindowVisible(popups[0]); });
                  }
                  if (HWND options = OptionsDialog()) {
                      ++optionsDialogs;
                      const ULONGLONG until = GetTickCount64() + GetDoubleClickTime() + 300;
                      WaitUntil([&] { return stop || GetTickCount64() >= until; }, 5000);
                      PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
                      WaitUntil([] { return OptionsDialog() == nullptr; });
                  }
                  Sleep(10);
              }
          }) {}
    ~LoopWatcher() {
        stop = true;
        thread.join();
    }
    std::atomic<bool> stop{false};
    std::atomic<int> menus{0}, menusInTheForeground{0}, optionsDialogs{0};
    std::thread thread; // last: it starts using the members above at construction
};

// WM_NULL posted to the main window, counted as this thread takes it from its queue.
HWND nullCountedFor = nullptr;
int nullsTaken = 0;
LRESULT CALLBACK CountNulls(int code, WPARAM removal, LPARAM message) {
    const MSG* taken = reinterpret_cast<const MSG*>(message);
    nullsTaken += code == HC_ACTION && removal == PM_REMOVE && taken->message == WM_NULL &&
                  taken->hwnd == nullCountedFor;
    return CallNextHookEx(nullptr, code, removal, message);
}

// What the shell sends for each gesture on the icon, with another window in the foreground: a
// single left click opens the menu once the double-click time has passed, a double click the
// options dialog and nothing else, the right button and the menu key the menu at once. Every
// menu is shown from the foreground and followed by WM_NULL.
TEST_F(Tray, EachGestureOnTheIconOpensTheMenuOrTheOptionsOnce) {
    CreateMain();
    HWND elsewhere = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, nullptr, nullptr);
    nullCountedFor = window;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountNulls, nullptr, GetCurrentThreadId());
    const struct {
        const char* what;
        std::vector<UINT> messages;
        int menusAtOnce, menus, optionsDialogs;
    } gestures[] = {
        {"left click", {WM_LBUTTONDOWN, WM_LBUTTONUP}, 0, 1, 0},
        {"double click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 0, 0, 1},
        {"right click", {WM_RBUTTONDOWN, WM_RBUTTONUP}, 1, 1, 0},
        {"menu key", {WM_CONTEXTMENU}, 1, 1, 0},
    };
    for (const auto& gesture : gestures) {
        SCOPED_TRACE(gesture.what);
        SetForegroundWindow(elsewhere);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == elsewhere; }));
        nullsTaken = 0;
        LoopWatcher watcher(window);
        for (UINT message : gesture.messages) {
            PostMessageW(window, kTrayNotifyMessage, 1, message);
        }
        // First the icon's messages alone, as they come in; then whatever follows.
        for (MSG m; PeekMessageW(&m, window, kTrayNotifyMessage, kTrayNotifyMessage, PM_REMOVE);) {
            DispatchMessageW(&m);
        }
        EXPECT_EQ(watcher.menus, gesture.menusAtOnce); // at once
        // Until what should show has shown, and the double-click time has passed at least.
        const ULONGLONG quietUntil = GetTickCount64() + GetDoubleClickTime() + 400;
        PumpUntil(
            [&] {
                return GetTickCount64() >= quietUntil && watcher.menus >= gesture.menus &&
                       watcher.optionsDialogs >= gesture.optionsDialogs;
            },
            10000);
        EXPECT_EQ(watcher.menus, gesture.menus);
        EXPECT_EQ(watcher.optionsDialogs, gesture.optionsDialogs);
        EXPECT_EQ(watcher.menusInTheForeground, gesture.menus);
        EXPECT_EQ(nullsTaken, gesture.menus);
    }
    UnhookWindowsHookEx(hook);
    DestroyWindow(elsewhere);
}

// The icon resource holds the small icon's image at 100, 125, 150, 200 and 300 %, and the tray
// gets the image of its DPI's size.
TEST_F(Tray, TheIconComesAtEachDpisSmallIconSize) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_VISTREL), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    std::vector<int> sizes;
    for (WORD i = 0; i < *reinterpret_cast<const WORD*>(directory + 4); ++i) {
        sizes.push_back(directory[6 + 14 * i]); // each entry's width, 14 bytes apart
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 48}));

    app.instance = GetModuleHandleW(nullptr);
    for (UINT dpi : {96u, 120u, 144u, 192u}) {
        HICON icon = LoadSmallIcon(dpi);
        ICONINFO info = {};
        BITMAP colour = {};
        ASSERT_TRUE(GetIconInfo(icon, &info) && GetObjectW(info.hbmColor, sizeof colour, &colour));
        EXPECT_EQ(colour.bmWidth, LONG(16 * dpi / 96)) << dpi;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// Started as administrator, the program runs with more rights than the shell and the user's
// later starts: its window lets their messages through.
std::vector<std::vector<UINT_PTR>> filtered;

TEST_F(Tray, AnInstanceWithMoreRightsLetsTheShellAndASecondStartThrough) {
    optionalFunctions.ChangeWindowMessageFilterEx = [](HWND w, UINT message, DWORD action, void*) {
        filtered.push_back({UINT_PTR(w), message, action});
        return TRUE;
    };
    CreateMain();
    const UINT_PTR w = UINT_PTR(window);
    EXPECT_EQ(filtered,
              (std::vector<std::vector<UINT_PTR>>{{w, RegisterWindowMessageW(L"TaskbarCreated"), 1},
                                                  {w, kTrayNotifyMessage, 1},
                                                  {w, WM_COMMAND, 1}}));
}

// Every way out while the options dialog runs its loop inside the main window's handler, alone
// or under a box it shows: the dialog and the box end first (as Cancel ends them, so the
// dialog forgets itself), then the window, once, with Exit's settings written and the icon
// gone.
struct WayOut {
    const char* name;
    void (*leave)(HWND mainWindow); // from another thread
    bool underABox;
};
constexpr WayOut kWaysOut[] = {
    {"TrayExit", [](HWND w) { PostMessageW(w, WM_COMMAND, 2, 0); }, false},
    {"OutsideClose", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, false},
    {"SessionEnd",
     [](HWND w) {
         SendMessageW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
         SendMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
     },
     false},
    {"TrayExitUnderABox", [](HWND w) { PostMessageW(w, WM_COMMAND, 2, 0); }, true},
};

// What was still there when the main window went.
HWND destroyedWindow = nullptr;
int destroys = 0;
HWND optionsRecordAtDestroy = nullptr;
LRESULT CALLBACK WatchDestroy(int code, WPARAM, LPARAM message) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(message);
    if (code == HC_ACTION && sent->message == WM_DESTROY && sent->hwnd == destroyedWindow) {
        ++destroys;
        optionsRecordAtDestroy = app.optionsDialog;
    }
    return CallNextHookEx(nullptr, code, 0, message);
}

class WaysOut : public MainWindowTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(WaysOut, UnderTheOptionsDialogEndTheDialogFirstThenTheProgramOnce) {
    CreateMain();
    app.settings.FontScale = 19;
    destroyedWindow = window;
    destroys = 0;
    optionsRecordAtDestroy = reinterpret_cast<HWND>(1);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchDestroy, nullptr, GetCurrentThreadId());
    std::thread outside([&] {
        HWND options = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (options = OptionsDialog()) != nullptr; }));
        if (GetParam().underABox) {
            // The options' OK meets the zoom hotkey taken by another program meanwhile (once
            // the dialog has let it go), and says so.
            const HotkeyRegistration zoom = TranslateHotkey(app.settings.HotkeyZoom);
            ASSERT_TRUE(WaitUntil([&] {
                return RegisterHotKey(nullptr, kHeldElsewhere, zoom.modifiers, zoom.virtualKey);
            }));
            PostMessageW(options, WM_COMMAND, IDOK, 0);
            EXPECT_NE(WaitForOtherDialog(options), nullptr); // the box
        }
        GetParam().leave(window);
        UnregisterHotKey(nullptr, kHeldElsewhere);
    });
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
    const bool quit = PumpUntil([&] { return !IsWindow(window); }, 10000);
    outside.join();
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(destroys, 1);
    EXPECT_EQ(optionsRecordAtDestroy, nullptr); // the dialog ended as Cancel ends it
    EXPECT_TRUE(TopLevelWindowsOf(GetCurrentProcessId(), L"#32770", false).empty());
    EXPECT_EQ(StoredSetting(L"FontScale"), 19u);
    EXPECT_FALSE(TrayIconThere(window));
    MSG message;
    EXPECT_TRUE(quit || PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

INSTANTIATE_TEST_SUITE_P(Tray, WaysOut, ::testing::ValuesIn(kWaysOut),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
