// The 64-bit relaunch against the system. This program plays the 32-bit one: it carries a small
// stand-in child (child_stub.cpp) as the image, which records how it was started.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "settings/registry_store.h"
#include "settings/settings_table.h"
#include "shell/relaunch.h"
#include "support/message_box_watcher.h"

namespace {

namespace fs = std::filesystem;

struct ChildRecord {
    std::wstring commandLine;
    std::wstring path;
    DWORD attributes = 0;
    std::wstring carrier;
};

// Waits for the child's record (it is renamed into place whole) and reads it.
ChildRecord ReadRecord(const fs::path& file) {
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(file); }, 10000)) << "the child never ran";
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    bytes.copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() != 4) {
        ADD_FAILURE() << "a record has four lines";
        return {};
    }
    return {lines[0], lines[1], static_cast<DWORD>(std::stoul(lines[2])), lines[3]};
}

bool SamePath(const std::wstring& a, const fs::path& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ErrorBoxText(DWORD error) {
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reason, 512, nullptr);
    return std::wstring(L"Error launching 64-bit version: ") + reason;
}

// Each test plays the 32-bit program in a folder of its own and tells the child how to behave.
class Relaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / L"relaunch test";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"VISTREL_STUB_RECORD", L"VISTREL_STUB_HOLD",
                                    L"VISTREL_STUB_EXIT", kCarrierPathVariable}) {
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
    fs::path folder;
};

TEST_F(Relaunch, RunsTheHiddenCopyWithTheSameCommandLineAndEndsWithItsCode) {
    MessageBoxCollector boxes;
    const fs::path program = folder / L"Present.exe";
    TellChild(folder / L"first", L"42");
    EXPECT_EQ(Carry(program), 42);
    const ChildRecord first = ReadRecord(folder / L"first");
    EXPECT_EQ(first.commandLine, GetCommandLineW()) << "argument 0 still names this program";
    EXPECT_TRUE(SamePath(first.path, folder / L"Present64.exe")) << first.path;
    EXPECT_TRUE(first.attributes & FILE_ATTRIBUTE_HIDDEN) << first.attributes;
    EXPECT_EQ(first.carrier, program.wstring());
    EXPECT_FALSE(fs::exists(folder / L"Present64.exe")) << "deleted after the child ended";

    // A program without a dot in its name, in a folder with one; a negative exit code.
    fs::create_directories(folder / L"v1.2");
    TellChild(folder / L"second", L"-5");
    EXPECT_EQ(Carry(folder / L"v1.2" / L"Present"), -5);
    EXPECT_TRUE(SamePath(ReadRecord(folder / L"second").path, folder / L"v164.exe"));
    EXPECT_FALSE(fs::exists(folder / L"v164.exe"));
    EXPECT_TRUE(boxes.Stop().empty());
}

TEST_F(Relaunch, ASecondStartRunsTheCopyInUseAsItIs) {
    const fs::path program = folder / L"Present.exe", copy = folder / L"Present64.exe";
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
    EXPECT_FALSE(fs::exists(copy));
    CloseHandle(holdFirst);
    CloseHandle(holdSecond);
}

TEST_F(Relaunch, WithoutImageOnlyAnExistingCopyRuns) {
    const fs::path program = folder / L"Present.exe", copy = folder / L"Present64.exe";
    HMODULE noImage = GetModuleHandleW(L"kernel32.dll");
    MessageBoxCollector boxes;
    EXPECT_EQ(RunEmbeddedBuild(noImage, program.c_str()), -1);
    EXPECT_EQ(WriteEmbeddedImage(noImage, copy.c_str()), 0);
    EXPECT_FALSE(fs::exists(copy));

    EXPECT_EQ(WriteEmbeddedImage(GetModuleHandleW(nullptr), copy.c_str()), 1);
    TellChild(folder / L"record", L"7");
    EXPECT_EQ(RunEmbeddedBuild(noImage, program.c_str()), 7);
    EXPECT_FALSE(fs::exists(copy));

    // The image cannot be written where the program's folder does not exist: nothing to start.
    EXPECT_EQ(Carry(folder / L"missing" / L"Present.exe"), -1);
    const auto shown = boxes.Stop();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"Vistrel");
    EXPECT_EQ(shown[0].Text(), ErrorBoxText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(shown[1].Text(), ErrorBoxText(ERROR_PATH_NOT_FOUND));
}

TEST_F(Relaunch, AutoStartNamesTheProgramWhoseCopyFilepathNames) {
    ClearSettings();
    const std::wstring program = (folder / L"Present.exe").wstring();
    SetEnvironmentVariableW(kCarrierPathVariable, program.c_str());
    auto autoStartAfterStart = [](const fs::path& filepath) {
        std::wstring path = filepath.wstring();
        const SettingEntry row = StringSettingRowForWrite("Filepath", path.data());
        WriteSettings({&row, 1});
        EXPECT_TRUE(SetAutoStart(nullptr, true));
        return ReadString(kRunKeyPath, kRunValueName).value_or(L"none");
    };
    EXPECT_EQ(autoStartAfterStart(folder / L"PRESENT64.EXE"), L"\"" + program + L"\"");
    // Started some other way, the program itself is what logon starts.
    EXPECT_EQ(autoStartAfterStart(L"C:\\Elsewhere\\Present64.exe"),
              L"\"C:\\Elsewhere\\Present64.exe\"");
    ClearSettings();
}

// The system's answers are stood in for: x64, ARM64 and 32-bit natives, and older systems
// that only tell whether the process runs under WOW64.
USHORT nativeMachine = 0;
BOOL underWow64 = FALSE;
BOOL wow64Answered = TRUE;

BOOL WINAPI FakeIsWow64Process2(HANDLE, USHORT* process, USHORT* native) {
    *process = 0x014C;
    *native = nativeMachine;
    return TRUE;
}

BOOL WINAPI FakeIsWow64Process(HANDLE, BOOL* wow64) {
    *wow64 = underWow64;
    return wow64Answered;
}

TEST(Is64BitSystem, AskTheNativeMachineFirstThenWow64) {
    const Wow64Queries both = {FakeIsWow64Process2, FakeIsWow64Process};
    underWow64 = TRUE;
    for (const auto& [machine, expected] :
         {std::pair{0x8664, true}, std::pair{0xAA64, true}, std::pair{0x014C, false}}) {
        nativeMachine = static_cast<USHORT>(machine);
        EXPECT_EQ(Is64BitSystem(both), expected) << std::hex << machine;
    }
    const Wow64Queries older = {nullptr, FakeIsWow64Process};
    EXPECT_TRUE(Is64BitSystem(older));
    underWow64 = FALSE;
    EXPECT_FALSE(Is64BitSystem(older));
    underWow64 = TRUE;
    wow64Answered = FALSE;
    EXPECT_FALSE(Is64BitSystem(older)) << "a failed query is no answer";
    EXPECT_FALSE(Is64BitSystem(Wow64Queries{}));
    EXPECT_TRUE(Is64BitSystem()) << "this 64-bit system";
}

} // namespace
