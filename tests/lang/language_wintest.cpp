// The language catalogue, the start-up choice, switching, and applying a section to a window
// and a menu, against the real resources, files, registry, controls and menus; the UTF-8
// conversion against the system's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "lang/apply_language.h"
#include "lang/language_catalogue.h"
#include "lang/utf8_text.h"
#include "settings/registry_store.h"
#include "support/dialog_runner.h"

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

void WriteFile(const wchar_t* name, const std::string& bytes) {
    std::ofstream(std::filesystem::path(name), std::ios::binary) << bytes;
}

std::wstring MenuText(HMENU menu, UINT id) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, id, text, 64, MF_BYCOMMAND);
    return text;
}

// The language menu is modal: read from another thread once it shows, then closed. A menu that
// never shows fails the test, and the owner's cancel ends a tracking that would wait forever.
std::vector<std::tuple<UINT, std::wstring, bool>> ShownLanguageMenu() {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    std::vector<std::tuple<UINT, std::wstring, bool>> items; // id, text, checked
    std::atomic<bool> returned = false;
    std::atomic<bool> found = false;
    std::thread reader([&] {
        HWND popup = nullptr;
        if (!WaitUntil([&] {
                popup = FindWindowW(L"#32768", nullptr);
                return returned || (popup != nullptr && IsWindowVisible(popup));
            }) ||
            returned) {
            // Ends the menu's modal loop (DefWindowProc's WM_CANCELMODE), or waits it out.
            WaitUntil([&] { return returned || !PostMessageW(owner, WM_CANCELMODE, 0, 0); });
            return;
        }
        found = true;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 64;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            items.emplace_back(info.wID, text, (info.fState & MFS_CHECKED) != 0);
        }
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(ShowLanguageMenu(owner), 1);
    returned = true;
    reader.join();
    EXPECT_TRUE(found) << "the language menu did not show within 5 s";
    DestroyWindow(owner);
    return items;
}

LANGID interfaceLanguage = 1033;

// Each test runs in an empty directory of its own, with no settings and no language loaded.
class Languages : public ::testing::Test {
  protected:
    void SetUp() override {
        static int tests = 0;
        directory = TempFolder() + L"vistrel-lang-" + std::to_wstring(GetCurrentProcessId()) +
                    L"-" + std::to_wstring(++tests);
        ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
        GetCurrentDirectoryW(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryW(directory.c_str()));
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        userInterfaceLanguage = []() -> LANGID { return interfaceLanguage; };
        interfaceLanguage = 1033;
    }
    void TearDown() override {
        UseEnglish();
        SetCurrentDirectoryW(previous);
        SetEnvironmentVariableW(kCarrierPathVariable, nullptr);
        SetEnvironmentVariableW(kCarriedCopyVariable, nullptr);
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
    // Over-long ids and names are cut alike in the catalogue and in the file, so they still load.
    WriteFile(L"long.lang", "<L><Language id='123456789' name='" + std::string(40, 'N') +
                                "'><Section name='TrayMenu'/></Language></L>");
    ASSERT_TRUE(BuildLanguageCatalogue());
    entries = Entries();
    std::vector<const LanguageEntry*> fromTwo, fromLong;
    for (const LanguageEntry* entry : entries) {
        (std::wcscmp(entry->source, L"two.lang") == 0 ? fromTwo : fromLong).push_back(entry);
        EXPECT_NE(std::wstring(entry->source), L"x.lang");
    }
    ASSERT_EQ(fromTwo.size(), 2u);
    EXPECT_TRUE(SameStored(*fromTwo[0], Record(L"two.lang", 0, L"1036", L"Français")));
    EXPECT_TRUE(SameStored(*fromTwo[1], Record(L"two.lang", 0, L"1031", L"Deutsch")));
    EXPECT_EQ(fromTwo[0]->next, fromTwo[1]);
    EXPECT_TRUE(SameStored(*entries[1], kChinese));
    ASSERT_EQ(fromLong.size(), 3u); // English, Chinese and the long one
    EXPECT_TRUE(SameStored(*fromLong[2],
                           Record(L"long.lang", 0, L"1234567", std::wstring(31, L'N').c_str())));
    ASSERT_NO_FATAL_FAILURE(Use(fromLong[2]->displayName));
    EXPECT_NE(ActiveLanguageElement(), nullptr);
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
        EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Lang", RRF_RT_ANY, nullptr,
                               nullptr, nullptr),
                  ERROR_SUCCESS);
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

TEST_F(Languages, SelectingStoresTheEntryLoadsItsOwnElementAndChecksItInTheMenu) {
    WriteFile(L"two.lang", kTwoLanguages);
    ASSERT_TRUE(BuildLanguageCatalogue());
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 2, L"E&xit");

    ASSERT_NO_FATAL_FAILURE(Use(L"Deutsch"));
    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(MenuText(menu, 2), L"&Beenden");
    const std::vector<std::tuple<UINT, std::wstring, bool>> listed = {
        {2000, L"Default(English)", false},
        {2001, L"简体中文", false},
        {2002, L"Français", false},
        {2003, L"Deutsch", true}};
    EXPECT_EQ(ShownLanguageMenu(), listed);
    LanguageEntry stored = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Lang", RRF_RT_REG_BINARY, nullptr,
                           &stored, &size),
              0);
    EXPECT_EQ(size, kStoredLanguageSize);
    EXPECT_TRUE(SameStored(stored, CurrentLanguage()));

    ASSERT_NO_FATAL_FAILURE(Use(L"Français"));
    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(MenuText(menu, 2), L"&Quitter");

    SelectLanguage(-1);
    SelectLanguage(99);
    EXPECT_EQ(std::wstring(CurrentLanguage().displayName), L"Français");
    SelectLanguage(0); // English: stored, and nothing is loaded
    EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
    EXPECT_EQ(ActiveLanguageElement(), nullptr);
    DestroyMenu(menu);
}

