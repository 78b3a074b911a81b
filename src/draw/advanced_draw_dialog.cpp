// The advanced draw options dialog (see advanced_draw_dialog.h). It edits copies of the colours
// and stores everything in one batch at OK; Cancel drops the copies.
#include "draw/advanced_draw_dialog.h"

#include <commdlg.h>

#include <array>
#include <span>

#include "shared/dialog_controls.h"
#include "lang/apply_language.h"
#include "res/advanced_controls.h"
#include "settings/registry_store.h"
#include "zoom/app_state.h"
#include "zoom/dispatch_table.h"

namespace {

using DialogHandler = INT_PTR (*)(HWND dialog, WPARAM wParam, LPARAM lParam);
using ControlHandler = INT_PTR (*)(HWND dialog, int id);

// The colour buttons and the settings behind them, slot by slot.
constexpr std::array<int, 8> kColourButtons = {
    IDC_SLOT_R, IDC_SLOT_G, IDC_SLOT_B,           IDC_SLOT_O,
    IDC_SLOT_Y, IDC_SLOT_P, IDC_BLACKBOARD_COLOR, IDC_WHITEBOARD_COLOR,
};
constexpr std::array<uint32_t Settings::*, 8> kColourSettings = {
    &Settings::PenColorR, &Settings::PenColorG, &Settings::PenColorB, &Settings::PenColorO,
    &Settings::PenColorY, &Settings::PenColorP, &Settings::PadColorK, &Settings::PadColorW,
};

// The working colours while the dialog is open (the dialog is modal, so there is one at a time),
// and the chooser's custom colours, kept for the life of the process.
std::array<COLORREF, kColourButtons.size()> workingColours = {};
std::array<COLORREF, 16> customColours = {};

int ColourSlot(int id) {
    for (std::size_t slot = 0; slot < kColourButtons.size(); ++slot) {
        if (kColourButtons[slot] == id) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

INT_PTR OnInitDialog(HWND dialog) {
    Settings& s = app.settings;
    for (std::size_t slot = 0; slot < kColourSettings.size(); ++slot) {
        workingColours[slot] = s.*kColourSettings[slot];
    }
    CheckDlgButton(dialog, IDC_HIGHLIGHT_SUPPORT, s.HighligterSupported != 0);
    FillPercentList(GetDlgItem(dialog, IDC_HIGHLIGHT_OPACITY),
                    static_cast<uint32_t>(s.HighligterOpacity));
    CheckDlgButton(dialog, IDC_WHITEBOARD_USE_PICTURE, s.UseBKBmpW != 0);
    SetDlgItemTextW(dialog, IDC_WHITEBOARD_PICTURE, s.WPadBackgroundFile);
    CheckDlgButton(dialog, IDC_BLACKBOARD_USE_PICTURE, s.UseBKBmpK != 0);
    SetDlgItemTextW(dialog, IDC_BLACKBOARD_PICTURE, s.KPadBackgroundFile);
    // What the edits show is what OK stores: no more than a setting holds.
    for (int edit : {IDC_WHITEBOARD_PICTURE, IDC_BLACKBOARD_PICTURE}) {
        SendDlgItemMessageW(dialog, edit, EM_LIMITTEXT, kSettingTextUnits - 1, 0);
    }
    EnableDialogItems(dialog, {IDC_HIGHLIGHT_OPACITY}, s.HighligterSupported != 0);
    EnableDialogItems(dialog, {IDC_WHITEBOARD_PICTURE, IDC_WHITEBOARD_BROWSE}, s.UseBKBmpW != 0);
    EnableDialogItems(dialog, {IDC_BLACKBOARD_PICTURE, IDC_BLACKBOARD_BROWSE}, s.UseBKBmpK != 0);
    ApplyLanguage("DrawAdvance", dialog);
    return TRUE;
}

INT_PTR ChooseSlotColour(HWND dialog, int id) {
    const int slot = ColourSlot(id);
    CHOOSECOLORW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.rgbResult = workingColours[slot];
    request.lpCustColors = customColours.data();
    request.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (ChooseColorW(&request)) {
        workingColours[slot] = request.rgbResult;
        InvalidateRect(dialog, nullptr, TRUE);
    }
    return TRUE;
}

INT_PTR ToggleBlackboardPicture(HWND dialog, int id) {
    EnableDialogItems(dialog, {IDC_BLACKBOARD_PICTURE, IDC_BLACKBOARD_BROWSE},
                      IsChecked(dialog, id));
    return TRUE;
}

INT_PTR ToggleWhiteboardPicture(HWND dialog, int id) {
    EnableDialogItems(dialog, {IDC_WHITEBOARD_PICTURE, IDC_WHITEBOARD_BROWSE},
                      IsChecked(dialog, id));
    return TRUE;
}

INT_PTR ToggleHighlighter(HWND dialog, int id) {
    EnableDialogItems(dialog, {IDC_HIGHLIGHT_OPACITY}, IsChecked(dialog, id));
    return TRUE;
}

INT_PTR BrowseBlackboardPicture(HWND dialog, int) {
    BrowseForFile(dialog, IDC_BLACKBOARD_PICTURE, kPictureFileChoice);
    return TRUE;
}

INT_PTR BrowseWhiteboardPicture(HWND dialog, int) {
    BrowseForFile(dialog, IDC_WHITEBOARD_PICTURE, kPictureFileChoice);
    return TRUE;
}

INT_PTR AdvancedDrawOk(HWND dialog, int) {
    // Only a ticked picture has to exist; the blackboard's is checked first.
    if ((IsChecked(dialog, IDC_BLACKBOARD_USE_PICTURE) &&
         !EditNamesReachableFile(dialog, IDC_BLACKBOARD_PICTURE)) ||
        (IsChecked(dialog, IDC_WHITEBOARD_USE_PICTURE) &&
         !EditNamesReachableFile(dialog, IDC_WHITEBOARD_PICTURE))) {
        MessageBoxW(dialog, L"The specified image file is inacessible", L"Error", MB_ICONERROR);
        return TRUE;
    }
    Settings& s = app.settings;
    for (std::size_t slot = 0; slot < kColourSettings.size(); ++slot) {
        s.*kColourSettings[slot] = workingColours[slot];
    }
    s.HighligterSupported = IsChecked(dialog, IDC_HIGHLIGHT_SUPPORT) ? 1 : 0;
    // With no entry selected (a stored value outside 10 to 109) the value stays as it was rather
    // than becoming the list's error code.
    SelectedPercent(GetDlgItem(dialog, IDC_HIGHLIGHT_OPACITY), s.HighligterOpacity);
    s.UseBKBmpW = IsChecked(dialog, IDC_WHITEBOARD_USE_PICTURE) ? 1 : 0;
    GetDlgItemTextW(dialog, IDC_WHITEBOARD_PICTURE, s.WPadBackgroundFile, kSettingTextUnits);
    s.UseBKBmpK = IsChecked(dialog, IDC_BLACKBOARD_USE_PICTURE) ? 1 : 0;
    GetDlgItemTextW(dialog, IDC_BLACKBOARD_PICTURE, s.KPadBackgroundFile, kSettingTextUnits);

    const std::array<SettingEntry, 14> rows = {{
        DwordSettingRow("PenColorR", s.PenColorR),
        DwordSettingRow("PenColorG", s.PenColorG),
        DwordSettingRow("PenColorB", s.PenColorB),
        DwordSettingRow("PenColorO", s.PenColorO),
        DwordSettingRow("PenColorP", s.PenColorP),
        DwordSettingRow("PenColorY", s.PenColorY),
        DwordSettingRow("HighligterSupported", s.HighligterSupported),
        DwordSettingRow("HighligterOpacity", s.HighligterOpacity),
        DwordSettingRow("PadColorW", s.PadColorW),
        DwordSettingRow("PadColorK", s.PadColorK),
        DwordSettingRow("UseBKBmpW", s.UseBKBmpW),
        DwordSettingRow("UseBKBmpK", s.UseBKBmpK),
        StringSettingRowForWrite("WPadBackgroundFile", s.WPadBackgroundFile),
        StringSettingRowForWrite("KPadBackgroundFile", s.KPadBackgroundFile),
    }};
    WriteSettings(rows);
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR AdvancedDrawCancel(HWND dialog, int) {
    EndDialog(dialog, 0);
    return TRUE;
}

constexpr std::array<DispatchRow<ControlHandler>, 15> kControlTable = {{
    {IDC_SLOT_R, ChooseSlotColour},
    {IDC_SLOT_G, ChooseSlotColour},
    {IDC_SLOT_B, ChooseSlotColour},
    {IDC_SLOT_O, ChooseSlotColour},
    {IDC_SLOT_Y, ChooseSlotColour},
    {IDC_SLOT_P, ChooseSlotColour},
    {IDC_BLACKBOARD_COLOR, ChooseSlotColour},
    {IDC_WHITEBOARD_COLOR, ChooseSlotColour},
    {IDC_BLACKBOARD_USE_PICTURE, ToggleBlackboardPicture},
    {IDC_WHITEBOARD_USE_PICTURE, ToggleWhiteboardPicture},
    {IDC_HIGHLIGHT_SUPPORT, ToggleHighlighter},
    {IDC_BLACKBOARD_BROWSE, BrowseBlackboardPicture},
    {IDC_WHITEBOARD_BROWSE, BrowseWhiteboardPicture},
    {IDOK, AdvancedDrawOk},
    {IDCANCEL, AdvancedDrawCancel},
}};

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const auto* row = FindDispatchRow<ControlHandler>(kControlTable, static_cast<uint32_t>(id));
    return row != nullptr ? row->handler(dialog, id) : FALSE;
}

INT_PTR OnDrawItem(const DRAWITEMSTRUCT* item) {
    const int slot = item != nullptr ? ColourSlot(static_cast<int>(item->CtlID)) : -1;
    if (slot < 0) {
        return FALSE;
    }
    DrawColourSwatch(*item, workingColours[slot]);
    return TRUE;
}

constexpr std::array<DispatchRow<DialogHandler>, 3> kMessageTable = {{
    {WM_INITDIALOG, [](HWND d, WPARAM, LPARAM) { return OnInitDialog(d); }},
    {WM_COMMAND, [](HWND d, WPARAM wp, LPARAM) { return OnCommand(d, wp); }},
    {WM_DRAWITEM,
     [](HWND, WPARAM, LPARAM lp) {
         return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
     }},
}};

} // namespace

INT_PTR CALLBACK AdvancedDrawDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* row = FindDispatchRow<DialogHandler>(kMessageTable, message);
    return row != nullptr ? row->handler(dialog, wParam, lParam) : FALSE;
}
