// The rule that takes a value read from the registry into its in-memory setting. There is no
// type check: stored bytes are taken whenever they fit into the row's size, so a REG_DWORD
// setting stored as two bytes of REG_BINARY changes only its low two bytes.
#pragma once

#include <cstdint>

#include "settings/settings_table.h"

// `declaredType` is the row's type before reading (the stored type may differ). Returns false,
// leaving the value untouched, when the stored bytes do not fit. A string setting ends right
// after the stored units and is always terminated within its buffer, whatever was stored.
bool TakeStoredValue(const SettingEntry& row, uint32_t declaredType, const uint8_t* bytes,
                     uint32_t byteCount);
