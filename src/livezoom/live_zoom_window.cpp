// The live-zoom window (see live_zoom_window.h).
#include "livezoom/live_zoom_window.h"

#include <array>

#include "livezoom/live_zoom_rules.h"
#include "settings/registry_store.h"
#include "shared/clock.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/message_ids.h"
#include "zoom/monitor_view.h"
#include "zoom/zoom_levels.h"

LiveZoomState liveZoom;

namespace {

constexpr DWORD kShowMagnifiedCursor = 0x0001; // MS_SHOWMAGNIFIEDCURSOR of the "Magnifier" class
// Click-through and topmost; a tool window that never takes activation, so that it has no
// taskbar button, Alt+Tab never lands on it and showing it closes no menu.
constexpr DWORD kLiveZoomExStyle =
    WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_NOACTIVATE;

bool BeforeWindows7() {
    return ::BeforeWindows7(app.windowsVersion);
}

bool Composition() {
    return liveZoom.compositionEnabled != 0;
}

LiveRect Monitor() {
    const RECT& m = liveZoom.liveMonitor.rcMonitor;
    return {m.left, m.top, m.right, m.bottom};
}

LiveLevels Levels() {
    return {liveZoom.liveLevel, liveZoom.liveTarget, liveZoom.liveStep};
}

void SetLevels(const LiveLevels& levels) {
    liveZoom.liveLevel = levels.level;
    liveZoom.liveTarget = levels.target;
    liveZoom.liveStep = levels.step;
}

// New levels from a key, a show or a takeover's return: an animation starts from here, now.
void AimLevels(const LiveLevels& levels) {
    SetLevels(levels);
    liveZoom.animationFrom = levels.level;
    liveZoom.animationStartMs = clockMs();
}

// The user notification state, 1 (not present) when the query is missing or fails.
int NotificationState() {
    int state = kNotificationStateUnknown;
    if (optionalFunctions.SHQueryUserNotificationState != nullptr) {
        int answer = 0;
        if (SUCCEEDED(optionalFunctions.SHQueryUserNotificationState(&answer))) {
            state = answer;
        }
    }
    return state;
}

// Shows `source` (screen coordinates) magnified `level` times: the control's source rectangle
// says what it shows, the matrix only how much it scales. liveSource keeps what is shown.
void ApplyLiveView(const LiveRect& source, float level) {
    liveZoom.liveSource = {source.left, source.top, source.right, source.bottom};
    if (!(level > 0.0f)) {
        return; // 1128 can set 0, which no matrix can show
    }
    if (optionalFunctions.MagSetWindowSource != nullptr) {
        optionalFunctions.MagSetWindowSource(liveZoom.magnifierControl, liveZoom.liveSource);
    }
    if (optionalFunctions.MagSetWindowTransform != nullptr) {
        const std::array<float, 9> matrix = LiveTransform(level);
        MagnifierTransform transform;
        static_assert(sizeof transform == sizeof matrix);
        for (size_t i = 0; i < matrix.size(); ++i) {
            transform.v[i / 3][i % 3] = matrix[i];
        }
        optionalFunctions.MagSetWindowTransform(liveZoom.magnifierControl, &transform);
    }
}

// The one system pointer serves every monitor: hidden over the magnified one, where only the
// magnified cursor is seen, shown over any other (the presenter reaching for "Next" on the
// laptop's screen). The magnification library's own switch where it has one.
void ShowSystemCursor(BOOL show) {
    if ((liveZoom.systemCursorHidden == 0) == (show != FALSE)) {
        return;
    }
    const auto change = optionalFunctions.MagShowSystemCursor != nullptr
                            ? optionalFunctions.MagShowSystemCursor
                            : optionalFunctions.ShowSystemCursor;
    if (change != nullptr) {
        change(show);
        liveZoom.systemCursorHidden = show ? 0 : 1;
    }
}

// The system pointer and Ctrl+Up and Ctrl+Down back to the presenter. The hotkeys belong to
// the window, so they go before it may.
void GiveBackCursorAndKeys(HWND window) {
    ShowSystemCursor(TRUE);
    UnregisterHotKey(window, static_cast<int>(LiveHotkey::ZoomIn));
    UnregisterHotKey(window, static_cast<int>(LiveHotkey::ZoomOut));
}

void StartKeepAliveTimer(HWND window) {
    KillTimer(window, static_cast<UINT_PTR>(LiveTimer::KeepAlive));
    SetTimer(window, static_cast<UINT_PTR>(LiveTimer::KeepAlive), kKeepAliveMs, nullptr);
}

void CarryOut(HWND window, KeepAliveAction action) {
    switch (action) {
    case KeepAliveAction::StartTimer:
    case KeepAliveAction::RestartTimer:
        StartKeepAliveTimer(window);
        break;
    case KeepAliveAction::KillTimer:
        KillTimer(window, static_cast<UINT_PTR>(LiveTimer::KeepAlive));
        break;
    case KeepAliveAction::Destroy:
        DestroyWindow(window);
        break;
    case KeepAliveAction::Nothing:
        break;
    }
}

// The monitor under the cursor; without per-monitor support, or an answer, the primary
// display's size from (0, 0).
void SelectLiveMonitor(POINT cursor) {
    HMONITOR monitor = optionalFunctions.MonitorFromPoint != nullptr
                           ? optionalFunctions.MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST)
                           : nullptr;
    liveZoom.liveMonitor.cbSize = sizeof(MONITORINFO);
    if (monitor != nullptr && GetMonitorInfoW(monitor, &liveZoom.liveMonitor)) {
        return;
    }
    HDC screen = GetDC(nullptr);
    liveZoom.liveMonitor.rcMonitor = {0, 0, GetDeviceCaps(screen, HORZRES),
                                      GetDeviceCaps(screen, VERTRES)};
    ReleaseDC(nullptr, screen);
}

