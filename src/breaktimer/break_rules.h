// The break countdown's arithmetic: the starting count, the count at a time of the clock, its
// text, the place of the text in the 3 x 3 grid of the screen, and the changes by the arrow keys
// and the wheel.
#pragma once

#include <cstdint>
#include <span>

#include "settings/text_unit.h"

// Seconds for a break of `minutes`: minutes x 60 + 1 (the first tick shows the full time).
// Negative minutes count as 0, and a count that would not fit a 32-bit integer is bounded.
int32_t InitialBreakSeconds(int32_t minutes);

// "mm:ss" of the seconds left, "00:00" from expiry on; "-mm:ss" of the time since expiry.
void CountdownText(int32_t secondsLeft, std::span<Utf16Unit, 32> out);
void ExpiredText(int32_t secondsLeft, std::span<Utf16Unit, 32> out);

struct TextPlace {
    int32_t left;
    int32_t top;
};
// Where the countdown (w x h) goes in cell 0 to 8 of a width x height screen, 50 pixels from
// the edges; `expiredHeight` is the line under it (0 when none). Any other cell: (0, 0).
TextPlace CountdownPlace(uint32_t cell, int32_t width, int32_t height, int32_t w, int32_t h,
                         int32_t expiredHeight);

// The count `elapsedMs` after it showed `countFrom`: one less per whole second of the clock,
// however late the ticks come (a busy queue delays them, the system tick rounds them).
int32_t BreakSecondsAt(int32_t countFrom, int64_t elapsedMs);
// Milliseconds from `elapsedMs` until the count next changes, when the next tick is due.
uint32_t MsToNextSecond(int64_t elapsedMs);

// Left and Right: ten seconds more or less, in whole tens, never below 0.
int32_t AdjustedBreakSeconds(int32_t secondsLeft, int32_t delta);
// The wheel, Up and Down: whole minutes (seconds dropped), never below 0.
int32_t WheeledBreakSeconds(int32_t secondsLeft, int32_t notches);

// BreakOpacity as a percentage: values above 100 count as 100.
uint32_t BreakOpacityPercent(int32_t setting);
