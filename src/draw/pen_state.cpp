// The pen marker and its save-under (see pen_state.h).
#include "draw/pen_state.h"

#include <windows.h>

#include <algorithm>

#include "draw/draw_geometry.h"
#include "draw/highlight_blend.h"
#include "livezoom/live_zoom_rules.h"
#include "settings/registry_store.h"
#include "zoom/app_state.h"

namespace {

// Makes sure the marker's surface holds at least width x height pixels of the working image.
bool ReserveMarkerSurface(int width, int height) {
    PenMarker& marker = app.penMarker;
    if (marker.dc != nullptr && width <= marker.capacity.cx && height <= marker.capacity.cy) {
        return true;
    }
    if (marker.dc == nullptr) {
        marker.dc = CreateCompatibleDC(app.imageDC);
        if (marker.dc == nullptr) {
            return false;
        }
    }
    // Grown in steps, so a pen widened notch by notch does not make a surface per notch.
    const SIZE size = {std::max<LONG>(width, 2 * marker.capacity.cx),
                       std::max<LONG>(height, 2 * marker.capacity.cy)};
    HBITMAP bitmap = CreateCompatibleBitmap(app.imageDC, size.cx, size.cy);
    if (bitmap == nullptr) {
        return false;
    }
    SelectObject(marker.dc, bitmap); // the old bitmap leaves the DC before it is deleted
    DeleteAndClear(marker.bitmap);
    marker.bitmap = bitmap;
    marker.capacity = size;
    return true;
}

void PaintMarker(int x, int y, bool dot) {
    HDC dc = app.imageDC;
    if (HighlighterActive() && app.imageBits != nullptr) {
        // The tip blended as a stroke would be, framed in the pen's colour so that it shows on
        // any slide.
        const ImageRect tip = HighlighterTip({x, y}, ActivePenWidth());
        GdiFlush(); // the save-under's copy must have landed before the pixels change
        BlendRectangle({app.imageBits, app.captureWidth, app.captureHeight, app.captureWidth}, tip,
                       app.settings.PenColor, HighlighterOpacity(app.settings.HighligterOpacity));
        const RECT frame = {tip.left, tip.top, tip.right, tip.bottom};
        HBRUSH brush = CreateSolidBrush(app.settings.PenColor);
        FrameRect(dc, &frame, brush);
        DeleteObject(brush);
        MoveToEx(dc, x, y, nullptr);
    } else if (!dot && UseCrossMarker()) {
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

} // namespace

PenTool ActiveTool() {
    return app.settings.HighligterSupported != 0 && app.highlighterChosen != 0
               ? PenTool::Highlighter
               : PenTool::Pen;
}

int ActivePenWidth() {
    return HighlighterActive() ? app.settings.HighligterWidth : app.settings.PenWidth;
}

bool StoreToolWidth(PenTool tool, int requested, bool fromLiveZoom) {
    const std::optional<int32_t> width = AcceptedPenWidth(requested, fromLiveZoom);
    if (!width) {
        return false;
    }
    if (tool == PenTool::Highlighter) {
        app.settings.HighligterWidth = *width;
        WriteDwordSetting("HighligterWidth", app.settings.HighligterWidth);
    } else {
        app.settings.PenWidth = *width;
        WriteDwordSetting("PenWidth", app.settings.PenWidth);
    }
    return true;
}

void RestoreWidthsAfterLiveZoom() {
    const float factor = app.liveZoomFactor;
    if (app.savedPenWidth != 0) {
        StoreToolWidth(PenTool::Pen,
                       RestoredPenWidth(app.settings.PenWidth, app.savedPenWidth, factor), false);
    }
    if (app.savedHighlighterWidth != 0) {
        StoreToolWidth(
            PenTool::Highlighter,
            RestoredPenWidth(app.settings.HighligterWidth, app.savedHighlighterWidth, factor),
            false);
    }
    app.savedPenWidth = 0;
    app.savedHighlighterWidth = 0;
}

void ShowPenMarker(int x, int y, bool dot) {
    HidePenMarker();
    if (app.imageDC == nullptr) {
        return;
    }
    const ImageRect area =
        MarkerArea({x, y}, ActivePenWidth(), app.captureWidth, app.captureHeight);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    // Off the image, or nowhere to keep what it covers: a marker painted now could never be
    // taken out again.
    if (width <= 0 || height <= 0 || !ReserveMarkerSurface(width, height)) {
        return;
    }
    PenMarker& marker = app.penMarker;
    BitBlt(marker.dc, 0, 0, width, height, app.imageDC, area.left, area.top, SRCCOPY);
    marker.area = {area.left, area.top, area.right, area.bottom};
    marker.shown = 1;
    PaintMarker(x, y, dot);
}

void HidePenMarker() {
    PenMarker& marker = app.penMarker;
    if (!marker.shown) {
        return;
    }
    const RECT& r = marker.area;
    BitBlt(app.imageDC, r.left, r.top, r.right - r.left, r.bottom - r.top, marker.dc, 0, 0,
           SRCCOPY);
    marker.shown = 0;
}

void ForgetPenMarker() {
    app.penMarker.shown = 0;
}

bool PenMarkerShown() {
    return app.penMarker.shown != 0;
}

void ReleasePenMarker() {
    PenMarker& marker = app.penMarker;
    DeleteAndClear(marker.dc); // lets go of the bitmap
    DeleteAndClear(marker.bitmap);
    marker = PenMarker{};
}

bool UseCrossMarker() {
    // The highlighter always shows its square.
    return !HighlighterActive() && UseCrossMarker(app.settings.PenWidth, app.captureWidth,
                                                  app.captureHeight, app.currentZoom);
}
