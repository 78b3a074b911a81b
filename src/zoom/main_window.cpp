// The main window: class registration, creation, the message and command tables, and the
// handlers no mode owns (see main_window.h).
#include "zoom/main_window.h"

#include <array>
#include <cwchar>
#include <new>
#include <vector>

#include "breaktimer/break_screen.h"
#include "draw/draw_keys.h"
#include "draw/pen.h"
#include "draw/pen_state.h"
#include "draw/strokes.h"
#include "draw/stylus.h"
#include "draw/typing.h"
#include "draw/undo_stack.h"
#include "livezoom/live_zoom_window.h"
#include "options/options_dialog.h"
#include "output/copy_save.h"
#include "res/resource_ids.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "tray/tray_commands.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_actions.h"
#include "zoom/hotkeys.h"
#include "zoom/message_ids.h"
#include "zoom/monitor_view.h"
#include "zoom/zoom_geometry.h"
#include "zoom/zoom_view.h"

namespace {

constexpr UINT kPointerDownMessage = 0x0246; // WM_POINTERDOWN, newer than the Windows 7 headers

// The system's pen and touch gestures over the zoom window, all off: press-and-hold would become
// a right click (which ends drawing or the zoom) and hold every stroke back until the system
// knows it is none, taps and the barrel button would show their feedback on the projector, and
// flicks would turn pages underneath. The tablet service reads them from a window property and,
// on older systems, asks with WM_TABLET_QUERYSYSTEMGESTURESTATUS.
constexpr const wchar_t* kTabletServiceProperty = L"MicrosoftTabletPenServiceProperty";
constexpr UINT kQuerySystemGestureStatus = 0x02CC; // WM_TABLET_QUERYSYSTEMGESTURESTATUS
constexpr DWORD kPressAndHoldOff = 0x00000001;     // the TABLET_DISABLE_ flags
constexpr DWORD kPenTapFeedbackOff = 0x00000008;
constexpr DWORD kPenBarrelFeedbackOff = 0x00000010;
constexpr DWORD kFlicksOff = 0x00010000;
constexpr DWORD kGesturesOff =
    kPressAndHoldOff | kPenTapFeedbackOff | kPenBarrelFeedbackOff | kFlicksOff;

// ---- Window life -----------------------------------------------------------------------

// The typing font's default: the system's GUI font, weight 400, 8 points on this screen.
void SetDefaultTypingFont() {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfWeight = FW_NORMAL;
    HDC screen = CreateCompatibleDC(nullptr);
    font.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    DeleteDC(screen);
    SetTypingLogFont(app.settings, font);
}

// How many of the main window's handlers are running now, one inside another: handlers send
// each other messages, and the loops of dialogs, boxes and menus dispatch messages inside a
// handler. One thread owns every window of the program.
int handlerDepth = 0;

// A restarted shell announces itself with this registered message, whose number is known only
// at run time: its new notification area needs the icon again.
UINT TaskbarCreatedMessage() {
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    return taskbarCreated;
}

// An instance started as administrator runs with more rights than the shell and the user's
// later starts, and Windows drops their messages to it unless its window lets them through:
// the restarted shell's announcement, the icon's mouse messages and a second start's command.
// The per-window filter is Windows 7's, the process-wide one Vista's.
void LetThroughFromLowerRights(HWND window) {
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide filter
    const OptionalFunctions& f = optionalFunctions;
    for (UINT message :
         {TaskbarCreatedMessage(), static_cast<UINT>(kTrayNotifyMessage), UINT(WM_COMMAND)}) {
        if (f.ChangeWindowMessageFilterEx != nullptr) {
            f.ChangeWindowMessageFilterEx(window, message, kAllow, nullptr);
        } else if (f.ChangeWindowMessageFilter != nullptr) {
            f.ChangeWindowMessageFilter(message, kAllow);
        }
    }
}

// The top-level windows of this thread that run a loop of their own: dialogs, message boxes,
// the common dialogs (all "#32770") and popup menus showing ("#32768").
BOOL CALLBACK CollectLoopWindow(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 ||
        (wcscmp(className, L"#32768") == 0 && IsWindowVisible(window))) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}
