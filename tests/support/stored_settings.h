// Reading and writing what the program keeps under its settings key, for tests in the program's
// own process and end-to-end tests alike.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/registry_store.h"

// Named DWORDs under the settings key.
using SettingDwords = std::initializer_list<std::pair<const wchar_t*, DWORD>>;

// A DWORD under the program's settings key, if there is one.
std::optional<DWORD> StoredSetting(const wchar_t* name);
// A REG_SZ under the settings key; none when there is no such value.
std::optional<std::wstring> StoredText(const wchar_t* name);
// A test expectation for each: stored, with that value.
void ExpectStored(SettingDwords values);
// The names of the values under the settings key, in the registry's order.
std::vector<std::wstring> SettingValueNames();
// DWORDs written under the settings key, as a stored earlier run would leave them; whether all
// were.
bool WriteSettings(SettingDwords values);
void WriteString(const wchar_t* name, const std::wstring& value,
                 const wchar_t* key = kSettingsKeyPath);
