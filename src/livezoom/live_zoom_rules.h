// The arithmetic of live zoom: which part of the monitor the magnifier shows, how its level
// animates and answers Ctrl+Up and Ctrl+Down, the matrix handed to the magnification control,
// where the cursor lands when the frozen zoom takes over, the pen width given back afterwards,
// and when a hidden magnifier window is kept or destroyed before Windows 7.
#pragma once

#include <array>
#include <cstdint>

struct LivePoint {
    int32_t x;
    int32_t y;
    bool operator==(const LivePoint&) const = default;
};

struct LiveRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    bool operator==(const LiveRect&) const = default;
};

// The magnification now applied, the one the animation moves to (1.0 hides the window) and the
// factor applied per 20 ms tick while they differ.
struct LiveLevels {
    float level;
    float target;
    float step;
};

constexpr float kLiveLargestLevel = 32.0f;
constexpr float kLiveHideLevel = 1.0f;
constexpr float kLiveInStep = 1.1f;
constexpr float kLiveOutStep = 0.8f;

// The part of the monitor the magnifier shows at `level`, in screen coordinates: the monitor's
// size divided by the level, trunc(W / level) x trunc(H / level), centred on `centre` (the
// cursor) and kept on the monitor. It is the control's source rectangle, and what a takeover
// maps the cursor through and comes back to.
LiveRect LiveSource(LivePoint centre, const LiveRect& monitor, float level);

// The animation `elapsedMs` after the level left `from`: one factor of the step per 20 ms of
// the clock, stopping on the target.
void AdvanceLiveLevel(LiveLevels& levels, float from, double elapsedMs);

// The levels a show starts with: back after a takeover the animation aims at 2.0 from 1.9 (the
// former level follows at once); otherwise it grows by 1.1 per tick to `startLevel`, from 1.0
// with desktop composition, from 1.9 without.
LiveLevels ShowLevels(bool afterTakeover, float startLevel, bool composition);

// Ctrl+Up doubles up to 32, Ctrl+Down steps down (x0.75 at 2 or below, not under 1.0; x0.5
// above), Escape aims at 1.0. Without composition the level jumps to the target.
void LiveZoomIn(LiveLevels& levels, bool composition);
void LiveZoomOut(LiveLevels& levels, bool composition);
void LiveZoomEnd(LiveLevels& levels, bool composition);

// The magnification matrix for level L, row by row: L, 0, 0; 0, L, 0; 0, 0, 1. A pure scale:
// what part of the screen is shown is the control's source rectangle, not the matrix.
std::array<float, 9> LiveTransform(float level);

// Where the cursor goes when the frozen zoom takes over: the cursor's offset from the source's
// centre scaled by the whole part of the live level (1.5 counts as 1), from the monitor's
// centre. Kept on the monitor: near an edge the scaled offset would leave the capture, and a
// zoom point outside it puts the pen off the image.
LivePoint TakeoverCursor(LivePoint cursor, const LiveRect& source, float factor,
                         const LiveRect& monitor);

// The pen width when a takeover's zoom ends: the saved width when the scaled one was left
// alone, else the current width divided by the live level, within 2 to 30 either way.
int32_t RestoredPenWidth(int32_t penWidth, int32_t savedPenWidth, float factor);

// True for a GetVersion low word (major in the low byte, minor in the high byte) older than
// Windows 7 (6.1). Windows 10 reports 10.0, whose word 0x000A is numerically below 0x0106.
bool BeforeWindows7(uint16_t windowsVersion);

// Keeping a hidden magnifier window alive before Windows 7. The user notification state 5
// (QUNS_ACCEPTS_NOTIFICATIONS) means the desktop is in ordinary use; 1 stands for no answer.
enum class KeepAliveEvent { Creation, Hide, Timer, SettingChange };
enum class KeepAliveAction { Nothing, StartTimer, RestartTimer, KillTimer, Destroy };
constexpr int kAcceptsNotifications = 5;
constexpr int kNotificationStateUnknown = 1;

KeepAliveAction KeepAliveDecision(KeepAliveEvent event, int state, bool queryBound,
                                  bool windowVisible, bool notifiableAtCreation);
