// End to end: the 64-bit program, run the way the 32-bit one runs it from a folder that refuses
// writes, keeps the auto-start entry on the 32-bit program, which outlives the copy. (That the
// 32-bit build carries the 64-bit one byte for byte is checked by the build; the shipped folder
// left untouched and a folder that takes the copy, by the Windows layer's relaunch tests.)
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>

#include <shlobj.h>

#include "e2e/driver.h"
#include "res/options_controls.h"
#include "shell/relaunch.h"
#include "shell/relaunch_rules.h"
#include "support/unwritable_folder.h"

namespace {

namespace fs = std::filesystem;

std::wstring LocalAppData() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// The 32-bit program in a folder that refuses writes (as Program Files does), played by this
// test, which runs the same relaunch for it: the copy runs from the user's own folder and goes
// with that folder when the program ends; auto-start names the 32-bit program, which stays.
TEST(Carrier,
     FromAFolderThatRefusesWritesTheCopyRunsFromTheUsersFolderAndAutoStartNamesTheCarrier) {
    ClearProgramRegistry(false);
    UnwritableFolder locked({fs::path(VistrelExePath()).parent_path() / L"Vistrel.exe"}); // dist/
    ASSERT_EQ(locked.failure, "");
    const fs::path program = locked.path / L"Vistrel.exe";
    const fs::path usersFolder = PerUserCopyRoot(LocalAppData());
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
    const fs::path copy = StoredText(L"Filepath").value_or(L"");
    EXPECT_EQ(copy.parent_path().parent_path(), usersFolder) << copy;
    EXPECT_EQ(copy.filename(), L"Vistrel64.exe");
    EXPECT_TRUE(GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    PostMessageW(mainWindow, WM_COMMAND, kOptionsCommand, 0);
    HWND options = WaitForDialog(child.id, 10000);
    EXPECT_NE(options, nullptr);
    SendDlgItemMessageW(options, IDC_RUN_AT_LOGON, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(CloseDialog(options, IDOK));
    const std::wstring quoted = L"\"" + program.wstring() + L"\"";
    EXPECT_EQ(ReadString(kTestRunKey, L"Vistrel"), quoted);
    PostMessageW(mainWindow, WM_COMMAND, kExitCommand, 0);
    ASSERT_EQ(carrier.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(carrier.get(), 0);
    EXPECT_FALSE(fs::exists(copy)) << "the copy goes when the program ends";
    EXPECT_FALSE(fs::exists(usersFolder)) << "and its folder with it";
    EXPECT_TRUE(fs::exists(program)) << "logon starts a program that is there";
    EXPECT_EQ(ReadString(kTestRunKey, L"Vistrel"), quoted);
    ClearProgramRegistry();
}

} // namespace
