// Drawing on the frozen screen in the program's own process: strokes and shapes, Space, undo and
// its surfaces, the pen width, erase-all and the pads, the highlighter, and the pen eraser
// (fixture in drawing_fixture.h).
#include "draw/drawing_fixture.h"

#include <algorithm>
#include <set>

#include "draw/highlight_blend.h"
#include "support/wait_until.h"

namespace {

// The keys held at the press (kTab: Tab as well), the path (for shapes through a point whose
// preview must go) and what GDI draws: unless given, the pen's track. The first drag comes back
// to the press (no inverted mix left behind); Shift's line and arrow are snapped.
TEST_F(Drawing, EnteringLeavesOnlyTheMarkerEachDragWhatGdiDrawsAndSpaceCentresThePen) {
    EnterDrawing();
    EXPECT_EQ(AsideDifferences(CleanCapture()), 0u);
    constexpr WPARAM kCtrl = MK_CONTROL, kShift = MK_SHIFT, kTab = 0x10000;
    const std::tuple<WPARAM, std::vector<POINT>, Drawn> drags[] = {
        {kCtrl, {{700, 700}, {760, 720}, {700, 700}}, [](HDC) {}},
        {0, {{200, 200}}, nullptr},
        {0, {{300, 300}, {350, 300}, {350, 350}, {400, 350}}, nullptr},
        {kCtrl, {{1200, 600}, {1450, 740}, {1400, 700}}, Box(1200, 600, 1400, 700)},
        {kTab, {{1250, 200}, {1500, 340}, {1450, 300}}, Box(1250, 200, 1450, 300, true)},
        {kShift, {{100, 800}, {350, 845}, {300, 805}}, Line({100, 800}, {301, 800})},
        {kShift | kCtrl, {{500, 500}, {150, 540}, {100, 500}}, Arrow({500, 500}, {100, 499})},
        {kShift | kCtrl, {{100, 100}, {450, 540}, {400, 500}}, Arrow({100, 100}, {400, 500})},
    };
    for (const auto& [keys, path, draw] : drags) {
        const int depth = UndoDepth();
        const Image expected = Read(app.imageDC, draw ? draw : Track(path));
        HoldKey(VK_TAB, keys & kTab);
        Stroke(path, keys & ~kTab);
        HoldKey(VK_TAB, false);
        EXPECT_EQ(Differences(WorkingImage(), expected), 0u) << "from " << path[0].x;
        EXPECT_EQ(UndoDepth(), std::min(depth + 1, kUndoDepth)) << "each press can be undone";
    }
    Key(VK_SPACE);
    EXPECT_EQ(app.penPoint.x, app.captureWidth / 2);
    EXPECT_EQ(app.penPoint.y, app.captureHeight / 2);
    Move(kAside);
    Press(kAside);
    Key(VK_SPACE); // not during a stroke
    EXPECT_EQ(app.penPoint.x, kAside.x);
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
    Release({300, 500});
    std::vector<Image> afterStroke;
    std::set<HGDIOBJ> dcs, bitmaps; // every surface the undo stack held in this zoom
    for (int i = 0; i < 8; ++i) {
        Stroke({{100 + 200 * i, 700}, {160 + 200 * i, 700}, {160 + 200 * i, 760}});
        afterStroke.push_back(WorkingImage());
        // The oldest, last, borrows the clean capture's surface.
        for (auto* s = app.undoStack; s != nullptr && s->bitmap != nullptr; s = s->next) {
            dcs.insert(s->dc), bitmaps.insert(s->bitmap);
        }
    }
    for (int undo = 1; undo <= 9; ++undo) {
        CtrlZ();
        EXPECT_EQ(Differences(WorkingImage(), afterStroke[std::max(7 - undo, 0)]), 0u) << undo;
        EXPECT_EQ(beeps, std::max(undo - 7, 0)) << undo;
    }
    const auto gone = [](const std::set<HGDIOBJ>& all) {
        return std::ranges::all_of(all, [](HGDIOBJ o) { return GetObjectType(o) == 0; });
    };
    PressZoom();
    EXPECT_TRUE(gone(dcs)) << "a snapshot's DC outlived the zoom";
    // The bitmaps wait for the next zoom of this size, whose pushes need no fresh one.
    EnterDrawing();
    EXPECT_EQ(app.undoStack->dc, app.cleanDC) << "nothing drawn yet: no copy";
    Stroke({{300, 300}, {400, 300}});
    EXPECT_EQ(bitmaps.count(app.undoStack->bitmap), 1u) << "a fresh snapshot bitmap";
    PressZoom();
    ReleaseSpareSurfaces();
    EXPECT_TRUE(gone(bitmaps)) << "not deleted with the kept surfaces";
    // With no surface to spare, the next push's is made while the presenter draws, a slice per
    // tick of the main window's timer, and the push then takes it.
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
    Wheel(240, MK_CONTROL);
    EXPECT_EQ(StoredSetting(L"PenWidth"), 5u);
    EXPECT_EQ(UndoDepth(), 1) << "re-entering drawing takes no snapshot";
    EXPECT_EQ(AsideDifferences(CleanCapture()), 0u) << "old markers";
    Stroke({{300, 300}, {400, 300}});
    Key('K');
    Key('E');
    EXPECT_EQ(AsideDifferences(CleanCapture()), 0u);
    CtrlZ();
    EXPECT_EQ(beeps, 1) << "erase-all cannot be undone";
    Stroke({{300, 300}, {400, 300}});
    RightClick(); // out of drawing, erase-all leaves nothing to undo
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

// On the white pad (a known picture under the strokes) each drag blends where GDI's pen of the
// highlighter's width would draw, red at half opacity, once per pixel: a stroke that crosses
// itself once, a second stroke over it again, the shapes as well. The marker is the tip as a
// stroke blends it, framed in the pen's colour.
TEST_F(Drawing, HTakesTheHighlighterWhichBlendsEachStrokeOnceAndUndoesItWhole) {
    EnterDrawing();
    Key('H'); // not offered: nothing changes
    EXPECT_EQ(app.highlighterChosen, 0);
    app.settings.HighligterSupported = 1;
    Key('W');
    Key('H');
    ASSERT_TRUE(HighlighterActive());
    Move(kAside);
    const ImageRect tip = HighlighterTip({kAside.x, kAside.y}, 20);
    EXPECT_EQ(GetPixel(app.imageDC, tip.left + 1, tip.bottom - 2), RGB(255, 128, 128));
    EXPECT_EQ(GetPixel(app.imageDC, tip.left, tip.bottom - 1), kRed);
    EXPECT_EQ(GetPixel(app.imageDC, tip.left - 1, tip.top), RGB(255, 255, 255));
    const std::tuple<WPARAM, std::vector<POINT>, Drawn> drags[] = {
        {0, {{300, 300}, {600, 300}, {450, 450}, {450, 150}}, nullptr},
        {0, {{300, 330}, {600, 330}}, Line({300, 330}, {600, 330})},
        {MK_CONTROL, {{800, 200}, {1000, 400}}, Box(800, 200, 1000, 400)},
        {MK_SHIFT | MK_CONTROL, {{1200, 300}, {1500, 600}}, Arrow({1200, 300}, {1500, 600}, 80)},
    };
    for (const auto& [keys, path, draw] : drags) {
        const Image before = WorkingImage();
        const Image pen = Read(app.imageDC, WithPen(kRed, 20, draw ? draw : Track(path)));
        Image expected = before;
        for (size_t i = 0; i < expected.size(); ++i) {
            expected[i] = pen[i] != before[i] ? BlendPixel(before[i], kRed, 50) : before[i];
        }
        Stroke(path, keys);
        EXPECT_EQ(Differences(WorkingImage(), expected, MarkerSquare()), 0u) << path[0].x;
        CtrlZ(); // one step takes the stroke away whole, and it comes back the same
        EXPECT_EQ(Differences(WorkingImage(), before, MarkerSquare()), 0u) << path[0].x;
        Stroke(path, keys);
    }
    EXPECT_EQ(GetPixel(app.imageDC, 450, 300), RGB(255, 128, 128)) << "its own crossing once";
    EXPECT_EQ(GetPixel(app.imageDC, 450, 330), RGB(255, 64, 64)) << "the second stroke again";
    Wheel(120, MK_CONTROL);
    EXPECT_EQ(StoredSetting(L"HighligterWidth"), 21u);
    EXPECT_EQ(app.settings.PenWidth, 3) << "the pen keeps its own width";
    Key('H');
    EXPECT_FALSE(HighlighterActive());
}

// Press-and-hold, tap and barrel feedback and flicks are off over the zoom window, asked either
// way the tablet service asks. The eraser button, or the inverted pen's eraser end, undoes one
// step per touch; the tip and a finger do nothing, and neither does an eraser during a stroke.
TEST_F(Drawing, PenGesturesAreOffAndThePenEraserUndoesOneStepPerTouch) {
    constexpr ULONG_PTR kGesturesOff = 0x00010019;
    EXPECT_EQ(SendMessageW(window, 0x02CC, 0, 0), LRESULT(kGesturesOff));
    EXPECT_EQ(ULONG_PTR(GetPropW(window, L"MicrosoftTabletPenServiceProperty")), kGesturesOff);
    EnterZoomAtTwo();
    PenTouch(PEN_FLAG_ERASER); // nothing drawn in this zoom yet
    PressZoom();
    EnterDrawing();
    Move(kAside);
    const Image entered = WorkingImage();
    Press({300, 300});
    PenTouch(PEN_FLAG_ERASER); // during a stroke
    Release({300, 300});
    Move(kAside);
    const Image drawn = WorkingImage();
    PenTouch(PEN_FLAG_NONE);
    PenTouch(PEN_FLAG_ERASER, PT_TOUCH);
    EXPECT_EQ(Differences(WorkingImage(), drawn), 0u);
    PenTouch(PEN_FLAG_INVERTED);
    EXPECT_EQ(Differences(WorkingImage(), entered), 0u);
    PenTouch(PEN_FLAG_ERASER); // the snapshot of entering drawing
    PenTouch(PEN_FLAG_ERASER); // nothing left: a beep, and the contact is left to the system
    EXPECT_EQ(beeps, 1) << "an eraser undid before anything was drawn, or during a stroke";
}

} // namespace
