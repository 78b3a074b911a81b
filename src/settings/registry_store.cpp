// Registry access for the settings (see registry_store.h).
#include "settings/registry_store.h"

#include <array>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "settings/error_text.h"
#include "settings/stored_value.h"

namespace {

// Setting names are ASCII; the registry wants UTF-16.
struct WideName {
    wchar_t text[64];
    explicit WideName(const char* name) {
        std::size_t i = 0;
        for (; name[i] != 0 && i + 1 < std::size(text); ++i) {
            text[i] = static_cast<unsigned char>(name[i]);
        }
        text[i] = 0;
    }
};

// Reads a string value of at most 520 bytes; false when it is missing, unreadable or too long.
bool ReadPathValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName,
                   wchar_t (&out)[MAX_PATH], LSTATUS& status) {
    HKEY key = nullptr;
    status = RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    std::array<uint8_t, sizeof out> buffer = {};
    DWORD type = 0;
    DWORD size = buffer.size();
    status = RegQueryValueExW(key, valueName, nullptr, &type, buffer.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    SettingEntry row = {"", kRegSz, out, sizeof out};
    TakeStoredValue(row, kRegSz, buffer.data(), size);
    return true;
}

// Started by the 32-bit program from a copy it wrote out, `Filepath` names that copy, which is
// deleted when the program exits: logon must start the 32-bit program instead.
void PreferCarrier(wchar_t (&path)[MAX_PATH]) {
    const std::wstring carrier = CarrierOfCopy(path);
    if (!carrier.empty() && carrier.size() < MAX_PATH) {
        wcscpy(path, carrier.c_str());
    }
}

// Windows' own startup switch for the Run value, as it stands; no value lets it run.
bool StartupApproved() {
    std::array<uint8_t, 64> stored = {};
    DWORD size = stored.size();
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, kRunValueName, RRF_RT_ANY,
                     nullptr, stored.data(), &size);
    return status != ERROR_SUCCESS || StartupApprovedAllowsRun({stored.data(), size});
}

// Switches the Run value on in Windows' own switch, or forgets it there. Only where the switch
// exists (Windows 8 and later keep its key): elsewhere nothing is needed.
LSTATUS SetStartupApproved(bool enable) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    LSTATUS status =
        enable ? RegSetValueExW(key, kRunValueName, 0, REG_BINARY, kStartupApprovedOn.data(),
                                kStartupApprovedOn.size())
               : RegDeleteValueW(key, kRunValueName);
    RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace

std::wstring CarrierOfCopy(const wchar_t* programPath) {
    wchar_t carrier[MAX_PATH] = {};
    wchar_t copy[MAX_PATH] = {};
    const DWORD carrierLength = GetEnvironmentVariableW(kCarrierPathVariable, carrier, MAX_PATH);
    const DWORD copyLength = GetEnvironmentVariableW(kCarriedCopyVariable, copy, MAX_PATH);
    if (carrierLength == 0 || carrierLength >= MAX_PATH || copyLength == 0 ||
        copyLength >= MAX_PATH) {
        return L"";
    }
    return CompareStringOrdinal(copy, -1, programPath, -1, TRUE) == CSTR_EQUAL ? carrier : L"";
}

void ReadSettings(std::span<SettingEntry> rows) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    // Each value is read into a scratch buffer of the row's size and taken only when the read
    // succeeded, so a value that does not fit never touches the setting.
    std::vector<uint8_t> buffer;
    for (SettingEntry& row : rows) {
        const uint32_t declaredType = row.type;
        buffer.assign(row.size, 0);
        DWORD type = row.type;
        DWORD size = row.size;
        LSTATUS status =
            RegQueryValueExW(key, WideName(row.name).text, nullptr, &type, buffer.data(), &size);
        row.type = type;
        row.size = size;
        if (status == ERROR_SUCCESS && size <= buffer.size()) {
            SettingEntry target = row;
            target.size = static_cast<uint32_t>(buffer.size());
            TakeStoredValue(target, declaredType, buffer.data(), size);
        }
    }
    RegCloseKey(key);
}

