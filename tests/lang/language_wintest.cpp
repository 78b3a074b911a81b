// The language catalogue, the start-up choice, switching, and applying a section to a window
// and a menu, against the real resources, files, registry, controls and menus.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "lang/apply_language.h"
#include "lang/language_catalogue.h"
#include "settings/registry_store.h"

namespace {

std::vector<const LanguageEntry*> Entries() {
    std::vector<const LanguageEntry*> entries;
    for (const LanguageEntry* entry = LanguageCatalogue(); entry != nullptr; entry = entry->next) {
        entries.push_back(entry);
    }
    return entries;
}

LanguageEntry Record(const wchar_t* source, uint32_t fromResource, const wchar_t* langId,
                     const wchar_t* name) {
    LanguageEntry record;
    std::memset(&record, 0, sizeof record);
    std::wcscpy(record.source, source);
    record.fromResource = fromResource;
    std::wcscpy(record.langId, langId);
    std::wcscpy(record.displayName, name);
    return record;
}

bool SameStored(const LanguageEntry& a, const LanguageEntry& b) {
    return std::memcmp(&a, &b, kStoredLanguageSize) == 0;
}

const LanguageEntry kChinese = Record(L"117", 1, L"2052", L"简体中文");

void StoreLang(const void* bytes, DWORD size) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Lang", REG_BINARY, bytes, size), 0);
}

bool LangStored() {
    return RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Lang", RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

LANGID interfaceLanguage = 1033;
LANGID WINAPI TestInterfaceLanguage() {
    return interfaceLanguage;
}

// Each test runs in an empty directory of its own, with no settings and no language loaded.
class Languages : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int tests = 0;
        directory = std::wstring(temp) + L"vistrel-lang-" + std::to_wstring(GetCurrentProcessId()) +
                    L"-" + std::to_wstring(++tests);
        ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
        GetCurrentDirectoryW(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryW(directory.c_str()));
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        userInterfaceLanguage = TestInterfaceLanguage;
        interfaceLanguage = 1033;
    }
    void TearDown() override {
        UnloadLanguage();
        FreeLanguageCatalogue();
        SetCurrentDirectoryW(previous);
    }
    static void WriteFile(const wchar_t* name, const std::string& bytes) {
        HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    // Builds the catalogue and makes the entry with this display name current and loaded.
    static void Use(const wchar_t* displayName) {
        const std::vector<const LanguageEntry*> entries = Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (std::wcscmp(entries[i]->displayName, displayName) == 0) {
                SelectLanguage(static_cast<int>(i));
                ASSERT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
                return;
            }
        }
        FAIL() << "no entry";
    }

    std::wstring directory;
    wchar_t previous[MAX_PATH] = {};
};

const char kTwoLanguages[] =
    "<Localization>"
    "<Language id='1036' name='Français'><Section name='TrayMenu'>"
    "<Control id='2' class='Menu'>&amp;Quitter</Control></Section></Language>"
    "<Language id='1031' name='Deutsch'><Section name='TrayMenu'>"
    "<Control id='2' class='Menu'>&amp;Beenden</Control></Section></Language>"
    "</Localization>";

TEST_F(Languages, CatalogueIsDefaultThenBuiltInThenEachLanguageOfEachFile) {
    ASSERT_TRUE(BuildLanguageCatalogue());
    std::vector<const LanguageEntry*> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(SameStored(*entries[0], Record(L"", 1, L"", L"Default(English)")));
    EXPECT_TRUE(SameStored(*entries[1], kChinese));
    FreeLanguageCatalogue();

    WriteFile(L"two.lang", kTwoLanguages);
    ASSERT_TRUE(CreateDirectoryW(L"x.lang", nullptr)); // a directory is skipped
    // Entities that expand each other geometrically stop with an error, not the program.
    std::string laughs = "<!DOCTYPE l [<!ENTITY a0 'ha'>";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY a" + std::to_string(i) + " '";
        for (int j = 0; j < 10; ++j) {
            laughs += "&a" + std::to_string(i - 1) + ";";
        }
        laughs += "'>";
    }
    WriteFile(L"laughs.lang", laughs + "]><l><Language id='1' name='L'>&a9;</Language></l>");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(BuildLanguageCatalogue());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    entries = Entries();
    std::vector<const LanguageEntry*> fromFiles;
    for (const LanguageEntry* entry : entries) {
        if (std::wcscmp(entry->source, L"two.lang") == 0) {
            fromFiles.push_back(entry);
        }
        EXPECT_NE(std::wstring(entry->source), L"x.lang");
    }
    ASSERT_EQ(fromFiles.size(), 2u);
    EXPECT_TRUE(SameStored(*fromFiles[0], Record(L"two.lang", 0, L"1036", L"Français")));
    EXPECT_TRUE(SameStored(*fromFiles[1], Record(L"two.lang", 0, L"1031", L"Deutsch")));
    EXPECT_EQ(fromFiles[0]->next, fromFiles[1]);
    EXPECT_TRUE(SameStored(*entries[1], kChinese));
}

