// The application shell against the system: the optional functions come from the system
// directory only, a second instance hands over to the running one, and the 32-bit program's run
// of the 64-bit build it carries, also from a folder that refuses writes. Here this program plays
// the 32-bit one and carries a small stand-in child (child_stub.cpp), which records how it was
// started (and plays the 32-bit program where that must be a process of its own).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include <shlobj.h>

#include "res/product.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "shell/relaunch.h"
#include "shell/relaunch_rules.h"
#include "shell/single_instance.h"
#include "support/dialog_runner.h"
#include "support/unwritable_folder.h"

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
    HMODULE probe = LoadLibraryW(loadable.c_str()); // the planted copy must load to mean much
    EXPECT_TRUE(probe && FreeLibrary(probe));
    BindOptionalFunctions();
    const OptionalFunctions f = optionalFunctions; // released once compared, below
    fs::current_path(previous);
    fs::remove(loadable, error);
    fs::remove(junk, error);

    // Each entry is what the system directory's library exports, bound or absent, wherever
    // this runs: the planted copy exports nothing, so an entry taken from it would show.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const struct {
        const wchar_t* library;
        const char* name;
        void* entry;
    } entries[] = {
#define E(library, name) {L"" #library, #name, reinterpret_cast<void*>(f.name)}
        // clang-format off
        E(User32, SetProcessDPIAware), E(User32, MonitorFromPoint), E(User32, ShowSystemCursor),
        E(User32, SetLayeredWindowAttributes), E(User32, GetPointerPenInfo),
        E(User32, GetDpiForWindow), E(User32, SetDialogControlDpiChangeBehavior),
        E(User32, ChangeWindowMessageFilterEx), E(User32, ChangeWindowMessageFilter),
        E(User32, GetSystemMetricsForDpi), E(magnification, MagInitialize),
        E(magnification, MagSetWindowSource), E(magnification, MagSetWindowTransform),
        E(magnification, MagShowSystemCursor), E(uxtheme, EnableThemeDialogTexture),
        E(Shlwapi, SHAutoComplete), E(shell32, SHQueryUserNotificationState),
        E(dwmapi, DwmIsCompositionEnabled), E(dwmapi, DwmSetWindowAttribute), E(dwmapi, DwmFlush),
    // clang-format on
#undef E
    };
    for (const auto& e : entries) {
        HMODULE m = LoadLibraryW((fs::path(system) / e.library).concat(".dll").c_str());
        EXPECT_EQ(e.entry, m ? reinterpret_cast<void*>(GetProcAddress(m, e.name)) : nullptr)
            << e.name;
        FreeLibrary(m);
    }
    EXPECT_EQ(f.magnification != nullptr, fs::exists(fs::path(system) / L"magnification.dll"));
    ReleaseOptionalFunctions();
    const OptionalFunctions none;
    EXPECT_EQ(std::memcmp(&optionalFunctions, &none, sizeof none), 0);
    BindOptionalFunctionsFrom(L"C:\\nowhere"); // no library loads, so nothing is bound
    EXPECT_EQ(std::memcmp(&optionalFunctions, &none, sizeof none), 0);
    EXPECT_TRUE(dwmapiLoadedBefore || GetModuleHandleW(L"dwmapi.dll") == nullptr); // freed
}

// Whom the second start let take the foreground, and whether it had posted to it already.
DWORD allowedForeground = 0;
bool postedBeforeAllowing = false;
HWND runningWindow = nullptr;
BOOL WINAPI RecordAllowedForeground(DWORD processId) {
    MSG posted;
    postedBeforeAllowing =
        PeekMessageW(&posted, runningWindow, WM_COMMAND, WM_COMMAND, PM_NOREMOVE);
    allowedForeground = processId;
    return TRUE;
}

