// Drawing mode, strokes and shapes (see strokes.h).
#include "draw/strokes.h"

#include <windowsx.h>

#include "draw/highlighter.h"
#include "draw/pen.h"
#include "draw/pen_state.h"
#include "draw/sticky_keys.h"
#include "draw/typing.h"
#include "draw/undo_stack.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/message_ids.h"
#include "zoom/monitor_view.h"

namespace {

CapturePoint PenPoint() {
    return {app.penPoint.x, app.penPoint.y};
}

void SetPenPoint(CapturePoint p) {
    app.penPoint = {p.x, p.y};
}

ShapeKind CurrentShape() {
    return static_cast<ShapeKind>(app.shapeKind);
}

ImageRect ShapeRect() {
    return {app.shapeRect.left, app.shapeRect.top, app.shapeRect.right, app.shapeRect.bottom};
}

void SetShapeRect(const ImageRect& r) {
    app.shapeRect = {r.left, r.top, r.right, r.bottom};
}

// A freehand piece with the pen, or laid over the picture by a highlighter stroke.
void Segment(CapturePoint from, CapturePoint to) {
    if (app.highlightStroke) {
        HighlightSegment(from, to);
        return;
    }
    MoveToEx(app.imageDC, from.x, from.y, nullptr);
    LineTo(app.imageDC, to.x, to.y);
}

void Dot(CapturePoint p) {
    Segment(p, p);
}

void DrawArrow(HDC dc, CapturePoint tip, CapturePoint tail, int headLength, int headWidth,
               COLORREF fillColour) {
    const auto corners = ArrowPolygon(tip, tail, headLength, headWidth);
    std::array<POINT, 6> points;
    for (size_t i = 0; i < points.size(); ++i) {
        points[i] = {corners[i].x, corners[i].y};
    }
    HBRUSH fill = CreateSolidBrush(fillColour);
    HGDIOBJ previous = SelectObject(dc, fill);
    Polygon(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, previous);
    DeleteObject(fill);
}

// The current shape on `dc` (the working image, or a highlighter stroke's mask, whose arrow head
// is filled with `fillColour` white).
void DrawShape(const ImageRect& r, HDC dc = app.imageDC,
               COLORREF fillColour = app.settings.PenColor) {
    switch (CurrentShape()) {
    case ShapeKind::Rectangle:
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        break;
    case ShapeKind::Ellipse:
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
        break;
    case ShapeKind::Line:
        // One past the end, so the end point itself is painted.
        MoveToEx(dc, r.left, r.top, nullptr);
        LineTo(dc, r.right + 1, r.bottom + 1);
        break;
    case ShapeKind::Arrow: {
        // The arrow points at where the drag started.
        const int head = 4 * ActivePenWidth();
        DrawArrow(dc, {r.left, r.top}, {r.right, r.bottom}, head, head, fillColour);
        break;
    }
    case ShapeKind::Freehand:
        break;
    }
}

void InvalidateAll(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

void EnterDrawMode(HWND window, CapturePoint p) {
    if (!app.imageModified) {
        BitBlt(app.imageDC, 0, 0, app.captureWidth, app.captureHeight, app.cleanDC, 0, 0, SRCCOPY);
        app.imageModified = 1;
    }
    RebuildPen();
    SetPenPoint(p);
    ShowPenMarker(p.x, p.y, true); // a dot of the pen's width
    InvalidateAll(window);
    // After a live-zoom takeover strokes keep their on-screen thickness: the width is scaled
    // by the live magnification until that zoom ends. The highlighter's is scaled alike while it
    // is offered: the tool not in use directly, the one in use as a width change would.
    if (app.fromLiveZoom && app.savedPenWidth == 0) {
        const auto scaled = [](int width) {
            return static_cast<int>(static_cast<float>(width) * app.liveZoomFactor);
        };
        app.savedPenWidth = app.settings.PenWidth;
        if (app.settings.HighligterSupported) {
            app.savedHighlighterWidth = app.settings.HighligterWidth;
            if (HighlighterActive()) {
                StoreToolWidth(PenTool::Pen, scaled(app.settings.PenWidth), true);
            } else {
                StoreToolWidth(PenTool::Highlighter, scaled(app.settings.HighligterWidth), true);
            }
        }
        SetPenWidth(window, p.x, p.y, scaled(ActivePenWidth()));
    }
    app.drawMode = 1;
    SuppressStickyKeys();
    ClipToView(app.currentZoom);
}

void StartStroke(HWND window, WPARAM keys, CapturePoint p) {
    const ShapeKind shape = ShapeForModifiers((keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0,
                                              GetKeyState(VK_TAB) < 0);
    // The tool is the stroke's from press to release.
    app.highlightStroke = HighlighterActive() && BeginHighlightStroke() ? 1 : 0;
    if (shape != ShapeKind::Freehand) {
        app.shapeKind = static_cast<int>(shape);
        app.shapeAnchor = {p.x, p.y};
        SetShapeRect({p.x, p.y, p.x, p.y});
    } else {
        Dot(PenPoint()); // a click without movement leaves a dot
    }
    app.strokeActive = 1;
    SetROP2(app.imageDC, R2_COPYPEN);
    SetPenPoint(p);
    app.imageModified = 1;
    // The button may come up anywhere, another monitor too: the release must reach this window,
    // or the stroke would go on with the button up.
    SetCapture(window);
}

void MoveShape(HWND window, CapturePoint p) {
    SetROP2(app.imageDC, R2_NOTXORPEN);
    ImageRect r = ShapeRect();
    if (!r.IsPoint()) {
        DrawShape(r); // drawn a second time in this mode, the old preview disappears
    }
    if (CurrentShape() == ShapeKind::Line || CurrentShape() == ShapeKind::Arrow) {
        r.right = p.x;
        r.bottom = p.y;
    } else {
        r = SpannedRect({app.shapeAnchor.x, app.shapeAnchor.y}, p);
    }
    SetShapeRect(r);
    if (!r.IsPoint()) {
        DrawShape(r);
    }
    InvalidateAll(window);
}

void FinishShape(HWND window, CapturePoint p) {
    ImageRect r = ShapeRect();
    if (r.IsPoint()) {
        // A click without a drag draws no shape; a move that came back to the press point left
        // the previews' mix mode behind, and the next marker must not be drawn inverted.
        SetROP2(app.imageDC, R2_COPYPEN);
        return;
    }
    SetROP2(app.imageDC, R2_NOTXORPEN);
    DrawShape(r);
    HGDIOBJ previousBrush = SelectObject(app.imageDC, GetStockObject(NULL_BRUSH));
    SetROP2(app.imageDC, R2_COPYPEN);
    if (CurrentShape() == ShapeKind::Line || CurrentShape() == ShapeKind::Arrow) {
        SnapLine(r);
        SetShapeRect(r);
    }
    if (app.highlightStroke) {
        // The whole mask is looked at: a shape's outline may lie anywhere in it.
        Highlight([&r](HDC mask) { DrawShape(r, mask, RGB(255, 255, 255)); },
                  {0, 0, app.captureWidth, app.captureHeight});
    } else {
        DrawShape(r); // hollow: rectangles and ellipses keep only their outline
    }
    InvalidateAll(window);
    SelectObject(app.imageDC, previousBrush);
    SetPenPoint(p); // the marker comes back with the next move
}

// The end of a stroke at p, as the release draws it; the capture goes after the stroke has
// ended, so the capture change it causes finds nothing left to finish.
void EndStroke(HWND window, CapturePoint p) {
    if (CurrentShape() != ShapeKind::Freehand) {
        FinishShape(window, p);
    } else {
        Segment(PenPoint(), p);
        InvalidateAll(window);
        SetPenPoint(p);
        ShowPenMarker(p.x, p.y);
    }
    ClearStroke(window);
}

bool ShapePreviewShown() {
    return app.strokeActive && CurrentShape() != ShapeKind::Freehand && !ShapeRect().IsPoint();
}

} // namespace

CapturePoint ClientPositionToImage(LPARAM position) {
    ClipCursor(nullptr);
    return ClientToImage(GET_X_LPARAM(position), GET_Y_LPARAM(position),
                         ViewOrigin(app.currentZoom), app.currentZoom);
}

void InvalidateSegment(HWND window, CapturePoint a, CapturePoint b) {
    const int margin = SegmentMargin(ActivePenWidth(), UseCrossMarker());
    const ClientRect r =
        SegmentClientRect(a, b, margin, ViewOrigin(app.currentZoom), app.currentZoom);
    const RECT area = {r.left, r.top, r.right, r.bottom};
    InvalidateRect(window, &area, FALSE);
}

void HoverTo(HWND window, CapturePoint p) {
    const CapturePoint from = PenPoint();
    ShowPenMarker(p.x, p.y);
    InvalidateSegment(window, from, p);
    SetPenPoint(p);
}

void TakeOutShapePreview() {
    if (ShapePreviewShown()) {
        SetROP2(app.imageDC, R2_NOTXORPEN);
        DrawShape(ShapeRect()); // drawn a second time in this mode, the preview disappears
        SetROP2(app.imageDC, R2_COPYPEN);
    }
}

void PutBackShapePreview(HWND window) {
    if (ShapePreviewShown()) {
        SetROP2(app.imageDC, R2_NOTXORPEN);
        DrawShape(ShapeRect());
        InvalidateAll(window);
    }
}

void LeaveDrawMode() {
    app.drawMode = 0; // the sticky-keys shortcut stays off: drawing comes back at once
}

LRESULT OnLeftButtonDown(HWND window, WPARAM keys, LPARAM position) {
    if (!app.zoomActive) {
        return 0;
    }
    if (app.typingActive) {
        return OnTypingLeftButton(window);
    }
    const bool reentry = keys == kReenterDrawing;
    // Drawing starts only with the zoom animation at rest. A pen-width change re-enters at
    // once even while the view is still moving, or drawing would simply end.
    if (!reentry && app.currentZoom != app.targetZoom) {
        return 0;
    }
    HidePenMarker();
    if (!reentry) {
        PushUndoSnapshot(); // every press can be undone, also the one that enters drawing
    }
    const CapturePoint p = reentry ? PenPoint() : ClientPositionToImage(position);
    if (!app.drawMode) {
        EnterDrawMode(window, p);
    } else {
        StartStroke(window, keys, p);
    }
    return 0;
}

LRESULT OnDrawMouseMove(HWND window, LPARAM position) {
    const CapturePoint p = ClientPositionToImage(position);
    if (app.strokeActive && CurrentShape() != ShapeKind::Freehand) {
        MoveShape(window, p);
    } else if (app.strokeActive) {
        app.imageModified = 1;
        SetROP2(app.imageDC, R2_COPYPEN);
        Segment(PenPoint(), p);
        InvalidateSegment(window, PenPoint(), p);
    } else {
        HoverTo(window, p);
    }
    SetPenPoint(p);
    return 0;
}

LRESULT OnLeftButtonUp(HWND window, LPARAM position) {
    if (!app.zoomActive || !app.drawMode || !app.strokeActive) {
        return 0;
    }
    EndStroke(window, ClientPositionToImage(position));
    return 0;
}

LRESULT OnCaptureChanged(HWND window) {
    FinishStrokeNow(window);
    return 0;
}

void ClearStroke(HWND window) {
    app.strokeActive = 0;
    app.shapeKind = static_cast<int>(ShapeKind::Freehand);
    if (GetCapture() == window) {
        ReleaseCapture();
    }
}

void FinishStrokeNow(HWND window) {
    if (app.zoomActive && app.drawMode && app.strokeActive) {
        EndStroke(window, PenPoint());
    }
}

LRESULT OnRightButtonDown(HWND window) {
    const WPARAM zoomId = static_cast<WPARAM>(HotkeyId::Zoom);
    if (app.zoomActive && app.typingActive) {
        SendMessageW(window, kEndTypingMessage, 0, 0);
    } else if (app.zoomActive && app.drawMode) {
        // A shape dragged so far is only a rubber band: it goes rather than leave an inverted
        // outline in the picture. A freehand stroke drawn so far stays.
        HidePenMarker();
        TakeOutShapePreview();
        SetCursorPos(app.monitorRect.left + app.zoomPoint.x, app.monitorRect.top + app.zoomPoint.y);
        app.drawMode = 0;
        ClearStroke(window);
        RestoreStickyKeys();
        SendMessageW(window, kEndTypingMessage, 0, 0);
        ClipCursor(nullptr);
        InvalidateAll(window);
    } else if (app.zoomActive || app.breakActive) {
        PostMessageW(window, WM_HOTKEY, zoomId, 0);
    }
    return 0;
}
