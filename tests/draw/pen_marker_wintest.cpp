// The pen marker leaves nothing behind, whatever comes between its painting and its removal:
// each sequence ends with the pen moved aside, the picture compared with what GDI draws for the
// drawing alone, and the newest undo snapshot read back the same way. Also the sticky-keys
// setting on every way in and out of drawing, and running out of memory inside a handler.
#include "draw/drawing_fixture.h"

#include <new>

#include "draw/sticky_keys.h"
#include "shell/optional_functions.h"

namespace {

constexpr POINT kStart = {300, 300};
constexpr POINT kBend = {450, 350}; // off the rectangle drawn at last, so a preview left shows
constexpr POINT kEnd = {400, 400};
constexpr COLORREF kGreen = RGB(0, 255, 0);

// What a freehand drag through `path` draws: a dot at the press, a line on to each point and,
// when the button came up, a dot at the release.
Drawn Track(std::vector<POINT> path, bool released = true) {
    return [path, released](HDC dc) {
        MoveToEx(dc, path[0].x, path[0].y, nullptr);
        for (POINT p : path) {
            LineTo(dc, p.x, p.y);
        }
        if (released) {
            LineTo(dc, path.back().x, path.back().y);
        }
    };
}
// `draw` with a pen of its own.
Drawn WithPen(COLORREF colour, int width, Drawn draw) {
    return [=](HDC dc) {
        HPEN pen = CreatePen(PS_SOLID, width, colour);
        HGDIOBJ previous = SelectObject(dc, pen);
        draw(dc);
        SelectObject(dc, previous);
        DeleteObject(pen);
    };
}
Drawn Both(Drawn first, Drawn second) {
    return [=](HDC dc) { first(dc), second(dc); };
}

class Marker : public Drawing {
  protected:
    void RightClick() { Send(WM_RBUTTONDOWN, MK_RBUTTON, {}); }
    void StartTyping() { SendMessageW(window, WM_KEYUP, 'T', 0xC0000001); } // a real key-up
    void Type(const wchar_t* text) {
        for (; *text != 0; ++text) {
            SendMessageW(window, WM_CHAR, *text, 1);
        }
    }
    void Wheel(int delta, WPARAM keys = 0) { Send(WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), {}); }
    void EraserTouch() {
        optionalFunctions.GetPointerPenInfo = [](UINT32, void* out) -> BOOL {
            auto* pen = static_cast<POINTER_PEN_INFO*>(out);
            *pen = {};
            pen->pointerInfo.pointerType = PT_PEN;
            pen->penFlags = PEN_FLAG_ERASER;
            return TRUE;
        };
        SendMessageW(window, WM_POINTERDOWN, 7, 0);
    }
    void Undo(bool eraser) { eraser ? EraserTouch() : CtrlZ(); }
    static Image Clean() { return CleanCapture(); }
    static Image Expected(const Drawn& draw) { return Read(app.cleanDC, draw); }
    // With the pen moved aside (the marker goes with it while drawing) the picture shows `now`,
    // and one undo brings back `before`: the newest snapshot holds no marker either.
    void ExpectPictureThenUndo(const Image& now, const Image& before, const char* sequence) {
        Move(kAside);
        EXPECT_EQ(Differences(WorkingImage(), now, app.drawMode ? MarkerSquare() : RECT{}), 0u)
            << sequence << ": in the picture";
        CtrlZ();
        EXPECT_EQ(Differences(WorkingImage(), before, app.drawMode ? MarkerSquare() : RECT{}), 0u)
            << sequence << ": in the newest snapshot";
        EXPECT_EQ(beeps, 0) << sequence;
    }
};

