// The advanced break options dialog (see advanced_break_dialog.h). It reads the settings when it
// opens and writes its eight values at its own OK, whatever the options dialog does afterwards.
#include "breaktimer/advanced_break_dialog.h"

#include <shlwapi.h>

#include <array>

#include "shared/dialog_rules.h"
#include "shared/dialog_controls.h"
#include "lang/apply_language.h"
#include "res/advanced_controls.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/dispatch_table.h"

namespace {

using DialogHandler = INT_PTR (*)(HWND dialog, WPARAM wParam, LPARAM lParam);
using ControlHandler = INT_PTR (*)(HWND dialog, int id);

const FileChoice kSoundFileChoice = {
    L"Sounds\0*.wav\0All Files\0*.*\0", L"Specify sound file...", L"%WINDIR%\\Media",
    L"wav", // appended to a name typed without extension, so the bare extension
};

constexpr int kPositionRadios = IDC_BREAK_POSITION_LAST - IDC_BREAK_POSITION_FIRST + 1;
static_assert(kPositionRadios == 9);

void EnableSoundGroup(HWND dialog, bool enable) {
    EnableDialogItems(dialog, {IDC_BREAK_SOUND_LABEL, IDC_BREAK_SOUND_FILE, IDC_BREAK_SOUND_BROWSE},
                      enable);
}

void EnableBackgroundGroup(HWND dialog, bool enable) {
    EnableDialogItems(dialog,
                      {IDC_BREAK_FADED_DESKTOP, IDC_BREAK_IMAGE_FILE, IDC_BREAK_BACKGROUND_FILE,
                       IDC_BREAK_BACKGROUND_BROWSE, IDC_BREAK_STRETCH},
                      enable);
}

INT_PTR OnInitDialog(HWND dialog) {
    const Settings& s = app.settings;
    if (optionalFunctions.SHAutoComplete != nullptr) {
        optionalFunctions.SHAutoComplete(GetDlgItem(dialog, IDC_BREAK_SOUND_FILE),
                                         SHACF_FILESYSTEM);
        optionalFunctions.SHAutoComplete(GetDlgItem(dialog, IDC_BREAK_BACKGROUND_FILE),
                                         SHACF_FILESYSTEM);
    }
    CheckDlgButton(dialog, IDC_BREAK_PLAY_SOUND, s.BreakPlaySoundFile != 0);
    CheckDlgButton(dialog, IDC_BREAK_SHOW_BACKGROUND, s.BreakShowBackgroundFile != 0);
    CheckDlgButton(dialog, IDC_BREAK_STRETCH, s.BreakBackgroundStretch != 0);
    if (optionalFunctions.SetLayeredWindowAttributes == nullptr) {
        EnableDialogItems(dialog, {IDC_BREAK_OPACITY}, false); // the break screen is opaque
    }
    EnableSoundGroup(dialog, s.BreakPlaySoundFile != 0);
    SetDlgItemTextW(dialog, IDC_BREAK_SOUND_FILE, s.BreakSoundFile);
    EnableBackgroundGroup(dialog, s.BreakShowBackgroundFile != 0);
    SetDlgItemTextW(dialog, IDC_BREAK_BACKGROUND_FILE, s.BreakBackgroundFile);
    // What the edits show is what OK stores: no more than a setting holds.
    for (int edit : {IDC_BREAK_SOUND_FILE, IDC_BREAK_BACKGROUND_FILE}) {
        SendDlgItemMessageW(dialog, edit, EM_LIMITTEXT, kSettingTextUnits - 1, 0);
    }
    CheckDlgButton(dialog, IDC_BREAK_FADED_DESKTOP, s.BreakShowDesktop != 0);
    CheckDlgButton(dialog, IDC_BREAK_IMAGE_FILE, s.BreakShowDesktop == 0);
    // A stored cell outside the grid checks no radio (and never a control after the grid).
    if (const int radio = PositionRadioIndex(static_cast<uint32_t>(s.BreakTimerPosition));
        radio >= 0) {
        CheckDlgButton(dialog, IDC_BREAK_POSITION_FIRST + radio, BST_CHECKED);
    }
    FillPercentList(GetDlgItem(dialog, IDC_BREAK_OPACITY), static_cast<uint32_t>(s.BreakOpacity));
    ApplyLanguage("BreakAdvance", dialog);
    return TRUE;
}

INT_PTR AdvancedBreakOk(HWND dialog, int) {
    const bool play = IsChecked(dialog, IDC_BREAK_PLAY_SOUND);
    if (play && !EditNamesReachableFile(dialog, IDC_BREAK_SOUND_FILE)) {
        MessageBoxW(dialog, L"The specified sound file is inacessible", L"Error", MB_ICONERROR);
        return TRUE;
    }
    const bool desktop = IsChecked(dialog, IDC_BREAK_FADED_DESKTOP);
    const bool shown = IsChecked(dialog, IDC_BREAK_SHOW_BACKGROUND);
    if (shown && !desktop && !EditNamesReachableFile(dialog, IDC_BREAK_BACKGROUND_FILE)) {
        MessageBoxW(dialog, L"The specified background file is inacessible", L"Error",
                    MB_ICONERROR);
        return TRUE;
    }
    Settings& s = app.settings;
    s.BreakShowDesktop = desktop ? 1 : 0;
    s.BreakPlaySoundFile = play ? 1 : 0;
    s.BreakShowBackgroundFile = shown ? 1 : 0;
    s.BreakBackgroundStretch = IsChecked(dialog, IDC_BREAK_STRETCH) ? 1 : 0;
    // Paths are kept even when their feature is off.
    GetDlgItemTextW(dialog, IDC_BREAK_BACKGROUND_FILE, s.BreakBackgroundFile, kSettingTextUnits);
    GetDlgItemTextW(dialog, IDC_BREAK_SOUND_FILE, s.BreakSoundFile, kSettingTextUnits);
    for (int radio = 0; radio < kPositionRadios; ++radio) {
        if (IsChecked(dialog, IDC_BREAK_POSITION_FIRST + radio)) {
            s.BreakTimerPosition = radio;
            break;
        }
    }
    // With no entry selected (a stored value outside 10 to 109) the opacity stays as it was
    // rather than becoming the list's error code.
    SelectedPercent(GetDlgItem(dialog, IDC_BREAK_OPACITY), s.BreakOpacity);

    const std::array<SettingEntry, 8> rows = {{
        DwordSettingRow("BreakPlaySoundFile", s.BreakPlaySoundFile),
        StringSettingRowForWrite("BreakSoundFile", s.BreakSoundFile),
        DwordSettingRow("BreakOpacity", s.BreakOpacity),
        DwordSettingRow("BreakTimerPosition", s.BreakTimerPosition),
        DwordSettingRow("BreakShowBackgroundFile", s.BreakShowBackgroundFile),
        DwordSettingRow("BreakShowDesktop", s.BreakShowDesktop),
        StringSettingRowForWrite("BreakBackgroundFile", s.BreakBackgroundFile),
        DwordSettingRow("BreakBackgroundStretch", s.BreakBackgroundStretch),
    }};
    WriteSettings(rows);
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR AdvancedBreakCancel(HWND dialog, int) {
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR TogglePlaySound(HWND dialog, int id) {
    EnableSoundGroup(dialog, IsChecked(dialog, id));
    return TRUE;
}

INT_PTR ToggleBackground(HWND dialog, int id) {
    EnableBackgroundGroup(dialog, IsChecked(dialog, id));
    return TRUE;
}

INT_PTR BrowseSound(HWND dialog, int) {
    BrowseForFile(dialog, IDC_BREAK_SOUND_FILE, kSoundFileChoice);
    return TRUE;
}

INT_PTR BrowseBackground(HWND dialog, int) {
    BrowseForFile(dialog, IDC_BREAK_BACKGROUND_FILE, kPictureFileChoice);
    return TRUE;
}

constexpr std::array<DispatchRow<ControlHandler>, 6> kControlTable = {{
    {IDOK, AdvancedBreakOk},
    {IDCANCEL, AdvancedBreakCancel},
    {IDC_BREAK_PLAY_SOUND, TogglePlaySound},
    {IDC_BREAK_SOUND_BROWSE, BrowseSound},
    {IDC_BREAK_SHOW_BACKGROUND, ToggleBackground},
    {IDC_BREAK_BACKGROUND_BROWSE, BrowseBackground},
}};

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const auto* row = FindDispatchRow<ControlHandler>(kControlTable, static_cast<uint32_t>(id));
    return row != nullptr ? row->handler(dialog, id) : FALSE;
}

constexpr std::array<DispatchRow<DialogHandler>, 2> kMessageTable = {{
    {WM_COMMAND, [](HWND d, WPARAM wp, LPARAM) { return OnCommand(d, wp); }},
    {WM_INITDIALOG, [](HWND d, WPARAM, LPARAM) { return OnInitDialog(d); }},
}};

} // namespace

INT_PTR CALLBACK AdvancedBreakDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* row = FindDispatchRow<DialogHandler>(kMessageTable, message);
    return row != nullptr ? row->handler(dialog, wParam, lParam) : FALSE;
}
