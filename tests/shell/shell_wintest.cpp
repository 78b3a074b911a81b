// The application shell against the system: the optional functions come from the system
// directory only, a second instance hands over to the running one, and the 32-bit program's run
// of the 64-bit build it carries. Here this program plays the 32-bit one and carries a small
// stand-in child (child_stub.cpp), which records how it was started.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sstream>
#include <string>

#include "res/product.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "shell/relaunch.h"
#include "shell/single_instance.h"
#include "support/dialog_runner.h"

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
    const OptionalFunctions f = optionalFunctions; // released once compared, below
    fs::current_path(previous);
    fs::remove(loadable, error);
    fs::remove(junk, error);

    // Each entry is what the system directory's library exports, bound or absent, wherever
    // this runs: the planted copy exports nothing, so an entry taken from it would show.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const auto fromSystem = [&](const wchar_t* library, const char* name) -> void* {
        HMODULE module = LoadLibraryW((fs::path(system) / library).c_str());
        void* entry = module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
        if (module) {
            FreeLibrary(module);
        }
        return entry;
    };
    const auto bound = [](auto entry) { return reinterpret_cast<void*>(entry); };
    const struct {
        const wchar_t* library;
        const char* name;
        void* entry;
    } entries[] = {
        {L"User32.dll", "SetProcessDPIAware", bound(f.SetProcessDPIAware)},
        {L"User32.dll", "MonitorFromPoint", bound(f.MonitorFromPoint)},
        {L"User32.dll", "ShowSystemCursor", bound(f.ShowSystemCursor)},
        {L"User32.dll", "SetLayeredWindowAttributes", bound(f.SetLayeredWindowAttributes)},
        {L"User32.dll", "GetPointerPenInfo", bound(f.GetPointerPenInfo)},
        {L"User32.dll", "GetDpiForWindow", bound(f.GetDpiForWindow)},
        {L"User32.dll", "SetDialogControlDpiChangeBehavior",
         bound(f.SetDialogControlDpiChangeBehavior)},
        {L"magnification.dll", "MagInitialize", bound(f.MagInitialize)},
        {L"magnification.dll", "MagSetWindowTransform", bound(f.MagSetWindowTransform)},
        {L"magnification.dll", "MagSetWindowSource", bound(f.MagSetWindowSource)},
        {L"magnification.dll", "MagShowSystemCursor", bound(f.MagShowSystemCursor)},
        {L"uxtheme.dll", "EnableThemeDialogTexture", bound(f.EnableThemeDialogTexture)},
        {L"Shlwapi.dll", "SHAutoComplete", bound(f.SHAutoComplete)},
        {L"shell32.dll", "SHQueryUserNotificationState", bound(f.SHQueryUserNotificationState)},
        {L"dwmapi.dll", "DwmIsCompositionEnabled", bound(f.DwmIsCompositionEnabled)},
        {L"dwmapi.dll", "DwmSetWindowAttribute", bound(f.DwmSetWindowAttribute)},
        {L"dwmapi.dll", "DwmFlush", bound(f.DwmFlush)},
    };
    for (const auto& e : entries) {
        EXPECT_EQ(e.entry, fromSystem(e.library, e.name)) << e.name;
    }
    EXPECT_EQ(f.magnification != nullptr, fs::exists(fs::path(system) / L"magnification.dll"))
        << "the library is the system's or none";
    ReleaseOptionalFunctions();
    const OptionalFunctions none;
    EXPECT_EQ(std::memcmp(&optionalFunctions, &none, sizeof none), 0);
    BindOptionalFunctionsFrom(L"C:\\nowhere"); // no library loads, so nothing is bound
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
                    posted.wParam == 1004)
            << "asked for the options";
        return GetTickCount64() - start;
    };
    const ULONGLONG elapsed = timedCheck();
    EXPECT_GE(elapsed, 450u) << "five looks for the options dialog, 100 ms apart";
    EXPECT_LT(elapsed, 1500u);
    HWND dialog = CreateWindowW(L"STATIC", L"" VISTREL_OPTIONS_TITLE, WS_POPUP, 10, 10, 200, 100, 0,
                                0, instance, 0);
    EXPECT_LT(timedCheck(), elapsed / 2) << "no looking again once the dialog is there";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), dialog);
    DestroyWindow(dialog);
    DestroyWindow(running);
}

struct ChildRecord {
    std::wstring commandLine, path, attributes, carrier, carriedCopy;
};

// Waits for the child's record and reads its five lines. The child renames it into place whole,
// but the rename holds the file open for deletion a moment longer, and until it lets go an open
// for reading (which does not share deletion) fails: on a busy machine that moment is seen.
ChildRecord ReadRecord(const fs::path& file) {
    ChildRecord r;
    const auto readWhole = [&] {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::wistringstream lines(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                                               bytes.size() / sizeof(wchar_t)));
        for (std::wstring* line :
             {&r.commandLine, &r.path, &r.attributes, &r.carrier, &r.carriedCopy}) {
            if (!std::getline(lines, *line)) {
                return false;
            }
        }
        return lines.peek() == WEOF;
    };
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(file); }, 10000)) << "the child never ran";
    EXPECT_TRUE(WaitUntil(readWhole, 2000)) << "a record has five lines";
    return r;
}

