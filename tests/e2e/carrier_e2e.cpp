// End to end: the 64-bit program, run the way the 32-bit one runs it from a folder that refuses
// writes, keeps the auto-start entry on the 32-bit program, which outlives the copy. (That the
// 32-bit build carries the 64-bit one byte for byte is checked by the build; where the copy goes,
// how it is named and hidden and that it goes at the end, by the Windows layer's relaunch tests.)
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "e2e/driver.h"
#include "res/options_controls.h"
#include "shell/relaunch.h"
#include "support/unwritable_folder.h"

namespace {

namespace fs = std::filesystem;

// The 32-bit program in a folder that refuses writes (as Program Files does), played by this
// test, which runs the same relaunch for it: the copy it runs names the 32-bit program for
// auto-start and ends the relaunch with its own exit code.
TEST(Carrier, FromAFolderThatRefusesWritesAutoStartNamesTheCarrier) {
    ClearProgramRegistry(false);
    UnwritableFolder locked({fs::path(VistrelExePath()).parent_path() / L"Vistrel.exe"}); // dist/
    ASSERT_EQ(locked.failure, "");
    const fs::path program = locked.path / L"Vistrel.exe";
    auto carrier = std::async(std::launch::async, [&] {
        return RunEmbeddedBuild(GetModuleHandleW(nullptr), program.c_str());
    });
    // The child ends whatever happens below, so the waiting relaunch returns.
    struct EndChild {
        DWORD id = 0;
        ~EndChild() {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    } child;
    HWND mainWindow = WaitForWindowOf(0, L"VistrelClass", false, 10000);
    ASSERT_NE(mainWindow, nullptr);
    GetWindowThreadProcessId(mainWindow, &child.id);
    ASSERT_EQ(WaitForMainWindow(child.id), mainWindow);
    PostMessageW(mainWindow, WM_COMMAND, kOptionsCommand, 0);
    HWND options = WaitForDialog(child.id, 10000);
    EXPECT_NE(options, nullptr);
    SendDlgItemMessageW(options, IDC_RUN_AT_LOGON, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(CloseDialog(options, IDOK));
    const std::wstring quoted = L"\"" + program.wstring() + L"\"";
    EXPECT_EQ(ReadString(kRunKeyPath, L"Vistrel"), quoted);
    PostMessageW(mainWindow, WM_COMMAND, kExitCommand, 0);
    ASSERT_EQ(carrier.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(carrier.get(), 0);
    EXPECT_EQ(ReadString(kRunKeyPath, L"Vistrel"), quoted);
    ClearProgramRegistry();
}

} // namespace
