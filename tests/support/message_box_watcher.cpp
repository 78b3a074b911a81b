// Dialog box helpers for tests (see message_box_watcher.h).
#include "support/message_box_watcher.h"

#include <algorithm>

#include "support/wait_until.h"

namespace {

// A visible dialog box of the process that is not in `skip` (boxes answered but still closing).
HWND FindDialog(DWORD processId, const std::vector<HWND>& skip = {}) {
    for (HWND box : TopLevelWindowsOf(processId, L"#32770", true))
        if (std::find(skip.begin(), skip.end(), box) == skip.end())
            return box;
    return nullptr;
}

} // namespace

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId, const wchar_t* className, bool visibleOnly) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        bool visibleOnly;
        std::vector<HWND> found;
    } search = {processId, className, visibleOnly, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((s->processId == 0 || owner == s->processId) && wcscmp(name, s->className) == 0 &&
                (!s->visibleOnly || IsWindowVisible(window)))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring DialogSnapshot::Text() const {
    std::wstring joined;
    for (const std::wstring& text : texts)
        joined += (joined.empty() ? L"" : L"\n") + text;
    return joined;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId)) != nullptr; }, timeoutMs);
    return found;
}

bool NoDialogWithin(DWORD processId, DWORD timeoutMs) {
    return WaitForDialog(processId, timeoutMs) == nullptr;
}

DialogSnapshot ReadDialog(HWND dialog) {
    DialogSnapshot snapshot = {WindowText(dialog), {}};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const std::wstring text = WindowText(child);
        if (_wcsicmp(className, L"Static") == 0 && !text.empty())
            snapshot.texts.push_back(text);
    }
    return snapshot;
}

void DismissDialog(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); }

MessageBoxCollector::MessageBoxCollector(HWND except)
    : thread_([this, except] {
          std::vector<HWND> answered = {except};
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
    if (thread_.joinable())
        thread_.join();
    return boxes_;
}
