// The fixture of the end-to-end tests that run one copy of the program: a clean registry with
// the first run already done, the program started on request, ended with Exit afterwards (its
// exit code checked), and a screenshot kept when the test failed.
#pragma once

#include <gtest/gtest.h>

#include "e2e/driver.h"

class ProgramTest : public ::testing::Test {
protected:
    static constexpr uint32_t kExitCommand = 2;

    void SetUp() override {
        ClearProgramRegistry();
        WriteSettingDword(L"OptionShown", 1);
    }
    void TearDown() override {
        KeepScreenshotOfFailure();
        if (mainWindow != nullptr) {
            PostCommand(mainWindow, kExitCommand);
            EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
        }
        ClearProgramRegistry();
    }
    // Starts the program and waits until it is ready.
    void StartProgram() {
        vistrel = StartVistrel();
        mainWindow = WaitForMainWindow(vistrel.Id());
        ASSERT_NE(mainWindow, nullptr);
    }

    VistrelProcess vistrel;
    HWND mainWindow = nullptr;
};
