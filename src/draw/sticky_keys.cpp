// Sticky-keys suppression while drawing (see sticky_keys.h).
#include "draw/sticky_keys.h"

#include "zoom/app_state.h"

void RestoreStickyKeys() {
    if (app.savedStickyKeys.cbSize == sizeof(STICKYKEYS)) {
        SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &app.savedStickyKeys,
                              SPIF_SENDCHANGE);
    }
}
