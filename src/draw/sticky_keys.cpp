// Sticky-keys suppression while drawing (see sticky_keys.h).
#include "draw/sticky_keys.h"

#include "zoom/app_state.h"

BOOL(WINAPI* stickyKeysParameters)(UINT, UINT, PVOID, UINT) = SystemParametersInfoW;

void SuppressStickyKeys() {
    // A second suppression must not save the switched-off record over the presenter's own.
    if (app.savedStickyKeys.cbSize != sizeof(STICKYKEYS)) {
        STICKYKEYS current = {};
        current.cbSize = sizeof current;
        if (!stickyKeysParameters(SPI_GETSTICKYKEYS, sizeof current, &current, 0)) {
            return;
        }
        app.savedStickyKeys = current;
    }
    STICKYKEYS off = {};
    off.cbSize = sizeof off;
    stickyKeysParameters(SPI_SETSTICKYKEYS, sizeof off, &off, SPIF_SENDCHANGE);
}

void RestoreStickyKeys() {
    if (app.savedStickyKeys.cbSize == sizeof(STICKYKEYS)) {
        stickyKeysParameters(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &app.savedStickyKeys,
                             SPIF_SENDCHANGE);
        // Written back: the next suppression saves whatever the presenter has set by then.
        app.savedStickyKeys.cbSize = 0;
    }
}
