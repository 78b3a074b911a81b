// Drawing on the frozen screen in the program's own process: strokes and shapes, undo, the pen
// width, erase-all and the pads, Space and the pen eraser (fixture in drawing_fixture.h).
#include "draw/drawing_fixture.h"

#include <set>

#include "draw/highlight_blend.h"
#include "shell/optional_functions.h"
#include "support/mode_cycles.h"
#include "support/wait_until.h"

namespace {

TEST_F(Drawing, EnteringLeavesOnlyTheMarkerAndEachDragWhatGdiDrawsForIt) {
    EnterDrawing();
    Move(kAside);
    EXPECT_EQ(Differences(WorkingImage(), CleanCapture(), MarkerSquare()), 0u);
    // The keys held at the press (kTab: Tab as well), the path (for shapes through a point whose
    // preview must go) and what GDI draws: unless given, the pen's track (a dot, a line on to each
    // point, a dot). The first drag comes back to the press; Shift's line and arrow are snapped.
    constexpr WPARAM kCtrl = MK_CONTROL, kShift = MK_SHIFT, kTab = 0x10000;
    const Drawn nothing = [](HDC) {};
    const Drawn snappedArrow =
        Arrow({{100, 499}, {494, 500}, {488, 506}, {500, 500}, {488, 494}, {494, 500}});
    const Drawn arrow =
        Arrow({{400, 500}, {103, 104}, {110, 106}, {100, 100}, {102, 112}, {103, 104}});
    const struct {
        WPARAM keys;
        std::vector<POINT> path;
        Drawn draw;
    } drags[] = {
        {kCtrl, {{700, 700}, {760, 720}, {700, 700}}, nothing},
        {0, {{200, 200}}, nullptr},
        {0, {{300, 300}, {350, 300}, {350, 350}, {400, 350}}, nullptr},
        {kCtrl, {{1200, 600}, {1450, 740}, {1400, 700}}, Box(1200, 600, 1400, 700)},
        {kTab, {{1250, 200}, {1500, 340}, {1450, 300}}, Box(1250, 200, 1450, 300, true)},
        {kShift, {{100, 800}, {350, 845}, {300, 805}}, Line({100, 800}, {301, 800})},
        {kShift | kCtrl, {{500, 500}, {150, 540}, {100, 500}}, snappedArrow},
        {kShift | kCtrl, {{100, 100}, {450, 540}, {400, 500}}, arrow},
    };
    for (const auto& drag : drags) {
        const int depth = UndoDepth();
        const Image expected = Read(
            app.imageDC, drag.draw ? drag.draw : [&drag](HDC dc) {
                MoveToEx(dc, drag.path[0].x, drag.path[0].y, nullptr);
                for (POINT p : drag.path) {
                    LineTo(dc, p.x, p.y);
                }
                LineTo(dc, drag.path.back().x, drag.path.back().y);
            });
        HoldKey(VK_TAB, drag.keys & kTab);
        Stroke(drag.path, drag.keys & ~kTab);
        HoldKey(VK_TAB, false);
        EXPECT_EQ(Differences(WorkingImage(), expected), 0u) << "from " << drag.path[0].x;
        EXPECT_EQ(UndoDepth(), std::min(depth + 1, kUndoDepth)) << "each press can be undone";
    }
}

TEST_F(Drawing, AtZoomTwoAClickStartsDrawingAndCtrlZStepsBackSevenPressesThenBeeps) {
    EnterZoomAtTwo();
    const Image entered = WorkingImage();
    CtrlZ(); // nothing drawn in this zoom yet: nothing to undo or erase, and no beep
    Key('E');
    EXPECT_EQ(Differences(WorkingImage(), entered), 0u);
    Stroke({{960, 540}}); // enters drawing; the view shows the image from (480, 270)
    Stroke({{100, 100}, {300, 100}});
    EXPECT_EQ(GetPixel(app.imageDC, 630, 320), kRed) << "(300, 100) in the view";
    Key('Z'); // without Ctrl
    Press({300, 500});
    CtrlZ(); // with the button held
    EXPECT_EQ(UndoDepth(), 3);
    Send(WM_LBUTTONUP, 0, {300, 500});
    std::vector<Image> afterStroke;
    std::set<HGDIOBJ> dcs, bitmaps; // every surface the undo stack held in this zoom
    for (int i = 0; i < 8; ++i) {
        Stroke({{100 + 200 * i, 700}, {160 + 200 * i, 700}, {160 + 200 * i, 760}});
        afterStroke.push_back(WorkingImage());
        for (const UndoSnapshot* s = app.undoStack; s != nullptr; s = s->next) {
            if (s->bitmap != nullptr) { // not the clean capture's, which the entry borrows
                dcs.insert(s->dc);
                bitmaps.insert(s->bitmap);
            }
        }
    }
    for (int undo = 1; undo <= 9; ++undo) {
        CtrlZ();
        EXPECT_EQ(Differences(WorkingImage(), afterStroke[std::max(7 - undo, 0)]), 0u) << undo;
        EXPECT_EQ(beeps, std::max(undo - 7, 0)) << undo;
    }
    PressZoom();
    for (HGDIOBJ dc : dcs) {
        EXPECT_EQ(GetObjectType(dc), 0u) << "a snapshot's DC outlived the zoom: " << dc;
    }
    // The bitmaps wait for the next zoom of this size, whose pushes need no fresh one.
    EnterDrawing();
    EXPECT_EQ(app.undoStack->dc, app.cleanDC) << "nothing drawn yet: no copy";
    Stroke({{300, 300}, {400, 300}});
    EXPECT_EQ(bitmaps.count(app.undoStack->bitmap), 1u) << "a fresh snapshot bitmap";
    PressZoom();
    ReleaseSpareSurfaces();
    for (HGDIOBJ bitmap : bitmaps) {
        EXPECT_EQ(GetObjectType(bitmap), 0u) << "not deleted with the kept surfaces: " << bitmap;
    }
}

// With no surface to spare, the next push's is made while the presenter draws, a slice per
// tick of the main window's timer, and the push then takes it.
TEST_F(Drawing, TheNextSnapshotSurfaceIsMadeAheadWhileTheQueueIsIdle) {
    ReleaseSpareSurfaces();
    EnterDrawing();
    Stroke({{300, 300}, {400, 300}});
    ASSERT_EQ(app.undoSpares, nullptr);
    ASSERT_TRUE(WaitUntil([] {
        PumpMessages();
        return app.undoSpares != nullptr && app.undoSpares->rowsTouched == app.captureHeight;
    }));
    const HBITMAP prepared = app.undoSpares->bitmap;
    Stroke({{300, 400}, {400, 400}});
    EXPECT_EQ(app.undoStack->bitmap, prepared);
}

TEST_F(Drawing, CtrlWheelWidensThePenEraseAllIsForGoodAndWInZoomShowsTheWhitePad) {
    EnterDrawing();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 240), {});
    EXPECT_EQ(StoredSetting(L"PenWidth"), 5u);
    EXPECT_EQ(UndoDepth(), 1) << "re-entering drawing takes no snapshot";
    Move(kAside);
    EXPECT_EQ(Differences(WorkingImage(), CleanCapture(), MarkerSquare()), 0u) << "old markers";
    Stroke({{300, 300}, {400, 300}});
    Key('K');
    Key('E');
    EXPECT_EQ(Differences(WorkingImage(), CleanCapture(), MarkerSquare()), 0u);
    CtrlZ();
    EXPECT_EQ(beeps, 1) << "erase-all cannot be undone";
    Stroke({{300, 300}, {400, 300}});
    Send(WM_RBUTTONDOWN, MK_RBUTTON, {}); // out of drawing, erase-all leaves nothing to undo
    Key('E');
    CtrlZ();
    EXPECT_EQ(Differences(WorkingImage(), CleanCapture()), 0u);
    PressZoom();
    EnterZoomAtTwo();
    // The screen is captured twice on entering; when it changed in between (a busy machine still
    // taking the last zoom away), only the working image is what the entering press saved.
    const Image entered = WorkingImage();
    Key('W'); // drawing at once, on the white pad (a new DC's brush is white too)
    const Image white = Read(app.cleanDC, [](HDC dc) { PatBlt(dc, 0, 0, 8192, 8192, PATCOPY); });
    EXPECT_EQ(Differences(WorkingImage(), white, MarkerSquare()), 0u);
    CtrlZ(); // the pad goes: drawing began on the clean capture
    EXPECT_EQ(Differences(WorkingImage(), CleanCapture(), MarkerSquare()), 0u);
    CtrlZ(); // the snapshot of the press that entered drawing
    EXPECT_EQ(Differences(WorkingImage(), entered, MarkerSquare()), 0u);
    EXPECT_EQ(beeps, 1);
    CtrlZ();
    EXPECT_EQ(beeps, 2);
}

