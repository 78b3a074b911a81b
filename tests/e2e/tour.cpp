// The tour: a sample slide, then the program driven from outside as a presenter uses it: the
// zoom, a freehand stroke, an arrow, a rectangle, text in two colours, the white pad, the break
// and the options dialog. Each step is kept as a PNG in the folder the first argument names, its
// pixels checked, so the tour doubles as a smoke test (tools/run plays it without a display).
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <functional>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "res/options_controls.h"
#include "res/product.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr int kBulletX = 110, kChartBase = 850;

void Text(HDC dc, int x, int y, const wchar_t* text, int height, int weight, COLORREF colour) {
    HFONT font = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH, L"Tahoma");
    HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text, lstrlenW(text));
    DeleteObject(SelectObject(dc, previous));
}

void Fill(HDC dc, RECT area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// The sample slide: a title band, three bullets and a bar chart to point at.
void PaintSlide(HDC dc, int width, int height) {
    constexpr const wchar_t* kBullets[3] = {L"\x2022  Revenue up 18 % on last year",
                                            L"\x2022  Three new markets opened",
                                            L"\x2022  Costs held flat"};
    constexpr COLORREF kBarColours[4] = {RGB(91, 155, 213), RGB(237, 125, 49), RGB(165, 165, 165),
                                         RGB(255, 192, 0)};
    Fill(dc, {0, 0, width, height}, RGB(255, 255, 255));
    Fill(dc, {0, 0, 1920, 170}, RGB(31, 59, 115));
    SetBkMode(dc, TRANSPARENT);
    Text(dc, 90, 34, L"Quarterly results", 96, FW_BOLD, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i) {
        Text(dc, kBulletX, 250 + 100 * i, kBullets[i], 56, FW_NORMAL, RGB(50, 50, 50));
    }
    Fill(dc, {1120, 300, 1124, kChartBase + 2}, RGB(90, 90, 90));
    Fill(dc, {1120, kChartBase, 1820, kChartBase + 4}, RGB(90, 90, 90));
    for (int i = 0; i < 4; ++i) { // bars 250, 330, 420 and 520 high, 170 apart
        const int left = 1160 + 170 * i, barHeight[4] = {250, 330, 420, 520};
        Fill(dc, {left, kChartBase - barHeight[i], left + 110, kChartBase}, kBarColours[i]);
        const wchar_t label[3] = {L'Q', static_cast<wchar_t>(L'1' + i), 0};
        Text(dc, left + 32, kChartBase + 16, label, 36, FW_NORMAL, RGB(90, 90, 90));
    }
    Text(dc, 90, 990, L"Vistrel tour \x2014 a sample slide", 36, FW_NORMAL, RGB(140, 140, 140));
}

// The share of a grid of sample points where the screen shows what `expected` says.
double ShareMatching(const Screenshot& shot, const std::function<uint32_t(int, int)>& expected) {
    int same = 0, all = 0;
    for (int y = 2; y < shot.height; y += 7) {
        for (int x = 3; x < shot.width; x += 7, ++all) {
            same += shot.At(x, y) == expected(x, y);
        }
    }
    return static_cast<double>(same) / all;
}

// The tour's steps, each with its picture and the outcome of its check.
struct Tour {
    std::wstring folder;
    int number = 0;
    int failed = 0;

    // Waits for `shows`, keeps the screen as NN-name.png and reports the step.
    void Step(const char* name, const char* what, const std::function<bool()>& shows) {
        const bool ok = WaitUntil(shows);
        char file[64];
        std::snprintf(file, sizeof file, "%02d-%s.png", ++number, name);
        const Screenshot shot = CaptureScreen();
        const bool kept = WritePng(folder + L"\\" + std::wstring(file, file + strlen(file)),
                                   shot.width, shot.height, shot.pixels.data());
        std::printf("%-18s %-52s %s\n", file, what,
                    !kept ? "NOT SAVED"
                    : ok  ? "ok"
                          : "FAILED: not on screen");
        failed += ok && kept ? 0 : 1;
    }
    // A step the next ones need: reported when it failed.
    void Require(bool condition, const char* what) {
        failed += condition ? 0 : (std::printf("failed: %s\n", what), 1);
    }
};

// `colour` near each of `points` on `shot`.
bool NearAll(const Screenshot& shot, const std::vector<POINT>& points, uint32_t colour) {
    return std::all_of(points.begin(), points.end(),
                       [&](POINT p) { return ColourNear(shot, p.x, p.y, colour); });
}

// Picks a pen colour by its key and waits until the program has stored it.
void PickColour(WORD key, DWORD colorref) {
    PressKey(key);
    WaitUntil([=] { return StoredSetting(L"PenColor") == colorref; });
}

// Draws a shape with modifier keys held from before the press until after the release. Wine now
// and then brings the modifiers in line with the X keyboard, where keys sent by SendInput are not
// down (docs/WINE.md): each is pressed again until the system has it down, and when they were
// lost all the same and the drag drew a plain stroke, that is undone and the shape drawn again.
void DrawShape(std::initializer_list<WORD> modifiers, POINT from, POINT to,
               const std::function<bool()>& shows) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        MoveMouseTo(from);
        WaitUntil([&] {
            return std::all_of(modifiers.begin(), modifiers.end(), [](WORD modifier) {
                const bool down = GetAsyncKeyState(modifier) < 0;
                if (!down) {
                    SendKey(modifier, false);
                }
                return down;
            });
        });
        DragTo(from, to);
        for (WORD modifier : modifiers) {
            SendKey(modifier, true);
        }
        if (WaitUntil(shows, 2000)) {
            return;
        }
        PressWithCtrl('Z');
    }
}

