// End to end on two monitors (tests/support/wine-run with VISTREL_MONITORS): the primary one and
// a smaller one left of and above it, at negative coordinates, each showing the coordinate slide
// in its own coordinates. Zoom, drawing, copying, typing and the break on the side monitor, a
// change of monitor between two zooms, and monitors unplugged while a mode is up. (Live zoom's
// clamp to its monitor is tested natively, its takeover in the Windows layer.)
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "e2e/program_test.h"

namespace {

constexpr uint32_t kRed = 0xFF0000; // the default pen colour as the screen shows it
constexpr int kSideWidth = 1280;
constexpr int kSideHeight = 1024;

std::vector<RECT> MonitorRects() {
    std::vector<RECT> rects;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, LPRECT rect, LPARAM list) {
            reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&rects));
    return rects;
}

bool Covers(HWND window, const RECT& area) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return EqualRect(&rect, &area) != FALSE;
}

// Asks the harness for an xrandr change (a Windows program cannot run it) and waits until it is
// made and Wine shows `monitors` monitors.
bool ChangeLayout(const char* xrandrArguments, size_t monitors) {
    const char* request = std::getenv("VISTREL_XRANDR_REQUEST");
    if (request == nullptr) {
        ADD_FAILURE() << "not run on several monitors (VISTREL_MONITORS)";
        return false;
    }
    // Until Wine shows another layout: a monitor that only changes size leaves the count as it was.
    const std::vector<RECT> before = MonitorRects();
    const auto changed = [&] {
        const std::vector<RECT> now = MonitorRects();
        return now.size() == monitors &&
               !std::equal(now.begin(), now.end(), before.begin(), before.end(),
                           [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; });
    };
    std::ofstream(request) << xrandrArguments << "\n";
    if (!WaitUntil([&] { return GetFileAttributesA(request) == INVALID_FILE_ATTRIBUTES; }) ||
        !WaitUntil(changed)) {
        return false;
    }
    // Wine tells no window when the layout changes outside it; Windows tells every one.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, 32,
                        MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                        SMTO_ABORTIFHUNG, 2000, &answer);
    return true;
}

// Whole layouts, the primary output at the X screen's corner when it is alone, as Wine expects.
constexpr const char* kUnplugSide = "--output DUMMY1 --off --output DUMMY0 --pos 0x0";
constexpr const char* kPlugSideBack = "--output DUMMY0 --mode 1920x1080 --pos 1280x200 --primary "
                                      "--output DUMMY1 --mode 1280x1024 --pos 0x0";
constexpr const char* kShrinkSide = "--output DUMMY1 --mode 1024x768 --pos 0x0";

class Monitors : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        for (const RECT& rect : MonitorRects()) {
            side = rect.left < 0 && rect.top < 0 ? rect : side;
        }
        ASSERT_EQ(side.right - side.left, kSideWidth) << "no monitor left of and above the primary";
        ASSERT_EQ(side.bottom - side.top, kSideHeight);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        slides.clear();
        if (MonitorRects().size() != 2 || !SideWhereItWas()) {
            ChangeLayout(kPlugSideBack, 2);
        }
    }
    bool SideWhereItWas() const {
        const std::vector<RECT> rects = MonitorRects();
        return std::any_of(rects.begin(), rects.end(),
                           [&](const RECT& r) { return EqualRect(&r, &side); });
    }
    // A point of the side monitor, by its own coordinates.
    POINT OnSide(int x, int y) const { return {side.left + x, side.top + y}; }
    // The slide on both monitors, then the program.
    void StartOnBoth() {
        MoveMouseTo(OnSide(640, 512));
        slides.push_back(std::make_unique<PatternWindow>(SlideFill::Coordinates, PrimaryMonitor()));
        slides.push_back(std::make_unique<PatternWindow>(SlideFill::Coordinates, side));
        ASSERT_NO_FATAL_FAILURE(StartProgram());
    }
    void ExpectUnpluggingEnds(WORD hotkey);

    RECT side = {};
    std::vector<std::unique_ptr<PatternWindow>> slides;
};

