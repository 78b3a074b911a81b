// Rules of the dialogs' shared controls and of the advanced break dialog (see dialog_rules.h).
#include "shared/dialog_rules.h"

int PercentListSelection(uint32_t value) {
    const uint32_t index = value / 10 - 1; // below 10 wraps past the last entry
    return index < static_cast<uint32_t>(kPercentListEntries) ? static_cast<int>(index) : -1;
}

int PositionRadioIndex(uint32_t cell) {
    return cell <= 8 ? static_cast<int>(cell) : -1;
}

std::size_t InitialFolderLength(Utf16View path) {
    const std::size_t slash = path.rfind(UTF16('\\'));
    return slash == Utf16View::npos ? 0 : slash + 1;
}
