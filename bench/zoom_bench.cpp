// Measures the zoom view in this process with the real main window: the hotkey to the first
// painted frame and where its time goes, WM_PAINT at 1.1, 1.5, 2, 4, 8 and 32 with each painter,
// panning, and drawing. Each figure is printed with min, median and 95th percentile in
// milliseconds, beside the floor it is held against and the ratio of the medians. Run it with
// tools/bench (which sets up the screen size); it is not part of the tests.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <vector>

#include "draw/pen.h"
#include "draw/undo_stack.h"
#include "settings/registry_store.h"
#include "shared/clock.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/monitor_view.h"
#include "zoom/view_scaler.h"
#include "zoom/zoom_view.h"

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

struct Figures {
    double min, median, p95;
};

Figures Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        return samples[std::min(samples.size() - 1,
                                static_cast<size_t>(fraction * samples.size()))];
    };
    return {samples.front(), at(0.5), at(0.95)};
}

// One line: the figures, and with a floor (> 0) the floor and median / floor.
Figures Report(const char* what, const std::vector<double>& samples, double floor = 0.0) {
    const Figures f = Summarise(samples);
    std::printf("%-46s %8.2f %8.2f %8.2f", what, f.min, f.median, f.p95);
    if (floor > 0.0) {
        std::printf(" %8.2f %6.2fx", floor, f.median / floor);
    }
    std::printf("\n");
    return f;
}

std::vector<double> Time(int runs, const std::function<void()>& setUp,
                         const std::function<void()>& work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        setUp();
        const double start = PerformanceCounterMs();
        work();
        GdiFlush();
        samples.push_back(PerformanceCounterMs() - start);
    }
    return samples;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

// A bare window of the screen's size whose WM_PAINT is one plain BitBlt of a capture-sized image:
// the floor for the view's paint, with the same BeginPaint/EndPaint around it (under Wine
// EndPaint is where the pixels go to the X server). With floorZoom set it first runs the view's
// scaler into a second image and paints that: what scaling costs in the least window there is.
struct FloorImage {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;
};
FloorImage floorSource, floorScaled;
float floorZoom = 0.0f;
ScalerScratch floorScratch;

FloorImage MakeFloorImage(HDC screen, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as the program's images
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    FloorImage image;
    void* pixels = nullptr;
    image.bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    image.pixels = static_cast<uint32_t*>(pixels);
    image.dc = CreateCompatibleDC(screen);
    image.previous = SelectObject(image.dc, image.bitmap);
    return image;
}

