// Single-instance check and hand-over (see single_instance.h).
#include "shell/single_instance.h"

#include <windows.h>

#include "res/product.h"
#include "zoom/main_window.h"
#include "zoom/message_ids.h"

bool SingleInstanceCheck() {
    // The handle is never closed: the event existing for the life of the process is what marks
    // the running instance.
    HANDLE marker = CreateEventW(nullptr, FALSE, FALSE, L"Local\\VistrelActive");
    if (marker == nullptr) {
        marker = CreateEventW(nullptr, FALSE, FALSE, L"VistrelActive");  // no Local namespace
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    HWND running = FindWindowW(kMainWindowClass, nullptr);
    if (running == nullptr) {
        return true;  // the other instance is still starting or already ending
    }
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
