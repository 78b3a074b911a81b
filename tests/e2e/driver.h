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

// A copy of the program, ended by the destructor if it still runs, so that a failed test never
// leaves an instance for the next one to hand over to.
struct VistrelProcess {
    PROCESS_INFORMATION info = {};
    VistrelProcess() = default;
    VistrelProcess(const VistrelProcess&) = delete;
    ~VistrelProcess() { End(); }
    void Start(const std::wstring& arguments = L""); // ends a copy still held first
    void End();
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
// The main window once the program waits for input (window created, hotkeys registered).
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 10000);
bool HasFocus(HWND control); // its thread's keyboard focus, in another process too
inline bool HasKeyboardFocus(HWND window) {
    return GetForegroundWindow() == window && HasFocus(window);
}
HWND DescendantOf(HWND root, int id);   // visible; an options page is a child
std::wstring ControlText(HWND control); // WM_GETTEXT reaches others
inline void PostCommand(HWND mainWindow, uint32_t command) {
    PostMessageW(mainWindow, WM_COMMAND, command, 0);
}
std::vector<HWND> OptionsDialogsOf(DWORD processId); // the visible ones
// The one options dialog once it is ready: its version line (written last) shows, it is in
// front and the program waits for input.
HWND WaitForOptionsDialog(const VistrelProcess& vistrel);
// Opens the tray icon's menu as a right click does (a left click's menu waits for the
// double-click time); the menu's window, none when it did not show.
HWND OpenTrayMenu(HWND mainWindow);

// A pixel of the program's tray icon (the magnifier's blue ring) in the notification area at
// the bottom right of the screen, as it is now; none when the icon is not there.
std::optional<POINT> TrayIconOnScreen();

// The current user's registry, where the program keeps its settings (read with StoredSetting).
constexpr const wchar_t* kTestSettingsKey = L"Software\\tarnove\\Vistrel";
constexpr const wchar_t* kTestRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void ClearProgramRegistry(); // the vendor key and the Run value
inline void WriteSettingDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, REG_DWORD, &value, sizeof value);
}
void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value);
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
void SendAbsolute(DWORD flags, int x, int y);
// The key pressed, with the modifiers (if any) held around it.
void PressKey(WORD virtualKey, std::initializer_list<WORD> modifiers = {});
inline void PressShifted(WORD virtualKey) {
    PressKey(virtualKey, {VK_SHIFT});
}
inline void PressWithCtrl(WORD virtualKey) {
    PressKey(virtualKey, {VK_CONTROL});
}
// The program's four hotkeys at their defaults, as a presenter presses them. Tests press these
// rather than the keys themselves, so the defaults are written in one place.
inline void PressZoomHotkey() {
    PressWithCtrl('1');
}
inline void PressDrawHotkey() {
    PressWithCtrl('2');
}
inline void PressBreakHotkey() {
    PressWithCtrl('3');
}
inline void PressLiveZoomHotkey() {
    PressWithCtrl('4');
}
// Ctrl down, the key pressed `times` times, Ctrl up, in one SendInput call: the program takes
// the last key from its queue long after Ctrl went up, as after a busy moment.
void PressWithCtrlQueued(WORD virtualKey, int times);
void MoveMouseTo(int x, int y); // and waits until the cursor stays there
inline void MoveMouseTo(POINT p) {
    MoveMouseTo(p.x, p.y);
}
POINT CursorPosition();
bool CursorAt(POINT p);
// Button events carry their own position: a late echo could give them the one before the move.
inline void PressLeft(int x, int y) {
    SendAbsolute(MOUSEEVENTF_LEFTDOWN, x, y);
}
inline void ReleaseLeft(int x, int y) {
    SendAbsolute(MOUSEEVENTF_LEFTUP, x, y);
}
void ClickAt(int x, int y);
void ClickOn(HWND window);                       // at its centre
void DragTo(int fromX, int fromY, int x, int y); // with the left button, in ten moves

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
// The capture pixel that screen pixel (x, y) shows, magnified `zoom` times around `zoomPoint`
// on a width x height screen.
CapturePoint ZoomedSource(float zoom, CapturePoint zoomPoint, int width, int height, int x, int y);
// Where Wine's taskbar lies on the screen; empty where there is none.
RECT TaskbarRect();
// Whether `shot` (a monitor over the coordinate slide) shows it magnified `zoom` times around
// `zoomPoint`: corners (the bottom ones above the taskbar) and centre decode to where the
// geometry puts them, within the one pixel that stretching may round. Empty when they do, else
// each probe that decoded elsewhere and where it should have.
std::string ViewMismatches(const Screenshot& shot, float zoom, CapturePoint zoomPoint);
// Waits until `monitor` shows that view; a failure says what the last screenshot's probes showed.
testing::AssertionResult ViewShownSoon(float zoom, CapturePoint zoomPoint,
                                       const RECT& monitor = PrimaryMonitor());

// A PNG whose left half is one colour and right half another (ARGB).
bool WriteTwoColourPng(const std::wstring& path, int width, int height, uint32_t left,
                       uint32_t right);
// Keeps `shot` as NAME.png in the folder VISTREL_TEST_SHOTS names (set by tests/support/wine-run).
void KeepScreenshot(const std::wstring& name, const Screenshot& shot = CaptureScreen());
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
inline bool ScreenShowsPlainPattern() {
    return MonitorShowsPlainPattern(PrimaryMonitor());
}