// Another instance is simulated in this process. First one started as administrator, whose
// marker a normal start may not open (a marker no one may open plays it): the check says
// another instance runs. Then a first check takes the marker (and keeps it); then a window of
// the main window's class appears, later one titled as the options dialog.
TEST(SingleInstance, FirstCheckTakesTheMarkerThenALaterOneHandsOver) {
    SECURITY_DESCRIPTOR noAccess;
    InitializeSecurityDescriptor(&noAccess, SECURITY_DESCRIPTOR_REVISION);
    ACL empty;
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&noAccess, TRUE, &empty, FALSE);
    SECURITY_ATTRIBUTES elevated = {sizeof elevated, &noAccess, FALSE};
    HANDLE elevatedMarker = CreateEventW(&elevated, FALSE, FALSE, L"Local\\VistrelActive");
    ASSERT_NE(elevatedMarker, nullptr);
    EXPECT_TRUE(SingleInstanceCheck()); // a marker it may not open is another instance's
    CloseHandle(elevatedMarker);

    EXPECT_FALSE(SingleInstanceCheck());
    HANDLE seen = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\VistrelActive"); // others see it
    EXPECT_TRUE(seen && CloseHandle(seen));

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {0, DefWindowProcW, 0, 0, instance, 0, 0, 0, 0, L"VistrelClass"};
    RegisterClassW(&windowClass);
    HWND running = CreateWindowW(L"VistrelClass", L"", WS_POPUP, 0, 0, 0, 0, 0, 0, instance, 0);
    runningWindow = running;
    allowSetForegroundWindow = RecordAllowedForeground;
    auto timedCheck = [running] {
        const ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(SingleInstanceCheck());
        MSG posted;
        EXPECT_TRUE(PeekMessageW(&posted, running, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
                    posted.wParam == 1004); // asked for the options
        return GetTickCount64() - start;
    };
    const ULONGLONG elapsed = timedCheck();
    EXPECT_GE(elapsed, 450u); // five looks for the options dialog, 100 ms apart
    EXPECT_LT(elapsed, 1500u);
    HWND dialog = CreateWindowW(L"STATIC", L"" VISTREL_OPTIONS_TITLE, WS_POPUP, 10, 10, 200, 100, 0,
                                0, instance, 0);
    EXPECT_LT(timedCheck(), elapsed / 2); // no looking again once the dialog is there
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), dialog);
    EXPECT_EQ(allowedForeground, GetCurrentProcessId()); // the running instance's process
    EXPECT_FALSE(postedBeforeAllowing);
    allowSetForegroundWindow = AllowSetForegroundWindow;
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

bool SamePath(const fs::path& a, const fs::path& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Where the carrier puts its copy when the program's folder refuses it.
fs::path UsersCopyRoot() {
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return PerUserCopyRoot(local);
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
              L"VISTREL_STUB_CARRY_FROM", L"VISTREL_STUB_CARRY_AS", kCarrierPathVariable,
              kCarriedCopyVariable}) {
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

// Two starts at once, from the program's folder and from one that refuses writes: the second
// runs the copy the first one runs, untouched, and the last to end deletes it.
TEST_F(Relaunch, TwoStartsAtOnceRunOneCopyWhichTheLastToEndDeletes) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "from a folder that refuses writes" : "from the program's folder");
        std::optional<UnwritableFolder> locked;
        fs::path at = program;
        if (refused) {
            locked.emplace();
            ASSERT_EQ(locked->failure, "");
            at = locked->path / L"Present.exe";
        }
        HANDLE holdFirst = CreateEventW(nullptr, TRUE, FALSE, L"relaunch hold first");
        HANDLE holdSecond = CreateEventW(nullptr, TRUE, FALSE, L"relaunch hold second");
        TellChild(folder / L"first", L"1", L"relaunch hold first");
        auto first = std::async(std::launch::async, Carry, at);
        const fs::path copy = ReadRecord(folder / L"first").path;
        const fs::path expected =
            refused ? UsersCopyRoot() / copy.parent_path().filename() : folder;
        EXPECT_TRUE(SamePath(copy, expected / L"Present64.exe")) << copy;
        EXPECT_TRUE(GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        const auto writtenAt = fs::last_write_time(copy);

        TellChild(folder / L"second", L"2", L"relaunch hold second");
        auto second = std::async(std::launch::async, Carry, at);
        EXPECT_TRUE(SamePath(ReadRecord(folder / L"second").path, copy));
        EXPECT_EQ(fs::last_write_time(copy), writtenAt); // the running copy not written again

        SetEvent(holdFirst);
        EXPECT_EQ(first.get(), 1);
        EXPECT_TRUE(fs::exists(copy)); // the second child still runs from it
        SetEvent(holdSecond);
        EXPECT_EQ(second.get(), 2);
        EXPECT_FALSE(fs::exists(copy)); // the last carrier to end deletes the hidden copy
        EXPECT_FALSE(fs::exists(UsersCopyRoot()));
        CloseHandle(holdFirst);
        CloseHandle(holdSecond);
        fs::remove(folder / L"first");
        fs::remove(folder / L"second");
    }
}

