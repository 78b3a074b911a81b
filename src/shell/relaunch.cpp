// The 64-bit relaunch (see relaunch.h).
#include "shell/relaunch.h"

#include <string>

#include "settings/registry_store.h"
#include "shell/relaunch_rules.h"

namespace {

constexpr const wchar_t* kLaunchError = L"Error launching 64-bit version";

template <typename Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

bool Is64BitSystem(const Wow64Queries& queries) {
    if (queries.isWow64Process2 != nullptr) {
        USHORT processMachine = 0;
        USHORT nativeMachine = 0;
        queries.isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine);
        return NativeMachineRuns64BitBuild(nativeMachine);
    }
    if (queries.isWow64Process != nullptr) {
        BOOL wow64 = FALSE;
        return queries.isWow64Process(GetCurrentProcess(), &wow64) && wow64;
    }
    return false;
}

bool Is64BitSystem() {
    // Both queries are newer than some supported systems, so neither is imported.
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr) {
        return false;
    }
    Wow64Queries queries;
    queries.isWow64Process2 = Lookup<IsWow64Process2Function>(kernel32, "IsWow64Process2");
    queries.isWow64Process = Lookup<IsWow64ProcessFunction>(kernel32, "IsWow64Process");
    return Is64BitSystem(queries);
}

int WriteEmbeddedImage(HMODULE imageModule, const wchar_t* path) {
    HRSRC found =
        FindResourceW(imageModule, MAKEINTRESOURCEW(kEmbeddedBuildId), kEmbeddedBuildType);
    HGLOBAL loaded = found != nullptr ? LoadResource(imageModule, found) : nullptr;
    const void* image = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (image == nullptr) {
        return 0;
    }
    const DWORD size = SizeofResource(imageModule, found);
    // No sharing: while another copy of the program runs from the file, creating it fails and
    // that file is started as it is.
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        const bool whole = WriteFile(file, image, size, &written, nullptr) && written == size;
        CloseHandle(file);
        if (!whole) {
            DeleteFileW(path); // a cut-off program must never be started
        }
    }
    return 1;
}

int RunEmbeddedBuild(HMODULE imageModule, const wchar_t* programPath) {
    const std::wstring extracted = ExtractedBuildName(programPath);
    if (WriteEmbeddedImage(imageModule, extracted.c_str()) == 0 &&
        GetFileAttributesW(extracted.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowErrorMessage(kLaunchError, nullptr, GetLastError());
        return -1;
    }

    SetEnvironmentVariableW(kCarrierPathVariable, programPath);
    // The child sees the whole command line, argument 0 still naming this program. A copy,
    // because CreateProcessW may write to the text it is given.
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(extracted.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &child)) {
        const DWORD error = GetLastError();
        ShowErrorMessage(kLaunchError, nullptr, error);
        DeleteFileW(extracted.c_str());
        return -1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    // Fails while another copy still runs from the file; the last one to end deletes it.
    DeleteFileW(extracted.c_str());
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
