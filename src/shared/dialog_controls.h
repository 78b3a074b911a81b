// Pieces the advanced draw and advanced break dialogs share, and the options pages with them:
// the colour swatch of an owner-drawn colour button, the percentage lists, choosing a file into
// an edit and checking the file an edit names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

// Paints an owner-drawn colour button: a button frame around a swatch of `colour`, a focus
// rectangle when focused, and a checkerboard veil over the swatch when disabled.
void DrawColourSwatch(const DRAWITEMSTRUCT& item, COLORREF colour);

// Fills a drop-down list with 10% to 100% and selects the entry `value` falls in (none for
// values below 10 or above 109).
void FillPercentList(HWND list, uint32_t value);
// The percentage selected in such a list; false when no entry is selected.
bool SelectedPercent(HWND list, int32_t& value);

// A file chooser: filter pairs (double-NUL terminated), title, the folder to start in when the
// edit holds no folder (environment variables expanded) and the default extension.
struct FileChoice {
    const wchar_t* filter;
    const wchar_t* title;
    const wchar_t* fallbackFolder;
    const wchar_t* defaultExtension;
};
extern const FileChoice kPictureFileChoice;

// Shows the open-file dialog for the path in edit `editId` and puts the chosen path there; a
// cancel leaves the edit as it was. No file is opened.
void BrowseForFile(HWND dialog, int editId, const FileChoice& choice);

// True when the file or folder the edit names exists and can be queried.
bool EditNamesReachableFile(HWND dialog, int editId);

void EnableDialogItems(HWND dialog, std::initializer_list<int> ids, bool enable);
bool IsChecked(HWND dialog, int id);