std::vector<HWND> LoopWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectLoopWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Ends every menu, and every dialog and box as its Cancel (or, for a box with OK alone, its
// Escape) ends it; a box that offers no way out but its answers stays until it is answered.
void EndModalLoops(const std::vector<HWND>& windows) {
    EndMenu();
    for (HWND window : windows) {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
}

LRESULT OnCreate(HWND window) {
    LetThroughFromLowerRights(window); // before the first run's options dialog
    SetDefaultTypingFont();
    auto rows = SettingsLoadTable(app.settings);
    ReadSettings(rows);
    SanitizeLoadedSettings(app.settings);
    if (app.settings.OptionShown != 0) {
        RegisterAllHotkeys(window, StoredHotkeyBindings());
    } else {
        // First run: the options dialog runs to its end here; its OK or Cancel registers the
        // hotkeys.
        SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
        app.settings.OptionShown = 1;
        WriteDwordSetting("OptionShown", app.settings.OptionShown);
    }
    // The pen and the view keep up with the mouse while other programs are busy, but never run
    // ahead of a call's audio or a screen share's encoder, as time-critical would. Above normal
    // for the whole run rather than only during animations: those follow the clock, so a late
    // tick no longer slows them, and the thread waits in the message loop when nothing happens.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    return 1;
}

LRESULT OnDestroy(HWND window) {
    RemovePropW(window, kTabletServiceProperty); // a window's properties go before it does
    DeleteAndClear(app.padPictureDC);
    DeleteAndClear(app.padPictureBitmap);
    ReleaseSpareSurfaces();
    PostQuitMessage(0);
    return 0;
}

// Leaves the zoom or drawing at once, without the animation (drawings go with it). Not while
// the save dialog runs inside the zoom: it still uses the picture, and ends the zoom itself.
void LeaveZoomAtOnce(HWND window) {
    if (app.zoomActive && !app.saveDialogOpen) {
        SendMessageW(window, kEndTypingMessage, 0, 0);
        FinishStrokeNow(window);
        app.targetZoom = 1.0f;
        StartZoomOut(window);
    }
}

// Ends the zoom or drawing and the break at once, as the way out and a failed handler need.
void EndEveryMode(HWND window) {
    LeaveZoomAtOnce(window);
    if (app.breakActive) {
        EndBreak(window);
    }
}

// FontScale and PenColor, which change without being written.
void WriteExitSettings() {
    const auto rows = ExitSettingRows(app.settings);
    WriteSettings(rows);
}

// The end of a session: the settings Exit writes are written while the user may still cancel
// the logoff, so a session that ends without WM_ENDSESSION loses nothing either.
LRESULT OnQueryEndSession() {
    WriteExitSettings();
    return TRUE;
}

LRESULT OnEndSession(HWND window, WPARAM ending) {
    if (ending) {
        ExitProgram(window);
    }
    return 0;
}

LRESULT OnKillFocus(HWND window) {
    if (app.zoomActive && !app.saveDialogOpen) {
        PostMessageW(window, WM_HOTKEY, static_cast<WPARAM>(HotkeyId::Zoom), 0); // leave zoom
    }
    if (app.breakActive) {
        ShowWindow(window, SW_HIDE); // the break goes on counting; the tray icon shows it again
    }
    return 0;
}

// The zoom view when a zoom is up, else the break screen when a break is.
LRESULT OnPaint(HWND window) {
    if (!app.zoomActive && app.breakActive) {
        PaintBreakScreen(window);
        return 0;
    }
    return OnZoomPaint(window);
}

// ---- Routing to the mode that owns a message ------------------------------------------------

// The pointer belongs to typing, then to drawing, else it pans the zoom view.
LRESULT OnMouseMove(HWND window, LPARAM position) {
    if (!app.zoomActive || app.saveDialogOpen) {
        return 0;
    }
    if (app.typingActive) {
        return OnTypingMouseMove(window, position);
    }
    return app.drawMode ? OnDrawMouseMove(window, position) : OnZoomMouseMove(window, position);
}

// The wheel: whole minutes in a break; in a zoom the text size while typing, the pen width with
// Ctrl while drawing, else the magnification. Every reader counts whole notches.
LRESULT OnMouseWheel(HWND window, WPARAM wParam) {
    const int notches = TakeWheelNotches(app.wheelRest, GET_WHEEL_DELTA_WPARAM(wParam));
    if (notches == 0) {
        return 0; // part of a notch: kept for the next message
    }
    if (app.breakActive) {
        WheelBreak(window, notches);
    }
    if (!app.zoomActive) {
        return 0;
    }
    if (app.typingActive) {
        return OnTypingWheel(window, notches);
    }
    if (app.drawMode && (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) && GetKeyState(VK_MENU) >= 0) {
        SetPenWidth(window, app.penPoint.x, app.penPoint.y, ActivePenWidth() + notches);
        UpdateCursorClip();
        return 1;
    }
    return OnZoomMouseWheel(window, notches);
}

// Left and Right give a break ten seconds more or less; every other key is the zoom window's.
LRESULT OnKeyDown(HWND window, WPARAM virtualKey) {
    if (AdjustBreakSeconds(window, virtualKey)) {
        return 0;
    }
    return OnDrawKeyDown(window, virtualKey);
}

LRESULT OnTimer(HWND window, UINT message, WPARAM timerId, LPARAM lParam) {
    switch (static_cast<MainTimer>(timerId)) {
    case MainTimer::BreakCountdown:
        BreakTick(window);
        return 0;
    case MainTimer::ZoomIn:
    case MainTimer::ZoomOut:
        ZoomTick(window, timerId);
        return 0;
    case MainTimer::ReleaseSpares:
        KillTimer(window, timerId);
        ReleaseSpareSurfaces();
        return 0;
    case MainTimer::PrepareUndo:
        PrepareUndoSurfaceSlice(window);
        return 0;
    case MainTimer::TrayClick:
        OnTrayClickTimer(window);
        return 0;
    case MainTimer::ExitWhenUnwound:
        ExitProgram(window);
        return 0;
    }
    return DefWindowProcW(window, message, timerId, lParam);
}

// Monitors were added, removed or resized (a projector plugged in or out). A mode whose
// monitor is still there as it was goes on; one whose monitor is gone or changed ends at once,
// so nothing is drawn for a screen that no longer matches: the zoom without its animation (its
// drawings go with it), the break as Escape ends it.
LRESULT OnDisplayChange(HWND window) {
    if (app.zoomActive && !MonitorStillThere(app.monitorRect)) {
        LeaveZoomAtOnce(window);
    } else if (!app.zoomActive && app.breakActive && !MonitorStillThere(app.monitorRect)) {
        EndBreak(window);
    }
    // Kept surfaces may no longer fit any monitor.
    ReleaseSpareSurfaces();
    return 0;
}

LRESULT OnGetMinMaxInfo(MINMAXINFO* limits) {
    if (limits != nullptr) {
        limits->ptMaxSize = {app.captureWidth, app.captureHeight};
        limits->ptMaxPosition = {0, 0};
    }
    return 1;
}

// ---- Commands ------------------------------------------------------------------------------

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* row = FindDispatchRow(MainCommandTable(), LOWORD(wParam));
    return row != nullptr ? row->handler(window, wParam, lParam, HIWORD(wParam)) : 0;
}

LRESULT CommandOptions(HWND window, WPARAM, LPARAM, WORD) {
    OpenOptionsDialog(window);
    return 0;
}

LRESULT CommandBreakTimer(HWND window, WPARAM, LPARAM, WORD) {
    return StartBreak(window);
}

LRESULT CommandDraw(HWND window, WPARAM, LPARAM, WORD) {
    SendMessageW(window, WM_HOTKEY, static_cast<WPARAM>(HotkeyId::Draw), 0);
    return 0;
}

LRESULT CommandZoom(HWND window, WPARAM, LPARAM, WORD) {
    SendMessageW(window, WM_HOTKEY, static_cast<WPARAM>(HotkeyId::Zoom), 0);
    return 0;
}

LRESULT CommandExit(HWND window, WPARAM, LPARAM, WORD) {
    ExitProgram(window);
    return 0;
}

LRESULT CommandCopy(HWND window, WPARAM, LPARAM, WORD) {
    return CopyScreenToClipboard(window);
}

LRESULT CommandSave(HWND window, WPARAM, LPARAM, WORD) {
    // The name is typed into the dialog: the hotkeys let their keys through until it is done
    // (a Shift+1 stored from an older version would take every "!"), then come back as the
    // options dialog's Cancel brings them back.
    UnregisterMainHotkeys(window);
    const LRESULT result = SaveZoomedImage(window);
    RegisterStoredHotkeysQuietly(window);
    return result;
}

// ---- Tables --------------------------------------------------------------------------------
// Each row unpacks wParam and lParam once for its typed handler.

constexpr std::array<DispatchRow<MessageHandler>, 25> kMessageTable = {{
    {WM_MOUSEMOVE, [](HWND w, UINT, WPARAM, LPARAM lp) { return OnMouseMove(w, lp); }},
    {WM_PAINT, [](HWND w, UINT, WPARAM, LPARAM) { return OnPaint(w); }},
    {WM_KILLFOCUS, [](HWND w, UINT, WPARAM, LPARAM) { return OnKillFocus(w); }},
    {WM_TIMER, OnTimer},
    {WM_LBUTTONDOWN,
     [](HWND w, UINT, WPARAM wp, LPARAM lp) { return OnLeftButtonDown(w, wp, lp); }},
    {WM_LBUTTONUP, [](HWND w, UINT, WPARAM, LPARAM lp) { return OnLeftButtonUp(w, lp); }},
    {WM_RBUTTONDOWN, [](HWND w, UINT, WPARAM, LPARAM) { return OnRightButtonDown(w); }},
    {WM_CAPTURECHANGED, [](HWND w, UINT, WPARAM, LPARAM) { return OnCaptureChanged(w); }},
    {WM_MOUSEWHEEL, [](HWND w, UINT, WPARAM wp, LPARAM) { return OnMouseWheel(w, wp); }},
    {kPointerDownMessage, UndoWithPenEraser},
    {WM_KEYDOWN, [](HWND w, UINT, WPARAM key, LPARAM) { return OnKeyDown(w, key); }},
    {WM_KEYUP, [](HWND w, UINT, WPARAM key, LPARAM lp) { return OnKeyUp(w, key, lp); }},
    {WM_CHAR, [](HWND w, UINT, WPARAM ch, LPARAM) { return OnTypingChar(w, ch); }},
    {WM_HOTKEY, [](HWND w, UINT, WPARAM id, LPARAM keys) { return OnHotkey(w, id, keys); }},
    {WM_COMMAND, [](HWND w, UINT, WPARAM wp, LPARAM lp) { return OnCommand(w, wp, lp); }},
    {kTrayNotifyMessage, [](HWND w, UINT, WPARAM, LPARAM lp) { return OnTrayNotify(w, lp); }},
    {kEndTypingMessage, [](HWND w, UINT, WPARAM reason, LPARAM) { return EndTyping(w, reason); }},
    {WM_GETMINMAXINFO,
     [](HWND, UINT, WPARAM, LPARAM lp) {
         return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
     }},
    {WM_DISPLAYCHANGE, [](HWND w, UINT, WPARAM, LPARAM) { return OnDisplayChange(w); }},
    {WM_CLOSE,
     [](HWND w, UINT, WPARAM, LPARAM) {
         ExitProgram(w);
         return LRESULT(0);
     }},
    {WM_QUERYENDSESSION, [](HWND, UINT, WPARAM, LPARAM) { return OnQueryEndSession(); }},
    {WM_ENDSESSION, [](HWND w, UINT, WPARAM ending, LPARAM) { return OnEndSession(w, ending); }},
    {WM_CREATE, [](HWND w, UINT, WPARAM, LPARAM) { return OnCreate(w); }},
    {WM_DESTROY, [](HWND w, UINT, WPARAM, LPARAM) { return OnDestroy(w); }},
    {kQuerySystemGestureStatus, [](HWND, UINT, WPARAM, LPARAM) { return LRESULT(kGesturesOff); }},
}};

constexpr std::array<DispatchRow<CommandHandler>, 7> kCommandTable = {{
    {static_cast<uint32_t>(Command::Options), CommandOptions},
    {static_cast<uint32_t>(Command::BreakTimer), CommandBreakTimer},
    {static_cast<uint32_t>(Command::Draw), CommandDraw},
    {static_cast<uint32_t>(Command::Zoom), CommandZoom},
    {static_cast<uint32_t>(Command::Exit), CommandExit},
    {static_cast<uint32_t>(Command::Copy), CommandCopy},
    {static_cast<uint32_t>(Command::Save), CommandSave},
}};

static_assert(IDM_SAVE == static_cast<int>(Command::Save));
static_assert(IDM_COPY == static_cast<int>(Command::Copy));

} // namespace

