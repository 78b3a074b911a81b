// The main window in the test's own process: its own handlers (creation, the maximum size, focus
// loss, the ways out), registering the hotkeys, what entering zoom creates and keeps, and that
// leaving zoom or a break deletes every GDI object it made (leaks_wintest.cpp cycles them).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "breaktimer/break_screen.h"
#include "draw/undo_stack.h"
#include "shell/optional_functions.h"
#include "support/dialog_runner.h"
#include "support/main_window_fixture.h"
#include "support/mode_cycles.h"
#include "support/system_stand_ins.h"
#include "support/wait_until.h"
#include "zoom/app_state.h"
#include "zoom/hotkeys.h"
#include "zoom/main_window.h"
#include "zoom/zoom_view.h"

namespace {

using MainWindow = MainWindowTest;
using Objects = std::vector<HGDIOBJ>;
using XY = std::pair<LONG, LONG>;
const auto At = [](POINT p) { return XY(p.x, p.y); };
const auto Size = [](HGDIOBJ bitmap) {
    BITMAP b = {};
    GetObjectW(bitmap, sizeof b, &b);
    return XY(b.bmWidth, b.bmHeight);
};
// The id of a WM_HOTKEY the window posted to itself, or -1 when none is queued.
const auto TakePostedHotkey = [](HWND window) {
    MSG m;
    return PeekMessageW(&m, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) ? int(m.wParam) : -1;
};
const auto ExpectDeleted = [](const Objects& objects) {
    for (HGDIOBJ object : objects) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
};
const auto Layered = [](HWND w) { return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
const auto ZoomObjects = [] {
    return Objects{app.displayDC, app.imageDC, app.cleanDC, app.scratchDC, app.pen, app.typingFont};
};
const auto ZoomSurfaces = [] {
    return Objects{app.imageBitmap, app.cleanBitmap, app.scratchBitmap};
};
const auto KeptSurfaces = [] {
    return Objects{app.spareSurfaces.image, app.spareSurfaces.clean, app.spareSurfaces.scratch};
};
const Objects kNoSurfaces(3, nullptr);
// The process's GDI objects but the kept view surface, which the view makes only on a paint by
// its own scaler (not on every zoom).
const auto ObjectsBesidesTheKeptView = [] {
    return GdiObjectCount() - (app.spareSurfaces.view != nullptr ? 1 : 0);
};

// The zoom hotkey with the animation off: in at once, and out at once.
void ZoomInAndOut(
    HWND window, const std::function<void()>& whileZoomed = [] {}) {
    app.settings.AnimateZoom = 0;
    Hotkey(window, HotkeyId::Zoom);
    ASSERT_EQ(app.zoomActive, 1);
    UpdateWindow(window);
    whileZoomed();
    Hotkey(window, HotkeyId::Zoom);
    ASSERT_EQ(app.zoomActive, 0);
    PumpMessages();
}

TEST_F(MainWindow, CreationFocusLossAndTheZoomHotkeyUnderTheOptionsDialog) {
    CreateMain();
    EXPECT_EQ(app.mainWindow, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr)), nullptr) << "the class exists";
    EXPECT_EQ(app.mainWindow, window);

    // The maximum size is the capture's; a missing record is left alone.
    app.captureWidth = 1234;
    app.captureHeight = 567;
    MINMAXINFO limits = {};
    limits.ptMaxPosition = {-8, -8};
    EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 1);
    EXPECT_EQ(At(limits.ptMaxSize), XY(1234, 567));
    EXPECT_EQ(At(limits.ptMaxPosition), XY(0, 0));
    EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, 0), 1);

    // Focus loss leaves zoom unless saving, and hides the break screen.
    app.zoomActive = 1;
    EXPECT_EQ(SendMessageW(window, WM_KILLFOCUS, 0, 0), 0);
    EXPECT_EQ(TakePostedHotkey(window), 0);
    EXPECT_EQ(TakePostedHotkey(window), -1);
    app.saveDialogOpen = 1;
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(TakePostedHotkey(window), -1);

    app.zoomActive = 0;
    app.breakActive = 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.breakActive, 1); // the break goes on counting
    EXPECT_EQ(TakePostedHotkey(window), -1);
    ShowWindow(window, SW_HIDE);
    app.breakActive = app.saveDialogOpen = 0;

    // The zoom hotkey waits for the options dialog, and ends a draw hotkey's zoom at once.
    app.optionsDialog = window; // any window: only its presence counts
    Hotkey(window, HotkeyId::Zoom);
    EXPECT_EQ(app.zoomActive, 0);
    app.optionsDialog = nullptr;
    Hotkey(window, HotkeyId::Draw);
    ASSERT_EQ(app.zoomActive, 1);
    EXPECT_EQ(std::pair(app.currentZoom, app.targetZoom), std::pair(1.0f, 1.0f));
    EXPECT_EQ(app.drawMode, 1);
    Hotkey(window, HotkeyId::Zoom); // nothing to animate at 1.0: it ends in the hotkey
    EXPECT_EQ(app.zoomActive, 0);
    EXPECT_EQ(app.imageDC, nullptr);
}

