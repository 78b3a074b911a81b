// The one command-line switch: "/clearreg" or "-clearreg", in any case, removes the settings and
// the auto-start entry. Argument 0 (the program path) is never examined.
#pragma once

#include <span>

#include "settings/text_unit.h"

bool IsClearSettingsSwitch(Utf16View argument);

// True when any argument from index 1 on is the clear-settings switch.
bool HasClearSettingsSwitch(std::span<const Utf16Unit* const> arguments);
