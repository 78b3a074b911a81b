// The settings store against the real registry: reading and writing rows, values of the wrong
// type or size, the program path, auto-start, clearing and the error box.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_store.h"
#include "settings/settings_table.h"
#include "support/message_box_watcher.h"

namespace {

struct StoredValue {
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

std::optional<StoredValue> ReadStored(const wchar_t* keyPath, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    StoredValue value;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// The stored bytes of a REG_SZ value as text, its terminator included.
std::wstring StoredText(const wchar_t* keyPath, const wchar_t* name) {
    auto value = ReadStored(keyPath, name);
    if (!value || value->type != REG_SZ) {
        return L"<no REG_SZ value>";
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(value->bytes.data()),
                        value->bytes.size() / sizeof(wchar_t));
}

std::wstring Terminated(const wchar_t* text) { return std::wstring(text) + L'\0'; }

void Store(const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* bytes,
           DWORD size) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, type, bytes, size),
              ERROR_SUCCESS);
}

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::wstring SystemText(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = text != nullptr ? text : L"";
    LocalFree(text);
    return result;
}

// The settings between two guard words, so that a read running past the record shows.
struct GuardedSettings {
    uint32_t front = 0xA5A5A5A5;
    Settings s;
    uint32_t back = 0x5A5A5A5A;
};

void Load(GuardedSettings& guarded) {
    auto rows = SettingsLoadTable(guarded.s);
    ReadSettings(rows);
}

void ExpectSame(const GuardedSettings& actual, const GuardedSettings& expected) {
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0);
}

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        // Windows always has the Run key; only the program's value in it is ours.
        HKEY run = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &run, nullptr),
                  ERROR_SUCCESS);
        RegDeleteValueW(run, kRunValueName);
        RegCloseKey(run);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(RegistryStore, ReadingWithoutTheKeyChangesNothing) {
    GuardedSettings loaded;
    Load(loaded);
    ExpectSame(loaded, GuardedSettings{});
    EXPECT_EQ(loaded.s.HotkeyZoom, 0x131u);
    EXPECT_EQ(loaded.s.ZoominSliderLevel, 3u);
}

TEST_F(RegistryStore, WrittenRowsReadBack) {
    GuardedSettings written;
    written.s.HotkeyZoom = 0x258;
    written.s.PenColor = 0x123456;
    written.s.BreakOnSecondary = 1;
    wcscpy(written.s.BreakSoundFile, L"C:\\Sounds\\gong.wav");
    wcscpy(written.s.Font.lfFaceName, L"Courier New");
    written.s.Font.lfHeight = -13;
    auto rows = SettingsLoadTable(written.s);
    WriteSettings(rows);

    auto hotkey = ReadStored(kSettingsKeyPath, L"HotkeyZoom");
    ASSERT_TRUE(hotkey);
    EXPECT_EQ(hotkey->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ReadStored(kSettingsKeyPath, L"Font")->bytes.size(), 92u);

    GuardedSettings loaded;
    Load(loaded);
    ExpectSame(loaded, written);

    // A string row for writing stores the text and its terminator only.
    wchar_t file[kSettingTextUnits] = L"D:\\pad.png";
    const SettingEntry row = StringSettingRowForWrite("WPadBackgroundFile", file);
    WriteSettings({&row, 1});
    EXPECT_EQ(StoredText(kSettingsKeyPath, L"WPadBackgroundFile"), Terminated(L"D:\\pad.png"));
}

TEST_F(RegistryStore, StoredBytesAreTakenOnlyWhenTheyFit) {
    const BYTE lowBytes[2] = {0x11, 0x22};
    Store(kSettingsKeyPath, L"PenColor", REG_BINARY, lowBytes, sizeof lowBytes);
    const wchar_t letter[2] = L"A";  // 4 bytes of REG_SZ in a REG_DWORD row
    Store(kSettingsKeyPath, L"HotkeyDraw", REG_SZ, letter, sizeof letter);
    Store(kSettingsKeyPath, L"PenWidth", REG_BINARY, nullptr, 0);
    const std::wstring tooLong(300, L'x');
    Store(kSettingsKeyPath, L"WPadBackgroundFile", REG_SZ, tooLong.c_str(),
          static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
    const std::wstring fullBuffer(kSettingTextUnits, L'y');  // 520 bytes, no terminator
    Store(kSettingsKeyPath, L"BreakSoundFile", REG_BINARY, fullBuffer.data(), 520);
    const std::vector<BYTE> hugeFont(1000, 0x41);
    Store(kSettingsKeyPath, L"Font", REG_BINARY, hugeFont.data(),
          static_cast<DWORD>(hugeFont.size()));

    GuardedSettings loaded;
    loaded.s.PenColor = 0xAABBCCDD;
    wcscpy(loaded.s.WPadBackgroundFile, L"kept");
    Load(loaded);

    GuardedSettings expected;
    expected.s.PenColor = 0xAABB2211;
    expected.s.HotkeyDraw = L'A';
    wcscpy(expected.s.WPadBackgroundFile, L"kept");
    wmemset(expected.s.BreakSoundFile, L'y', kSettingTextUnits - 1);
    ExpectSame(loaded, expected);
}

TEST_F(RegistryStore, FontFaceNameWithoutTerminatorIsTerminatedAfterLoading) {
    LOGFONTW font = {};
    font.lfHeight = -20;
    wmemset(font.lfFaceName, L'F', LF_FACESIZE);
    Store(kSettingsKeyPath, L"Font", REG_BINARY, &font, sizeof font);

    GuardedSettings loaded;
    Load(loaded);
    SanitizeLoadedSettings(loaded.s);
    EXPECT_EQ(loaded.s.Font.lfHeight, -20);
    EXPECT_EQ(std::wstring(loaded.s.Font.lfFaceName), std::wstring(LF_FACESIZE - 1, L'F'));
    EXPECT_EQ(loaded.back, GuardedSettings{}.back);
}

TEST_F(RegistryStore, ProgramPathIsThisProcess) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    StoreProgramPath();
    EXPECT_EQ(StoredText(kSettingsKeyPath, L"Filepath"), Terminated(path));
}

