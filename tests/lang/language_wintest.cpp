// The language catalogue, the start-up choice, switching, and applying a section to a window
// and a menu, against the real resources, files, registry, controls and menus.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
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
    for (const LanguageEntry* entry = LanguageCatalogue(); entry != nullptr; entry = entry->next)
        entries.push_back(entry);
    return entries;
}

// The catalogue's place of the entry with this display name; -1 when there is none.
int IndexOf(const wchar_t* displayName) {
    const std::vector<const LanguageEntry*> entries = Entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (std::wcscmp(entries[i]->displayName, displayName) == 0)
            return static_cast<int>(i);
    return -1;
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

void WriteFile(const std::filesystem::path& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

// A language whose TrayMenu section retitles the Exit command to `exit`, which starts with its &.
std::string Language(const std::string& attributes, const std::string& exit) {
    return "<Language " + attributes +
           "><Section name='TrayMenu'><Control id='2' class='Menu'>&amp;" + exit.substr(1) +
           "</Control></Section></Language>";
}

HMENU MenuOf(std::initializer_list<std::pair<UINT, const wchar_t*>> items) {
    HMENU menu = CreatePopupMenu();
    for (const auto& [id, text] : items)
        AppendMenuW(menu, MF_STRING, id, text);
    return menu;
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
    std::atomic<bool> returned = false, found = false;
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
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            items.emplace_back(GetMenuItemID(menu, i), MenuText(menu, GetMenuItemID(menu, i)),
                               GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED);
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
    std::wstring directory;
    wchar_t previous[MAX_PATH] = {};
};

// Default, built-in, then each language of each file of the current directory, then of the
// program's own folder: beside the 32-bit program when this one runs its copy, as when logon
// starts it from the Run key with the system folder current. A name found in both is the current
// directory's. Unusual files still list; over-long ids and names are cut alike in the catalogue
// and in the file. Each loads from its folder also once the current directory has moved, as
// after a file dialog; selecting stores it and checks it in the language menu.
TEST_F(Languages, CatalogueListsEachFileOfBothFoldersLoadsItFromThereAndSelectingStoresIt) {
    const std::filesystem::path carrier = directory + L"-carrier";
    ASSERT_TRUE(CreateDirectoryW(carrier.c_str(), nullptr));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(kCarrierPathVariable, (carrier / L"Present.exe").c_str());
    SetEnvironmentVariableW(kCarriedCopyVariable, self);
    const std::wstring longName(31, L'N');
    // Each file's languages, beside the program or not, and what the catalogue lists of each (no
    // id: hidden by the current directory's file of that name).
    const struct {
        bool beside;
        const wchar_t* file;
        std::string attributes;
        const char* exit;
        const wchar_t *id, *name;
    } languages[] = {
        {false, L"two.lang", "id='1036' name='Français'", "&Quitter", L"1036", L"Français"},
        {false, L"two.lang", "id='1031' name='Deutsch'", "&Beenden", L"1031", L"Deutsch"},
        {true, L"two.lang", "id='1035' name='Suomi'", "&Lopeta", nullptr, nullptr},
        {false, L"long.lang", "id='123456789' name='" + std::string(40, 'N') + "'", "&L",
         L"1234567", longName.c_str()},
        {false, L"unclosed.lang", "id='1040' name='Italiano'", "&Esci", L"1040", L"Italiano"},
        {false, L"nameless.lang", "id='1043'", "&Afsluiten", L"1043", L""},
        {false, L"utf16.lang", "id='1034' name='Español'", "&Salir", L"1034", L"Español"},
        {true, L"beside.lang", "id='1030' name='Dansk'", "&Afslut", L"1030", L"Dansk"}};
    std::map<std::filesystem::path, std::string> files;
    for (const auto& language : languages)
        files[(language.beside ? carrier : "") / language.file] +=
            Language(language.attributes, language.exit);
    for (auto [path, bytes] : files) {
        bytes = "<L>" + bytes + (path == "unclosed.lang" ? "" : "</L>");
        std::wstring units(bytes.size(), L'\0');
        units.resize(Utf8ToUtf16(bytes.data(), bytes.size(), units.data(), units.size()));
        const std::string utf16(reinterpret_cast<char*>(units.data()), units.size() * 2);
        WriteFile(path, path == "utf16.lang" ? "\xFF\xFE" + utf16 : bytes);
    }
    ASSERT_TRUE(CreateDirectoryW(L"x.lang", nullptr)); // a directory is skipped
    ASSERT_TRUE(BuildLanguageCatalogue());

    const std::vector<const LanguageEntry*> entries = Entries();
    ASSERT_EQ(entries.size(), 2 + std::size(languages) - 1);
    EXPECT_TRUE(SameStored(*entries[0], Record(L"", 1, L"", L"Default(English)")));
    EXPECT_TRUE(SameStored(*entries[1], kChinese));
    EXPECT_STREQ(entries.back()->displayName, L"Dansk"); // the own folder's come last
    const std::wstring elsewhere = directory + L"-elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.c_str()));
    HMENU menu = MenuOf({{2, L"E&xit"}});
    const LanguageEntry* before = nullptr;
    for (const auto& language : languages) {
        if (language.id == nullptr)
            continue;
        SCOPED_TRACE(language.file);
        const int at = IndexOf(language.name);
        ASSERT_GE(at, 0);
        EXPECT_TRUE(SameStored(*entries[at], Record(language.file, 0, language.id, language.name)));
        if (before != nullptr && std::wcscmp(before->source, language.file) == 0) {
            EXPECT_EQ(before->next, entries[at]) << "one file's languages in order";
        }
        before = entries[at];
        SelectLanguage(at);
        EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
        ApplyLanguage("TrayMenu", menu);
        EXPECT_EQ(MenuText(menu, 2),
                  std::wstring(language.exit, language.exit + std::strlen(language.exit)));
    }
    DestroyMenu(menu);

    SelectLanguage(IndexOf(L"Deutsch"));
    std::vector<std::tuple<UINT, std::wstring, bool>> listed;
    for (UINT i = 0; i < entries.size(); ++i)
        listed.emplace_back(2000 + i, entries[i]->displayName,
                            std::wcscmp(entries[i]->displayName, L"Deutsch") == 0);
    EXPECT_EQ(ShownLanguageMenu(), listed);
    LanguageEntry stored = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Lang", RRF_RT_REG_BINARY, nullptr,
                           &stored, &size),
              0);
    EXPECT_EQ(size, kStoredLanguageSize);
    EXPECT_TRUE(SameStored(stored, CurrentLanguage()));
    SelectLanguage(-1);
    SelectLanguage(99);
    EXPECT_STREQ(CurrentLanguage().displayName, L"Deutsch");
    SelectLanguage(0); // English: stored, and nothing is loaded
    EXPECT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
    EXPECT_EQ(ActiveLanguageElement(), nullptr);
}

