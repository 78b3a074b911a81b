// The application state record and its handle helpers (see app_state.h).
#include "zoom/app_state.h"

#include <cstddef>
#include <cstring>

AppState app;

// The typing font record is stored as the registry's 92-byte LOGFONTW; the platform-free mirror
// must agree with it field for field.
static_assert(sizeof(FontRecord) == sizeof(LOGFONTW));
static_assert(offsetof(FontRecord, lfWeight) == offsetof(LOGFONTW, lfWeight));
static_assert(offsetof(FontRecord, lfCharSet) == offsetof(LOGFONTW, lfCharSet));
static_assert(offsetof(FontRecord, lfQuality) == offsetof(LOGFONTW, lfQuality));
static_assert(offsetof(FontRecord, lfFaceName) == offsetof(LOGFONTW, lfFaceName));
static_assert(sizeof(STICKYKEYS) == 8);

void ResetAppState() {
    ReleaseSpareSurfaces(); // deleted, not forgotten
    app = AppState{};
}

LOGFONTW TypingLogFont(const Settings& settings) {
    LOGFONTW font;
    std::memcpy(&font, &settings.Font, sizeof font);
    return font;
}

void SetTypingLogFont(Settings& settings, const LOGFONTW& font) {
    std::memcpy(&settings.Font, &font, sizeof font);
}

void DeleteAndClear(HDC& dc) {
    if (dc != nullptr) {
        DeleteDC(dc);
        dc = nullptr;
    }
}

void DeleteAndClear(HBITMAP& bitmap) {
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

void DeleteAndClear(HPEN& pen) {
    if (pen != nullptr) {
        DeleteObject(pen);
        pen = nullptr;
    }
}

void DeleteAndClear(HFONT& font) {
    if (font != nullptr) {
        DeleteObject(font);
        font = nullptr;
    }
}

void ReleaseSpareSurfaces() {
    SpareSurfaces& spare = app.spareSurfaces;
    DeleteAndClear(spare.image);
    DeleteAndClear(spare.clean);
    DeleteAndClear(spare.scratch);
    DeleteAndClear(spare.view);
    for (HBITMAP& snapshot : spare.undo) {
        DeleteAndClear(snapshot);
    }
    spare = SpareSurfaces{};
}
