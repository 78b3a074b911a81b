// The settings store against the real registry: rows read and written, values of the wrong type
// or size, auto-start with its error box, the 32-bit program's path and Windows' own startup
// switch, and clearing.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "settings/registry_store.h"
#include "support/dialog_runner.h"

namespace {

// The bytes stored under a value as UTF-16 units, a string's terminator included.
std::optional<std::wstring> Stored(const wchar_t* keyPath, const wchar_t* name) {
    wchar_t units[600] = {};
    DWORD size = sizeof units;
    return RegGetValueW(HKEY_CURRENT_USER, keyPath, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                        units, &size) == ERROR_SUCCESS
               ? std::optional(std::wstring(units, size / 2))
               : std::nullopt;
}

// By default a REG_SZ of the text and its terminator.
void Store(const wchar_t* keyPath, const wchar_t* name, const std::wstring& text,
           DWORD type = REG_SZ, DWORD size = ~0u) {
    size = size != ~0u ? size : static_cast<DWORD>((text.size() + 1) * 2);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, type, text.data(), size), 0);
}

// The settings between two guard words, so that a read running past the record shows.
struct GuardedSettings {
    uint32_t front = 0xA5A5A5A5;
    Settings s;
    uint32_t back = 0x5A5A5A5A;
    void Load() {
        auto rows = SettingsLoadTable(s);
        ReadSettings(rows);
    }
    bool operator==(const GuardedSettings& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

const wchar_t kSwitchedOff[6] = {0x0003, 0, 0x3210, 0x7654, 0xBA98, 0x01DC};

class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        RegDeleteTreeW(HKEY_CURRENT_USER, kStartupApprovedKeyPath);
        Store(kRunKeyPath, kRunValueName, L""); // the Run key exists; only this value is ours
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
    }
    void TearDown() override {
        SetEnvironmentVariableW(kCarrierPathVariable, nullptr);
        SetEnvironmentVariableW(kCarriedCopyVariable, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, kStartupApprovedKeyPath);
    }
};

TEST_F(RegistryStore, LoadingTakesStoredBytesWhateverTheirTypeWhenTheyFit) {
    GuardedSettings loaded;
    loaded.Load(); // no settings key: nothing changes
    EXPECT_TRUE(loaded == GuardedSettings{});
    GuardedSettings written;
    written.s.HotkeyZoom = 0x258;
    wcscpy(written.s.BreakSoundFile, L"C:\\Sounds\\gong.wav");
    wcscpy(written.s.Font.lfFaceName, L"Courier New");
    auto rows = SettingsLoadTable(written.s);
    WriteSettings(rows);
    loaded.Load();
    EXPECT_TRUE(loaded == written);
    Store(kSettingsKeyPath, L"PenColor", L"\x2211", REG_BINARY, 2);
    Store(kSettingsKeyPath, L"HotkeyDraw", L"A"); // 4 bytes of REG_SZ in a REG_DWORD row
    Store(kSettingsKeyPath, L"WPadBackgroundFile", std::wstring(300, L'x'));
    Store(kSettingsKeyPath, L"BreakSoundFile", std::wstring(260, L'y'), REG_BINARY, 520);
    Store(kSettingsKeyPath, L"Font", std::wstring(500, L'F'), REG_BINARY, 1000);
    written.s.PenColor = 0xAABBCCDD;
    loaded = written;
    loaded.Load();
    written.s.PenColor = 0xAABB2211;
    written.s.HotkeyDraw = L'A';
    wmemset(written.s.BreakSoundFile, L'y', kSettingTextUnits - 1); // and terminated
    EXPECT_TRUE(loaded == written);
}

