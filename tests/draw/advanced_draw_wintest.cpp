// The advanced draw options dialog, run modally as the Draw page runs it and driven like a user:
// what OK stores and when a picture blocks it, a disabled swatch on screen, the pad pictures from
// the real file chooser, and pictures of the dialog in English and Simplified Chinese.
#include "draw/advanced_draw_dialog.h"
#include "res/advanced_controls.h"
#include "res/resource_ids.h"
#include "support/dialog_runner.h"
#include "zoom/app_state.h"

namespace {

using AdvancedDraw = DialogTest;

// OK tests only the ticked pictures, says which is missing and stores nothing until all are
// there; then it stores the fourteen values, a path that is not ticked too.
TEST_F(AdvancedDraw, OkTestsOnlyTickedPicturesAndThenStoresTheFourteenValues) {
    const std::wstring missing = TempFolder() + L"no-such-pad-picture.png";
    wchar_t picture[MAX_PATH] = {};
    GetTempFileNameW(TempFolder().c_str(), L"pad", 0, picture); // creates the file
    Settings& s = app.settings;
    s.PenColorO = 0x123456;
    s.PadColorW = 0xABCDEF;
    s.HighligterSupported = 1;
    s.UseBKBmpK = 1; // with an empty path
    Put(s.WPadBackgroundFile, missing);
    {
        ModalDialog dialog(IDD_ADVANCED_DRAW, AdvancedDrawDialogProc);
        // The highlighter is offered: the four controls show, with their values.
        for (int id : {IDC_HIGHLIGHT_SUPPORT, IDC_HIGHLIGHT_HINT, IDC_HIGHLIGHT_OPACITY_LABEL,
                       IDC_HIGHLIGHT_OPACITY}) {
            EXPECT_TRUE(IsWindowVisible(dialog.Item(id))) << id;
        }
        EXPECT_TRUE(dialog.Checked(IDC_HIGHLIGHT_SUPPORT));
        EXPECT_EQ(SendMessageW(dialog.Item(IDC_HIGHLIGHT_OPACITY), CB_GETCURSEL, 0, 0), 4);
        EXPECT_TRUE(dialog.Enabled(IDC_BLACKBOARD_PICTURE));
        EXPECT_FALSE(dialog.Enabled(IDC_WHITEBOARD_PICTURE) ||
                     dialog.Enabled(IDC_WHITEBOARD_BROWSE));
        EXPECT_EQ(dialog.Text(IDC_WHITEBOARD_PICTURE), missing);
        for (int step = 0; step < 2; ++step) { // the blackboard's empty path, the missing one
            if (step == 1) {
                dialog.SetText(IDC_BLACKBOARD_PICTURE, picture);
                dialog.Click(IDC_WHITEBOARD_USE_PICTURE);
                EXPECT_TRUE(dialog.Enabled(IDC_WHITEBOARD_PICTURE) &&
                            dialog.Enabled(IDC_WHITEBOARD_BROWSE));
            }
            const DialogSnapshot box = PressAndReadBox(dialog, IDOK);
            EXPECT_EQ(box.caption + L": " + box.Text(),
                      L"Error: The specified image file is inacessible");
            EXPECT_FALSE(dialog.Ended());
            EXPECT_EQ(StoredSetting(L"UseBKBmpW"), std::nullopt);
        }
        dialog.Click(IDC_WHITEBOARD_USE_PICTURE);
        ASSERT_TRUE(dialog.PressAndWaitForEnd(IDOK));
    }
    const SettingDwords dwords = {
        {L"PenColorR", 0xFF},        {L"PenColorG", 0xFF00},     {L"PenColorB", 0xFF0000},
        {L"PenColorO", 0x123456},    {L"PenColorP", 0xFF80FF},   {L"PenColorY", 0xFFFF},
        {L"HighligterSupported", 1}, {L"HighligterOpacity", 50}, {L"PadColorW", 0xABCDEF},
        {L"PadColorK", 0},           {L"UseBKBmpW", 0},          {L"UseBKBmpK", 1},
    };
    ExpectStored(dwords);
    EXPECT_EQ(StoredText(L"WPadBackgroundFile"), missing);
    EXPECT_EQ(StoredText(L"KPadBackgroundFile"), std::wstring(picture));
    EXPECT_EQ(StoredSetting(L"PenColor"), std::nullopt); // the current colour is not this dialog's
    DeleteFileW(picture);
}

// Client (0, 0) is the window's corner: x + y even in client terms shows the face.
TEST_F(AdvancedDraw, ADisabledSwatchIsVeiledInACheckerboardOfButtonFace) {
    app.settings.PadColorK = RGB(0, 0, 0);
    ModalDialog dialog(IDD_ADVANCED_DRAW, AdvancedDrawDialogProc);
    HWND button = dialog.Item(IDC_BLACKBOARD_COLOR);
    RECT r = {};
    GetWindowRect(button, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(x, y) == 0 && ScreenPixel(x + 1, y) == 0; }));
    EnableWindow(button, FALSE);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF here = (x - r.left + y - r.top) & 1 ? 0 : face, next = here ? 0 : face;
    EXPECT_TRUE(WaitUntil([&] {
        return ScreenPixel(x, y) == here && ScreenPixel(x + 1, y) == next &&
               ScreenPixel(x, y + 1) == next && ScreenPixel(x + 1, y + 1) == here;
    })) << std::hex
        << ScreenPixel(x, y) << " " << ScreenPixel(x + 1, y);
}

