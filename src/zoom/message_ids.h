// Names and numbers the main window and its partners agree on: its class and title, private
// messages, timers, commands.
#pragma once

#include <cstdint>

constexpr uint32_t kWindowMessageUser = 0x400;  // WM_USER

constexpr const wchar_t* kMainWindowClass = L"VistrelClass";
constexpr const wchar_t* kMainWindowTitle = L"Vistrel Zoom Window";

// Private messages of the main window.
constexpr uint32_t kTrayNotifyMessage = kWindowMessageUser + 100;  // 1124
constexpr uint32_t kEndTypingMessage = kWindowMessageUser + 101;   // 1125
// Private messages of the live-zoom window.
constexpr uint32_t kLiveZoomGetFactorMessage = kWindowMessageUser + 102;  // 1126
constexpr uint32_t kLiveZoomGetSourceMessage = kWindowMessageUser + 103;  // 1127
constexpr uint32_t kLiveZoomSetMessage = kWindowMessageUser + 104;        // 1128
// A frozen zoom is about to capture the screen: the magnified cursor goes and the magnifier
// draws the picture again without it.
constexpr uint32_t kLiveZoomPrepareCaptureMessage = kWindowMessageUser + 105; // 1129

// Main window timers.
enum class MainTimer : uint32_t {
    BreakCountdown = 0,
    ZoomIn = 1,
    ZoomOut = 2,
    ReleaseSpares = 3,
    PrepareUndo = 4, // the next undo snapshot's surface made ahead (draw/undo_stack.h)
    // A single click on the icon waits for the double-click time.
    TrayClick = 5,
    // A way out that came inside a dialog's loop completes once those loops have ended.
    ExitWhenUnwound = 6,
};

// Commands of the main window (tray menu, accelerators, second start).
enum class Command : uint32_t {
    Exit = 2,
    Options = 1004,
    Draw = 1007,
    Zoom = 1009,
    BreakTimer = 1011,
    Save = 40001,
    Copy = 40002,
};