TEST_F(Languages, AStoredLanguageIsJudgedWithinItsFieldsAndWithoutOneTheInterfaceChooses) {
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
    FreeLanguageCatalogue();

    // With nothing stored, and a current language naming a file gone since, the interface
    // language chooses, and nothing is stored.
    for (LANGID language : {2052, 1033}) {
        SCOPED_TRACE(language);
        WriteFile(L"gone.lang", "<L>" + Language("id='1' name='x'", "&x") + "</L>");
        ASSERT_TRUE(BuildLanguageCatalogue());
        SelectLanguage(2);
        FreeLanguageCatalogue();
        ASSERT_TRUE(DeleteFileW(L"gone.lang"));
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        ASSERT_TRUE(BuildLanguageCatalogue());
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
              "<Control id='1004' class='Menu'>a menu entry on a window</Control></Section>"
              "<Section name='Options'><Control id='1002' class='Static'>second</Control></Section>"
              "<Section name='Long'><Control id='1001' class='Static'>" +
                  std::string(300, 'L') +
                  "</Control></Section><Section name='TrayMenu' text='ignored'>"
                  "<Control id='1004' class='MENU'>&amp;Réglages</Control>"
                  "<Control id='2' class='Static'>not a menu entry</Control></Section>"
                  "</Language></L>");
    ASSERT_TRUE(BuildLanguageCatalogue());
    SelectLanguage(IndexOf(L"Test"));
    ASSERT_TRUE(LoadCurrentLanguage(&CurrentLanguage()));
    HWND window = CreateWindowExW(0, L"STATIC", L"Title", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    for (auto [kind, id, text] : {std::tuple{L"STATIC", 1001, L"English"},
                                  {L"STATIC", 1002, L"English"},
                                  {L"STATIC", 1003, L"English"}, {L"BUTTON", 1044, L"Show tray icon"},
                                  {WC_TABCONTROLW, 1043, L""}})
        CreateWindowExW(0, kind, text, WS_CHILD, 0, 0, 300, 200, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    HWND tabs = GetDlgItem(window, 1043);
    for (const wchar_t* title : {L"Zoom", L"LiveZoom", L"Draw", L"Type", L"Break", L"Donate"}) {
        TCITEMW item = {TCIF_TEXT, 0, 0, const_cast<wchar_t*>(title), 0, 0, 0};
        SendMessageW(tabs, TCM_INSERTITEMW, 99, reinterpret_cast<LPARAM>(&item));
    }
    HMENU menu = MenuOf({{1004, L"&Options"}, {2, L"E&xit"}});
    auto shown = [&](int id) { // 0: the window's title, 1043: the tabs' titles, negative: a command
        wchar_t text[512] = {};
        if (id < 0)
            return MenuText(menu, -id);
        std::wstring all;
        for (int i = 0; id == 1043 && i < 6; ++i) {
            TCITEMW item = {TCIF_TEXT, 0, 0, text, 64, 0, 0};
            SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            all += std::wstring(i ? L"|" : L"") + text;
        }
        GetWindowTextW(id ? GetDlgItem(window, id) : window, text, 512);
        return id == 1043 ? all : std::wstring(text);
    };
    ApplyLanguage("options", window); // letter case counts
    EXPECT_EQ(shown(0), L"Title");
    EXPECT_EQ(shown(1043), L"Zoom|LiveZoom|Draw|Type|Break|Donate");
    ApplyLanguage("Options", window);
    EXPECT_EQ(shown(0), L"Titre");
    EXPECT_EQ(shown(1043), L"放大|实时放大|绘制|输入|暂停|捐赠");
    EXPECT_EQ(shown(1001), L" lower-case class ");
    EXPECT_EQ(shown(1044), L"");
    EXPECT_EQ(shown(1002), L"English"); // no class; the second Options is never used
    EXPECT_EQ(shown(1003), L"English");
    EXPECT_EQ(shown(-1004), L"&Options");
    ApplyLanguage("Long", window);
    EXPECT_EQ(shown(1001), std::wstring(255, L'L'));
    ApplyLanguage("TrayMenu", menu);
    EXPECT_EQ(shown(-1004), L"&Réglages");
    EXPECT_EQ(shown(-2), L"E&xit");
    EXPECT_EQ(shown(0), L"Titre");
    DestroyWindow(window);
    DestroyMenu(menu);
}

} // namespace
