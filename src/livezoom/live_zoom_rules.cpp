// Live zoom's arithmetic (see live_zoom_rules.h).
#include "livezoom/live_zoom_rules.h"

#include <algorithm>

#include "settings/settings_values.h"
#include "zoom/zoom_geometry.h"

namespace {

constexpr float kTakeoverLevel = 2.0f; // aimed at when live zoom comes back after a takeover
constexpr float kTakeoverStart = 1.9f;
constexpr float kStartWithoutComposition = 1.9f;

// The level jumps without composition: the magnifier cannot animate smoothly there.
void Aim(LiveLevels& levels, float target, bool composition) {
    levels.target = target;
    if (!composition) {
        levels.level = target;
    }
}

} // namespace

LiveRect LiveSource(LivePoint centre, const LiveRect& monitor, float level) {
    if (!(level > 0.0f)) {
        level = 1.0f; // a level of 0 (message 1128 can set it) would size the source infinite
    }
    const float width = static_cast<float>(monitor.right - monitor.left);
    const float height = static_cast<float>(monitor.bottom - monitor.top);
    const int32_t sourceWidth = static_cast<int32_t>(width / level);
    const int32_t sourceHeight = static_cast<int32_t>(height / level);
    int32_t x = centre.x - sourceWidth / 2;
    int32_t y = centre.y - sourceHeight / 2;
    // Left and top first, so that a source wider than the monitor keeps the right edge.
    x = std::min(std::max(x, monitor.left), monitor.right - sourceWidth);
    y = std::min(std::max(y, monitor.top), monitor.bottom - sourceHeight);
    return {x, y, x + sourceWidth, y + sourceHeight};
}

void AdvanceLiveLevel(LiveLevels& levels, float from, double elapsedMs) {
    if (levels.level == levels.target) {
        return;
    }
    ZoomMotion motion = {levels.level, levels.target, levels.step};
    AdvanceZoom(motion, from, elapsedMs);
    levels.level = motion.current;
}

LiveLevels ShowLevels(bool afterTakeover, float startLevel, bool composition) {
    if (afterTakeover) {
        return {kTakeoverStart, kTakeoverLevel, kTakeoverLevel};
    }
    return {composition ? 1.0f : kStartWithoutComposition, startLevel, kLiveInStep};
}

void LiveZoomIn(LiveLevels& levels, bool composition) {
    levels.step = kLiveInStep;
    Aim(levels, levels.level < kLiveLargestLevel ? levels.level * 2.0f : levels.level, composition);
}

void LiveZoomOut(LiveLevels& levels, bool composition) {
    levels.step = kLiveOutStep;
    const float next =
        levels.level <= 2.0f ? std::max(levels.level * 0.75f, kLiveHideLevel) : levels.level * 0.5f;
    Aim(levels, next, composition);
}

void LiveZoomEnd(LiveLevels& levels, bool composition) {
    levels.step = kLiveOutStep;
    Aim(levels, kLiveHideLevel, composition);
}

std::array<float, 9> LiveTransform(float level) {
    return {level, 0.0f, 0.0f, 0.0f, level, 0.0f, 0.0f, 0.0f, 1.0f};
}

LivePoint TakeoverCursor(LivePoint cursor, const LiveRect& source, float factor,
                         const LiveRect& monitor) {
    const int64_t whole = static_cast<int64_t>(factor);
    const int64_t x = (cursor.x - (source.right - source.left) / 2 - source.left) * whole +
                      monitor.left + (monitor.right - monitor.left) / 2;
    const int64_t y = (cursor.y - (source.bottom - source.top) / 2 - source.top) * whole +
                      monitor.top + (monitor.bottom - monitor.top) / 2;
    const auto onMonitor = [](int64_t v, int32_t low, int32_t high) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, low, std::max(low, high - 1)));
    };
    return {onMonitor(x, monitor.left, monitor.right), onMonitor(y, monitor.top, monitor.bottom)};
}

int32_t RestoredPenWidth(int32_t penWidth, int32_t savedPenWidth, float factor) {
    int32_t width = penWidth;
    if (penWidth == static_cast<int32_t>(static_cast<float>(savedPenWidth) * factor)) {
        width = savedPenWidth;
    } else if (factor > 0.0f) {
        width = static_cast<int32_t>(static_cast<float>(penWidth) / factor);
    }
    // A width narrowed while scaled can divide to below 2, and one widened far while scaled
    // (no limit applies then) to above 30: the width kept must be one the pen keys allow.
    return std::clamp(width, kSmallestPenWidth, kLargestPenWidth);
}

bool BeforeWindows7(uint16_t windowsVersion) {
    const int major = windowsVersion & 0xFF;
    const int minor = windowsVersion >> 8;
    return major < 6 || (major == 6 && minor < 1);
}

KeepAliveAction KeepAliveDecision(KeepAliveEvent event, int state, bool queryBound,
                                  bool windowVisible, bool notifiableAtCreation) {
    const bool accepts = state == kAcceptsNotifications;
    switch (event) {
    case KeepAliveEvent::Creation:
        return accepts ? KeepAliveAction::Nothing : KeepAliveAction::StartTimer;
    case KeepAliveEvent::Hide:
        return accepts ? KeepAliveAction::Destroy : KeepAliveAction::RestartTimer;
    case KeepAliveEvent::Timer:
        return windowVisible || accepts ? KeepAliveAction::Nothing : KeepAliveAction::Destroy;
    case KeepAliveEvent::SettingChange:
        if (notifiableAtCreation) {
            return queryBound && accepts ? KeepAliveAction::Nothing : KeepAliveAction::Destroy;
        }
        return queryBound && accepts ? KeepAliveAction::KillTimer : KeepAliveAction::Nothing;
    }
    return KeepAliveAction::Nothing;
}
