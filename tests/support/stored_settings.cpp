// Reading and writing the stored settings (see stored_settings.h).
#include "support/stored_settings.h"

#include <gtest/gtest.h>

namespace {

template <typename Value> std::optional<Value> Read(const wchar_t* name, DWORD type, Value value) {
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, type, nullptr, &value, &size) ==
                   ERROR_SUCCESS
               ? std::optional<Value>(value)
               : std::nullopt;
}

} // namespace

std::optional<DWORD> StoredSetting(const wchar_t* name) {
    return Read(name, RRF_RT_REG_DWORD, DWORD{0});
}

std::optional<std::wstring> StoredText(const wchar_t* name) {
    struct Text {
        wchar_t units[MAX_PATH] = {};
    };
    const auto text = Read(name, RRF_RT_REG_SZ, Text{});
    return text ? std::optional<std::wstring>(text->units) : std::nullopt;
}

void ExpectStored(SettingDwords values) {
    for (const auto& [name, value] : values) {
        EXPECT_EQ(StoredSetting(name), value) << name;
    }
}

std::vector<std::wstring> SettingValueNames() {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256] = {};
    for (DWORD index = 0, length = 256; RegEnumValueW(key, index, name, &length, nullptr, nullptr,
                                                      nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = 256)
        names.emplace_back(name);
    RegCloseKey(key);
    return names;
}

bool WriteSettings(SettingDwords values) {
    bool written = true;
    for (const auto& [name, value] : values) {
        written &= RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, REG_DWORD, &value,
                                   sizeof value) == ERROR_SUCCESS;
    }
    return written;
}

void WriteString(const wchar_t* name, const std::wstring& value, const wchar_t* key) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
