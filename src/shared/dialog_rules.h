// Rules of the dialogs' shared controls that need no window (the advanced draw and break
// dialogs and the options pages): the percentage lists, the countdown position radios, the file
// chooser's starting folder and the disabled colour swatch's veil.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/text_unit.h"

// The percentage lists (highlighter and break opacity) hold 10%, 20%, ... 100%, each item's
// data its number.
constexpr int kPercentListEntries = 10;
constexpr uint32_t PercentListValue(int index) {
    return static_cast<uint32_t>(index + 1) * 10;
}

// The entry a stored percentage selects: value / 10 - 1 (55 selects 50%); -1, no entry, for
// values below 10 and above 109.
int PercentListSelection(uint32_t value);

// The index (0 to 8) of the position radio a stored countdown cell checks; -1, none, for any
// value outside the nine cells.
int PositionRadioIndex(uint32_t cell);

// Where a file chooser starts for the path in an edit: the number of leading units up to and
// including the last backslash; 0 when the path holds none (the chooser's fallback folder).
std::size_t InitialFolderLength(Utf16View path);

// A disabled colour swatch shows the button face on every pixel whose x + y is even.
constexpr bool SwatchVeilCovers(int x, int y) {
    return ((x + y) & 1) == 0;
}
