// Drawing on the frozen screen, inside the program's own process: the real main window driven
// with its messages, drawing with real GDI into the working image, which the tests read back.
// A plain grey window on a thread of its own stands in for the slide, so every capture is
// known.
//
// The pen-input types are Windows 8 headers (the program binds the function at run time).
#undef _WIN32_WINNT
#undef WINVER
#define _WIN32_WINNT 0x0602
#define WINVER 0x0602
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "draw/sticky_keys.h"
#include "draw/undo_stack.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/zoom_view.h"

namespace {

constexpr COLORREF kSlide = RGB(128, 128, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr POINT kAside = {1700, 150};  // where the pen rests between strokes

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

// The grey slide: a full-screen window with a background brush, pumped by its own thread so it
// repaints whenever the zoom window leaves it.
class Slide {
public:
    Slide() {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.hbrBackground = CreateSolidBrush(kSlide);
            windowClass.lpszClassName = L"VistrelTestSlide";
            RegisterClassW(&windowClass);
            window_ = CreateWindowExW(0, L"VistrelTestSlide", L"Slide", WS_POPUP | WS_VISIBLE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
            threadId_ = GetCurrentThreadId();
            SetEvent(ready);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                DispatchMessageW(&message);
            }
            DestroyWindow(window_);
            UnregisterClassW(L"VistrelTestSlide", GetModuleHandleW(nullptr));
            DeleteObject(windowClass.hbrBackground);
        });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~Slide() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    static bool OnScreen() {
        HDC screen = GetDC(nullptr);
        bool shown = true;
        for (POINT p : {POINT{50, 50}, POINT{960, 540}, POINT{1870, 50}, POINT{1500, 800}}) {
            shown = shown && GetPixel(screen, p.x, p.y) == kSlide;
        }
        ReleaseDC(nullptr, screen);
        return shown;
    }

private:
    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

// A whole image, read back from a DC of the capture's size.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top-down
};

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

Image ReadImage(HDC source) {
    Image image{app.captureWidth, app.captureHeight, {}};
    const BITMAPINFO info = TopDown32(image.width, image.height);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, dib);
    BitBlt(dc, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height; ++i) {
        image.pixels.push_back(first[i] & 0xFFFFFF);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(dib);
    return image;
}

Image WorkingImage() { return ReadImage(app.imageDC); }
Image CleanCapture() { return ReadImage(app.cleanDC); }
COLORREF Pixel(int x, int y) { return GetPixel(app.imageDC, x, y); }

// `before` with `draw` applied, on a surface like the working image, with a red pen of 3.
Image Drawn(const Image& before, const std::function<void(HDC)>& draw) {
    HDC dc = CreateCompatibleDC(app.imageDC);
    HBITMAP bitmap = CreateCompatibleBitmap(app.imageDC, before.width, before.height);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    const BITMAPINFO info = TopDown32(before.width, before.height);
    SetDIBitsToDevice(dc, 0, 0, before.width, before.height, 0, 0, 0, before.height,
                      before.pixels.data(), &info, DIB_RGB_COLORS);
    HPEN pen = CreatePen(PS_SOLID, 3, kRed);
    HGDIOBJ previousPen = SelectObject(dc, pen);
    draw(dc);
    SelectObject(dc, previousPen);
    DeleteObject(pen);
    Image result = ReadImage(dc);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

// Equal everywhere except inside `ignored` (the pen marker's square, say).
::testing::AssertionResult SameImage(const Image& actual, const Image& expected,
                                     RECT ignored = {}) {
    size_t differences = 0;
    POINT first = {};
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const size_t i = static_cast<size_t>(y) * actual.width + x;
            if (!PtInRect(&ignored, {x, y}) && actual.pixels[i] != expected.pixels[i] &&
                differences++ == 0) {
                first = {x, y};
            }
        }
    }
    if (differences == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << differences << " pixels differ, the first at ("
                                         << first.x << ", " << first.y << ")";
}

// The square the pen marker may cover around the pen point.
RECT MarkerSquare() {
    const int half = 4 * app.settings.PenWidth;
    return {app.penPoint.x - half, app.penPoint.y - half, app.penPoint.x + half,
            app.penPoint.y + half};
}

std::optional<DWORD> StoredDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// A key down or up in this thread's keyboard state, which GetKeyState reads.
void HoldKey(int key, bool down) {
    BYTE keyboard[256];
    GetKeyboardState(keyboard);
    keyboard[key] = down ? 0x80 : 0;
    SetKeyboardState(keyboard);
}

std::vector<std::pair<DWORD, DWORD>> beeps;  // frequency, duration
BOOL WINAPI RecordBeep(DWORD frequency, DWORD durationMs) {
    beeps.emplace_back(frequency, durationMs);
    return TRUE;
}

// Stands in for the system's pen information.
struct PenStandIn {
    POINTER_INPUT_TYPE type = PT_PEN;
    PEN_FLAGS flags = PEN_FLAG_ERASER;
    BOOL succeeds = TRUE;
    std::vector<UINT32> askedFor;
};
PenStandIn penStandIn;
BOOL WINAPI StandInPenInfo(UINT32 pointerId, void* out) {
    penStandIn.askedFor.push_back(pointerId);
    auto* info = static_cast<POINTER_PEN_INFO*>(out);
    info->pointerInfo.pointerType = penStandIn.type;
    info->pointerInfo.pointerId = pointerId;
    info->penFlags = penStandIn.flags;
    return penStandIn.succeeds;
}

// A 640 x 480 picture file, its left half in one colour and its right half in another.
constexpr COLORREF kPictureLeft = RGB(30, 160, 90);
constexpr COLORREF kPictureRight = RGB(240, 200, 20);
std::wstring WriteTwoColourPicture() {
    constexpr int width = 640;
    constexpr int height = 480;
    std::vector<uint32_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(i % width < width / 2 ? 0x1EA05A : 0xF0C814);  // as the colours above
    }
    const BITMAPINFO info = TopDown32(width, height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size() * 4);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"vistrel-pad.bmp";
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(handle, &file, sizeof file, &written, nullptr);
    WriteFile(handle, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
    WriteFile(handle, pixels.data(), static_cast<DWORD>(pixels.size() * 4), &written, nullptr);
    CloseHandle(handle);
    return path;
}

void SetPadPicture(int32_t& use, Utf16Unit (&file)[kSettingTextUnits], const std::wstring& path) {
    use = 1;
    ASSERT_LT(path.size(), static_cast<size_t>(kSettingTextUnits));
    std::copy(path.begin(), path.end(), file);
    file[path.size()] = 0;
}

class Drawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
        slide = new Slide;
    }
    static void TearDownTestSuite() {
        delete slide;
        Gdiplus::GdiplusShutdown(gdiplusToken);
    }

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
        DWORD shown = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"OptionShown", REG_DWORD, &shown,
                        sizeof shown);
        ResetAppState();
        BindOptionalFunctions();
        window = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr);
        zoomExitPauseMs = 0;
        beeps.clear();
        undoBeep = RecordBeep;
        penStandIn = {};
    }
    void TearDown() override {
        if (app.zoomActive) {
            app.settings.AnimateZoom = 0;
            PressZoomHotkey();
        }
        HoldKey(VK_TAB, false);
        for (int id = 0; id < 4; ++id) {
            UnregisterHotKey(window, id);
        }
        DestroyWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        ReleaseOptionalFunctions();
        zoomExitPauseMs = 250;
        undoBeep = Beep;
    }

    void PressZoomHotkey() { SendMessageW(window, WM_HOTKEY, 0, 0); }
    // The draw hotkey: the capture at 1.0, drawing at once where the pointer is. (Under Wine
    // the pointer can lag behind SetCursorPos, so the tests never rely on where that is: they
    // move the pen where they need it, as the presenter would.)
    void EnterDrawing() {
        ASSERT_TRUE(WaitUntil(Slide::OnScreen)) << "the slide does not show";
        SendMessageW(window, WM_HOTKEY, 2, 0);
        ASSERT_EQ(app.drawMode, 1);
    }
    // The zoom hotkey without animation: magnification 2 at rest around the screen's centre,
    // not drawing yet.
    void EnterZoomAtTwo() {
        app.settings.AnimateZoom = 0;
        ASSERT_TRUE(WaitUntil(Slide::OnScreen)) << "the slide does not show";
        PressZoomHotkey();
        ASSERT_EQ(app.currentZoom, 2.0f);
        Move(960, 540);
    }
    void Move(int x, int y, WPARAM keys = 0) {
        SendMessageW(window, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
    }
    void Press(int x, int y, WPARAM keys = 0) {
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
    }
    void Release(int x, int y) { SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void RightClick() { SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, 0); }
    // As the mouse does it: up to the first point, press, through the others, release, and the
    // pen put aside so its marker is out of the way.
    void Stroke(std::initializer_list<POINT> path, WPARAM keys = 0) {
        const POINT first = *path.begin();
        Move(first.x, first.y);
        Press(first.x, first.y, keys);
        for (POINT p : path) {
            Move(p.x, p.y, MK_LBUTTON | keys);
        }
        const POINT last = *(path.end() - 1);
        Release(last.x, last.y);
        Move(kAside.x, kAside.y);
    }
    void Key(WPARAM key) { SendMessageW(window, WM_KEYDOWN, key, 0); }
    void CtrlZ() {
        HoldKey(VK_CONTROL, true);
        Key('Z');
        HoldKey(VK_CONTROL, false);
    }
    void Wheel(short delta) {
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, delta), 0);
    }
    LRESULT PointerDown(UINT32 pointerId) {
        const WORD flags = POINTER_MESSAGE_FLAG_NEW | POINTER_MESSAGE_FLAG_INCONTACT;
        return SendMessageW(window, WM_POINTERDOWN, MAKEWPARAM(pointerId, flags),
                            MAKELPARAM(600, 400));
    }

    static inline ULONG_PTR gdiplusToken = 0;
    static inline Slide* slide = nullptr;
    HWND window = nullptr;
};

