// Driving the real program from outside, for the end-to-end tests and the tour: start
// dist/Vistrel64.exe as a separate process, find its windows and dialogs, use its registry,
// probe which global hotkeys are held, send input and look at the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/message_box_watcher.h"
#include "support/png_file.h"
#include "support/stored_settings.h"
#include "support/wait_until.h"
#include "zoom/zoom_geometry.h"

// The program's commands (tray menu, second start) and the tray icon's message.
constexpr uint32_t kExitCommand = 2;
constexpr uint32_t kOptionsCommand = 1004;
constexpr UINT kTrayNotifyMessage = 1124;

std::wstring WindowsPath(const std::wstring& path); // a Unix path as drive Z:, else unchanged
std::wstring VistrelExePath();                      // the program under test (VISTREL_EXE)

// The first top-level window of the class that the process (0: any) owns; none after the timeout.
HWND WaitForWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly = true,
                     DWORD timeoutMs = 5000);
// The main window once the program waits for input (window created, hotkeys registered).
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 10000);
bool HasFocus(HWND control); // its thread's keyboard focus, in another process too
inline const auto HasKeyboardFocus = [](HWND w) {
    return GetForegroundWindow() == w && HasFocus(w);
};
HWND DescendantOf(HWND root, int id);                // visible; an options page is a child
std::vector<HWND> OptionsDialogsOf(DWORD processId); // the visible ones
// Posts the button's command to the dialog and waits until it has gone.
bool CloseDialog(HWND dialog, int button = IDCANCEL);

// A copy of the program, ended by the destructor if it still runs, so that a failed test never
// leaves an instance for the next one to hand over to. With the main window (StartReady) it
// waits for what the presenter sees: the window shown or hidden, taking keys.
struct VistrelProcess {
    PROCESS_INFORMATION info = {};
    HWND mainWindow = nullptr;
    VistrelProcess() = default;
    VistrelProcess(const VistrelProcess&) = delete;
    ~VistrelProcess() { End(); }
    void Start(const std::wstring& arguments = L"");      // ends a copy still held first
    bool StartReady(const std::wstring& arguments = L""); // and waits for the main window
    void End();
    DWORD Id() const { return info.dwProcessId; }
    bool Running() const {
        return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
    }
    bool Idle() const { return WaitForInputIdle(info.hProcess, 0) == 0; }
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const; // the exit code, once ended
    bool Exit(); // with the tray menu's Exit, ending with code 0
    void Command(uint32_t command) const { PostMessageW(mainWindow, WM_COMMAND, command, 0); }
    bool Shown() const { return IsWindowVisible(mainWindow) != 0; }
    bool WaitShown() const;
    bool WaitHidden() const;
    bool WaitForKeys() const;
    bool Escape() const; // once the main window takes keys: ends the zoom, the drawing or the break
    // The one options dialog once it is ready: its version line (written last) shows, it is in
    // front and the program waits for input.
    HWND WaitForOptionsDialog() const;
    HWND OpenOptions() const { return Command(kOptionsCommand), WaitForOptionsDialog(); }
    // Opens the tray icon's menu as a right click does (a left click's menu waits for the
    // double-click time); the menu's window, none when it did not show.
    HWND OpenTrayMenu() const;
};

// A pixel of the program's tray icon (the magnifier's blue ring) in the notification area at
// the bottom right of the screen, as it is now; none when the icon is not there.
std::optional<POINT> TrayIconOnScreen();

// The current user's registry, where the program keeps its settings (stored_settings.h).
// The vendor key and the Run value removed; then, unless `firstRun`, the first run marked done.
void ClearProgramRegistry(bool firstRun = true);
std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name);

// A global hotkey (hotkey-control encoding: 0x231 is Ctrl+1) registered by this process under
// `id`, as by "another program"; whether it could be. Probing holds it for a moment, so probe
// only while the program is not registering (after WaitForMainWindow).
bool HoldHotkey(uint32_t value, int id);
bool HotkeyHeldElsewhere(uint32_t value);

// ---- Input, as a presenter gives it (SendInput) ----
void SendKey(WORD virtualKey, bool up);
void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0);
// An absolute position aimed at the pixel's centre: x * 65536 / width can land one short.
// Button events carry their own position: a late echo could give them the one before the move.
void SendAbsolute(DWORD flags, POINT p);
// The key pressed, with the modifiers (if any) held around it.
void PressKey(WORD virtualKey, std::initializer_list<WORD> modifiers = {});
inline const auto PressWithCtrl = [](WORD key) { PressKey(key, {VK_CONTROL}); };
// The keys of the program's four hotkeys, which are Ctrl plus these by default.
enum : WORD { kZoomKey = '1', kDrawKey, kBreakKey, kLiveZoomKey };
// Ctrl down, the key pressed `times` times, Ctrl up, in one SendInput call: the program takes
// the last key from its queue long after Ctrl went up, as after a busy moment.
void PressWithCtrlQueued(WORD virtualKey, int times);
void MoveMouseTo(POINT p); // and waits until the cursor stays there
POINT CursorPosition();
bool CursorAt(POINT p);
void ClickAt(POINT p);
void ClickOn(HWND window);         // at its centre
void DragTo(POINT from, POINT to); // with the left button, in ten moves

