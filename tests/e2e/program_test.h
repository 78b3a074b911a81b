// The fixture of the end-to-end tests that run one copy of the program at a time: a clean
// registry with the first run already done, the program started on request, ended with Exit
// (its exit code checked), and a screenshot kept when the test failed.
#pragma once

#include <gtest/gtest.h>

#include "e2e/driver.h"

class ProgramTest : public ::testing::Test, public VistrelProcess {
  protected:
    void SetUp() override { ClearProgramRegistry(false); }
    void TearDown() override {
        KeepScreenshotOfFailure();
        if (mainWindow != nullptr) {
            EXPECT_TRUE(Exit());
        }
        ClearProgramRegistry();
    }
    // Starts the program and waits until it is ready.
    void StartProgram(const std::wstring& arguments = L"") { ASSERT_TRUE(StartReady(arguments)); }
    // The hotkey (Ctrl plus `key`) pressed, until the main window shows.
    bool HotkeyShows(WORD key) { return PressWithCtrl(key), WaitShown(); }
};
