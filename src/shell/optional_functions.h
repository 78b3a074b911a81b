// OptionalFunctions: entry points that not every supported Windows version has. They are never
// imported; BindOptionalFunctions looks them up once at start-up and every user tests its entry
// for presence and has a fallback. The libraries come from the system directory only, so a DLL
// of the same name beside the program (say in a downloads folder) is never loaded instead.
#pragma once

#include <windows.h>

struct MagnifierTransform {
    float v[3][3];
};

struct OptionalFunctions {
    HMODULE user32 = nullptr;
    HMODULE magnification = nullptr;
    HMODULE uxtheme = nullptr;
    HMODULE shlwapi = nullptr;
    HMODULE shell32 = nullptr;
    HMODULE dwmapi = nullptr;

    BOOL(WINAPI* SetProcessDpiAwarenessContext)(HANDLE) = nullptr; // DPI_AWARENESS_CONTEXT
    BOOL(WINAPI* SetProcessDPIAware)() = nullptr;
    HMONITOR(WINAPI* MonitorFromPoint)(POINT, DWORD) = nullptr;
    BOOL(WINAPI* ShowSystemCursor)(BOOL) = nullptr;
    BOOL(WINAPI* SetLayeredWindowAttributes)(HWND, COLORREF, BYTE, DWORD) = nullptr;
    BOOL(WINAPI* GetPointerPenInfo)(UINT32, void*) = nullptr; // POINTER_PEN_INFO*
    UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* SetDialogControlDpiChangeBehavior)(HWND, UINT, UINT) = nullptr; // DCDC_* flags
    BOOL(WINAPI* MagInitialize)() = nullptr;
    BOOL(WINAPI* MagSetWindowTransform)(HWND, MagnifierTransform*) = nullptr;
    BOOL(WINAPI* MagSetWindowSource)(HWND, RECT) = nullptr;
    BOOL(WINAPI* MagShowSystemCursor)(BOOL) = nullptr;
    HRESULT(WINAPI* EnableThemeDialogTexture)(HWND, DWORD) = nullptr;
    HRESULT(WINAPI* SHAutoComplete)(HWND, DWORD) = nullptr;
    HRESULT(WINAPI* SHQueryUserNotificationState)(int*) = nullptr;
    HRESULT(WINAPI* DwmIsCompositionEnabled)(BOOL*) = nullptr;
    HRESULT(WINAPI* DwmSetWindowAttribute)(HWND, DWORD, const void*, DWORD) = nullptr;
    HRESULT(WINAPI* DwmFlush)() = nullptr;
    // The message filter of a process with higher rights than its senders (Windows 7, Vista).
    BOOL(WINAPI* ChangeWindowMessageFilterEx)(HWND, UINT, DWORD, void*) = nullptr;
    BOOL(WINAPI* ChangeWindowMessageFilter)(UINT, DWORD) = nullptr;
    // The system's metrics at a DPI (Windows 10).
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
};

extern OptionalFunctions optionalFunctions;

// Loads the libraries from the system directory and binds the entries. Makes the process aware
// of each monitor's DPI (per-monitor v2) where the system can, else of the system DPI, so that
// captures, pens and text are in the monitor's own pixels, never scaled by the system (the
// manifest asks the same of systems that read it).
void BindOptionalFunctions();
// The same from another directory: a seam for tests.
void BindOptionalFunctionsFrom(const wchar_t* directory);
// Frees every loaded library and forgets all entries.
void ReleaseOptionalFunctions();