// ---- Handlers ------------------------------------------------------------------------------

void Tick(HWND window) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    LiveLevels levels = Levels();
    AdvanceLiveLevel(levels, liveZoom.animationFrom, clockMs() - liveZoom.animationStartMs);
    SetLevels(levels);
    // The source is sized for the level it is shown at, so it never reaches past the monitor.
    ApplyLiveView(LiveSource({cursor.x, cursor.y}, Monitor(), liveZoom.liveLevel),
                  liveZoom.liveLevel);
    ShowSystemCursor(PtInRect(&liveZoom.liveMonitor.rcMonitor, cursor) ? FALSE : TRUE);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    // Without a control there is nothing to redraw; a null window would redraw every window.
    if (liveZoom.magnifierControl != nullptr) {
        InvalidateRect(liveZoom.magnifierControl, nullptr, TRUE);
    }
    if (liveZoom.liveTarget == kLiveHideLevel) {
        ShowWindow(window, SW_HIDE);
    }
}

void KeepAliveCheck(HWND window) {
    const bool visible = IsWindowVisible(window) != 0;
    const int state = visible ? kNotificationStateUnknown : NotificationState();
    CarryOut(window, KeepAliveDecision(KeepAliveEvent::Timer, state,
                                       optionalFunctions.SHQueryUserNotificationState != nullptr,
                                       visible, liveZoom.notifiableAtCreation != 0));
}

LRESULT OnTimer(HWND window, WPARAM id, LPARAM) {
    switch (static_cast<LiveTimer>(id)) {
    case LiveTimer::Tick:
        Tick(window);
        break;
    case LiveTimer::KeepAlive:
        KeepAliveCheck(window);
        break;
    }
    return 0;
}