bool SamePath(const std::wstring& a, const fs::path& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Each test plays the 32-bit program in a folder of its own and tells the child how to behave.
class Relaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        for (const wchar_t* name :
             {L"VISTREL_STUB_RECORD", L"VISTREL_STUB_HOLD", L"VISTREL_STUB_EXIT",
              kCarrierPathVariable, kCarriedCopyVariable}) {
            SetEnvironmentVariableW(name, nullptr);
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    // The next child records into `record`, waits for the event `hold` (when given) and ends
    // with `exitCode`.
    static void TellChild(const fs::path& record, const wchar_t* exitCode,
                          const wchar_t* hold = nullptr) {
        SetEnvironmentVariableW(L"VISTREL_STUB_RECORD", record.c_str());
        SetEnvironmentVariableW(L"VISTREL_STUB_EXIT", exitCode);
        SetEnvironmentVariableW(L"VISTREL_STUB_HOLD", hold);
    }
    static int Carry(const fs::path& program) {
        return RunEmbeddedBuild(GetModuleHandleW(nullptr), program.c_str());
    }
    const fs::path folder = fs::temp_directory_path() / L"relaunch test";
    const fs::path program = folder / L"Present.exe", copy = folder / L"Present64.exe";
};

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(Relaunch, RunsTheHiddenCopyWithTheSameCommandLineAndEndsWithItsCode) {
    MessageBoxCollector boxes;
    TellChild(folder / L"record", L"-5");
    EXPECT_EQ(Carry(program), -5);
    const ChildRecord child = ReadRecord(folder / L"record");
    EXPECT_EQ(child.commandLine, GetCommandLineW()) << "argument 0 still names this program";
    EXPECT_TRUE(SamePath(child.path, copy)) << child.path;
    EXPECT_TRUE(std::stoul(child.attributes) & FILE_ATTRIBUTE_HIDDEN) << child.attributes;
    EXPECT_EQ(child.carrier, program.wstring());
    EXPECT_TRUE(SamePath(child.carriedCopy, copy)) << "told which copy goes when it ends";
    EXPECT_FALSE(fs::exists(copy)) << "deleted after the child ended";
    EXPECT_TRUE(boxes.Stop().empty());
}

TEST_F(Relaunch, ASecondStartRunsTheCopyInUseAsItIs) {
    HANDLE holdFirst = CreateEventW(nullptr, TRUE, FALSE, L"relaunch hold first");
    HANDLE holdSecond = CreateEventW(nullptr, TRUE, FALSE, L"relaunch hold second");
    TellChild(folder / L"first", L"1", L"relaunch hold first");
    auto first = std::async(std::launch::async, Carry, program);
    ReadRecord(folder / L"first");
    EXPECT_TRUE(GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    const auto writtenAt = fs::last_write_time(copy);

    TellChild(folder / L"second", L"2", L"relaunch hold second");
    auto second = std::async(std::launch::async, Carry, program);
    EXPECT_TRUE(SamePath(ReadRecord(folder / L"second").path, copy));
    EXPECT_EQ(fs::last_write_time(copy), writtenAt) << "the running copy was written again";

    SetEvent(holdFirst);
    EXPECT_EQ(first.get(), 1);
    EXPECT_TRUE(fs::exists(copy)) << "the second child still runs from it";
    SetEvent(holdSecond);
    EXPECT_EQ(second.get(), 2);
    EXPECT_FALSE(fs::exists(copy)) << "the last carrier to end deletes the hidden copy";
    CloseHandle(holdFirst);
    CloseHandle(holdSecond);
}

// A release ships the 64-bit program beside the 32-bit one: when it is the carried build it
// runs as it is and is left exactly as it was; any other file of that name is never touched,
// and the carried build runs from a copy under a name of its own.
TEST_F(Relaunch, AShippedBuildRunsAsItIsAndAnotherFileOfItsNameIsNeverTouched) {
    MessageBoxCollector boxes;
    ASSERT_EQ(WriteEmbeddedImage(GetModuleHandleW(nullptr), copy.c_str()), DWORD(ERROR_SUCCESS));
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL); // as a release unpacks it
    const std::string shipped = Bytes(copy);
    const auto shippedAt = fs::last_write_time(copy);
    const DWORD shippedAttributes = GetFileAttributesW(copy.c_str());
    ASSERT_FALSE(shippedAttributes & FILE_ATTRIBUTE_HIDDEN);
    TellChild(folder / L"shipped", L"3");
    EXPECT_EQ(Carry(program), 3);
    ChildRecord child = ReadRecord(folder / L"shipped");
    EXPECT_TRUE(SamePath(child.path, copy)) << child.path;
    EXPECT_EQ(child.carriedCopy, L"") << "nothing of it goes: auto-start may name it";
    EXPECT_TRUE(Bytes(copy) == shipped);
    EXPECT_EQ(fs::last_write_time(copy), shippedAt);
    EXPECT_EQ(GetFileAttributesW(copy.c_str()), shippedAttributes);

    const std::string other = "MZ another build of the program";
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << other;
    const fs::path own = folder / L"Present64.carried.exe";
    TellChild(folder / L"other", L"4");
    EXPECT_EQ(Carry(program), 4);
    child = ReadRecord(folder / L"other");
    EXPECT_TRUE(SamePath(child.path, own)) << child.path;
    EXPECT_TRUE(SamePath(child.carriedCopy, own));
    EXPECT_TRUE(std::stoul(child.attributes) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Bytes(copy), other);
    EXPECT_FALSE(fs::exists(own)) << "its own copy goes";
    EXPECT_TRUE(boxes.Stop().empty());
}

TEST_F(Relaunch, WithoutImageAnExistingBuildRunsAndAFailedWriteSaysWhy) {
    HMODULE noImage = GetModuleHandleW(L"kernel32.dll");
    MessageBoxCollector boxes;
    EXPECT_EQ(RunEmbeddedBuild(noImage, program.c_str()), -1);
    EXPECT_EQ(WriteEmbeddedImage(noImage, copy.c_str()), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(copy));

    // A hidden copy is a carrier's: the last to run it deletes it.
    EXPECT_EQ(WriteEmbeddedImage(GetModuleHandleW(nullptr), copy.c_str()), DWORD(ERROR_SUCCESS));
    TellChild(folder / L"record", L"7");
    EXPECT_EQ(RunEmbeddedBuild(noImage, program.c_str()), 7);
    EXPECT_FALSE(fs::exists(copy));

    // The image cannot be written where the program's folder does not exist, nor where a folder
    // has the copy's name: the box says why, not that the copy is missing.
    EXPECT_EQ(Carry(folder / L"missing" / L"Present.exe"), -1);
    fs::create_directories(copy);
    fs::create_directories(folder / L"Present64.carried.exe");
    EXPECT_EQ(Carry(program), -1);
    const auto shown = boxes.Stop();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, L"Vistrel");
    const wchar_t* launching = L"Error launching 64-bit version";
    EXPECT_EQ(shown[0].Text(), ErrorBoxText(launching, ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(shown[1].Text(), ErrorBoxText(launching, ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(shown[2].Text(), ErrorBoxText(launching, ERROR_ACCESS_DENIED));
}

// The system's answers are stood in for: the native machine, and older systems that only tell
// whether the process runs under WOW64. (Which machines run the build is checked natively.)
USHORT nativeMachine = 0;
BOOL underWow64 = FALSE;
BOOL wow64Answered = TRUE;

BOOL WINAPI FakeIsWow64Process2(HANDLE, USHORT* process, USHORT* native) {
    *process = 0x014C;
    *native = nativeMachine;
    return TRUE;
}

HRESULT guestAnswer = S_OK;
BOOL x64Emulated = TRUE;
HRESULT WINAPI FakeIsWow64GuestMachineSupported(USHORT machine, BOOL* supported) {
    *supported = machine == 0x8664 && x64Emulated;
    return guestAnswer;
}

BOOL WINAPI FakeIsWow64Process(HANDLE, BOOL* wow64) {
    *wow64 = underWow64;
    return wow64Answered;
}

TEST(Is64BitSystem, AskTheNativeMachineFirstThenWow64) {
    const Wow64Queries both = {FakeIsWow64Process2, FakeIsWow64Process};
    underWow64 = TRUE;
    nativeMachine = 0x8664;
    EXPECT_TRUE(Is64BitSystem(both));
    nativeMachine = 0x014C;
    EXPECT_FALSE(Is64BitSystem(both)) << "WOW64 is not asked when the native machine answers";
    const Wow64Queries older = {nullptr, FakeIsWow64Process};
    EXPECT_TRUE(Is64BitSystem(older));
    underWow64 = FALSE;
    EXPECT_FALSE(Is64BitSystem(older));
    underWow64 = TRUE;
    wow64Answered = FALSE;
    EXPECT_FALSE(Is64BitSystem(older)) << "a failed query is no answer";
    EXPECT_FALSE(Is64BitSystem(Wow64Queries{}));

    // ARM64 runs the x64 build only where it can emulate x64; an unanswered query tries it.
    const Wow64Queries arm = {FakeIsWow64Process2, nullptr, FakeIsWow64GuestMachineSupported};
    nativeMachine = 0xAA64;
    EXPECT_TRUE(Is64BitSystem(arm));
    x64Emulated = FALSE;
    EXPECT_FALSE(Is64BitSystem(arm)) << "the 32-bit program runs itself";
    guestAnswer = E_NOTIMPL;
    EXPECT_TRUE(Is64BitSystem(arm));
    guestAnswer = S_OK;
    nativeMachine = 0x8664; // x64 is no guest of itself: the query says no there
    EXPECT_TRUE(Is64BitSystem(arm)) << "x64 itself needs no emulation";
    EXPECT_TRUE(Is64BitSystem()) << "this 64-bit system";
}

} // namespace
