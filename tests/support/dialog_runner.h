// Running one of the program's modal dialogs inside a test: the dialog runs its real modal loop
// on a thread of its own while the test drives it like a user, answers the boxes it shows and
// sees it end. Also the fixture of the dialog tests, pictures of a window for a person to look
// at, and the built-in Chinese document loaded as the language menu loads it.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_values.h"
#include "support/message_box_watcher.h"
#include "support/stored_settings.h"
#include "support/wait_until.h"

class ModalDialog {
  public:
    // Opens template `templateId` of this program with `procedure`, ownerless, and waits until
    // it shows.
    ModalDialog(int templateId, DLGPROC procedure);
    ~ModalDialog(); // cancels whatever the dialog's thread still shows, then the dialog

    HWND Item(int id) const { return GetDlgItem(window, id); }
    // BM_CLICK: returns once the handler ran; ClickLater returns at once, for buttons whose
    // handler opens a modal window.
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void ClickLater(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const { SetWindowTextW(Item(id), text.c_str()); }
    // Presses a button and waits until the dialog ends: false when it is still open.
    bool PressAndWaitForEnd(int id);
    bool Ended() const { return ended_.load(); }

    HWND window = nullptr;

  private:
    std::atomic<bool> ended_{false};
    std::atomic<DWORD> dialogThread_{0};
    std::thread thread_;
};

// A visible dialog box of this process other than `except`; none after five seconds.
HWND WaitForOtherDialog(HWND except);
// Presses the browse button `browseId` of `dialog` and waits for the file chooser it opens, which
// must carry `title` and start in `folder` (case aside); none when no chooser came.
HWND OpenFileChooser(const ModalDialog& dialog, int browseId, const wchar_t* title,
                     const std::wstring& folder);
// Closes the file chooser with `answer` (IDOK or IDCANCEL), typing `name` first when it is IDOK;
// true once the chooser is gone.
bool AnswerFileChooser(HWND chooser, int answer, const std::wstring& name);
// Sends WM_COMMAND `command` to `dialog` while another thread answers every other box of this
// process, in the order they appeared; the dialog's own thread may be this one or another.
std::vector<DialogSnapshot> SendAnsweringBoxes(HWND dialog, WPARAM command);
// Presses `id` and answers the box it shows: its caption and texts; empty when no box came.
DialogSnapshot PressAndReadBox(ModalDialog& dialog, int id);

// Each dialog test starts without stored settings, with fresh application state and the
// system's optional functions, in English.
class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// Unloads the language a test loaded, and the catalogue.
void UseEnglish();

// Opens the dialog in English, then in the built-in Chinese (chosen as the language menu does),
// keeping what the screen shows of it as NAME-en.png and NAME-zh.png in the folder
// VISTREL_TEST_SHOTS names; the Chinese one must have another title than `englishTitle` and
// control `id` another text than `englishText`.
void KeepPicturesInBothLanguages(int templateId, DLGPROC procedure, const std::wstring& name,
                                 const wchar_t* englishTitle, int id, const wchar_t* englishText);

COLORREF ScreenPixel(int x, int y);
// The screen's pixel at the centre of `button`, a colour swatch.
COLORREF SwatchCentre(HWND button);
// The real colour chooser's red, green and blue edits; AnswerColourChooser types `colour` into
// them and presses OK.
constexpr int kChooserRed = 706;
void AnswerColourChooser(HWND chooser, COLORREF colour);
// The temporary folder, with its trailing backslash.
std::wstring TempFolder();
// Puts `text` into an in-memory text setting, cut to fit.
void Put(wchar_t (&setting)[kSettingTextUnits], const std::wstring& text);
// What the program's error box says for `text` and a system error code.
std::wstring ErrorBoxText(const wchar_t* text, DWORD error);
