// In-place decoding of the XML reader's texts and attribute values: line ends, character
// references written as UTF-8, entity references replaced through a gap buffer (within the
// entity budgets of xml_entities.cpp), and the white space rules of attribute values.
#include "lang/xml/xml_internal.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace xml {

// UTF-8 by the classic rule without range checks: values below 0x80 (negative ones included)
// give their low byte; surrogates and values past U+10FFFF are encoded like any other.
int EncodeUtf8(std::int64_t value, unsigned char* out) {
    if (value < 0x80) {
        out[0] = static_cast<unsigned char>(value & 0xFF);
        return 1;
    }
    const auto v = static_cast<std::uint32_t>(value);
    const int n = (static_cast<int>(std::bit_width(v)) - 2) / 5;
    out[0] = static_cast<unsigned char>(((0xFFu << (7 - n)) & 0xFFu) | (v >> (6 * n)));
    for (int i = 1; i <= n; ++i) {
        out[i] = static_cast<unsigned char>(0x80u | ((v >> (6 * (n - i))) & 0x3Fu));
    }
    return n + 1;
}

namespace {

int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A character reference at `at` ("&#..."): its non-zero value and the byte after its ";", or
// nullptr when it is none. Values beyond 32 bits read as the nearest 32-bit one.
const char* ParseCharacterReference(const char* at, std::int64_t& value) {
    const char* p = at + 2;
    int base = 10;
    if (*p == 'x') {
        base = 16;
        ++p;
    }
    while (IsSpaceChar(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::int64_t magnitude = 0;
    bool anyDigit = false;
    for (int digit = DigitValue(*p, base); digit >= 0; digit = DigitValue(*++p, base)) {
        anyDigit = true;
        magnitude = std::min<std::int64_t>(magnitude * base + digit, std::int64_t{1} << 32);
    }
    if (!anyDigit || *p != ';') {
        return nullptr;
    }
    value = negative ? std::max<std::int64_t>(-magnitude, INT32_MIN)
                     : std::min<std::int64_t>(magnitude, INT32_MAX);
    return value != 0 ? p + 1 : nullptr;
}

// CR LF and a lone CR both become LF; returns the new length.
std::size_t NormalizeLineEnds(char* text) {
    char* out = text;
    for (const char* in = text; *in != 0; ++in) {
        if (*in == '\r') {
            *out++ = '\n';
            if (in[1] == '\n') {
                ++in;
            }
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
    return static_cast<std::size_t>(out - text);
}

// A string being decoded: buffer[0, out) is done, buffer[tail, end) is still to scan and
// buffer[end] is its terminator. Replacement texts go in just before `tail`, so text growing by
// entities costs no moving of what follows.
struct GapText {
    char* buffer;
    std::size_t capacity;
    bool owned;
    std::size_t out;
    std::size_t tail;
    std::size_t end;
};

bool InsertBeforeTail(XmlParser& parser, GapText& text, const char* bytes, std::size_t length) {
    if (length > text.tail - text.out) {
        const std::size_t rest = text.end - text.tail + 1; // with the terminator
        const std::size_t needed = text.out + length + rest;
        const std::size_t capacity = std::max(needed + needed / 2 + 16, text.capacity * 2);
        auto* grown = static_cast<char*>(Allocate(parser, capacity));
        if (grown == nullptr) {
            return false;
        }
        std::memcpy(grown, text.buffer, text.out);
        std::memcpy(grown + capacity - rest, text.buffer + text.tail, rest);
        if (text.owned) {
            std::free(text.buffer);
        }
        text = {grown, capacity, true, text.out, capacity - rest, capacity - 1};
    }
    text.tail -= length;
    std::memmove(text.buffer + text.tail, bytes, length);
    return true;
}

// Mode "*": no leading or trailing space, and a single space between tokens.
void CollapseSpaces(char* text) {
    char* out = text;
    for (const char* in = text; *in != 0; ++in) {
        if (*in != ' ' || (out != text && out[-1] != ' ')) {
            *out++ = *in;
        }
    }
    if (out != text && out[-1] == ' ') {
        --out;
    }
    *out = 0;
}

} // namespace

// Decodes `text` in place in the given mode. Returns `text`, or a new allocation when
// replacements made it longer (the caller then owns it), or nullptr when memory or the entity
// budget ran out (the latter with an error recorded at `text`).
char* DecodeXmlText(XmlParser& parser, char* text, char* const* entities, char mode) {
    const std::size_t length = NormalizeLineEnds(text);
    if (mode == kModeCdata) {
        return text;
    }
    const char sign = mode == kModeEntityValue ? '%' : '&';
    const bool spacesOnly = mode == kModeAttribute || mode == kModeTokenAttribute;
    GapText gap{text, length + 1, false, 0, 0, length};
    while (gap.tail < gap.end) {
        const char* at = gap.buffer + gap.tail;
        if (at[0] == '&' && at[1] == '#') {
            std::int64_t value = 0;
            if (const char* after = ParseCharacterReference(at, value)) {
                unsigned char bytes[7]; // the longest form the rule gives, for 32 significant bits
                const int count = EncodeUtf8(value, bytes);
                gap.tail = static_cast<std::size_t>(after - gap.buffer);
                std::memcpy(gap.buffer + gap.out, bytes, count); // never longer than the reference
                gap.out += count;
                continue;
            }
        }
        if (at[0] == sign) {
            const std::size_t i = FindEntity(parser, entities, at + 1);
            if (i != kNotFound || parser.entityBudgetSpent) {
                const char* replacement = i != kNotFound ? entities[2 * i + 1] : "";
                const std::size_t replacementLength = std::strlen(replacement);
                if (parser.entityBudgetSpent || replacementLength > parser.entityBytesLeft) {
                    if (gap.owned) {
                        std::free(gap.buffer);
                    }
                    RecordXmlError(parser, text, "entity expansion too large");
                    return nullptr;
                }
                parser.entityBytesLeft -= replacementLength;
                gap.tail += 1 + std::strlen(entities[2 * i]);
                if (!InsertBeforeTail(parser, gap, replacement, replacementLength)) {
                    if (gap.owned) {
                        std::free(gap.buffer);
                    }
                    return nullptr;
                }
                continue;
            }
        }
        char c = *at;
        if (spacesOnly && IsSpaceChar(c)) {
            c = ' ';
        }
        gap.buffer[gap.out++] = c;
        ++gap.tail;
    }
    gap.buffer[gap.out] = 0;
    if (mode == kModeTokenAttribute) {
        CollapseSpaces(gap.buffer);
    }
    return gap.buffer;
}

} // namespace xml