TEST_F(Drawing, EnteringLeavesOnlyTheMarkerAndAClickAndADragLeaveTheirPixels) {
    EnterDrawing();
    EXPECT_EQ(app.imageModified, 1);
    EXPECT_EQ(UndoDepth(), 1);
    EXPECT_EQ(app.penPoint.x, app.zoomPoint.x);
    EXPECT_EQ(app.penPoint.y, app.zoomPoint.y);
    EXPECT_EQ(Pixel(app.penPoint.x, app.penPoint.y), kRed);  // the entry marker: a pen dot
    Move(kAside.x, kAside.y);
    EXPECT_TRUE(SameImage(WorkingImage(), CleanCapture(), MarkerSquare()));
    EXPECT_EQ(Pixel(kAside.x, kAside.y), kRed);

    Stroke({{200, 200}});
    EXPECT_EQ(Pixel(200, 200), kRed);
    EXPECT_EQ(Pixel(205, 200), kSlide);
    EXPECT_EQ(Pixel(200, 205), kSlide);
    Stroke({{300, 300}, {350, 300}, {350, 350}, {400, 350}});
    for (int i = 0; i <= 50; ++i) {
        EXPECT_EQ(Pixel(300 + i, 300), kRed) << i;
        EXPECT_EQ(Pixel(350, 300 + i), kRed) << i;
        EXPECT_EQ(Pixel(350 + i, 350), kRed) << i;
    }
    EXPECT_EQ(Pixel(325, 325), kSlide);
    EXPECT_EQ(Pixel(404, 350), kSlide);  // the marker at the release has gone with the pen
    EXPECT_EQ(Pixel(400, 355), kSlide);
    EXPECT_EQ(UndoDepth(), 3);
}

