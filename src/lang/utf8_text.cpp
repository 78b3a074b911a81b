// UTF-8 to UTF-16 for the language code (see utf8_text.h).
#include "lang/utf8_text.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "lang/language_rules.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The continuation bytes a lead byte wants and the range its first one must lie in, which
// rules out overlong forms, surrogates and values beyond U+10FFFF. Zero: not a lead byte.
struct LeadByte {
    int continuations;
    unsigned char low;
    unsigned char high;
};

LeadByte Lead(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {1, 0x80, 0xBF};
    }
    if (byte == 0xE0) {
        return {2, 0xA0, 0xBF};
    }
    if (byte == 0xED) {
        return {2, 0x80, 0x9F};
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {2, 0x80, 0xBF};
    }
    if (byte == 0xF0) {
        return {3, 0x90, 0xBF};
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {3, 0x80, 0xBF};
    }
    if (byte == 0xF4) {
        return {3, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

// The next code point at `bytes[at]`, advancing `at` past it (past the ill-formed subpart for a
// replacement character).
char32_t NextCodePoint(const unsigned char* bytes, std::size_t length, std::size_t& at) {
    const unsigned char first = bytes[at++];
    if (first < 0x80) {
        return first;
    }
    const LeadByte lead = Lead(first);
    if (lead.continuations == 0) {
        return kReplacement;
    }
    char32_t value = first & (0x3F >> lead.continuations);
    for (int i = 0; i < lead.continuations; ++i) {
        const unsigned char low = i == 0 ? lead.low : 0x80;
        const unsigned char high = i == 0 ? lead.high : 0xBF;
        if (at >= length || bytes[at] < low || bytes[at] > high) {
            return kReplacement;
        }
        value = (value << 6) | (bytes[at++] & 0x3F);
    }
    return value;
}

} // namespace

std::size_t Utf8ToUtf16(const char* text, std::size_t length, Utf16Unit* destination,
                        std::size_t capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t units = 0;
    auto put = [&](char32_t unit) {
        if (destination != nullptr && units < capacity) {
            destination[units] = static_cast<Utf16Unit>(unit);
        }
        ++units;
    };
    for (std::size_t at = 0; at < length;) {
        const char32_t value = NextCodePoint(bytes, length, at);
        if (value >= 0x10000) {
            put(0xD800 + ((value - 0x10000) >> 10));
            put(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            put(value);
        }
    }
    return units;
}

Utf16Unit* Utf8ToWideAlloc(const char* text) {
    const std::size_t length = std::strlen(text);
    const std::size_t units = Utf8ToUtf16(text, length, nullptr, 0);
    auto* wide = new (std::nothrow) Utf16Unit[units + 1];
    if (wide == nullptr) {
        return nullptr;
    }
    Utf8ToUtf16(text, length, wide, units);
    wide[units] = 0;
    return wide;
}

// A text that does not fit is converted whole and cut, at a character boundary, to leave the
// destination's last unit for the terminator.
int Utf8ToWideInto(const char* text, Utf16Unit* destination, int capacity) {
    if (capacity <= 0) {
        return 0;
    }
    const std::size_t length = std::strlen(text);
    const auto room = static_cast<std::size_t>(capacity);
    const std::size_t units = Utf8ToUtf16(text, length, nullptr, 0);
    if (units < room) {
        return static_cast<int>(Utf8ToUtf16(text, length, destination, room));
    }
    Utf16Unit* whole = Utf8ToWideAlloc(text);
    if (whole == nullptr) {
        return 0;
    }
    const std::size_t kept = UnitsThatFit(Utf16View(whole, units), room);
    std::memcpy(destination, whole, kept * sizeof(Utf16Unit));
    delete[] whole;
    return static_cast<int>(kept);
}