// On the white pad (a known picture under the strokes) each drag blends where the pen would
// draw: a stroke that crosses itself once, a second stroke over it again, the shapes as well.
TEST_F(Drawing, HTakesTheHighlighterWhichBlendsEachStrokeOnceAndUndoesItWhole) {
    // What the highlighter lays over `before` where GDI's pen of its width draws `draw`: red at
    // half opacity, once per pixel.
    const auto highlighted = [](const Image& before, const Drawn& draw) {
        const Image pen = Read(app.imageDC, [&draw](HDC dc) {
            HPEN wide = CreatePen(PS_SOLID, app.settings.HighligterWidth, kRed);
            HGDIOBJ previous = SelectObject(dc, wide);
            draw(dc);
            SelectObject(dc, previous);
            DeleteObject(wide);
        });
        Image expected = before;
        for (size_t i = 0; i < expected.size(); ++i) {
            expected[i] = pen[i] != before[i] ? BlendPixel(before[i], kRed, 50) : before[i];
        }
        return expected;
    };
    EnterDrawing();
    Key('H'); // not offered: nothing changes
    EXPECT_EQ(app.highlighterChosen, 0);
    app.settings.HighligterSupported = 1;
    Key('W');
    Key('H');
    ASSERT_TRUE(HighlighterActive());
    Move(kAside);
    const ImageRect tip = HighlighterTip({kAside.x, kAside.y}, 20);
    // The marker: the tip as a stroke blends it, framed in the pen's colour.
    EXPECT_EQ(GetPixel(app.imageDC, tip.left + 1, tip.bottom - 2), RGB(255, 128, 128));
    EXPECT_EQ(GetPixel(app.imageDC, tip.left, tip.bottom - 1), kRed);
    EXPECT_EQ(GetPixel(app.imageDC, tip.left - 1, tip.top), RGB(255, 255, 255));
    std::vector<POINT> head;
    for (CapturePoint p : ArrowPolygon({1200, 300}, {1500, 600}, 80, 80)) {
        head.push_back({p.x, p.y});
    }
    const struct {
        WPARAM keys;
        std::vector<POINT> path;
        Drawn draw;
    } drags[] = {
        {0,
         {{300, 300}, {600, 300}, {450, 450}, {450, 150}},
         [](HDC dc) {
             const POINT path[] = {{300, 300}, {600, 300}, {450, 450}, {450, 150}, {450, 150}};
             MoveToEx(dc, 300, 300, nullptr);
             PolylineTo(dc, path, 5);
         }},
        {0, {{300, 330}, {600, 330}}, Line({300, 330}, {600, 330})},
        {MK_CONTROL, {{800, 200}, {1000, 400}}, Box(800, 200, 1000, 400)},
        {MK_SHIFT | MK_CONTROL, {{1200, 300}, {1500, 600}}, Arrow(head)},
    };
    for (const auto& drag : drags) {
        Move(kAside);
        const Image before = WorkingImage();
        Stroke(drag.path, drag.keys);
        EXPECT_EQ(Differences(WorkingImage(), highlighted(before, drag.draw), MarkerSquare()), 0u)
            << "from " << drag.path[0].x;
        CtrlZ(); // one step takes the stroke away whole, and it comes back the same
        EXPECT_EQ(Differences(WorkingImage(), before, MarkerSquare()), 0u) << drag.path[0].x;
        Stroke(drag.path, drag.keys);
    }
    EXPECT_EQ(GetPixel(app.imageDC, 450, 300), RGB(255, 128, 128)) << "its own crossing once";
    EXPECT_EQ(GetPixel(app.imageDC, 450, 330), RGB(255, 64, 64)) << "the second stroke again";
    Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), {});
    EXPECT_EQ(StoredSetting(L"HighligterWidth"), 21u);
    EXPECT_EQ(app.settings.PenWidth, 3) << "the pen keeps its own width";
    Key('H');
    EXPECT_FALSE(HighlighterActive());
}

