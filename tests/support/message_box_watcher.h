// Finding, reading and dismissing dialog boxes (#32770 windows) in tests: the program's message
// boxes are modal, so a test answers them from another thread (Windows tests) or another
// process (end-to-end tests).
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct DialogSnapshot {
    std::wstring caption;
    std::vector<std::wstring> texts;  // the Static children, in z-order
    // All Static texts joined with newlines, for matching.
    std::wstring Text() const;
};

// Waits for a visible dialog box owned by `processId` (0: any process); none after the timeout.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs);
// True when no dialog box of `processId` shows up within `timeoutMs`.
bool NoDialogWithin(DWORD processId, DWORD timeoutMs);
DialogSnapshot ReadDialog(HWND dialog);
// Presses the box's default button.
void DismissDialog(HWND dialog);

// Answers the next message box of this process from a thread of its own: reads it, presses OK.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD timeoutMs = 5000);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    // Waits for the watcher; the box it answered, if one came.
    std::optional<DialogSnapshot> Result();

private:
    std::thread thread_;
    std::optional<DialogSnapshot> result_;
};

// Answers every message box of this process from a thread of its own until Stop(), for calls
// that may show no box, one or several. Each box blocks the call that showed it until it is
// answered, so once that call has returned, Stop() has seen all of its boxes.
class MessageBoxCollector {
public:
    MessageBoxCollector();
    ~MessageBoxCollector();
    MessageBoxCollector(const MessageBoxCollector&) = delete;
    MessageBoxCollector& operator=(const MessageBoxCollector&) = delete;
    // Ends the watch; the boxes answered, in the order they appeared.
    std::vector<DialogSnapshot> Stop();

private:
    std::atomic<bool> stop_{false};
    std::vector<DialogSnapshot> boxes_;
    std::thread thread_;  // last: it starts using the members above at construction
};