TEST_F(Languages, WithNothingStoredTheInterfaceLanguageChoosesAndNothingIsStored) {
    // The current language names a file that has gone since: it is not known any more.
    auto forgetCurrent = [] {
        WriteFile(L"gone.lang", kTwoLanguages);
        ASSERT_TRUE(BuildLanguageCatalogue());
        SelectLanguage(2);
        FreeLanguageCatalogue();
        ASSERT_TRUE(DeleteFileW(L"gone.lang"));
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        ASSERT_TRUE(BuildLanguageCatalogue());
    };
    for (LANGID language : {2052, 1033}) {
        SCOPED_TRACE(language);
        ASSERT_NO_FATAL_FAILURE(forgetCurrent());
        interfaceLanguage = language;
        const LanguageEntry& expected = language == 2052 ? kChinese : *LanguageCatalogue();
        EXPECT_TRUE(SameStored(ChooseStartupLanguage(), expected));
        EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
        EXPECT_EQ(ActiveLanguageElement() != nullptr, language == 2052);
        EXPECT_FALSE(LangStored());
        FreeLanguageCatalogue();
    }
}

TEST_F(Languages, AStoredLanguageIsJudgedWithinItsFields) {
    ASSERT_TRUE(BuildLanguageCatalogue());
    // Stored Chinese wins over an English interface, even with bytes after a terminator.
    LanguageEntry stored = kChinese;
    stored.langId[6] = L'x';
    ASSERT_NO_FATAL_FAILURE(StoreLang(&stored, kStoredLanguageSize));
    EXPECT_TRUE(SameStored(ChooseStartupLanguage(), stored));
    EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
    EXPECT_NE(ActiveLanguageElement(), nullptr);

    // Strings that run to the end of their fields match nothing; the interface decides.
    LanguageEntry unterminated;
    std::memset(&unterminated, 'A', sizeof unterminated);
    unterminated.fromResource = 1;
    ASSERT_NO_FATAL_FAILURE(StoreLang(&unterminated, kStoredLanguageSize));
    interfaceLanguage = 2052;
    EXPECT_TRUE(SameStored(ChooseStartupLanguage(), kChinese));

    // A value longer than the record is not taken.
    std::vector<BYTE> tooLong(kStoredLanguageSize + 2, 0);
    std::memcpy(tooLong.data(), LanguageCatalogue(), kStoredLanguageSize);
    ASSERT_NO_FATAL_FAILURE(StoreLang(tooLong.data(), static_cast<DWORD>(tooLong.size())));
    EXPECT_TRUE(SameStored(ChooseStartupLanguage(), kChinese));
}

TEST_F(Languages, SelectingStoresTheEntryAndLoadsItsOwnElement) {
    WriteFile(L"two.lang", kTwoLanguages);
    ASSERT_TRUE(BuildLanguageCatalogue());
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 2, L"E&xit");
    auto exitText = [menu] {
        wchar_t text[64] = {};
        GetMenuStringW(menu, 2, text, 64, MF_BYCOMMAND);
        return std::wstring(text);
    };

    ASSERT_NO_FATAL_FAILURE(Use(L"Deutsch"));
    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(exitText(), L"&Beenden");
    LanguageEntry stored = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Lang", RRF_RT_REG_BINARY, nullptr,
                           &stored, &size),
              0);
    EXPECT_EQ(size, kStoredLanguageSize);
    EXPECT_TRUE(SameStored(stored, CurrentLanguage()));

    ASSERT_NO_FATAL_FAILURE(Use(L"Français"));
    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(exitText(), L"&Quitter");

    SelectLanguage(-1);
    SelectLanguage(99);
    EXPECT_EQ(std::wstring(CurrentLanguage().displayName), L"Français");
    SelectLanguage(0); // English: stored, and nothing is loaded
    EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
    EXPECT_EQ(ActiveLanguageElement(), nullptr);
    DestroyMenu(menu);
}

