// End to end: the break screen from the real tray icon's menu and the hotkey: the countdown
// centred as drawn here and its arrow keys, the largest stored length, the corner cell with the
// time since expiry below, a background picture centred or stretched, and one that cannot be read;
// over a slide, restarts: over the faded desktop, after the opacity went to 100 % in the real
// dialogs, and after the picture was deleted, which leaves nothing behind for the next zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "e2e/program_test.h"
#include "res/advanced_controls.h"
#include "res/options_controls.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// True when the screen comes to show one of `texts` as the countdown: its pure red pixels those
// of the text drawn here in red, centred, a fifth of the screen high, but for a handful.
bool CountdownAppears(std::initializer_list<const wchar_t*> texts) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<Screenshot> expected;
    for (const wchar_t* text : texts) {
        expected.push_back(Painted(width, height, [&](HDC dc) {
            const RECT all = {0, 0, width, height};
            FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
            LOGFONTW logFont = {};
            logFont.lfHeight = height / 5;
            HGDIOBJ oldFont = SelectObject(dc, CreateFontIndirectW(&logFont));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 0, 0));
            RECT box = {0, 0, 0, 0};
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
                differing += (red.pixels[i] == kRed) != (shot.pixels[i] == kRed) ? 1 : 0;
            }
            return differing <= 20;
        });
    });
}

// The lines of the screen's pure red pixels, top to bottom: the bounding box of each run of rows
// that hold red, split where a row holds none.
std::vector<RECT> RedLines(const Screenshot& shot) {
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
        if (right < 0) {
            inLine = false;
        } else if (!inLine) {
            lines.push_back({left, y, right, y});
            inLine = true;
        } else {
            RECT& line = lines.back();
            line = {std::min(line.left, left), line.top, std::max(line.right, right), y};
        }
    }
    return lines;
}

// Points of the screen away from a centred countdown (a fifth of the screen high) and from the
// taskbar, which now and then comes out above a topmost window.
std::vector<POINT> BackgroundPoints() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<POINT> points;
    for (int y = 3; y < height - 40; y += 37) {
        if (y > height / 2 - height / 6 && y < height / 2 + height / 6) {
            continue;
        }
        for (int x = 3; x < width; x += 41) {
            points.push_back({x, y});
        }
    }
    return points;
}

// The slide at about 31 percent brightness over black, as the faded desktop shows it: each
// channel within 2 of 0x4F / 255 of the slide's. Faded twice, bright channels come out far darker.
bool ShowsTheSlideFadedOnce(const Screenshot& shot, const Screenshot& slide) {
    for (const POINT p : BackgroundPoints()) {
        const uint32_t shown = shot.At(p.x, p.y), original = slide.At(p.x, p.y);
        for (int shift : {0, 8, 16}) {
            const int expected = static_cast<int>((original >> shift) & 0xFF) * 0x4F / 255;
            if (std::abs(static_cast<int>((shown >> shift) & 0xFF) - expected) > 2) {
                return false;
            }
        }
    }
    return true;
}

// The break screen in the window colour at every background point, nothing of the slide through it.
bool ShowsAnOpaqueBreak(const Screenshot& shot) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const uint32_t colour = GetRValue(window) << 16 | GetGValue(window) << 8 | GetBValue(window);
    const std::vector<POINT> points = BackgroundPoints();
    return std::all_of(points.begin(), points.end(),
                       [&](POINT p) { return shot.At(p.x, p.y) == colour; });
}

bool Layered(HWND window) {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

std::wstring ErrorText(const wchar_t* text, DWORD error) {
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reason, 512, nullptr);
    return std::wstring(text) + L": " + reason;
}

// A 400 x 200 picture, blue on the left and `right` (ARGB) on the right, written as `name` in
// the temporary folder and stored as the break's background instead of the faded desktop.
void StoreBackgroundPicture(const wchar_t* name, uint32_t right, std::wstring& picture) {
    picture = TempPath(name);
    ASSERT_TRUE(WriteTwoColourPng(picture, 400, 200, 0xFF0000FF, right));
    WriteSettingDword(L"BreakShowBackgroundFile", 1);
    WriteSettingDword(L"BreakShowDesktop", 0);
    WriteString(kTestSettingsKey, L"BreakBackgroundFile", picture);
}

// Clicks the real tray icon and picks an item of its menu by its access key.
void PickFromTheTrayIcon(WORD accessKey) {
    std::optional<POINT> icon;
    ASSERT_TRUE(WaitUntil([&] { return (icon = TrayIconOnScreen()).has_value(); }));
    ClickAt(icon->x, icon->y);
    ASSERT_NE(WaitForWindowOf(0, L"#32768"), nullptr);
    PressKey(accessKey);
}

