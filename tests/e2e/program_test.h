// The fixture of the end-to-end tests that run one copy of the program at a time: a clean
// registry with the first run already done, the program started on request, ended with Exit
// (its exit code checked), and a screenshot kept when the test failed.
#pragma once

#include <gtest/gtest.h>

#include "e2e/driver.h"

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearProgramRegistry();
        WriteSettingDword(L"OptionShown", 1);
    }
    void TearDown() override {
        KeepScreenshotOfFailure();
        if (mainWindow != nullptr) {
            ExitProgram();
        }
        ClearProgramRegistry();
    }
    // Starts the program and waits until it is ready.
    void StartProgram(const std::wstring& arguments = L"") {
        vistrel.Start(arguments);
        mainWindow = WaitForMainWindow(vistrel.Id());
        ASSERT_NE(mainWindow, nullptr);
    }
    void ExitProgram() {
        PostCommand(mainWindow, kExitCommand);
        EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
        mainWindow = nullptr;
    }
    bool WaitShown() {
        return WaitUntil([this] { return IsWindowVisible(mainWindow) != 0; });
    }
    bool WaitHidden() {
        return WaitUntil([this] { return !IsWindowVisible(mainWindow); });
    }
    bool WaitForKeys() {
        return WaitUntil([this] { return HasKeyboardFocus(mainWindow); });
    }
    // Escape, once the main window takes keys, ends the zoom, the drawing or the break.
    bool Escape() {
        if (!WaitForKeys()) {
            return false;
        }
        PressKey(VK_ESCAPE);
        return WaitHidden();
    }

    VistrelProcess vistrel;
    HWND mainWindow = nullptr;
};
