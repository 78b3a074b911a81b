// Driving the real program from outside, for the end-to-end tests and the tour: start
// dist/Vistrel64.exe as a separate process, find its windows and dialogs, read and write the
// registry it uses, probe which global hotkeys are held, send input and look at the screen.
// Nothing here reaches into the program's memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/message_box_watcher.h"
#include "support/png_file.h"
#include "support/stored_settings.h"
#include "support/wait_until.h"
#include "zoom/zoom_geometry.h"

// The program's commands (tray menu, second start) and the tray icon's message.
constexpr uint32_t kExitCommand = 2;
constexpr uint32_t kOptionsCommand = 1004;
constexpr UINT kTrayNotifyMessage = 1124;

// A Unix path (under drive Z:) as Windows sees it; a Windows path stays as it is.
std::wstring WindowsPath(const std::wstring& path);
std::wstring VistrelExePath(); // the program under test (VISTREL_EXE)

// A copy of the program. The destructor ends it if it still runs, so a failed test never leaves
// an instance behind for the next one to hand over to.
struct VistrelProcess {
    PROCESS_INFORMATION info = {};
    VistrelProcess() = default;
    VistrelProcess(const VistrelProcess&) = delete;
    ~VistrelProcess() { End(); }
    // Ends a copy this one still holds, then starts the program with `arguments`.
    void Start(const std::wstring& arguments = L"");
    void End(); // terminates a copy that still runs and closes the handles
    DWORD Id() const { return info.dwProcessId; }
    bool Running() const {
        return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
    }
    bool Idle() const { return WaitForInputIdle(info.hProcess, 0) == 0; }
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const; // the exit code, once ended
};

// The first top-level window of the class that the process (0: any) owns; none after the timeout.
HWND WaitForWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly = true,
                     DWORD timeoutMs = 5000);
// The main window ("VistrelClass") of the process once the program waits for input (its window
// created, its hotkeys registered); none after the timeout.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 10000);
bool HasFocus(HWND control);                // its thread's keyboard focus, in another process too
inline bool HasKeyboardFocus(HWND window) { // the foreground window, with the focus
    return GetForegroundWindow() == window && HasFocus(window);
}
// The control with this id anywhere under `root` (an options page is a child dialog).
HWND DescendantOf(HWND root, int id, bool visibleOnly = true);
std::wstring ControlText(HWND control); // WM_GETTEXT, which reaches other processes
inline void PostCommand(HWND mainWindow, uint32_t command) {
    PostMessageW(mainWindow, WM_COMMAND, command, 0);
}
// A visible dialog box of the process that is none of `known`; none after the timeout.
HWND WaitForNewDialog(DWORD processId, std::initializer_list<HWND> known);
std::vector<HWND> OptionsDialogsOf(DWORD processId); // the visible ones
// The one options dialog once it is ready: shown early in its set-up, it is done when the
// version line (written last) shows, it is in front and the program waits for input.
HWND WaitForOptionsDialog(const VistrelProcess& vistrel);
// Opens the tray icon's menu as a click on the icon does (the button-down makes the program the
// foreground one, the button-up opens the menu); the menu's window, none when it did not show.
HWND OpenTrayMenu(HWND mainWindow);

// The current user's registry, where the program keeps its settings (read with StoredSetting).
constexpr const wchar_t* kTestSettingsKey = L"Software\\tarnove\\Vistrel";
constexpr const wchar_t* kTestRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void ClearProgramRegistry(); // the vendor key and the Run value
inline void WriteSettingDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, REG_DWORD, &value, sizeof value);
}
void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value);
std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name);

// Global hotkeys, in the hotkey-control encoding (0x131 is Shift+1). Held elsewhere when
// registering it here fails; the probe holds the combination for a moment, so use it only while
// the program is not registering (after WaitForMainWindow).
struct HeldHotkey { // this process holds the combination, as "another program"
    explicit HeldHotkey(uint32_t value);
    ~HeldHotkey() { Release(); }
    void Release();
    bool held = false;
    int id;
};
inline bool HotkeyHeldElsewhere(uint32_t value) {
    return !HeldHotkey(value).held;
}

