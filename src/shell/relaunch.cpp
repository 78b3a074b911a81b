// The 64-bit relaunch (see relaunch.h).
#include "shell/relaunch.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/registry_store.h"
#include "shell/relaunch_rules.h"

namespace {

constexpr const wchar_t* kLaunchError = L"Error launching 64-bit version";
// Another carrier may place, delete or replace the same copy meanwhile (two starts at once, or
// one whose program just ended): the copy is looked for again, a few times.
constexpr int kPlacingAttempts = 4;

template <typename Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct CarriedImage {
    const unsigned char* bytes = nullptr; // none: the module carries no build
    DWORD size = 0;
};

CarriedImage FindCarriedImage(HMODULE imageModule) {
    HRSRC found =
        FindResourceW(imageModule, MAKEINTRESOURCEW(kEmbeddedBuildId), kEmbeddedBuildType);
    HGLOBAL loaded = found != nullptr ? LoadResource(imageModule, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    return bytes != nullptr ? CarriedImage{static_cast<const unsigned char*>(bytes),
                                           SizeofResource(imageModule, found)}
                            : CarriedImage{};
}

// The file the carrier runs, and whether it deletes it once the child has ended: only a hidden
// copy a carrier wrote, never a file that came with the release or from anyone else. Until the
// child has started, `guard` holds the file open without sharing deletion, so that a carrier
// whose child ends meanwhile cannot delete it under this one.
struct Launch {
    std::wstring program;
    bool deleteAfter = false;
    HANDLE guard = INVALID_HANDLE_VALUE;
    // When the copy is the user's: its folders, outermost first, which go with it.
    std::vector<std::wstring> perUserFolders;
};

bool SameBytes(HANDLE file, const CarriedImage& image) {
    LARGE_INTEGER size = {};
    bool same = GetFileSizeEx(file, &size) && size.QuadPart == image.size;
    std::vector<unsigned char> chunk(1 << 16);
    for (DWORD at = 0; same && at < image.size;) {
        DWORD read = 0;
        const DWORD wanted = std::min<DWORD>(chunk.size(), image.size - at);
        same = ReadFile(file, chunk.data(), wanted, &read, nullptr) && read == wanted &&
               std::memcmp(chunk.data(), image.bytes + at, read) == 0;
        at += read;
    }
    return same;
}

DWORD WriteImage(const CarriedImage& image, const wchar_t* path) {
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

// Writes the copy under a name of this carrier's own, then renames it into place, so that no
// one ever starts or compares a half-written copy. ERROR_ALREADY_EXISTS: another carrier's copy
// took the place first.
DWORD WriteAndRename(const CarriedImage& image, const std::wstring& path, DWORD moveFlags) {
    const std::wstring part = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetCurrentThreadId()) + L".part";
    DWORD error = WriteImage(image, part.c_str());
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (MoveFileExW(part.c_str(), path.c_str(), moveFlags)) {
        return ERROR_SUCCESS;
    }
    error = GetLastError();
    DeleteFileW(part.c_str());
    return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error;
}

// What becomes of a different file under the copy's name: one beside the program may be a
// release's or anyone's and stays; under the carrier's own names it is a stale copy.
enum class OtherFile { Stays, IsReplaced };

// Finds the carried build at `path` (the release's, or a copy another carrier runs) or puts it
// there, and guards it. The folders are made first, in order, when given. ERROR_FILE_EXISTS: a
// different file has the name and stays.
DWORD PlaceCopy(const CarriedImage& image, const std::wstring& path, OtherFile other,
                const std::vector<std::wstring>& folders, Launch& launch) {
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kPlacingAttempts; ++attempt) {
        for (const std::wstring& folder : folders) {
            CreateDirectoryW(folder.c_str(), nullptr);
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION info = {};
            if (SameBytes(file, image) && GetFileInformationByHandle(file, &info)) {
                launch.program = path;
                launch.deleteAfter = (info.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
                launch.guard = file;
                return ERROR_SUCCESS;
            }
            CloseHandle(file);
            if (other == OtherFile::Stays) {
                return ERROR_FILE_EXISTS;
            }
            error = WriteAndRename(image, path, MOVEFILE_REPLACE_EXISTING);
        } else {
            error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                error = WriteAndRename(image, path, 0);
            }
        }
        // Placed now, by this carrier or another one: it is looked at again. A folder another
        // carrier removed meanwhile is made again.
        const bool again = error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS ||
                           (error == ERROR_PATH_NOT_FOUND && !folders.empty());
        if (!again) {
            return error;
        }
    }
    return error != ERROR_SUCCESS ? error : ERROR_SHARING_VIOLATION;
}

// The user's local application data folder ("C:\Users\name\AppData\Local"), or empty.
std::wstring LocalAppData() {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                      SHGFP_TYPE_CURRENT, path))
               ? path
               : L"";
}

