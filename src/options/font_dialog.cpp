// The typing font chooser and the Type page's sample (see font_dialog.h).
#include "options/font_dialog.h"

#include <commdlg.h>

#include "lang/apply_language.h"
#include "options/options_state.h"
#include "res/options_controls.h"
#include "res/resource_ids.h"
#include "zoom/app_state.h"

namespace {

constexpr int kChooserPoints = 16;
constexpr LONG kSampleHeight = -21; // a character height of 21 pixels

// The system chooser does all the work; the hook only translates its labels.
UINT_PTR CALLBACK FontChooserHook(HWND chooser, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        ApplyLanguage("SetFont", chooser);
    }
    return 0;
}

} // namespace

void ChooseTypingFont(HWND page) {
    HDC pageDC = GetDC(page);
    HDC memoryDC = CreateCompatibleDC(pageDC);
    ReleaseDC(page, pageDC);

    CHOOSEFONTW chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = page;
    chooser.hDC = memoryDC;
    chooser.lpLogFont = &optionsState.workingFont;
    chooser.Flags =
        CF_SCREENFONTS | CF_ENABLEHOOK | CF_ENABLETEMPLATE | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
    chooser.lpfnHook = FontChooserHook;
    chooser.lpTemplateName = MAKEINTRESOURCEW(IDD_FONT);
    chooser.hInstance = app.instance != nullptr ? app.instance : GetModuleHandleW(nullptr);
    chooser.nFontType = SCREEN_FONTTYPE;
    chooser.nSizeMin = kChooserPoints;
    chooser.nSizeMax = kChooserPoints;
    if (ChooseFontW(&chooser)) {
        InvalidateRect(page, nullptr, TRUE); // the sample shows the new face
    }
    DeleteDC(memoryDC);
}

void PaintTypingSample(HWND page) {
    optionsState.workingFont.lfHeight = kSampleHeight; // stays in the working copy
    HFONT font = CreateFontIndirectW(&optionsState.workingFont);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    HGDIOBJ previous = SelectObject(dc, font);
    RECT area;
    GetWindowRect(GetDlgItem(page, IDC_FONT_GROUP), &area);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    area.top += 6;              // below the group's caption line
    SetBkMode(dc, TRANSPARENT); // over the page's own (possibly themed) background
    DrawTextW(dc, L"Sample", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, previous);
    EndPaint(page, &paint);
    DeleteObject(font);
}
