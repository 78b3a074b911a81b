// The arithmetic of typing on the frozen screen: the font height from the monitor height, the
// magnification and FontScale, and how the wheel changes FontScale.
#pragma once

#include <cstdint>
#include <optional>

constexpr int32_t kSmallestTextHeight = 12;
constexpr int32_t kLargestFontScale = 50;
constexpr int32_t kSmallestFontScale = -20;

struct TextSize {
    int32_t height;       // cell height in image pixels
    bool nonAntialiased;  // small text is drawn without antialiasing
};

// The visible height trunc(monitorHeight / zoom) divided by FontScale: at least 12, and
// without antialiasing below 20. A FontScale of 0 or below gives the smallest height (a zero
// divisor never reaches the division).
TextSize TypingTextSize(int32_t monitorHeight, float zoom, int32_t fontScale);

// FontScale after `notches` wheel notches while typing (forward makes text larger), or none
// when the wheel is ignored (no notch, or already at a limit).
std::optional<int32_t> NextFontScale(int32_t fontScale, int32_t notches);
