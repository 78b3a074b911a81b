// The main window in the test's own process: its own handlers (creation, the maximum size, focus
// loss, Exit), registering the hotkeys, what entering zoom creates, and that leaving zoom or a
// break deletes every GDI object it made (tests/zoom/leaks_wintest.cpp cycles them).
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
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

// The id of a WM_HOTKEY the window posted to itself, or -1 when none is queued.
int TakePostedHotkey(HWND window) {
    MSG posted;
    return PeekMessageW(&posted, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) ? int(posted.wParam) : -1;
}

void ExpectDeleted(const std::vector<HGDIOBJ>& objects) {
    for (HGDIOBJ object : objects) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
}

TEST_F(MainWindow, CreationRunsAboveNormalAndASecondWindowCannotBeMade) {
    CreateMain();
    EXPECT_EQ(app.mainWindow, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr)), nullptr) << "the class exists";
    EXPECT_EQ(app.mainWindow, window);
}

TEST_F(MainWindow, TheMaximumSizeIsTheCaptureAndAMissingRecordIsLeftAlone) {
    CreateMain();
    app.captureWidth = 1234;
    app.captureHeight = 567;
    MINMAXINFO limits = {};
    limits.ptMaxPosition = {-8, -8};
    EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 1);
    EXPECT_EQ(limits.ptMaxSize.x, 1234);
    EXPECT_EQ(limits.ptMaxSize.y, 567);
    EXPECT_EQ(limits.ptMaxPosition.x, 0);
    EXPECT_EQ(limits.ptMaxPosition.y, 0);
    EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, 0), 1);
}

TEST_F(MainWindow, FocusLossLeavesZoomUnlessSavingAndHidesTheBreakScreen) {
    CreateMain();
    app.zoomActive = 1;
    EXPECT_EQ(SendMessageW(window, WM_KILLFOCUS, 0, 0), 0);
    EXPECT_EQ(TakePostedHotkey(window), 0);
    EXPECT_EQ(TakePostedHotkey(window), -1) << "posted once";
    app.saveDialogOpen = 1;
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(TakePostedHotkey(window), -1);

    app.zoomActive = 0;
    app.breakActive = 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.breakActive, 1) << "the break goes on counting";
    EXPECT_EQ(TakePostedHotkey(window), -1);
}

std::vector<HGDIOBJ> ZoomObjects() {
    return {app.displayDC, app.imageDC, app.cleanDC, app.scratchDC, app.pen, app.typingFont};
}

std::vector<HGDIOBJ> ZoomSurfaces() {
    return {app.imageBitmap, app.cleanBitmap, app.scratchBitmap};
}

std::vector<HGDIOBJ> KeptSurfaces() {
    const SpareSurfaces& spare = app.spareSurfaces;
    return {spare.image, spare.clean, spare.scratch};
}

