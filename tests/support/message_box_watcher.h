// Finding, reading and dismissing dialog boxes (#32770 windows) in tests: the program's message
// boxes are modal, so a test answers them from another thread (Windows tests) or another
// process (end-to-end tests).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct DialogSnapshot {
    std::wstring caption;
    std::vector<std::wstring> texts;  // the Static children, in z-order
    std::wstring Text() const;        // the texts joined with newlines, for matching
};

// A window's text by WM_GETTEXT, which reaches windows of other processes too.
std::wstring WindowText(HWND window);
// The top-level windows of a class that a process (0: any process) owns, in z-order.
std::vector<HWND> TopLevelWindowsOf(DWORD processId, const wchar_t* className, bool visibleOnly);

// Waits for a visible dialog box owned by `processId` (0: any process); none after the timeout.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs);
// True when no dialog box of `processId` shows up within `timeoutMs`.
bool NoDialogWithin(DWORD processId, DWORD timeoutMs);
DialogSnapshot ReadDialog(HWND dialog);
void DismissDialog(HWND dialog);  // presses the default button

// Answers every message box of this process from its own thread until Stop(). A box blocks the
// call that showed it until answered, so once that call has returned, Stop() has seen it.
// A box `except` (a dialog the test drives itself) is left alone.
class MessageBoxCollector {
public:
    explicit MessageBoxCollector(HWND except = nullptr);
    ~MessageBoxCollector() { Stop(); }
    std::vector<DialogSnapshot> Stop();  // the boxes answered, in the order they appeared

private:
    std::atomic<bool> stop_{false};
    std::vector<DialogSnapshot> boxes_;
    std::thread thread_;  // last: it starts using the members above at construction
};
