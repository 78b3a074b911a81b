// Modal dialogs driven by tests (see dialog_runner.h).
#include "support/dialog_runner.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "lang/language_catalogue.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "support/png_file.h"
#include "zoom/app_state.h"

namespace {

// The dialog boxes, shown or not, that a thread of this process owns.
std::vector<HWND> BoxesOfThread(DWORD thread, bool visibleOnly) {
    std::vector<HWND> boxes = TopLevelWindowsOf(GetCurrentProcessId(), L"#32770", visibleOnly);
    std::erase_if(boxes, [thread](HWND b) { return GetWindowThreadProcessId(b, nullptr) != thread; });
    return boxes;
}

// Keeps what the screen shows of `window` as NAME.png in the folder VISTREL_TEST_SHOTS names.
bool KeepWindowPicture(HWND window, const std::wstring& name) {
    const wchar_t* folder = _wgetenv(L"VISTREL_TEST_SHOTS");
    RECT area = {};
    if (folder == nullptr || !GetWindowRect(window, &area))
        return false;
    // Everything pending painted first: the picture shows what a person would see.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageW(window, WM_NULL, 0, 0);
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    BITMAPINFO info = {{sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height); // top-down 0x00RRGGBB
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return WritePng(std::wstring(folder) + L"\\" + name + L".png", width, height, pixels.data());
}

} // namespace

ModalDialog::ModalDialog(int templateId, DLGPROC procedure) {
    thread_ = std::thread([this, templateId, procedure] {
        dialogThread_.store(GetCurrentThreadId());
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr, procedure,
                        0);
        ended_.store(true);
    });
    WaitUntil([&] {
        const std::vector<HWND> shown = BoxesOfThread(dialogThread_.load(), true);
        window = shown.empty() ? nullptr : shown.back();
        return window != nullptr || ended_.load();
    });
}

ModalDialog::~ModalDialog() {
    // A test that failed half-way may leave a box or a chooser open over the dialog.
    WaitUntil([this] {
        for (HWND box : BoxesOfThread(dialogThread_.load(), false))
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return ended_.load();
    }, 10000);
    thread_.join();
}

std::wstring ModalDialog::Text(int id) const {
    wchar_t text[1024] = {};
    GetWindowTextW(Item(id), text, 1024);
    return text;
}

bool ModalDialog::PressAndWaitForEnd(int id) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return WaitUntil([this] { return ended_.load(); });
}

HWND WaitForOtherDialog(HWND except) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND box : TopLevelWindowsOf(GetCurrentProcessId(), L"#32770", true))
            found = box != except ? box : found;
        return found != nullptr;
    });
    return found;
}

HWND OpenFileChooser(const ModalDialog& dialog, int browseId, const wchar_t* title,
                     const std::wstring& folder) {
    dialog.ClickLater(browseId);
    HWND chooser = WaitForOtherDialog(dialog.window);
    if (chooser == nullptr)
        return nullptr;
    wchar_t text[MAX_PATH] = {};
    GetWindowTextW(chooser, text, MAX_PATH);
    EXPECT_STREQ(text, title);
    SendMessageW(chooser, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(_wcsicmp(text, folder.c_str()), 0) << text;
    return chooser;
}

bool AnswerFileChooser(HWND chooser, int answer, const std::wstring& name) {
    if (answer == IDOK) {
        HWND nameBox = FindWindowExW(GetDlgItem(chooser, 1148), nullptr, L"ComboBox", nullptr);
        SendMessageW(FindWindowExW(nameBox, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(name.c_str()));
    }
    PostMessageW(chooser, WM_COMMAND, answer, 0);
    return WaitUntil([chooser] { return !IsWindow(chooser); });
}

std::vector<DialogSnapshot> SendAnsweringBoxes(HWND dialog, WPARAM command) {
    MessageBoxCollector collector(dialog);
    SendMessageW(dialog, WM_COMMAND, command, 0);
    return collector.Stop();
}

DialogSnapshot PressAndReadBox(ModalDialog& dialog, int id) {
    const auto boxes = SendAnsweringBoxes(dialog.window, MAKEWPARAM(id, BN_CLICKED));
    EXPECT_LE(boxes.size(), 1u);
    return boxes.empty() ? DialogSnapshot{} : boxes.front();
}

void DialogTest::SetUp() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
    ResetAppState();
    app.instance = GetModuleHandleW(nullptr);
    BindOptionalFunctions();
}

void DialogTest::TearDown() {
    UseEnglish();
    ReleaseOptionalFunctions();
    RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
}

void UseEnglish() {
    UnloadLanguage();
    FreeLanguageCatalogue();
}

void KeepPicturesInBothLanguages(int templateId, DLGPROC procedure, const std::wstring& name,
                                 const wchar_t* englishTitle, int id, const wchar_t* englishText) {
    for (const bool chinese : {false, true}) {
        if (chinese) { // the built-in document comes right after the default entry
            ASSERT_TRUE(LanguageCatalogue() != nullptr || BuildLanguageCatalogue());
            SelectLanguage(1);
            ASSERT_STREQ(CurrentLanguage().langId, L"2052");
            ASSERT_TRUE(LoadCurrentLanguage(&CurrentLanguage()) && ActiveLanguageElement());
        }
        ModalDialog dialog(templateId, procedure);
        ASSERT_NE(dialog.window, nullptr);
        wchar_t title[64] = {};
        GetWindowTextW(dialog.window, title, 64);
        EXPECT_EQ(std::wcscmp(title, englishTitle) != 0, chinese) << title;
        EXPECT_EQ(dialog.Text(id) != englishText, chinese);
        EXPECT_TRUE(KeepWindowPicture(dialog.window, name + (chinese ? L"-zh" : L"-en")));
    }
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return pixel;
}

COLORREF SwatchCentre(HWND button) {
    RECT area = {};
    GetWindowRect(button, &area);
    return ScreenPixel((area.left + area.right) / 2, (area.top + area.bottom) / 2);
}

void AnswerColourChooser(HWND chooser, COLORREF colour) {
    const int parts[] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    for (int part = 0; part < 3; ++part)
        SetDlgItemTextW(chooser, kChooserRed + part, std::to_wstring(parts[part]).c_str());
    PostMessageW(chooser, WM_COMMAND, IDOK, 0);
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

void Put(wchar_t (&setting)[kSettingTextUnits], const std::wstring& text) {
    wcsncpy(setting, text.c_str(), kSettingTextUnits - 1);
}

std::wstring ErrorBoxText(const wchar_t* text, DWORD error) {
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reason, 512, nullptr);
    return std::wstring(text) + L": " + reason;
}
