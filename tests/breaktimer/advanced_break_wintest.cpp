// The advanced break options dialog, run modally as the Break page runs it and driven like a
// user: what opening shows, which files block OK and with which text, what OK and Cancel store,
// and pictures of the dialog in English and Simplified Chinese.
#include "breaktimer/advanced_break_dialog.h"
#include "res/advanced_controls.h"
#include "res/resource_ids.h"
#include "shell/optional_functions.h"
#include "support/dialog_runner.h"
#include "zoom/app_state.h"

namespace {

using AdvancedBreak = DialogTest;

int CheckedPosition(const ModalDialog& dialog) {
    int radio = 0;
    while (radio < 9 && !dialog.Checked(IDC_BREAK_POSITION_FIRST + radio)) {
        ++radio;
    }
    return radio < 9 ? radio : -1;
}

// A stored position above 8 once checked the control after the grid.
TEST_F(AdvancedBreak, APositionOutsideTheGridChecksNoRadioAndOkKeepsIt) {
    app.settings.BreakTimerPosition = 9;
    app.settings.BreakOpacity = 5; // selects no opacity either
    optionalFunctions.SetLayeredWindowAttributes = nullptr;
    ModalDialog dialog(IDD_ADVANCED_BREAK, AdvancedBreakDialogProc);
    EXPECT_EQ(CheckedPosition(dialog), -1);
    EXPECT_FALSE(dialog.Checked(IDC_BREAK_SHOW_BACKGROUND)); // the control after the grid
    EXPECT_FALSE(dialog.Enabled(IDC_BREAK_OPACITY)) << "without layered windows";
    ASSERT_TRUE(dialog.PressAndWaitForEnd(IDOK));
    EXPECT_EQ(StoredSetting(L"BreakTimerPosition"), 9u);
    EXPECT_EQ(StoredSetting(L"BreakOpacity"), 5u);
}

// Opening shows the stored settings, and the groups follow their check boxes. Only a picture
// background needs its file, and only a sound that is on; each missing file blocks OK with its
// own text and stores nothing. The paths are stored whatever is ticked. Then pictures of the
// dialog in both languages.
TEST_F(AdvancedBreak, OpeningShowsTheSettingsAndMissingFilesBlockOkOnlyWhenUsed) {
    const std::wstring missing = TempFolder() + L"no-such-break-file.wav";
    Settings& s = app.settings;
    s.BreakTimerPosition = 2;
    s.BreakOpacity = 55;
    s.BreakShowBackgroundFile = 1;
    s.BreakShowDesktop = 0;
    Put(s.BreakBackgroundFile, missing);
    Put(s.BreakSoundFile, missing);
    {
        ModalDialog dialog(IDD_ADVANCED_BREAK, AdvancedBreakDialogProc);
        EXPECT_EQ(CheckedPosition(dialog), 2);
        EXPECT_EQ(SendMessageW(dialog.Item(IDC_BREAK_OPACITY), CB_GETCURSEL, 0, 0), 4); // 50%
        EXPECT_EQ(SendMessageW(dialog.Item(IDC_BREAK_OPACITY), CB_GETCOUNT, 0, 0), 10);
        EXPECT_TRUE(dialog.Enabled(IDC_BREAK_OPACITY)); // Wine has layered windows
        EXPECT_FALSE(dialog.Checked(IDC_BREAK_PLAY_SOUND));
        for (int id : {IDC_BREAK_SOUND_LABEL, IDC_BREAK_SOUND_FILE, IDC_BREAK_SOUND_BROWSE}) {
            EXPECT_FALSE(dialog.Enabled(id)) << id;
        }
        EXPECT_EQ(dialog.Text(IDC_BREAK_SOUND_FILE), missing);
        EXPECT_TRUE(dialog.Checked(IDC_BREAK_IMAGE_FILE));
        EXPECT_FALSE(dialog.Checked(IDC_BREAK_FADED_DESKTOP));
        const auto expectBlocked = [&](const std::wstring& text) {
            const DialogSnapshot box = PressAndReadBox(dialog, IDOK);
            EXPECT_EQ(box.caption + L": " + box.Text(),
                      L"Error: The specified " + text + L" file is inacessible");
            EXPECT_FALSE(dialog.Ended());
            EXPECT_EQ(SettingValueNames(), std::vector<std::wstring>{});
        };
        expectBlocked(L"background");
        dialog.Click(IDC_BREAK_SHOW_BACKGROUND);
        for (int id = IDC_BREAK_FADED_DESKTOP; id <= IDC_BREAK_STRETCH; ++id) {
            EXPECT_FALSE(dialog.Enabled(id)) << id;
        }
        dialog.Click(IDC_BREAK_SHOW_BACKGROUND);
        dialog.Click(IDC_BREAK_FADED_DESKTOP); // the faded desktop needs no file
        dialog.Click(IDC_BREAK_STRETCH);
        dialog.Click(IDC_BREAK_PLAY_SOUND);
        EXPECT_TRUE(dialog.Enabled(IDC_BREAK_SOUND_BROWSE));
        for (const std::wstring& path : {std::wstring(), missing}) {
            dialog.SetText(IDC_BREAK_SOUND_FILE, path);
            expectBlocked(L"sound");
        }
        dialog.Click(IDC_BREAK_PLAY_SOUND);
        dialog.Click(IDC_BREAK_POSITION_FIRST + 8);
        SendMessageW(dialog.Item(IDC_BREAK_OPACITY), CB_SETCURSEL, 6, 0);
        ASSERT_TRUE(dialog.PressAndWaitForEnd(IDOK));
    }
    const SettingDwords dwords = {
        {L"BreakPlaySoundFile", 0},      {L"BreakOpacity", 70},    {L"BreakTimerPosition", 8},
        {L"BreakShowBackgroundFile", 1}, {L"BreakShowDesktop", 1}, {L"BreakBackgroundStretch", 1},
    };
    ExpectStored(dwords);
    EXPECT_EQ(s.BreakTimerPosition, 8);
    EXPECT_EQ(StoredText(L"BreakBackgroundFile"), missing);
    EXPECT_EQ(StoredText(L"BreakSoundFile"), missing);
    s.BreakPlaySoundFile = 1;
    s.BreakShowBackgroundFile = 1;
    Put(s.BreakSoundFile, L"C:\\windows\\Media\\chimes.wav");
    Put(s.BreakBackgroundFile, L"C:\\users\\presenter\\Pictures\\coffee.jpg");
    KeepPicturesInBothLanguages(IDD_ADVANCED_BREAK, AdvancedBreakDialogProc, L"advanced-break",
                                L"Advanced Break Options", IDC_BREAK_PLAY_SOUND,
                                L"Play Sound on Expiration");
}

} // namespace
