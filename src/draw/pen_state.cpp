// The pen marker and its save-under (see pen_state.h).
#include "draw/pen_state.h"

#include <windows.h>

#include "draw/draw_geometry.h"
#include "settings/registry_store.h"
#include "zoom/app_state.h"

namespace {

// The save-under: a square of eight pen widths around the pen point.
int MarkerSquare() {
    return 8 * app.settings.PenWidth;
}

} // namespace

bool StorePenWidth(int requested, bool fromLiveZoom) {
    const std::optional<int32_t> width = AcceptedPenWidth(requested, fromLiveZoom);
    if (!width) {
        return false;
    }
    app.settings.PenWidth = *width;
    WriteDwordSetting("PenWidth", app.settings.PenWidth);
    return true;
}

void SaveUnderPen(int x, int y) {
    const int side = MarkerSquare();
    BitBlt(app.scratchDC, 0, 0, side, side, app.imageDC, x - side / 2, y - side / 2, SRCCOPY);
}

void RestoreUnderPen(int x, int y) {
    const int side = MarkerSquare();
    BitBlt(app.imageDC, x - side / 2, y - side / 2, side, side, app.scratchDC, 0, 0, SRCCOPY);
}

bool UseCrossMarker() {
    return UseCrossMarker(app.settings.PenWidth, app.captureWidth, app.captureHeight,
                          app.currentZoom);
}

void DrawPenMarker(int x, int y) {
    HDC dc = app.imageDC;
    if (UseCrossMarker()) {
        // Each bar both ways, so both end pixels are painted (a line leaves out its last one).
        HPEN cross = CreatePen(PS_SOLID, 2, app.settings.PenColor);
        HGDIOBJ previous = SelectObject(dc, cross);
        MoveToEx(dc, x - 5, y, nullptr);
        LineTo(dc, x + 4, y);
        LineTo(dc, x - 5, y);
        MoveToEx(dc, x, y - 5, nullptr);
        LineTo(dc, x, y + 4);
        LineTo(dc, x, y - 5);
        SelectObject(dc, previous);
        DeleteObject(cross);
        MoveToEx(dc, x, y, nullptr);
    } else {
        MoveToEx(dc, x, y, nullptr);
        LineTo(dc, x, y); // a dot of the pen's width
    }
}
