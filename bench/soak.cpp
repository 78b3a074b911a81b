// The soak: a thousand zooms, a thousand draw sessions with strokes and undo, a thousand break
// starts and a hundred options dialogs in one process, with the working set and the GDI objects
// before and after each. Run it with tools/soak (figures in docs/PERFORMANCE.md); it is not part
// of the tests, which run a short version of the zoom cycle with a strict bound.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "support/mode_cycles.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/zoom_view.h"

namespace {

HWND mainWindow = nullptr;

bool Soak(const char* what, int times, const std::function<void(int)>& cycle) {
    for (int i = 0; i < 5; ++i) { // warm-up: objects the system makes on first use
        cycle(i);
        PumpMessages();
    }
    const SIZE_T memoryBefore = WorkingSetBytes();
    const DWORD objectsBefore = GdiObjectCount();
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < times; ++i) {
        cycle(i);
        PumpMessages();
    }
    const double seconds = (GetTickCount64() - start) / 1000.0;
    const SIZE_T memoryAfter = WorkingSetBytes();
    const DWORD objectsAfter = GdiObjectCount();
    const double growth = (static_cast<double>(memoryAfter) - memoryBefore) / (1024.0 * 1024.0);
    std::printf("%-34s %6d %9.1f %9.1f %+8.1f %7lu %7lu %7.1f\n", what, times,
                memoryBefore / (1024.0 * 1024.0), memoryAfter / (1024.0 * 1024.0), growth,
                objectsBefore, objectsAfter, 1000.0 * seconds / times);
    std::fflush(stdout);
    return objectsAfter == objectsBefore && app.zoomActive == 0 && app.breakActive == 0;
}

} // namespace

int main(int argc, char** argv) {
    const int scale = argc > 1 ? std::atoi(argv[1]) : 1000; // cycles of the large soaks
    const DWORD shown = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"OptionShown", REG_DWORD, &shown,
                    sizeof shown);
    BindOptionalFunctions();
    mainWindow = CreateMainWindow(GetModuleHandleW(nullptr));
    if (mainWindow == nullptr) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    zoomExitPauseMs = 0;
    app.settings.AnimateZoom = 0; // each second press ends the zoom at once
    std::printf("screen %d x %d\n%-34s %6s %9s %9s %8s %7s %7s %7s\n",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), "soak", "cycles",
                "WS MB", "after", "growth", "GDI", "after", "ms/cyc");
    bool flat = true;
    flat &= Soak("zoom in and out", scale, [](int) { ZoomCycle(mainWindow); });
    flat &= Soak("draw: two strokes, one undone", scale, [](int i) { DrawCycle(mainWindow, i); });
    flat &= Soak("break start and end", scale, [](int i) { BreakCycle(mainWindow, i); });
    flat &=
        Soak("options dialog open and cancel", scale / 10, [](int) { OptionsCycle(mainWindow); });
    DestroyWindow(mainWindow);
    PumpMessages();
    ReleaseOptionalFunctions();
    std::printf(flat ? "every soak left the GDI objects as it found them\n"
                     : "a soak left GDI objects behind (or a mode still up)\n");
    return flat ? 0 : 1;
}