TEST_F(Drawing, AtZoomTwoAStrokeLandsAndRepaintsWhereTheViewShowsIt) {
    EnterZoomAtTwo();
    Press(960, 540);  // enters drawing; the view shows the image from (480, 270)
    Release(960, 540);
    ASSERT_EQ(app.drawMode, 1);
    EXPECT_EQ(app.penPoint.x, 960);
    EXPECT_EQ(app.penPoint.y, 540);

    Move(100, 100);
    Press(100, 100);
    ValidateRect(window, nullptr);
    Move(300, 100, MK_LBUTTON);
    RECT repaint = {};
    GetUpdateRect(window, &repaint, FALSE);
    // Image segment (530, 320)-(630, 320) with room for the cross marker (3 x 3 + 1), doubled
    // from the view's origin.
    EXPECT_EQ(repaint.left, 80);
    EXPECT_EQ(repaint.top, 80);
    EXPECT_EQ(repaint.right, 320);
    EXPECT_EQ(repaint.bottom, 120);
    Release(300, 100);
    EXPECT_EQ(Pixel(530, 320), kRed);
    EXPECT_EQ(Pixel(580, 320), kRed);
    EXPECT_EQ(Pixel(620, 320), kRed);
}

TEST_F(Drawing, ACtrlDragDrawsAHollowRectangleAndNoPreviewStays) {
    EnterDrawing();
    Move(400, 400);
    Press(400, 400, MK_CONTROL);
    EXPECT_EQ(app.shapeKind, 1);
    const Image before = WorkingImage();
    Move(500, 450, MK_LBUTTON | MK_CONTROL);
    const Image firstPreview = WorkingImage();
    EXPECT_NE(Pixel(400, 425), kSlide);  // the rubber band shows
    Move(600, 500, MK_LBUTTON | MK_CONTROL);
    Move(500, 450, MK_LBUTTON | MK_CONTROL);
    EXPECT_TRUE(SameImage(WorkingImage(), firstPreview)) << "back where it was";
    Move(600, 500, MK_LBUTTON | MK_CONTROL);
    Release(600, 500);
    const Image expected = Drawn(before, [](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 400, 400, 600, 500);
    });
    EXPECT_TRUE(SameImage(WorkingImage(), expected));
    EXPECT_EQ(Pixel(400, 450), kRed);
    EXPECT_EQ(Pixel(500, 450), kSlide);
    EXPECT_EQ(app.shapeKind, 0);
    EXPECT_EQ(app.strokeActive, 0);

    // Pressed and released at one point: nothing drawn, but the press can be undone.
    const Image unchanged = WorkingImage();
    Press(700, 700, MK_CONTROL);
    Release(700, 700);
    EXPECT_TRUE(SameImage(WorkingImage(), unchanged));
    EXPECT_EQ(UndoDepth(), 3);
}

