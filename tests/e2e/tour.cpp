// The tour: a sample slide on screen, then the program driven from outside as a presenter uses
// it: the zoom, a freehand stroke, an arrow, a rectangle, text in two colours, the white pad,
// the break screen and the options dialog. Each step is kept as a PNG in the folder named by the
// first argument, and the pixels that matter are checked, so the tour doubles as a smoke test.
// tools/run plays it when there is no display; the tests run it under tests/support/wine-run.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/driver.h"
#include "res/options_controls.h"
#include "res/product.h"
#include "zoom/zoom_geometry.h"

namespace {

constexpr uint32_t kExitCommand = 2;
constexpr uint32_t kOptionsCommand = 1004;
constexpr uint32_t kWhite = 0xFFFFFF; // colours as a screenshot holds them: 0x00RRGGBB
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

// ---- The sample slide ----------------------------------------------------------------------

constexpr RECT kTitleBand = {0, 0, 1920, 170};
constexpr int kBulletX = 110;
constexpr int kBulletY[3] = {250, 350, 450};
constexpr const wchar_t* kBullets[3] = {L"\x2022  Revenue up 18 % on last year",
                                        L"\x2022  Three new markets opened",
                                        L"\x2022  Costs held flat"};
constexpr int kChartBase = 850;
constexpr int kBarLeft[4] = {1160, 1330, 1500, 1670};
constexpr int kBarHeight[4] = {250, 330, 420, 520};
constexpr int kBarWidth = 110;
constexpr COLORREF kBarColours[4] = {RGB(91, 155, 213), RGB(237, 125, 49), RGB(165, 165, 165),
                                     RGB(255, 192, 0)};

HFONT SlideFont(int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                       L"Tahoma");
}

void Text(HDC dc, int x, int y, const wchar_t* text, HFONT font, COLORREF colour) {
    HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text, lstrlenW(text));
    SelectObject(dc, previous);
}

void Fill(HDC dc, RECT area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// A title band, three bullets and a bar chart: something a presenter would point at.
void PaintSlide(HDC dc, int width, int height) {
    Fill(dc, {0, 0, width, height}, RGB(255, 255, 255));
    Fill(dc, kTitleBand, RGB(31, 59, 115));
    SetBkMode(dc, TRANSPARENT);
    HFONT title = SlideFont(96, FW_BOLD);
    HFONT body = SlideFont(56, FW_NORMAL);
    HFONT small = SlideFont(36, FW_NORMAL);
    Text(dc, 90, 34, L"Quarterly results", title, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i) {
        Text(dc, kBulletX, kBulletY[i], kBullets[i], body, RGB(50, 50, 50));
    }
    Fill(dc, {1120, 300, 1124, kChartBase + 2}, RGB(90, 90, 90));
    Fill(dc, {1120, kChartBase, 1820, kChartBase + 4}, RGB(90, 90, 90));
    for (int i = 0; i < 4; ++i) {
        Fill(dc, {kBarLeft[i], kChartBase - kBarHeight[i], kBarLeft[i] + kBarWidth, kChartBase},
             kBarColours[i]);
        const wchar_t label[3] = {L'Q', static_cast<wchar_t>(L'1' + i), 0};
        Text(dc, kBarLeft[i] + 32, kChartBase + 16, label, small, RGB(90, 90, 90));
    }
    Text(dc, 90, 990, L"Vistrel tour \x2014 a sample slide", small, RGB(140, 140, 140));
    DeleteObject(title);
    DeleteObject(body);
    DeleteObject(small);
}

// The slide as pixels, painted here exactly as the slide window paints it.
Screenshot RenderSlide(int width, int height) {
    Screenshot slide = {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    PaintSlide(dc, width, height);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < slide.pixels.size(); ++i) {
        slide.pixels[i] = pixels[i] & 0xFFFFFF;
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return slide;
}

// ---- Looking at the screen -----------------------------------------------------------------

// The share of a grid of sample points where the screen shows what `expected` says.
double ShareMatching(const Screenshot& shot, const std::function<uint32_t(int, int)>& expected) {
    int same = 0;
    int all = 0;
    for (int y = 2; y < shot.height; y += 7) {
        for (int x = 3; x < shot.width; x += 7) {
            same += shot.At(x, y) == expected(x, y) ? 1 : 0;
            ++all;
        }
    }
    return static_cast<double>(same) / all;
}

// The view of the slide magnified `zoom` times around `point`, as the zoom window shows it.
std::function<uint32_t(int, int)> ZoomedSlide(const Screenshot& slide, float zoom, POINT point) {
    const CapturePoint origin =
        ComputeSourceOrigin(zoom, {point.x, point.y}, slide.width, slide.height);
    const int visibleWidth = VisibleExtent(slide.width, zoom);
    const int visibleHeight = VisibleExtent(slide.height, zoom);
    return [&slide, origin, visibleWidth, visibleHeight](int x, int y) {
        return slide.At(origin.x + x * visibleWidth / slide.width,
                        origin.y + y * visibleHeight / slide.height);
    };
}

// True when a pixel of `colour` lies within one pixel of (x, y): a 3-pixel pen covers the
// ideal line even where rounding moves it by one.
bool ColourNear(const Screenshot& shot, int x, int y, uint32_t colour) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (shot.At(x + dx, y + dy) == colour) {
                return true;
            }
        }
    }
    return false;
}