// How titles split is checked natively; here what each kind of entry does to a window with the
// options dialog's kinds of controls and to a menu with the tray's commands.
TEST_F(Languages, ASectionRetitlesTheControlsItNamesAndNothingElse) {
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
              "<Section name='Long'><Control id='1001' class='Static'>" +
                  std::string(300, 'L') +
                  "</Control></Section>"
                  "<Section name='TrayMenu' text='ignored'>"
                  "<Control id='1004' class='MENU'>&amp;Réglages</Control>"
                  "<Control id='2' class='Static'>not a menu entry</Control></Section>"
                  "</Language></L>");
    ASSERT_TRUE(BuildLanguageCatalogue());
    ASSERT_NO_FATAL_FAILURE(Use(L"Test"));
    HWND window = CreateWindowExW(0, L"STATIC", L"Title", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    for (int id : {1001, 1002, 1003}) {
        CreateWindowExW(0, L"STATIC", L"English", WS_CHILD, 0, 0, 50, 20, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    CreateWindowExW(0, L"BUTTON", L"Show tray icon", WS_CHILD, 0, 0, 50, 20, window,
                    reinterpret_cast<HMENU>(1044), nullptr, nullptr);
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD, 0, 0, 300, 200, window,
                                reinterpret_cast<HMENU>(1043), nullptr, nullptr);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    for (const wchar_t* title : {L"Zoom", L"LiveZoom", L"Draw", L"Type", L"Break", L"Donate"}) {
        item.pszText = const_cast<wchar_t*>(title);
        SendMessageW(tabs, TCM_INSERTITEMW, 99, reinterpret_cast<LPARAM>(&item));
    }
    HMENU menu = CreatePopupMenu();
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 1004, L"&Options");
    InsertMenuW(menu, 1, MF_BYPOSITION | MF_STRING, 2, L"E&xit");
    auto text = [window](int id) { // 0: the window's title
        wchar_t text[512] = {};
        GetWindowTextW(id ? GetDlgItem(window, id) : window, text, 512);
        return std::wstring(text);
    };
    auto tabTitles = [tabs] {
        std::wstring all;
        for (int i = 0; i < 6; ++i) {
            wchar_t text[64] = {};
            TCITEMW item = {TCIF_TEXT, 0, 0, text, 64, 0, 0};
            SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            all += std::wstring(i ? L"|" : L"") + text;
        }
        return all;
    };

    ApplyLanguage("options", window); // letter case counts
    EXPECT_EQ(text(0), L"Title");
    EXPECT_EQ(tabTitles(), L"Zoom|LiveZoom|Draw|Type|Break|Donate");

    ApplyLanguage("Options", window);
    EXPECT_EQ(text(0), L"Titre");
    EXPECT_EQ(tabTitles(), L"放大|实时放大|绘制|输入|暂停|捐赠");
    EXPECT_EQ(text(1001), L" lower-case class ");
    EXPECT_EQ(text(1044), L"");
    EXPECT_EQ(text(1002), L"English"); // no class; the second Options is never used
    EXPECT_EQ(text(1003), L"English");
    EXPECT_EQ(MenuText(menu, 1004), L"&Options");
    ApplyLanguage("Long", window);
    EXPECT_EQ(text(1001), std::wstring(255, L'L'));

    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(MenuText(menu, 1004), L"&Réglages");
    EXPECT_EQ(MenuText(menu, 2), L"E&xit");
    EXPECT_EQ(text(0), L"Titre");
    DestroyWindow(window);
    DestroyMenu(menu);
}