TEST_F(Languages, OverLongIdsAndNamesAreCutAlikeSoTheyStillLoad) {
    const std::string name(40, 'N');
    WriteFile(L"long.lang", "<L><Language id='123456789' name='" + name +
                                "'><Section name='TrayMenu'/></Language></L>");
    ASSERT_TRUE(BuildLanguageCatalogue());
    const LanguageEntry* entry = Entries().back();
    EXPECT_EQ(std::wstring(entry->langId), L"1234567");
    EXPECT_EQ(std::wstring(entry->displayName), std::wstring(31, L'N'));
    ASSERT_NO_FATAL_FAILURE(Use(entry->displayName));
    EXPECT_NE(ActiveLanguageElement(), nullptr);
}

// A window with the options dialog's kind of controls, and a menu with the tray's commands.
struct TestTargets {
    HWND window = nullptr;
    HWND tabs = nullptr;
    HMENU menu = nullptr;
    TestTargets() {
        window = CreateWindowExW(0, L"STATIC", L"Title", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
        for (int id : {1001, 1002, 1003}) {
            CreateWindowExW(0, L"STATIC", L"English", WS_CHILD, 0, 0, 50, 20, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        }
        CreateWindowExW(0, L"BUTTON", L"Show tray icon", WS_CHILD, 0, 0, 50, 20, window,
                        reinterpret_cast<HMENU>(1044), nullptr, nullptr);
        tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD, 0, 0, 300, 200, window,
                               reinterpret_cast<HMENU>(1043), nullptr, nullptr);
        int index = 0;
        for (const wchar_t* title : {L"Zoom", L"LiveZoom", L"Draw", L"Type", L"Break", L"Donate"}) {
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(title);
            SendMessageW(tabs, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
        }
        menu = CreatePopupMenu();
        InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 1004, L"&Options");
        InsertMenuW(menu, 1, MF_BYPOSITION | MF_STRING, 2, L"E&xit");
    }
    ~TestTargets() {
        DestroyWindow(window);
        DestroyMenu(menu);
    }
    std::wstring Text(int id) const {
        wchar_t text[512] = {};
        GetDlgItemTextW(window, id, text, 512);
        return text;
    }
    std::wstring Title() const {
        wchar_t text[64] = {};
        GetWindowTextW(window, text, 64);
        return text;
    }
    std::wstring Tabs() const {
        std::wstring all;
        for (int i = 0; i < 6; ++i) {
            wchar_t text[64] = {};
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            all += std::wstring(i ? L"|" : L"") + text;
        }
        return all;
    }
    std::wstring MenuText(UINT id) const {
        wchar_t text[64] = {};
        GetMenuStringW(menu, id, text, 64, MF_BYCOMMAND);
        return text;
    }
};

TEST_F(Languages, ASectionRetitlesTheControlsItNamesAndNothingElse) {
    const std::string longText(300, 'L');
    WriteFile(L"apply.lang",
              "<L><Language id='9' name='Test'>"
              "<Section name='Options' text='Titre'>"
              "<Control id='1043' class='TabCtrl'>放大,实时放大,绘制,输入,暂停,捐赠</Control>"
              "<Control id='1001' class='static'> lower-case class </Control>"
              "<Control id='1044' class='Button'></Control>"
              "<Control id='' class='Static'>empty id</Control>"
              "<Control class='Static'>no id</Control>"
              "<Control id='1002'>no class</Control>"
              "<Control id='1003' class='Edit'>other class</Control>"
              "<Control id='1004' class='Menu'>a menu entry on a window</Control>"
              "</Section>"
              "<Section name='Options'><Control id='1002' class='Static'>second</Control>"
              "</Section>"
              "<Section name='Middle'><Control id='1043' class='TabCtrl'>A,,C</Control></Section>"
              "<Section name='Trailing'><Control id='1043' class='TabCtrl'>A,B,</Control>"
              "</Section>"
              "<Section name='Single'><Control id='1043' class='TabCtrl'>Solo</Control></Section>"
              "<Section name='Long'><Control id='1001' class='Static'>" +
                  longText +
                  "</Control></Section>"
                  "<Section name='TrayMenu' text='ignored'>"
                  "<Control id='1004' class='MENU'>&amp;Réglages</Control>"
                  "<Control id='2' class='Static'>not a menu entry</Control></Section>"
                  "</Language></L>");
    ASSERT_TRUE(BuildLanguageCatalogue());
    ASSERT_NO_FATAL_FAILURE(Use(L"Test"));
    TestTargets targets;
    ASSERT_NE(targets.window, nullptr);

    ApplyLanguage("options", targets.window); // letter case counts
    EXPECT_EQ(targets.Title(), L"Title");
    EXPECT_EQ(targets.Tabs(), L"Zoom|LiveZoom|Draw|Type|Break|Donate");

    ApplyLanguage("Options", targets.window);
    EXPECT_EQ(targets.Title(), L"Titre");
    EXPECT_EQ(targets.Tabs(), L"放大|实时放大|绘制|输入|暂停|捐赠");
    EXPECT_EQ(targets.Text(1001), L" lower-case class ");
    EXPECT_EQ(targets.Text(1044), L"");
    EXPECT_EQ(targets.Text(1002), L"English"); // no class; the second Options is never used
    EXPECT_EQ(targets.Text(1003), L"English");
    EXPECT_EQ(targets.MenuText(1004), L"&Options");

    ApplyLanguage("Middle", targets.window);
    EXPECT_EQ(targets.Tabs(), L"A||C|输入|暂停|捐赠");
    ApplyLanguage("Trailing", targets.window);
    EXPECT_EQ(targets.Tabs(), L"A|B|C|输入|暂停|捐赠");
    ApplyLanguage("Single", targets.window);
    EXPECT_EQ(targets.Tabs(), L"Solo|B|C|输入|暂停|捐赠");
    ApplyLanguage("Long", targets.window);
    EXPECT_EQ(targets.Text(1001), std::wstring(255, L'L'));

    ApplyLanguage("TrayMenu", targets.menu);
    EXPECT_EQ(targets.MenuText(1004), L"&Réglages");
    EXPECT_EQ(targets.MenuText(2), L"E&xit");
    EXPECT_EQ(targets.Title(), L"Titre");
}

TEST_F(Languages, TheLanguageMenuListsTheCatalogueWithTheCurrentOneChecked) {
    WriteFile(L"two.lang", kTwoLanguages);
    ASSERT_TRUE(BuildLanguageCatalogue());
    ASSERT_NO_FATAL_FAILURE(Use(L"Deutsch"));
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);

    // The menu is modal: read it from another thread once it shows, then close it.
    std::vector<std::pair<UINT, std::wstring>> items;
    std::vector<bool> checks;
    std::thread reader([&] {
        HWND popup = nullptr;
        for (int i = 0; i < 500 && popup == nullptr; ++i) {
            popup = FindWindowW(L"#32768", nullptr);
            if (popup == nullptr || !IsWindowVisible(popup)) {
                popup = nullptr;
                Sleep(10);
            }
        }
        if (popup == nullptr) {
            return;
        }
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 64;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            items.emplace_back(info.wID, text);
            checks.push_back((info.fState & MFS_CHECKED) != 0);
        }
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(ShowLanguageMenu(owner), 1);
    reader.join();
    DestroyWindow(owner);

    ASSERT_EQ(items.size(), 4u);
    const std::vector<std::pair<UINT, std::wstring>> expected = {
        {2000, L"Default(English)"}, {2001, L"简体中文"}, {2002, L"Français"}, {2003, L"Deutsch"}};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(checks, (std::vector<bool>{false, false, false, true}));
}

} // namespace