TEST_F(Drawing, AShiftDragSnapsToAnExactlyHorizontalLine) {
    // A one-pixel pen shows exactly which pixels the line covers. (It is pressed without a
    // hover first: a one-pixel pen's 8-pixel save-under is smaller than the cross marker.)
    app.settings.PenWidth = 1;
    EnterDrawing();
    Press(100, 100, MK_SHIFT);
    EXPECT_EQ(app.shapeKind, 3);
    Move(200, 103, MK_LBUTTON | MK_SHIFT);
    Move(300, 105, MK_LBUTTON | MK_SHIFT);
    Release(300, 105);
    for (int y = 90; y <= 110; ++y) {
        for (int x = 90; x <= 310; ++x) {
            const bool onLine = y == 100 && x >= 100 && x <= 300;
            ASSERT_EQ(Pixel(x, y), onLine ? kRed : kSlide) << x << ", " << y;
        }
    }
}

TEST_F(Drawing, TabHeldAtThePressDrawsAHollowEllipse) {
    EnterDrawing();
    HoldKey(VK_TAB, true);
    Move(700, 300);
    Press(700, 300);
    EXPECT_EQ(app.shapeKind, 2);
    Move(900, 400, MK_LBUTTON);
    Release(900, 400);
    EXPECT_EQ(Pixel(800, 301), kRed);  // top of the outline
    EXPECT_EQ(Pixel(800, 350), kSlide);
}