// ---- The screen ----
// A 32-bit top-down picture, 0x00RRGGBB, such as a copy of the screen as the user sees it.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Screenshot&) const = default;
};
// What `paint` draws on a width x height DIB section, black at first.
Screenshot Painted(int width, int height, const std::function<void(HDC)>& paint);
RECT PrimaryMonitor();
// A part of the screen (screen coordinates), the primary monitor by default.
Screenshot CaptureScreen(const RECT& area = PrimaryMonitor());
// The screen once two captures in a row agree (another process's painting reaches the screen a
// little after it went idle), or the last capture after the timeout.
Screenshot CaptureSettledScreen(DWORD timeoutMs = 3000);
Screenshot PixelsOfBitmap(HBITMAP bitmap); // one not selected into a device context
// The clipboard's bitmap, opened only once the program has put one there so that it never finds
// the clipboard busy; empty when none came.
Screenshot ClipboardPicture();
int CountColour(const Screenshot& shot, RECT area, uint32_t colour);
// `colour` within one pixel of (x, y), where a pen's rounding may move its line.
inline bool ColourNear(const Screenshot& shot, int x, int y, uint32_t colour) {
    return CountColour(shot, {x - 1, y - 1, x + 2, y + 2}, colour) > 0;
}
// Pixel (x, y) of `shot` as `slide`'s faded by the break's desktop (0x4F of 255 over black),
// each channel within 2: faded twice, bright channels come out far darker.
bool FadedOnce(const Screenshot& shot, const Screenshot& slide, int x, int y);
// The capture pixel that screen pixel (x, y) shows, magnified `zoom` times around `zoomPoint`
// on a width x height screen.
CapturePoint ZoomedSource(float zoom, CapturePoint zoomPoint, int width, int height, int x, int y);
// Whether `shot` (a monitor over the coordinate slide) shows it magnified `zoom` times around
// `zoomPoint`: corners (the bottom ones above the taskbar) and centre decode to where the
// geometry puts them, within the one pixel that stretching may round. Empty when they do, else
// each probe that decoded elsewhere and where it should have.
std::string ViewMismatches(const Screenshot& shot, float zoom, CapturePoint zoomPoint);
// Waits until `monitor` shows that view; a failure says what the last screenshot's probes showed.
testing::AssertionResult ViewShownSoon(float zoom, CapturePoint zoomPoint,
                                       const RECT& monitor = PrimaryMonitor());

// A PNG in the temporary folder, its left half one colour and its right half another (ARGB),
// removed again by the destructor.
struct TempPng {
    TempPng(const wchar_t* name, int width, int height, uint32_t left, uint32_t right);
    ~TempPng() { DeleteFileW(path.c_str()); }
    std::wstring path;
    bool written;
};
void KeepScreenshotOfFailure(); // in TearDown: every monitor as failed-<test>.png
std::wstring TempPath(const wchar_t* name);

// A window of this process on a thread of its own, so that it paints and takes keys while the
// test waits: `create` makes it there. Closed, and its thread ended, on destruction.
struct WindowThread {
    explicit WindowThread(const std::function<HWND()>& create);
    ~WindowThread();
    HWND window = nullptr;
    DWORD threadId = 0;
    std::thread thread;
};

// A full-screen, topmost slide. In the coordinate fill every pixel tells its position within the
// monitor: red = x mod 256, green = y mod 256, blue = (x / 256) * 16 + y / 256; the white fill
// is a blank slide. Put the pointer in place first: a window appearing under it makes X report
// its place again, late.
enum class SlideFill { Coordinates, White };
struct PatternWindow {
    explicit PatternWindow(SlideFill fill = SlideFill::Coordinates,
                           const RECT& monitor = PrimaryMonitor());
    explicit PatternWindow(Screenshot picture, const RECT& monitor = PrimaryMonitor());
    Screenshot picture;
    RECT place;
    WindowThread shown;
    HWND window;
};
struct DecodedPoint {
    int x, y;
};
DecodedPoint DecodePattern(uint32_t pixel);
// The coordinate slide unchanged at a spread of points of the monitor.
bool MonitorShowsPlainPattern(const RECT& monitor);
inline const auto ScreenShowsPlainPattern = [] {
    return MonitorShowsPlainPattern(PrimaryMonitor());
};
