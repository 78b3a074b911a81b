// Setting rows: the (registry name, type, in-memory value, size) records that ReadSettings and
// WriteSettings (settings/registry_store.h) walk, and the row tables of the events that read
// or write settings. Tables are built on the caller's stack, one row per value, in order.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "settings/settings_values.h"

struct SettingEntry {
    const char* name; // registry value name (ASCII)
    uint32_t type;    // kRegDword, kRegSz or kRegBinary; reading overwrites it with the stored type
    void* data;       // the in-memory value
    uint32_t size;    // bytes; reading overwrites it with the stored size
};

constexpr std::size_t kLoadedSettingCount = 40;

// The rows read at start, in registry-table order.
std::array<SettingEntry, kLoadedSettingCount> SettingsLoadTable(Settings& settings);

// The two values written by the tray's Exit command: FontScale, then PenColor.
std::array<SettingEntry, 2> ExitSettingRows(Settings& settings);

// Single rows for values written on their own.
SettingEntry DwordSettingRow(const char* name, int32_t& value);
SettingEntry DwordSettingRow(const char* name, uint32_t& value);
// A string row for writing: size is the string length plus terminator, in bytes.
SettingEntry StringSettingRowForWrite(const char* name, Utf16Unit* text);

// Makes values that came from the registry safe to use where the registry can hand over
// anything: a typing-font face name that fills its 32 units gets its terminator, and the pen
// and highlighter widths come back within 2 to 30.
void SanitizeLoadedSettings(Settings& settings);
