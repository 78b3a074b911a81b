// Composition of the error box text (see error_text.h).
#include "settings/error_text.h"

#include <algorithm>

void ComposeErrorText(Utf16View text, Utf16View systemText,
                      std::span<Utf16Unit, kErrorTextUnits> out) {
    const std::size_t limit = kErrorTextUnits - 1;
    std::size_t length = 0;
    auto append = [&](Utf16View part) {
        std::size_t count = std::min(part.size(), limit - length);
        std::copy_n(part.begin(), count, out.begin() + length);
        length += count;
    };
    append(text);
    append(UTF16(": "));
    append(systemText);
    out[length] = 0;
}
