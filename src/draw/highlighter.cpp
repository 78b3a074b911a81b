// The highlighter's coverage mask and blend (see highlighter.h).
#include "draw/highlighter.h"

#include <algorithm>

#include "draw/highlight_blend.h"
#include "draw/pen_state.h"
#include "zoom/app_state.h"

namespace {

constexpr COLORREF kCovered = RGB(255, 255, 255);

// A 1-bit DIB section of the capture's size, black, with a colour table of black and white: GDI
// maps the white pen to bit 1.
bool MakeCoverage() {
    HighlightCoverage& c = app.highlight;
    if (c.dc != nullptr && c.width == app.captureWidth && c.height == app.captureHeight) {
        return true;
    }
    ReleaseHighlighter();
    const int rowBytes = CoverageRowBytes(app.captureWidth);
    // Running out of memory here ends the zoom (MainWindowProc), with nothing half made.
    c.blended.assign(static_cast<size_t>(rowBytes) * app.captureHeight, 0);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = app.captureWidth;
    info.header.biHeight = -app.captureHeight; // top-down, as the blend reads it
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 2;
    info.colours[1] = {255, 255, 255, 0};
    void* bits = nullptr;
    c.bitmap = CreateDIBSection(app.imageDC, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                &bits, nullptr, 0);
    c.dc = c.bitmap != nullptr ? CreateCompatibleDC(app.imageDC) : nullptr;
    if (c.dc == nullptr) {
        ReleaseHighlighter();
        return false;
    }
    SelectObject(c.dc, c.bitmap);
    PatBlt(c.dc, 0, 0, app.captureWidth, app.captureHeight, BLACKNESS);
    c.fresh = static_cast<uint8_t*>(bits);
    c.rowBytes = rowBytes;
    c.width = app.captureWidth;
    c.height = app.captureHeight;
    return true;
}

CoverageMask Mask(uint8_t* bits) {
    const HighlightCoverage& c = app.highlight;
    return {bits, c.width, c.height, c.rowBytes};
}

} // namespace

bool BeginHighlightStroke() {
    if (app.imageBits == nullptr || !MakeCoverage()) {
        return false;
    }
    std::fill(app.highlight.blended.begin(), app.highlight.blended.end(), uint8_t{0});
    return true;
}

void Highlight(const std::function<void(HDC mask)>& cover, ImageRect area) {
    HighlightCoverage& c = app.highlight;
    HPEN pen = CreatePen(PS_SOLID, ActivePenWidth(), kCovered);
    HGDIOBJ previousPen = SelectObject(c.dc, pen);
    HGDIOBJ previousBrush = SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    cover(c.dc);
    SelectObject(c.dc, previousBrush);
    SelectObject(c.dc, previousPen);
    DeleteObject(pen);
    // The mask's bits and the image's are read and written here: what GDI still holds back for
    // either must have landed.
    GdiFlush();
    BlendFreshCoverage({app.imageBits, app.captureWidth, app.captureHeight, app.captureWidth},
                       Mask(c.fresh), Mask(c.blended.data()), area, app.settings.PenColor,
                       HighlighterOpacity(app.settings.HighligterOpacity));
}

void HighlightSegment(CapturePoint a, CapturePoint b) {
    Highlight(
        [a, b](HDC mask) {
            MoveToEx(mask, a.x, a.y, nullptr);
            LineTo(mask, b.x, b.y);
        },
        SegmentCoverage(a, b, ActivePenWidth(), app.captureWidth, app.captureHeight));
}

void ReleaseHighlighter() {
    HighlightCoverage& c = app.highlight;
    DeleteAndClear(c.dc); // lets go of the bitmap
    DeleteAndClear(c.bitmap);
    c = HighlightCoverage{};
}