TEST_F(Monitors, TheZoomCoversTheSideMonitorPansToItsCornersAndComesBack) {
    ASSERT_NO_FATAL_FAILURE(StartOnBoth());
    MoveMouseTo(OnSide(300, 200));
    PressWithCtrl(kZoomKey);
    ASSERT_TRUE(ViewShownSoon(2.0f, {300, 200}, side));
    EXPECT_TRUE(Covers(mainWindow, side));
    EXPECT_TRUE(ScreenShowsPlainPattern()) << "the primary monitor changed";
    MoveMouseTo({side.left, side.top});
    EXPECT_TRUE(ViewShownSoon(2.0f, {0, 0}, side));
    MoveMouseTo({side.right - 1, side.bottom - 1});
    EXPECT_TRUE(ViewShownSoon(2.0f, {kSideWidth - 1, kSideHeight - 1}, side));
    MoveMouseTo(OnSide(1000, 700));
    ASSERT_TRUE(ViewShownSoon(2.0f, {1000, 700}, side));
    ASSERT_TRUE(Escape());
    EXPECT_TRUE(CursorAt(OnSide(1000, 700)));
    EXPECT_TRUE(WaitUntil([this] { return MonitorShowsPlainPattern(side); }));

    // The next zoom, from the primary monitor, captures that one at its own size.
    MoveMouseTo({960, 540});
    PressWithCtrl(kZoomKey);
    EXPECT_TRUE(ViewShownSoon(2.0f, {960, 540}));
    EXPECT_TRUE(Covers(mainWindow, PrimaryMonitor()));
    EXPECT_TRUE(MonitorShowsPlainPattern(side)) << "the side monitor changed";
    EXPECT_TRUE(Escape());
}

TEST_F(Monitors, DrawingClipsTheCursorToTheViewAndCopyHandsOnTheSideMonitor) {
    ASSERT_NO_FATAL_FAILURE(StartOnBoth());
    const POINT at = OnSide(900, 300);
    MoveMouseTo(at);
    PressWithCtrl(kZoomKey);
    ASSERT_TRUE(ViewShownSoon(2.0f, {900, 300}, side));

    // A click draws from then on, with the cursor held inside the part of the monitor shown.
    ClickAt(at);
    const CapturePoint origin = ComputeSourceOrigin(2.0f, {900, 300}, kSideWidth, kSideHeight);
    const RECT view = {side.left + origin.x, side.top + origin.y,
                       side.left + origin.x + kSideWidth / 2,
                       side.top + origin.y + kSideHeight / 2};
    RECT clip = {};
    EXPECT_TRUE(WaitUntil([&] { return GetClipCursor(&clip) && EqualRect(&clip, &view); }));
    DragTo(at, {at.x + 60, at.y + 40});
    // At 2.0 the stroke shows twice as long, from where the drag started.
    EXPECT_TRUE(WaitUntil([&] {
        return ColourNear(CaptureScreen(side), (900 - origin.x) * 2 + 60, (300 - origin.y) * 2 + 40,
                          kRed);
    }));

    // Ctrl+C copies the monitor being presented, drawing and all.
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
    ASSERT_TRUE(WaitForKeys());
    PressWithCtrl('C');
    EXPECT_EQ(ClipboardPicture(), CaptureScreen(side));

    // Typing lands at the pen, on the side monitor.
    const Screenshot before = CaptureScreen(side);
    for (const WORD key : {'T', 'H'}) {
        PressKey(key);
    }
    EXPECT_TRUE(WaitUntil([&] { return CaptureScreen(side) != before; }));
    EXPECT_TRUE(ScreenShowsPlainPattern()) << "the primary monitor changed";
    PressKey(VK_ESCAPE); // ends typing
    EXPECT_TRUE(Escape());
}

