// The language catalogue, the current language and its loaded document (see
// language_catalogue.h).
#include "lang/language_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "lang/utf8_text.h"
#include "lang/xml_reader.h"
#include "settings/registry_store.h"

LANGID(WINAPI* userInterfaceLanguage)() = GetUserDefaultUILanguage;

namespace {

constexpr const wchar_t* kLanguageResourceType = L"LANG";
constexpr const wchar_t* kLangValue = L"Lang";

// Everything this file owns, from start-up to exit.
struct Languages {
    LanguageEntry* catalogue = nullptr; // entry 0 first, in creation order
    LanguageEntry current = {};         // a copy of an entry's 604 bytes; `next` unused
    XmlDocument* tree = nullptr;        // the current language's document
    HLOCAL resourceCopy = nullptr;      // the writable bytes a built-in tree points into
    const XmlElement* active = nullptr; // the Language element of `tree` that is current
    // Where the "*.lang" files are looked for, in order: the current directory at start-up,
    // then the program's own folder. The file dialogs move the current directory later, and
    // the stored `source` keeps only the file's name.
    std::vector<std::wstring> folders;
};
Languages languages;

LanguageEntry* NewEntry() {
    auto* entry = new (std::nothrow) LanguageEntry;
    if (entry != nullptr) {
        std::memset(entry, 0, sizeof *entry);
    }
    return entry;
}

void Append(LanguageEntry* entry) {
    LanguageEntry** link = &languages.catalogue;
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    *link = entry;
}

// The id and name of a Language element, cut alike for the catalogue and for loading, so that an
// over-long value still matches itself.
void ReadLanguageFields(const XmlElement* language, wchar_t (&langId)[8],
                        wchar_t (&displayName)[32]) {
    std::memset(langId, 0, sizeof langId);
    std::memset(displayName, 0, sizeof displayName);
    if (const char* id = XmlAttr(language, "id")) {
        Utf8ToWideInto(id, langId, 8);
    }
    if (const char* name = XmlAttr(language, "name")) {
        Utf8ToWideInto(name, displayName, 32);
    }
}

// One entry per Language element of `document`, in document order.
void AddLanguagesOf(XmlDocument* document, const wchar_t* source, uint32_t fromResource) {
    for (const XmlElement* language = XmlChild(&document->root, "Language"); language != nullptr;
         language = language->nextSameName) {
        LanguageEntry* entry = NewEntry();
        if (entry == nullptr) {
            return;
        }
        std::wcsncpy(entry->source, source, 259);
        entry->fromResource = fromResource;
        ReadLanguageFields(language, entry->langId, entry->displayName);
        Append(entry);
    }
}

// A parsed copy of a built-in document. The tree points into `copy`, which outlives it.
XmlDocument* ParseResource(HRSRC resource, HLOCAL& copy) {
    copy = nullptr;
    if (resource == nullptr) {
        return nullptr;
    }
    const DWORD size = SizeofResource(nullptr, resource);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (size == 0 || bytes == nullptr) {
        return nullptr;
    }
    copy = LocalAlloc(LMEM_ZEROINIT, size);
    if (copy == nullptr) {
        return nullptr;
    }
    std::memcpy(copy, bytes, size);
    return ParseXmlBuffer(static_cast<char*>(copy), size);
}

// A folder without its closing separator (a drive's root has one).
std::wstring WithoutSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') {
        folder.pop_back();
    }
    return folder;
}

std::wstring CurrentDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    folder.resize(GetCurrentDirectoryW(length, folder.data()));
    return WithoutSeparator(folder);
}

// The program's own folder: started through the 32-bit program from a copy it wrote out (which
// may lie in the user's own folder), the 32-bit program's, where the files were put beside it.
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return L"";
    }
    std::wstring program = CarrierOfCopy(path);
    if (program.empty()) {
        program = path;
    }
    return program.substr(0, program.rfind(L'\\'));
}

