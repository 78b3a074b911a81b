// End to end: the 32-bit program. Its build carries the 64-bit program byte for byte; and the
// 64-bit program, run the way the 32-bit one runs it (this test carries it too and runs the
// same relaunch), also from a folder that refuses writes, keeps the auto-start entry on the
// 32-bit program, which outlives the copy.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <functional>
#include <iterator>
#include <map>
#include <optional>

#include <shlobj.h>

#include "e2e/driver.h"
#include "res/options_controls.h"
#include "shell/relaunch.h"
#include "shell/relaunch_rules.h"
#include "support/unwritable_folder.h"

namespace {

namespace fs = std::filesystem;

std::string FileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::wstring LocalAppData() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// dist/Vistrel.exe, beside the 64-bit program.
fs::path CarrierProgram() {
    return fs::path(VistrelExePath()).parent_path() / L"Vistrel.exe";
}

TEST(CarrierBuild, IsA32BitProgramCarryingThe64BitOneByteForByte) {
    const std::string carrier = FileBytes(CarrierProgram());
    ASSERT_GT(carrier.size(), 0x200u) << "no " << CarrierProgram();
    IMAGE_DOS_HEADER dos;
    carrier.copy(reinterpret_cast<char*>(&dos), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    IMAGE_NT_HEADERS32 nt;
    ASSERT_GE(carrier.size(), dos.e_lfanew + sizeof nt);
    carrier.copy(reinterpret_cast<char*>(&nt), sizeof nt, dos.e_lfanew);
    EXPECT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    HMODULE image = LoadLibraryExW(CarrierProgram().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(kEmbeddedBuildId), kEmbeddedBuildType);
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    const std::string carried(bytes, SizeofResource(image, found));
    FreeLibrary(image);
    EXPECT_TRUE(carried == FileBytes(VistrelExePath()))
        << "carried " << carried.size() << " bytes, not the 64-bit program";
}

// Plays the 32-bit program at `program`: runs the relaunch for it, and so is the waiting 32-bit
// process, while `withChild` looks at the running program; then Exit. The carrier's exit code.
int RunAsCarrier(const fs::path& program, const std::function<void(HWND, DWORD)>& withChild) {
    auto carrier = std::async(std::launch::async, [&] {
        return RunEmbeddedBuild(GetModuleHandleW(nullptr), program.c_str());
    });
    HWND mainWindow = WaitForWindowOf(0, L"VistrelClass", false, 10000);
    EXPECT_NE(mainWindow, nullptr);
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
    GetWindowThreadProcessId(mainWindow, &child.id);
    if (mainWindow != nullptr && WaitForMainWindow(child.id) == mainWindow) {
        withChild(mainWindow, child.id);
        PostCommand(mainWindow, kExitCommand);
    }
    EXPECT_EQ(carrier.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    return carrier.get();
}

// Ticks auto-start in the running program's options dialog and confirms it.
void TickAutoStart(HWND mainWindow, DWORD childId) {
    PostCommand(mainWindow, kOptionsCommand);
    HWND options = WaitForDialog(childId, 10000);
    ASSERT_NE(options, nullptr);
    SendDlgItemMessageW(options, IDC_RUN_AT_LOGON, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(options, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(options); }));
}

// The 32-bit program alone in a folder with a space in its name, and in a folder that refuses
// writes (as Program Files does): the copy runs beside it, or from the user's own folder, and
// goes when the program ends; logon starts the 32-bit program, which stays.
TEST(Carrier, TheCopyRunsBesideOrFromTheUsersFolderAndAutoStartNamesThe32BitProgram) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "a folder that refuses writes" : "a folder with a space");
        ClearProgramRegistry();
        WriteSettingDword(L"OptionShown", 1);
        std::optional<UnwritableFolder> locked;
        fs::path folder = fs::temp_directory_path() / L"Present Tools";
        if (refused) {
            locked.emplace(std::initializer_list<fs::path>{CarrierProgram()});
            ASSERT_EQ(locked->failure, "");
            folder = locked->path;
        } else {
            fs::create_directories(folder);
            fs::copy_file(CarrierProgram(), folder / L"Vistrel.exe",
                          fs::copy_options::overwrite_existing);
        }
        const fs::path program = folder / L"Vistrel.exe";
        const fs::path usersFolder = PerUserCopyRoot(LocalAppData());
        fs::path copy;
        EXPECT_EQ(RunAsCarrier(program,
                               [&](HWND mainWindow, DWORD childId) {
                                   copy = StoredText(L"Filepath").value_or(L"");
                                   EXPECT_EQ(refused ? copy.parent_path().parent_path()
                                                     : copy.parent_path(),
                                             refused ? usersFolder : folder)
                                       << copy;
                                   EXPECT_EQ(copy.filename(), L"Vistrel64.exe");
                                   EXPECT_TRUE(GetFileAttributesW(copy.c_str()) &
                                               FILE_ATTRIBUTE_HIDDEN);
                                   TickAutoStart(mainWindow, childId);
                                   EXPECT_EQ(ReadString(kTestRunKey, L"Vistrel"),
                                             L"\"" + program.wstring() + L"\"");
                               }),
                  0);
        EXPECT_FALSE(fs::exists(copy)) << "the copy goes when the program ends";
        EXPECT_FALSE(fs::exists(usersFolder)) << "and its folder with it";
        EXPECT_TRUE(fs::exists(program)) << "logon starts a program that is there";
        EXPECT_EQ(ReadString(kTestRunKey, L"Vistrel"), L"\"" + program.wstring() + L"\"");
        ClearProgramRegistry();
        if (!refused) {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    }
}

// Every file of a folder with its bytes and attributes.
std::map<fs::path, std::pair<std::string, DWORD>> FolderContents(const fs::path& folder) {
    std::map<fs::path, std::pair<std::string, DWORD>> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        contents[entry.path().filename()] = {FileBytes(entry.path()),
                                             GetFileAttributesW(entry.path().c_str())};
    }
    return contents;
}

// The shipped folder as it is, dist/Vistrel.exe run in it: the Vistrel64.exe beside it is the
// build it carries, so that file runs as it is; nothing is written, hidden or deleted there, so
// SHA256SUMS still holds and a shortcut to either program keeps working.
TEST(Carrier, TheShippedFolderIsLeftByteForByteAsItWas) {
    ClearProgramRegistry();
    WriteSettingDword(L"OptionShown", 1);
    const fs::path dist = CarrierProgram().parent_path();
    const auto before = FolderContents(dist);
    ASSERT_TRUE(before.count(L"SHA256SUMS") && before.count(L"Vistrel64.exe"));

    EXPECT_EQ(RunAsCarrier(CarrierProgram(),
                           [&](HWND, DWORD) {
                               EXPECT_EQ(StoredText(L"Filepath"), VistrelExePath());
                               EXPECT_TRUE(FolderContents(dist) == before) << "while it runs";
                           }),
              0);
    EXPECT_TRUE(FolderContents(dist) == before);
    ClearProgramRegistry();
}

} // namespace
