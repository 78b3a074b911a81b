// Names of saved pictures: the time-stamped default and the ".png" rule.
#pragma once

#include <span>

#include "settings/text_unit.h"

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// "Vistrel_YYYYMMDDhhmmss.png" into a 260-unit buffer.
void DefaultSaveName(const LocalTime& time, std::span<Utf16Unit, 260> out);

// True when ".png" is to be appended: the path has no "." anywhere (a dot in a folder name
// counts, so such a path is saved as typed).
bool NeedsPngExtension(Utf16View path);
