// Waiting on an observable condition in tests: polled every 20 ms until it holds or the time is
// up, never a bare sleep.
#pragma once

#include <windows.h>

// The condition's last answer.
template <typename Condition> bool WaitUntil(Condition condition, DWORD timeoutMs = 5000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) {
            return condition();
        }
        Sleep(20);
    }
    return true;
}