LRESULT OnKeyDown(HWND window, WPARAM key, LPARAM) {
    if (key == VK_ESCAPE) {
        LiveLevels levels = Levels();
        LiveZoomEnd(levels, Composition());
        AimLevels(levels);
        return 0;
    }
    if (key == VK_UP || key == VK_DOWN) {
        // The window has no wheel handler: plain Up and Down change nothing.
        // Left Ctrl as it was when this key was pressed (the key state of the message).
        const WORD keys = GetKeyState(VK_LCONTROL) < 0 ? MK_CONTROL : 0;
        const short delta = key == VK_UP ? WHEEL_DELTA : -WHEEL_DELTA;
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), 0);
        return 1;
    }
    return 0;
}

// A monitor was removed or resized (a projector unplugged): the magnifier's monitor and source
// may be gone, so live zoom ends as with Escape.
LRESULT OnDisplayChange(HWND window, WPARAM, LPARAM) {
    return OnKeyDown(window, VK_ESCAPE, 0);
}

LRESULT OnGetFactor(HWND, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(&liveZoom.liveLevel);
}

LRESULT OnGetSource(HWND, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(&liveZoom.liveSource);
}

// The level, and the source around the centre of the rectangle given (the takeover's return
// puts the cursor there, so the next tick shows the same), sized for the level and kept on the
// monitor.
LRESULT OnSet(HWND, WPARAM level, LPARAM source) {
    const RECT around = source != 0 ? *reinterpret_cast<const RECT*>(source) : liveZoom.liveSource;
    const float whole = static_cast<float>(static_cast<uint32_t>(level));
    AimLevels({whole, whole, liveZoom.liveStep});
    const LivePoint centre = {around.left + (around.right - around.left) / 2,
                              around.top + (around.bottom - around.top) / 2};
    ApplyLiveView(LiveSource(centre, Monitor(), whole), whole);
    return 0;
}

// A frozen zoom is about to capture the screen: the magnifier stops drawing its enlarged cursor
// and draws the picture again, on the screen before the capture reads it. The next show gives
// the cursor back.
LRESULT OnPrepareCapture(HWND, WPARAM, LPARAM) {
    HWND control = liveZoom.magnifierControl;
    if (control != nullptr) {
        SetWindowLongW(control, GWL_STYLE,
                       GetWindowLongW(control, GWL_STYLE) & ~kShowMagnifiedCursor);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        WaitForComposedFrame();
    }
    return 0;
}

LRESULT OnHotkey(HWND, WPARAM id, LPARAM) {
    LiveLevels levels = Levels();
    switch (static_cast<LiveHotkey>(id)) {
    case LiveHotkey::ZoomIn:
        LiveZoomIn(levels, Composition());
        break;
    case LiveHotkey::ZoomOut:
        LiveZoomOut(levels, Composition());
        break;
    default:
        levels.target = levels.level;
        break;
    }
    AimLevels(levels);
    return 0;
}

LRESULT OnSize(HWND window, WPARAM, LPARAM) {
    if (liveZoom.magnifierControl != nullptr) {
        RECT client = {};
        GetClientRect(window, &client);
        SetWindowPos(liveZoom.magnifierControl, nullptr, client.left, client.top,
                     client.right - client.left, client.bottom - client.top, 0);
    }
    return 0;
}

void Show(HWND window) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    SelectLiveMonitor(cursor);
    const RECT& m = liveZoom.liveMonitor.rcMonitor;
    if (HWND control = liveZoom.magnifierControl) {
        // A takeover stopped the magnified cursor; it is the only cursor over the monitor.
        SetWindowLongW(control, GWL_STYLE,
                       GetWindowLongW(control, GWL_STYLE) | kShowMagnifiedCursor);
    }
    SetWindowPos(window, HWND_TOPMOST, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_NOACTIVATE);
    AimLevels(ShowLevels(app.fromLiveZoom != 0, StartMagnification(app.settings.ZoominSliderLevel),
                         Composition()));
    RegisterHotKey(window, static_cast<int>(LiveHotkey::ZoomIn), MOD_CONTROL, VK_UP);
    RegisterHotKey(window, static_cast<int>(LiveHotkey::ZoomOut), MOD_CONTROL, VK_DOWN);
    GetCursorPos(&cursor);
    SetCursorPos(cursor.x, cursor.y);
    // The first source and level, before the first frame; the system pointer goes over the
    // monitor.
    SendMessageW(window, WM_TIMER, static_cast<WPARAM>(LiveTimer::Tick), 0);
    SetTimer(window, static_cast<UINT_PTR>(LiveTimer::Tick), kLiveTickMs, nullptr);
}

