// The six pages of the options dialog: translation, the Type page's sample, the page buttons
// (font chooser, advanced dialogs, break colour, donation link) and the break colour button.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <array>

#include "breaktimer/advanced_break_dialog.h"
#include "draw/advanced_draw_dialog.h"
#include "shared/dialog_controls.h"
#include "lang/apply_language.h"
#include "options/font_dialog.h"
#include "options/options_state.h"
#include "res/options_controls.h"
#include "res/product.h"
#include "res/resource_ids.h"
#include "zoom/app_state.h"
#include "zoom/dispatch_table.h"

namespace {

using PageHandler = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// The language section of each page, by page index.
constexpr std::array<const char*, kOptionPageCount> kPageSections = {"Zoom", "LiveZoom", "Draw",
                                                                     "Type", "Break",    "Donate"};

HINSTANCE ProgramInstance() {
    return app.instance != nullptr ? app.instance : GetModuleHandleW(nullptr);
}

INT_PTR OnPageInit(HWND page, LPARAM index) {
    if (index >= 0 && index < kOptionPageCount) {
        ApplyLanguage(kPageSections[static_cast<std::size_t>(index)], page);
    }
    if (index == static_cast<LPARAM>(OptionPage::Type)) {
        optionsState.workingFont = TypingLogFont(app.settings);
    }
    return TRUE;
}

INT_PTR OnPagePaint(HWND page) {
    if (GetDlgItem(page, IDC_FONT_GROUP) != nullptr) {
        PaintTypingSample(page);
    }
    return FALSE;
}

void ChooseBreakColour(HWND page) {
    CHOOSECOLORW chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = page;
    chooser.rgbResult = optionsState.workingBreakColor;
    chooser.lpCustColors = optionsState.customColors;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (ChooseColorW(&chooser)) {
        optionsState.workingBreakColor = chooser.rgbResult;
        InvalidateRect(page, nullptr, TRUE);
    }
}

INT_PTR OnPageCommand(HWND page, WORD control, WORD notification) {
    if (notification != BN_CLICKED) { // also STN_CLICKED: a double click opens nothing twice
        return 0;
    }
    switch (control) {
    case IDC_SET_FONT:
        ChooseTypingFont(page);
        break;
    case IDC_BREAK_ADVANCED:
        DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_ADVANCED_BREAK), page,
                        AdvancedBreakDialogProc, 0);
        break;
    case IDC_BREAK_COLOR:
        ChooseBreakColour(page);
        break;
    case IDC_DRAW_ADVANCED:
        DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_ADVANCED_DRAW), page,
                        AdvancedDrawDialogProc, 0);
        break;
    case IDC_MAKER_LINK: // the Donate page's link line
        ShellExecuteW(page, L"open", L"" VISTREL_DONATE_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    default:
        break;
    }
    return 0;
}

INT_PTR OnPageDrawItem(const DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->CtlID != IDC_BREAK_COLOR) {
        return FALSE;
    }
    DrawColourSwatch(*item, optionsState.workingBreakColor);
    return TRUE;
}

// The Donate page's picture static loads its bitmap from the template and keeps it when it is
// destroyed: taken out and deleted here, or every opening of the dialog leaves a bitmap behind.
// Taken out first, a control that does delete its own picture finds nothing to delete.
INT_PTR OnPageDestroy(HWND page) {
    HWND picture = GetDlgItem(page, IDC_DONATE_PICTURE);
    if (picture != nullptr) {
        auto bitmap =
            reinterpret_cast<HGDIOBJ>(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, 0));
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
    return FALSE;
}

constexpr std::array<DispatchRow<PageHandler>, 5> kPageTable = {{
    {WM_PAINT, [](HWND p, UINT, WPARAM, LPARAM) { return OnPagePaint(p); }},
    {WM_COMMAND,
     [](HWND p, UINT, WPARAM wp, LPARAM) { return OnPageCommand(p, LOWORD(wp), HIWORD(wp)); }},
    {WM_INITDIALOG, [](HWND p, UINT, WPARAM, LPARAM lp) { return OnPageInit(p, lp); }},
    {WM_DESTROY, [](HWND p, UINT, WPARAM, LPARAM) { return OnPageDestroy(p); }},
    {WM_DRAWITEM,
     [](HWND, UINT, WPARAM, LPARAM lp) {
         return OnPageDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
     }},
}};

} // namespace

INT_PTR CALLBACK OptionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* row =
        FindDispatchRow(std::span<const DispatchRow<PageHandler>>(kPageTable), message);
    return row != nullptr ? row->handler(page, message, wParam, lParam) : FALSE;
}
