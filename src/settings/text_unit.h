// Utf16Unit: the code unit of the program's texts. On Windows it is wchar_t, so buffers pass
// straight to the W functions; elsewhere char16_t, so the platform-free code has the same
// buffer sizes in byte terms in the native (sanitizer) build.
#pragma once

#include <string_view>

#ifdef _WIN32
using Utf16Unit = wchar_t;
#define UTF16(text) L##text
#else
using Utf16Unit = char16_t;
#define UTF16(text) u##text
#endif
static_assert(sizeof(Utf16Unit) == 2);

using Utf16View = std::basic_string_view<Utf16Unit>;
