// Translating windows and menus from the loaded language's sections.
#pragma once

#include <windows.h>

// Replaces the texts of `menu` from the section `section` of the current language.
void ApplyLanguage(const char* section, HMENU menu);
