// The rule that takes a value read from the registry into its in-memory setting. There is no
// type check: stored bytes are taken whenever they fit into the row's size, so a REG_DWORD
// setting stored as two bytes of REG_BINARY changes only its low two bytes. Also how Windows'
// own startup switch reads.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "settings/settings_table.h"

// `declaredType` is the row's type before reading (the stored type may differ). Returns false,
// leaving the value untouched, when the stored bytes do not fit. A string setting ends right
// after the stored units and is always terminated within its buffer, whatever was stored.
bool TakeStoredValue(const SettingEntry& row, uint32_t declaredType, const uint8_t* bytes,
                     uint32_t byteCount);

// Windows' own switch for a Run entry (Task Manager's Startup page, Settings' Startup apps)
// keeps its state in a value of the entry's name under Explorer\StartupApproved\Run. Windows
// does not document it; Task Manager writes 12 bytes, the first 2 (some versions 6) while the
// entry may run and 3 once switched off, followed by the time it was switched off. An odd first
// byte is taken as off; no value at all, as on (Windows before 8 has no such switch).
bool StartupApprovedAllowsRun(std::span<const uint8_t> stored);
// What the program writes when the presenter ticks auto-start: on, as Task Manager writes it.
inline constexpr std::array<uint8_t, 12> kStartupApprovedOn = {2};
