// The live-zoom window: a topmost, click-through magnifier over the monitor under the cursor,
// drawn by the system's magnification control. It follows the cursor every 20 ms, animates its
// level, answers Ctrl+Up and Ctrl+Down while shown, shows the system pointer only off its
// monitor, and hands its level and source to the frozen zoom that takes over from it (messages
// 1126 to 1129).
#pragma once

#include <windows.h>

#include <span>

#include "zoom/dispatch_table.h"

constexpr const wchar_t* kLiveZoomClass = L"MagnifierClass";
constexpr const wchar_t* kLiveZoomTitle = L"Vistrel Live Zoom";

// The live-zoom window's own state, one record for the life of the process.
struct LiveZoomState {
    HWND magnifierControl = nullptr; // the "Magnifier" child; destroyed with its parent
    float liveLevel = 0.8f;
    float liveTarget = 1.0f; // 1.0 hides the window at the next tick
    float liveStep = 0.8f;
    MONITORINFO liveMonitor = {sizeof(MONITORINFO), {}, {}, 0};
    RECT liveSource = {}; // the control's source rectangle, in screen coordinates; 1127's answer
    int compositionEnabled = 0;
    int notifiableAtCreation = 0; // before Windows 7: notifications accepted at creation
    int systemCursorHidden = 0;   // switched off while the pointer is over the magnified monitor
    DWORD startError = 0;         // why the last creation failed, for StartLiveZoom's box
    // The running animation: the level it left and when, on the clock (shared/clock.h).
    float animationFrom = 1.0f;
    double animationStartMs = 0.0;
};
static_assert(sizeof(MONITORINFO) == 40);

enum class LiveTimer : UINT_PTR { Tick = 0, KeepAlive = 1 };
enum class LiveHotkey : int { ZoomIn = 0, ZoomOut = 1 }; // Ctrl+Up, Ctrl+Down, on this window
constexpr UINT kLiveTickMs = 20;
constexpr UINT kKeepAliveMs = 2 * 60 * 60 * 1000;

extern LiveZoomState liveZoom;

// Registers "MagnifierClass" (the result is ignored: a class left from before serves as well).
void RegisterLiveZoomClass(HINSTANCE instance);

// Creates and shows the window, the application in `foreground` keeping the keyboard. A start
// whose magnifier fails leaves nothing behind and says so in one error box; nullptr then, and
// also where the magnification library is missing (no box: live zoom does not exist there).
HWND StartLiveZoom(HWND foreground);
// Shows the (hidden) window with the magnified picture in its first frame, without activating
// it: a tool window that stays off the taskbar and out of Alt+Tab, and leaves the presenter's
// application the keyboard and any menu open in it.
void ShowLiveZoom(HWND window);
// Whether the live-zoom window exists and shows now.
bool LiveZoomShown();

using LiveZoomHandler = LRESULT (*)(HWND window, WPARAM wParam, LPARAM lParam);
std::span<const DispatchRow<LiveZoomHandler>> LiveZoomMessageTable();
LRESULT CALLBACK LiveZoomWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
