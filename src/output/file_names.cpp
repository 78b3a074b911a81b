// Saved picture names (see file_names.h).
#include "output/file_names.h"

#include <cstdio>

void DefaultSaveName(const LocalTime& t, std::span<Utf16Unit, 260> out) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, "Vistrel_%04d%02d%02d%02d%02d%02d.png",
                                     t.year, t.month, t.day, t.hour, t.minute, t.second);
    int i = 0;
    for (; i < length && i + 1 < static_cast<int>(out.size()); ++i) {
        out[i] = static_cast<Utf16Unit>(text[i]);
    }
    out[i] = 0;
}

bool NeedsPngExtension(Utf16View path) {
    const std::size_t folderEnd = path.find_last_of(UTF16("\\/"));
    const Utf16View name = folderEnd == Utf16View::npos ? path : path.substr(folderEnd + 1);
    return name.find(Utf16Unit('.')) == Utf16View::npos;
}
