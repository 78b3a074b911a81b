// The real main window inside the test program: created as start-up creates it, over fresh
// stored settings (OptionShown = 1 only) and application state, and torn down after each test.
// The system's sticky-keys setting and the thread's execution state are stand-ins during each
// test, so that no test changes the real ones, even when it fails. Also whether a hotkey
// combination is held, by anyone.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <vector>

#include "support/message_box_watcher.h"
#include "support/stored_settings.h"

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override; // leaves a zoom still up at once, then frees everything
    void CreateMain();        // the boxes creation showed land in `boxes`
    HWND window = nullptr;
    std::vector<DialogSnapshot> boxes;
};

// The sticky-keys record the program reads and writes during a test; SetUp makes it the
// presenter's own (available, its hotkey on), `stickyKeysWrites` counts what is written and
// `stickyKeysBroadcasts` the writes that told other programs or stored it in the profile.
extern STICKYKEYS standInStickyKeys;
extern int stickyKeysWrites;
extern int stickyKeysBroadcasts;
// The thread's execution state as the program last set it during a test (ES_CONTINUOUS alone:
// nothing asked); the system's is left alone.
extern EXECUTION_STATE standInExecutionState;
constexpr EXECUTION_STATE kDisplayKeptOn = ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED;

// Whether the shell still has the main window's icon. Wine's notification area drops an icon
// on its own about a second after its window is gone, so asked at once this tells whether the
// program took it away.
bool TrayIconThere(HWND window);

// True when some registration holds the combination (RegisterHotKey's modifiers).
bool HotkeyHeld(UINT modifiers, UINT key);
// The id under which tests play "another program" holding a combination.
constexpr int kHeldElsewhere = 0xCAFE;
