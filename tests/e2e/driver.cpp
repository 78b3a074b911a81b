// Outside driving of the program for end-to-end tests (see driver.h).
#include "e2e/driver.h"

#include <cstdlib>

#include "zoom/hotkey_value.h"

std::wstring VistrelExePath() {
    const char* unixPath = std::getenv("VISTREL_EXE");
    std::wstring path = L"Z:";
    for (const char* c = unixPath != nullptr ? unixPath : ""; *c != 0; ++c) {
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    return path;
}

VistrelProcess::VistrelProcess(VistrelProcess&& other) noexcept : info(other.info) {
    other.info = {};
}

VistrelProcess& VistrelProcess::operator=(VistrelProcess&& other) noexcept {
    if (this != &other) {
        End();
        info = other.info;
        other.info = {};
    }
    return *this;
}

VistrelProcess::~VistrelProcess() { End(); }

void VistrelProcess::End() {
    if (info.hProcess == nullptr) {
        return;
    }
    if (Running()) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    info = {};
}

bool VistrelProcess::Running() const {
    return info.hProcess != nullptr && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> VistrelProcess::WaitForExit(DWORD timeoutMs) const {
    if (info.hProcess == nullptr || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

VistrelProcess StartVistrel(const std::wstring& arguments) {
    const std::wstring exe = VistrelExePath();
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    VistrelProcess process;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process.info)) {
        process.info = {};
    }
    return process;
}

namespace {

struct MainWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<MainWindowSearch*>(context);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && wcscmp(className, L"VistrelClass") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    MainWindowSearch search = {processId, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

void PostCommand(HWND mainWindow, uint32_t command) {
    PostMessageW(mainWindow, WM_COMMAND, command, 0);
}

namespace {

void DeleteTree(const wchar_t* path) { RegDeleteTreeW(HKEY_CURRENT_USER, path); }

} // namespace

void ClearProgramRegistry() {
    DeleteTree(L"Software\\tarnove");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Vistrel");
        RegCloseKey(run);
    }
}

void WriteSettingDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, REG_DWORD, &value, sizeof value);
}

std::optional<DWORD> ReadSettingDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, RRF_RT_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::wstring> SettingValueNames() {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD length = 256;
        if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name);
    }
    RegCloseKey(key);
    return names;
}

bool KeyExists(const wchar_t* keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool HotkeyHeldElsewhere(uint32_t value) {
    const HotkeyRegistration registration = TranslateHotkey(value);
    constexpr int kProbeId = 0xB000;
    if (RegisterHotKey(nullptr, kProbeId, registration.modifiers, registration.virtualKey)) {
        UnregisterHotKey(nullptr, kProbeId);
        return false;
    }
    return true;
}

HeldHotkey::HeldHotkey(uint32_t value) : id(0xA000 + static_cast<int>(value & 0xFFF)) {
    const HotkeyRegistration registration = TranslateHotkey(value);
    held = RegisterHotKey(nullptr, id, registration.modifiers, registration.virtualKey) != 0;
}

HeldHotkey::~HeldHotkey() { Release(); }

void HeldHotkey::Release() {
    if (held) {
        UnregisterHotKey(nullptr, id);
        held = false;
    }
}

namespace {

std::wstring SystemKeyName(UINT virtualKey) {
    wchar_t name[64] = {};
    GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16), name, 64);
    return name;
}

} // namespace

std::wstring ExpectedHotkeyName(uint32_t value) {
    std::wstring name;
    if (value & kHotkeyCtrl) {
        name += SystemKeyName(VK_CONTROL) + L"+";
    }
    if (value & kHotkeyShift) {
        name += SystemKeyName(VK_SHIFT) + L"+";
    }
    if (value & kHotkeyAlt) {
        name += SystemKeyName(VK_MENU) + L"+";
    }
    return name + SystemKeyName(value & 0xFF);
}
