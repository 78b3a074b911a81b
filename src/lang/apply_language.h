// Translating windows and menus from the loaded language's sections, the options dialog's
// language menu, and the UTF-8 to UTF-16 conversions of the language code.
#pragma once

#include <windows.h>

// Replaces the title and the control texts of `window` (a dialog or top-level window) from the
// section `section` of the active language. Without an active language nothing changes.
void ApplyLanguage(const char* section, HWND window);
// Replaces the item texts of `menu` from the section `section` of the active language.
void ApplyLanguage(const char* section, HMENU menu);

// Pops up the language catalogue at the cursor, the current language checked; the choice arrives
// at `optionsDialog` as WM_COMMAND 2000 + its catalogue index. Returns 1.
INT_PTR ShowLanguageMenu(HWND optionsDialog);

// Converts a NUL-terminated UTF-8 string into a new NUL-terminated UTF-16 string that the caller
// frees with `delete[]`; nullptr when memory runs out.
wchar_t* Utf8ToWideAlloc(const char* text);
// Converts `text` into `destination` without a terminator and returns the units written. Callers
// zero-fill the destination first; a text that fills it is cut at a character boundary so that
// the last unit stays 0.
int Utf8ToWideInto(const char* text, wchar_t* destination, int capacity);
