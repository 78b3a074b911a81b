// The language catalogue (see language_catalogue.h). Being replaced: English only.
#include "lang/language_catalogue.h"

namespace {
LanguageEntry current = {};
}

bool BuildLanguageCatalogue() { return true; }
const LanguageEntry& ChooseStartupLanguage() { return current; }
bool LoadCurrentLanguage(const LanguageEntry*) { return true; }
void SelectLanguage(int) {}
void UnloadLanguage() {}
void FreeLanguageCatalogue() {}
const LanguageEntry* LanguageCatalogue() { return nullptr; }
const LanguageEntry& CurrentLanguage() { return current; }
const XmlElement* ActiveLanguageElement() { return nullptr; }
