// The text rules of applying a language, free of the Windows API: control identifiers, control
// classes, cutting texts to their buffers and splitting a tab control's titles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/text_unit.h"

// A Control element's "id": leading white space and one sign are accepted, reading stops at the
// first non-digit, no digits give 0. Values beyond the int range saturate instead of overflowing.
int32_t ParseControlId(const char* text);

enum class ControlClass { Static, Button, TabCtrl, Menu, Other };
// A Control element's "class", compared without regard to ASCII letter case.
ControlClass ControlClassOf(const char* text);

// How many of `length` units fit in a buffer of `capacity` units that keeps its terminator:
// at most capacity - 1, and never ending between the halves of a surrogate pair.
std::size_t UnitsThatFit(Utf16View text, std::size_t capacity);

// Calls `send(index, title)` for every tab title in `text`, separated by ",": each comma ends
// one title (empty ones included); what follows the last comma is the last title when it is not
// empty. A tab title is cut to fit its 32-unit buffer.
inline constexpr std::size_t kTabTitleCapacity = 32;
template <typename Send> void ForEachTabTitle(Utf16View text, Send send) {
    int index = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u',') {
            const Utf16View piece = text.substr(start, i - start);
            send(index++, piece.substr(0, UnitsThatFit(piece, kTabTitleCapacity)));
            start = i + 1;
        }
    }
    if (start < text.size()) {
        const Utf16View piece = text.substr(start);
        send(index, piece.substr(0, UnitsThatFit(piece, kTabTitleCapacity)));
    }
}
