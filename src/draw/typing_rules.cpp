// Typing arithmetic (see typing_rules.h).
#include "draw/typing_rules.h"

TextSize TypingTextSize(int32_t monitorHeight, float zoom, int32_t fontScale) {
    const auto available = static_cast<int32_t>(static_cast<long double>(monitorHeight) / zoom);
    if (fontScale <= 0) {
        return {kSmallestTextHeight, true};
    }
    const auto quotient =
        static_cast<int32_t>(static_cast<double>(available) / static_cast<double>(fontScale));
    if (quotient <= kSmallestTextHeight) {
        return {kSmallestTextHeight, true};
    }
    return {available / fontScale, quotient < 20};
}

std::optional<int32_t> NextFontScale(int32_t fontScale, int32_t notches) {
    if (notches == 0 || (notches > 0 && fontScale <= kSmallestFontScale) ||
        (notches < 0 && fontScale >= kLargestFontScale)) {
        return std::nullopt;
    }
    return fontScale == notches ? 1 : fontScale - notches;
}