TEST_F(Drawing, AShiftCtrlDragDrawsAFilledArrowPointingAtThePress) {
    EnterDrawing();
    auto dragArrow = [this](POINT from, POINT to, const std::vector<POINT>& polygon) {
        const WPARAM keys = MK_SHIFT | MK_CONTROL;
        Move(from.x, from.y);
        Press(from.x, from.y, keys);
        EXPECT_EQ(app.shapeKind, 4);
        const Image before = WorkingImage();
        Move((from.x + to.x) / 2, (from.y + to.y) / 2 + 30, MK_LBUTTON | keys);
        Move(to.x, to.y, MK_LBUTTON | keys);
        Release(to.x, to.y);
        const Image expected = Drawn(before, [&polygon](HDC dc) {
            HBRUSH brush = CreateSolidBrush(kRed);
            HGDIOBJ previous = SelectObject(dc, brush);
            Polygon(dc, polygon.data(), static_cast<int>(polygon.size()));
            SelectObject(dc, previous);
            DeleteObject(brush);
        });
        EXPECT_TRUE(SameImage(WorkingImage(), expected));
    };
    // Snapped: the tail one pixel up, at (100, 499).
    dragArrow({500, 500}, {100, 500},
              {{100, 499}, {494, 500}, {488, 506}, {500, 500}, {488, 494}, {494, 500}});
    EXPECT_EQ(Pixel(494, 500), kRed);  // the head between notch and tip
    EXPECT_EQ(Pixel(300, 499), kRed);  // the shaft
    EXPECT_EQ(Pixel(488, 510), kSlide);
    dragArrow({1100, 100}, {1400, 500},
              {{1400, 500}, {1103, 104}, {1110, 106}, {1100, 100}, {1102, 112}, {1103, 104}});
}

TEST_F(Drawing, CtrlZStepsBackSevenStrokesThenBeeps) {
    EnterDrawing();
    Move(kAside.x, kAside.y);
    std::vector<Image> afterStroke;
    for (int i = 0; i < 8; ++i) {
        const int x = 200 + 150 * i;
        Stroke({{x, 300}, {x + 60, 300}, {x + 60, 360}});
        afterStroke.push_back(WorkingImage());
    }
    // Nine presses pushed nine snapshots; the oldest two (the capture and the first stroke's
    // press) were dropped.
    EXPECT_EQ(UndoDepth(), 7);
    for (int undo = 1; undo <= 7; ++undo) {
        CtrlZ();
        EXPECT_TRUE(SameImage(WorkingImage(), afterStroke[7 - undo])) << "undo " << undo;
    }
    EXPECT_TRUE(beeps.empty());
    CtrlZ();
    CtrlZ();
    EXPECT_EQ(beeps, (std::vector<std::pair<DWORD, DWORD>>{{700, 200}, {700, 200}}));
    EXPECT_TRUE(SameImage(WorkingImage(), afterStroke[0])) << "the first stroke stays";
}

TEST_F(Drawing, CtrlZNeedsCtrlAChangeAndNoStrokeInProgress) {
    EnterZoomAtTwo();  // nothing drawn yet
    const Image captured = WorkingImage();
    CtrlZ();
    Key('E');
    EXPECT_TRUE(beeps.empty());
    EXPECT_TRUE(SameImage(WorkingImage(), captured));
    PressZoomHotkey();

    EnterDrawing();
    Stroke({{300, 300}, {400, 300}});
    const Image drawn = WorkingImage();
    Key('Z');
    EXPECT_TRUE(SameImage(WorkingImage(), drawn));
    EXPECT_EQ(UndoDepth(), 2);
    Move(300, 500);
    Press(300, 500);
    CtrlZ();  // the button is held
    EXPECT_EQ(UndoDepth(), 3);
    Release(300, 500);
    EXPECT_TRUE(beeps.empty());
}

TEST_F(Drawing, EraseAllRemovesPadAndStrokesForGood) {
    EnterDrawing();
    Stroke({{300, 300}, {400, 300}});
    Key('K');
    EXPECT_EQ(app.padKind, 'K');
    Key('E');
    EXPECT_TRUE(SameImage(WorkingImage(), CleanCapture(), MarkerSquare()));
    EXPECT_EQ(Pixel(kAside.x, kAside.y), kRed);  // the marker stays with the pen
    EXPECT_EQ(app.padKind, 0);
    EXPECT_EQ(app.undoStack, nullptr);
    CtrlZ();
    EXPECT_EQ(beeps.size(), 1u);

    // Outside drawing mode nothing is left to undo, not even silently.
    Stroke({{300, 300}, {400, 300}});
    RightClick();
    ASSERT_EQ(app.drawMode, 0);
    Key('E');
    EXPECT_TRUE(SameImage(WorkingImage(), CleanCapture()));
    EXPECT_EQ(app.imageModified, 0);
    CtrlZ();
    EXPECT_EQ(beeps.size(), 1u);
}

