// Dialog box helpers for tests (see message_box_watcher.h).
#include "support/message_box_watcher.h"

#include <algorithm>

namespace {

struct DialogSearch {
    DWORD processId;
    HWND found;
    const std::vector<HWND>* skip;  // boxes already answered, possibly not yet gone
};

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) &&
        (search->processId == 0 || owner == search->processId) &&
        (search->skip == nullptr ||
         std::find(search->skip->begin(), search->skip->end(), window) == search->skip->end())) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

} // namespace

std::wstring DialogSnapshot::Text() const {
    std::wstring joined;
    for (const std::wstring& text : texts) {
        if (!joined.empty()) {
            joined += L"\n";
        }
        joined += text;
    }
    return joined;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        DialogSearch search = {processId, nullptr, nullptr};
        EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool NoDialogWithin(DWORD processId, DWORD timeoutMs) {
    return WaitForDialog(processId, timeoutMs) == nullptr;
}

DialogSnapshot ReadDialog(HWND dialog) {
    DialogSnapshot snapshot;
    snapshot.caption = WindowText(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") == 0) {
            std::wstring text = WindowText(child);
            if (!text.empty()) {
                snapshot.texts.push_back(text);
            }
        }
    }
    return snapshot;
}

void DismissDialog(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); }

MessageBoxWatcher::MessageBoxWatcher(DWORD timeoutMs)
    : thread_([this, timeoutMs] {
          HWND box = WaitForDialog(GetCurrentProcessId(), timeoutMs);
          if (box != nullptr) {
              result_ = ReadDialog(box);
              DismissDialog(box);
          }
      }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::optional<DialogSnapshot> MessageBoxWatcher::Result() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return result_;
}

MessageBoxCollector::MessageBoxCollector()
    : thread_([this] {
          std::vector<HWND> answered;
          while (!stop_.load()) {
              DialogSearch search = {GetCurrentProcessId(), nullptr, &answered};
              EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&search));
              if (search.found == nullptr) {
                  Sleep(10);
                  continue;
              }
              boxes_.push_back(ReadDialog(search.found));
              answered.push_back(search.found);
              DismissDialog(search.found);
          }
      }) {}

MessageBoxCollector::~MessageBoxCollector() { Stop(); }

std::vector<DialogSnapshot> MessageBoxCollector::Stop() {
    stop_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
    return boxes_;
}
