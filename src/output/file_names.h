// Names of saved pictures: the time-stamped default and the ".png" rule.
#pragma once

#include <span>

#include "settings/text_unit.h"

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// "Vistrel_YYYYMMDDhhmmss.png" into a 260-unit buffer.
void DefaultSaveName(const LocalTime& time, std::span<Utf16Unit, 260> out);

// True when ".png" is to be appended: the file name itself (after the last "\" or "/") has no
// ".", whatever dots the folders have (C:\Users\first.last\Pictures\slide gets it).
bool NeedsPngExtension(Utf16View path);