TEST_F(Drawing, WInPlainZoomShowsTheWhitePadAndTwoUndosGoBackToTheCapture) {
    EnterZoomAtTwo();
    const Image captured = CleanCapture();
    Key('W');
    ASSERT_EQ(app.drawMode, 1);
    EXPECT_EQ(app.padKind, 'W');
    EXPECT_EQ(UndoDepth(), 2);
    const Image white = {captured.width, captured.height,
                         std::vector<uint32_t>(captured.pixels.size(), 0xFFFFFF)};
    EXPECT_TRUE(SameImage(WorkingImage(), white, MarkerSquare()));
    EXPECT_EQ(Pixel(app.penPoint.x, app.penPoint.y), kRed);

    CtrlZ();  // the pad goes
    EXPECT_TRUE(SameImage(WorkingImage(), captured, MarkerSquare()));
    EXPECT_EQ(UndoDepth(), 1);
    CtrlZ();  // the snapshot taken when drawing began
    EXPECT_TRUE(SameImage(WorkingImage(), captured, MarkerSquare()));
    EXPECT_EQ(UndoDepth(), 0);
    EXPECT_TRUE(beeps.empty());
    CtrlZ();
    EXPECT_EQ(beeps.size(), 1u);
    EXPECT_EQ(app.padKind, 'W');  // undo brings back pixels only
}

TEST_F(Drawing, TheBlackPadShowsItsPictureStretchedToTheCapture) {
    const std::wstring picture = WriteTwoColourPicture();
    SetPadPicture(app.settings.UseBKBmpK, app.settings.KPadBackgroundFile, picture);
    EnterDrawing();
    Move(kAside.x, kAside.y);
    Key('K');
    ASSERT_NE(app.padPictureDC, nullptr);
    for (POINT p : {POINT{5, 5}, POINT{940, 540}, POINT{10, 1070}}) {
        EXPECT_EQ(Pixel(p.x, p.y), kPictureLeft) << p.x << ", " << p.y;
    }
    for (POINT p : {POINT{980, 540}, POINT{1440, 540}, POINT{1910, 1070}, POINT{1910, 5}}) {
        EXPECT_EQ(Pixel(p.x, p.y), kPictureRight) << p.x << ", " << p.y;
    }
    DeleteFileW(picture.c_str());

    // A picture that cannot be read leaves the plain pad.
    SetPadPicture(app.settings.UseBKBmpW, app.settings.WPadBackgroundFile, picture);
    Key('W');
    EXPECT_EQ(app.padPictureDC, nullptr);
    EXPECT_EQ(Pixel(1440, 540), kWhite);
    EXPECT_EQ(Pixel(5, 5), kWhite);
}

TEST_F(Drawing, CtrlWheelChangesThePenWidthWithinItsLimits) {
    EnterDrawing();
    Wheel(30);  // a high-resolution notch counts as one
    EXPECT_EQ(app.settings.PenWidth, 4);
    EXPECT_EQ(StoredDword(L"PenWidth"), 4u);
    Wheel(240);
    EXPECT_EQ(app.settings.PenWidth, 6);
    EXPECT_EQ(StoredDword(L"PenWidth"), 6u);
    LOGPEN pen = {};
    GetObjectW(app.pen, sizeof pen, &pen);
    EXPECT_EQ(pen.lopnWidth.x, 6);
    EXPECT_EQ(app.drawMode, 1);
    EXPECT_EQ(UndoDepth(), 1);  // re-entering drawing takes no snapshot
    Move(kAside.x, kAside.y);
    EXPECT_TRUE(SameImage(WorkingImage(), CleanCapture(), MarkerSquare())) << "an old marker";
    PressZoomHotkey();

    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"PenWidth");
    app.settings.PenWidth = 30;
    EnterDrawing();
    Wheel(120);
    EXPECT_EQ(app.settings.PenWidth, 30);
    PressZoomHotkey();
    app.settings.PenWidth = 2;
    EnterDrawing();
    Wheel(-120);
    EXPECT_EQ(app.settings.PenWidth, 2);
    EXPECT_EQ(StoredDword(L"PenWidth"), std::nullopt) << "a refused width is not stored";
}