TEST_F(MainWindow, EnteringZoomCapturesTheMonitorAndLeavingKeepsOnlyItsSurfaces) {
    CreateMain();
    SetCursorPos(600, 300);
    Hotkey(window, HotkeyId::Zoom);
    ASSERT_EQ(app.zoomActive, 1);
    EXPECT_EQ(app.captureWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(app.captureHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(XY(app.zoomPoint.x, app.zoomPoint.y), XY(600, 300));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(app.settings.Font.lfHeight, app.captureHeight / 15);
    const Objects objects = ZoomObjects(), surfaces = ZoomSurfaces();
    for (HGDIOBJ object : objects) {
        EXPECT_NE(GetObjectType(object), 0u) << object;
    }
    EXPECT_EQ(KeptSurfaces(), kNoSurfaces); // the zoom holds them
    EXPECT_EQ(Size(app.scratchBitmap), XY(300, app.captureHeight));

    // A press while the view is still zooming in neither draws nor takes a snapshot.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 300));
    EXPECT_EQ(app.drawMode, 0);
    EXPECT_EQ(UndoDepth(), 0);

    Hotkey(window, HotkeyId::Zoom); // animated zoom-out: the timers run until it ends
    ASSERT_TRUE(WaitUntil([] { return PumpMessages(), app.zoomActive == 0; }));
    EXPECT_FALSE(IsWindowVisible(window));
    ExpectDeleted(objects);
    EXPECT_EQ(ZoomObjects(), Objects(objects.size(), nullptr));
    EXPECT_EQ(ZoomSurfaces(), kNoSurfaces);
    EXPECT_EQ(KeptSurfaces(), surfaces); // kept for the next zoom, out of every DC
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(At(cursor), XY(600, 300));
}

// A window of one colour over the screen's top-left corner, painted by this thread as its
// messages are pumped: what the screen shows there once a view has gone is then known (the
// desktop behind is another process's, repainted a moment after the view hides).
struct Backdrop {
    static constexpr COLORREF kColour = RGB(20, 160, 90);
    HBRUSH brush = CreateSolidBrush(kColour);
    WNDCLASSW type = {0, DefWindowProcW, 0, 0, GetModuleHandleW(nullptr), 0, 0, brush, 0, L"Back"};
    ATOM registered = RegisterClassW(&type);
    HWND window = CreateWindowExW(WS_EX_NOACTIVATE, L"Back", L"", WS_POPUP, 0, 0, 40, 40, nullptr,
                                  nullptr, type.hInstance, nullptr);
    BOOL shown = ShowWindow(window, SW_SHOWNOACTIVATE);
    ~Backdrop() {
        DestroyWindow(window), UnregisterClassW(L"Back", type.hInstance), DeleteObject(brush);
    }
};

TEST_F(MainWindow, AZoomOfTheSameSizeReusesTheKeptSurfacesWhichGoAfterAQuietSpellOrWithTheWindow) {
    CreateMain();
    SetCursorPos(600, 300);
    const Backdrop backdrop;
    auto coverImageAndCopy = [] { // stands for the presenter's drawing on both
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
        const RECT all = {0, 0, app.captureWidth, app.captureHeight};
        FillRect(app.imageDC, &all, brush);
        FillRect(app.cleanDC, &all, brush);
        DeleteObject(brush);
    };
    ZoomInAndOut(window, coverImageAndCopy);
    ZoomInAndOut(window); // the system's first-use objects are made by now
    Objects kept = KeptSurfaces();
    DWORD objects = ObjectsBesidesTheKeptView();
    ASSERT_TRUE(WaitUntil([] { return PumpMessages(), ScreenPixel(10, 10) == Backdrop::kColour; }))
        << "the screen shows " << ScreenPixel(10, 10);

    COLORREF captured = CLR_INVALID, copied = CLR_INVALID;
    ZoomInAndOut(window, [&] {
        EXPECT_EQ(ZoomSurfaces(), kept);
        EXPECT_EQ(KeptSurfaces(), kNoSurfaces);
        captured = GetPixel(app.imageDC, 10, 10);
        copied = GetPixel(app.cleanDC, 10, 10);
        coverImageAndCopy();
    });
    EXPECT_EQ(captured, Backdrop::kColour); // the capture replaced the last zoom's drawing
    EXPECT_EQ(copied, Backdrop::kColour);
    EXPECT_EQ(KeptSurfaces(), kept);
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects);

    // Kept surfaces of another size (a monitor changed between zooms) are deleted, not used.
    app.spareSurfaces.width -= 1;
    ZoomInAndOut(window,
                 [] { EXPECT_EQ(Size(app.imageBitmap), XY(app.captureWidth, app.captureHeight)); });
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects); // the old set went when the new one came
    EXPECT_EQ(app.spareSurfaces.width, app.captureWidth);

    // Kept surfaces go after a quiet spell, on a display change and with the window.
    ZoomInAndOut(window);
    const Objects first = KeptSurfaces();
    const DWORD withKept = ObjectsBesidesTheKeptView();
    ReleaseSpareSurfaces();
    ExpectDeleted(first);
    EXPECT_GE(withKept - ObjectsBesidesTheKeptView(), 3u);
    objects = ObjectsBesidesTheKeptView();

    const DWORD keptMs = std::exchange(spareSurfacesKeptMs, 50);
    ZoomInAndOut(window);
    EXPECT_NE(app.spareSurfaces.image, nullptr);
    WaitUntil([] { return PumpMessages(), app.spareSurfaces.image == nullptr; });
    EXPECT_EQ(KeptSurfaces(), kNoSurfaces); // the timer released them
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects);
    spareSurfacesKeptMs = keptMs;

    ZoomInAndOut(window);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(app.captureWidth, app.captureHeight));
    EXPECT_EQ(KeptSurfaces(), kNoSurfaces);
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects);

    ZoomInAndOut(window);
    kept = KeptSurfaces();
    DestroyWindow(window);
    ExpectDeleted(kept);
}

