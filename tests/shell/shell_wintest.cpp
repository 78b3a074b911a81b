// The application shell against the system: the optional functions come from the system
// directory only, and a second instance hands over to the running one.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "res/product.h"
#include "shell/optional_functions.h"
#include "shell/single_instance.h"

namespace {

namespace fs = std::filesystem;

// First in this program, before another test could leave a library loaded. Libraries are
// planted beside the program, made the current directory as well: where a search by bare name
// looks first. A copy of the program is a loadable module; the other is no library at all.
TEST(OptionalFunctions, ComeFromTheSystemDirectoryOnlyAndGoOnRelease) {
    const bool dwmapiLoadedBefore = GetModuleHandleW(L"dwmapi.dll") != nullptr;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const fs::path directory = fs::path(program).parent_path(), previous = fs::current_path();
    const fs::path loadable = directory / "magnification.dll", junk = directory / "dwmapi.dll";
    std::error_code error;
    fs::copy_file(program, loadable, fs::copy_options::overwrite_existing, error);
    std::ofstream(junk) << "not a library";
    fs::current_path(directory);
    HMODULE probe = LoadLibraryW(loadable.c_str());
    EXPECT_NE(probe, nullptr) << "the planted copy must load for this test to mean much";
    FreeLibrary(probe);
    BindOptionalFunctions();
    const OptionalFunctions f = optionalFunctions;
    ReleaseOptionalFunctions();
    fs::current_path(previous);
    fs::remove(loadable, error);
    fs::remove(junk, error);

    EXPECT_TRUE(f.SetProcessDPIAware && f.MonitorFromPoint && f.SetLayeredWindowAttributes &&
                f.EnableThemeDialogTexture && f.SHAutoComplete && f.SHQueryUserNotificationState &&
                f.DwmIsCompositionEnabled);
    EXPECT_FALSE(f.magnification || f.MagInitialize || f.MagSetWindowTransform ||
                 f.ShowSystemCursor || f.GetPointerPenInfo) << "what Wine lacks stays absent";
    const OptionalFunctions none;
    EXPECT_EQ(std::memcmp(&optionalFunctions, &none, sizeof none), 0);
    BindOptionalFunctionsFrom(L"C:\\nowhere");  // no library loads, so nothing is bound
    EXPECT_EQ(std::memcmp(&optionalFunctions, &none, sizeof none), 0);
    EXPECT_TRUE(dwmapiLoadedBefore || GetModuleHandleW(L"dwmapi.dll") == nullptr) << "not freed";
}

// Another instance is simulated in this process: its first check takes the marker (and keeps
// it); then a window of the main window's class appears, later one titled as the options dialog.
TEST(SingleInstance, FirstCheckTakesTheMarkerThenALaterOneHandsOver) {
    EXPECT_FALSE(SingleInstanceCheck());
    HANDLE seen = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\VistrelActive");
    EXPECT_NE(seen, nullptr) << "other processes must see the marker";
    CloseHandle(seen);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {0, DefWindowProcW, 0, 0, instance, 0, 0, 0, 0, L"VistrelClass"};
    RegisterClassW(&windowClass);
    HWND running = CreateWindowW(L"VistrelClass", L"", WS_POPUP, 0, 0, 0, 0, 0, 0, instance, 0);
    auto timedCheck = [running] {
        const ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(SingleInstanceCheck());
        MSG posted;
        EXPECT_TRUE(PeekMessageW(&posted, running, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
                    posted.wParam == 1004) << "asked for the options";
        return GetTickCount64() - start;
    };
    const ULONGLONG elapsed = timedCheck();
    EXPECT_GE(elapsed, 450u) << "five looks for the options dialog, 100 ms apart";
    EXPECT_LT(elapsed, 1500u);
    HWND dialog = CreateWindowW(L"STATIC", L"" VISTREL_OPTIONS_TITLE, WS_POPUP, 10, 10, 200, 100,
                                0, 0, instance, 0);
    EXPECT_LT(timedCheck(), 300u);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), dialog);
    DestroyWindow(dialog);
    DestroyWindow(running);
}

} // namespace
