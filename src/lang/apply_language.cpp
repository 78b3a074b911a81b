// Applying a language (see apply_language.h).
#include "lang/apply_language.h"

// No language is loaded yet: menus keep their built-in texts.
void ApplyLanguage(const char*, HMENU) {}
