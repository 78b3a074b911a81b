// End to end: the break screen as the screen shows it. Over a slide: the countdown centred as
// drawn here, and the faded desktop faded once, also after an end and a start and on a restart
// (shortened with Left first, so that the restart shows); then the corner cell with the time since
// expiry below it over a centred picture. (Restarts that fail and the opacity are tested in the
// Windows layer.)
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "e2e/program_test.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// True when the screen comes to show one of `texts` as the countdown: its pure red pixels those
// of the text drawn here in red, centred, a fifth of the screen high, but for a handful.
bool CountdownAppears(std::initializer_list<const wchar_t*> texts) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<Screenshot> expected;
    for (const wchar_t* text : texts) {
        expected.push_back(Painted(width, height, [&](HDC dc) {
            LOGFONTW logFont = {};
            logFont.lfHeight = height / 5;
            HGDIOBJ oldFont = SelectObject(dc, CreateFontIndirectW(&logFont));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 0, 0));
            RECT box = {};
            DrawTextW(dc, text, -1, &box, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
            OffsetRect(&box, (width - box.right) / 2, (height - box.bottom) / 2);
            DrawTextW(dc, text, -1, &box, DT_NOPREFIX | DT_NOCLIP);
            DeleteObject(SelectObject(dc, oldFont));
        }));
    }
    return WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        return std::any_of(expected.begin(), expected.end(), [&](const Screenshot& red) {
            size_t differing = 0;
            for (size_t i = 0; i < red.pixels.size(); ++i) {
                differing += (red.pixels[i] == kRed) != (shot.pixels[i] == kRed);
            }
            return differing <= 20;
        });
    });
}

// The slide faded once, as the faded desktop shows it, at points away from the countdown and
// the taskbar.
bool ShowsTheSlideFadedOnce(const Screenshot& slide) {
    const Screenshot shot = CaptureScreen();
    for (int y = 3; y < shot.height - 40; y += 37) {
        for (int x = 3; x < shot.width && std::abs(y - shot.height / 2) >= shot.height / 6;
             x += 41) {
            if (!FadedOnce(shot, slide, x, y)) {
                return false;
            }
        }
    }
    return true;
}

using Break = ProgramTest;

TEST_F(Break, OverTheFadedDesktopTheCountdownIsCentredAndRestartsFadeItOnce) {
    MoveMouseTo({700, 300});
    PatternWindow slide;
    ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    WriteSettings({{L"BreakShowBackgroundFile", 1}}); // the faded desktop is the default choice
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const auto fadedOnce = [&] { return ShowsTheSlideFadedOnce(slide.picture); };
    ASSERT_TRUE(HotkeyShows(kBreakKey));
    EXPECT_TRUE(WaitUntil(fadedOnce)) << "the first start";
    ASSERT_TRUE(CountdownAppears({L"09:59", L"09:58", L"09:57", L"09:56", L"09:55"}));
    ASSERT_TRUE(Escape());
    ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));

    ASSERT_TRUE(HotkeyShows(kBreakKey));
    EXPECT_TRUE(WaitUntil(fadedOnce)) << "the start after an end";
    ASSERT_TRUE(WaitForKeys());
    for (int press = 0; press < 3; ++press) { // shortened, so that the restart shows
        PressKey(VK_LEFT);
    }
    ASSERT_TRUE(CountdownAppears({L"09:30", L"09:29", L"09:28", L"09:27", L"09:26"}));
    PressWithCtrl(kBreakKey);
    ASSERT_TRUE(CountdownAppears({L"10:00", L"09:59", L"09:58", L"09:57", L"09:56"}));
    EXPECT_TRUE(WaitUntil(fadedOnce)) << "the restart faded the break screen again";
    EXPECT_TRUE(Escape());
}

// The lines of the screen's pure red pixels, top to bottom: the bounding box of each run of rows
// that hold red.
std::vector<RECT> RedLines() {
    const Screenshot shot = CaptureScreen();
    std::vector<RECT> lines;
    bool inLine = false;
    for (int y = 0; y < shot.height; ++y) {
        LONG left = INT_MAX, right = -1;
        for (int x = 0; x < shot.width; ++x) {
            if (shot.At(x, y) == kRed) {
                left = std::min<LONG>(left, x);
                right = x;
            }
        }
        if (right >= 0 && inLine) {
            RECT& line = lines.back();
            line = {std::min(line.left, left), line.top, std::max(line.right, right), y};
        } else if (right >= 0) {
            lines.push_back({left, y, right, y});
        }
        inLine = right >= 0;
    }
    return lines;
}

TEST_F(Break, ExpiryShowsInTheCornerCellWithTheTimeSinceBelowOverACentredPicture) {
    const TempPng picture(L"vistrel-break.png", 400, 200, 0xFF0000FF, 0xFF0000FF);
    ASSERT_TRUE(picture.written);
    WriteSettings({{L"BreakShowDesktop", 0},
                   {L"BreakTimeout", 0},
                   {L"BreakTimerPosition", 0},
                   {L"BreakShowBackgroundFile", 1}});
    WriteString(L"BreakBackgroundFile", picture.path);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(HotkeyShows(kBreakKey));
    // The first capture may already come after the first tick, so the lines are told apart.
    std::vector<RECT> lines;
    ASSERT_TRUE(WaitUntil([&] { return !(lines = RedLines()).empty(); }));
    const RECT count = lines[0];
    // "00:00" in the top-left cell: 50 pixels in, less the glyphs' own side bearings.
    EXPECT_GE(count.left, 50);
    EXPECT_LT(count.left, 80);
    EXPECT_GE(count.top, 50);
    EXPECT_LT(count.top, 50 + GetSystemMetrics(SM_CYSCREEN) / 5);
    // A second later "-00:01" in the smaller font appears under it, centred.
    ASSERT_TRUE(WaitUntil([&] { return (lines = RedLines()).size() == 2; }));
    EXPECT_GT(lines[1].bottom, count.bottom + 10);
    EXPECT_GE(lines[1].left, count.left);
    EXPECT_LE(lines[1].right, count.right);
    const int cx = GetSystemMetrics(SM_CXSCREEN) / 2, cy = GetSystemMetrics(SM_CYSCREEN) / 2;
    EXPECT_TRUE(WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        return shot.At(cx - 199, cy) == kBlue && shot.At(cx + 199, cy + 99) == kBlue &&
               shot.At(cx - 201, cy) != kBlue && shot.At(cx, cy + 101) != kBlue;
    }));
    EXPECT_TRUE(Escape());
}

} // namespace
