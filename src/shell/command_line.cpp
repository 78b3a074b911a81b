// Recognising the clear-settings switch (see command_line.h).
#include "shell/command_line.h"

#include <algorithm>

namespace {

Utf16Unit AsciiLower(Utf16Unit c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Utf16Unit>(c - 'A' + 'a') : c;
}

} // namespace

bool IsClearSettingsSwitch(Utf16View argument) {
    constexpr Utf16View kName = UTF16("clearreg");
    if (argument.size() != kName.size() + 1 || (argument[0] != '/' && argument[0] != '-')) {
        return false;
    }
    return std::equal(kName.begin(), kName.end(), argument.begin() + 1,
                      [](Utf16Unit expected, Utf16Unit given) {
                          return expected == AsciiLower(given);
                      });
}

bool HasClearSettingsSwitch(std::span<const Utf16Unit* const> arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] != nullptr && IsClearSettingsSwitch(arguments[i])) {
            return true;
        }
    }
    return false;
}
