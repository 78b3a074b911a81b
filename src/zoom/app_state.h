// AppState: the one record of the program's global state. It owns every window handle, GDI
// object and mode flag of the main window for the life of the process, and holds the in-memory
// settings. Whoever replaces a handle deletes the old one first; whoever deletes one clears the
// field (DeleteAndClear below), so no handle is ever deleted twice.
#pragma once

#include <windows.h>

#include <vector>

#include "settings/settings_values.h"
#include "zoom/view_scaler.h"

struct UndoSnapshot; // newest-first list of whole-image snapshots (drawing)
struct TypedGlyph;   // newest-first list of typed character rectangles (typing)

// The pen marker's state: whether it is painted into the working image now, where, and the
// pixels it covers there. Only draw/pen_state.cpp changes it; everything else asks that code
// to show, hide or forget the marker, so nothing puts back pixels that no longer belong.
struct PenMarker {
    int shown = 0;    // painted into imageDC over the saved pixels
    RECT area = {};   // the image pixels saved, where the marker was painted
    HDC dc = nullptr; // the saved pixels at (0, 0): its own surface, grown as needed
    HBITMAP bitmap = nullptr;
    SIZE capacity = {}; // bitmap's size
};

// A highlighter stroke's coverage (draw/highlighter.cpp): GDI draws each piece of the stroke
// into `dc`, white on black, and the blend moves those bits into `blended`, so that each pixel
// of the stroke is blended once. Made at a zoom's first highlighter stroke, freed with the zoom.
struct HighlightCoverage {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;     // a 1-bit top-down DIB section of the capture's size
    uint8_t* fresh = nullptr;     // borrowed: bitmap's bits, all clear between pieces
    std::vector<uint8_t> blended; // the pixels this stroke has blended, in the same layout
    int rowBytes = 0;
    int width = 0;
    int height = 0;
};

// Monitor-sized surfaces kept from one zoom to the next. A fresh bitmap of a monitor's size
// costs about as much as a screen capture in page faults the first time its pixels are touched;
// the next zoom of the same size reuses these, whose memory is already mapped, so the picture
// appears about one capture after the hotkey. Held here only between zooms, when no DC has
// them selected; a zoom of another size, a display change, a few minutes without a zoom and the
// end of the main window release them (ReleaseSpareSurfaces).
struct SpareSurfaces {
    HBITMAP image = nullptr;       // a 32-bit top-down DIB section
    uint32_t* imageBits = nullptr; // borrowed: image's pixels
    HBITMAP clean = nullptr;       // device bitmaps, of the display's format
    HBITMAP scratch = nullptr;
    HBITMAP view = nullptr; // a 32-bit top-down DIB section, when the view's scaler made one
    uint32_t* viewBits = nullptr;
    int width = 0;
    int height = 0;
    UINT bitsPerPixel = 0; // the display's format the device bitmaps were made for
    UINT planes = 0;
    // Undo snapshot bitmaps of the image's size and format, their DCs deleted: the next zoom's
    // pushes reuse them (draw/undo_stack.h).
    HBITMAP undo[7] = {};
};

struct AppState {
    // Windows and process.
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND liveZoomWindow = nullptr; // cleared by that window's WM_DESTROY
    HWND optionsDialog = nullptr;  // while set, the zoom hotkey does nothing
    WORD windowsVersion = 0;       // low word of GetVersion: major in the low byte
    int exitStarted = 0;           // ExitProgram has ended the modes and written the settings

    // Tray.
    int trayDoubleClicked = 0;   // the next left button-up ends a double click
    POINT trayClickPoint = {};   // where a single click's menu opens

    // Modes: 32-bit flags holding 0 or 1.
    int zoomActive = 0;
    int fromLiveZoom = 0;
    int drawMode = 0;
    int strokeActive = 0;
    int imageModified = 0;
    int shapeKind = 0; // 0 freehand, 1 rectangle, 2 ellipse, 3 line, 4 arrow
    int typingActive = 0;
    int caretFixed = 0;
    int padKind = 0; // 0 none, 'K' black pad, 'W' white pad
    // H chose the highlighter; it draws while HighligterSupported is set. Kept from zoom to
    // zoom like the pen's colour, but not stored: each start of the program begins with the pen.
    int highlighterChosen = 0;
    int highlightStroke = 0; // the stroke in progress lays the highlighter (set at each press)
    int breakActive = 0;
    int saveDialogOpen = 0;

