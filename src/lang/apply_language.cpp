// Applying a language (see apply_language.h). Being replaced: no language is loaded yet.
#include "lang/apply_language.h"

void ApplyLanguage(const char*, HWND) {}
void ApplyLanguage(const char*, HMENU) {}
INT_PTR ShowLanguageMenu(HWND) { return 1; }
wchar_t* Utf8ToWideAlloc(const char*) { return nullptr; }
int Utf8ToWideInto(const char*, wchar_t*, int) { return 0; }
