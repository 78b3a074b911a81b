// The options dialog (see options_dialog.h): opening, pages in the tab control, the header's
// title and link, OK, Cancel, the version lines and the language switch.
#include "options/options_dialog.h"

#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <cstring>
#include <vector>

#include "lang/apply_language.h"
#include "lang/language_catalogue.h"
#include "options/options_rules.h"
#include "options/options_state.h"
#include "res/options_controls.h"
#include "res/product.h"
#include "res/resource_ids.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "tray/tray_commands.h"
#include "zoom/app_state.h"
#include "zoom/dispatch_table.h"
#include "zoom/hotkeys.h"
#include "zoom/message_ids.h"

OptionsDialogState optionsState;

namespace {

using DialogHandler = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using DialogCommandHandler = INT_PTR (*)(HWND);

constexpr DWORD kEnableTabTexture = 6; // ETDT_ENABLETAB
constexpr UINT kDpiChangedMessage = 0x02E0;   // WM_DPICHANGED, newer than the Windows 7 headers
constexpr UINT kKeepFontOnDpiChange = 0x0001; // DCDC_DISABLE_FONT_UPDATE

struct PageRow {
    WORD templateId;
    const wchar_t* tabText;
};
constexpr std::array<PageRow, kOptionPageCount> kPageRows = {{
    {IDD_ZOOM_PAGE, L"Zoom"},
    {IDD_LIVEZOOM_PAGE, L"LiveZoom"},
    {IDD_DRAW_PAGE, L"Draw"},
    {IDD_TYPE_PAGE, L"Type"},
    {IDD_BREAK_PAGE, L"Break"},
    {IDD_DONATE_PAGE, L"Donate"},
}};

HINSTANCE ProgramInstance() {
    return app.instance != nullptr ? app.instance : GetModuleHandleW(nullptr);
}

bool MagnifierAvailable() {
    return optionalFunctions.MagInitialize != nullptr;
}

// A check box counts as checked only when it reports exactly BST_CHECKED.
int Checked(HWND window, int control) {
    return IsDlgButtonChecked(window, control) == BST_CHECKED ? 1 : 0;
}

HWND Page(OptionPage page) {
    return optionsState.pages[static_cast<int>(page)].window;
}

void SetHotkeyControl(OptionPage page, int control, uint32_t value) {
    if (value != 0) {
        SendDlgItemMessageW(Page(page), control, HKM_SETHOTKEY, value, 0);
    }
}

uint32_t ReadHotkeyControl(OptionPage page, int control) {
    return LOWORD(SendDlgItemMessageW(Page(page), control, HKM_GETHOTKEY, 0, 0));
}

// The dialog is gone or going: nothing blocks the zoom hotkey any more and the header fonts go.
void ForgetOpenDialog() {
    app.optionsDialog = nullptr;
    DeleteAndClear(optionsState.linkFont);
    DeleteAndClear(optionsState.titleFont);
}

// ---- Version lines ---------------------------------------------------------------------------

struct VersionData {
    std::vector<BYTE> bytes; // empty: no version data
    VS_FIXEDFILEINFO fixed = {};
    VersionTranslation translation = {};
};

VersionData LoadVersionInfo(HINSTANCE instance) {
    VersionData data;
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(instance, path, MAX_PATH) == 0) {
        return data;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return data;
    }
    data.bytes.resize(size);
    if (!GetFileVersionInfoW(path, 0, size, data.bytes.data())) {
        data.bytes.clear();
        return data;
    }
    void* found = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.bytes.data(), L"\\", &found, &length) && length >= sizeof data.fixed) {
        data.fixed = *static_cast<const VS_FIXEDFILEINFO*>(found);
    }
    if (VerQueryValueW(data.bytes.data(), L"\\VarFileInfo\\Translation", &found, &length) &&
        length >= sizeof(VersionTranslation)) {
        std::vector<VersionTranslation> pairs(length / sizeof(VersionTranslation));
        std::memcpy(pairs.data(), found, pairs.size() * sizeof(VersionTranslation));
        data.translation = pairs[ChooseVersionTranslation(pairs, GetUserDefaultUILanguage())];
    }
    return data;
}

// The string `name` of the chosen translation, or nullptr.
const wchar_t* QueryVersionString(VersionData& data, const wchar_t* name) {
    if (data.bytes.empty()) {
        return nullptr;
    }
    std::array<wchar_t, kVersionQueryUnits> query;
    ComposeVersionQuery(data.translation, name, query);
    void* found = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.bytes.data(), query.data(), &found, &length) || length == 0) {
        return nullptr;
    }
    return static_cast<const wchar_t*>(found);
}

