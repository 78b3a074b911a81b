// Running one of the program's modal dialogs inside a test: the dialog runs its real modal loop
// on a thread of its own while the test drives it from outside, answers the boxes it shows and
// sees it end. Also keeping a picture of a window for a person to look at.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "settings/settings_values.h"
#include "support/message_box_watcher.h"
#include "support/stored_settings.h"

class ModalDialog {
  public:
    // Opens template `templateId` of this program with `procedure`, ownerless, and waits until
    // it shows.
    ModalDialog(int templateId, DLGPROC procedure);
    ~ModalDialog(); // cancels a dialog that is still open

    HWND Item(int id) const { return GetDlgItem(window, id); }
    // Clicks a button as the mouse would (BM_CLICK); returns once its handler ran.
    void Click(int id) const;
    // The same, but returns at once: for buttons whose handler opens a modal window.
    void ClickLater(int id) const;
    bool Checked(int id) const;
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const;
    // Presses OK (or another button) and waits until the dialog ends: false when it is still
    // open after the timeout.
    bool PressAndWaitForEnd(int id, DWORD timeoutMs = 5000);
    bool Ended() const { return ended_.load(); }

    HWND window = nullptr;

  private:
    std::atomic<bool> ended_{false};
    std::atomic<DWORD> dialogThread_{0};
    std::thread thread_;
};

// A visible dialog box of this process other than `except` (0: any); none after the timeout.
HWND WaitForOtherDialog(HWND except, DWORD timeoutMs = 5000);
// Presses `id` and answers the box it shows: its caption and texts; empty when no box came.
DialogSnapshot PressAndReadBox(ModalDialog& dialog, int id);

// Makes the built-in Simplified Chinese document the loaded language, as choosing it in the
// language menu does; false when it cannot be loaded. UseEnglish unloads it again.
bool UseBuiltInChinese();
void UseEnglish();

// Keeps what the screen shows of `window` as NAME.png in the folder VISTREL_TEST_SHOTS names.
bool KeepWindowPicture(HWND window, const std::wstring& name);
// Opens the dialog in English, then in the built-in Chinese, keeping NAME-en.png and NAME-zh.png;
// checks that the Chinese one has another title than `englishTitle` and that the control `id`
// no longer reads `englishText`.
void KeepPicturesInBothLanguages(int templateId, DLGPROC procedure, const std::wstring& name,
                                 const wchar_t* englishTitle, int id, const wchar_t* englishText);

// The temporary folder, with its trailing backslash.
std::wstring TempFolder();
// Puts `text` into an in-memory text setting, cut to fit.
void Put(wchar_t (&setting)[kSettingTextUnits], const std::wstring& text);
