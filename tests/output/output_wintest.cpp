// Copy and save when something is in the way, in the test's own process: a clipboard that
// "another program" (a thread of its own) holds, and a file another program holds open. Each
// failure is said in an error box, the zoom stays up behind it, and while the save dialog is
// open the hotkeys let its keys through.
#include "draw/drawing_fixture.h"
#include "support/dialog_runner.h"

namespace {

// A copy while another program holds the clipboard says so. A name typed without ".png" in a
// folder with a dot in its name gets it, and the file of that name is held open by another
// program: replacing it is asked, then the failure is said. The zoom stays behind each box.
TEST_F(Drawing, ACopyOrSaveThatCannotWriteSaysSoAndTheHotkeysWaitForTheSaveDialog) {
    EnterDrawing();
    std::atomic<bool> held{false}, release{false};
    std::thread otherProgram([&] {
        held = OpenClipboard(nullptr) != FALSE;
        while (held && !release) {
            Sleep(10);
        }
        CloseClipboard();
    });
    ASSERT_TRUE(WaitUntil([&] { return held.load(); }));
    MessageBoxCollector collector;
    SendMessageW(window, WM_COMMAND, 40002, 0); // Ctrl+C
    release = true;
    otherProgram.join();
    const std::vector<DialogSnapshot> copyBoxes = collector.Stop();
    ASSERT_EQ(copyBoxes.size(), 1u);
    const auto starts = [](const DialogSnapshot& box, const std::wstring& text) {
        return box.caption == L"Vistrel" && box.Text().rfind(text, 0) == 0;
    };
    EXPECT_TRUE(starts(copyBoxes[0], L"Error copying the screen to the clipboard: "))
        << copyBoxes[0].Text();
    EXPECT_EQ(app.zoomActive, 1);
    const std::wstring folder = TempFolder() + L"first.last\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"slide.png";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    bool hotkeyHeldDuringDialog = true;
    std::vector<DialogSnapshot> shown;
    std::thread user([&] {
        HWND chooser = WaitForOtherDialog(nullptr);
        ASSERT_NE(chooser, nullptr);
        hotkeyHeldDuringDialog = HotkeyHeld(MOD_CONTROL, '1');
        ASSERT_TRUE(AnswerFileChooser(chooser, IDOK, folder + L"slide"));
        for (const int answer : {IDYES, IDOK}) { // replace it; then the failure
            HWND box = WaitForOtherDialog(nullptr);
            ASSERT_NE(box, nullptr);
            shown.push_back(ReadDialog(box));
            PostMessageW(box, WM_COMMAND, answer, 0);
            ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
        }
    });
    SendMessageW(window, WM_COMMAND, 40001, 0); // Ctrl+S
    user.join();
    CloseHandle(file);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_FALSE(hotkeyHeldDuringDialog);
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '1')) << "back after the dialog";
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].Text().find(path + L" already exists."), std::wstring::npos)
        << shown[0].Text();
    EXPECT_TRUE(starts(shown[1], L"Error saving the picture: ")) << shown[1].Text();
    EXPECT_EQ(app.zoomActive, 1);
}

} // namespace