std::span<const DispatchRow<MessageHandler>> MainMessageTable() {
    return kMessageTable;
}

std::span<const DispatchRow<CommandHandler>> MainCommandTable() {
    return kCommandTable;
}

void ExitProgram(HWND window) {
    // A later call (ExitWhenUnwound, or another way out meanwhile) finds what came since.
    const bool again = app.exitStarted != 0;
    if (!again) {
        app.exitStarted = 1;
        EndEveryMode(window);
        // A live zoom still showing hid the system cursor; its window gives the cursor back as
        // it is destroyed, which the end of the process alone would not do.
        if (app.liveZoomWindow != nullptr) {
            DestroyWindow(app.liveZoomWindow);
        }
        RemoveTrayIcon(window);
        WriteExitSettings();
    }
    // The way out may come inside the loop of a dialog, a chooser, a box or a menu that one of
    // this window's handlers runs (Exit from the tray over the options dialog, a WM_CLOSE from
    // outside, the end of the session): this window must outlive those loops and the code
    // around them. They are ended, and a timer comes back once they have returned.
    const std::vector<HWND> loops = LoopWindows();
    if (handlerDepth > 1 || !loops.empty()) {
        EndModalLoops(loops);
        SetTimer(window, static_cast<UINT_PTR>(MainTimer::ExitWhenUnwound), 100, nullptr);
        return;
    }
    if (again) {
        EndEveryMode(window);   // a zoom the save dialog kept is over by now
        RemoveTrayIcon(window); // the first run's dialog ends before creation adds the icon
    }
    DestroyWindow(window);
}