TEST_F(Drawing, ALiveZoomTakeoverScalesBothWidthsAndGivesBothBack) {
    app.settings.HighligterSupported = 1;
    app.highlighterChosen = 1;
    PressZoom(); // as a takeover leaves it: at 1.0, the live magnification recorded
    app.currentZoom = app.targetZoom = 1.0f;
    app.fromLiveZoom = 1;
    app.liveZoomFactor = 2.5f;
    Move({500, 500});
    Press({500, 500});
    Send(WM_LBUTTONUP, 0, {500, 500});
    EXPECT_EQ(app.settings.PenWidth, 7);
    EXPECT_EQ(app.settings.HighligterWidth, 50);
    PressZoom();
    EXPECT_EQ(app.settings.PenWidth, 3);
    EXPECT_EQ(app.settings.HighligterWidth, 20);
}

TEST_F(Drawing, SpaceCentresThePenButNotDuringAStroke) {
    EnterDrawing();
    Move(kAside);
    Key(VK_SPACE);
    EXPECT_EQ(app.penPoint.x, app.captureWidth / 2);
    EXPECT_EQ(app.penPoint.y, app.captureHeight / 2);
    Move(kAside);
    Press(kAside);
    Key(VK_SPACE);
    EXPECT_EQ(app.penPoint.x, kAside.x);
    Send(WM_LBUTTONUP, 0, kAside);
}

