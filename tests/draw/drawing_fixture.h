// The drawing tests' fixture: the real main window in the test's own process, driven with its
// messages, and the working image read back to compare with what GDI draws on a copy. The
// system's sticky-keys setting is a stand-in here (tests/support/main_window_fixture.cpp).
// (The pen-input types are Windows 8 headers; the program binds the function at run time.)
#pragma once

#undef _WIN32_WINNT
#undef WINVER
#define _WIN32_WINNT 0x0602
#define WINVER 0x0602
#include "draw/draw_geometry.h"
#include "draw/pen_state.h"
#include "draw/undo_stack.h"
#include "shell/optional_functions.h"
#include "support/main_window_fixture.h"
#include "support/mode_cycles.h"
#include "zoom/app_state.h"

inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr POINT kAside = {1700, 150}; // where the pen rests between strokes

using Image = std::vector<uint32_t>;    // top-down, of the capture's size
using Drawn = std::function<void(HDC)>; // what GDI draws for a drag

inline int beeps = 0; // the undo stack's, 700 Hz for 200 ms; any other sound counts a thousand
inline POINTER_PEN_INFO penInfo; // what the system's pen information says

// `draw` with a pen of its own.
inline Drawn WithPen(COLORREF colour, int width, Drawn draw) {
    return [=](HDC dc) {
        HGDIOBJ previous = SelectObject(dc, CreatePen(PS_SOLID, width, colour));
        draw(dc);
        DeleteObject(SelectObject(dc, previous));
    };
}