// T at the pen, the text as key presses (capitals with Shift), Escape. The pen goes first and
// the tour waits for its marker there: a late pointer echo can put it back (docs/WINE.md).
void TypeAt(POINT p, uint32_t colour, const wchar_t* text) {
    WaitUntil([&] {
        MoveMouseTo(p);
        return ColourNear(CaptureScreen(), p.x, p.y, colour);
    });
    PressKey('T');
    for (const wchar_t* c = text; *c != 0; ++c) {
        const auto key = static_cast<WORD>(std::towupper(*c)); // and a space is VK_SPACE
        std::iswupper(*c) ? PressKey(key, {VK_SHIFT}) : PressKey(key);
    }
    PressKey(VK_ESCAPE);
}

int RunTour(Tour& tour) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const Screenshot slide = Painted(width, height, [&](HDC dc) { PaintSlide(dc, width, height); });
    auto slideShare = [&](const Screenshot& shot) {
        return ShareMatching(shot, [&](int x, int y) { return slide.At(x, y); });
    };
    auto showsSlide = [&] { return slideShare(CaptureScreen()) > 0.995; };
    // Drawing at magnification 1 leaves the rest of the slide as it was.
    auto restOfSlide = [&](const Screenshot& shot) { return slideShare(shot) > 0.95; };

    ClearProgramRegistry(false); // past the first run, which opens the options
    // A pen of 6 pixels shows better in pictures; Ctrl+Up sent from outside is not reliable.
    WriteSettings({{L"PenWidth", 6}});
    MoveMouseTo({960, 700});
    PatternWindow slideWindow(slide);
    VistrelProcess vistrel;
    tour.Require(vistrel.StartReady(), "Vistrel did not start");
    // Escape ends the mode; the slide shows again.
    auto ended = [&](const char* what) {
        tour.Require(vistrel.Escape() && WaitUntil(showsSlide), what);
    };
    tour.Step("slide", "A slide, Vistrel waiting in the background", showsSlide);

    // Zoom: Ctrl+1 over the chart, the start magnification 2.
    constexpr CapturePoint kZoomAt = {1450, 760};
    MoveMouseTo({kZoomAt.x, kZoomAt.y});
    PressWithCtrl(kZoomKey);
    tour.Step("zoom", "Ctrl+1: the screen frozen and magnified twice", [&] {
        return ShareMatching(CaptureScreen(), [&](int x, int y) {
                   const CapturePoint p = ZoomedSource(2.0f, kZoomAt, width, height, x, y);
                   return slide.At(p.x, p.y);
               }) > 0.99;
    });
    ended("the zoom did not end");

    // Drawing at magnification 1: Ctrl+2 freezes the slide and starts drawing at the pointer.
    std::vector<POINT> wave;
    for (int i = 0; i <= 28; ++i) {
        wave.push_back({kBulletX + 20 * i, 330 + ((i % 2) != 0 ? 9 : -9)});
    }
    MoveMouseTo(wave[0]);
    PressWithCtrl(kDrawKey);
    tour.Require(vistrel.WaitShown() && vistrel.WaitForKeys(), "Ctrl+2 did not start drawing");
    SendAbsolute(MOUSEEVENTF_LEFTDOWN, wave[0]);
    for (const POINT& p : wave) {
        MoveMouseTo(p);
        // Until the stroke reaches the point: moves the program has not taken yet merge into
        // one (as the system merges them), and on a busy machine a corner would be cut.
        WaitUntil([p] { return CaptureScreen({p.x, p.y, p.x + 1, p.y + 1}).At(0, 0) == kRed; });
    }
    SendAbsolute(MOUSEEVENTF_LEFTUP, wave.back());
    tour.Step("freehand", "Ctrl+2, then a freehand stroke in red", [&] {
        const Screenshot shot = CaptureScreen();
        return restOfSlide(shot) && NearAll(shot, wave, kRed);
    });

    // G for green, then Shift+Ctrl drags an arrow pointing where the drag started; the stroke
    // keeps its colour.
    constexpr POINT kTip = {1715, 300}, kTail = {1300, 200};
    PickColour('G', 0x00FF00);
    std::vector<POINT> shaft;
    for (int t = 1; t <= 8; ++t) {
        shaft.push_back(
            {kTail.x + (kTip.x - kTail.x) * t / 10, kTail.y + (kTip.y - kTail.y) * t / 10});
    }
    const auto arrowShows = [&] {
        const Screenshot shot = CaptureScreen();
        const RECT head = {kTip.x - 12, kTip.y - 12, kTip.x + 12, kTip.y + 12};
        return restOfSlide(shot) && NearAll(shot, wave, kRed) && NearAll(shot, shaft, kGreen) &&
               CountColour(shot, head, kGreen) > 40;
    };
    DrawShape({VK_SHIFT, VK_CONTROL}, kTip, kTail, arrowShows);
    tour.Step("arrow", "G, then Shift+Ctrl+drag: a green arrow", arrowShows);

    // B for blue, then Ctrl drags a rectangle round the second bullet.
    constexpr RECT kBox = {kBulletX - 20, 355, 870, 440};
    PickColour('B', 0xFF0000);
    const int midX = (kBox.left + kBox.right) / 2, midY = (kBox.top + kBox.bottom) / 2;
    const std::vector<POINT> sides = {
        {kBox.left, midY}, {kBox.right - 1, midY}, {midX, kBox.top}, {midX, kBox.bottom - 1}};
    const auto rectangleShows = [&] {
        const Screenshot shot = CaptureScreen();
        return restOfSlide(shot) && NearAll(shot, sides, kBlue);
    };
    DrawShape({VK_CONTROL}, {kBox.left, kBox.top}, {kBox.right, kBox.bottom}, rectangleShows);
    tour.Step("rectangle", "B, then Ctrl+drag: a blue rectangle", rectangleShows);

    // Typing: a line in red, then one in blue.
    constexpr POINT kFirstLine = {kBulletX, 560}, kSecondLine = {kBulletX, 720};
    PickColour('R', 0xFF);
    TypeAt(kFirstLine, kRed, L"Ask me about Q3");
    PickColour('B', 0xFF0000);
    TypeAt(kSecondLine, kBlue, L"Thank you");
    auto textShows = [](const Screenshot& shot, POINT at, int right, uint32_t colour) {
        return CountColour(shot, {at.x, at.y, right, at.y + 130}, colour) > 500;
    };
    tour.Step("text", "T, typing, Escape: text in red, then in blue", [&] {
        const Screenshot shot = CaptureScreen();
        return restOfSlide(shot) && textShows(shot, kFirstLine, 1000, kRed) &&
               textShows(shot, kSecondLine, 1000, kBlue);
    });

    // W covers everything with the white pad; a word on it in green.
    constexpr POINT kPadText = {700, 480};
    auto whiteRow = [&](const Screenshot& shot, int y) {
        return CountColour(shot, {0, y, width, y + 1}, kWhite) == width;
    };
    PressKey('W');
    WaitUntil([&] { return whiteRow(CaptureScreen(), 100); });
    PickColour('G', 0x00FF00);
    TypeAt(kPadText, kGreen, L"Questions");
    tour.Step("white-pad", "W: the white pad, then a word on it in green", [&] {
        const Screenshot shot = CaptureScreen();
        return whiteRow(shot, 100) && whiteRow(shot, 1000) &&
               CountColour(shot, {0, 0, 1, height}, kWhite) == height &&
               textShows(shot, kPadText, 1400, kGreen);
    });
    PickColour('R', 0xFF); // the break countdown takes the pen colour
    ended("drawing did not end");

    // The break: Ctrl+3, a countdown in the pen colour (red on the screen), centred.
    PressWithCtrl(kBreakKey);
    tour.Step("break", "Ctrl+3: the break countdown", [&] {
        const Screenshot shot = CaptureScreen();
        const RECT middle = {width / 4, height / 3, width * 3 / 4, height * 2 / 3};
        return vistrel.Shown() && CountColour(shot, middle, kRed) > 5000 &&
               CountColour(shot, {0, 0, width, height / 4}, kRed) == 0;
    });
    ended("the break did not end");

    // The options dialog, as the tray menu opens it, with the version this build carries.
    vistrel.Command(kOptionsCommand);
    MoveMouseTo({5, 5});
    HWND options = vistrel.WaitForOptionsDialog();
    tour.Step("options", "The options dialog (tray menu, Options)", [&] {
        return options != nullptr &&
               WindowText(GetDlgItem(options, IDC_VERSION_LINE)) == L"" VISTREL_VERSION_TEXT &&
               (CaptureSettledScreen(), true);
    });
    CloseDialog(options);
    tour.Require(vistrel.Exit(), "Vistrel did not exit cleanly");
    ClearProgramRegistry();
    return tour.failed == 0 ? 0 : 1;
}

} // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    Tour tour;
    tour.folder = WindowsPath(count > 1 ? arguments[1] : L".");
    LocalFree(arguments);
    CreateDirectoryW(tour.folder.c_str(), nullptr);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int result = RunTour(tour);
    std::printf("%d steps, %d failed\n", tour.number, tour.failed);
    return result;
}
