// Modal dialogs driven by tests (see dialog_runner.h).
#include "support/dialog_runner.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "lang/language_catalogue.h"
#include "settings/registry_store.h"
#include "support/png_file.h"
#include "support/wait_until.h"

ModalDialog::ModalDialog(int templateId, DLGPROC procedure) {
    thread_ = std::thread([this, templateId, procedure] {
        dialogThread_.store(GetCurrentThreadId());
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr, procedure,
                        0);
        ended_.store(true);
    });
    // The dialog is the visible dialog box of that thread.
    WaitUntil(
        [&] {
            for (HWND box : TopLevelWindowsOf(GetCurrentProcessId(), L"#32770", true)) {
                if (GetWindowThreadProcessId(box, nullptr) == dialogThread_.load()) {
                    window = box;
                }
            }
            return window != nullptr || ended_.load();
        },
        5000);
}

ModalDialog::~ModalDialog() {
    // A test that failed half-way may leave a box or chooser open over the dialog: everything the
    // dialog's thread shows is cancelled until the dialog ends.
    WaitUntil(
        [this] {
            for (HWND box : TopLevelWindowsOf(GetCurrentProcessId(), L"#32770", false)) {
                if (GetWindowThreadProcessId(box, nullptr) == dialogThread_.load()) {
                    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                }
            }
            return ended_.load();
        },
        10000);
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ModalDialog::Click(int id) const {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
}

void ModalDialog::ClickLater(int id) const {
    PostMessageW(Item(id), BM_CLICK, 0, 0);
}

bool ModalDialog::Checked(int id) const {
    return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring ModalDialog::Text(int id) const {
    wchar_t text[1024] = {};
    GetWindowTextW(Item(id), text, 1024);
    return text;
}

void ModalDialog::SetText(int id, const std::wstring& text) const {
    SetWindowTextW(Item(id), text.c_str());
}

bool ModalDialog::PressAndWaitForEnd(int id, DWORD timeoutMs) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return WaitUntil([this] { return ended_.load(); }, timeoutMs);
}

HWND WaitForOtherDialog(HWND except, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND box : TopLevelWindowsOf(GetCurrentProcessId(), L"#32770", true)) {
                if (box != except) {
                    found = box;
                }
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

DialogSnapshot PressAndReadBox(ModalDialog& dialog, int id) {
    PostMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    HWND box = WaitForOtherDialog(dialog.window, 5000);
    if (box == nullptr) {
        return {};
    }
    DialogSnapshot snapshot = ReadDialog(box);
    DismissDialog(box);
    WaitUntil([box] { return !IsWindow(box); }, 5000);
    return snapshot;
}

bool UseBuiltInChinese() {
    if (LanguageCatalogue() == nullptr && !BuildLanguageCatalogue()) {
        return false;
    }
    int index = 0;
    for (const LanguageEntry* entry = LanguageCatalogue(); entry != nullptr;
         entry = entry->next, ++index) {
        if (std::wcscmp(entry->langId, L"2052") == 0) {
            SelectLanguage(index);
            return LoadCurrentLanguage(&CurrentLanguage()) && ActiveLanguageElement() != nullptr;
        }
    }
    return false;
}

void UseEnglish() {
    UnloadLanguage();
    FreeLanguageCatalogue();
}

bool KeepWindowPicture(HWND window, const std::wstring& name) {
    const wchar_t* folder = _wgetenv(L"VISTREL_TEST_SHOTS");
    RECT area = {};
    if (folder == nullptr || !GetWindowRect(window, &area)) {
        return false;
    }
    // Everything pending painted first: the picture shows what a person would see.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageW(window, WM_NULL, 0, 0);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);

    // The bitmap's pixels, top-down, as 0x00RRGGBB.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return WritePng(std::wstring(folder) + L"\\" + name + L".png", width, height, pixels.data());
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

void Put(wchar_t (&setting)[kSettingTextUnits], const std::wstring& text) {
    wcsncpy(setting, text.c_str(), kSettingTextUnits - 1);
}

void KeepPicturesInBothLanguages(int templateId, DLGPROC procedure, const std::wstring& name,
                                 const wchar_t* englishTitle, int id, const wchar_t* englishText) {
    {
        ModalDialog dialog(templateId, procedure);
        ASSERT_NE(dialog.window, nullptr);
        EXPECT_TRUE(KeepWindowPicture(dialog.window, name + L"-en"));
    }
    ASSERT_TRUE(UseBuiltInChinese());
    ModalDialog dialog(templateId, procedure);
    ASSERT_NE(dialog.window, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(dialog.window, title, 64);
    EXPECT_STRNE(title, englishTitle);
    EXPECT_NE(dialog.Text(id), englishText);
    EXPECT_TRUE(KeepWindowPicture(dialog.window, name + L"-zh"));
}