const auto ScreenSaverActive = [] {
    BOOL active = TRUE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active;
};
const auto ScreenSaver = [](BOOL on) {
    return SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, on, 0, 0);
};
const auto BreakObjects = [] {
    return Objects{app.displayDC, app.imageDC, app.breakTimerFont, app.breakExpiredFont,
                   app.breakBitmap};
};

class BreakScreen : public MainWindowTest {
  protected:
    void TearDown() override {
        ScreenSaver(before);
        MainWindowTest::TearDown();
    }
    BOOL before = ScreenSaverActive();
};

// Every start, restarts too, sets the translucency anew, with or without the layered style; the
// end deletes what every start made. A restart keeps what the presenter had before the first.
TEST_F(BreakScreen, EachStartAppliesTheOpacityAndTheEndDeletesEveryObjectAndRestoresTheSaver) {
    CreateMain();
    Objects objects;
    for (int opacity : {50, 100, 200, 30}) {
        app.settings.BreakOpacity = opacity;
        StartBreak(window);
        ASSERT_EQ(app.breakActive, 1);
        EXPECT_EQ(app.breakSecondsLeft, 600); // the first tick came at once
        const Objects made = BreakObjects();
        objects.insert(objects.end(), made.begin(), made.end());
        BYTE alpha = 0;
        ASSERT_EQ(Layered(window), opacity < 100) << opacity;
        EXPECT_TRUE(!Layered(window) ||
                    (GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr) &&
                     alpha == opacity * 255 / 100))
            << opacity << " shows as " << int(alpha);
    }
    EndBreak(window);
    ExpectDeleted(objects);
    EXPECT_EQ(BreakObjects(), Objects(5, nullptr));
    EXPECT_EQ(app.breakActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(Layered(window));

    for (BOOL presenter : {FALSE, TRUE}) {
        ASSERT_TRUE(ScreenSaver(presenter));
        StartBreak(window);
        EXPECT_FALSE(ScreenSaverActive());
        StartBreak(window); // must not take the switched-off state for the presenter's
        EndBreak(window);
        EXPECT_EQ(ScreenSaverActive(), presenter);
        EndBreak(window); // a second end changes nothing
        EXPECT_EQ(ScreenSaverActive(), presenter);
    }
}