// ---- Input, as a presenter gives it (SendInput) ----
void SendKey(WORD virtualKey, bool up);
void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0);
// An absolute position aimed at the pixel's centre: x * 65536 / width can land one short.
void SendAbsolute(DWORD flags, int x, int y);
inline void PressKey(WORD virtualKey) {
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
}
inline void PressWith(WORD modifier, WORD virtualKey) { // the modifier held around the key
    SendKey(modifier, false);
    PressKey(virtualKey);
    SendKey(modifier, true);
}
inline void PressShifted(WORD virtualKey) {
    PressWith(VK_SHIFT, virtualKey);
}
inline void PressWithCtrl(WORD virtualKey) {
    PressWith(VK_CONTROL, virtualKey);
}
// Ctrl down, the key pressed `times` times, Ctrl up, in one SendInput call: the program takes
// the last key from its queue long after Ctrl went up, as after a busy moment or from a
// presenter's remote.
void PressWithCtrlQueued(WORD virtualKey, int times);
// Moves the real cursor to a screen point and waits until it stays there.
void MoveMouseTo(int x, int y);
inline void TurnWheel(int delta) {
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
}
inline void ClickRight() {
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
}
// Button events carry their own position: a late echo could give them the one before the move.
inline void PressLeft(int x, int y) {
    SendAbsolute(MOUSEEVENTF_LEFTDOWN, x, y);
}
inline void ReleaseLeft(int x, int y) {
    SendAbsolute(MOUSEEVENTF_LEFTUP, x, y);
}
inline void ClickAt(int x, int y) {
    MoveMouseTo(x, y);
    PressLeft(x, y);
    ReleaseLeft(x, y);
}
void ClickOn(HWND window, int dx = -1, int dy = -1); // at (dx, dy) in it, else its centre
void DragTo(int fromX, int fromY, int x, int y, int steps = 10); // with the left button

// ---- The screen ----
// A 32-bit top-down picture, such as a copy of the whole screen as the user sees it.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Screenshot&) const = default;
};
// What `paint` draws on a width x height picture (a DIB section, black at first).
Screenshot Painted(int width, int height, const std::function<void(HDC)>& paint);
RECT PrimaryMonitor(); // (0, 0) and the primary monitor's size
// A copy of a part of the screen (screen coordinates), the primary monitor by default.
Screenshot CaptureScreen(const RECT& area = PrimaryMonitor());
// The screen once two captures in a row agree (another process's painting reaches the screen a
// little after it went idle), or the last capture after the timeout.
Screenshot CaptureSettledScreen(DWORD timeoutMs = 3000);
Screenshot PixelsOfBitmap(HBITMAP bitmap); // one not selected into a device context
int CountColour(const Screenshot& shot, RECT area, uint32_t colour);
// True when `colour` lies within one pixel of (x, y), where a pen's rounding may move its line.
inline bool ColourNear(const Screenshot& shot, int x, int y, uint32_t colour) {
    return CountColour(shot, {x - 1, y - 1, x + 2, y + 2}, colour) > 0;
}
// The capture pixel that screen pixel (x, y) shows when the view is magnified `zoom` times
// around `zoomPoint` on a width x height screen.
CapturePoint ZoomedSource(float zoom, CapturePoint zoomPoint, int width, int height, int x, int y);
// True when `shot` (a monitor's picture over the coordinate slide) shows the capture magnified
// `zoom` times around `zoomPoint`: the corners and the centre decode to where the view's
// geometry puts them, within the one pixel of rounding that stretching allows.
bool ShowsView(const Screenshot& shot, float zoom, CapturePoint zoomPoint);

// A PNG of width x height, its left half one colour and its right half another (ARGB).
bool WriteTwoColourPng(const std::wstring& path, int width, int height, uint32_t left,
                       uint32_t right);
inline bool SaveScreenshot(const Screenshot& shot, const std::wstring& path) {
    return WritePng(path, shot.width, shot.height, shot.pixels.data());
}
// Keeps `shot` as NAME.png in the folder VISTREL_TEST_SHOTS names (tests/support/wine-run sets
// it to the folder of the run's prefixes).
void KeepScreenshot(const std::wstring& name, const Screenshot& shot = CaptureScreen());
void KeepScreenshotOfFailure(); // in TearDown: every monitor as failed-<test>.png
std::wstring TempPath(const wchar_t* name); // a file in the temporary folder

// A full-screen, topmost window standing in for a slide, on a thread of its own so it keeps
// painting while the test waits. With the coordinate fill every pixel tells its own position:
// red = x mod 256, green = y mod 256, blue = (x / 256) * 16 + y / 256; the white fill is a blank
// slide to draw on. Put the pointer in place first: a window appearing under it makes the X
// server report its place again, late (docs/WINE.md).
enum class SlideFill { Coordinates, White };
// On another monitor the coordinates are those within that monitor (what its capture holds).
struct PatternWindow {
    explicit PatternWindow(SlideFill fill = SlideFill::Coordinates,
                           const RECT& monitor = PrimaryMonitor());
    // Shows `picture` over the monitor, which it must fit.
    explicit PatternWindow(Screenshot picture, const RECT& monitor = PrimaryMonitor());
    ~PatternWindow();
    Screenshot picture;
    RECT place; // the monitor it covers
    HWND window = nullptr;
    std::thread thread;
};
struct DecodedPoint {
    int x;
    int y;
};
DecodedPoint DecodePattern(uint32_t pixel);
// The coordinate slide unchanged at a spread of points of the monitor (the primary one).
bool MonitorShowsPlainPattern(const RECT& monitor);
inline bool ScreenShowsPlainPattern() {
    return MonitorShowsPlainPattern(PrimaryMonitor());
}
