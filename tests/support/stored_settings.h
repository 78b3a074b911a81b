// Reading what the program stored under its settings key, for tests in the program's own process
// and end-to-end tests alike.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// A DWORD under the program's settings key, if there is one.
std::optional<DWORD> StoredSetting(const wchar_t* name);
// A REG_SZ under the settings key; none when there is no such value.
std::optional<std::wstring> StoredText(const wchar_t* name);
// The names of the values under the settings key, in the registry's order.
std::vector<std::wstring> SettingValueNames();
