// The checks that a screenshot of the coordinate slide shows the zoom view: which capture pixel
// each probe of the screen decodes to, against where the view's geometry puts it (declared in
// driver.h).
#include "e2e/driver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Where Wine's taskbar lies on the screen; empty where there is none.
RECT TaskbarRect() {
    RECT taskbar = {};
    return GetWindowRect(FindWindowW(L"Shell_TrayWnd", nullptr), &taskbar) ? taskbar : RECT{};
}

} // namespace

CapturePoint ZoomedSource(float zoom, CapturePoint zoomPoint, int width, int height, int x, int y) {
    const CapturePoint origin = ComputeSourceOrigin(zoom, zoomPoint, width, height);
    return {origin.x + x * VisibleExtent(width, zoom) / width,
            origin.y + y * VisibleExtent(height, zoom) / height};
}

std::string ViewMismatches(const Screenshot& shot, float zoom, CapturePoint zoomPoint) {
    const int w = shot.width, h = shot.height;
    // Wine's taskbar now and then comes out above a topmost full-screen window (docs/WINE.md),
    // so on a screen with the taskbar along its bottom the bottom probes sit just above it.
    const RECT primary = PrimaryMonitor(), bar = TaskbarRect();
    const int bottom = h == primary.bottom - primary.top && bar.top > h / 2 && bar.top < h
                           ? static_cast<int>(bar.top) - 1
                           : h - 1;
    std::string mismatches;
    for (const POINT probe :
         {POINT{0, 0}, {w - 1, 0}, {w / 2, h / 2}, {0, bottom}, {w - 1, bottom}}) {
        const DecodedPoint shown = DecodePattern(shot.At(probe.x, probe.y));
        const CapturePoint expected = ZoomedSource(zoom, zoomPoint, w, h, probe.x, probe.y);
        if (std::abs(shown.x - expected.x) > 1 || std::abs(shown.y - expected.y) > 1) {
            char line[96];
            std::snprintf(line, sizeof line, " (%ld, %ld) shows (%d, %d), not (%d, %d);", probe.x,
                          probe.y, shown.x, shown.y, expected.x, expected.y);
            mismatches += line;
        }
    }
    return mismatches;
}

testing::AssertionResult ViewShownSoon(float zoom, CapturePoint zoomPoint, const RECT& monitor) {
    std::string mismatches;
    if (WaitUntil([&] {
            mismatches = ViewMismatches(CaptureScreen(monitor), zoom, zoomPoint);
            return mismatches.empty();
        })) {
        return testing::AssertionSuccess();
    }
    const RECT bar = TaskbarRect();
    return testing::AssertionFailure()
           << "the view at " << zoom << " around (" << zoomPoint.x << ", " << zoomPoint.y
           << "):" << mismatches << " taskbar (" << bar.left << ", " << bar.top << ")-("
           << bar.right << ", " << bar.bottom << ")";
}