// The file of that name in the first of the catalogue's folders that has one, whatever the
// current directory is now.
std::wstring InCatalogueFolder(const wchar_t* name) {
    for (const std::wstring& folder : languages.folders) {
        const std::wstring path = folder + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return path;
        }
    }
    return name;
}

XmlDocument* ParseFile(const wchar_t* name) {
    std::FILE* file = _wfopen(InCatalogueFolder(name).c_str(), L"rb");
    if (file == nullptr) {
        return nullptr;
    }
    XmlDocument* document = ParseXmlStream(file);
    std::fclose(file);
    return document;
}

BOOL CALLBACK OnLanguageResource(HMODULE, LPCWSTR type, LPWSTR name, LONG_PTR) {
    AddLanguagesFromResource(name, type);
    return TRUE; // the enumeration never stops early
}

// Field comparisons stay within the field: a stored record need not be terminated.
template <std::size_t N> bool SameText(const wchar_t (&a)[N], const wchar_t (&b)[N]) {
    return std::wcsncmp(a, b, N) == 0;
}

bool SameStoredBytes(const LanguageEntry& a, const LanguageEntry& b) {
    return std::memcmp(&a, &b, kStoredLanguageSize) == 0;
}

} // namespace

bool AddLanguagesFromResource(const wchar_t* name, const wchar_t* type) {
    HLOCAL copy = nullptr;
    XmlDocument* document = ParseResource(FindResourceW(nullptr, name, type), copy);
    if (document != nullptr) {
        wchar_t source[260] = {};
        if (IS_INTRESOURCE(name)) {
            std::swprintf(source, 260, L"%d", static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
        } else {
            std::wcsncpy(source, name, 259);
        }
        AddLanguagesOf(document, source, 1);
        FreeXml(document);
    }
    const bool parsed = copy != nullptr;
    if (copy != nullptr) {
        LocalFree(copy);
    }
    return parsed && document != nullptr;
}

bool AddLanguagesFromFile(const wchar_t* name) {
    if (name == nullptr) {
        return false;
    }
    if (XmlDocument* document = ParseFile(name)) {
        AddLanguagesOf(document, name, 0);
        FreeXml(document);
    }
    return true;
}

bool BuildLanguageCatalogue() {
    LanguageEntry* defaultEntry = NewEntry();
    if (defaultEntry == nullptr) {
        return false;
    }
    defaultEntry->fromResource = 1;
    std::wcscpy(defaultEntry->displayName, L"Default(English)");
    Append(defaultEntry);

    EnumResourceNamesW(nullptr, kLanguageResourceType, OnLanguageResource, 0);

    // Started at logon from the Run key, the current directory is the system folder: the files
    // beside the program are found all the same. A name found twice is the first folder's.
    languages.folders = {CurrentDirectory()};
    const std::wstring own = ProgramFolder();
    if (!own.empty() && CompareStringOrdinal(own.c_str(), -1, languages.folders[0].c_str(), -1,
                                             TRUE) != CSTR_EQUAL) {
        languages.folders.push_back(own);
    }
    std::vector<std::wstring> names;
    for (const std::wstring& folder : languages.folders) {
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW((folder + L"\\*.lang").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const bool seen = std::any_of(names.begin(), names.end(), [&](const std::wstring& n) {
                return CompareStringOrdinal(n.c_str(), -1, found.cFileName, -1, TRUE) == CSTR_EQUAL;
            });
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !seen) {
                names.push_back(found.cFileName);
                AddLanguagesFromFile(found.cFileName);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return true;
}

bool IsKnownLanguage(const LanguageEntry* record) {
    if (record == nullptr) {
        return false;
    }
    for (const LanguageEntry* entry = languages.catalogue; entry != nullptr; entry = entry->next) {
        if (entry->fromResource == record->fromResource &&
            SameText(entry->langId, record->langId) &&
            SameText(entry->displayName, record->displayName) &&
            SameText(entry->source, record->source)) {
            return true;
        }
    }
    return false;
}

bool ReadLangValue(LanguageEntry& record) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    // Read into scratch first: a value longer than the record is not taken at all.
    BYTE scratch[kStoredLanguageSize];
    DWORD size = sizeof scratch;
    const bool read =
        RegQueryValueExW(key, kLangValue, nullptr, nullptr, scratch, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (read) {
        std::memcpy(&record, scratch, size);
    }
    return read;
}

bool WriteLangValue() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool written = RegSetValueExW(key, kLangValue, 0, REG_BINARY,
                                        reinterpret_cast<const BYTE*>(&languages.current),
                                        kStoredLanguageSize) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

const LanguageEntry& ChooseStartupLanguage() {
    LanguageEntry& current = languages.current;
    if (languages.catalogue == nullptr) {
        return current;
    }
    ReadLangValue(current);
    current.next = nullptr;
    if (IsKnownLanguage(&current)) {
        return current;
    }
    std::memset(current.langId, 0, sizeof current.langId);
    std::swprintf(current.langId, 8, L"%d", static_cast<int>(userInterfaceLanguage()));
    const LanguageEntry* chosen = languages.catalogue;
    for (const LanguageEntry* entry = languages.catalogue; entry != nullptr; entry = entry->next) {
        if (SameText(entry->langId, current.langId)) {
            chosen = entry;
            break;
        }
    }
    std::memcpy(&current, chosen, kStoredLanguageSize);
    return current;
}

void SelectLanguage(int index) {
    if (index < 0) {
        return;
    }
    const LanguageEntry* entry = languages.catalogue;
    for (int position = 0; entry != nullptr && position < index; ++position) {
        entry = entry->next;
    }
    if (entry == nullptr) {
        return;
    }
    std::memcpy(&languages.current, entry, kStoredLanguageSize);
    WriteLangValue(); // a failed write still switches until the program ends
}

bool LoadCurrentLanguage(const LanguageEntry* record) {
    UnloadLanguage();
    if (record == nullptr) {
        return true;
    }
    if (languages.catalogue != nullptr && SameStoredBytes(*record, *languages.catalogue)) {
        return true; // Default(English): the built-in texts stay
    }
    if (record->fromResource != 0) {
        wchar_t source[260] = {};
        std::wcsncpy(source, record->source, 259);
        const int number = _wtoi(source);
        if (number == 0) {
            return false;
        }
        languages.tree =
            ParseResource(FindResourceW(nullptr, MAKEINTRESOURCEW(number), kLanguageResourceType),
                          languages.resourceCopy);
    } else {
        wchar_t source[260] = {};
        std::wcsncpy(source, record->source, 259);
        languages.tree = ParseFile(source);
    }
    if (languages.tree == nullptr) {
        return false;
    }
    for (const XmlElement* language = XmlChild(&languages.tree->root, "Language");
         language != nullptr; language = language->nextSameName) {
        wchar_t langId[8];
        wchar_t displayName[32];
        ReadLanguageFields(language, langId, displayName);
        if (SameText(langId, record->langId) && SameText(displayName, record->displayName)) {
            languages.active = language;
            return true;
        }
    }
    return false;
}

void UnloadLanguage() {
    FreeXml(languages.tree);
    languages.tree = nullptr;
    languages.active = nullptr;
    if (languages.resourceCopy != nullptr) {
        LocalFree(languages.resourceCopy);
        languages.resourceCopy = nullptr;
    }
}

void FreeLanguageCatalogue() {
    while (LanguageEntry* entry = languages.catalogue) {
        languages.catalogue = entry->next;
        delete entry;
    }
}

const LanguageEntry* LanguageCatalogue() {
    return languages.catalogue;
}
const LanguageEntry& CurrentLanguage() {
    return languages.current;
}
const XmlElement* ActiveLanguageElement() {
    return languages.active;
}