// The file's languages, for the catalogue and for loading, as the reader leaves them.
TEST_F(Languages, UnusualFilesStillListAndLoad) {
    std::string utf16 = "\xFF\xFE"; // the two languages again, in UTF-16LE with its mark
    for (wchar_t unit : std::wstring(L"<Localization><Language id='1036' name='Français'>"
                                     L"<Section name='TrayMenu'><Control id='2' class='Menu'>"
                                     L"&amp;Quitter</Control></Section></Language>"
                                     L"</Localization>")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    WriteFile(L"a-utf16.lang", utf16);
    WriteFile(L"b-unclosed.lang", "<Localization><Language id='1031' name='Deutsch'>"
                                  "<Section name='TrayMenu'><Control id='2' class='Menu'>"
                                  "&amp;Beenden</Control></Section></Language>");
    WriteFile(L"c-nameless.lang", "<L><Language id='1040'><Section name='TrayMenu'>"
                                  "<Control id='2' class='Menu'>&amp;Esci</Control>"
                                  "</Section></Language></L>");
    ASSERT_TRUE(BuildLanguageCatalogue());
    const std::vector<const LanguageEntry*> entries = Entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_TRUE(SameStored(*entries[2], Record(L"a-utf16.lang", 0, L"1036", L"Français")));
    EXPECT_TRUE(SameStored(*entries[3], Record(L"b-unclosed.lang", 0, L"1031", L"Deutsch")));
    EXPECT_TRUE(SameStored(*entries[4], Record(L"c-nameless.lang", 0, L"1040", L"")));

    // Each loads from the catalogue's folder, also once the current directory has moved, as
    // after a file dialog.
    const std::wstring elsewhere = directory + L"-elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.c_str()));
    HMENU menu = CreatePopupMenu();
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 2, L"E&xit");
    const std::pair<int, const wchar_t*> expected[] = {
        {2, L"&Quitter"}, {3, L"&Beenden"}, {4, L"&Esci"}};
    for (const auto& [index, text] : expected) {
        SCOPED_TRACE(entries[index]->source);
        SelectLanguage(index);
        EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
        ApplyLanguage("TrayMenu", menu);
        EXPECT_EQ(MenuText(menu, 2), text);
    }
    DestroyMenu(menu);
}

// Started at logon from the Run key the current directory is the system folder: the files
// beside the program are listed after the current directory's, beside the 32-bit program when
// this one runs its copy, and a name found in both is the current directory's.
TEST_F(Languages, TheProgramsOwnFolderIsSearchedAfterTheCurrentDirectory) {
    const std::filesystem::path carrier = directory + L"-carrier";
    ASSERT_TRUE(CreateDirectoryW(carrier.c_str(), nullptr));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(kCarrierPathVariable, (carrier / L"Present.exe").c_str());
    SetEnvironmentVariableW(kCarriedCopyVariable, self);
    WriteFile(L"both.lang", "<L><Language id='1036' name='Français'/></L>");
    std::ofstream(carrier / L"both.lang") << "<L><Language id='1040' name='Italiano'/></L>";
    std::ofstream(carrier / L"beside.lang")
        << "<L><Language id='1031' name='Deutsch'><Section name='TrayMenu'>"
           "<Control id='2' class='Menu'>&amp;Beenden</Control></Section></Language></L>";
    ASSERT_TRUE(BuildLanguageCatalogue());
    std::vector<std::wstring> names;
    for (const LanguageEntry* entry : Entries()) {
        names.push_back(entry->displayName);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Default(English)", L"简体中文", L"Français",
                                                L"Deutsch"}));
    ASSERT_NO_FATAL_FAILURE(Use(L"Deutsch"));
    HMENU menu = CreatePopupMenu();
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 2, L"E&xit");
    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(MenuText(menu, 2), L"&Beenden");
    DestroyMenu(menu);
}

// Malformed bytes too, where Wine's conversion agrees with the Unicode rule: it gives one
// U+FFFD fewer for a surrogate, an overlong three-byte form and a value past U+10FFFF.
TEST(Utf8Text, ConvertsAsTheSystemDoes) {
    for (const std::string bytes : {"a\xC3\xA7\xE4\xB8\xAD\xF0\x9F\x98\x80", "\x80", "\xE4\xB8",
                                    "\xE4\xB8x", "\xC0\xAF", "\xFF\xFEz", "\xF0\x9F\x98"}) {
        SCOPED_TRACE(bytes);
        const int length = static_cast<int>(bytes.size());
        std::wstring system(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0),
                            L'?');
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, system.data(),
                            static_cast<int>(system.size()));
        std::wstring own(Utf8ToUtf16(bytes.data(), bytes.size(), nullptr, 0), L'?');
        Utf8ToUtf16(bytes.data(), bytes.size(), own.data(), own.size());
        EXPECT_EQ(own, system);
    }
}

} // namespace
