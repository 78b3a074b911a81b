// End to end: typing on the frozen screen, compared with the same text drawn here in the same
// font; Ctrl+C and Ctrl+S through Wine's real save dialog, their pictures decoded against the
// coordinate slide.
#include <memory>

#include "e2e/program_test.h"

#include <objidl.h>
#include <gdiplus.h>

namespace {

constexpr int kWidth = 1920, kHeight = 1080; // the test desktop
constexpr POINT kTextAt = {400, 300};        // the pen, where typing starts
constexpr CapturePoint kZoomPoint = {700, 400};

// Pixels around the pen that differ from `typed` drawn here, 0 once the screen shows it: each
// character on its own in red, Enter ('\r') starting a line one "X" lower under the first, the
// caret "|" last. The typing font at magnification 1 is the system's GUI font, weight 400, a
// tenth as high as the screen.
int PixelsOffTheText(const std::wstring& typed) {
    const Screenshot expected = Painted(kWidth, kHeight, [&](HDC dc) {
        PatBlt(dc, 0, 0, kWidth, kHeight, WHITENESS);
        LOGFONTW logFont = {};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
        logFont.lfWeight = FW_NORMAL;
        logFont.lfHeight = kHeight / 10;
        HGDIOBJ previous = SelectObject(dc, CreateFontIndirectW(&logFont));
        SetTextColor(dc, RGB(255, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        RECT line = {};
        DrawTextW(dc, L"X", 1, &line, DT_CALCRECT);
        POINT at = kTextAt;
        for (const wchar_t c : typed + L"|") {
            at = c == L'\r' ? POINT{kTextAt.x, at.y + line.bottom} : at;
            RECT r = {at.x, at.y, at.x, at.y};
            DrawTextW(dc, &c, 1, &r, DT_CALCRECT);
            DrawTextW(dc, &c, 1, &r, 0);
            at.x = r.right;
        }
        DeleteObject(SelectObject(dc, previous));
    });
    int off = 0;
    WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        off = 0;
        for (int y = kTextAt.y - 10; y < kTextAt.y + 400; ++y) {
            for (int x = kTextAt.x - 10; x < kTextAt.x + 700; ++x) {
                off += shot.At(x, y) != expected.At(x, y);
            }
        }
        return off == 0;
    });
    return off;
}

// Pixels of `picture` that do not show the coordinate slide zoomed twice around kZoomPoint,
// stretched to the picture's size.
int PixelsOffTheView(const Screenshot& picture) {
    const CapturePoint origin = ZoomedSource(2.0f, kZoomPoint, kWidth, kHeight, 0, 0);
    const int visibleWidth = VisibleExtent(kWidth, 2.0f),
              visibleHeight = VisibleExtent(kHeight, 2.0f);
    int off = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const DecodedPoint shown = DecodePattern(picture.At(x, y));
            off += shown.x != origin.x + x * visibleWidth / picture.width ||
                   shown.y != origin.y + y * visibleHeight / picture.height;
        }
    }
    return off;
}

// A saved PNG file read back with GDI+.
Screenshot SavedPicture(const wchar_t* name) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    Gdiplus::GpBitmap* image = nullptr;
    HBITMAP bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateBitmapFromFile(TempPath(name).c_str(), &image);
    Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, 0);
    Gdiplus::DllExports::GdipDisposeImage(image);
    Gdiplus::GdiplusShutdown(token);
    Screenshot saved = PixelsOfBitmap(bitmap);
    DeleteObject(bitmap);
    return saved;
}

// Its size, and the view in every pixel.
void ExpectSavedView(const wchar_t* name, int width, int height) {
    const Screenshot saved = SavedPicture(name);
    EXPECT_EQ(std::pair(saved.width, saved.height), std::pair(width, height)) << "in " << name;
    EXPECT_EQ(PixelsOffTheView(saved), 0) << "in " << name;
}

class TypeAndSave : public ProgramTest {
  protected:
    void StartOver(SlideFill fill, POINT at) {
        MoveMouseTo(at);
        slide = std::make_unique<PatternWindow>(fill);
        ASSERT_NO_FATAL_FAILURE(StartProgram());
    }
    // Ctrl+S, then the dialog driven from outside: the type (0 zoomed, 1 actual size), the name
    // in the temporary folder, Save; until the dialog is gone and the program has saved.
    void SaveWithDialog(int type, const wchar_t* name) {
        ASSERT_TRUE(WaitForKeys());
        PressWithCtrl('S');
        HWND dialog = WaitForDialog(Id(), 10000);
        ASSERT_EQ(ReadDialog(dialog).caption, L"Save zoomed screen...");
        HWND types = GetDlgItem(dialog, 1136);
        SendMessageW(types, CB_SETCURSEL, type, 0);
        for (const WORD notification : {CBN_SELENDOK, CBN_SELCHANGE}) { // as a choice tells it
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1136, notification), LPARAM(types));
        }
        HWND nameBox = FindWindowExW(GetDlgItem(dialog, 1148), nullptr, L"ComboBox", nullptr);
        SendMessageW(FindWindowExW(nameBox, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                     LPARAM(TempPath(name).c_str()));
        ASSERT_TRUE(CloseDialog(dialog, IDOK));
        ASSERT_TRUE(SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr));
    }
    std::unique_ptr<PatternWindow> slide;
};

TEST_F(TypeAndSave, TypedTextBackspaceEnterAndLettersThatArePenKeysElsewhere) {
    ASSERT_NO_FATAL_FAILURE(StartOver(SlideFill::White, kTextAt));
    PressWithCtrl(kDrawKey);
    ASSERT_TRUE(WaitForKeys());
    PressKey('T'); // typing starts at the pen when the key is released
    PressKey('A');
    PressKey('B');
    EXPECT_EQ(PixelsOffTheText(L"ab"), 0);
    for (const WORD key :
         std::initializer_list<WORD>{VK_BACK, 'C', VK_RETURN, 'R'}) { // R typed, not the red pen
        PressKey(key);
    }
    EXPECT_EQ(PixelsOffTheText(L"ac\rr"), 0);
    EXPECT_EQ(StoredSetting(L"PenColor"), std::nullopt);
}

TEST_F(TypeAndSave, CopyAndBothSaveSizesShowTheViewAndANameGetsPng) {
    DeleteFileW(TempPath(L"zoomed.png").c_str());
    DeleteFileW(TempPath(L"actual.png").c_str());
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
    ASSERT_NO_FATAL_FAILURE(StartOver(SlideFill::Coordinates, {kZoomPoint.x, kZoomPoint.y}));
    PressWithCtrl(kZoomKey);
    ASSERT_TRUE(WaitUntil([] { return PixelsOffTheView(CaptureScreen()) == 0; }));
    ASSERT_TRUE(WaitForKeys());
    PressWithCtrl('C');
    const Screenshot copy = ClipboardPicture();
    EXPECT_EQ(std::pair(copy.width, copy.height), std::pair(1920, 1080));
    EXPECT_EQ(PixelsOffTheView(copy), 0); // the zoomed view, as the screen shows it

    ASSERT_NO_FATAL_FAILURE(SaveWithDialog(0, L"zoomed.png"));
    ExpectSavedView(L"zoomed.png", 1920, 1080);
    ASSERT_NO_FATAL_FAILURE(SaveWithDialog(1, L"actual"));
    ExpectSavedView(L"actual.png", 960, 540);
}

} // namespace