class Drawing : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateMain();
        app.settings.AnimateZoom = 0;
        beeps = 0;
        undoBeep = [](DWORD frequency, DWORD ms) -> BOOL {
            beeps += frequency == 700 && ms == 200 ? 1 : 1000;
            return TRUE;
        };
    }
    // A copy of `source` with `draw` applied by GDI itself, the default pen (red, 3 wide) in.
    static Image Read(HDC source, const Drawn& draw = nullptr) {
        const int w = app.captureWidth, h = app.captureHeight;
        BITMAPINFO info = {{sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        Image image(w * h);
        HDC dc = CreateCompatibleDC(source); // deleted first: it lets go of the bitmap
        HBITMAP copy = CreateCompatibleBitmap(source, w, h);
        SelectObject(dc, copy);
        BitBlt(dc, 0, 0, w, h, source, 0, 0, SRCCOPY);
        if (draw) {
            WithPen(kRed, 3, draw)(dc);
        }
        DeleteDC(dc);
        GetDIBits(source, copy, 0, h, image.data(), &info, DIB_RGB_COLORS);
        DeleteObject(copy);
        return image;
    }
    static Image WorkingImage() { return Read(app.imageDC); }
    static Image CleanCapture() { return Read(app.cleanDC); }
    static Image Expected(const Drawn& draw) { return Read(app.cleanDC, draw); }
    // The pixels that differ, but for those within `ignored` (the pen marker's square, say).
    static size_t Differences(const Image& actual, const Image& expected, RECT ignored = {}) {
        size_t differences = 0;
        for (size_t i = 0; i < actual.size(); ++i) {
            const POINT p = {LONG(i % app.captureWidth), LONG(i / app.captureWidth)};
            differences += actual[i] != expected[i] && !PtInRect(&ignored, p) ? 1 : 0;
        }
        return differences;
    }
    static RECT MarkerSquare() { // what the pen marker may cover around the pen
        const int half = 4 * ActivePenWidth(), x = app.penPoint.x, y = app.penPoint.y;
        return {x - half, y - half, x + half, y + half};
    }
    // With the pen moved aside, the pixels that differ from `expected` outside its marker.
    size_t AsideDifferences(const Image& expected) {
        Move(kAside);
        return Differences(WorkingImage(), expected, MarkerSquare());
    }
    void EnterDrawing() { // the draw hotkey: the capture at 1.0, drawing at once
        Hotkey(window, HotkeyId::Draw);
        ASSERT_EQ(app.drawMode, 1);
    }
    void EnterZoomAtTwo() { // the zoom hotkey, not animated: 2.0 around the screen's centre
        PressZoom();
        Move({960, 540});
    }
    void PressZoom() { Hotkey(window, HotkeyId::Zoom); }
    void Move(POINT p, WPARAM keys = 0) { Send(WM_MOUSEMOVE, keys, p); }
    void Press(POINT p, WPARAM keys = 0) { Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, p); }
    void Release(POINT p, WPARAM keys = 0) { Send(WM_LBUTTONUP, keys, p); }
    void RightClick() { Send(WM_RBUTTONDOWN, MK_RBUTTON, {}); }
    void Wheel(int delta, WPARAM keys = 0) { Send(WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), {}); }
    void Send(UINT message, WPARAM wParam, POINT p) {
        SendMessageW(window, message, wParam, MAKELPARAM(p.x, p.y));
    }
    // Press at the first point, on through the others, release at the last and put the pen out
    // of the way.
    void Stroke(const std::vector<POINT>& path, WPARAM keys = 0) {
        Move(path.front());
        Press(path.front(), keys);
        for (auto p = path.begin() + 1; p != path.end(); ++p) {
            Move(*p, MK_LBUTTON | keys);
        }
        Release(path.back());
        Move(kAside);
    }
    void Key(WPARAM key) { SendMessageW(window, WM_KEYDOWN, key, 0); }
    void StartTyping() { SendMessageW(window, WM_KEYUP, 'T', 0xC0000001); } // a real key-up
    void Type(const wchar_t* text) { // one WM_CHAR per UTF-16 unit
        for (; *text != 0; ++text) {
            SendMessageW(window, WM_CHAR, *text, 1);
        }
    }
    // As Windows delivers it: the key, then the character TranslateMessage makes of it (which
    // typing takes as undo).
    void CtrlZ() {
        HoldKey(VK_CONTROL, true);
        Key('Z');
        SendMessageW(window, WM_CHAR, 0x1A, 1);
        HoldKey(VK_CONTROL, false);
    }
    // A contact of pointer 7 whose pen information says `flags`.
    void PenTouch(PEN_FLAGS flags, POINTER_INPUT_TYPE type = PT_PEN) {
        penInfo = {};
        penInfo.pointerInfo.pointerType = type;
        penInfo.penFlags = flags;
        optionalFunctions.GetPointerPenInfo = [](UINT32, void* out) -> BOOL {
            return *static_cast<POINTER_PEN_INFO*>(out) = penInfo, TRUE;
        };
        SendMessageW(window, WM_POINTERDOWN, 7, 0);
    }
};

// What a freehand drag through `path` draws: a dot at the press, a line on to each point and,
// when the button came up, a dot at the release.
inline Drawn Track(std::vector<POINT> path, bool released = true) {
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
// A drag with a shape's keys held.
inline Drawn Box(int left, int top, int right, int bottom, bool oval = false) {
    return [=](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        (oval ? Ellipse : Rectangle)(dc, left, top, right, bottom);
    };
}
inline Drawn Line(POINT from, POINT to) {
    return [=](HDC dc) { MoveToEx(dc, from.x, from.y, nullptr), LineTo(dc, to.x, to.y); };
}
inline Drawn Arrow(POINT tip, POINT tail, int head = 12) { // the corners the program takes
    return [=](HDC dc) {
        std::vector<POINT> corners;
        for (CapturePoint c : ArrowPolygon({tip.x, tip.y}, {tail.x, tail.y}, head, head)) {
            corners.push_back({c.x, c.y});
        }
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCBrushColor(dc, kRed);
        Polygon(dc, corners.data(), 6);
    };
}
inline Drawn Both(Drawn first, Drawn second) {
    return [=](HDC dc) { first(dc), second(dc); };
}