TEST_F(Monitors, TheBreakShowsOverTheSideMonitorsFadedDesktopOrAStretchedPicture) {
    // At once past its end, in the top-left cell: the time since shows below.
    WriteSettings({{L"ShowExpiredTime", 1},
                   {L"BreakShowBackgroundFile", 1},
                   {L"BreakShowDesktop", 1},
                   {L"BreakTimeout", 0},
                   {L"BreakTimerPosition", 0}});
    ASSERT_NO_FATAL_FAILURE(StartOnBoth());
    ASSERT_TRUE(HotkeyShows(kBreakKey));
    EXPECT_TRUE(Covers(mainWindow, side));
    EXPECT_TRUE(WaitUntil([this] { // the faded desktop
        return FadedOnce(CaptureScreen(side), slides[1]->picture, 1200, 1000);
    }));
    // "00:00" in the corner cell and "-00:0x" under it, both in the pen colour.
    EXPECT_GT(CountColour(CaptureScreen(side), {0, 0, kSideWidth / 3, kSideHeight / 3}, kRed), 500);
    EXPECT_TRUE(ScreenShowsPlainPattern()) << "the primary monitor changed";
    EXPECT_TRUE(Escape());

    // A stretched background picture instead covers the side monitor from edge to edge.
    EXPECT_TRUE(Exit());
    const TempPng picture(L"vistrel-side-break.png", 400, 200, 0xFF0000FF, 0xFF0000FF);
    ASSERT_TRUE(picture.written);
    WriteSettings({{L"BreakShowDesktop", 0}, {L"BreakBackgroundStretch", 1}});
    WriteString(L"BreakBackgroundFile", picture.path);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    MoveMouseTo(OnSide(640, 512));
    ASSERT_TRUE(HotkeyShows(kBreakKey));
    constexpr uint32_t kBlue = 0x0000FF;
    EXPECT_TRUE(WaitUntil([this] {
        const Screenshot shot = CaptureScreen(side);
        return shot.At(2, kSideHeight / 2) == kBlue &&
               shot.At(kSideWidth - 3, kSideHeight - 3) == kBlue;
    }));
    EXPECT_TRUE(ScreenShowsPlainPattern()) << "the primary monitor changed";
    EXPECT_TRUE(Escape());
}

// Zoom, drawing and the break on the side monitor each end when it goes, and the program goes on.
void Monitors::ExpectUnpluggingEnds(WORD hotkey) {
    ASSERT_NO_FATAL_FAILURE(StartOnBoth());
    MoveMouseTo(OnSide(640, 512));
    ASSERT_TRUE(HotkeyShows(hotkey));
    ASSERT_TRUE(ChangeLayout(kUnplugSide, 1));
    EXPECT_TRUE(WaitHidden());
    EXPECT_TRUE(Running());
    EXPECT_TRUE(IsWindow(mainWindow));
}

TEST_F(Monitors, UnpluggingTheMonitorOfAZoomEndsIt) {
    ExpectUnpluggingEnds(kZoomKey);
}

TEST_F(Monitors, UnpluggingTheMonitorOfDrawingEndsIt) {
    ExpectUnpluggingEnds(kDrawKey);
}

TEST_F(Monitors, UnpluggingTheMonitorOfABreakEndsIt) {
    ExpectUnpluggingEnds(kBreakKey);
}

// Another monitor's change leaves a mode alone. The side monitor shrinks rather than goes: Wine
// takes the X screen's corner for the virtual screen's, and its windows stay where they were in X
// when the primary output moves (docs/WINE.md), so the layouts tested keep a monitor there.
TEST_F(Monitors, ShrinkingTheSideMonitorLeavesAZoomOnThePrimaryOne) {
    ASSERT_NO_FATAL_FAILURE(StartOnBoth());
    MoveMouseTo({700, 400});
    PressWithCtrl(kZoomKey);
    ASSERT_TRUE(ViewShownSoon(2.0f, {700, 400}));
    ASSERT_TRUE(ChangeLayout(kShrinkSide, 2));
    ASSERT_FALSE(SideWhereItWas());
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_TRUE(Covers(mainWindow, PrimaryMonitor()));
    // Around the cursor, which the new layout may have moved (Wine moves it).
    EXPECT_TRUE(WaitUntil([] {
        const POINT cursor = CursorPosition();
        return ViewMismatches(CaptureScreen(), 2.0f, {cursor.x, cursor.y}).empty();
    }));
    EXPECT_TRUE(Escape());
}

} // namespace