// Each way the program can end, with a break up and a pad picture loaded: the break ends with
// the presenter's power settings back, the icon goes, Exit's settings are written and the
// window goes.
struct WayOut {
    const char* name;
    void (*leave)(HWND);
};
constexpr WayOut kWaysOut[] = {
    {"TrayExit", [](HWND w) { EXPECT_EQ(SendMessageW(w, WM_COMMAND, 2, 0), 0); }},
    {"OutsideClose", [](HWND w) { EXPECT_EQ(SendMessageW(w, WM_CLOSE, 0, 0), 0); }},
    {"SessionEnd", [](HWND w) {
         // First a logoff that another program cancels: the settings are safe, all goes on.
         EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, 0), TRUE);
         EXPECT_EQ(StoredSetting(L"FontScale"), 17u);
         EXPECT_EQ(SendMessageW(w, WM_ENDSESSION, FALSE, 0), 0);
         EXPECT_TRUE(IsWindow(w));
         EXPECT_EQ(app.breakActive, 1);
         EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
         EXPECT_EQ(SendMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
     }}};

class WaysOut : public BreakScreen, public ::testing::WithParamInterface<WayOut> {};

TEST_P(WaysOut, EndTheBreakWithThePowerSettingsBackWriteExitsSettingsAndEndTheLoop) {
    CreateMain();
    ASSERT_TRUE(ScreenSaver(TRUE));
    app.settings.FontScale = 17;
    app.settings.PenColor = 0x123456;
    HDC screen = GetDC(nullptr);
    const Objects pad = {app.padPictureDC = CreateCompatibleDC(screen),
                         app.padPictureBitmap = CreateCompatibleBitmap(screen, 8, 8)};
    ReleaseDC(nullptr, screen);
    StartBreak(window);
    ASSERT_FALSE(ScreenSaverActive());
    ASSERT_EQ(standInExecutionState, kDisplayKeptOn);
    ASSERT_TRUE(TrayIconThere(window));

    GetParam().leave(window);
    EXPECT_FALSE(TrayIconThere(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(app.breakActive, 0);
    EXPECT_TRUE(ScreenSaverActive());
    EXPECT_EQ(standInExecutionState, DWORD(ES_CONTINUOUS));
    EXPECT_EQ(StoredSetting(L"FontScale"), 17u);
    EXPECT_EQ(StoredSetting(L"PenColor"), 0x123456u);
    EXPECT_EQ(Objects({app.padPictureDC, app.padPictureBitmap}), Objects(2, nullptr));
    ExpectDeleted(pad);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, WaysOut, ::testing::ValuesIn(kWaysOut),
                         [](const auto& info) { return std::string(info.param.name); });

// The restart from a running, translucent break: a picture that no longer loads ends it as
// Escape would, and an empty path is reported with its own reason, not whatever failed last.
TEST_F(BreakScreen, AFailedStartLeavesNoBreakTimerPowerChangeLayeringOrWindowBehind) {
    CreateMain();
    ASSERT_TRUE(ScreenSaver(TRUE));
    Settings& s = app.settings;
    s.BreakOpacity = 50;
    s.BreakShowBackgroundFile = 1; // over the faded desktop first
    StartBreak(window);
    ASSERT_EQ(app.breakActive, 1);
    ASSERT_TRUE(IsWindowVisible(window));
    Objects objects = BreakObjects();
    objects.insert(objects.end(),
                   {app.breakPictureDC, app.breakPictureBitmap, app.breakDesktopBitmap});
    s.BreakShowDesktop = 0;
    for (const std::wstring& path : {TempFolder() + L"no-such-break-picture.png", std::wstring()}) {
        Put(s.BreakBackgroundFile, path);
        MessageBoxCollector collector;
        SetLastError(ERROR_ACCESS_DENIED); // what an earlier call may have left
        StartBreak(window);
        const std::vector<DialogSnapshot> shown = collector.Stop();
        ASSERT_EQ(shown.size(), 1u) << "path \"" << path << "\"";
        EXPECT_EQ(shown[0].caption, L"Vistrel");
        EXPECT_EQ(shown[0].Text(),
                  ErrorBoxText(L"Error loading background bitmap", ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(app.breakActive, 0);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_FALSE(Layered(window));
        EXPECT_TRUE(ScreenSaverActive());
        EXPECT_EQ(standInExecutionState, DWORD(ES_CONTINUOUS));
        EXPECT_FALSE(KillTimer(window, 0)); // the countdown
        EXPECT_EQ(Objects({app.displayDC, app.breakDesktopBitmap}), Objects(2, nullptr));
    }
    ExpectDeleted(objects);
}

// The alarm at expiry, as asked of the system: a file that is missing or cannot be played must
// play nothing, not the system's default sound, which would startle a room.
std::vector<std::pair<std::wstring, DWORD>> alarms;

TEST_F(BreakScreen, TheAlarmAtExpiryPlaysTheFileOrNothingNeverTheDefaultSound) {
    CreateMain();
    alarms.clear();
    const auto real = std::exchange(playAlarmSound, [](LPCWSTR sound, HMODULE, DWORD flags) {
        alarms.emplace_back(sound, flags);
        return FALSE; // as for a missing file
    });
    wcscpy(app.settings.BreakSoundFile, L"C:\\nowhere\\gong.wav");
    app.settings.BreakTimeout = 1;
    FakeClock clock;
    // Switched off; on time, at 0; late, at -1, although no tick showed 0.
    for (const auto& [play, ms] : {std::pair{0, 61500}, {1, 60500}, {1, 61500}}) {
        app.settings.BreakPlaySoundFile = play;
        StartBreak(window);
        clock.Advance(ms);
        BreakTick(window);
        clock.Advance(1000);
        BreakTick(window); // counting the time since: no second alarm
        EndBreak(window);
    }
    playAlarmSound = real;
    ASSERT_EQ(alarms.size(), 2u);
    for (const auto& [sound, flags] : alarms) {
        EXPECT_EQ(sound, L"C:\\nowhere\\gong.wav");
        EXPECT_EQ(flags, DWORD(SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
    }
}

// Registered to this thread; "another program" holds a combination under kHeldElsewhere.
class Hotkeys : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        ReleaseOptionalFunctions(); // no magnification library
    }
    void TearDown() override {
        for (int id : {0, 1, 2, 3, kHeldElsewhere}) {
            UnregisterHotKey(nullptr, id);
        }
        ReleaseOptionalFunctions();
    }
    MessageBoxCollector boxes;
};

// Live zoom's 0 is never registered, so it raises no second box either.
TEST_F(Hotkeys, AllFourAreTriedDespiteAConflictReportedOnceAndQuietlyWithoutLiveZoom) {
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeldElsewhere, MOD_CONTROL, '2'));
    const HotkeyBinding bindings[4] = {{HotkeyId::Zoom, 0x231},
                                       {HotkeyId::LiveZoom, 0},
                                       {HotkeyId::Draw, 0x232},
                                       {HotkeyId::Break, 0x233}};
    EXPECT_EQ(RegisterAllHotkeys(nullptr, std::span<const HotkeyBinding, 4>(bindings)), 0);
    EXPECT_EQ(boxes.Stop().size(), 1u);
    EXPECT_TRUE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Zoom)));
    EXPECT_TRUE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Break)));
    EXPECT_FALSE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::LiveZoom)));
    EXPECT_FALSE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Draw)));

    // Quietly again, live zoom skipped without magnification.
    UnregisterHotKey(nullptr, kHeldElsewhere);
    MessageBoxCollector quiet;
    RegisterStoredHotkeysQuietly(nullptr);
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '3'));
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, '4'));
    optionalFunctions.MagInitialize = []() -> BOOL { return TRUE; };
    RegisterStoredHotkeysQuietly(nullptr); // the others fail now, silently
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '4'));
    EXPECT_TRUE(quiet.Stop().empty());
}

} // namespace