    // Zoom geometry.
    RECT monitorRect = {};
    int captureWidth = 0;
    int captureHeight = 0;
    POINT zoomPoint = {};
    float currentZoom = 1.0f;
    float targetZoom = 0.0f;
    float zoomStep = 0.0f;
    // The running animation: the level it left and when, on the clock (shared/clock.h).
    float zoomAnimationFrom = 1.0f;
    double zoomAnimationStartMs = 0.0;
    float liveZoomFactor = 0.8f;
    RECT liveZoomSource = {};
    RECT viewRect = {};
    int32_t wheelRest = 0;             // wheel delta short of a whole notch (TakeWheelNotches)
    HWND previousForeground = nullptr; // borrowed: another program's window
    int savedPenWidth = 0;
    int savedHighlighterWidth = 0; // with savedPenWidth, when the highlighter is offered

    // Drawing surfaces and GDI objects: from zoom entry to zoom exit.
    HDC displayDC = nullptr;
    HDC imageDC = nullptr;
    HBITMAP imageBitmap = nullptr; // a 32-bit top-down DIB section
    uint32_t* imageBits = nullptr; // borrowed: imageBitmap's pixels, cleared with it
    HDC cleanDC = nullptr;
    HBITMAP cleanBitmap = nullptr;
    HDC scratchDC = nullptr;
    HBITMAP scratchBitmap = nullptr;
    HPEN pen = nullptr;
    HFONT typingFont = nullptr;
    PenMarker penMarker;
    HighlightCoverage highlight;
    STICKYKEYS savedStickyKeys = {}; // valid only while cbSize is 8
    // The magnified view, painted here by the view's own scaler (view_scaler.h), made at the
    // first such paint of a zoom.
    HDC viewDC = nullptr;
    HBITMAP viewBitmap = nullptr;
    uint32_t* viewBits = nullptr; // borrowed: viewBitmap's pixels, cleared with it
    PainterChoice painterChoice;  // for the life of the process: the painters measured
    ScalerScratch viewScratch;    // the scaler's, kept between paints
    HDC padPictureDC = nullptr;
    HBITMAP padPictureBitmap = nullptr;
    SpareSurfaces spareSurfaces; // between zooms only

    // Drawing state.
    POINT penPoint = {};
    POINT shapeAnchor = {};
    RECT shapeRect = {};
    RECT caretRect = {};
    POINT textPoint = {};
    POINT typingReturnPoint = {};
    UndoSnapshot* undoStack = nullptr;
    // Surfaces for the next pushes: popped, erased, kept from the last zoom or made ahead. With
    // the stack, at most 7.
    UndoSnapshot* undoSpares = nullptr;
    TypedGlyph* typedCharacters = nullptr;
    wchar_t pendingHighSurrogate = 0; // typing: the first half of a pair, until the second comes

    // Break screen.
    int breakSecondsLeft = 0; // negative after expiry
    // The count is the clock's: it showed breakCountFrom at breakCountStartMs (shared/clock.h),
    // and goes one down per whole second since.
    int breakCountFrom = 0;
    double breakCountStartMs = 0.0;
    HFONT breakTimerFont = nullptr;
    HFONT breakExpiredFont = nullptr;
    HDC breakPictureDC = nullptr;
    HBITMAP breakPictureBitmap = nullptr;
    HBITMAP breakBitmap = nullptr; // selected into imageDC during a break
    // The monitor as it was before the break screen covered it, kept for a restart over it.
    HBITMAP breakDesktopBitmap = nullptr;
    int breakBitsPerPixel = 0;
    int breakPlanes = 0;
    // The presenter's screen-saver setting, recorded when a break switched it off and put back
    // as it was when it ends (valid while powerStateSaved is 1).
    int powerStateSaved = 0;
    BOOL savedScreenSaverActive = FALSE;
    int secondDisplayAttached = 0; // the break attached \\.\DISPLAY2 and detaches it

    // The in-memory settings, with their defaults until ReadSettings replaces them.
    Settings settings;
};

extern AppState app;

// Puts every field back to its initial value (used by tests; the program starts with it).
void ResetAppState();

// The typing font record as the GDI type it mirrors, copied both ways.
LOGFONTW TypingLogFont(const Settings& settings);
void SetTypingLogFont(Settings& settings, const LOGFONTW& font);

// The delete-and-clear helpers: each deletes a handle the field owns and clears the field.
void DeleteAndClear(HDC& dc);
void DeleteAndClear(HBITMAP& bitmap);
void DeleteAndClear(HPEN& pen);
void DeleteAndClear(HFONT& font);
// Deletes the surfaces kept between zooms and clears the record.
void ReleaseSpareSurfaces();
