// The language catalogue: the languages the program can offer, the current choice (stored as the
// registry value "Lang") and the loaded document of that choice.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct XmlElement;

// One catalogue entry. Its first 604 bytes are also the stored form of the current language, so
// the layout is fixed; entries are zero-filled so two of them compare byte for byte.
struct LanguageEntry {
    wchar_t source[260];        // file name, or the resource number in decimal; empty for entry 0
    std::uint32_t fromResource; // 1 for a built-in document and for entry 0, 0 for a file
    wchar_t langId[8];          // the Language element's "id", as text
    wchar_t displayName[32];    // its "name", shown in the language menu
    LanguageEntry* next;        // in memory only
};
inline constexpr std::size_t kStoredLanguageSize = 604;
static_assert(offsetof(LanguageEntry, source) == 0);
static_assert(offsetof(LanguageEntry, fromResource) == 520);
static_assert(offsetof(LanguageEntry, langId) == 524);
static_assert(offsetof(LanguageEntry, displayName) == 540);
static_assert(offsetof(LanguageEntry, next) >= kStoredLanguageSize);

// Command identifiers of the language menu: 2000 + catalogue index.
inline constexpr unsigned kFirstLanguageCommand = 2000;

// Start-up: collects the built-in documents and the "*.lang" files of the current directory and
// of the program's own folder (the 32-bit program's, when it started this one from a copy),
// which stay the catalogue's folders: files are loaded from there later on.
bool BuildLanguageCatalogue();
// Append one entry per Language element of a built-in document or of a file in the catalogue's
// folder. A file that cannot be opened adds nothing.
bool AddLanguagesFromResource(const wchar_t* name, const wchar_t* type);
bool AddLanguagesFromFile(const wchar_t* name);
// True when some catalogue entry has the record's texts (each compared within its field).
bool IsKnownLanguage(const LanguageEntry* record);
// The registry value "Lang": read into `record` (a value longer than 604 bytes is not taken),
// written from the current language.
bool ReadLangValue(LanguageEntry& record);
bool WriteLangValue();
// Start-up: the stored language when the catalogue still has it, else the one matching the user's
// interface language, else entry 0. Not stored.
const LanguageEntry& ChooseStartupLanguage();
// Loads the document of `language` and finds its Language element; false leaves nothing applied.
bool LoadCurrentLanguage(const LanguageEntry* language);
// Makes catalogue entry `index` current and stores it; a missing index changes nothing.
void SelectLanguage(int index);
void UnloadLanguage();
void FreeLanguageCatalogue();

// What the rest of the program reads.
const LanguageEntry* LanguageCatalogue(); // entry 0, or nullptr before start-up
const LanguageEntry& CurrentLanguage();
const XmlElement* ActiveLanguageElement(); // nullptr when nothing is translated

// The user's interface language; tests replace it.
extern LANGID(WINAPI* userInterfaceLanguage)();