TEST_F(RegistryStore, AutoStartRunsTheStoredPathQuoted) {
    const wchar_t path[] = L"C:\\Some Dir\\Vistrel64.exe";
    Store(kSettingsKeyPath, L"Filepath", REG_SZ, path, sizeof path);
    const wchar_t otherEntry[] = L"C:\\other.exe";
    Store(kRunKeyPath, L"Other", REG_SZ, otherEntry, sizeof otherEntry);
    EXPECT_FALSE(IsAutoStart());

    MessageBoxCollector boxes;
    EXPECT_TRUE(SetAutoStart(nullptr, true));
    EXPECT_EQ(StoredText(kRunKeyPath, kRunValueName),
              Terminated(L"\"C:\\Some Dir\\Vistrel64.exe\""));
    EXPECT_TRUE(IsAutoStart());

    EXPECT_TRUE(SetAutoStart(nullptr, false));
    EXPECT_FALSE(ReadStored(kRunKeyPath, kRunValueName));
    EXPECT_FALSE(IsAutoStart());
    EXPECT_TRUE(SetAutoStart(nullptr, false)) << "a missing value counts as removed";
    EXPECT_TRUE(ReadStored(kRunKeyPath, L"Other"));
    EXPECT_TRUE(boxes.Stop().empty());

    const std::wstring longCommand(400, L'z');  // more than the 520 bytes IsAutoStart reads
    Store(kRunKeyPath, kRunValueName, REG_SZ, longCommand.c_str(),
          static_cast<DWORD>((longCommand.size() + 1) * sizeof(wchar_t)));
    EXPECT_TRUE(IsAutoStart());
}

TEST_F(RegistryStore, AutoStartWithoutProgramPathFailsWithTheSystemReason) {
    for (bool settingsKeyExists : {false, true}) {
        SCOPED_TRACE(settingsKeyExists ? "settings key without Filepath" : "no settings key");
        if (settingsKeyExists) {
            const DWORD one = 1;
            Store(kSettingsKeyPath, L"OptionShown", REG_DWORD, &one, sizeof one);
        }
        MessageBoxCollector collector;
        EXPECT_FALSE(SetAutoStart(nullptr, true));
        const auto boxes = collector.Stop();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Vistrel");
        EXPECT_EQ(boxes[0].Text(),
                  L"Error configuring auto start: " + SystemText(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(ReadStored(kRunKeyPath, kRunValueName));
    }
}

TEST_F(RegistryStore, ErrorBoxJoinsTextAndSystemMessage) {
    constexpr DWORD kUnknownCode = 0x2000ABCD;  // customer bit: the system has no text for it
    ASSERT_EQ(SystemText(kUnknownCode), L"");
    ASSERT_NE(SystemText(ERROR_ACCESS_DENIED), L"");

    MessageBoxCollector collector;
    ShowErrorMessage(L"Could not open", nullptr, ERROR_ACCESS_DENIED);
    ShowErrorMessage(L"Odd failure", nullptr, kUnknownCode);
    const auto boxes = collector.Stop();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Vistrel");
    EXPECT_EQ(boxes[0].Text(), L"Could not open: " + SystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(boxes[1].Text(), L"Odd failure: ");
}

TEST_F(RegistryStore, ClearingNothingSucceeds) {
    EXPECT_TRUE(ClearSettings());
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\tarnove\\Missing", true));
}

TEST_F(RegistryStore, ClearingRemovesTheWholeVendorKeyAndTheRunValue) {
    const DWORD one = 1;
    Store(kSettingsKeyPath, L"OptionShown", REG_DWORD, &one, sizeof one);
    Store(L"Software\\tarnove\\Vistrel\\a\\b\\c\\d", L"Deep", REG_DWORD, &one, sizeof one);
    for (const wchar_t* sibling : {L"Software\\tarnove\\Other\\x", L"Software\\tarnove\\Other\\y",
                                   L"Software\\tarnove\\Other\\z", L"Software\\tarnove\\Third"}) {
        Store(sibling, L"Foreign", REG_DWORD, &one, sizeof one);
    }
    Store(L"Software\\tarnoveOther", L"Keep", REG_DWORD, &one, sizeof one);
    const wchar_t command[] = L"\"C:\\Vistrel64.exe\"";
    Store(kRunKeyPath, kRunValueName, REG_SZ, command, sizeof command);

    EXPECT_TRUE(ClearSettings());
    EXPECT_FALSE(KeyExists(kVendorKeyPath));
    EXPECT_FALSE(ReadStored(kRunKeyPath, kRunValueName));
    EXPECT_TRUE(KeyExists(L"Software\\tarnoveOther"));
    EXPECT_TRUE(KeyExists(kRunKeyPath));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\tarnoveOther");
}

TEST_F(RegistryStore, DeletingAKeyWithSubkeysNeedsRecursion) {
    const DWORD one = 1;
    Store(L"Software\\tarnove\\Vistrel\\sub", L"v", REG_DWORD, &one, sizeof one);
    EXPECT_FALSE(DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath, false));
    EXPECT_TRUE(KeyExists(L"Software\\tarnove\\Vistrel\\sub"));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\tarnove\\Vistrel\\sub", false));
    EXPECT_TRUE(KeyExists(kSettingsKeyPath));
}

} // namespace