using Break = ProgramTest;

TEST_F(Break, TheTrayIconsMenuStartsACentredCountdownArrowsChangeItAndExitEnds) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(PickFromTheTrayIcon('B')); // "&Break Timer"
    ASSERT_TRUE(WaitShown());
    ASSERT_TRUE(CountdownAppears({L"09:59", L"09:58", L"09:57", L"09:56", L"09:55"}));
    ASSERT_TRUE(WaitForKeys());
    PressKey(VK_RIGHT);
    EXPECT_TRUE(CountdownAppears({L"10:00"})); // whole tens up, for a whole second
    PressKey(VK_LEFT);
    EXPECT_TRUE(CountdownAppears({L"09:50", L"09:49", L"09:40", L"09:39"}));
    EXPECT_TRUE(Escape());
    ASSERT_NO_FATAL_FAILURE(PickFromTheTrayIcon('X')); // "E&xit"
    EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
    mainWindow = nullptr;
}

TEST_F(Break, TheLargestStoredLengthCountsDownFromItsBound) {
    WriteSettingDword(L"BreakTimeout", 0x7FFFFFFF);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    // 2^31 - 1 seconds, less the first few ticks.
    EXPECT_TRUE(CountdownAppears({L"35791394:06", L"35791394:05", L"35791394:04", L"35791394:03"}));
    EXPECT_TRUE(Escape());
}

TEST_F(Break, ExpiryInTheCornerOverACentredPictureThenAStretchedOneThenOneThatCannotBeRead) {
    std::wstring picture;
    ASSERT_NO_FATAL_FAILURE(StoreBackgroundPicture(L"vistrel-break.png", 0xFF0000FF, picture));
    WriteSettingDword(L"BreakTimeout", 0);
    WriteSettingDword(L"BreakTimerPosition", 0);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    // The first capture may already come after the first tick, so the lines are told apart.
    std::vector<RECT> lines;
    ASSERT_TRUE(WaitUntil([&] {
        lines = RedLines(CaptureScreen());
        return !lines.empty();
    }));
    const RECT count = lines[0];
    // "00:00" in the top-left cell: 50 pixels in, less the glyphs' own side bearings.
    EXPECT_GE(count.left, 50);
    EXPECT_LT(count.left, 80);
    EXPECT_GE(count.top, 50);
    EXPECT_LT(count.top, 50 + GetSystemMetrics(SM_CYSCREEN) / 5);
    // A second later "-00:01" in the smaller font appears under it, centred.
    ASSERT_TRUE(WaitUntil([&] {
        lines = RedLines(CaptureScreen());
        return lines.size() == 2;
    })) << lines.size()
        << " lines";
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
    ExitProgram();

    WriteSettingDword(L"BreakBackgroundStretch", 1);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return shot.At(3, shot.height / 2) == kBlue &&
               shot.At(shot.width - 3, shot.height - 3) == kBlue;
    }));
    EXPECT_TRUE(Escape());

    // The picture is read at each start of a break.
    ASSERT_TRUE(DeleteFileW(picture.c_str()));
    PressBreakHotkey();
    HWND box = WaitForDialog(vistrel.Id(), 10000);
    ASSERT_NE(box, nullptr);
    const DialogSnapshot shown = ReadDialog(box);
    EXPECT_EQ(shown.caption, L"Vistrel");
    EXPECT_EQ(shown.Text().rfind(L"Error loading background bitmap: ", 0), 0u) << shown.Text();
    DismissDialog(box);
    ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
    EXPECT_TRUE(NoDialogWithin(vistrel.Id(), 300));
    EXPECT_FALSE(IsWindowVisible(mainWindow));
}

// The break over a coordinate slide; the pointer is put in place before the slide appears.
class BreakOverSlide : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MoveMouseTo(700, 300);
        slide = std::make_unique<PatternWindow>();
        ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    }
    void TearDown() override {
        ProgramTest::TearDown();
        slide.reset();
    }
    std::unique_ptr<PatternWindow> slide;
};

