// Stands in for the carried 64-bit build in the relaunch tests: records what it was started
// with and ends with a chosen code, optionally after the test lets it.
//   VISTREL_STUB_RECORD  file to write: the command line, the program's own path, its file
//                        attributes and the carrier's two variables, one per line (UTF-16)
//   VISTREL_STUB_HOLD    name of an event to wait for before ending (at most a minute)
//   VISTREL_STUB_EXIT    the exit code, in decimal
// With VISTREL_STUB_CARRY_FROM (a module carrying the image) and VISTREL_STUB_CARRY_AS (a
// program path) it plays the 32-bit program instead, a process of its own, and runs the relaunch
// for that path; the child it starts is a plain stand-in again.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "settings/registry_store.h"
#include "shell/relaunch.h"

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length < 1024 ? value : L"";
}

void Record(const std::wstring& file) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + self + L"\n" +
                              std::to_wstring(GetFileAttributesW(self)) + L"\n" +
                              Variable(kCarrierPathVariable) + L"\n" +
                              Variable(kCarriedCopyVariable) + L"\n";
    // Written under another name first, so a test that sees the record sees all of it.
    const std::wstring part = file + L".part";
    HANDLE out = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(out);
    MoveFileW(part.c_str(), file.c_str());
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring carryFrom = Variable(L"VISTREL_STUB_CARRY_FROM");
    const std::wstring carryAs = Variable(L"VISTREL_STUB_CARRY_AS");
    if (!carryFrom.empty()) {
        SetEnvironmentVariableW(L"VISTREL_STUB_CARRY_FROM", nullptr);
        SetEnvironmentVariableW(L"VISTREL_STUB_CARRY_AS", nullptr);
        HMODULE image = LoadLibraryExW(carryFrom.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        return image != nullptr ? RunEmbeddedBuild(image, carryAs.c_str()) : -2;
    }
    const std::wstring record = Variable(L"VISTREL_STUB_RECORD");
    if (!record.empty()) {
        Record(record);
    }
    const std::wstring hold = Variable(L"VISTREL_STUB_HOLD");
    if (HANDLE event = hold.empty() ? nullptr : OpenEventW(SYNCHRONIZE, FALSE, hold.c_str())) {
        WaitForSingleObject(event, 60000);
        CloseHandle(event);
    }
    return _wtoi(Variable(L"VISTREL_STUB_EXIT").c_str());
}
