// Measures the zoom view: WM_PAINT at several magnifications, EnterZoom from the hotkey to the
// first painted frame (with the screen capture measured apart), and a plain BitBlt of the same
// size as the floor to compare with. Prints min, median and 95th percentile in milliseconds.
// Run it with tools/bench (which sets up the screen size); it is not part of the tests.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "draw/undo_stack.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/zoom_view.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        return samples[std::min(samples.size() - 1, static_cast<size_t>(fraction * samples.size()))];
    };
    std::printf("%-44s %8.2f %8.2f %8.2f\n", what, samples.front(), at(0.5), at(0.95));
}

std::vector<double> Time(int runs, const std::function<void()>& setUp,
                         const std::function<void()>& work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        setUp();
        const double start = NowMs();
        work();
        GdiFlush();
        samples.push_back(NowMs() - start);
    }
    return samples;
}

// A window of the screen's size whose WM_PAINT is one plain BitBlt of a capture-sized image:
// the floor for the view's paint, with the same BeginPaint/EndPaint cost around it.
HDC floorSource = nullptr;

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        BitBlt(dc, 0, 0, client.right, client.bottom, floorSource, 0, 0, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
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
    app.settings.AnimateZoom = 0;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %d x %d\n%-44s %8s %8s %8s\n", width, height, "operation (ms)", "min",
                "median", "p95");

    // Floors: the screen capture itself, and a window painting a capture-sized image unscaled.
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC memory = CreateCompatibleDC(display);
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    Report("screen capture (BitBlt from the display)",
           Time(30, [] {}, [&] {
               BitBlt(memory, 0, 0, width, height, display, 0, 0, SRCCOPY | CAPTUREBLT);
           }));

    floorSource = memory;
    WNDCLASSW floorClass = {};
    floorClass.lpfnWndProc = FloorWindowProc;
    floorClass.hInstance = GetModuleHandleW(nullptr);
    floorClass.lpszClassName = L"VistrelBenchFloor";
    RegisterClassW(&floorClass);
    HWND floorWindow = CreateWindowExW(WS_EX_TOPMOST, L"VistrelBenchFloor", L"", WS_POPUP | WS_VISIBLE,
                                       0, 0, width, height, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    Pump();
    Report("plain BitBlt in WM_PAINT (floor)",
           Time(100, [&] { InvalidateRect(floorWindow, nullptr, FALSE); },
                [&] { UpdateWindow(floorWindow); }));
    DestroyWindow(floorWindow);
    Pump();

    auto enter = [&] {
        SendMessageW(window, WM_HOTKEY, 0, 0);
        UpdateWindow(window);
    };
    auto leave = [&] {
        if (app.zoomActive) {
            SendMessageW(window, WM_HOTKEY, 0, 0);
        }
        Pump();
    };
    Report("EnterZoom: hotkey to first painted frame", Time(30, leave, enter));

    // The last timed run left the zoom view open: paint into it.
    Pump();
    if (!app.zoomActive || !IsWindowVisible(window)) {
        std::fprintf(stderr, "the zoom view is not open\n");
        return 1;
    }
    for (float zoom : {1.1f, 2.0f, 4.0f}) {
        app.currentZoom = zoom;
        app.targetZoom = zoom;
        char label[64];
        std::snprintf(label, sizeof label, "zoom view WM_PAINT at %.1f", zoom);
        Report(label, Time(100, [&] { InvalidateRect(window, nullptr, FALSE); },
                           [&] { UpdateWindow(window); }));
    }
    leave();

    // Drawing at magnification 1 (the draw hotkey) and at 2: one pointer message and the paint
    // it causes, with the area it invalidated; and one undo snapshot against a plain copy of the
    // whole image.
    for (float zoom : {1.0f, 2.0f}) {
        SendMessageW(window, WM_HOTKEY, 2, 0);  // drawing at 1.0
        if (zoom != 1.0f) {
            app.currentZoom = zoom;
            app.targetZoom = zoom;
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
        Report(label, Time(200, [] {}, [&] { move(0); }));
        std::printf("%-44s %8.0f\n", "  mean invalidated pixels", area / 200.0);
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
        std::snprintf(label, sizeof label, "freehand segment + paint at %.0f", zoom);
        area = 0;
        Report(label, Time(200, [] {}, [&] { move(MK_LBUTTON); }));
        std::printf("%-44s %8.0f\n", "  mean invalidated pixels", area / 200.0);
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
        std::snprintf(label, sizeof label, "full view paint at %.0f", zoom);
        Report(label, Time(50, [&] { InvalidateRect(window, nullptr, FALSE); },
                           [&] { UpdateWindow(window); }));
        if (zoom == 1.0f) {
            Report("undo snapshot push, 7 on an empty stack", Time(7, [] {}, [] { PushUndoSnapshot(); }));
            Report("undo snapshot push on a full stack", Time(50, [] {}, [] { PushUndoSnapshot(); }));
            ClearUndoStack();
            HDC copyDC = CreateCompatibleDC(app.imageDC);
            HBITMAP copy = CreateCompatibleBitmap(app.imageDC, width, height);
            HGDIOBJ old = SelectObject(copyDC, copy);
            Report("plain full-image BitBlt (floor)", Time(20, [] {}, [&] {
                       BitBlt(copyDC, 0, 0, width, height, app.imageDC, 0, 0, SRCCOPY);
                   }));
            SelectObject(copyDC, old);
            DeleteObject(copy);
            DeleteDC(copyDC);
        }
        leave();
    }

    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    DeleteDC(display);
    DestroyWindow(window);
    ReleaseOptionalFunctions();
    return 0;
}
