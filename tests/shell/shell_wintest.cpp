// The application shell against the system: binding the optional functions from the system
// directory only, and the single-instance hand-over.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/product.h"
#include "shell/optional_functions.h"
#include "shell/single_instance.h"

namespace {

std::wstring ModuleDirectory(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.rfind(L'\\'));
}

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

bool NothingBound() {
    const OptionalFunctions none;
    return std::memcmp(&optionalFunctions, &none, sizeof none) == 0;
}

void WriteTextFile(const std::wstring& path, const char* content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
    CloseHandle(file);
}

// A fresh empty directory under the temporary folder.
std::wstring NewTemporaryDirectory(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring path = std::wstring(base) + name + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

// Files planted for one test and a directory to make current, removed again and the previous
// current directory restored whatever the test's outcome.
struct PlantedFiles {
    std::vector<std::wstring> paths;
    std::wstring directory = NewTemporaryDirectory(L"vistrel-current-");
    wchar_t previousDirectory[MAX_PATH] = {};
    PlantedFiles() { GetCurrentDirectoryW(MAX_PATH, previousDirectory); }
    ~PlantedFiles() {
        ReleaseOptionalFunctions();  // nothing planted may stay mapped
        SetCurrentDirectoryW(previousDirectory);
        for (const std::wstring& path : paths) {
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW(directory.c_str());
    }
};

class OptionalFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ReleaseOptionalFunctions(); }
    void TearDown() override { ReleaseOptionalFunctions(); }
};

// First in this program, before another test could leave a library loaded. (uxtheme is not
// checked: once loaded, the system keeps it for its theming hooks.)
TEST_F(OptionalFunctionsTest, ReleaseFreesTheLibrariesAndForgetsEverything) {
    const wchar_t* names[] = {L"shlwapi.dll", L"shell32.dll", L"dwmapi.dll"};
    std::vector<const wchar_t*> notLoadedBefore;
    for (const wchar_t* name : names) {
        if (GetModuleHandleW(name) == nullptr) {
            notLoadedBefore.push_back(name);
        }
    }
    BindOptionalFunctions();
    ASSERT_NE(optionalFunctions.dwmapi, nullptr);
    ReleaseOptionalFunctions();
    EXPECT_TRUE(NothingBound());
    for (const wchar_t* name : notLoadedBefore) {
        EXPECT_EQ(GetModuleHandleW(name), nullptr) << name << " was not freed";
    }
}

TEST_F(OptionalFunctionsTest, BindsWhatTheSystemHasFromTheSystemDirectory) {
    BindOptionalFunctions();
    const OptionalFunctions& f = optionalFunctions;
    EXPECT_NE(f.SetProcessDPIAware, nullptr);
    EXPECT_NE(f.MonitorFromPoint, nullptr);
    EXPECT_NE(f.SetLayeredWindowAttributes, nullptr);
    EXPECT_NE(f.EnableThemeDialogTexture, nullptr);
    EXPECT_NE(f.SHAutoComplete, nullptr);
    EXPECT_NE(f.SHQueryUserNotificationState, nullptr);
    EXPECT_NE(f.DwmIsCompositionEnabled, nullptr);
    // What Wine lacks stays absent.
    EXPECT_EQ(f.magnification, nullptr);
    EXPECT_EQ(f.MagInitialize, nullptr);
    EXPECT_EQ(f.MagSetWindowTransform, nullptr);
    EXPECT_EQ(f.ShowSystemCursor, nullptr);
    EXPECT_EQ(f.GetPointerPenInfo, nullptr);

    const std::wstring system = SystemDirectory();
    for (HMODULE library : {f.user32, f.uxtheme, f.shlwapi, f.shell32, f.dwmapi}) {
        ASSERT_NE(library, nullptr);
        EXPECT_EQ(_wcsicmp(ModuleDirectory(library).c_str(), system.c_str()), 0)
            << ModuleDirectory(library).c_str();
    }
    // The bound entry is the system's own.
    EXPECT_EQ(reinterpret_cast<void*>(f.MonitorFromPoint),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"),
                                                     "MonitorFromPoint")));
}

TEST_F(OptionalFunctionsTest, NothingIsTakenFromAnotherDirectory) {
    const std::wstring empty = NewTemporaryDirectory(L"vistrel-empty-");
    BindOptionalFunctionsFrom(empty.c_str());
    EXPECT_TRUE(NothingBound());
    ReleaseOptionalFunctions();
    RemoveDirectoryW(empty.c_str());
}