int CountColour(const Screenshot& shot, RECT area, uint32_t colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            count += shot.At(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

// The screen colour of a COLORREF setting.
uint32_t ScreenColour(DWORD colorref) {
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
}

// ---- Keeping pictures ----------------------------------------------------------------------

// A folder given as a Unix path is drive Z: to Wine.
std::wstring WindowsFolder(std::wstring folder) {
    if (!folder.empty() && folder[0] == L'/') {
        folder = L"Z:" + folder;
    }
    for (wchar_t& c : folder) {
        c = c == L'/' ? L'\\' : c;
    }
    return folder;
}

// The tour's steps, each with its picture and the outcome of its check.
struct Tour {
    std::wstring folder;
    int number = 0;
    int failed = 0;

    // Waits for `shows`, keeps the screen as NN-name.png and reports the step.
    void Step(const char* name, const char* what, const std::function<bool()>& shows,
              DWORD timeoutMs = 5000) {
        const bool ok = WaitUntil(shows, timeoutMs);
        char file[64];
        std::snprintf(file, sizeof file, "%02d-%s.png", ++number, name);
        const std::wstring path = folder + L"\\" + std::wstring(file, file + std::strlen(file));
        const bool kept = SaveScreenshot(CaptureScreen(), path);
        std::printf("%-18s %-52s %s\n", file, what,
                    !kept ? "NOT SAVED"
                    : ok  ? "ok"
                          : "FAILED: not on screen");
        std::fflush(stdout);
        failed += ok && kept ? 0 : 1;
    }
    // A step that cannot go on without: reports it and ends the tour.
    bool Require(bool condition, const char* what) {
        if (!condition) {
            std::printf("tour stopped: %s\n", what);
            ++failed;
        }
        return condition;
    }
};

// ---- Input ---------------------------------------------------------------------------------

void Key(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// A drag with modifier keys held from before the press until after the release. Wine now and
// then brings the modifier keys in line with the X keyboard, where keys sent by SendInput are not
// down (docs/WINE.md): each modifier is pressed again until the system has it down.
void DragHolding(std::initializer_list<WORD> modifiers, POINT from, POINT to) {
    MoveMouseTo(from.x, from.y);
    WaitUntil([&] {
        bool allDown = true;
        for (WORD modifier : modifiers) {
            if (GetAsyncKeyState(modifier) >= 0) {
                Key(modifier, false);
                allDown = false;
            }
        }
        return allDown;
    });
    DragTo(from.x, from.y, to.x, to.y);
    for (WORD modifier : modifiers) {
        Key(modifier, true);
    }
}

// Draws a shape with modifiers; when they were lost all the same and the drag drew a plain
// stroke, that stroke is undone and the shape drawn again.
void DrawShape(std::initializer_list<WORD> modifiers, POINT from, POINT to,
               const std::function<bool()>& shows) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        DragHolding(modifiers, from, to);
        if (WaitUntil(shows, 2000)) {
            return;
        }
        PressWithCtrl('Z');
    }
}

// Moves the pen and waits until the program shows its marker there: under load a late pointer
// echo can put the pen back where it was (docs/WINE.md), so the move is made again until it shows.
void MovePenTo(POINT p, uint32_t colour) {
    WaitUntil([&] {
        MoveMouseTo(p.x, p.y);
        return ColourNear(CaptureScreen(), p.x, p.y, colour);
    });
}

// Types plain letters, digits and spaces as key presses; capitals with Shift.
void TypeText(const wchar_t* text) {
    for (const wchar_t* c = text; *c != 0; ++c) {
        if (*c == L' ') {
            PressKey(VK_SPACE);
        } else if (*c >= L'A' && *c <= L'Z') {
            PressShifted(static_cast<WORD>(*c));
        } else if (*c >= L'a' && *c <= L'z') {
            PressKey(static_cast<WORD>(*c - L'a' + L'A'));
        } else {
            PressKey(static_cast<WORD>(*c));
        }
    }
}

// The options dialog of the process, once it is up and its pages exist.
HWND OptionsDialog(DWORD processId) {
    for (HWND dialog : TopLevelWindowsOf(processId, L"#32770", true)) {
        wchar_t title[64] = {};
        GetWindowTextW(dialog, title, 64);
        if (std::wstring(title) == L"" VISTREL_OPTIONS_TITLE) {
            return dialog;
        }
    }
    return nullptr;
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[128] = {};
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

// The screen once two captures in a row agree: another process's drawing reaches the screen a
// little after it went idle.
bool ScreenSettled() {
    static Screenshot previous;
    Screenshot now = CaptureScreen();
    const bool same = now.pixels == previous.pixels;
    previous = std::move(now);
    return same;
}

int RunTour(Tour& tour) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const Screenshot slide = RenderSlide(width, height);
    auto slideShare = [&](const Screenshot& shot) {
        return ShareMatching(shot, [&](int x, int y) { return slide.At(x, y); });
    };
    auto showsSlide = [&] { return slideShare(CaptureScreen()) > 0.995; };
    // Drawing at magnification 1 leaves the rest of the slide as it was.
    auto restOfSlide = [&](const Screenshot& shot) { return slideShare(shot) > 0.95; };

    ClearProgramRegistry();
    WriteSettingDword(L"OptionShown", 1); // past the first run, which opens the options
    // A pen of 6 pixels, as Ctrl+Up would leave it, shows better in pictures. (Ctrl+Up sent from
    // outside can lose its Ctrl under Wine, and plain Up zooms: see docs/WINE.md.)
    WriteSettingDword(L"PenWidth", 6);
    MoveMouseTo(960, 700); // before the slide: a window appearing under the pointer moves it
    PatternWindow slideWindow(slide);
    VistrelProcess vistrel = StartVistrel();
    HWND mainWindow = WaitForMainWindow(vistrel.Id());
    if (!tour.Require(mainWindow != nullptr, "Vistrel did not start")) {
        return 1;
    }
    auto shown = [&] { return IsWindowVisible(mainWindow) != 0; };
    auto hidden = [&] { return IsWindowVisible(mainWindow) == 0; };
    auto takesKeys = [&] { return HasKeyboardFocus(mainWindow); };
    tour.Step("slide", "A slide, Vistrel waiting in the background", showsSlide);

    // Zoom: Shift+1 over the chart, the start magnification 2.
    constexpr POINT kZoomAt = {1450, 760};
    MoveMouseTo(kZoomAt.x, kZoomAt.y);
    PressShifted('1');
    const auto zoomed = ZoomedSlide(slide, 2.0f, kZoomAt);
    tour.Step("zoom", "Shift+1: the screen frozen and magnified twice",
              [&] { return ShareMatching(CaptureScreen(), zoomed) > 0.99; });
    WaitUntil(takesKeys);
    PressKey(VK_ESCAPE);
    if (!tour.Require(WaitUntil(hidden) && WaitUntil(showsSlide), "the zoom did not end")) {
        return 1;
    }

    // Drawing at magnification 1: Shift+2 freezes the slide and starts drawing at the pointer.
    std::vector<POINT> wave;
    for (int i = 0; i <= 28; ++i) {
        wave.push_back({kBulletX + 20 * i, 330 + ((i % 2) != 0 ? 9 : -9)});
    }
    MoveMouseTo(wave[0].x, wave[0].y);
    PressShifted('2');
    if (!tour.Require(WaitUntil(shown) && WaitUntil(takesKeys), "Shift+2 did not start drawing")) {
        return 1;
    }
    PressLeft(wave[0].x, wave[0].y);
    for (const POINT& p : wave) {
        MoveMouseTo(p.x, p.y);
    }
    ReleaseLeft(wave.back().x, wave.back().y);
    tour.Step("freehand", "Shift+2, then a freehand stroke in red", [&] {
        const Screenshot shot = CaptureScreen();
        if (!restOfSlide(shot)) {
            return false;
        }
        for (const POINT& p : wave) {
            if (!ColourNear(shot, p.x, p.y, kRed)) {
                return false;
            }
        }
        return true;
    });

    // G for green, then Shift+Ctrl drags an arrow pointing where the drag started.
    constexpr POINT kTip = {1715, 300};
    constexpr POINT kTail = {1300, 200};
    PressKey('G');
    WaitUntil([] { return ReadSettingDword(L"PenColor") == 0x00FF00u; });
    const auto arrowShows = [&] {
        const Screenshot shot = CaptureScreen();
        if (!restOfSlide(shot)) {
            return false;
        }
        for (int t = 1; t <= 8; ++t) {
            const int x = kTail.x + (kTip.x - kTail.x) * t / 10;
            const int y = kTail.y + (kTip.y - kTail.y) * t / 10;
            if (!ColourNear(shot, x, y, kGreen)) {
                return false;
            }
        }
        return CountColour(shot, {kTip.x - 12, kTip.y - 12, kTip.x + 12, kTip.y + 12}, kGreen) >
               40; // the head
    };
    DrawShape({VK_SHIFT, VK_CONTROL}, kTip, kTail, arrowShows);
    tour.Step("arrow", "G, then Shift+Ctrl+drag: a green arrow", arrowShows);

    // B for blue, then Ctrl drags a rectangle round the second bullet.
    constexpr RECT kBox = {kBulletX - 20, 355, 870, 440};
    PressKey('B');
    WaitUntil([] { return ReadSettingDword(L"PenColor") == 0xFF0000u; });
    const auto rectangleShows = [&] {
        const Screenshot shot = CaptureScreen();
        const int midX = (kBox.left + kBox.right) / 2;
        const int midY = (kBox.top + kBox.bottom) / 2;
        return restOfSlide(shot) && ColourNear(shot, kBox.left, midY, kBlue) &&
               ColourNear(shot, kBox.right - 1, midY, kBlue) &&
               ColourNear(shot, midX, kBox.top, kBlue) &&
               ColourNear(shot, midX, kBox.bottom - 1, kBlue);
    };
    DrawShape({VK_CONTROL}, {kBox.left, kBox.top}, {kBox.right, kBox.bottom}, rectangleShows);
    tour.Step("rectangle", "B, then Ctrl+drag: a blue rectangle", rectangleShows);

    // Typing: T at the pen, Escape ends it; a second colour for a second line.
    constexpr POINT kFirstLine = {kBulletX, 560};
    constexpr POINT kSecondLine = {kBulletX, 720};
    PressKey('R');
    WaitUntil([] { return ReadSettingDword(L"PenColor") == 0xFFu; });
    MovePenTo(kFirstLine, kRed);
    PressKey('T');
    TypeText(L"Ask me about Q3");
    PressKey(VK_ESCAPE);
    PressKey('B');
    WaitUntil([] { return ReadSettingDword(L"PenColor") == 0xFF0000u; });
    MovePenTo(kSecondLine, kBlue);
    PressKey('T');
    TypeText(L"Thank you");
    PressKey(VK_ESCAPE);
    tour.Step("text", "T, typing, Escape: text in red, then in blue", [&] {
        const Screenshot shot = CaptureScreen();
        return restOfSlide(shot) &&
               CountColour(shot, {kFirstLine.x, kFirstLine.y, 1000, kFirstLine.y + 130}, kRed) >
                   500 &&
               CountColour(shot, {kSecondLine.x, kSecondLine.y, 1000, kSecondLine.y + 130}, kBlue) >
                   500;
    });

    // W covers everything with the white pad; a word on it in green.
    constexpr POINT kPadText = {700, 480};
    PressKey('W');
    WaitUntil([&] { return CountColour(CaptureScreen(), {0, 100, width, 101}, kWhite) == width; });
    PressKey('G');
    WaitUntil([] { return ReadSettingDword(L"PenColor") == 0x00FF00u; });
    MoveMouseTo(kPadText.x, kPadText.y);
    PressKey('T');
    TypeText(L"Questions");
    PressKey(VK_ESCAPE);
    tour.Step("white-pad", "W: the white pad, then a word on it in green", [&] {
        const Screenshot shot = CaptureScreen();
        return CountColour(shot, {0, 100, width, 101}, kWhite) == width &&
               CountColour(shot, {0, 1000, width, 1001}, kWhite) == width &&
               CountColour(shot, {0, 0, 1, height}, kWhite) == height &&
               CountColour(shot, {kPadText.x, kPadText.y, 1400, kPadText.y + 130}, kGreen) > 500;
    });
    PressKey('R'); // the break countdown takes the pen colour
    WaitUntil([] { return ReadSettingDword(L"PenColor") == 0xFFu; });
    PressKey(VK_ESCAPE);
    if (!tour.Require(WaitUntil(hidden) && WaitUntil(showsSlide), "drawing did not end")) {
        return 1;
    }

    // The break: Shift+3, a countdown in the pen colour, centred.
    PressShifted('3');
    const uint32_t countdown = ScreenColour(ReadSettingDword(L"PenColor").value_or(0xFF));
    tour.Step("break", "Shift+3: the break countdown", [&] {
        const Screenshot shot = CaptureScreen();
        return shown() &&
               CountColour(shot, {width / 4, height / 3, width * 3 / 4, height * 2 / 3},
                           countdown) > 5000 &&
               CountColour(shot, {0, 0, width, height / 4}, countdown) == 0;
    });
    WaitUntil(takesKeys);
    PressKey(VK_ESCAPE);
    if (!tour.Require(WaitUntil(hidden) && WaitUntil(showsSlide), "the break did not end")) {
        return 1;
    }

    // The options dialog, as the tray menu opens it, with the version this build carries.
    PostCommand(mainWindow, kOptionsCommand);
    HWND options = nullptr;
    MoveMouseTo(5, 5);
    tour.Step(
        "options", "The options dialog (tray menu, Options)",
        [&] {
            options = OptionsDialog(vistrel.Id());
            return options != nullptr && GetForegroundWindow() == options &&
                   GetDlgItem(options, IDC_PAGE_TABS) != nullptr &&
                   WaitForInputIdle(vistrel.info.hProcess, 0) == 0 &&
                   ControlText(options, IDC_VERSION_LINE) == L"" VISTREL_VERSION_TEXT &&
                   ScreenSettled();
        },
        10000);
    if (options != nullptr) {
        PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
        WaitUntil([&] { return !IsWindow(options); });
    }
    PostCommand(mainWindow, kExitCommand);
    tour.Require(vistrel.WaitForExit(5000) == 0u, "Vistrel did not exit cleanly");
    ClearProgramRegistry();
    return tour.failed == 0 ? 0 : 1;
}

} // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    Tour tour;
    tour.folder = WindowsFolder(count > 1 ? arguments[1] : L".");
    LocalFree(arguments);
    CreateDirectoryW(tour.folder.c_str(), nullptr);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int result = RunTour(tour);
    std::printf("%d steps, %d failed\n", tour.number, tour.failed);
    return result;
}