// No exception may cross into the system, which called us. The only one the handlers can meet
// is running out of memory (a snapshot, a typed character, the view's scratch): the message is
// dropped, and once the outermost handler has returned (handlers send each other messages) the
// zoom or break ends at once as Escape would end it, which frees the surfaces and snapshots.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static bool outOfMemory = false;
    LRESULT result = 0;
    if (message == TaskbarCreatedMessage() && message != 0) {
        UpdateTrayIcon(window);
        return 0;
    }
    ++handlerDepth;
    try {
        const auto* row = FindDispatchRow(MainMessageTable(), message);
        result = row != nullptr ? row->handler(window, message, wParam, lParam)
                                : DefWindowProcW(window, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    --handlerDepth;
    if (handlerDepth == 0 && outOfMemory) {
        outOfMemory = false;
        EndEveryMode(window);
    }
    return result;
}

HWND CreateMainWindow(HINSTANCE instance) {
    app.instance = instance;
    if (optionalFunctions.MagInitialize != nullptr) {
        RegisterLiveZoomClass(instance);
    } else {
        // No live zoom on this system. Set before the settings are read, so a stored value
        // still replaces it.
        app.settings.HotkeyLivezoom = 0;
    }

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    // Fully transparent: over the zoom view the program paints its own pen marker.
    windowClass.hCursor = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_TRANSPARENT));
    windowClass.lpszClassName = kMainWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        return nullptr;
    }
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, kMainWindowTitle, WS_POPUP, 0,
                                  0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    app.mainWindow = window;
    SetPropW(window, kTabletServiceProperty,
             reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(kGesturesOff)));
    UseInputMethod(window, false); // typing takes one while it lasts
    ShowWindow(window, SW_HIDE);
    UpdateTrayIcon(window);
    return window;
}
