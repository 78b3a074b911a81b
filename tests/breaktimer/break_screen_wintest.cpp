// The break screen inside the program's own process: ending a break deletes every GDI object it
// made, and the presenter's screen-saver switch comes back as it was before the first start,
// also when the break was started again meanwhile.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "breaktimer/break_screen.h"
#include "support/main_window_fixture.h"
#include "zoom/app_state.h"

namespace {

BOOL ScreenSaverActive() {
    BOOL active = TRUE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active;
}

std::vector<HGDIOBJ> BreakObjects() {
    return {app.displayDC, app.imageDC, app.breakTimerFont, app.breakExpiredFont, app.breakBitmap};
}

class BreakScreen : public MainWindowTest {
  protected:
    void TearDown() override {
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, before, nullptr, 0);
        MainWindowTest::TearDown();
    }
    BOOL before = ScreenSaverActive();
};

TEST_F(BreakScreen, EndingDeletesEveryObjectAndClearsTheFields) {
    CreateMain();
    app.settings.BreakOpacity = 50; // translucent: the window is layered during the break
    StartBreak(window);
    ASSERT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED, WS_EX_LAYERED);
    ASSERT_EQ(app.breakActive, 1);
    EXPECT_EQ(app.breakSecondsLeft, 600); // the first tick came at once
    const std::vector<HGDIOBJ> first = BreakObjects();
    StartBreak(window); // again: the first break's objects go
    const std::vector<HGDIOBJ> second = BreakObjects();
    EndBreak(window);
    for (HGDIOBJ object : first) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
    for (HGDIOBJ object : second) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
    for (HGDIOBJ object : BreakObjects()) {
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(app.breakActive, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(BreakScreen, RestartedBreakRestoresWhatThePresenterHadBeforeTheFirstStart) {
    CreateMain();
    for (BOOL presenter : {FALSE, TRUE}) {
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, presenter, nullptr, 0));
        StartBreak(window);
        EXPECT_FALSE(ScreenSaverActive());
        StartBreak(window); // must not take the switched-off state for the presenter's
        EndBreak(window);
        EXPECT_EQ(ScreenSaverActive(), presenter);
        EndBreak(window); // a second end changes nothing
        EXPECT_EQ(ScreenSaverActive(), presenter);
    }
}

} // namespace
