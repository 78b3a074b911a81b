// Driving the real program from outside, for the end-to-end tests: start dist/Vistrel64.exe as
// a separate process, find its windows, read and write the registry it uses, probe which global
// hotkeys are held, and send input. Nothing here reaches into the program's memory.
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

// The program under test as a Windows path (from VISTREL_EXE, a Unix path under drive Z:).
std::wstring VistrelExePath();

// A started copy of the program. The destructor ends it if it still runs, so a failed test never
// leaves an instance behind for the next one to hand over to.
struct VistrelProcess {
    PROCESS_INFORMATION info = {};
    VistrelProcess() = default;
    VistrelProcess(VistrelProcess&& other) noexcept;
    VistrelProcess& operator=(VistrelProcess&& other) noexcept;
    ~VistrelProcess();
    void End(); // terminates a copy that still runs and closes the handles

    DWORD Id() const { return info.dwProcessId; }
    bool Running() const;
    // The exit code, once the process ended within the timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
};

// Starts the program with `arguments` appended to its quoted path.
VistrelProcess StartVistrel(const std::wstring& arguments = L"");

// The main window ("VistrelClass") of the given process once the program is ready (its window
// created, its hotkeys registered, waiting for input); none after the timeout.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 10000);

// True when keys go to `window`: it is the foreground window and has its thread's keyboard
// focus (activation sets the focus a little after the foreground changes).
bool HasKeyboardFocus(HWND window);

// The control with this id anywhere under `root` (an options page is a child dialog of the
// options dialog); with `visibleOnly`, only one that shows.
HWND DescendantOf(HWND root, int id, bool visibleOnly = true);

// Posts a command to the main window as the tray menu does.
void PostCommand(HWND mainWindow, uint32_t command);

// Registry of the current user, where the program keeps its settings.
constexpr const wchar_t* kTestSettingsKey = L"Software\\tarnove\\Vistrel";
constexpr const wchar_t* kTestRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void ClearProgramRegistry(); // the vendor key and the Run value
void WriteSettingDword(const wchar_t* name, DWORD value);
std::optional<DWORD> ReadSettingDword(const wchar_t* name);
std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name);
bool KeyExists(const wchar_t* keyPath);
void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value);

// Global hotkeys, in the hotkey-control encoding (0x131 is Shift+1).
// True when another program holds the combination: registering it here fails. The probe holds
// the combination for a moment, so use it only when the program is not registering at the
// same time (after WaitForMainWindow).
bool HotkeyHeldElsewhere(uint32_t value);
// Holds a combination for this process (as "another program") until Release or destruction.
struct HeldHotkey {
    explicit HeldHotkey(uint32_t value);
    ~HeldHotkey();
    void Release();
    bool held = false;
    int id;
};

// The system's readable name of a combination, composed as the program composes it.
std::wstring ExpectedHotkeyName(uint32_t value);

// ---- Input, as a presenter gives it (SendInput) ----
void PressKey(WORD virtualKey);
// Holds Shift while pressing the key, as for the default hotkeys.
void PressShifted(WORD virtualKey);
// Moves the real cursor to a screen point (absolute move aimed at the pixel centre) and waits
// until the system has it there (at most a second: a clipped cursor may never get there).
void MoveMouseTo(int x, int y);
void TurnWheel(int delta);
void ClickRight();
// The left button at a screen point (the event carries the position).
void PressLeft(int x, int y);
void ReleaseLeft(int x, int y);
// Holds Ctrl while pressing the key (Ctrl+Z).
void PressWithCtrl(WORD virtualKey);
// Ctrl down, the key pressed `times` times, Ctrl up, in one SendInput call: the program takes
// the last key from its queue long after Ctrl went up, as after a busy moment or from a
// presenter's remote.
void PressWithCtrlQueued(WORD virtualKey, int times);
// Drags with the left button from the cursor's place through `steps` moves to (x, y).
void DragTo(int fromX, int fromY, int x, int y, int steps = 10);

// ---- The screen ----
// A 32-bit top-down copy of the whole screen, as the user sees it (BitBlt of the screen DC).
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Screenshot CaptureScreen();
// The screen once two captures in a row agree (another process's painting reaches the screen a
// little after it went idle), or the last capture after the timeout.
Screenshot CaptureSettledScreen(DWORD timeoutMs = 3000);
// Writes a PNG of width x height, its left half one colour and its right half another (ARGB).
bool WriteTwoColourPng(const std::wstring& path, int width, int height, uint32_t left,
                       uint32_t right);
// Writes a PNG file, for looking at what a test saw.
bool SaveScreenshot(const Screenshot& shot, const std::wstring& path);
// Keeps what the screen shows as NAME.png in the folder VISTREL_TEST_SHOTS names
// (tests/support/wine-run sets it to the folder of the run's prefixes).
void KeepScreenshot(const std::wstring& name);
// In a fixture's TearDown: keeps the screen as failed-<test>.png when the test failed.
void KeepScreenshotOfFailure();

// A full-screen, topmost window standing in for a slide. With the coordinate fill every pixel
// tells its own position: red = x mod 256, green = y mod 256, blue = (x / 256) * 16 + y / 256;
// the white fill is a blank slide to draw on. It runs on a thread of its own so it keeps
// painting while the test waits.
enum class SlideFill { Coordinates, White };
struct PatternWindow {
    explicit PatternWindow(SlideFill fill = SlideFill::Coordinates);
    // Shows `picture`, as large as the screen.
    explicit PatternWindow(Screenshot picture);
    ~PatternWindow();
    Screenshot picture; // what the window shows
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
