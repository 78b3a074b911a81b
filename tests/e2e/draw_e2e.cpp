// End to end: the sketch pads of the drawing mode as the screen shows them: K paints the stored
// blackboard colour, W the white pad's picture stretched over the monitor. (The advanced dialog
// that stores them, and a right click during a stroke, are tested in the Windows layer.)
#include "e2e/program_test.h"

namespace {

using Draw = ProgramTest;

TEST_F(Draw, TheBlackboardShowsItsStoredColourAndTheWhitePadItsPictureStretched) {
    const TempPng picture(L"vistrel-pad.png", 64, 48, 0xFFFF0000, 0xFF0000FF);
    ASSERT_TRUE(picture.written);
    WriteSettings({{L"UseBKBmpW", 1}, {L"PadColorK", RGB(0x20, 0x60, 0xA0)}});
    WriteString(L"WPadBackgroundFile", picture.path);
    MoveMouseTo({960, 540});
    PatternWindow slide;
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressWithCtrl(kDrawKey);
    ASSERT_TRUE(WaitForKeys());
    PressKey('K');
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return shot.At(100, 100) == 0x2060A0 && shot.At(1800, 1000) == 0x2060A0 &&
               shot.At(300, 900) == 0x2060A0;
    }));
    PressKey('W'); // 64 x 48 stretched to 1920 x 1080: red on the left half, blue on the right
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return CountColour(shot, {0, 200, 901, 201}, 0xFF0000) == 901 &&
               CountColour(shot, {1020, 900, 1920, 901}, 0x0000FF) == 900;
    }));
    EXPECT_TRUE(Escape());
    EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern));
}

} // namespace
