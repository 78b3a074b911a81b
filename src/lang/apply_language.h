// Translating windows and menus from the loaded language's sections, and the options dialog's
// language menu.
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
