// The options dialog's own record, shared by the dialog, its pages and the font dialog. Valid
// while the dialog is open, except `customColors`, which the break colour chooser keeps for the
// whole process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>

constexpr int kOptionPageCount = 6;
constexpr int kTabTextUnits = 32;

// Page index: tab order and the init parameter each page receives.
enum class OptionPage : int { Zoom = 0, LiveZoom = 1, Draw = 2, Type = 3, Break = 4, Donate = 5 };

struct OptionsPage {
    WORD templateId;
    HWND window;
    TCITEMW tab; // TCIF_TEXT, pointing into `text`
    wchar_t text[kTabTextUnits];
};

struct OptionsDialogState {
    std::array<OptionsPage, kOptionPageCount> pages = {};
    int currentPage = 0;
    COLORREF workingBreakColor = 0;
    LOGFONTW workingFont = {};
    COLORREF customColors[16] = {};
    HFONT linkFont = nullptr;  // owned: the dialog's font underlined
    HFONT titleFont = nullptr; // owned: the dialog's font bold
    LOGFONTW headerFont = {};  // the dialog's font as it opened, made for headerFontDpi
    UINT headerFontDpi = 96;
    HCURSOR handCursor = nullptr;
    HCURSOR arrowCursor = nullptr;
};

extern OptionsDialogState optionsState;

HWND OptionPageWindow(OptionPage page);

// The page procedure shared by the six pages (option_pages.cpp).
INT_PTR CALLBACK OptionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
