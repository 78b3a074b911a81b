// Taking registry bytes into a setting (see stored_value.h).
#include "settings/stored_value.h"

#include <cstring>

bool TakeStoredValue(const SettingEntry& row, uint32_t declaredType, const uint8_t* bytes,
                     uint32_t byteCount) {
    if (byteCount > row.size || (byteCount > 0 && bytes == nullptr)) {
        return false;
    }
    auto* destination = static_cast<uint8_t*>(row.data);
    if (byteCount > 0) {
        std::memcpy(destination, bytes, byteCount);
    }
    if (declaredType == kRegSz) {
        // Clear what a longer previous text left behind, and terminate even a value that fills
        // the whole buffer or ends in half a unit.
        uint32_t keptBytes = byteCount / sizeof(Utf16Unit) * sizeof(Utf16Unit);
        std::memset(destination + keptBytes, 0, row.size - keptBytes);
        if (row.size >= sizeof(Utf16Unit)) {
            std::memset(destination + row.size - sizeof(Utf16Unit), 0, sizeof(Utf16Unit));
        }
    }
    return true;
}

bool StartupApprovedAllowsRun(std::span<const uint8_t> stored) {
    return stored.empty() || (stored[0] & 1) == 0;
}