TEST_F(MainWindow, EnteringZoomCapturesTheMonitorAndLeavingKeepsOnlyItsSurfaces) {
    CreateMain();
    SetCursorPos(600, 300);
    SendMessageW(window, WM_HOTKEY, 0, 0);
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
    const std::vector<HGDIOBJ> surfaces = ZoomSurfaces();
    for (HGDIOBJ object : objects) {
        EXPECT_NE(GetObjectType(object), 0u) << object;
    }
    EXPECT_EQ(KeptSurfaces(), std::vector<HGDIOBJ>(3, nullptr)) << "the zoom holds them";
    BITMAP scratch = {};
    GetObjectW(app.scratchBitmap, sizeof scratch, &scratch);
    EXPECT_EQ(scratch.bmWidth, 300);
    EXPECT_EQ(scratch.bmHeight, app.captureHeight);

    // A press while the view is still zooming in neither draws nor takes a snapshot.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 300));
    EXPECT_EQ(app.drawMode, 0);
    EXPECT_EQ(UndoDepth(), 0);

    SendMessageW(window, WM_HOTKEY, 0,
                 0); // animated zoom-out: the window's timers run until it ends
    for (const ULONGLONG end = GetTickCount64() + 5000; app.zoomActive && GetTickCount64() < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    ASSERT_EQ(app.zoomActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    ExpectDeleted(objects);
    EXPECT_EQ(ZoomObjects(), std::vector<HGDIOBJ>(objects.size(), nullptr));
    EXPECT_EQ(ZoomSurfaces(), std::vector<HGDIOBJ>(surfaces.size(), nullptr));
    EXPECT_EQ(KeptSurfaces(), surfaces) << "kept for the next zoom, out of every DC";
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 600);
    EXPECT_EQ(cursor.y, 300);
}

// The zoom hotkey with the animation off: in at once, and out at once.
void ZoomInAndOut(HWND window, const std::function<void()>& whileZoomed = [] {}) {
    app.settings.AnimateZoom = 0;
    SendMessageW(window, WM_HOTKEY, 0, 0);
    ASSERT_EQ(app.zoomActive, 1);
    UpdateWindow(window);
    whileZoomed();
    SendMessageW(window, WM_HOTKEY, 0, 0);
    ASSERT_EQ(app.zoomActive, 0);
    PumpMessages();
}

// The process's GDI objects but the kept view surface, which the view makes only on a paint
// by its own scaler (not on every zoom).
DWORD ObjectsBesidesTheKeptView() {
    return GdiObjectCount() - (app.spareSurfaces.view != nullptr ? 1 : 0);
}

// A window of one colour over the screen's top-left corner, painted by this thread as its
// messages are pumped: what the screen shows there once a view has gone is then known. (The
// desktop behind is another process's, repainted a moment after the view hides.)
struct Backdrop {
    static constexpr COLORREF kColour = RGB(20, 160, 90);
    HBRUSH brush = CreateSolidBrush(kColour);
    HWND window = nullptr;
    Backdrop() {
        WNDCLASSW backdropClass = {};
        backdropClass.lpfnWndProc = DefWindowProcW;
        backdropClass.hInstance = GetModuleHandleW(nullptr);
        backdropClass.hbrBackground = brush;
        backdropClass.lpszClassName = L"VistrelTestBackdrop";
        RegisterClassW(&backdropClass);
        window = CreateWindowExW(WS_EX_NOACTIVATE, backdropClass.lpszClassName, L"", WS_POPUP, 0, 0,
                                 40, 40, nullptr, nullptr, backdropClass.hInstance, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    ~Backdrop() {
        DestroyWindow(window);
        UnregisterClassW(L"VistrelTestBackdrop", GetModuleHandleW(nullptr));
        DeleteObject(brush);
    }
    static COLORREF Shown() {
        HDC screen = GetDC(nullptr);
        const COLORREF pixel = GetPixel(screen, 10, 10);
        ReleaseDC(nullptr, screen);
        return pixel;
    }
    // Waits until the screen shows the backdrop again.
    static bool ShownAgain() {
        return WaitUntil([] {
            PumpMessages();
            return Shown() == kColour;
        });
    }
};

TEST_F(MainWindow, AZoomOfTheSameSizeReusesTheKeptSurfacesOverTheScreenAsItIsNow) {
    CreateMain();
    SetCursorPos(600, 300);
    const Backdrop backdrop;
    constexpr COLORREF kDrawn = RGB(255, 0, 255);
    auto coverImageAndCopy = [] { // stands for the presenter's drawing on both
        HBRUSH brush = CreateSolidBrush(kDrawn);
        const RECT all = {0, 0, app.captureWidth, app.captureHeight};
        FillRect(app.imageDC, &all, brush);
        FillRect(app.cleanDC, &all, brush);
        DeleteObject(brush);
    };
    ZoomInAndOut(window, coverImageAndCopy);
    ZoomInAndOut(window); // the system's first-use objects are made by now
    const std::vector<HGDIOBJ> kept = KeptSurfaces();
    const DWORD objects = ObjectsBesidesTheKeptView();
    ASSERT_TRUE(Backdrop::ShownAgain()) << "the screen shows " << Backdrop::Shown();

    COLORREF captured = CLR_INVALID;
    COLORREF copied = CLR_INVALID;
    ZoomInAndOut(window, [&] {
        EXPECT_EQ(ZoomSurfaces(), kept);
        EXPECT_EQ(KeptSurfaces(), std::vector<HGDIOBJ>(3, nullptr));
        captured = GetPixel(app.imageDC, 10, 10);
        copied = GetPixel(app.cleanDC, 10, 10);
        coverImageAndCopy();
    });
    EXPECT_EQ(captured, Backdrop::kColour) << "the capture replaced the last zoom's drawing";
    EXPECT_EQ(copied, Backdrop::kColour) << "and so did the clean copy";
    EXPECT_EQ(KeptSurfaces(), kept);
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects);

    // Kept surfaces of another size (a monitor changed between zooms) are deleted, not used.
    app.spareSurfaces.width -= 1;
    ZoomInAndOut(window, [] {
        BITMAP image = {};
        GetObjectW(app.imageBitmap, sizeof image, &image);
        EXPECT_EQ(image.bmWidth, app.captureWidth);
        EXPECT_EQ(image.bmHeight, app.captureHeight);
    });
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects) << "the old set went when the new one was made";
    EXPECT_EQ(app.spareSurfaces.width, app.captureWidth);
}

TEST_F(MainWindow, KeptSurfacesGoAfterAQuietSpellOnADisplayChangeAndWithTheWindow) {
    CreateMain();
    const DWORD keptMs = spareSurfacesKeptMs;
    ZoomInAndOut(window);
    const DWORD withoutKept = [] {
        const SpareSurfaces kept = app.spareSurfaces;
        const DWORD withKept = ObjectsBesidesTheKeptView();
        ReleaseSpareSurfaces();
        for (HGDIOBJ surface : {kept.image, kept.clean, kept.scratch}) {
            EXPECT_EQ(GetObjectType(surface), 0u);
        }
        return withKept - ObjectsBesidesTheKeptView();
    }();
    EXPECT_GE(withoutKept, 3u);
    const DWORD objects = ObjectsBesidesTheKeptView();

    spareSurfacesKeptMs = 50;
    ZoomInAndOut(window);
    EXPECT_NE(app.spareSurfaces.image, nullptr);
    for (const ULONGLONG end = GetTickCount64() + 5000;
         app.spareSurfaces.image != nullptr && GetTickCount64() < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_EQ(KeptSurfaces(), std::vector<HGDIOBJ>(3, nullptr)) << "the timer released them";
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects);
    spareSurfacesKeptMs = keptMs;

    ZoomInAndOut(window);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(app.captureWidth, app.captureHeight));
    EXPECT_EQ(KeptSurfaces(), std::vector<HGDIOBJ>(3, nullptr));
    EXPECT_EQ(ObjectsBesidesTheKeptView(), objects);

    ZoomInAndOut(window);
    const std::vector<HGDIOBJ> kept = KeptSurfaces();
    DestroyWindow(window);
    ExpectDeleted(kept);
}