void DeleteFloorImage(FloorImage& image) {
    SelectObject(image.dc, image.previous);
    DeleteObject(image.bitmap);
    DeleteDC(image.dc);
    image = FloorImage{};
}

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HDC source = floorSource.dc;
        if (floorZoom != 0.0f && floorSource.pixels != nullptr && floorScaled.pixels != nullptr) {
            const int w = client.right, h = client.bottom;
            const int visibleWidth = VisibleExtent(w, floorZoom);
            const int visibleHeight = VisibleExtent(h, floorZoom);
            ScaleView(
                {floorSource.pixels, w, h, w},
                {(w - visibleWidth) / 2, (h - visibleHeight) / 2, visibleWidth, visibleHeight},
                {floorScaled.pixels, w, h, w}, {0, 0, w, h}, floorScratch);
            source = floorScaled.dc;
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Whole-window paints of `window`, one after the other (under Wine the X server may still be
// taking the last paint's pixels when the next one starts) or each after 20 ms of quiet, as
// when the view repaints at the pointer's pace.
std::vector<double> Paints(HWND window, int runs, bool settled = false) {
    return Time(
        runs,
        [&] {
            if (settled) {
                Sleep(20);
            }
            InvalidateRect(window, nullptr, FALSE);
        },
        [&] { UpdateWindow(window); });
}

// Makes `painter` the one the view paints with at `zoom` (as if it had measured faster).
void ForcePainter(float zoom, ViewPainter painter) {
    PainterChoice& choice = app.painterChoice;
    const int band = MagnificationBand(zoom);
    choice.scalerPaints[band] = choice.stretchBltPaints[band] = PainterChoice::kSamples;
    choice.scalerMs[band] = painter == ViewPainter::Scaler ? 0.0 : 1.0;
    choice.stretchBltMs[band] = painter == ViewPainter::Scaler ? 1.0 : 0.0;
}

void SetZoom(float zoom) {
    app.currentZoom = zoom;
    app.targetZoom = zoom;
}

} // namespace

int main() {
    DWORD shown = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"OptionShown", REG_DWORD, &shown,
                    sizeof shown);
    BindOptionalFunctions();
    HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
    if (window == nullptr) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    zoomExitPauseMs = 0;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %d x %d\n%-46s %8s %8s %8s %8s %7s\n", width, height, "operation (ms)",
                "min", "median", "p95", "floor", "ratio");

    // Floors: one screen capture, and a window painting a capture-sized image unscaled.
    HDC screen = GetDC(nullptr);
    floorSource = MakeFloorImage(screen, width, height);
    floorScaled = MakeFloorImage(screen, width, height);
    auto captureScreen = [&] {
        BitBlt(floorSource.dc, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    };
    const Figures capture = Report("floor: one screen capture", Time(
                                                                    30, [] {}, captureScreen));
    // A zoom starts after a quiet spell, when under Wine a capture costs more than in a series.
    const Figures settledCapture =
        Report("  each after 250 ms of quiet", Time(
                                                   20, [] { Sleep(250); }, captureScreen));
    ReleaseDC(nullptr, screen);

    WNDCLASSW floorClass = {};
    floorClass.lpfnWndProc = FloorWindowProc;
    floorClass.hInstance = GetModuleHandleW(nullptr);
    floorClass.lpszClassName = L"VistrelBenchFloor";
    RegisterClassW(&floorClass);
    HWND floorWindow =
        CreateWindowExW(WS_EX_TOPMOST, L"VistrelBenchFloor", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                        width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Pump();
    const Figures plain = Report("floor: plain BitBlt in WM_PAINT", Paints(floorWindow, 100));
    const Figures settledPlain =
        Report("  each from a settled screen", Paints(floorWindow, 100, true));
    constexpr float kZooms[] = {1.1f, 1.5f, 2.0f, 4.0f, 8.0f, 32.0f};
    double scaledFloor[std::size(kZooms)] = {};
    for (size_t i = 0; i < std::size(kZooms); ++i) {
        floorZoom = kZooms[i];
        char label[64];
        std::snprintf(label, sizeof label, "  that window scaling at %.1f first", floorZoom);
        scaledFloor[i] = Report(label, Paints(floorWindow, 100), plain.median).median;
    }
    floorZoom = 0.0f;
    // Showing the hidden window again and its first paint: under Wine each show of a window
    // this size makes its window surface afresh, whatever the program keeps.
    const Figures shownAndPainted =
        Report("floor: that window shown and painted once",
               Time(
                   20,
                   [&] {
                       ShowWindow(floorWindow, SW_HIDE);
                       Pump();
                       Sleep(100); // the desktop repaints what the window covered
                   },
                   [&] {
                       SetWindowPos(floorWindow, HWND_TOPMOST, 0, 0, width, height, SWP_SHOWWINDOW);
                       UpdateWindow(floorWindow);
                   }));
    DestroyWindow(floorWindow);
    Pump();

    // The hotkey to the first painted frame (at 1.1, the animation's first step), against one
    // capture plus one 60 Hz frame, and where the time goes.
    auto leave = [&] {
        if (app.zoomActive) {
            app.settings.AnimateZoom = 0;
            SendMessageW(window, WM_HOTKEY, 0, 0);
            app.settings.AnimateZoom = 1;
        }
        Pump();
    };
    // Each entry series runs twice: with the surfaces a previous zoom of this size kept (every
    // zoom but the first after start or after a quiet spell), and with fresh ones.
    ZoomEntryTimes entry = {};
    zoomEntryTimes = &entry;
    for (bool kept : {true, false}) {
        std::vector<double> surfaces, captures, copies, placing, firstPaint;
        const std::vector<double> entering = Time(
            30,
            [&] {
                leave();
                if (!kept) {
                    ReleaseSpareSurfaces();
                }
                Sleep(250); // the desktop repaints what the view covered, as before a real zoom
                Pump();
            },
            [&] {
                SendMessageW(window, WM_HOTKEY, 0, 0);
                const double shown = PerformanceCounterMs();
                UpdateWindow(window);
                GdiFlush();
                firstPaint.push_back(PerformanceCounterMs() - shown);
                surfaces.push_back(entry.surfaces);
                captures.push_back(entry.capture);
                copies.push_back(entry.cleanCopy);
                placing.push_back(entry.window);
            });
        Report(kept ? "hotkey to first painted frame, kept surfaces"
                    : "hotkey to first painted frame, fresh surfaces",
               entering, capture.median + kFrameMs);
        Report("  against one capture, the window shown and one frame", entering,
               capture.median + shownAndPainted.median + kFrameMs);
        Report("  against one capture after quiet and one frame", entering,
               settledCapture.median + kFrameMs);
        Report("  surfaces made", surfaces);
        Report("  the capture (against one after quiet)", captures, settledCapture.median);
        Report("  the clean copy, from memory", copies);
        Report("  window placed, shown with its first frame (at 1.1)", placing);
        // The window comes with its first frame painted (RevealPainted), so this only checks
        // that nothing is left: near the plain paint, the entry would have returned unpainted.
        Report("  left to paint after (already painted)", firstPaint, plain.median);
    }
    zoomEntryTimes = nullptr;
    KillTimer(window, 1);

    // The view's WM_PAINT with each painter, against the plain paint of the same size.
    Pump();
    if (!app.zoomActive || !IsWindowVisible(window)) {
        std::fprintf(stderr, "the zoom view is not open\n");
        return 1;
    }
    for (size_t i = 0; i < std::size(kZooms); ++i) {
        const float zoom = kZooms[i];
        SetZoom(zoom);
        for (ViewPainter painter : {ViewPainter::Scaler, ViewPainter::StretchBlt}) {
            ForcePainter(zoom, painter);
            char label[64];
            std::snprintf(label, sizeof label, "view WM_PAINT at %.1f, %s", zoom,
                          painter == ViewPainter::Scaler ? "scaler" : "StretchBlt");
            const std::vector<double> paints = Paints(window, 60);
            Report(label, paints, plain.median);
            if (painter == ViewPainter::Scaler) {
                Report("  against the bare window scaling the same", paints, scaledFloor[i]);
                Report("  each from a settled screen", Paints(window, 60, true),
                       settledPlain.median);
            }
        }
        // The scaler alone, without the paint around it: how much of its paint is the stretch.
        if (app.viewBits != nullptr) {
            const int visibleWidth = VisibleExtent(width, zoom);
            const int visibleHeight = VisibleExtent(height, zoom);
            const CapturePoint origin = ViewOrigin(zoom);
            Report("  the scaler alone",
                   Time(
                       60, [] {},
                       [&] {
                           ScaleView({app.imageBits, width, height, width},
                                     {origin.x, origin.y, visibleWidth, visibleHeight},
                                     {app.viewBits, width, height, width}, {0, 0, width, height},
                                     app.viewScratch);
                       }),
                   plain.median);
        }
    }

    // Panning: a mouse move and the repaint it causes, against one 60 Hz frame.
    app.painterChoice = PainterChoice{};
    for (float zoom : {2.0f, 4.0f}) {
        SetZoom(zoom);
        int step = 0;
        char label[64];
        std::snprintf(label, sizeof label, "pan: mouse move and repaint at %.0f", zoom);
        Report(label,
               Time(
                   120, [] {},
                   [&] {
                       ++step;
                       const int x = width / 4 + (step * 37) % (width / 2);
                       const int y = height / 4 + (step * 23) % (height / 2);
                       SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
                       UpdateWindow(window);
                   }),
               kFrameMs);
    }
    leave();

    // Drawing at magnification 1 (the draw hotkey) and at 2: one pointer message and the paint
    // it causes, with the area it invalidated, for the pen at its default width and for the pen
    // and the highlighter at the highlighter's; and undo snapshots against a plain image copy.
    const int32_t penWidth = app.settings.PenWidth;
    for (float zoom : {1.0f, 2.0f}) {
        SendMessageW(window, WM_HOTKEY, 2, 0); // drawing at 1.0
        if (zoom != 1.0f) {
            SetZoom(zoom);
        }
        UpdateWindow(window);
        Pump();
        const int cx = width / 2;
        const int cy = height / 2;
        long long area = 0;
        int step = 0;
        auto move = [&](WPARAM keys) {
            ++step;
            SendMessageW(window, WM_MOUSEMOVE, keys, MAKELPARAM(cx + (step % 40), cy + (step % 7)));
            RECT dirty = {};
            GetUpdateRect(window, &dirty, FALSE);
            area += static_cast<long long>(dirty.right - dirty.left) * (dirty.bottom - dirty.top);
            UpdateWindow(window);
        };
        char label[64];
        std::snprintf(label, sizeof label, "hover move + paint at %.0f", zoom);
        area = 0;
        Report(label,
               Time(
                   200, [] {}, [&] { move(0); }),
               kFrameMs);
        std::printf("%-46s %8.0f\n", "  mean invalidated pixels", area / 200.0);
        // A freehand drag of 200 moves; the figures of the highlighter's stand beside the pen's
        // of the same width.
        auto drag = [&](const char* what, double floor) {
            SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
            UpdateWindow(window); // the last drag's release repainted the whole window
            std::snprintf(label, sizeof label, "%s segment + paint at %.0f", what, zoom);
            area = 0;
            const Figures f = Report(label,
                                     Time(
                                         200, [] {}, [&] { move(MK_LBUTTON); }),
                                     floor);
            std::printf("%-46s %8.0f\n", "  mean invalidated pixels", area / 200.0);
            SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
            return f;
        };
        drag("freehand", kFrameMs);
        app.settings.PenWidth = app.settings.HighligterWidth;
        RebuildPen();
        const Figures wide = drag("pen 20 wide,", kFrameMs);
        app.settings.PenWidth = penWidth;
        app.settings.HighligterSupported = 1;
        app.highlighterChosen = 1;
        RebuildPen();
        drag("highlighter", wide.median);
        app.highlighterChosen = 0;
        app.settings.HighligterSupported = 0;
        leave();
    }

    // Undo snapshots against a plain copy of the image. A push made a fresh monitor-sized bitmap
    // whenever none was to spare; now the surfaces outlive the zoom and, with none kept (the first
    // zoom after start, or ten minutes after the last), the next is made ahead while the queue is
    // idle, as between a presenter's strokes. The copy's floor goes into seven bitmaps in turn,
    // as the stack's pushes do: into one bitmap again and again both stay in the processor's
    // cache at 1920 x 1080, which no push enjoys.
    {
        SendMessageW(window, WM_HOTKEY, 2, 0);
        struct Target {
            HDC dc;
            HBITMAP bitmap;
            HGDIOBJ old;
        };
        std::vector<Target> targets;
        for (int i = 0; i < kUndoDepth; ++i) {
            HDC dc = CreateCompatibleDC(app.imageDC);
            HBITMAP bitmap = CreateCompatibleBitmap(app.imageDC, width, height);
            targets.push_back({dc, bitmap, SelectObject(dc, bitmap)});
            PatBlt(dc, 0, 0, width, height, BLACKNESS); // mapped, as a kept surface is
        }
        size_t next = 0;
        const auto copyInTurn = [&] {
            BitBlt(targets[next++ % targets.size()].dc, 0, 0, width, height, app.imageDC, 0, 0,
                   SRCCOPY);
        };
        const Figures copying =
            Report("plain full-image BitBlt, 7 bitmaps in turn", Time(
                                                                     28, [] {}, copyInTurn));
        const Figures pausedCopying =
            Report("  each after 20 ms of quiet", Time(
                                                      28, [] { Sleep(20); }, copyInTurn));
        Report(
            "  into one bitmap again and again",
            Time(
                20, [] {},
                [&] { BitBlt(targets[0].dc, 0, 0, width, height, app.imageDC, 0, 0, SRCCOPY); }));
        for (Target& t : targets) {
            SelectObject(t.dc, t.old);
            DeleteObject(t.bitmap);
            DeleteDC(t.dc);
        }
        leave();
        // Each push after 20 ms of quiet, as a presenter's strokes come well after the zoom
        // shows (right after it the display server is still busy with the window); with
        // `prepare`, the queue is also served until the next surface is made. Four zooms of six
        // pushes each, since a zoom has only six after its entry's.
        auto pushes = [&](const char* what, bool keptSurfaces, bool prepare) {
            std::vector<double> samples;
            const auto quiet = [&] {
                Sleep(20); // no message is taken: the timer does not run
                for (int i = 0; i < 100 && prepare; ++i) {
                    Pump();
                    if (app.undoSpares != nullptr &&
                        app.undoSpares->rowsTouched >= app.captureHeight) {
                        break;
                    }
                    Sleep(20);
                }
            };
            for (int zoom = 0; zoom < 4; ++zoom) {
                if (!keptSurfaces) {
                    ReleaseSpareSurfaces();
                }
                SendMessageW(window, WM_HOTKEY, 2, 0); // its press pushes the first, borrowing
                const std::vector<double> some = Time(6, quiet, [] { PushUndoSnapshot(); });
                samples.insert(samples.end(), some.begin(), some.end());
                leave();
            }
            Report(what, samples, pausedCopying.median);
        };
        SendMessageW(window, WM_HOTKEY, 2, 0);
        app.imageModified = 0; // as before anything is drawn
        Report("undo push 1, nothing drawn (borrows)",
               Time(
                   1, [] {}, [] { PushUndoSnapshot(); }),
               copying.median);
        app.imageModified = 1;
        leave();
        pushes("undo push 2-7, fresh bitmaps (none ahead)", false, false);
        pushes("undo push 2-7, first zoom, made ahead", false, true);
        pushes("undo push 2-7, a later zoom (kept surfaces)", true, false);
        SendMessageW(window, WM_HOTKEY, 2, 0);
        Report("undo snapshot push on a full stack",
               Time(
                   50, [] {}, [] { PushUndoSnapshot(); }),
               copying.median);
        leave();
    }

    DeleteFloorImage(floorSource);
    DeleteFloorImage(floorScaled);
    DestroyWindow(window);
    ReleaseOptionalFunctions();
    return 0;
}