// Auto-start runs the stored program, or its carrier, quoted, or says why not; Windows' own
// startup switch (Task Manager's) turns it off although the Run value is there, ticking turns it
// on there too, and removing removes both. Where Windows has no such switch nothing is written.
TEST_F(RegistryStore, AutoStartRunsTheStoredProgramOrItsCarrierAndFollowsWindowsSwitch) {
    MessageBoxCollector collector;
    EXPECT_FALSE(SetAutoStart(nullptr, true)); // no settings key
    Store(kSettingsKeyPath, L"OptionShown", L"");
    EXPECT_FALSE(SetAutoStart(nullptr, true));             // no Filepath
    ShowErrorMessage(L"Odd failure", nullptr, 0x2000ABCD); // a code the system has no text for
    const auto boxes = collector.Stop();
    ASSERT_EQ(boxes.size(), 3u);
    const std::wstring missing =
        ErrorBoxText(L"Error configuring auto start", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(boxes[0].caption, L"Vistrel");
    EXPECT_EQ(boxes[0].Text(), missing);
    EXPECT_EQ(boxes[1].Text(), missing);
    EXPECT_EQ(boxes[2].Text(), L"Odd failure: ");

    Store(kSettingsKeyPath, L"Filepath", L"C:\\Some Dir\\Vistrel64.exe");
    MessageBoxCollector none;
    EXPECT_TRUE(SetAutoStart(nullptr, true));
    EXPECT_EQ(Stored(kRunKeyPath, kRunValueName),
              std::wstring(L"\"C:\\Some Dir\\Vistrel64.exe\"") + L'\0');
    EXPECT_TRUE(IsAutoStart());
    EXPECT_FALSE(Stored(kStartupApprovedKeyPath, kRunValueName));
    Store(kStartupApprovedKeyPath, kRunValueName, std::wstring(kSwitchedOff, 6), REG_BINARY, 12);
    EXPECT_FALSE(IsAutoStart());
    EXPECT_TRUE(SetAutoStart(nullptr, true));
    EXPECT_EQ(Stored(kStartupApprovedKeyPath, kRunValueName), std::wstring(L"\x0002\0\0\0\0\0", 6));
    EXPECT_TRUE(IsAutoStart());
    EXPECT_TRUE(SetAutoStart(nullptr, false));
    EXPECT_FALSE(IsAutoStart());
    EXPECT_FALSE(Stored(kStartupApprovedKeyPath, kRunValueName));
    EXPECT_FALSE(Stored(kRunKeyPath, kRunValueName));
    EXPECT_TRUE(SetAutoStart(nullptr, false)) << "a missing value counts as removed";
    EXPECT_TRUE(none.Stop().empty());
    Store(kRunKeyPath, kRunValueName, std::wstring(400, L'z')); // more than 520 bytes
    EXPECT_TRUE(IsAutoStart());

    // Run from the copy the 32-bit program wrote out, logon must start the 32-bit program
    // instead; started some other way, the program itself is what logon starts.
    SetEnvironmentVariableW(kCarrierPathVariable, L"C:\\Tools\\Present.exe");
    SetEnvironmentVariableW(kCarriedCopyVariable, L"C:\\Tools\\Present64.exe");
    for (auto [filepath, started] :
         {std::pair{L"C:\\TOOLS\\PRESENT64.EXE", L"\"C:\\Tools\\Present.exe\""},
          std::pair{L"C:\\Elsewhere\\Present64.exe", L"\"C:\\Elsewhere\\Present64.exe\""}}) {
        Store(kSettingsKeyPath, L"Filepath", filepath);
        EXPECT_TRUE(SetAutoStart(nullptr, true));
        EXPECT_EQ(Stored(kRunKeyPath, kRunValueName), std::wstring(started) + L'\0') << filepath;
    }
}

TEST_F(RegistryStore, ClearingRemovesTheWholeVendorKeyTheRunValueAndWindowsSwitchOnly) {
    EXPECT_TRUE(ClearSettings()) << "nothing to clear";
    RegDeleteTreeW(HKEY_CURRENT_USER, kRunKeyPath);
    EXPECT_TRUE(ClearSettings()) << "no Run key at all is nothing to remove, not a failure";
    for (const wchar_t* key : {L"Software\\tarnove\\Vistrel\\a\\b", L"Software\\tarnove\\Other\\x",
                               L"Software\\tarnove\\Other\\y", L"Software\\tarnoveOther"})
        Store(key, L"Some", L"");
    Store(kRunKeyPath, kRunValueName, L"\"C:\\Vistrel64.exe\"");
    Store(kStartupApprovedKeyPath, kRunValueName, std::wstring(kSwitchedOff, 6), REG_BINARY, 12);
    EXPECT_FALSE(DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath, false)) << "has subkeys";
    EXPECT_TRUE(ClearSettings());
    EXPECT_FALSE(Stored(L"Software\\tarnove\\Other\\x", L"Some"));
    EXPECT_FALSE(Stored(kRunKeyPath, kRunValueName));
    EXPECT_FALSE(Stored(kStartupApprovedKeyPath, kRunValueName));
    EXPECT_TRUE(Stored(L"Software\\tarnoveOther", L"Some"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\tarnoveOther");
}

} // namespace
