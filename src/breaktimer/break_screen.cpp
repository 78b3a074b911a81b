// The break screen (see break_screen.h).
#include "breaktimer/break_screen.h"

#include <array>
#include <utility>

#include "breaktimer/break_rules.h"
#include "shared/clock.h"
#include "shared/picture_files.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/monitor_view.h"
#include "zoom/message_ids.h"

namespace {

constexpr UINT kTickMs = 1000;
constexpr UINT_PTR kBreakTimer = static_cast<UINT_PTR>(MainTimer::BreakCountdown);

// The monitor as it is now, layered windows included, in a bitmap of its size.
HBITMAP CaptureMonitor(const RECT& area) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    CaptureScreenArea(memory, area);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return bitmap;
}

// `desktop` (width x height) at about 31 percent brightness over black, faded from memory:
// AlphaBlend takes no source outside its source's surface, which a screen DC at a monitor's
// negative coordinates is on some systems (Wine).
HBITMAP MakeFadedDesktop(HBITMAP desktop, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HDC desktopDC = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HGDIOBJ previousDesktop = SelectObject(desktopDC, desktop);
    HBRUSH black = CreateSolidBrush(0);
    const RECT all = {0, 0, width, height};
    FillRect(memory, &all, black);
    DeleteObject(black);
    const BLENDFUNCTION fade = {AC_SRC_OVER, 0, 0x4F, 0};
    AlphaBlend(memory, 0, 0, width, height, desktopDC, 0, 0, width, height, fade);
    SelectObject(desktopDC, previousDesktop);
    SelectObject(memory, previous);
    DeleteDC(desktopDC);
    DeleteDC(memory);
    return bitmap;
}

// The desktop under the break: captured unless the break screen itself covers the monitor
// now (a restart while it shows), when the capture from before it covered it is kept. That
// capture can be older than what the presenter last saw only if the break was shown again from
// the tray icon after switching away; it still shows no countdown.
HBITMAP DesktopUnderBreak(HBITMAP kept, bool breakShown, const RECT& covered) {
    if (kept != nullptr && breakShown && EqualRect(&covered, &app.monitorRect)) {
        return kept;
    }
    if (kept != nullptr) {
        DeleteObject(kept);
    }
    return CaptureMonitor(app.monitorRect);
}

constexpr const wchar_t* kSecondDisplay = L"\\\\.\\DISPLAY2";

// Whether the second display device exists but is not part of the desktop now.
bool SecondDisplayDetached() {
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof device;
    for (DWORD i = 0; displaySettings.enumDevices(nullptr, i, &device, 0); ++i) {
        if (lstrcmpiW(device.DeviceName, kSecondDisplay) == 0) {
            return (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) == 0;
        }
        device.cb = sizeof device;
    }
    return false;
}

// The second-display option: a second display that is switched off (a projector cabled but
// not in use) is attached for the break with the primary display's mode and detached when the
// break ends; a display already in use is left exactly as it is, and since the changes are
// made for this session only, nothing is ever stored in the registry's display settings. The
// break screen itself still shows on the monitor under the cursor, which an attach puts on the
// primary display.
void AttachSecondDisplay() {
    if (!SecondDisplayDetached()) {
        return;
    }
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    mode.dmFields =
        DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    if (displaySettings.change(kSecondDisplay, &mode, nullptr, 0, nullptr) !=
        DISP_CHANGE_SUCCESSFUL) {
        return;
    }
    app.secondDisplayAttached = 1;
    if (HWND window = FindWindowW(kMainWindowClass, nullptr)) {
        SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetCursorPos(1, 1);
}

// Only a display this program attached: a width and height of 0 take it off the desktop.
void DetachSecondDisplay() {
    if (!app.secondDisplayAttached) {
        return;
    }
    app.secondDisplayAttached = 0;
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_POSITION;
    displaySettings.change(kSecondDisplay, &mode, nullptr, 0, nullptr);
}

// Frees everything a break made (pictures, fonts, DCs and the bitmap).
void ReleaseBreakObjects() {
    DeleteAndClear(app.breakPictureDC);
    DeleteAndClear(app.breakPictureBitmap);
    DeleteAndClear(app.imageDC); // deselects the fonts and the bitmap first
    DeleteAndClear(app.displayDC);
    DeleteAndClear(app.breakTimerFont);
    DeleteAndClear(app.breakExpiredFont);
    DeleteAndClear(app.breakBitmap);
    DeleteAndClear(app.breakDesktopBitmap);
}

// No screen saver and the display kept on for the break; what the presenter had is recorded
// once, so a restarted break does not record its own switched-off state. The display stays on,
// and the machine awake, for as long as a break shows: the low-power and power-off phases of the
// screen saver's settings have done nothing since Windows Vista.
void SuspendPowerSaving() {
    if (!app.powerStateSaved) {
        SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &app.savedScreenSaverActive, 0);
        setThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED);
        app.powerStateSaved = 1;
    }
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0);
}