void Hide(HWND window) {
    KillTimer(window, static_cast<UINT_PTR>(LiveTimer::Tick));
    GiveBackCursorAndKeys(window);
    if (!BeforeWindows7()) {
        DestroyWindow(window);
        return;
    }
    CarryOut(window, KeepAliveDecision(KeepAliveEvent::Hide, NotificationState(),
                                       optionalFunctions.SHQueryUserNotificationState != nullptr,
                                       false, liveZoom.notifiableAtCreation != 0));
}

LRESULT OnShowWindow(HWND window, WPARAM shown, LPARAM) {
    if (shown == TRUE) {
        Show(window);
    } else {
        Hide(window);
    }
    return 0;
}

LRESULT OnSettingChange(HWND window, WPARAM, LPARAM) {
    if (BeforeWindows7()) {
        CarryOut(window, KeepAliveDecision(
                             KeepAliveEvent::SettingChange, NotificationState(),
                             optionalFunctions.SHQueryUserNotificationState != nullptr,
                             IsWindowVisible(window) != 0, liveZoom.notifiableAtCreation != 0));
    }
    return 0;
}

// Takes back whatever a start had done when one of its steps failed, so that no grey window
// covers the monitor, the system cursor shows and Ctrl+Up and Ctrl+Down are free again. The
// error is kept for StartLiveZoom, which tells the presenter; a failed step may leave no code.
LRESULT FailStart(HWND window, DWORD error) {
    KillTimer(window, static_cast<UINT_PTR>(LiveTimer::Tick));
    GiveBackCursorAndKeys(window);
    if (liveZoom.magnifierControl != nullptr) {
        DestroyWindow(liveZoom.magnifierControl);
        liveZoom.magnifierControl = nullptr;
    }
    liveZoom.startError = error != ERROR_SUCCESS ? error : ERROR_NOT_SUPPORTED;
    return -1; // the window is destroyed before it was ever shown
}

LRESULT OnCreate(HWND window, WPARAM, LPARAM create) {
    // Every step before the show is checked: a window shown without its magnifier would be an
    // opaque grey sheet over the monitor. The class is registered only where the library is,
    // but a test may bind less.
    if (optionalFunctions.MagInitialize != nullptr && !optionalFunctions.MagInitialize()) {
        return FailStart(window, GetLastError());
    }
    if (optionalFunctions.SetLayeredWindowAttributes != nullptr &&
        !optionalFunctions.SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA)) {
        return FailStart(window, GetLastError());
    }
    liveZoom.compositionEnabled = 0; // off without the query
    if (optionalFunctions.DwmIsCompositionEnabled != nullptr) {
        BOOL enabled = FALSE;
        optionalFunctions.DwmIsCompositionEnabled(&enabled);
        liveZoom.compositionEnabled = enabled ? 1 : 0;
    }
    liveZoom.magnifierControl = CreateWindowExW(0, L"Magnifier", L"MagnifierWindow",
                                                WS_CHILD | WS_VISIBLE | kShowMagnifiedCursor, 0, 0,
                                                0, 0, window, nullptr, app.instance, nullptr);
    if (liveZoom.magnifierControl == nullptr) {
        return FailStart(window, GetLastError());
    }
    // From here on nothing fails the start: Ctrl+Up and Ctrl+Down held by another program only
    // leave the level as it is.
    ShowLiveZoom(window);
    // The application the presenter works in keeps the keyboard: given back only if something
    // took it, since setting the foreground anew would close a menu open there.
    const auto* params = reinterpret_cast<const CREATESTRUCTW*>(create);
    HWND foreground = static_cast<HWND>(params->lpCreateParams);
    if (foreground != nullptr && GetForegroundWindow() != foreground) {
        SetForegroundWindow(foreground);
    }
    if (BeforeWindows7()) {
        const int state = NotificationState();
        liveZoom.notifiableAtCreation = state == kAcceptsNotifications ? 1 : 0;
        CarryOut(window,
                 KeepAliveDecision(KeepAliveEvent::Creation, state,
                                   optionalFunctions.SHQueryUserNotificationState != nullptr, true,
                                   liveZoom.notifiableAtCreation != 0));
    }
    return 0;
}