TEST_F(Drawing, ColourKeysPickTheirSlotStoreItAndColourWhatFollows) {
    EnterDrawing();
    Move(kAside.x, kAside.y);
    Key('G');
    EXPECT_EQ(app.settings.PenColor, kGreen);
    EXPECT_EQ(StoredDword(L"PenColor"), kGreen);
    EXPECT_EQ(Pixel(kAside.x, kAside.y), kGreen);  // the marker takes the new colour at once
    Stroke({{300, 300}, {400, 300}});
    EXPECT_EQ(Pixel(350, 300), kGreen);

    Key('B');
    EXPECT_EQ(StoredDword(L"PenColor"), kBlue);
    LOGPEN pen = {};
    GetObjectW(app.pen, sizeof pen, &pen);
    EXPECT_EQ(pen.lopnColor, kBlue);
    Key('R');
    EXPECT_EQ(StoredDword(L"PenColor"), kRed);
    Key('Q');
    EXPECT_EQ(app.settings.PenColor, kRed);
}

TEST_F(Drawing, StickyKeysAreSavedOnceAndWrittenBackOnce) {
    STICKYKEYS system = {sizeof system, 0};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof system, &system, 0));
    SuppressStickyKeys();
    ASSERT_EQ(app.savedStickyKeys.cbSize, 8u);
    EXPECT_EQ(app.savedStickyKeys.dwFlags, system.dwFlags);
    // The presenter's own record, as the first of two suppressions would have saved it.
    const DWORD presenters = SKF_AVAILABLE | SKF_HOTKEYACTIVE;
    app.savedStickyKeys.dwFlags = presenters;
    SuppressStickyKeys();
    EXPECT_EQ(app.savedStickyKeys.dwFlags, presenters);
    RestoreStickyKeys();
    EXPECT_EQ(app.savedStickyKeys.cbSize, 0u);

    EnterDrawing();
    EXPECT_EQ(app.savedStickyKeys.cbSize, 8u);
    RightClick();
    EXPECT_EQ(app.savedStickyKeys.cbSize, 0u);
    Move(kAside.x, kAside.y);
    Press(kAside.x, kAside.y);
    EXPECT_EQ(app.savedStickyKeys.cbSize, 8u);
    PressZoomHotkey();
    EXPECT_EQ(app.savedStickyKeys.cbSize, 0u);
}

TEST_F(Drawing, ThePenEraserUndoesOneStepPerTouch) {
    optionalFunctions.GetPointerPenInfo = StandInPenInfo;
    EnterDrawing();
    Move(kAside.x, kAside.y);
    const Image entered = WorkingImage();
    Stroke({{300, 300}, {400, 300}});
    EXPECT_EQ(PointerDown(7), 0);
    EXPECT_EQ(penStandIn.askedFor, std::vector<UINT32>{7});
    EXPECT_TRUE(SameImage(WorkingImage(), entered));
    EXPECT_EQ(PointerDown(7), 0);
    EXPECT_EQ(UndoDepth(), 0);
    EXPECT_TRUE(beeps.empty());
    PointerDown(7);  // nothing left: a beep, then the contact is ordinary input
    EXPECT_EQ(beeps.size(), 1u);
    EXPECT_TRUE(SameImage(WorkingImage(), entered));
}