void WriteSettings(std::span<const SettingEntry> rows) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    for (const SettingEntry& row : rows) {
        RegSetValueExW(key, WideName(row.name).text, 0, row.type,
                       static_cast<const BYTE*>(row.data), row.size);
    }
    RegCloseKey(key);
}

void StoreProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    path[MAX_PATH - 1] = 0;
    const SettingEntry row = StringSettingRowForWrite("Filepath", path);
    WriteSettings({&row, 1});
}

bool SetAutoStart(HWND owner, bool enable) {
    HKEY runKey = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_SET_VALUE, &runKey);
    if (status == ERROR_SUCCESS) {
        if (enable) {
            wchar_t path[MAX_PATH] = {};
            if (ReadPathValue(HKEY_CURRENT_USER, kSettingsKeyPath, L"Filepath", path, status)) {
                PreferCarrier(path);
                // Quoted, so that a path with spaces starts the program and not a prefix of it.
                wchar_t command[MAX_PATH + 3] = {};
                int length = swprintf(command, std::size(command), L"\"%ls\"", path);
                status = RegSetValueExW(runKey, kRunValueName, 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(command),
                                        static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
            }
        } else {
            status = RegDeleteValueW(runKey, kRunValueName);
            if (status == ERROR_FILE_NOT_FOUND) {
                status = ERROR_SUCCESS;
            }
        }
        RegCloseKey(runKey);
    }
    if (status == ERROR_SUCCESS) {
        // Switched off in Task Manager or Settings, the value alone would not run at logon.
        status = SetStartupApproved(enable);
    }
    if (status != ERROR_SUCCESS) {
        ShowErrorMessage(L"Error configuring auto start", owner, static_cast<DWORD>(status));
        return false;
    }
    return true;
}

bool IsAutoStart() {
    wchar_t command[MAX_PATH] = {};
    LSTATUS status = ERROR_SUCCESS;
    // A value too long for the buffer still means auto-start is on.
    return (ReadPathValue(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, command, status) ||
            status == ERROR_MORE_DATA) &&
           StartupApproved();
}

void ShowErrorMessage(const wchar_t* text, HWND owner, DWORD errorCode) {
    wchar_t* systemText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    std::array<wchar_t, kErrorTextUnits> message = {};
    ComposeErrorText(text, systemText != nullptr ? systemText : L"", message);
    if (systemText != nullptr) {
        LocalFree(systemText);
    }
    MessageBoxW(owner, message.data(), L"Vistrel", MB_ICONERROR);
}

bool ClearSettings() {
    // What is not there is removed: a missing Run key or value is no failure.
    HKEY runKey = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_SET_VALUE, &runKey);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteValueW(runKey, kRunValueName);
        RegCloseKey(runKey);
    }
    const bool runValueGone = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    const bool switchGone = SetStartupApproved(false) == ERROR_SUCCESS;
    bool vendorKeyGone = DeleteKeyTree(HKEY_CURRENT_USER, kVendorKeyPath, true);
    return runValueGone && switchGone && vendorKeyGone;
}

bool DeleteKeyTree(HKEY root, const wchar_t* path, bool recurse) {
    if (RegDeleteKeyW(root, path) == ERROR_SUCCESS) {
        return true;
    }
    if (!recurse) {
        return false;
    }
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        return status == ERROR_FILE_NOT_FOUND;
    }
    const std::size_t pathLength = wcslen(path);
    for (;;) {
        // Always index 0: deleting a subkey renumbers the rest.
        wchar_t name[MAX_PATH] = {};
        DWORD nameLength = MAX_PATH;
        if (RegEnumKeyExW(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::size_t bytes = pathLength * sizeof(wchar_t) + 524;
        auto* subPath = static_cast<wchar_t*>(calloc(1, bytes));
        if (subPath == nullptr) {
            break;
        }
        swprintf(subPath, bytes / sizeof(wchar_t), L"%ls\\%ls", path, name);
        bool deleted = DeleteKeyTree(root, subPath, recurse);
        free(subPath);
        if (!deleted) {
            break;
        }
    }
    RegCloseKey(key);
    status = RegDeleteKeyW(root, path);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