TEST_F(BreakOverSlide, StartedEndedStartedAndRestartedOverTheFadedDesktopItShowsTheSlideFadedOnce) {
    WriteSettingDword(L"BreakShowBackgroundFile", 1); // the faded desktop is the default choice
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Screenshot faded;
    for (int start = 0; start < 2; ++start) {
        PressBreakHotkey();
        ASSERT_TRUE(WaitShown());
        EXPECT_TRUE(WaitUntil([&] {
            faded = CaptureScreen();
            return ShowsTheSlideFadedOnce(faded, slide->picture);
        })) << "start "
            << start;
        if (start == 0) {
            ASSERT_TRUE(Escape());
            ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
        }
    }
    KeepScreenshot(L"break-faded-desktop", faded);
    // Shortened first, so that the restart over the break screen itself shows.
    ASSERT_TRUE(WaitForKeys());
    for (int press = 0; press < 3; ++press) {
        PressKey(VK_LEFT);
    }
    ASSERT_TRUE(CountdownAppears({L"09:30", L"09:29", L"09:28", L"09:27", L"09:26"}));
    PressBreakHotkey();
    ASSERT_TRUE(CountdownAppears({L"10:00", L"09:59", L"09:58", L"09:57", L"09:56"}));
    Screenshot restarted;
    EXPECT_TRUE(WaitUntil([&] {
        restarted = CaptureScreen();
        return ShowsTheSlideFadedOnce(restarted, slide->picture);
    })) << "the restart showed the break screen faded again";
    KeepScreenshot(L"break-faded-desktop-restarted", restarted);
    EXPECT_TRUE(Escape());
}

TEST_F(BreakOverSlide, ARestartAfterTheOpacityWasRaisedTo100PercentIsOpaque) {
    WriteSettingDword(L"BreakOpacity", 50);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    // Wine on a plain X server draws a layered window opaque whatever its alpha (no
    // compositor), so the translucency is read from the window, not from the screen.
    EXPECT_TRUE(Layered(mainWindow));
    BYTE alpha = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(mainWindow, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 127);

    // 100 % in the real Advanced Break Options, opened from the Break page; the break screen
    // gives way to the options dialog and a break start brings it back.
    PostCommand(mainWindow, kOptionsCommand);
    HWND options = WaitForOptionsDialog(vistrel);
    ASSERT_NE(options, nullptr);
    HWND advancedButton = DescendantOf(options, IDC_BREAK_ADVANCED, false);
    ASSERT_NE(advancedButton, nullptr);
    PostMessageW(GetParent(advancedButton), WM_COMMAND, MAKEWPARAM(IDC_BREAK_ADVANCED, BN_CLICKED),
                 reinterpret_cast<LPARAM>(advancedButton));
    HWND advanced = WaitForNewDialog(vistrel.Id(), {options});
    ASSERT_NE(advanced, nullptr);
    SendMessageW(GetDlgItem(advanced, IDC_BREAK_OPACITY), CB_SETCURSEL, 9, 0); // 100%
    PostMessageW(advanced, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([advanced] { return !IsWindow(advanced); }));
    EXPECT_EQ(StoredSetting(L"BreakOpacity"), 100u);
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0); // what the advanced dialog stored stays
    ASSERT_TRUE(WaitUntil([options] { return !IsWindow(options); }));
    EXPECT_TRUE(WaitUntil([this] { return vistrel.Idle(); }));

    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    EXPECT_FALSE(Layered(mainWindow));
    EXPECT_TRUE(WaitUntil([] { return ShowsAnOpaqueBreak(CaptureScreen()); }));
    EXPECT_TRUE(Escape());
}

TEST_F(BreakOverSlide, ARestartWhosePictureWasDeletedLeavesNothingAndTheNextZoomIsOpaque) {
    std::wstring picture;
    ASSERT_NO_FATAL_FAILURE(StoreBackgroundPicture(L"vistrel-restart.png", 0xFF00FF00, picture));
    WriteSettingDword(L"BreakOpacity", 50);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(Layered(mainWindow));
    ASSERT_TRUE(WaitForKeys());

    ASSERT_TRUE(DeleteFileW(picture.c_str()));
    PressBreakHotkey();
    HWND box = WaitForDialog(vistrel.Id(), 10000);
    ASSERT_NE(box, nullptr);
    // The running break is over before the box shows.
    EXPECT_FALSE(IsWindowVisible(mainWindow));
    EXPECT_FALSE(Layered(mainWindow));
    const DialogSnapshot shown = ReadDialog(box);
    EXPECT_EQ(shown.Text(), ErrorText(L"Error loading background bitmap", ERROR_FILE_NOT_FOUND));
    DismissDialog(box);
    ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
    EXPECT_TRUE(NoDialogWithin(vistrel.Id(), 300));
    EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    EXPECT_FALSE(IsWindowVisible(mainWindow));

    // The zoom that follows is the plain, opaque view of the slide.
    const POINT at = {700, 300};
    ASSERT_TRUE(WaitUntil([at] { return CursorAt(at); }));
    PressZoomHotkey();
    ASSERT_TRUE(WaitShown());
    EXPECT_FALSE(Layered(mainWindow));
    EXPECT_TRUE(ViewShownSoon(2.0f, {at.x, at.y}));
    EXPECT_TRUE(Escape());
}

} // namespace