TEST_F(OptionalFunctionsTest, LibrariesBesideTheProgramAreNeverLoaded) {
    // Planted where a search by bare name looks first: beside the program and in the current
    // directory. A copy of this program is a loadable module, so a "magnification.dll" that
    // is one would load if it were ever looked for there.
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    PlantedFiles planted;
    for (const std::wstring& directory : {ModuleDirectory(nullptr), planted.directory}) {
        planted.paths.push_back(directory + L"\\dwmapi.dll");
        WriteTextFile(planted.paths.back(), "not a library");
        planted.paths.push_back(directory + L"\\magnification.dll");
        ASSERT_TRUE(CopyFileW(program, planted.paths.back().c_str(), FALSE));
    }
    ASSERT_TRUE(SetCurrentDirectoryW(planted.directory.c_str()));
    HMODULE probe = LoadLibraryW(planted.paths.back().c_str());
    ASSERT_NE(probe, nullptr) << "the planted copy must be loadable for this test to mean much";
    FreeLibrary(probe);

    BindOptionalFunctions();
    const OptionalFunctions bound = optionalFunctions;
    ReleaseOptionalFunctions();
    EXPECT_EQ(bound.magnification, nullptr);
    EXPECT_NE(bound.dwmapi, nullptr);
    EXPECT_NE(bound.DwmIsCompositionEnabled, nullptr);
}

// Another instance is simulated by this process holding the marker event and, where needed, a
// window of the main window's class and a window titled like the options dialog.
class SingleInstance : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VistrelClass";
        RegisterClassW(&windowClass);
        windowClass.lpszClassName = L"FakeOptionsDialog";
        RegisterClassW(&windowClass);
    }

    void SetUp() override {
        marker_ = CreateEventW(nullptr, FALSE, FALSE, L"Local\\VistrelActive");
        ASSERT_NE(marker_, nullptr);
    }

    void TearDown() override {
        DestroyWindow(mainWindow_);
        DestroyWindow(optionsDialog_);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        CloseHandle(marker_);
    }

    void CreateRunningInstanceWindow() {
        mainWindow_ = CreateWindowW(L"VistrelClass", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(mainWindow_, nullptr);
    }

    // The check's result and how long it took, in milliseconds.
    static std::pair<bool, ULONGLONG> TimedCheck() {
        const ULONGLONG start = GetTickCount64();
        const bool running = SingleInstanceCheck();
        return {running, GetTickCount64() - start};
    }

    bool TakeOptionsCommand() {
        MSG posted;
        return PeekMessageW(&posted, mainWindow_, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
               posted.wParam == 1004 && posted.lParam == 0;
    }

    HANDLE marker_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND optionsDialog_ = nullptr;
};

// Must run before any other test of this program takes the marker.
TEST(SingleInstanceFirst, FirstCheckTakesTheMarker) {
    HANDLE existing = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\VistrelActive");
    if (existing != nullptr) {
        CloseHandle(existing);
        GTEST_SKIP() << "the marker was already taken in this process";
    }
    EXPECT_FALSE(SingleInstanceCheck());
    existing = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\VistrelActive");
    EXPECT_NE(existing, nullptr) << "other processes must see the marker";
    CloseHandle(existing);
    EXPECT_TRUE(SingleInstanceCheck()) << "the marker outlives the call";
}

TEST_F(SingleInstance, InstanceWithoutWindowEndsAtOnce) {
    const auto [running, elapsed] = TimedCheck();
    EXPECT_TRUE(running);
    EXPECT_LT(elapsed, 300u);
}

TEST_F(SingleInstance, AsksTheRunningInstanceForItsOptionsAndGivesUpAfterHalfASecond) {
    CreateRunningInstanceWindow();
    const auto [running, elapsed] = TimedCheck();
    EXPECT_TRUE(running);
    EXPECT_TRUE(TakeOptionsCommand());
    EXPECT_GE(elapsed, 450u);
    EXPECT_LT(elapsed, 1500u);
}

TEST_F(SingleInstance, RaisesTheOptionsDialogOfTheRunningInstance) {
    CreateRunningInstanceWindow();
    optionsDialog_ = CreateWindowW(L"FakeOptionsDialog", L"Vistrel -  " VISTREL_MAKER_WEB_ADDRESS,
                                   WS_POPUP, 10, 10, 200, 100, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(optionsDialog_, nullptr);
    const auto [running, elapsed] = TimedCheck();
    EXPECT_TRUE(running);
    EXPECT_TRUE(TakeOptionsCommand());
    EXPECT_LT(elapsed, 300u);
    EXPECT_TRUE(IsWindowVisible(optionsDialog_));
    EXPECT_TRUE(GetWindowLongPtrW(optionsDialog_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), optionsDialog_);
}

} // namespace