TEST_F(Drawing, OtherPointerContactsAreLeftToDefaultHandling) {
    optionalFunctions.GetPointerPenInfo = StandInPenInfo;
    EnterZoomAtTwo();
    PointerDown(3);  // nothing drawn yet in this zoom
    EXPECT_TRUE(penStandIn.askedFor.empty());
    PressZoomHotkey();

    EnterDrawing();
    Stroke({{300, 300}, {400, 300}});
    const Image drawn = WorkingImage();
    auto expectNoUndo = [&](const char* what) {
        PointerDown(3);
        EXPECT_EQ(UndoDepth(), 2) << what;
        EXPECT_TRUE(SameImage(WorkingImage(), drawn)) << what;
    };
    penStandIn.flags = PEN_FLAG_NONE;
    expectNoUndo("the tip");
    penStandIn.flags = PEN_FLAG_ERASER;
    penStandIn.type = PT_TOUCH;
    expectNoUndo("a finger");
    penStandIn.type = PT_PEN;
    penStandIn.succeeds = FALSE;
    expectNoUndo("no pen information");
    penStandIn.succeeds = TRUE;
    optionalFunctions.GetPointerPenInfo = nullptr;
    expectNoUndo("no pointer input on this system");
    optionalFunctions.GetPointerPenInfo = StandInPenInfo;
    penStandIn.askedFor.clear();
    Move(300, 500);
    Press(300, 500);
    PointerDown(3);
    EXPECT_TRUE(penStandIn.askedFor.empty()) << "while a stroke is in progress";
    EXPECT_EQ(UndoDepth(), 3);
    Release(300, 500);
    EXPECT_TRUE(beeps.empty());
}

TEST_F(Drawing, EveryObjectOfADrawingZoomIsDeletedWhenItsOwnerIsDone) {
    const std::wstring picture = WriteTwoColourPicture();
    SetPadPicture(app.settings.UseBKBmpK, app.settings.KPadBackgroundFile, picture);
    EnterDrawing();
    auto snapshotObjects = [] {
        std::vector<HGDIOBJ> objects;
        for (const UndoSnapshot* s = app.undoStack; s != nullptr; s = s->next) {
            objects.insert(objects.end(), {s->dc, s->bitmap});
        }
        return objects;
    };
    Stroke({{200, 300}, {250, 300}});
    const std::vector<HGDIOBJ> oldestTwo = snapshotObjects();
    for (int i = 1; i < 8; ++i) {
        Stroke({{200 + 100 * i, 300}, {250 + 100 * i, 300}});
    }
    for (HGDIOBJ dropped : oldestTwo) {
        EXPECT_EQ(GetObjectType(dropped), 0u);
    }
    EXPECT_EQ(snapshotObjects().size(), 14u);
    const UndoSnapshot top = *app.undoStack;
    CtrlZ();
    EXPECT_EQ(GetObjectType(top.dc), 0u);
    EXPECT_EQ(GetObjectType(top.bitmap), 0u);

    HPEN firstPen = app.pen;
    Key('G');
    EXPECT_EQ(GetObjectType(firstPen), 0u);
    Key('K');
    const std::vector<HGDIOBJ> firstPad = {app.padPictureDC, app.padPictureBitmap};
    Key('K');
    for (HGDIOBJ object : firstPad) {
        EXPECT_EQ(GetObjectType(object), 0u);
    }

    std::vector<HGDIOBJ> zoomObjects = snapshotObjects();
    zoomObjects.insert(zoomObjects.end(),
                       {app.displayDC, app.imageDC, app.imageBitmap, app.cleanDC, app.cleanBitmap,
                        app.scratchDC, app.scratchBitmap, app.pen, app.typingFont});
    PressZoomHotkey();
    ASSERT_EQ(app.zoomActive, 0);
    for (HGDIOBJ object : zoomObjects) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
    EXPECT_EQ(app.undoStack, nullptr);
    EXPECT_EQ(app.pen, nullptr);
    // The pad picture outlives the zoom and goes with the window.
    const std::vector<HGDIOBJ> pad = {app.padPictureDC, app.padPictureBitmap};
    EXPECT_NE(GetObjectType(pad[0]), 0u);
    DestroyWindow(window);
    EXPECT_EQ(app.padPictureDC, nullptr);
    EXPECT_EQ(app.padPictureBitmap, nullptr);
    for (HGDIOBJ object : pad) {
        EXPECT_EQ(GetObjectType(object), 0u);
    }
    DeleteFileW(picture.c_str());
}

} // namespace