// From a folder that refuses writes the copy runs from the user's folder, the carrier still
// named to it, and goes with its folder once it ends. What other versions left there goes too,
// unless it is still in use; what is no copy stays.
TEST_F(Relaunch, AFolderThatRefusesTheCopyHasItRunFromTheUsersFolder) {
    UnwritableFolder locked;
    ASSERT_EQ(locked.failure, "");
    const fs::path root = UsersCopyRoot();
    const fs::path stale = root / L"0123456789abcdef" / L"Present64.exe";
    const fs::path inUse = root / L"fedcba9876543210" / L"Present64.exe";
    const fs::path notACopy = root / L"notes" / L"keep.txt";
    for (const fs::path& file : {stale, inUse, notACopy}) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "left behind";
    }
    // Open without sharing deletion, as a running program's file cannot be deleted.
    HANDLE held = CreateFileW(inUse.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    MessageBoxCollector boxes;
    const fs::path at = locked.path / L"Present.exe";
    TellChild(folder / L"record", L"6");
    EXPECT_EQ(Carry(at), 6);
    const ChildRecord child = ReadRecord(folder / L"record");
    const fs::path copy = child.path;
    EXPECT_TRUE(SamePath(copy.parent_path().parent_path(), root)) << copy;
    EXPECT_EQ(copy.filename(), L"Present64.exe");
    EXPECT_EQ(child.carrier, at.wstring());
    EXPECT_TRUE(SamePath(child.carriedCopy, copy)); // auto-start names the carrier
    EXPECT_FALSE(fs::exists(copy.parent_path()));   // the copy goes with its folder
    EXPECT_FALSE(fs::exists(stale.parent_path()));
    EXPECT_TRUE(fs::exists(inUse));
    EXPECT_TRUE(fs::exists(notACopy));
    CloseHandle(held);
    fs::remove_all(root);
    EXPECT_TRUE(boxes.Stop().empty());
}