// The blackboard's picture chosen in the real file chooser: it starts in the Pictures folder
// while the edit holds no folder, offers the picture types first, gives a name typed without
// extension the ".bmp" of the file there, and starts the next time in the chosen file's folder;
// Cancel keeps the edit. Then pictures of the dialog in both languages.
TEST_F(AdvancedDraw, BrowsingForAPadPictureStartsInPicturesAndOnlyOkChangesTheEdit) {
    wchar_t pictures[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%USERPROFILE%\\Pictures", pictures, MAX_PATH);
    CreateDirectoryW(pictures, nullptr); // a fresh prefix may not have it
    app.settings.UseBKBmpK = 1;
    const std::wstring temp = TempFolder(), typed = temp + L"chalkboard", bmp = typed + L".bmp";
    CloseHandle(CreateFileW(bmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    {
        ModalDialog dialog(IDD_ADVANCED_DRAW, AdvancedDrawDialogProc);
        // The answer, the folder the chooser starts in and the edit's text afterwards.
        const std::tuple<int, std::wstring, std::wstring> steps[] = {
            {IDCANCEL, pictures, L""},
            {IDOK, pictures, bmp},
            {IDCANCEL, temp.substr(0, temp.size() - 1), bmp}};
        for (const auto& [answer, folder, after] : steps) {
            HWND chooser = OpenFileChooser(dialog, IDC_BLACKBOARD_BROWSE,
                                           L"Specify background file...", folder);
            ASSERT_NE(chooser, nullptr);
            wchar_t text[MAX_PATH] = {};
            HWND types = GetDlgItem(chooser, 1136);
            EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 6);
            SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, L"Bitmap Files (*.bmp;*.dib)");
            ASSERT_TRUE(AnswerFileChooser(chooser, answer, typed));
            EXPECT_TRUE(WaitUntil([&, &after = after] {
                return dialog.Text(IDC_BLACKBOARD_PICTURE) == after;
            })) << dialog.Text(IDC_BLACKBOARD_PICTURE);
        }
        EXPECT_EQ(dialog.Text(IDC_WHITEBOARD_PICTURE), L"");
    }
    DeleteFileW(bmp.c_str());
    app.settings.UseBKBmpW = 1;
    Put(app.settings.KPadBackgroundFile, L"C:\\users\\presenter\\Pictures\\chalkboard.png");
    Put(app.settings.WPadBackgroundFile, L"C:\\users\\presenter\\Pictures\\grid.png");
    KeepPicturesInBothLanguages(IDD_ADVANCED_DRAW, AdvancedDrawDialogProc, L"advanced-draw",
                                L"Advanced Draw Options", IDC_BLACKBOARD_USE_PICTURE,
                                L"Show background bitmap");
}

} // namespace
