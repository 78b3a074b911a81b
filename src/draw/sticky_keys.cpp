// Sticky-keys suppression while drawing (see sticky_keys.h).
#include "draw/sticky_keys.h"

#include "zoom/app_state.h"

BOOL(WINAPI* stickyKeysParameters)(UINT, UINT, PVOID, UINT) = SystemParametersInfoW;

void SuppressStickyKeys() {
    // Saved once: the setting is already as drawing wants it (a re-entry changes nothing).
    if (app.savedStickyKeys.cbSize == sizeof(STICKYKEYS)) {
        return;
    }
    STICKYKEYS current = {};
    current.cbSize = sizeof current;
    if (!stickyKeysParameters(SPI_GETSTICKYKEYS, sizeof current, &current, 0)) {
        return;
    }
    // A presenter who has StickyKeys on relies on it: it stays as it is. Otherwise only its
    // shortcut goes, since Shift held for lines and pressed five times would switch it on.
    if ((current.dwFlags & SKF_STICKYKEYSON) != 0 || (current.dwFlags & SKF_HOTKEYACTIVE) == 0) {
        return;
    }
    STICKYKEYS shortcutOff = current;
    shortcutOff.dwFlags &= ~SKF_HOTKEYACTIVE;
    // For this session and this program's drawing only: nothing is broadcast or stored.
    if (stickyKeysParameters(SPI_SETSTICKYKEYS, sizeof shortcutOff, &shortcutOff, 0)) {
        app.savedStickyKeys = current;
    }
}

void RestoreStickyKeys() {
    if (app.savedStickyKeys.cbSize == sizeof(STICKYKEYS)) {
        stickyKeysParameters(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &app.savedStickyKeys, 0);
        // Written back: the next suppression saves whatever the presenter has set by then.
        app.savedStickyKeys.cbSize = 0;
    }
}
