// The pen marker leaves nothing behind, whatever comes between its painting and its removal:
// each sequence ends with the pen moved aside, the picture compared with what GDI draws for the
// drawing alone, and the newest undo snapshot read back the same way. Also the sticky-keys
// setting on every way in and out of drawing, and running out of memory inside a handler.
#include "draw/drawing_fixture.h"

#include <new>

#include "draw/sticky_keys.h"

namespace {

constexpr POINT kStart = {300, 300};
constexpr POINT kBend = {450, 350}; // off the rectangle drawn at last, so a preview left shows
constexpr POINT kEnd = {400, 400};

class Marker : public Drawing {
  protected:
    void Undo(bool eraser) { eraser ? PenTouch(PEN_FLAG_ERASER) : CtrlZ(); }
    // With the pen moved aside (the marker goes with it while drawing) the picture shows `now`,
    // and one undo brings back `before`: the newest snapshot holds no marker either.
    void ExpectPictureThenUndo(const Image& now, const Image& before, const std::string& sequence) {
        Move(kAside);
        const RECT marker = app.drawMode ? MarkerSquare() : RECT{};
        EXPECT_EQ(Differences(WorkingImage(), now, marker), 0u) << sequence << ": in the picture";
        CtrlZ();
        EXPECT_EQ(Differences(WorkingImage(), before, marker), 0u) << sequence << ": in the undo";
        EXPECT_EQ(beeps, 0) << sequence;
    }
};

// Each from drawing at 1.0. A right click during a drag keeps the stroke so far; Ctrl+Z or the
// pen eraser in plain zoom takes the stroke away, and the press back into drawing restores
// nothing. While typing they take away the text of this visit and typing goes on; the wheel
// while typing from plain zoom enters drawing as a press would and leaves only the text.
TEST_F(Marker, RightClicksUndoAndTheWheelAroundADragOrTypingLeaveNothingBehind) {
    const char* const sequences[] = {"a right-click during a drag",  "Ctrl+Z in plain zoom",
                                     "the pen eraser in plain zoom", "Ctrl+Z while typing",
                                     "the pen eraser while typing",  "the wheel while typing"};
    for (int i = 0; i < 6; ++i) {
        const bool eraser = i == 2 || i == 4;
        EnterDrawing();
        Image now = CleanCapture(), before = now;
        if (i < 3) {
            Move(kStart);
            Press(kStart);
            Move(kBend, MK_LBUTTON);
            if (i > 0) {
                Release(kBend); // the pen rests on the end of the stroke
            }
            RightClick();
            i > 0 ? Undo(eraser) : Release(kBend);
            if (i == 0) {
                now = before = Expected(Track({kStart, kBend}, false));
            }
            EXPECT_EQ(Differences(WorkingImage(), now), 0u) << sequences[i];
            Stroke({{600, 600}}); // back into drawing
        } else if (i < 5) {
            Stroke({kStart, kBend});
            Move({600, 600});
            StartTyping();
            Type(L"ab");
            Undo(eraser);
            EXPECT_EQ(app.typingActive, 1) << sequences[i];
            Type(L"c");
            Key(VK_BACK); // takes away only what was typed since
            Key(VK_ESCAPE);
            now = Expected(Track({kStart, kBend}));
        } else {
            RightClick();
            Move({500, 500}); // plain zoom at 1.0: typing starts under the pointer
            StartTyping();
            Type(L"ab");
            Key(VK_ESCAPE);
            now = before = WorkingImage();
            ASSERT_GT(Differences(now, CleanCapture()), 0u);
            Key('E');
            StartTyping();
            Type(L"ab");
            Wheel(WHEEL_DELTA); // a larger text from here on; drawing starts as a press would
            EXPECT_EQ(app.drawMode, 1);
            EXPECT_GT(app.textPoint.x, 500) << "typing goes on after the text";
            Key(VK_ESCAPE);
        }
        ExpectPictureThenUndo(now, before, sequences[i]);
        PressZoom();
    }
}

// E, K, W and T wait for the button to come up; a colour or width change redraws the rest of
// the stroke, or the rectangle's rubber band, in the new pen.
TEST_F(Marker, PenChangesAndKeysWhileTheButtonIsHeldLeaveNoMarkerOrRubberBandBehind) {
    const Drawn earlier = Track({{1200, 800}, {1300, 800}});
    const Drawn onwards = [](HDC dc) { // on from the bend, and a dot at the release
        MoveToEx(dc, kBend.x, kBend.y, nullptr), LineTo(dc, kEnd.x, kEnd.y),
            LineTo(dc, kEnd.x, kEnd.y);
    };
    // The key pressed (0: Ctrl+wheel) and the pen the rest of the stroke takes.
    const std::tuple<char, COLORREF, int> cases[] = {{'G', RGB(0, 255, 0), 3}, {0, kRed, 4},
                                                     {'E', kRed, 3},           {'K', kRed, 3},
                                                     {'W', kRed, 3},           {'T', kRed, 3}};
    for (const auto& [key, colour, width] : cases) {
        for (WPARAM shape : {WPARAM(0), WPARAM(MK_CONTROL)}) {
            app.settings.PenColor = kRed;
            app.settings.PenWidth = 3;
            EnterDrawing();
            Stroke({{1200, 800}, {1300, 800}}); // something drawn before, for E to take away
            Move(kStart);
            Press(kStart, shape);
            Move(kBend, MK_LBUTTON | shape);
            // While the button is held, at the bend.
            key == 0     ? Wheel(WHEEL_DELTA, MK_CONTROL | MK_LBUTTON)
            : key == 'T' ? StartTyping()
                         : Key(key);
            Move(kEnd, MK_LBUTTON | shape);
            Release(kEnd, shape);
            EXPECT_EQ(app.typingActive, 0) << key;
            const Drawn drawn =
                shape ? WithPen(colour, width, Box(kStart.x, kStart.y, kEnd.x, kEnd.y))
                      : Both(Track({kStart, kBend}, false), WithPen(colour, width, onwards));
            ExpectPictureThenUndo(Expected(Both(earlier, drawn)), Expected(earlier),
                                  std::string(1, key) + (shape ? " in a rectangle" : ""));
            PressZoom();
        }
    }
}

TEST_F(Marker, KOrWDuringTheZoomAnimationChangesNothing) {
    for (WPARAM pad : {'K', 'W'}) {
        app.settings.AnimateZoom = 1;
        PressZoom(); // the zoom-in has begun; no tick has run
        ASSERT_NE(app.currentZoom, app.targetZoom);
        Key(pad);
        EXPECT_EQ(
            std::tuple(app.drawMode, UndoDepth(), Differences(WorkingImage(), CleanCapture())),
            std::tuple(0, 0, 0u))
            << char(pad);
        app.settings.AnimateZoom = 0;
        PressZoom();
    }
}

// As a takeover leaves it: at 1.0, the live magnification recorded. The first press scales both
// widths, the active tool's as a width change would; the end of the zoom gives both back. A
// 72-pixel dot leaves no part of itself.
TEST_F(Marker, ALiveZoomHandOffScalesBothWidthsLeavesNoPartOfItsDotAndGivesThemBack) {
    app.settings.HighligterSupported = 1;
    for (const auto& [highlighter, factor, pen, marker] :
         {std::tuple{0, 24.0f, 72, 480}, {1, 2.5f, 7, 50}}) {
        app.highlighterChosen = highlighter;
        PressZoom();
        app.currentZoom = app.targetZoom = 1.0f;
        app.fromLiveZoom = 1;
        app.liveZoomFactor = factor;
        Stroke({{500, 500}});
        EXPECT_EQ(std::pair(app.settings.PenWidth, app.settings.HighligterWidth),
                  std::pair(pen, marker));
        if (!highlighter) {
            EXPECT_EQ(AsideDifferences(CleanCapture()), 0u) << "the entry dot";
            Stroke({{500, 700}, {800, 700}});
            ExpectPictureThenUndo(Expected(WithPen(kRed, 72, Track({{500, 700}, {800, 700}}))),
                                  CleanCapture(), "a stroke 72 pixels wide");
        }
        PressZoom();
        EXPECT_EQ(std::pair(app.settings.PenWidth, app.settings.HighligterWidth), std::pair(3, 20));
    }
}

// Drawing switches StickyKeys' shortcut off and puts the presenter's setting back on each way
// out; a StickyKeys that is on, or whose shortcut is off, is left alone. A re-entry (the
// live-zoom hand-off, a width change) writes nothing, and nothing is ever broadcast.
TEST_F(Marker, StickyKeysLoseOnlyTheirShortcutWhileDrawingUnlessOnAndComeBackOnEveryWayOut) {
    const std::pair<DWORD, bool> records[] = {
        {SKF_AVAILABLE | SKF_HOTKEYACTIVE, true},
        {SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_STICKYKEYSON, false},
        {SKF_AVAILABLE, false}};
    for (const auto& [own, suppressed] : records) {
        standInStickyKeys.dwFlags = own;
        stickyKeysWrites = 0;
        const DWORD whileDrawing = suppressed ? own & ~DWORD(SKF_HOTKEYACTIVE) : own;
        EnterDrawing();
        EXPECT_EQ(standInStickyKeys.dwFlags, whileDrawing) << own;
        SuppressStickyKeys(); // a nested entry (the live-zoom hand-off) suppresses once more
        Wheel(WHEEL_DELTA, MK_CONTROL); // the width change leaves drawing and enters it again
        EXPECT_EQ(stickyKeysWrites, suppressed ? 1 : 0) << own;
        RightClick();
        EXPECT_EQ(standInStickyKeys.dwFlags, own) << "the right button";
        Stroke({{600, 600}});
        EXPECT_EQ(standInStickyKeys.dwFlags, whileDrawing);
        PressZoom();
        EXPECT_EQ(standInStickyKeys.dwFlags, own) << "the end of the zoom";
        // Each entry and each way out: entering, the right button, the press, the zoom's end.
        EXPECT_EQ(stickyKeysWrites, suppressed ? 4 : 0) << own;
    }
    EXPECT_EQ(stickyKeysBroadcasts, 0);
}

TEST_F(Marker, RunningOutOfMemoryInAHandlerEndsTheZoomInsteadOfReachingTheSystem) {
    EnterDrawing();
    Stroke({kStart, kBend});
    undoBeep = [](DWORD, DWORD) -> BOOL { throw std::bad_alloc(); };
    CtrlZ(); // the stroke
    CtrlZ(); // the press that entered drawing
    CtrlZ(); // nothing left: the beep runs out of memory
    EXPECT_EQ(app.zoomActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.imageDC, nullptr) << "the zoom's surfaces freed";
    EXPECT_EQ(standInStickyKeys.dwFlags, DWORD(SKF_AVAILABLE | SKF_HOTKEYACTIVE));
    PressZoom();
    EXPECT_EQ(app.zoomActive, 1) << "the program goes on";
}

} // namespace