LRESULT OnDestroy(HWND window, WPARAM, LPARAM) {
    // Destroyed while shown (a setting change before Windows 7): the cursor and Ctrl+Up and
    // Ctrl+Down must come back.
    GiveBackCursorAndKeys(window);
    liveZoom.magnifierControl = nullptr;
    if (app.liveZoomWindow == window) {
        app.liveZoomWindow = nullptr;
    }
    return 0;
}

constexpr std::array<DispatchRow<LiveZoomHandler>, 13> kLiveZoomTable = {{
    {WM_TIMER, OnTimer},
    {WM_KEYDOWN, OnKeyDown},
    {kLiveZoomGetFactorMessage, OnGetFactor},
    {kLiveZoomGetSourceMessage, OnGetSource},
    {kLiveZoomSetMessage, OnSet},
    {kLiveZoomPrepareCaptureMessage, OnPrepareCapture},
    {WM_HOTKEY, OnHotkey},
    {WM_SIZE, OnSize},
    {WM_SHOWWINDOW, OnShowWindow},
    {WM_SETTINGCHANGE, OnSettingChange},
    {WM_CREATE, OnCreate},
    {WM_DESTROY, OnDestroy},
    {WM_DISPLAYCHANGE, OnDisplayChange},
}};

} // namespace

std::span<const DispatchRow<LiveZoomHandler>> LiveZoomMessageTable() {
    return kLiveZoomTable;
}

LRESULT CALLBACK LiveZoomWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* row = FindDispatchRow(LiveZoomMessageTable(), message);
    return row != nullptr ? row->handler(window, wParam, lParam)
                          : DefWindowProcW(window, message, wParam, lParam);
}

HWND StartLiveZoom(HWND foreground) {
    static bool reporting = false; // a press while the box is up does not start a second one
    if (reporting) {
        return nullptr;
    }
    liveZoom.startError = ERROR_SUCCESS;
    HWND window = CreateWindowExW(kLiveZoomExStyle, kLiveZoomClass, kLiveZoomTitle,
                                  WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0, nullptr, nullptr,
                                  app.instance, foreground);
    // Without the library the class is missing and the hotkey does nothing, as it should.
    if (window == nullptr && liveZoom.startError != ERROR_SUCCESS) {
        reporting = true;
        ShowErrorMessage(L"Error starting live zoom", nullptr, liveZoom.startError);
        reporting = false;
    }
    return window;
}

void ShowLiveZoom(HWND window) {
    const FirstFrame frame = CloakUntilPainted(window);
    ShowWindow(window, SW_SHOWNA); // the show steps set the first source and level
    RevealPainted(frame);
}

bool LiveZoomShown() {
    return app.liveZoomWindow != nullptr && IsWindowVisible(app.liveZoomWindow);
}

void RegisterLiveZoomClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = LiveZoomWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No background: the magnifier covers the whole window, and a grey sheet would show until
    // it draws.
    windowClass.lpszClassName = kLiveZoomClass;
    RegisterClassExW(&windowClass);
}