// Started from the shell, a program shows the busy cursor until it waits for input. The carrier,
// a process of its own here (the stand-in plays it), waits for input while its child runs.
TEST_F(Relaunch, TheCarrierWaitsForInputWhileItsChildRuns) {
    const fs::path carrier = folder / L"carrier.exe";
    ASSERT_EQ(WriteEmbeddedImage(GetModuleHandleW(nullptr), carrier.c_str()), DWORD(ERROR_SUCCESS));
    HANDLE hold = CreateEventW(nullptr, TRUE, FALSE, L"relaunch hold idle");
    TellChild(folder / L"record", L"8", L"relaunch hold idle");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(L"VISTREL_STUB_CARRY_FROM", self);
    SetEnvironmentVariableW(L"VISTREL_STUB_CARRY_AS", program.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(carrier.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    ReadRecord(folder / L"record");
    EXPECT_EQ(WaitForInputIdle(process.hProcess, 10000), 0u); // not busy while the child runs
    SetEvent(hold);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 8u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(hold);
}

// From the program's folder: a hidden copy that runs with the same command line and goes once it
// ended. A release ships the 64-bit program beside the 32-bit one: when it is the carried build
// it runs as it is and is left exactly as it was; any other file of that name is never touched,
// and the carried build runs from a copy under a name of its own. Without an image an existing
// build runs, and a failed write says why.
TEST_F(Relaunch, TheHiddenCopyTheShippedBuildAnotherFileOfItsNameAndNoImage) {
    MessageBoxCollector boxes;
    TellChild(folder / L"record", L"-5");
    EXPECT_EQ(Carry(program), -5);
    ChildRecord child = ReadRecord(folder / L"record");
    EXPECT_EQ(child.commandLine, GetCommandLineW()); // argument 0 still names this program
    EXPECT_TRUE(SamePath(child.path, copy)) << child.path;
    EXPECT_TRUE(std::stoul(child.attributes) & FILE_ATTRIBUTE_HIDDEN) << child.attributes;
    EXPECT_EQ(child.carrier, program.wstring());
    EXPECT_TRUE(SamePath(child.carriedCopy, copy)); // told which copy goes when it ends
    EXPECT_FALSE(fs::exists(copy));

    HMODULE self = GetModuleHandleW(nullptr), noImage = GetModuleHandleW(L"kernel32.dll");
    ASSERT_EQ(WriteEmbeddedImage(self, copy.c_str()), DWORD(ERROR_SUCCESS));
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL); // as a release unpacks it
    const std::string shipped = Bytes(copy);
    const auto shippedAt = fs::last_write_time(copy);
    const DWORD shippedAttributes = GetFileAttributesW(copy.c_str());
    ASSERT_FALSE(shippedAttributes & FILE_ATTRIBUTE_HIDDEN);
    TellChild(folder / L"shipped", L"3");
    EXPECT_EQ(Carry(program), 3);
    child = ReadRecord(folder / L"shipped");
    EXPECT_TRUE(SamePath(child.path, copy)) << child.path;
    EXPECT_EQ(child.carriedCopy, L""); // nothing of it goes: auto-start may name it
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
    EXPECT_FALSE(fs::exists(own));

    fs::remove(copy);
    EXPECT_TRUE(boxes.Stop().empty());
    MessageBoxCollector failures;
    EXPECT_EQ(RunEmbeddedBuild(noImage, program.c_str()), -1);
    EXPECT_EQ(WriteEmbeddedImage(noImage, copy.c_str()), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(copy));
    // A hidden copy is a carrier's: the last to run it deletes it.
    EXPECT_EQ(WriteEmbeddedImage(self, copy.c_str()), DWORD(ERROR_SUCCESS));
    TellChild(folder / L"record", L"7");
    EXPECT_EQ(RunEmbeddedBuild(noImage, program.c_str()), 7);
    EXPECT_FALSE(fs::exists(copy));
    // When neither the program's folder nor the user's takes the copy (a file stands where the
    // user's folder would be), the box gives the program folder's reason.
    UnwritableFolder locked;
    ASSERT_EQ(locked.failure, "");
    std::ofstream(UsersCopyRoot()) << "not a folder";
    EXPECT_EQ(Carry(locked.path / L"Present.exe"), -1);
    fs::remove(UsersCopyRoot());
    const auto shown = failures.Stop();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"Vistrel");
    const wchar_t* launching = L"Error launching 64-bit version";
    EXPECT_EQ(shown[0].Text(), ErrorBoxText(launching, ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(shown[1].Text(), ErrorBoxText(launching, ERROR_ACCESS_DENIED));
}

// The system's answers are stood in for, as the real functions give them: IsWow64Process2 names
// the native machine, GetMachineTypeAttributes answers for x64 (Windows 11) and older systems
// only tell whether the process runs under WOW64. (Which machines run the build is checked
// natively, for every answer.)
// -1 for a function the system lacks, -2 for an answer that failed.
struct SystemAnswers {
    const char* system;
    int nativeMachine, x64Attributes, wow64;
    bool runs64BitBuild;
} answers;

TEST(Is64BitSystem, EachSystemAsItsFunctionsAnswer) {
    constexpr int x64 = 0x8664, arm64 = 0xAA64, i386 = 0x014C;
    for (const SystemAnswers& row : {
             SystemAnswers{"x64, Windows 11", x64, 3, 1, true},
             SystemAnswers{"32-bit Windows 10", i386, -1, 0, false},
             SystemAnswers{"ARM64, Windows 11", arm64, 1, 1, true},
             SystemAnswers{"ARM64 without x64", arm64, 0, 1, false},
             SystemAnswers{"ARM64, x64 in kernel mode only", arm64, 2, 1, false},
             SystemAnswers{"ARM64, failed answer", arm64, -2, 1, false},
             SystemAnswers{"ARM64, Windows 10", arm64, -1, 1, false},
             SystemAnswers{"x64, Windows 7", -1, -1, 1, true},
             SystemAnswers{"failed WOW64 query", -1, -1, -2, false},
         }) {
        answers = row;
        Wow64Queries queries = {nullptr, [](HANDLE, BOOL* wow64) {
                                    return *wow64 = answers.wow64 == 1, BOOL(answers.wow64 != -2);
                                }};
        if (row.nativeMachine != -1) { // this process as the 32-bit program: i386 under WOW64
            queries.isWow64Process2 = [](HANDLE, USHORT* process, USHORT* native) {
                return *process = 0x014C, *native = USHORT(answers.nativeMachine), TRUE;
            };
        }
        if (row.x64Attributes != -1) {
            queries.getMachineTypeAttributes = [](USHORT machine, int* attributes) {
                const bool failed = answers.x64Attributes == -2;
                *attributes = machine != 0x8664 ? 0 : failed ? 1 : answers.x64Attributes;
                return failed ? E_FAIL : S_OK;
            };
        }
        EXPECT_EQ(Is64BitSystem(queries), row.runs64BitBuild) << row.system;
    }
    EXPECT_FALSE(Is64BitSystem(Wow64Queries{})); // a system with none of them
    EXPECT_TRUE(Is64BitSystem());                // this 64-bit system
}

} // namespace
