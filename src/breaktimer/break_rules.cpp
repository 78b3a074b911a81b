// Break countdown arithmetic (see break_rules.h).
#include "breaktimer/break_rules.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int64_t kLargestCount = std::numeric_limits<int32_t>::max();

int32_t Bounded(int64_t seconds) { return static_cast<int32_t>(std::clamp<int64_t>(seconds, 0, kLargestCount)); }

void Write(const char* text, int length, std::span<Utf16Unit, 32> out) {
    int i = 0;
    for (; i < length && i + 1 < static_cast<int>(out.size()); ++i) {
        out[i] = static_cast<Utf16Unit>(text[i]);
    }
    out[i] = 0;
}

} // namespace

int32_t InitialBreakSeconds(int32_t minutes) {
    return Bounded(static_cast<int64_t>(std::max(minutes, 0)) * 60 + 1);
}

int32_t BreakSecondsAt(int32_t countFrom, int64_t elapsedMs) {
    const int64_t seconds =
        static_cast<int64_t>(countFrom) - std::max<int64_t>(elapsedMs, 0) / 1000;
    return static_cast<int32_t>(std::max<int64_t>(seconds, std::numeric_limits<int32_t>::min()));
}

uint32_t MsToNextSecond(int64_t elapsedMs) {
    return static_cast<uint32_t>(1000 - std::max<int64_t>(elapsedMs, 0) % 1000);
}

void CountdownText(int32_t secondsLeft, std::span<Utf16Unit, 32> out) {
    char text[32];
    const int32_t s = secondsLeft > 0 ? secondsLeft : 0;
    Write(text, std::snprintf(text, sizeof text, "%02d:%02d", s / 60, s % 60), out);
}

void ExpiredText(int32_t secondsLeft, std::span<Utf16Unit, 32> out) {
    char text[32];
    const int64_t s = secondsLeft < 0 ? -static_cast<int64_t>(secondsLeft) : 0;
    Write(text,
          std::snprintf(text, sizeof text, "-%02lld:%02lld", static_cast<long long>(s / 60),
                        static_cast<long long>(s % 60)),
          out);
}

TextPlace CountdownPlace(uint32_t cell, int32_t width, int32_t height, int32_t w, int32_t h,
                         int32_t expiredHeight) {
    constexpr int32_t kMargin = 50;
    if (cell > 8) {
        return {0, 0};
    }
    const int32_t lefts[3] = {kMargin, (width - w) / 2, width - w - kMargin};
    const int32_t tops[3] = {kMargin, (height - h) / 2, height - expiredHeight - h - kMargin};
    return {lefts[cell % 3], tops[cell / 3]};
}

int32_t AdjustedBreakSeconds(int32_t secondsLeft, int32_t delta) {
    const int64_t v = std::max(secondsLeft, 0);
    return Bounded((v + delta) / 10 * 10);
}

int32_t WheeledBreakSeconds(int32_t secondsLeft, int32_t notches) {
    const int64_t seconds = secondsLeft >= 0 ? (static_cast<int64_t>(secondsLeft) / 60 + notches) * 60
                                             : static_cast<int64_t>(notches) * 60 - 60;
    return Bounded(seconds);
}

uint32_t BreakOpacityPercent(int32_t setting) {
    return std::min(static_cast<uint32_t>(setting), 100u);
}