TEST_F(Drawing, ThePenEraserUndoesOneStepPerTouchAndNoOtherContactDoes) {
    auto touch = [this](PEN_FLAGS flags, POINTER_INPUT_TYPE type = PT_PEN) {
        penInfo.pointerInfo.pointerType = type;
        penInfo.penFlags = flags;
        SendMessageW(window, WM_POINTERDOWN, 7, 0); // pointer 7
    };
    optionalFunctions.GetPointerPenInfo = [](UINT32, void* out) -> BOOL {
        *static_cast<POINTER_PEN_INFO*>(out) = penInfo;
        return TRUE;
    };
    EnterZoomAtTwo();
    touch(PEN_FLAG_ERASER); // nothing drawn in this zoom yet
    PressZoom();
    EnterDrawing();
    Move(kAside);
    const Image entered = WorkingImage();
    Press({300, 300});
    touch(PEN_FLAG_ERASER); // during a stroke
    Send(WM_LBUTTONUP, 0, {300, 300});
    Move(kAside);
    const Image drawn = WorkingImage();
    touch(PEN_FLAG_NONE);             // the tip
    touch(PEN_FLAG_ERASER, PT_TOUCH); // a finger
    EXPECT_EQ(Differences(WorkingImage(), drawn), 0u);
    touch(PEN_FLAG_ERASER);
    EXPECT_EQ(Differences(WorkingImage(), entered), 0u);
    touch(PEN_FLAG_ERASER); // the snapshot of entering drawing
    touch(PEN_FLAG_ERASER); // nothing left: a beep, and the contact is left to the system
    EXPECT_EQ(beeps, 1) << "an eraser undid before anything was drawn, or during a stroke";
}

} // namespace
