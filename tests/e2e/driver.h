// Driving the real program from outside, for the end-to-end tests and the tour: start
// dist/Vistrel64.exe as a separate process, find its windows and dialogs, read and write the
// registry it uses, probe which global hotkeys are held, send input and look at the screen.
// Nothing here reaches into the program's memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/message_box_watcher.h"
#include "support/stored_settings.h"
#include "support/wait_until.h"
#include "zoom/zoom_geometry.h"

// The program's commands (tray menu, second start) and the tray icon's message.
constexpr uint32_t kExitCommand = 2;
constexpr uint32_t kOptionsCommand = 1004;
constexpr UINT kTrayNotifyMessage = 1124;

// A Unix path (under drive Z:) as Windows sees it; a Windows path stays as it is.
std::wstring WindowsPath(const std::wstring& path);
// The program under test (VISTREL_EXE).
std::wstring VistrelExePath();

// A started copy of the program. The destructor ends it if it still runs, so a failed test never
// leaves an instance behind for the next one to hand over to.
struct VistrelProcess {
    PROCESS_INFORMATION info = {};
    VistrelProcess() = default;
    VistrelProcess(VistrelProcess&& other) noexcept;
    VistrelProcess& operator=(VistrelProcess&& other) noexcept;
    ~VistrelProcess() { End(); }
    void End(); // terminates a copy that still runs and closes the handles

    DWORD Id() const { return info.dwProcessId; }
    bool Running() const;
    bool Idle() const { return WaitForInputIdle(info.hProcess, 0) == 0; }
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const; // the exit code, once ended
};

// Starts the program with `arguments` appended to its quoted path.
VistrelProcess StartVistrel(const std::wstring& arguments = L"");
// The main window ("VistrelClass") of the process once the program waits for input (its window
// created, its hotkeys registered); none after the timeout.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 10000);

// True when keys go to `window`: the foreground window with its thread's keyboard focus.
bool HasKeyboardFocus(HWND window);
// True when `control` has its thread's keyboard focus, in another process too.
bool HasFocus(HWND control);
// The control with this id anywhere under `root` (an options page is a child dialog).
HWND DescendantOf(HWND root, int id, bool visibleOnly = true);
std::wstring ControlText(HWND control); // WM_GETTEXT, which reaches other processes
void PostCommand(HWND mainWindow, uint32_t command);

// The visible options dialogs of the process.
std::vector<HWND> OptionsDialogsOf(DWORD processId);
// The one options dialog of the process once it is ready: shown early in its set-up, it is done
// when the version line (written last) shows, it is in front and the program waits for input.
HWND WaitForOptionsDialog(const VistrelProcess& vistrel);
// Opens the tray icon's menu as a click on the icon does (the button-down makes the program the
// foreground one, the button-up opens the menu); the menu's window, none when it did not show.
HWND OpenTrayMenu(HWND mainWindow);

// The registry of the current user, where the program keeps its settings (read them with
// StoredSetting and StoredText).
constexpr const wchar_t* kTestSettingsKey = L"Software\\tarnove\\Vistrel";
constexpr const wchar_t* kTestRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void ClearProgramRegistry(); // the vendor key and the Run value
void WriteSettingDword(const wchar_t* name, DWORD value);
void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value);
std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name);

// Global hotkeys, in the hotkey-control encoding (0x131 is Shift+1). True when another program
// holds the combination: registering it here fails. The probe holds the combination for a
// moment, so use it only while the program is not registering (after WaitForMainWindow).
bool HotkeyHeldElsewhere(uint32_t value);
// Holds a combination for this process (as "another program") until Release or destruction.
struct HeldHotkey {
    explicit HeldHotkey(uint32_t value);
    ~HeldHotkey() { Release(); }
    void Release();
    bool held = false;
    int id;
};

// ---- Input, as a presenter gives it (SendInput) ----
void SendKey(WORD virtualKey, bool up);
void PressKey(WORD virtualKey);
void PressWith(WORD modifier, WORD virtualKey); // the modifier held around the key
inline void PressShifted(WORD virtualKey) {
    PressWith(VK_SHIFT, virtualKey);
}
inline void PressWithCtrl(WORD virtualKey) {
    PressWith(VK_CONTROL, virtualKey);
}
// Moves the real cursor to a screen point and waits until it stays there (at most a second per
// try: a clipped cursor may never get there).
void MoveMouseTo(int x, int y);
void TurnWheel(int delta);
void ClickRight();
// The left button at a screen point (the event carries the position).
void PressLeft(int x, int y);
void ReleaseLeft(int x, int y);
void ClickAt(int x, int y);
void ClickOn(HWND window, int dx = -1, int dy = -1); // at (dx, dy) in it, else its centre
// Drags with the left button from (fromX, fromY) through `steps` moves to (x, y).
void DragTo(int fromX, int fromY, int x, int y, int steps = 10);

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
Screenshot CaptureScreen();
// The screen once two captures in a row agree (another process's painting reaches the screen a
// little after it went idle), or the last capture after the timeout.
Screenshot CaptureSettledScreen(DWORD timeoutMs = 3000);
Screenshot PixelsOfBitmap(HBITMAP bitmap); // one not selected into a device context
int CountColour(const Screenshot& shot, RECT area, uint32_t colour);
// True when `colour` lies within one pixel of (x, y): a pen covers its ideal line even where
// rounding moves it by one.
bool ColourNear(const Screenshot& shot, int x, int y, uint32_t colour);
// The capture pixel that screen pixel (x, y) shows in a view magnified `zoom` times around
// `zoomPoint` on a width x height screen.
CapturePoint ZoomedSource(float zoom, CapturePoint zoomPoint, int width, int height, int x, int y);

// Writes a PNG of width x height, its left half one colour and its right half another (ARGB).
bool WriteTwoColourPng(const std::wstring& path, int width, int height, uint32_t left,
                       uint32_t right);
bool SaveScreenshot(const Screenshot& shot, const std::wstring& path);
// Keeps `shot` (by default the screen) as NAME.png in the folder VISTREL_TEST_SHOTS names
// (tests/support/wine-run sets it to the folder of the run's prefixes).
void KeepScreenshot(const std::wstring& name, const Screenshot& shot = CaptureScreen());
// In a fixture's TearDown: keeps the screen as failed-<test>.png when the test failed.
void KeepScreenshotOfFailure();
std::wstring TempPath(const wchar_t* name); // a file in the temporary folder

// A full-screen, topmost window standing in for a slide, on a thread of its own so it keeps
// painting while the test waits. With the coordinate fill every pixel tells its own position:
// red = x mod 256, green = y mod 256, blue = (x / 256) * 16 + y / 256; the white fill is a blank
// slide to draw on. Put the pointer in place first: a window appearing under it makes the X
// server report its place again, late (docs/WINE.md).
enum class SlideFill { Coordinates, White };
struct PatternWindow {
    explicit PatternWindow(SlideFill fill = SlideFill::Coordinates);
    explicit PatternWindow(Screenshot picture); // shows `picture`, as large as the screen
    ~PatternWindow();
    Screenshot picture;
    HWND window = nullptr;
    std::thread thread;
};
struct DecodedPoint {
    int x;
    int y;
};
DecodedPoint DecodePattern(uint32_t pixel);
// True when the screen shows the coordinate slide unchanged at a spread of points.
bool ScreenShowsPlainPattern();
