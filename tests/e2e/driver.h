// Driving the real program from outside, for the end-to-end tests: start dist/Vistrel64.exe as
// a separate process, find its windows, read and write the registry it uses, probe which global
// hotkeys are held, and send input. Nothing here reaches into the program's memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/message_box_watcher.h"

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
    void End();  // terminates a copy that still runs and closes the handles

    DWORD Id() const { return info.dwProcessId; }
    bool Running() const;
    // The exit code, once the process ended within the timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
};

// Starts the program with `arguments` appended to its quoted path.
VistrelProcess StartVistrel(const std::wstring& arguments = L"");

// The main window ("VistrelClass") of the given process, once it exists; none after the timeout.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 10000);

// Posts a command to the main window as the tray menu does.
void PostCommand(HWND mainWindow, uint32_t command);

// Registry of the current user, where the program keeps its settings.
constexpr const wchar_t* kTestSettingsKey = L"Software\\tarnove\\Vistrel";
constexpr const wchar_t* kTestRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void ClearProgramRegistry();  // the vendor key and the Run value
void WriteSettingDword(const wchar_t* name, DWORD value);
std::optional<DWORD> ReadSettingDword(const wchar_t* name);
std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name);
std::vector<std::wstring> SettingValueNames();
bool KeyExists(const wchar_t* keyPath);
void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value);

// Global hotkeys, in the hotkey-control encoding (0x131 is Shift+1).
// True when another program holds the combination: registering it here fails.
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

// Waits until `condition` holds or the timeout passes; the condition's last answer.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 5000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) {
            return condition();
        }
        Sleep(20);
    }
    return true;
}

// ---- Input, as a presenter gives it (SendInput) ----
void PressKey(WORD virtualKey);
// Holds Shift while pressing the key, as for the default hotkeys.
void PressShifted(WORD virtualKey);
// Moves the real cursor to a screen point (absolute move aimed at the pixel centre).
void MoveMouseTo(int x, int y);
void TurnWheel(int delta);
void ClickRight();

// ---- The screen ----
// A 32-bit top-down copy of the whole screen, as the user sees it (BitBlt of the screen DC).
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Screenshot CaptureScreen();
// Writes a .bmp file, for looking at what a failing test saw.
bool SaveScreenshot(const Screenshot& shot, const std::wstring& path);

// A full-screen window whose every pixel tells its own position: red = x mod 256, green =
// y mod 256, blue = (x / 256) * 16 + y / 256. It runs on a thread of its own so it keeps painting
// while the test waits.
struct PatternWindow {
    PatternWindow();
    ~PatternWindow();
    HWND window = nullptr;
    std::thread thread;
};
struct DecodedPoint {
    int x;
    int y;
};
DecodedPoint DecodePattern(uint32_t pixel);
