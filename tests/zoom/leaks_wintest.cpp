// Every mode of the real main window, cycled a few dozen times in this process after a warm-up,
// leaves the GDI objects as it found them and the working set flat: a leaked capture bitmap or
// handle per cycle shows here. The soak (tools/soak) runs the same cycles by the thousand.
#include <gtest/gtest.h>

#include <functional>

#include "support/main_window_fixture.h"
#include "support/mode_cycles.h"
#include "zoom/app_state.h"

namespace {

class Leaks : public MainWindowTest {
  protected:
    void ExpectNothingLeft(int cycles, const std::function<void(int)>& cycle) {
        CreateMain();
        app.settings.AnimateZoom = 0;
        for (int i = 0; i < 3; ++i) { // what the system makes on first use
            cycle(i);
            PumpMessages();
        }
        const DWORD objects = GdiObjectCount();
        const SIZE_T memory = WorkingSetBytes();
        for (int i = 0; i < cycles; ++i) {
            cycle(i);
            PumpMessages();
        }
        EXPECT_EQ(app.zoomActive, 0);
        EXPECT_EQ(app.breakActive, 0);
        EXPECT_EQ(GdiObjectCount(), objects) << "GDI objects left after " << cycles << " cycles";
        // One capture bitmap alone is 8 MB at 1920 x 1080.
        EXPECT_LT(WorkingSetBytes(), memory + 8 * 1024 * 1024) << "working set before " << memory;
    }
};

TEST_F(Leaks, Zooms) {
    ExpectNothingLeft(50, [this](int) { ZoomCycle(window); });
}

TEST_F(Leaks, DrawSessionsWithStrokesAndUndo) {
    ExpectNothingLeft(6, [this](int i) { DrawCycle(window, i); });
}

TEST_F(Leaks, BreaksWithAndWithoutTheFadedDesktop) {
    ExpectNothingLeft(10, [this](int i) { BreakCycle(window, i); });
}

TEST_F(Leaks, OptionsDialogs) {
    ExpectNothingLeft(6, [this](int) { OptionsCycle(window); });
}

} // namespace