TEST_F(Marker, TheFirstPressAfterARightClickDuringADragOrAnUndoInPlainZoomRestoresNothing) {
    EnterDrawing();
    Move(kStart);
    Press(kStart);
    Move(kBend, MK_LBUTTON);
    RightClick(); // out of drawing: the stroke drawn so far stays
    Send(WM_LBUTTONUP, 0, kBend);
    const Image stroke = Expected(Track({kStart, kBend}, false));
    EXPECT_EQ(Differences(WorkingImage(), stroke), 0u);
    Move({600, 600});
    Press({600, 600}); // back into drawing
    Send(WM_LBUTTONUP, 0, {600, 600});
    ExpectPictureThenUndo(stroke, stroke, "a right-click during a drag");
    PressZoom();

    for (bool eraser : {false, true}) {
        const char* sequence = eraser ? "the pen eraser in plain zoom" : "Ctrl+Z in plain zoom";
        EnterDrawing();
        Move(kStart);
        Press(kStart);
        Move(kBend, MK_LBUTTON);
        Send(WM_LBUTTONUP, 0, kBend); // the pen rests on the end of the stroke
        RightClick();
        Undo(eraser);
        EXPECT_EQ(Differences(WorkingImage(), Clean()), 0u) << sequence;
        Move({600, 600});
        Press({600, 600});
        Send(WM_LBUTTONUP, 0, {600, 600});
        ExpectPictureThenUndo(Clean(), Clean(), sequence);
        PressZoom();
    }
}

TEST_F(Marker, TheWheelWhileTypingFromPlainZoomLeavesOnlyTheText) {
    EnterDrawing();
    RightClick();
    Move({500, 500}); // plain zoom at 1.0: typing starts under the pointer
    StartTyping();
    Type(L"ab");
    Key(VK_ESCAPE);
    const Image text = WorkingImage();
    ASSERT_GT(Differences(text, Clean()), 0u);
    Key('E');
    StartTyping();
    Type(L"ab");
    Wheel(WHEEL_DELTA); // a larger text from here on; drawing starts as a press would
    EXPECT_EQ(app.drawMode, 1);
    EXPECT_GT(app.textPoint.x, 500) << "typing goes on after the text";
    Key(VK_ESCAPE);
    ExpectPictureThenUndo(text, text, "the wheel while typing from plain zoom");
}

TEST_F(Marker, UndoWhileTypingBringsBackThePictureWithTheCaretAndNoMarker) {
    for (bool eraser : {false, true}) {
        const char* sequence = eraser ? "the pen eraser while typing" : "Ctrl+Z while typing";
        EnterDrawing();
        Stroke({kStart, kBend});
        const Image stroke = Expected(Track({kStart, kBend}));
        Move({600, 600});
        StartTyping();
        Type(L"ab");
        Undo(eraser); // the text of this visit goes; typing goes on
        EXPECT_EQ(app.typingActive, 1) << sequence;
        Type(L"c");
        Key(VK_BACK); // takes away only what was typed since
        Key(VK_ESCAPE);
        ExpectPictureThenUndo(stroke, Clean(), sequence);
        PressZoom();
    }
}