TEST_F(MainWindow, TheZoomHotkeyWaitsForTheOptionsDialogAndEndsADrawHotkeyZoomAtOnce) {
    CreateMain();
    app.optionsDialog = window; // any window: only its presence counts
    SendMessageW(window, WM_HOTKEY, 0, 0);
    EXPECT_EQ(app.zoomActive, 0);
    app.optionsDialog = nullptr;

    SendMessageW(window, WM_HOTKEY, 2, 0);
    ASSERT_EQ(app.zoomActive, 1);
    EXPECT_EQ(app.currentZoom, 1.0f);
    EXPECT_EQ(app.targetZoom, 1.0f);
    EXPECT_EQ(app.drawMode, 1);
    SendMessageW(window, WM_HOTKEY, 0,
                 0); // nothing to animate at 1.0: the zoom ends inside the hotkey
    EXPECT_EQ(app.zoomActive, 0);
    EXPECT_EQ(app.imageDC, nullptr);
}

BOOL ScreenSaverActive() {
    BOOL active = TRUE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active;
}

std::vector<HGDIOBJ> BreakObjects() {
    return {app.displayDC, app.imageDC, app.breakTimerFont, app.breakExpiredFont, app.breakBitmap};
}

class BreakScreen : public MainWindowTest {
  protected:
    void TearDown() override {
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, before, nullptr, 0);
        MainWindowTest::TearDown();
    }
    BOOL before = ScreenSaverActive();
};

TEST_F(BreakScreen, EndingDeletesEveryObjectAndClearsTheFields) {
    CreateMain();
    app.settings.BreakOpacity = 50; // translucent: the window is layered during the break
    StartBreak(window);
    ASSERT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED, WS_EX_LAYERED);
    ASSERT_EQ(app.breakActive, 1);
    EXPECT_EQ(app.breakSecondsLeft, 600); // the first tick came at once
    const std::vector<HGDIOBJ> first = BreakObjects();
    StartBreak(window); // again: the first break's objects go
    const std::vector<HGDIOBJ> second = BreakObjects();
    EndBreak(window);
    ExpectDeleted(first);
    ExpectDeleted(second);
    EXPECT_EQ(BreakObjects(), std::vector<HGDIOBJ>(5, nullptr));
    EXPECT_EQ(app.breakActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(BreakScreen, RestartedBreakRestoresWhatThePresenterHadBeforeTheFirstStart) {
    CreateMain();
    for (BOOL presenter : {FALSE, TRUE}) {
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, presenter, nullptr, 0));
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
    {"SessionEnd",
     [](HWND w) {
         EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
         EXPECT_EQ(SendMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
     }},
};

class WaysOut : public BreakScreen, public ::testing::WithParamInterface<WayOut> {};

TEST_P(WaysOut, EndTheBreakWithThePowerSettingsBackWriteExitsSettingsAndEndTheLoop) {
    CreateMain();
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0));
    app.settings.FontScale = 17;
    app.settings.PenColor = 0x123456;
    HDC screen = GetDC(nullptr);
    HDC padDC = app.padPictureDC = CreateCompatibleDC(screen);
    HBITMAP padBitmap = app.padPictureBitmap = CreateCompatibleBitmap(screen, 8, 8);
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
    EXPECT_EQ(standInExecutionState, DWORD(ES_CONTINUOUS)) << "the display would stay on";
    EXPECT_EQ(StoredSetting(L"FontScale"), 17u);
    EXPECT_EQ(StoredSetting(L"PenColor"), 0x123456u);
    EXPECT_EQ(app.padPictureDC, nullptr);
    EXPECT_EQ(app.padPictureBitmap, nullptr);
    EXPECT_EQ(GetObjectType(padDC), 0u);
    EXPECT_EQ(GetObjectType(padBitmap), 0u);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, WaysOut, ::testing::ValuesIn(kWaysOut),
                         [](const auto& info) { return std::string(info.param.name); });