void ShowVersionLines(HWND dialog) {
    VersionData data = LoadVersionInfo(ProgramInstance());
    const wchar_t* version = QueryVersionString(data, L"FileVersion");
    const wchar_t* legal = QueryVersionString(data, L"LegalCopyright");
    SetDlgItemTextW(dialog, IDC_VERSION_LINE, version != nullptr ? version : L"");
    SetDlgItemTextW(dialog, IDC_LEGAL_LINE, legal != nullptr ? legal : L"");
} // the version data is released here

// ---- Opening ---------------------------------------------------------------------------------

void CreatePages(HWND dialog) {
    HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
    for (int index = 0; index < kOptionPageCount; ++index) {
        OptionsPage& page = optionsState.pages[index];
        page.templateId = kPageRows[index].templateId;
        lstrcpynW(page.text, kPageRows[index].tabText, kTabTextUnits);
        page.tab = {};
        page.tab.mask = TCIF_TEXT;
        page.tab.pszText = page.text;
        page.tab.cchTextMax = kTabTextUnits;
        SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&page.tab));
        page.window = CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(page.templateId),
                                         dialog, OptionPageProc, index);
    }
    RECT display;
    GetWindowRect(tabs, &display);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (int index = 0; index < kOptionPageCount; ++index) {
        HWND page = optionsState.pages[index].window;
        POINT corners[2] = {{display.left, display.top}, {display.right, display.bottom}};
        MapWindowPoints(nullptr, dialog, corners, 2); // the pages are children of the dialog
        const UINT visibility = index == 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
        SetWindowPos(page, nullptr, corners[0].x, corners[0].y, corners[1].x - corners[0].x,
                     corners[1].y - corners[0].y, visibility | SWP_NOACTIVATE | SWP_NOZORDER);
        if (optionalFunctions.EnableThemeDialogTexture != nullptr) {
            optionalFunctions.EnableThemeDialogTexture(page, kEnableTabTexture);
        }
    }
    optionsState.currentPage = 0;
    optionsState.workingBreakColor = app.settings.BreakFontColor;
}

// The DPI of the monitor the dialog is on.
UINT DialogDpi(HWND dialog) {
    if (optionalFunctions.GetDpiForWindow != nullptr) {
        return optionalFunctions.GetDpiForWindow(dialog);
    }
    HDC dc = GetDC(dialog);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(dialog, dc);
    return dpi;
}

// The title and link fonts, the dialog's own font bold and underlined at `dpi`. The new ones
// are in place before the old ones go: a static never draws with a deleted font.
void SetHeaderFonts(HWND dialog, UINT dpi) {
    LOGFONTW font = optionsState.headerFont;
    font.lfHeight =
        MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(optionsState.headerFontDpi));
    font.lfUnderline = TRUE;
    HFONT link = CreateFontIndirectW(&font);
    font.lfUnderline = FALSE;
    font.lfWeight = FW_BOLD;
    HFONT title = CreateFontIndirectW(&font);
    // The statics draw with these fonts; the colour handler below only colours them.
    SendDlgItemMessageW(dialog, IDC_MAKER_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(link), TRUE);
    SendDlgItemMessageW(dialog, IDC_PRODUCT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(title),
                        TRUE);
    DeleteAndClear(optionsState.linkFont);
    DeleteAndClear(optionsState.titleFont);
    optionsState.linkFont = link;
    optionsState.titleFont = title;
}

// From the font the dialog manager made for the dialog's monitor, so the header matches the
// other texts at any scale. When the dialog moves to a monitor of another scale, the dialog
// manager gives every control its font anew; these two keep their own and are made anew.
void CreateHeaderFonts(HWND dialog) {
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (dialogFont == nullptr ||
        GetObjectW(dialogFont, sizeof optionsState.headerFont, &optionsState.headerFont) == 0) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof optionsState.headerFont,
                   &optionsState.headerFont);
    }
    optionsState.headerFontDpi = DialogDpi(dialog);
    if (optionalFunctions.SetDialogControlDpiChangeBehavior != nullptr) {
        for (int control : {IDC_MAKER_LINK, IDC_PRODUCT_NAME}) {
            optionalFunctions.SetDialogControlDpiChangeBehavior(
                GetDlgItem(dialog, control), kKeepFontOnDpiChange, kKeepFontOnDpiChange);
        }
    }
    SetHeaderFonts(dialog, optionsState.headerFontDpi);
}

// The dialog moved to a monitor of another scale: the header's fonts for it. FALSE: the dialog
// manager scales the dialog and the other controls' fonts itself.
INT_PTR OnOptionsDpiChanged(HWND dialog, WPARAM dpis) {
    SetHeaderFonts(dialog, HIWORD(dpis));
    return FALSE;
}