void RestorePowerSaving() {
    if (!app.powerStateSaved) {
        return;
    }
    setThreadExecutionState(ES_CONTINUOUS);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, app.savedScreenSaverActive ? 1 : 0, nullptr, 0);
    app.powerStateSaved = 0;
}

HFONT FontOfHeight(int height) {
    app.settings.Font.lfHeight = height; // the record keeps it; every user sets its own
    const LOGFONTW font = TypingLogFont(app.settings);
    return CreateFontIndirectW(&font);
}

SIZE MeasureText(const wchar_t* text) {
    RECT r = {0, 0, 0, 0};
    DrawTextW(app.imageDC, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
    return {r.right - r.left, r.bottom - r.top};
}

// Looked up on the window, not in the settings: the opacity may have changed since the start.
void RemoveLayering(HWND window) {
    const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
    if (style & WS_EX_LAYERED) {
        SetWindowLongW(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
    }
}

// Every start sets the translucency anew, so a restart after the opacity went up to 100 % is
// opaque. The whole screen, text included, is then translucent over the live desktop.
void ApplyBreakOpacity(HWND window, uint32_t opacity) {
    if (optionalFunctions.SetLayeredWindowAttributes == nullptr || opacity == 100) {
        RemoveLayering(window);
        return;
    }
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    optionalFunctions.SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(opacity * 255 / 100),
                                                 LWA_ALPHA);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

int64_t CountElapsedMs() {
    return static_cast<int64_t>(clockMs() - app.breakCountStartMs);
}

// The clock counts down from `from` as of now.
void CountFrom(int32_t from) {
    app.breakCountFrom = from;
    app.breakCountStartMs = clockMs();
}

// The count as it stands is where the clock counts on from: after an arrow key or the wheel
// the next second goes a full second later.
void RestartCountdown(HWND window) {
    CountFrom(app.breakSecondsLeft);
    SetTimer(window, kBreakTimer, kTickMs, nullptr);
}

} // namespace

LRESULT StartBreak(HWND window) {
    const Settings& s = app.settings;
    // The picture is read first: a start that cannot show it changes nothing, and the running
    // break it was to restart ends as Escape ends it, so nothing of it stays behind.
    HBITMAP picture = nullptr;
    if (s.BreakShowBackgroundFile && !s.BreakShowDesktop) {
        picture = LoadPictureFile(s.BreakBackgroundFile);
        if (picture == nullptr) {
            const DWORD error = GetLastError();
            if (app.breakActive) {
                EndBreak(window);
            }
            ShowErrorMessage(L"Error loading background bitmap", window, error);
            return 0;
        }
    }
    const bool breakShown = app.breakActive && IsWindowVisible(window);
    RECT covered = {};
    GetWindowRect(window, &covered);
    HBITMAP keptDesktop = std::exchange(app.breakDesktopBitmap, nullptr);
    if (app.breakActive) {
        ReleaseBreakObjects(); // a running break starts again from the full time
    }
    app.breakActive = 1;
    app.wheelRest = 0; // part of a notch turned before the break does not count in it
    app.breakSecondsLeft = InitialBreakSeconds(s.BreakTimeout);
    app.displayDC = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (picture != nullptr) {
        app.breakPictureBitmap = picture;
        app.breakPictureDC = CreateCompatibleDC(app.displayDC);
        SelectObject(app.breakPictureDC, app.breakPictureBitmap);
    }
    if (s.BreakOnSecondary) {
        AttachSecondDisplay();
    }
    SelectMonitorUnderCursor(app.displayDC);
    const int width = app.captureWidth;
    const int height = app.captureHeight;
    app.breakDesktopBitmap = DesktopUnderBreak(keptDesktop, breakShown, covered);
    if (s.BreakShowBackgroundFile && s.BreakShowDesktop) {
        app.breakPictureBitmap = MakeFadedDesktop(app.breakDesktopBitmap, width, height);
        app.breakPictureDC = CreateCompatibleDC(app.displayDC);
        SelectObject(app.breakPictureDC, app.breakPictureBitmap);
    }
    app.breakTimerFont = FontOfHeight(height / 5);
    app.breakExpiredFont = FontOfHeight(height / 8);
    DeleteAndClear(app.imageDC);
    app.imageDC = CreateCompatibleDC(app.displayDC);
    app.breakBitsPerPixel = GetDeviceCaps(app.displayDC, BITSPIXEL);
    app.breakPlanes = GetDeviceCaps(app.displayDC, PLANES);
    app.breakBitmap = CreateBitmap(width, height, app.breakPlanes, app.breakBitsPerPixel, nullptr);
    SelectObject(app.imageDC, app.breakBitmap);
    SetBkMode(app.imageDC, TRANSPARENT);
    SelectObject(app.imageDC, app.breakTimerFont);

    ApplyBreakOpacity(window, BreakOpacityPercent(s.BreakOpacity));
    SuspendPowerSaving();
    // The first tick, at once, shows the full time, a second less than the count starts at.
    CountFrom(app.breakSecondsLeft - 1);
    SendMessageW(window, WM_TIMER, kBreakTimer, 0);
    const FirstFrame frame = CloakUntilPainted(window);
    SetWindowPos(window, HWND_TOPMOST, app.monitorRect.left, app.monitorRect.top, width, height,
                 SWP_SHOWWINDOW);
    RevealPainted(frame);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return 0;
}

BOOL(WINAPI* playAlarmSound)(LPCWSTR, HMODULE, DWORD) = PlaySoundW;
EXECUTION_STATE(WINAPI* setThreadExecutionState)(EXECUTION_STATE) = SetThreadExecutionState;
DisplaySettingsCalls displaySettings = {EnumDisplayDevicesW, ChangeDisplaySettingsExW};

void BreakTick(HWND window) {
    if (!app.breakActive) {
        return;
    }
    const int32_t before = app.breakSecondsLeft;
    const int64_t elapsed = CountElapsedMs();
    app.breakSecondsLeft = BreakSecondsAt(app.breakCountFrom, elapsed);
    SetTimer(window, kBreakTimer, MsToNextSecond(elapsed), nullptr); // when the count changes
    if (app.breakSecondsLeft != before) {
        InvalidateRect(window, nullptr, FALSE);
    }
    // Also when a late tick steps over zero.
    if (before > 0 && app.breakSecondsLeft <= 0 && app.settings.BreakPlaySoundFile) {
        // A sound that cannot be played plays nothing, not the system's default sound.
        playAlarmSound(app.settings.BreakSoundFile, nullptr,
                       SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    }
}

void PaintBreakScreen(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const int width = app.captureWidth;
    const int height = app.captureHeight;
    const RECT all = {0, 0, width, height};
    FillRect(app.imageDC, &all, GetSysColorBrush(COLOR_WINDOW));
    if (app.breakPictureBitmap != nullptr) {
        BITMAP picture = {};
        GetObjectW(app.breakPictureBitmap, sizeof picture, &picture);
        SetStretchBltMode(app.imageDC, HALFTONE);
        if (app.settings.BreakBackgroundStretch) {
            StretchBlt(app.imageDC, 0, 0, width, height, app.breakPictureDC, 0, 0, picture.bmWidth,
                       picture.bmHeight, kCaptureCopy);
        } else {
            BitBlt(app.imageDC, (width - picture.bmWidth) / 2, (height - picture.bmHeight) / 2,
                   picture.bmWidth, picture.bmHeight, app.breakPictureDC, 0, 0, kCaptureCopy);
        }
    }
    // The colour keys may have changed the pen colour since the last paint.
    SetTextColor(app.imageDC, app.settings.BreakUsePenColor ? app.settings.PenColor
                                                            : app.settings.BreakFontColor);
    std::array<wchar_t, 32> countdown = {};
    CountdownText(app.breakSecondsLeft, countdown);
    const SIZE size = MeasureText(countdown.data());
    std::array<wchar_t, 32> expired = {};
    SIZE expiredSize = {0, 0};
    const bool showExpired = app.settings.ShowExpiredTime && app.breakSecondsLeft < 0;
    if (showExpired) {
        ExpiredText(app.breakSecondsLeft, expired);
        HGDIOBJ previous = SelectObject(app.imageDC, app.breakExpiredFont);
        expiredSize = MeasureText(expired.data());
        SelectObject(app.imageDC, previous);
    }
    const TextPlace place = CountdownPlace(static_cast<uint32_t>(app.settings.BreakTimerPosition),
                                           width, height, size.cx, size.cy, expiredSize.cy);
    RECT text = {place.left, place.top, place.left + size.cx, place.top + size.cy};
    DrawTextW(app.imageDC, countdown.data(), -1, &text, DT_NOPREFIX | DT_NOCLIP);
    if (showExpired) {
        const int left = text.left + (size.cx - expiredSize.cx) / 2;
        RECT line = {left, text.bottom + 10, left + expiredSize.cx,
                     text.bottom + 10 + expiredSize.cy};
        HGDIOBJ previous = SelectObject(app.imageDC, app.breakExpiredFont);
        DrawTextW(app.imageDC, expired.data(), -1, &line, DT_NOPREFIX | DT_NOCLIP);
        SelectObject(app.imageDC, previous);
    }
    BitBlt(dc, 0, 0, width, height, app.imageDC, 0, 0, kCaptureCopy);
    EndPaint(window, &paint);
}

bool AdjustBreakSeconds(HWND window, WPARAM virtualKey) {
    if (!app.breakActive || (virtualKey != VK_LEFT && virtualKey != VK_RIGHT)) {
        return false;
    }
    app.breakSecondsLeft =
        AdjustedBreakSeconds(app.breakSecondsLeft, virtualKey == VK_RIGHT ? 10 : -10);
    RestartCountdown(window);
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

void WheelBreak(HWND window, int notches) {
    app.breakSecondsLeft = WheeledBreakSeconds(app.breakSecondsLeft, notches);
    RestartCountdown(window);
    InvalidateRect(window, nullptr, TRUE);
}

void EndBreak(HWND window) {
    DetachSecondDisplay();
    ShowWindow(window, SW_HIDE);
    SetFocus(GetDesktopWindow());
    KillTimer(window, kBreakTimer);
    app.breakActive = 0;
    ReleaseBreakObjects();
    // Put back exactly what the presenter had (a screen saver switched off stays off); the
    // display may go dark again.
    RestorePowerSaving();
    // The translucency goes with the break: the zoom shares this window.
    RemoveLayering(window);
}