// A logoff that another program cancels: the settings are safe, and everything goes on.
TEST_F(MainWindow, ACancelledSessionEndWritesExitsSettingsAndChangesNothingElse) {
    CreateMain();
    app.settings.FontScale = 23;
    StartBreak(window);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(StoredSetting(L"FontScale"), 23u);
    EXPECT_EQ(SendMessageW(window, WM_ENDSESSION, FALSE, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(app.breakActive, 1);
    EndBreak(window);
}

// The restart from a running, translucent break: a picture that no longer loads ends it as
// Escape would, and an empty path is reported with its own reason, not whatever failed last.
TEST_F(BreakScreen, AFailedStartLeavesNoBreakTimerPowerChangeLayeringOrWindowBehind) {
    CreateMain();
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0));
    Settings& s = app.settings;
    s.BreakOpacity = 50;
    s.BreakShowBackgroundFile = 1; // over the faded desktop first
    StartBreak(window);
    ASSERT_EQ(app.breakActive, 1);
    ASSERT_TRUE(IsWindowVisible(window));
    std::vector<HGDIOBJ> objects = BreakObjects();
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
        EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_TRUE(ScreenSaverActive());
        EXPECT_EQ(standInExecutionState, DWORD(ES_CONTINUOUS));
        EXPECT_FALSE(KillTimer(window, 0)) << "the countdown still ran";
        EXPECT_EQ(app.displayDC, nullptr);
        EXPECT_EQ(app.breakDesktopBitmap, nullptr);
    }
    ExpectDeleted(objects);
}

// Every start sets the translucency anew, with or without the layered style.
// The alarm at expiry, as asked of the system: a file that is missing or cannot be played must
// play nothing, not the system's default sound, which would startle a room.
std::vector<std::pair<std::wstring, DWORD>> alarms;
BOOL WINAPI RecordAlarm(LPCWSTR sound, HMODULE, DWORD flags) {
    alarms.emplace_back(sound, flags);
    return FALSE; // as for a missing file
}

TEST_F(BreakScreen, TheAlarmAtExpiryPlaysTheFileOrNothingNeverTheDefaultSound) {
    CreateMain();
    alarms.clear();
    const auto real = std::exchange(playAlarmSound, RecordAlarm);
    Settings& s = app.settings;
    wcscpy(s.BreakSoundFile, L"C:\\nowhere\\gong.wav");
    s.BreakTimeout = 1;
    FakeClock clock;
    for (int play : {0, 1}) {
        s.BreakPlaySoundFile = play;
        StartBreak(window);
        clock.Advance(61500);
        BreakTick(window); // late, at -1: the alarm although no tick showed 0
        clock.Advance(1000);
        BreakTick(window); // counting the time since: no second alarm
        EndBreak(window);
    }
    playAlarmSound = real;
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].first, L"C:\\nowhere\\gong.wav");
    EXPECT_EQ(alarms[0].second, DWORD(SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
}

TEST_F(BreakScreen, ARestartAppliesTheCurrentOpacity) {
    CreateMain();
    for (int opacity : {50, 100, 30, 200}) {
        app.settings.BreakOpacity = opacity;
        StartBreak(window);
        const bool layered = GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED;
        EXPECT_EQ(layered, opacity < 100) << opacity;
        BYTE alpha = 0;
        DWORD flags = 0;
        if (layered) {
            ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
            EXPECT_EQ(alpha, opacity * 255 / 100);
        }
    }
    EndBreak(window);
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
TEST_F(Hotkeys, AllFourAreTriedDespiteAConflictWhichIsReportedOnce) {
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
}

TEST_F(Hotkeys, QuietReRegistrationSkipsLiveZoomWithoutMagnification) {
    RegisterStoredHotkeysQuietly(nullptr);
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '3'));
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, '4'));
    optionalFunctions.MagInitialize = []() -> BOOL { return TRUE; };
    RegisterStoredHotkeysQuietly(nullptr); // the others fail now, silently
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '4'));
    EXPECT_TRUE(boxes.Stop().empty());
}

} // namespace