void RemoveFiles(const std::wstring& folder, const wchar_t* pattern) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// What carriers left in the user's folder when they could not delete it (their child still ran,
// or they were ended): copies of other versions, and pieces of interrupted writes. A copy that
// runs, one another carrier guards and a piece being written cannot be deleted, and stay.
// `keep` names the folder this carrier is about to use; only fingerprint folders are touched.
void RemoveLeftoverCopies(const std::wstring& root, const std::wstring& keep) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((root + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            !IsFingerprintFolderName(found.cFileName)) {
            continue;
        }
        const std::wstring folder = root + L"\\" + found.cFileName;
        const bool own = CompareStringOrdinal(found.cFileName, -1, keep.c_str(), -1, TRUE) ==
                         CSTR_EQUAL;
        RemoveFiles(folder, own ? L"*.part" : L"*");
        if (!own) {
            RemoveDirectoryW(folder.c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    RemoveDirectoryW(root.c_str()); // only when nothing is left in it
}

// A path without its last part (PerUserCopyPath always has a folder above the copy's file).
std::wstring ParentFolder(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\'));
}

DWORD ChooseLaunch(HMODULE imageModule, const wchar_t* programPath, Launch& launch) {
    const CarriedImage image = FindCarriedImage(imageModule);
    const std::wstring beside = ExtractedBuildName(programPath);
    if (image.bytes == nullptr) {
        // Nothing to write: a build beside the program runs as it is (a hidden one is a
        // carrier's copy, and the last carrier to run it deletes it).
        const DWORD attributes = GetFileAttributesW(beside.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return ERROR_FILE_NOT_FOUND;
        }
        launch.program = beside;
        launch.deleteAfter = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        return ERROR_SUCCESS;
    }
    const std::wstring localAppData = LocalAppData();
    DWORD error = PlaceCopy(image, beside, OtherFile::Stays, {}, launch);
    if (error == ERROR_FILE_EXISTS) {
        // Another build has the name (an older release, or not ours at all): it stays as it is.
        error = PlaceCopy(image, CarriedCopyName(programPath), OtherFile::IsReplaced, {}, launch);
    }
    if (error == ERROR_SUCCESS) {
        if (!localAppData.empty()) {
            RemoveLeftoverCopies(PerUserCopyRoot(localAppData), L"");
        }
        return ERROR_SUCCESS;
    }
    if (localAppData.empty()) {
        return error;
    }
    // The program's folder refuses the copy: the user's own folder takes it. The copy's path
    // gives its fingerprint folder and the root that holds it.
    const std::wstring path =
        PerUserCopyPath(localAppData, programPath, ImageFingerprint({image.bytes, image.size}));
    const std::wstring folder = ParentFolder(path);
    const std::wstring root = ParentFolder(folder);
    RemoveLeftoverCopies(root, folder.substr(root.size() + 1));
    const std::vector<std::wstring> folders = {root, folder};
    if (PlaceCopy(image, path, OtherFile::IsReplaced, folders, launch) != ERROR_SUCCESS) {
        return error; // the program folder's reason is the one the user can act on
    }
    launch.perUserFolders = folders;
    return ERROR_SUCCESS;
}

// The copy goes once its child has ended; deleting fails while another copy still runs from
// it, and the last carrier to end deletes it. The user's folders go when nothing is left in
// them.
void RemoveCopy(const Launch& launch) {
    if (!launch.deleteAfter) {
        return;
    }
    DeleteFileW(launch.program.c_str());
    for (auto folder = launch.perUserFolders.rbegin(); folder != launch.perUserFolders.rend();
         ++folder) {
        RemoveDirectoryW(folder->c_str());
    }
}

// Waits for the child while taking this thread's messages: a program started from the shell
// shows the busy cursor until it waits for input, and this one has no window to show, so it
// waits for input from the start. The messages themselves are of no concern to it.
void WaitTakingMessages(HANDLE process) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) !=
            WAIT_OBJECT_0 + 1) {
            return; // the child ended, or the wait failed
        }
    }
}

} // namespace

bool Is64BitSystem(const Wow64Queries& queries) {
    if (queries.isWow64Process2 != nullptr) {
        USHORT processMachine = 0;
        USHORT nativeMachine = 0;
        queries.isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine);
        int attributes = 0;
        const bool answered = queries.getMachineTypeAttributes != nullptr &&
                              SUCCEEDED(queries.getMachineTypeAttributes(kMachineAmd64, &attributes));
        // Other bits (kernel mode alone) do not let the x64 build run.
        const bool userEnabled =
            answered && (static_cast<uint32_t>(attributes) & kMachineUserEnabled) != 0;
        return NativeMachineRuns64BitBuild(nativeMachine, userEnabled);
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
    queries.getMachineTypeAttributes =
        Lookup<GetMachineTypeAttributesFunction>(kernel32, "GetMachineTypeAttributes");
    return Is64BitSystem(queries);
}

DWORD WriteEmbeddedImage(HMODULE imageModule, const wchar_t* path) {
    const CarriedImage image = FindCarriedImage(imageModule);
    return image.bytes != nullptr ? WriteImage(image, path) : ERROR_RESOURCE_TYPE_NOT_FOUND;
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
    const bool started =
        CreateProcessW(launch.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &child);
    const DWORD error = started ? ERROR_SUCCESS : GetLastError();
    if (launch.guard != INVALID_HANDLE_VALUE) {
        CloseHandle(launch.guard); // a running program's file cannot be deleted anyway
    }
    if (!started) {
        ShowErrorMessage(kLaunchError, nullptr, error);
        RemoveCopy(launch);
        return -1;
    }
    WaitTakingMessages(child.hProcess);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    RemoveCopy(launch);
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
