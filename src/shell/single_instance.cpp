// Single-instance check and hand-over (see single_instance.h).
#include "shell/single_instance.h"

#include <windows.h>

#include "res/product.h"
#include "zoom/main_window.h"
#include "zoom/message_ids.h"

BOOL(WINAPI* allowSetForegroundWindow)(DWORD) = AllowSetForegroundWindow;

bool SingleInstanceCheck() {
    // The handle is never closed: the event existing for the life of the process is what marks
    // the running instance. An instance started as administrator labels its event so that this
    // process may not open it: "access denied" means it is there all the same.
    HANDLE marker = CreateEventW(nullptr, FALSE, FALSE, L"Local\\VistrelActive");
    DWORD error = GetLastError();
    if (marker == nullptr && error != ERROR_ACCESS_DENIED) {
        marker = CreateEventW(nullptr, FALSE, FALSE, L"VistrelActive");  // no Local namespace
        error = GetLastError();
    }
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
        return false;
    }
    HWND running = FindWindowW(kMainWindowClass, nullptr);
    if (running == nullptr) {
        return true;  // the other instance is still starting or already ending
    }
    // Only the process the user just started may bring a window to the front; it lets the
    // running instance do so before asking it for its options dialog.
    DWORD runningProcess = 0;
    GetWindowThreadProcessId(running, &runningProcess);
    allowSetForegroundWindow(runningProcess);
    PostMessageW(running, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
    for (int attempt = 0; attempt < 5; ++attempt) {
        HWND dialog = FindWindowW(nullptr, L"" VISTREL_OPTIONS_TITLE);
        if (dialog != nullptr) {
            SetForegroundWindow(dialog);
            SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
            return true;
        }
        Sleep(100);
    }
    return true;
}
