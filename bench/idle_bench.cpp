// Measures what the real program costs while it waits: CPU time over 60 s and the working set,
// waiting in the tray, during a break countdown (one tick a second) and during live zoom (with
// the stand-in magnification library the live-zoom tests use, copied into this prefix), and in
// the tray again after a zoom, whose surfaces are kept for the next one. The
// program runs as its own process and is read from outside. Run it with tools/bench; it is not
// part of the tests. Usage: idle_bench [seconds per state, 60 by default]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

double CpuSeconds(HANDLE process) {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    const auto seconds = [](FILETIME t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

double WorkingSetMb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters.WorkingSetSize / (1024.0 * 1024.0);
}

void Measure(const char* what, HANDLE process, DWORD seconds) {
    Sleep(2000); // the state settles
    const double before = CpuSeconds(process);
    Sleep(seconds * 1000);
    const double used = CpuSeconds(process) - before;
    std::printf("%-34s %8.3f s CPU in %lu s (floor 0.100, %5.2fx)  working set %6.1f MB\n", what,
                used, seconds, used / 0.1 * 60.0 / seconds, WorkingSetMb(process));
    std::fflush(stdout);
}

void PressShifted(WORD key) {
    INPUT keys[4] = {};
    const WORD sequence[4] = {VK_SHIFT, key, key, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof keys[0]);
}

} // namespace

int main(int argc, char** argv) {
    const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 60;
    const char* exe = std::getenv("VISTREL_EXE");
    if (exe == nullptr) {
        std::fprintf(stderr, "VISTREL_EXE names no program\n");
        return 1;
    }
    // Live zoom needs a magnification library; the program loads it from the system folder.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    CopyFileW(Beside(L"magnification_standin\\magnification.dll").c_str(),
              (std::wstring(system) + L"\\magnification.dll").c_str(), FALSE);
    const DWORD shown = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\tarnove\\Vistrel", L"OptionShown", REG_DWORD,
                    &shown, sizeof shown);

    std::string command = "\"Z:" + std::string(exe) + "\"";
    for (char& c : command) {
        c = c == '/' ? '\\' : c;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &program)) {
        std::fprintf(stderr, "cannot start %s\n", command.c_str());
        return 1;
    }
    WaitForInputIdle(program.hProcess, 10000);
    HWND mainWindow = nullptr;
    for (int i = 0; i < 100 && mainWindow == nullptr; ++i) {
        Sleep(100);
        mainWindow = FindWindowW(L"VistrelClass", nullptr);
    }
    if (mainWindow == nullptr) {
        std::fprintf(stderr, "no main window\n");
        TerminateProcess(program.hProcess, 1);
        return 1;
    }
    Measure("waiting in the tray", program.hProcess, seconds);
    PostMessageW(mainWindow, WM_COMMAND, 1011, 0); // Break Timer
    Measure("break countdown", program.hProcess, seconds);
    PostMessageW(mainWindow, WM_HOTKEY, 0, 0); // ends the break
    Sleep(500);
    PressShifted('4');
    Measure("live zoom", program.hProcess, seconds);
    PressShifted('4');
    Sleep(500);
    // A zoom in and out: its monitor-sized surfaces stay kept for the next zoom.
    PostMessageW(mainWindow, WM_HOTKEY, 0, 0);
    Sleep(1500);
    PostMessageW(mainWindow, WM_HOTKEY, 0, 0);
    Measure("in the tray after a zoom", program.hProcess, seconds);
    PostMessageW(mainWindow, WM_COMMAND, 2, 0); // Exit
    WaitForSingleObject(program.hProcess, 10000);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    return 0;
}
