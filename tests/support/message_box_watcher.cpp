// Dialog box helpers for tests (see message_box_watcher.h).
#include "support/message_box_watcher.h"

#include <algorithm>

namespace {

struct DialogSearch {
    DWORD processId;
    const std::vector<HWND>* skip;  // boxes already answered, possibly not yet gone
    HWND found;
};

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) &&
        (search->processId == 0 || owner == search->processId) &&
        std::find(search->skip->begin(), search->skip->end(), window) == search->skip->end()) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(DWORD processId, const std::vector<HWND>& skip = {}) {
    DialogSearch search = {processId, &skip, nullptr};
    EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

} // namespace

std::wstring DialogSnapshot::Text() const {
    std::wstring joined;
    for (const std::wstring& text : texts) {
        joined += (joined.empty() ? L"" : L"\n") + text;
    }
    return joined;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND found = FindDialog(processId);
    while (found == nullptr && GetTickCount64() < deadline) {
        Sleep(20);
        found = FindDialog(processId);
    }
    return found;
}

bool NoDialogWithin(DWORD processId, DWORD timeoutMs) {
    return WaitForDialog(processId, timeoutMs) == nullptr;
}

DialogSnapshot ReadDialog(HWND dialog) {
    DialogSnapshot snapshot = {WindowText(dialog), {}};
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const std::wstring text = WindowText(child);
        if (_wcsicmp(className, L"Static") == 0 && !text.empty()) {
            snapshot.texts.push_back(text);
        }
    }
    return snapshot;
}

void DismissDialog(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); }

MessageBoxCollector::MessageBoxCollector()
    : thread_([this] {
          std::vector<HWND> answered;
          while (!stop_.load()) {
              if (HWND box = FindDialog(GetCurrentProcessId(), answered)) {
                  boxes_.push_back(ReadDialog(box));
                  answered.push_back(box);
                  DismissDialog(box);
              } else {
                  Sleep(10);
              }
          }
      }) {}

std::vector<DialogSnapshot> MessageBoxCollector::Stop() {
    stop_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
    return boxes_;
}
