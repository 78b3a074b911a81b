// The pen and its marker (see pen.h).
#include "draw/pen.h"

#include "draw/draw_geometry.h"
#include "draw/pen_state.h"
#include "draw/strokes.h"
#include "settings/registry_store.h"
#include "zoom/app_state.h"

namespace {

struct ColorKey {
    WPARAM key;
    uint32_t Settings::*slot;
};

constexpr ColorKey kColorKeys[] = {
    {'R', &Settings::PenColorR}, {'G', &Settings::PenColorG}, {'B', &Settings::PenColorB},
    {'O', &Settings::PenColorO}, {'Y', &Settings::PenColorY}, {'P', &Settings::PenColorP},
};

} // namespace

bool SelectPenColorForKey(HWND window, WPARAM virtualKey) {
    const ColorKey* match = nullptr;
    for (const ColorKey& colorKey : kColorKeys) {
        if (colorKey.key == virtualKey) {
            match = &colorKey;
        }
    }
    if (match == nullptr || app.typingActive) {
        return false; // while typing the letter is typed instead
    }
    if (app.breakActive && !app.settings.BreakUsePenColor) {
        return false;
    }
    const auto pick = [match] {
        app.settings.PenColor = app.settings.*(match->slot);
        WriteDwordSetting("PenColor", app.settings.PenColor);
        return true;
    };
    // The pen lives in the zoom's working image; during a break only the colour matters.
    if (!app.zoomActive) {
        pick();
        InvalidateRect(window, nullptr, TRUE);
        return true;
    }
    ChangePen(window, pick);
    if (app.drawMode && !app.strokeActive) {
        RefreshPenMarker(window);
    }
    return true;
}

bool SwitchHighlighterForKey(HWND window, WPARAM virtualKey) {
    // While typing H types; during a drag the stroke keeps the tool it began with.
    if (virtualKey != 'H' || !app.settings.HighligterSupported || !app.drawMode ||
        app.typingActive || app.strokeActive) {
        return false;
    }
    HidePenMarker();
    app.highlighterChosen = app.highlighterChosen ? 0 : 1;
    RebuildPen();
    RefreshPenMarker(window);
    // The old marker may reach further than the new one's margin.
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

void SetPenWidth(HWND window, int x, int y, int requested) {
    const bool fromLiveZoom = app.fromLiveZoom != 0;
    if (!AcceptedPenWidth(requested, fromLiveZoom)) {
        return; // the width and the marker stay as they are
    }
    if (app.strokeActive) {
        // During a drag the stroke goes on with the new width; re-entering drawing would leave
        // its entry dot in the middle of the stroke.
        ChangePen(window,
                  [requested, fromLiveZoom] { return StorePenWidth(requested, fromLiveZoom); });
        return;
    }
    HidePenMarker();
    StorePenWidth(requested, fromLiveZoom);
    // Leave drawing and enter it again at the pen: the marker is a dot of the new width
    // until the pointer moves, which shows the presenter the width at once.
    LeaveDrawMode();
    SendMessageW(window, WM_LBUTTONDOWN, kReenterDrawing, MAKELPARAM(x, y));
}

void RebuildPen() {
    // The new pen goes in before the old one is deleted: a pen still selected into a DC must
    // not be deleted.
    SetTextColor(app.imageDC, app.settings.PenColor);
    HPEN previous = app.pen;
    app.pen = CreatePen(PS_SOLID, ActivePenWidth(), app.settings.PenColor);
    SelectObject(app.imageDC, app.pen);
    DeleteAndClear(previous);
}

void RefreshPenMarker(HWND window) {
    HoverTo(window, {app.penPoint.x, app.penPoint.y});
}

bool ChangePen(HWND window, const std::function<bool()>& change) {
    // A shape's rubber band is inverted with the pen it was drawn with: it goes with the old
    // pen and comes back with the new one, or an outline of the old pen would stay behind.
    TakeOutShapePreview();
    const bool changed = change();
    if (changed) {
        RebuildPen();
    }
    PutBackShapePreview(window);
    return changed;
}