void LoadPageValues() {
    const Settings& s = app.settings;
    HWND zoom = Page(OptionPage::Zoom);
    SetHotkeyControl(OptionPage::Zoom, IDC_ZOOM_HOTKEY, s.HotkeyZoom);
    CheckDlgButton(zoom, IDC_ANIMATE_ZOOM, s.AnimateZoom != 0 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(zoom, IDC_ZOOM_LEVEL, TBM_SETRANGE, FALSE, MAKELPARAM(0, 5));
    SendDlgItemMessageW(zoom, IDC_ZOOM_LEVEL, TBM_SETPOS, TRUE, s.ZoominSliderLevel);

    if (MagnifierAvailable()) {
        SetHotkeyControl(OptionPage::LiveZoom, IDC_LIVEZOOM_HOTKEY, s.HotkeyLivezoom);
    } else {
        EnableWindow(GetDlgItem(Page(OptionPage::LiveZoom), IDC_LIVEZOOM_HOTKEY), FALSE);
    }
    SetHotkeyControl(OptionPage::Draw, IDC_DRAW_HOTKEY, s.HotkeyDraw);
    SetHotkeyControl(OptionPage::Break, IDC_BREAK_HOTKEY, s.HotkeyBreak);

    // A hotkey takes its keys from every program, so a combination that types a character
    // would take that character: a key alone, with Shift alone, or with Ctrl+Alt (AltGr on most
    // European layouts, with or without Shift) becomes Ctrl plus that key, as each page's note
    // says. A stored value is shown as it was stored; only keys pressed in the control change.
    constexpr WPARAM kTypingCombinations = HKCOMB_NONE | HKCOMB_S | HKCOMB_CA | HKCOMB_SCA;
    const std::array<std::pair<OptionPage, int>, 4> hotkeyControls = {{
        {OptionPage::Zoom, IDC_ZOOM_HOTKEY},
        {OptionPage::LiveZoom, IDC_LIVEZOOM_HOTKEY},
        {OptionPage::Draw, IDC_DRAW_HOTKEY},
        {OptionPage::Break, IDC_BREAK_HOTKEY},
    }};
    for (const auto& [page, control] : hotkeyControls) {
        SendDlgItemMessageW(Page(page), control, HKM_SETRULES, kTypingCombinations,
                            MAKELPARAM(HOTKEYF_CONTROL, 0));
    }

    HWND breakPage = Page(OptionPage::Break);
    wchar_t minutes[16] = {};
    wsprintfW(minutes, L"%d", s.BreakTimeout);
    SetDlgItemTextW(breakPage, IDC_BREAK_MINUTES, minutes);
    SendDlgItemMessageW(breakPage, IDC_BREAK_MINUTES, EM_LIMITTEXT, 2, 0);
    SendDlgItemMessageW(breakPage, IDC_BREAK_MINUTES_SPIN, UDM_SETRANGE, 0,
                        MAKELPARAM(kMostBreakMinutes, kFewestBreakMinutes));
    CheckDlgButton(breakPage, IDC_SHOW_EXPIRED_TIME,
                   s.ShowExpiredTime != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(breakPage, IDC_BREAK_USE_PEN_COLOR,
                   s.BreakUsePenColor != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(breakPage, IDC_BREAK_USE_COLOR,
                   s.BreakUsePenColor == 0 ? BST_CHECKED : BST_UNCHECKED);
    optionsState.workingBreakColor = s.BreakFontColor;
}

// In front and in the foreground, but not topmost: once the presenter leaves it, other
// windows may cover it again.
void RaiseOpenDialog() {
    SetWindowPos(app.optionsDialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    BringWindowToTop(app.optionsDialog);
    SetFocus(app.optionsDialog);
    SetForegroundWindow(app.optionsDialog);
}

INT_PTR OnOptionsInit(HWND dialog) {
    if (app.optionsDialog != nullptr) {
        // Already open: raise that one and drop this one before it shows.
        RaiseOpenDialog();
        EndDialog(dialog, 0);
        return 0;
    }
    app.optionsDialog = dialog;
    SetForegroundWindow(dialog);
    SetActiveWindow(dialog);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);

    CreatePages(dialog);
    CreateHeaderFonts(dialog);
    LoadPageValues();

    optionsState.handCursor = LoadCursorW(ProgramInstance(), MAKEINTRESOURCEW(IDC_LINK_HAND));
    optionsState.arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    CheckDlgButton(dialog, IDC_SHOW_TRAY_ICON,
                   app.settings.ShowTrayIcon != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RUN_AT_LOGON, IsAutoStart() ? BST_CHECKED : BST_UNCHECKED);

    // Pressing a current hotkey inside a hotkey control must not start a mode.
    UnregisterMainHotkeys(GetParent(dialog));
    ShowVersionLines(dialog);
    ApplyLanguage("Options", dialog);
    return TRUE;
}

// ---- OK, Cancel, language ------------------------------------------------------------------

struct HotkeyControl {
    OptionPage page;
    int control;
    HotkeyId id;
};
constexpr std::array<HotkeyControl, 4> kHotkeyControls = {{
    {OptionPage::Zoom, IDC_ZOOM_HOTKEY, HotkeyId::Zoom},
    {OptionPage::LiveZoom, IDC_LIVEZOOM_HOTKEY, HotkeyId::LiveZoom},
    {OptionPage::Draw, IDC_DRAW_HOTKEY, HotkeyId::Draw},
    {OptionPage::Break, IDC_BREAK_HOTKEY, HotkeyId::Break},
}};

INT_PTR SwitchLanguage(HWND dialog, unsigned command) {
    SelectLanguage(static_cast<int>(command - kFirstLanguageCommand));
    LoadCurrentLanguage(&CurrentLanguage());
    HWND mainWindow = GetParent(dialog);
    EndDialog(dialog, 0);
    ForgetOpenDialog();
    // The dialog opens anew and its pages translate themselves as they are built.
    SendMessageW(mainWindow, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
    return 1;
}

INT_PTR OnLanguageButton(HWND dialog) {
    return ShowLanguageMenu(dialog);
}

constexpr std::array<DispatchRow<DialogCommandHandler>, 3> kCommandTable = {{
    {IDOK, OptionsOk},
    {IDCANCEL, OptionsCancel},
    {IDC_LANGUAGE_BUTTON, OnLanguageButton},
}};

INT_PTR OnOptionsCommand(HWND dialog, WPARAM wParam) {
    const unsigned command = LOWORD(wParam);
    if (command >= kFirstLanguageCommand) {
        return SwitchLanguage(dialog, command);
    }
    const auto* row =
        FindDispatchRow(std::span<const DispatchRow<DialogCommandHandler>>(kCommandTable), command);
    return row != nullptr ? row->handler(dialog) : 0;
}

// ---- Tabs, header colours, link --------------------------------------------------------------

INT_PTR OnOptionsNotify(HWND dialog, const NMHDR* header) {
    if (header == nullptr || header->idFrom != IDC_PAGE_TABS || header->code != TCN_SELCHANGE) {
        return 0;
    }
    ShowWindow(optionsState.pages[optionsState.currentPage].window, SW_HIDE);
    const auto selected =
        static_cast<int>(SendDlgItemMessageW(dialog, IDC_PAGE_TABS, TCM_GETCURSEL, 0, 0));
    if (selected >= 0 && selected < kOptionPageCount) {
        optionsState.currentPage = selected;
    }
    ShowWindow(optionsState.pages[optionsState.currentPage].window, SW_SHOW);
    return 0;
}

INT_PTR OnOptionsStaticColour(HDC dc, HWND control) {
    switch (GetDlgCtrlID(control)) {
    case IDC_MAKER_LINK:
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, LinkTextColour(GetSysColor(COLOR_HOTLIGHT), GetSysColor(COLOR_BTNFACE)));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case IDC_PRODUCT_NAME:
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    default:
        return 0;
    }
}

bool OverLink(HWND dialog, LPARAM position, HWND* link) {
    const POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    HWND child = ChildWindowFromPoint(dialog, point);
    *link = child;
    return child != nullptr && child != dialog && GetDlgCtrlID(child) == IDC_MAKER_LINK;
}

INT_PTR OnOptionsMouseMove(HWND dialog, LPARAM position) {
    HWND link = nullptr;
    if (OverLink(dialog, position, &link)) {
        InvalidateRect(link, nullptr, FALSE);
        SetCursor(optionsState.handCursor);
    } else {
        SetCursor(optionsState.arrowCursor);
    }
    return 0;
}

INT_PTR OnOptionsLeftButton(HWND dialog, LPARAM position) {
    HWND link = nullptr;
    if (OverLink(dialog, position, &link)) {
        ShellExecuteW(dialog, L"open", L"https://" VISTREL_MAKER_WEB_ADDRESS, nullptr, nullptr,
                      SW_SHOWNORMAL);
    }
    return 0;
}

// Each row unpacks wParam and lParam once for its typed handler.
constexpr std::array<DispatchRow<DialogHandler>, 8> kMessageTable = {{
    {WM_MOUSEMOVE, [](HWND d, UINT, WPARAM, LPARAM lp) { return OnOptionsMouseMove(d, lp); }},
    {WM_LBUTTONDOWN, [](HWND d, UINT, WPARAM, LPARAM lp) { return OnOptionsLeftButton(d, lp); }},
    {WM_CTLCOLORSTATIC,
     [](HWND, UINT, WPARAM wp, LPARAM lp) {
         return OnOptionsStaticColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
     }},
    {WM_COMMAND, [](HWND d, UINT, WPARAM wp, LPARAM) { return OnOptionsCommand(d, wp); }},
    {WM_NOTIFY, [](HWND d, UINT, WPARAM,
                   LPARAM lp) { return OnOptionsNotify(d, reinterpret_cast<const NMHDR*>(lp)); }},
    {WM_INITDIALOG, [](HWND d, UINT, WPARAM, LPARAM) { return OnOptionsInit(d); }},
    {kDpiChangedMessage,
     [](HWND d, UINT, WPARAM wp, LPARAM) { return OnOptionsDpiChanged(d, wp); }},
    // FALSE: the dialog manager turns the close box into IDCANCEL.
    {WM_CLOSE, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }},
}};

} // namespace

HWND OptionPageWindow(OptionPage page) {
    return Page(page);
}

INT_PTR OptionsOk(HWND dialog) {
    HWND mainWindow = GetParent(dialog);
    std::array<uint32_t, 4> values = {};
    bool conflict = false;
    for (std::size_t i = 0; i < kHotkeyControls.size(); ++i) {
        values[i] = ReadHotkeyControl(kHotkeyControls[i].page, kHotkeyControls[i].control);
        // After the first conflict nothing more is tried: one box per OK.
        if (!conflict && values[i] != 0 &&
            RegisterHotkeyValue(mainWindow, values[i], kHotkeyControls[i].id, true) == 0) {
            conflict = true;
        }
    }
    if (conflict) {
        UnregisterMainHotkeys(mainWindow);
        return 0; // the dialog stays open with the presenter's entries; nothing is stored
    }
    SetAutoStart(dialog, Checked(dialog, IDC_RUN_AT_LOGON) != 0); // reports its own failure
    Settings& s = app.settings;
    s.ShowTrayIcon = Checked(dialog, IDC_SHOW_TRAY_ICON);
    UpdateTrayIcon(mainWindow);

    HWND zoom = Page(OptionPage::Zoom);
    HWND breakPage = Page(OptionPage::Break);
    s.HotkeyZoom = values[0];
    s.AnimateZoom = Checked(zoom, IDC_ANIMATE_ZOOM);
    s.ZoominSliderLevel =
        static_cast<uint32_t>(SendDlgItemMessageW(zoom, IDC_ZOOM_LEVEL, TBM_GETPOS, 0, 0));
    s.HotkeyLivezoom = values[1];
    s.HotkeyDraw = values[2];
    SetTypingLogFont(s, optionsState.workingFont);
    s.HotkeyBreak = values[3];
    wchar_t minutes[32] = {};
    GetDlgItemTextW(breakPage, IDC_BREAK_MINUTES, minutes, 32);
    s.BreakTimeout = ParseMinutesText(minutes);
    s.ShowExpiredTime = Checked(breakPage, IDC_SHOW_EXPIRED_TIME);
    s.BreakUsePenColor = Checked(breakPage, IDC_BREAK_USE_PEN_COLOR);
    s.BreakFontColor = optionsState.workingBreakColor;

    const auto rows = OptionsOkSettingRows(s);
    WriteSettings(rows);
    EndDialog(dialog, 1);
    ForgetOpenDialog();
    return TRUE;
}

INT_PTR OptionsCancel(HWND dialog) {
    // A combination that another program took meanwhile stays unregistered, silently.
    RegisterStoredHotkeysQuietly(GetParent(dialog));
    EndDialog(dialog, 2);
    ForgetOpenDialog();
    return TRUE;
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* row =
        FindDispatchRow(std::span<const DispatchRow<DialogHandler>>(kMessageTable), message);
    return row != nullptr ? row->handler(dialog, message, wParam, lParam) : FALSE;
}

void OpenOptionsDialog(HWND mainWindow) {
    // A second command while the dialog is open makes no second window: a second start looks
    // for the dialog by its title, and a second one about to go could be the one it finds.
    if (app.optionsDialog != nullptr) {
        RaiseOpenDialog();
        return;
    }
    DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_OPTIONS), mainWindow, OptionsDialogProc,
                    0);
}
