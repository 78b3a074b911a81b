// Pieces shared by the program's dialogs (see dialog_controls.h).
#include "shared/dialog_controls.h"

#include <commdlg.h>

#include <cwchar>

#include "shared/dialog_rules.h"
#include "settings/settings_values.h"
#include "zoom/app_state.h"

const FileChoice kPictureFileChoice = {
    L"Bitmap Files (*.bmp;*.dib)\0*.bmp;*.dib\0"
    L"PNG (*.png)\0*.png\0"
    L"JPEG (*.jpg;*.jpeg;*.jpe;*.jfif)\0*.jpg;*.jpeg;*.jpe;*.jfif\0"
    L"GIF (*.gif)\0*.gif\0"
    L"All Picture Files\0*.bmp;*.dib;*.png;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif\0"
    L"All Files\0*.*\0",
    L"Specify background file...",
    L"%USERPROFILE%\\Pictures",
    // The chooser appends up to three characters of this to a name typed without extension,
    // so it is the bare extension, not a pattern.
    L"bmp",
};

void DrawColourSwatch(const DRAWITEMSTRUCT& item, COLORREF colour) {
    HDC dc = item.hDC;
    RECT band = item.rcItem;
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    if (item.itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &band);
    }
    RECT frame = band;
    InflateRect(&frame, -2, -2);
    UINT look = DFCS_BUTTONPUSH;
    if (item.itemState & ODS_SELECTED) {
        look |= DFCS_PUSHED;
    }
    if (item.itemState & ODS_DISABLED) {
        look |= DFCS_INACTIVE;
    }
    DrawFrameControl(dc, &frame, DFC_BUTTON, look);
    // Inside the frame's 2-pixel edge, a 1-pixel outline of button face is left around the swatch.
    RECT swatch = frame;
    InflateRect(&swatch, -3, -3);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &swatch, brush);
    DeleteObject(brush);
    if (item.itemState & ODS_DISABLED) {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = swatch.top; y < swatch.bottom; ++y) {
            for (int x = swatch.left; x < swatch.right; ++x) {
                if (SwatchVeilCovers(x, y)) {
                    SetPixelV(dc, x, y, face);
                }
            }
        }
    }
}

void FillPercentList(HWND list, uint32_t value) {
    for (int index = 0; index < kPercentListEntries; ++index) {
        wchar_t text[8] = {};
        swprintf(text, std::size(text), L"%u%%", PercentListValue(index));
        const LRESULT at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(at), PercentListValue(index));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(PercentListSelection(value)), 0);
}

bool SelectedPercent(HWND list, int32_t& value) {
    const LRESULT at = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR) {
        return false;
    }
    value = static_cast<int32_t>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
    return true;
}

void BrowseForFile(HWND dialog, int editId, const FileChoice& choice) {
    wchar_t file[kSettingTextUnits] = {};
    GetDlgItemTextW(dialog, editId, file, kSettingTextUnits);
    wchar_t folder[kSettingTextUnits] = {};
    if (const std::size_t length = InitialFolderLength(file); length > 0) {
        wmemcpy(folder, file, length);
    } else {
        ExpandEnvironmentStringsW(choice.fallbackFolder, folder, kSettingTextUnits);
    }
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.hInstance = app.instance;
    request.lpstrFilter = choice.filter;
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = kSettingTextUnits;
    request.lpstrInitialDir = folder;
    request.lpstrTitle = choice.title;
    request.Flags = OFN_LONGNAMES;
    request.lpstrDefExt = choice.defaultExtension;
    if (GetOpenFileNameW(&request)) {
        SetDlgItemTextW(dialog, editId, file);
    }
}

bool EditNamesReachableFile(HWND dialog, int editId) {
    wchar_t path[kSettingTextUnits] = {};
    GetDlgItemTextW(dialog, editId, path, kSettingTextUnits);
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void EnableDialogItems(HWND dialog, std::initializer_list<int> ids, bool enable) {
    for (int id : ids) {
        EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE);
    }
}

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
