// UTF-8 to UTF-16 for the language code: a language document's names and texts are UTF-8, the
// windows and the catalogue want UTF-16. Free of the Windows API, so tested natively. Well-formed
// text converts as MultiByteToWideChar (CP_UTF8) converts it; of malformed bytes each maximal
// ill-formed part becomes one U+FFFD, the Unicode rule (Wine's conversion gives one fewer for a
// surrogate, an overlong three-byte form and a value past U+10FFFF).
#pragma once

#include <cstddef>

#include "settings/text_unit.h"

// Converts `length` bytes of `text` into `destination` (at most `capacity` units, no
// terminator) and returns how many units the whole text needs; a null destination only counts.
std::size_t Utf8ToUtf16(const char* text, std::size_t length, Utf16Unit* destination,
                        std::size_t capacity);

// A NUL-terminated UTF-8 string as a new NUL-terminated UTF-16 string that the caller frees with
// `delete[]`; nullptr when memory runs out.
Utf16Unit* Utf8ToWideAlloc(const char* text);
// Converts `text` into `destination` without a terminator and returns the units written. Callers
// zero-fill the destination first; a text that fills it is cut at a character boundary so that
// the last unit stays 0.
int Utf8ToWideInto(const char* text, Utf16Unit* destination, int capacity);
