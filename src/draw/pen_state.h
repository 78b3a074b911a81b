// The pen as the modes share it: which tool draws (the pen or, when offered and chosen with H,
// the highlighter), the tools' stored widths, and the pen marker (a small cross or a dot)
// that the program paints into the working image as its only pointer while drawing. The marker
// has one record, app.penMarker, changed only here: whether it is painted now, where, and the
// pixels it covers. Every path that draws, undoes, erases, changes the pen or leaves a mode
// shows, hides or forgets the marker through these calls, so no saved square is ever put back
// where it no longer belongs. The zoom view takes the marker out while the view moves and frees
// its surface with the zoom's. It calls no mode.
#pragma once

enum class PenTool { Pen, Highlighter };
// The highlighter while HighligterSupported is set and H chose it; the pen otherwise.
PenTool ActiveTool();
inline bool HighlighterActive() {
    return ActiveTool() == PenTool::Highlighter;
}
// The width the active tool draws with: PenWidth or HighligterWidth.
int ActivePenWidth();

// Takes `requested` as the tool's width when it is one (a takeover from live zoom allows wider
// pens) and stores it; false, with nothing changed, otherwise. StorePenWidth does so for the
// active tool.
bool StoreToolWidth(PenTool tool, int requested, bool fromLiveZoom);
inline bool StorePenWidth(int requested, bool fromLiveZoom) {
    return StoreToolWidth(ActiveTool(), requested, fromLiveZoom);
}
// A zoom taken over from live zoom ends: the widths its drawing scaled by the live magnification
// (savedPenWidth, savedHighlighterWidth) come back, and the saved ones are cleared.
void RestoreWidthsAfterLiveZoom();

// Paints the marker at image point (x, y), first taking it out of where it is shown: the cross,
// or a dot of the pen's width (always the dot when `dot` is set, as entering drawing shows the
// width); for the highlighter a square of its width, blended as its strokes are and framed. The
// pixels under it are saved first; when they cannot be, no marker is painted.
void ShowPenMarker(int x, int y, bool dot = false);
// Takes the marker out, putting back the pixels it covered; nothing when it is not painted.
void HidePenMarker();
// The picture was replaced as a whole (undo, erase-all): the marker is no longer in it, and the
// pixels saved under it belong to a picture that is gone.
void ForgetPenMarker();
bool PenMarkerShown();
// Frees the marker's surface with the zoom's surfaces.
void ReleasePenMarker();

bool UseCrossMarker();