TEST_F(Marker, PenChangesAndKeysWhileTheButtonIsHeldLeaveNoMarkerOrRubberBandBehind) {
    const Drawn red = Track({kStart, kBend}, false);
    const Drawn onwards = [](HDC dc) { // on from the bend, and a dot at the release
        MoveToEx(dc, kBend.x, kBend.y, nullptr);
        LineTo(dc, kEnd.x, kEnd.y);
        LineTo(dc, kEnd.x, kEnd.y);
    };
    const Drawn earlier = Track({{1200, 800}, {1300, 800}});
    const Drawn box = Box(kStart.x, kStart.y, kEnd.x, kEnd.y);
    const struct {
        const char* name;
        std::function<void()> press; // while the button is held, at the bend
        Drawn freehand;
        Drawn rectangle;
    } cases[] = {
        {"G", [this] { Key('G'); }, Both(red, WithPen(kGreen, 3, onwards)),
         WithPen(kGreen, 3, box)},
        {"Ctrl+wheel", [this] { Wheel(WHEEL_DELTA, MK_CONTROL | MK_LBUTTON); },
         Both(red, WithPen(kRed, 4, onwards)), WithPen(kRed, 4, box)},
        {"E", [this] { Key('E'); }, Track({kStart, kBend, kEnd}), box},
        {"K", [this] { Key('K'); }, Track({kStart, kBend, kEnd}), box},
        {"W", [this] { Key('W'); }, Track({kStart, kBend, kEnd}), box},
        {"T", [this] { StartTyping(); }, Track({kStart, kBend, kEnd}), box},
    };
    for (const auto& c : cases) {
        for (WPARAM shape : {WPARAM(0), WPARAM(MK_CONTROL)}) {
            const std::string sequence = std::string(c.name) + (shape ? " in a rectangle" : "");
            app.settings.PenColor = kRed;
            app.settings.PenWidth = 3;
            EnterDrawing();
            Stroke({{1200, 800}, {1300, 800}}); // something drawn before, for E to take away
            const Image before = Expected(earlier);
            Move(kStart);
            Press(kStart, shape);
            Move(kBend, MK_LBUTTON | shape);
            c.press();
            Move(kEnd, MK_LBUTTON | shape);
            Send(WM_LBUTTONUP, shape, kEnd);
            EXPECT_EQ(app.typingActive, 0) << sequence;
            ExpectPictureThenUndo(Expected(Both(earlier, shape ? c.rectangle : c.freehand)), before,
                                  sequence.c_str());
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
        EXPECT_EQ(app.drawMode, 0) << char(pad);
        EXPECT_EQ(UndoDepth(), 0) << char(pad);
        EXPECT_EQ(Differences(WorkingImage(), Clean()), 0u) << char(pad);
        app.settings.AnimateZoom = 0;
        PressZoom();
    }
}

TEST_F(Marker, APenWidenedByTheLiveZoomHandOffLeavesNoPartOfItsDot) {
    PressZoom(); // as a takeover leaves it: at 1.0, the live magnification recorded
    app.currentZoom = app.targetZoom = 1.0f;
    app.fromLiveZoom = 1;
    app.liveZoomFactor = 24.0f;
    Move({500, 500});
    Press({500, 500}); // drawing starts, with the width scaled by the live magnification
    Send(WM_LBUTTONUP, 0, {500, 500});
    EXPECT_EQ(app.settings.PenWidth, 72);
    Move(kAside);
    EXPECT_EQ(Differences(WorkingImage(), Clean(), MarkerSquare()), 0u) << "the entry dot";
    Stroke({{500, 700}, {800, 700}});
    ExpectPictureThenUndo(Expected(WithPen(kRed, 72, Track({{500, 700}, {800, 700}}))), Clean(),
                          "a stroke 72 pixels wide");
    PressZoom();
    EXPECT_EQ(app.settings.PenWidth, 3) << "the width given back";
}

// Drawing switches StickyKeys' shortcut off and puts the presenter's setting back on each way
// out; a StickyKeys that is on, or whose shortcut is off, is left alone. A re-entry (the
// live-zoom hand-off, a width change) writes nothing, and nothing is ever broadcast.
TEST_F(Marker, StickyKeysLoseOnlyTheirShortcutWhileDrawingUnlessOnAndComeBackOnEveryWayOut) {
    const struct {
        DWORD own;
        bool suppressed; // the shortcut goes while drawing
    } presenters[] = {
        {SKF_AVAILABLE | SKF_HOTKEYACTIVE, true},
        {SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_STICKYKEYSON, false},
        {SKF_AVAILABLE, false},
    };
    for (const auto& presenter : presenters) {
        standInStickyKeys.dwFlags = presenter.own;
        stickyKeysWrites = 0;
        const DWORD whileDrawing =
            presenter.suppressed ? presenter.own & ~DWORD(SKF_HOTKEYACTIVE) : presenter.own;
        EnterDrawing();
        EXPECT_EQ(standInStickyKeys.dwFlags, whileDrawing) << presenter.own;
        SuppressStickyKeys(); // a nested entry (the live-zoom hand-off) suppresses once more
        Wheel(WHEEL_DELTA, MK_CONTROL); // the width change leaves drawing and enters it again
        EXPECT_EQ(stickyKeysWrites, presenter.suppressed ? 1 : 0) << presenter.own;
        RightClick();
        EXPECT_EQ(standInStickyKeys.dwFlags, presenter.own) << "the right button";
        Press({600, 600});
        Send(WM_LBUTTONUP, 0, {600, 600});
        EXPECT_EQ(standInStickyKeys.dwFlags, whileDrawing);
        PressZoom();
        EXPECT_EQ(standInStickyKeys.dwFlags, presenter.own) << "the end of the zoom";
        // Each entry and each way out: entering, the right button, the press, the zoom's end.
        EXPECT_EQ(stickyKeysWrites, presenter.suppressed ? 4 : 0) << presenter.own;
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
