// Sticky keys are switched off while drawing (Shift and Ctrl pick shapes there) and the
// presenter's own settings written back on every way out.
#pragma once

// Writes app.savedStickyKeys back when it holds a saved record (its size field is 8).
void RestoreStickyKeys();
