// The 64-bit relaunch (see relaunch.h).
#include "shell/relaunch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/registry_store.h"
#include "shell/relaunch_rules.h"

namespace {

constexpr const wchar_t* kLaunchError = L"Error launching 64-bit version";

template <typename Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct CarriedImage {
    const void* bytes = nullptr; // none: the module carries no build
    DWORD size = 0;
};

CarriedImage FindCarriedImage(HMODULE imageModule) {
    HRSRC found =
        FindResourceW(imageModule, MAKEINTRESOURCEW(kEmbeddedBuildId), kEmbeddedBuildType);
    HGLOBAL loaded = found != nullptr ? LoadResource(imageModule, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    return bytes != nullptr ? CarriedImage{bytes, SizeofResource(imageModule, found)}
                            : CarriedImage{};
}

// The file the carrier runs, and whether it deletes it once the child has ended: only a hidden
// copy a carrier wrote, never a file that came with the release or from anyone else.
struct Launch {
    std::wstring program;
    bool deleteAfter = false;
};

// Writes the image to `path`, or finds it already there (another carrier wrote it and runs it:
// then the file is in use and cannot be written again). The system's error otherwise.
DWORD ProvideCopy(HMODULE imageModule, const std::wstring& path) {
    const DWORD error = WriteEmbeddedImage(imageModule, path.c_str());
    return error == ERROR_SUCCESS || HoldsEmbeddedImage(imageModule, path.c_str()) ? ERROR_SUCCESS
                                                                                   : error;
}

DWORD ChooseLaunch(HMODULE imageModule, const wchar_t* programPath, Launch& launch) {
    const bool carriesImage = FindCarriedImage(imageModule).bytes != nullptr;
    const std::wstring beside = ExtractedBuildName(programPath);
    const DWORD attributes = GetFileAttributesW(beside.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!carriesImage) {
            return ERROR_FILE_NOT_FOUND;
        }
        launch = {beside, true};
        return ProvideCopy(imageModule, beside);
    }
    if (!carriesImage || HoldsEmbeddedImage(imageModule, beside.c_str())) {
        // The release's own 64-bit program, or a copy another carrier wrote and still runs
        // (hidden: the last of them to end deletes it).
        launch = {beside, (attributes & FILE_ATTRIBUTE_HIDDEN) != 0};
        return ERROR_SUCCESS;
    }
    // Another build has the name (an older release, or not ours at all): it stays as it is.
    launch = {CarriedCopyName(programPath), true};
    return ProvideCopy(imageModule, launch.program);
}

} // namespace

bool Is64BitSystem(const Wow64Queries& queries) {
    if (queries.isWow64Process2 != nullptr) {
        USHORT processMachine = 0;
        USHORT nativeMachine = 0;
        queries.isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine);
        X64Emulation emulation = X64Emulation::Unknown;
        BOOL supported = FALSE;
        if (queries.isWow64GuestMachineSupported != nullptr &&
            SUCCEEDED(queries.isWow64GuestMachineSupported(kMachineAmd64, &supported))) {
            emulation = supported ? X64Emulation::Present : X64Emulation::Absent;
        }
        return NativeMachineRuns64BitBuild(nativeMachine, emulation);
    }
    if (queries.isWow64Process != nullptr) {
        BOOL wow64 = FALSE;
        return queries.isWow64Process(GetCurrentProcess(), &wow64) && wow64;
    }
    return false;
}

bool Is64BitSystem() {
    // These queries are newer than some supported systems, so none is imported.
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr) {
        return false;
    }
    Wow64Queries queries;
    queries.isWow64Process2 = Lookup<IsWow64Process2Function>(kernel32, "IsWow64Process2");
    queries.isWow64Process = Lookup<IsWow64ProcessFunction>(kernel32, "IsWow64Process");
    queries.isWow64GuestMachineSupported =
        Lookup<IsWow64GuestMachineSupportedFunction>(kernel32, "IsWow64GuestMachineSupported");
    return Is64BitSystem(queries);
}

DWORD WriteEmbeddedImage(HMODULE imageModule, const wchar_t* path) {
    const CarriedImage image = FindCarriedImage(imageModule);
    if (image.bytes == nullptr) {
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    }
    // No sharing: while another copy of the program runs from the file, creating it fails.
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!WriteFile(file, image.bytes, image.size, &written, nullptr)) {
        error = GetLastError();
    } else if (written != image.size) {
        error = ERROR_DISK_FULL;
    }
    CloseHandle(file);
    if (error != ERROR_SUCCESS) {
        DeleteFileW(path); // a cut-off program must never be started
    }
    return error;
}

bool HoldsEmbeddedImage(HMODULE imageModule, const wchar_t* path) {
    const CarriedImage image = FindCarriedImage(imageModule);
    HANDLE file = image.bytes == nullptr
                      ? INVALID_HANDLE_VALUE
                      : CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    bool same = GetFileSizeEx(file, &size) && size.QuadPart == image.size;
    std::vector<char> chunk(1 << 16);
    const auto* expected = static_cast<const char*>(image.bytes);
    for (DWORD at = 0; same && at < image.size;) {
        DWORD read = 0;
        const DWORD wanted = std::min<DWORD>(chunk.size(), image.size - at);
        same = ReadFile(file, chunk.data(), wanted, &read, nullptr) && read == wanted &&
               std::memcmp(chunk.data(), expected + at, read) == 0;
        at += read;
    }
    CloseHandle(file);
    return same;
}

int RunEmbeddedBuild(HMODULE imageModule, const wchar_t* programPath) {
    Launch launch;
    if (const DWORD error = ChooseLaunch(imageModule, programPath, launch);
        error != ERROR_SUCCESS) {
        ShowErrorMessage(kLaunchError, nullptr, error);
        return -1;
    }

    // The child learns who started it, and which copy goes when it ends (see PreferCarrier).
    SetEnvironmentVariableW(kCarrierPathVariable, programPath);
    SetEnvironmentVariableW(kCarriedCopyVariable,
                            launch.deleteAfter ? launch.program.c_str() : nullptr);
    // The child sees the whole command line, argument 0 still naming this program. A copy,
    // because CreateProcessW may write to the text it is given.
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(launch.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &child)) {
        const DWORD error = GetLastError();
        ShowErrorMessage(kLaunchError, nullptr, error);
        if (launch.deleteAfter) {
            DeleteFileW(launch.program.c_str());
        }
        return -1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (launch.deleteAfter) {
        // Fails while another copy still runs from the file; the last one to end deletes it.
        DeleteFileW(launch.program.c_str());
    }
    return static_cast<int>(exitCode);
}

int RunEmbedded64BitBuild() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    // A cut-off path would name another file.
    if (length == 0 || length >= MAX_PATH) {
        return -1;
    }
    return RunEmbeddedBuild(nullptr, path);
}
