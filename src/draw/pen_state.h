// The pen as the modes share it: its stored width, and the pen marker (a small cross or a dot)
// that the program paints into the working image as its only pointer while drawing, with the
// save-under that removes it again. The zoom view takes the marker out before it frees the image
// and gives the pen its width back after a live-zoom takeover. It calls no mode.
#pragma once

// Takes `requested` as the pen width when it is one (a takeover from live zoom allows wider
// pens) and stores it; false, with nothing changed, otherwise.
bool StorePenWidth(int requested, bool fromLiveZoom);

void SaveUnderPen(int x, int y);
void RestoreUnderPen(int x, int y);
bool UseCrossMarker();
void DrawPenMarker(int x, int y);
