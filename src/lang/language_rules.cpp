// The text rules of applying a language (see language_rules.h).
#include "lang/language_rules.h"

#include <climits>

namespace {

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(const char* text, const char* lowerName) {
    for (; *lowerName != '\0'; ++text, ++lowerName) {
        if (Lower(*text) != *lowerName) {
            return false;
        }
    }
    return *text == '\0';
}

} // namespace

int32_t ParseControlId(const char* text) {
    while (IsSpace(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= INT32_MAX) {
            value = value * 10 + (*text - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

ControlClass ControlClassOf(const char* text) {
    if (EqualIgnoringCase(text, "static")) {
        return ControlClass::Static;
    }
    if (EqualIgnoringCase(text, "button")) {
        return ControlClass::Button;
    }
    if (EqualIgnoringCase(text, "tabctrl")) {
        return ControlClass::TabCtrl;
    }
    if (EqualIgnoringCase(text, "menu")) {
        return ControlClass::Menu;
    }
    return ControlClass::Other;
}

std::size_t UnitsThatFit(Utf16View text, std::size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    if (text.size() < capacity) {
        return text.size();
    }
    std::size_t units = capacity - 1;
    // Keep a surrogate pair whole: a high surrogate as the last unit would stand alone.
    if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) {
        --units;
    }
    return units;
}
