// End to end: live zoom over the desktop with the stand-in magnification library (Wine has
// none). Installed into the prefix's system directory before the program starts, it records the
// last transform and source rectangle the program hands it in a named mapping, which tell the
// level and what part of the screen is shown. A failing start and the hand-over of the pen width
// are tested in the Windows layer.
#include "e2e/program_test.h"
#include "support/magnification_standin/standin_record.h"

namespace {

HWND LiveWindow() {
    return FindWindowW(L"MagnifierClass", L"Vistrel Live Zoom");
}

bool LiveShown() {
    return IsWindowVisible(LiveWindow()) != 0;
}

class LiveZoom : public ProgramTest {
  protected:
    // Copies the library (magnification_standin\ beside this test) into the system directory,
    // where the program loads optional libraries from, and opens its record.
    void SetUp() override {
        ProgramTest::SetUp();
        wchar_t path[MAX_PATH] = {};
        std::wstring source(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
        source.replace(source.find_last_of(L'\\') + 1, std::wstring::npos,
                       L"magnification_standin\\magnification.dll");
        ASSERT_GT(GetSystemDirectoryW(path, MAX_PATH), 0u);
        ASSERT_TRUE(CopyFileW(source.c_str(), (std::wstring(path) + L"\\magnification.dll").c_str(),
                              FALSE));
        mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(StandInRecord), kStandInMappingName);
        ASSERT_NE(mapping, nullptr);
        record = static_cast<StandInRecord*>(
            MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(StandInRecord)));
        ASSERT_NE(record, nullptr);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        UnmapViewOfFile(record);
        CloseHandle(mapping);
    }
    // Until the magnifier shows the source `width` x `height` from (x, y) at `level`: the last
    // transform a pure scale of that level (the source rectangle, not the matrix, says where)
    // and the last source rectangle that one, in screen coordinates.
    bool WaitFor(float level, int x, int y, int width, int height) const {
        return WaitUntil([&] {
            const volatile float* m = record->transform;
            const volatile long* s = record->source;
            return record->transformCount > 0 && record->sourceCount > 0 && m[0] == level &&
                   m[2] == 0.0f && m[5] == 0.0f && s[0] == x && s[1] == y && s[2] == x + width &&
                   s[3] == y + height;
        });
    }
    HANDLE mapping = nullptr;
    StandInRecord* record = nullptr;
};

TEST_F(LiveZoom, FollowsTheCursorKeepsQueuedCtrlAndTheDrawHotkeyTakesOverUntilEscape) {
    WriteSettings({{L"ZoominSliderLevel", 2}}); // 1.75, and Ctrl+Up makes 3.5
    MoveMouseTo({1000, 600});
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressWithCtrl(kLiveZoomKey);
    // At 1.75 the source is trunc(1920 / 1.75) = 1097 by trunc(1080 / 1.75) = 617.
    ASSERT_TRUE(WaitFor(1.75f, 1000 - 548, 600 - 308, 1097, 617));
    MoveMouseTo({1100, 650});
    EXPECT_TRUE(WaitFor(1.75f, 1100 - 548, 650 - 308, 1097, 617));
    MoveMouseTo({1000, 600});
    PressWithCtrlQueued(VK_UP, 2); // 1.75 -> 3.5 -> 7
    ASSERT_TRUE(WaitFor(7.0f, 1000 - 137, 600 - 77, 274, 154));
    PressWithCtrl(VK_DOWN); // 3.5: trunc(1920 / 3.5) = 548 by trunc(1080 / 3.5) = 308
    ASSERT_TRUE(WaitFor(3.5f, 1000 - 274, 600 - 154, 548, 308));

    // Drawing over the frozen image with the cursor where the magnifier showed it, the source's
    // centre; Escape puts it back and live zoom returns at 3.0, the whole part of 3.5.
    ASSERT_TRUE(HotkeyShows(kDrawKey));
    EXPECT_TRUE(WaitUntil([] { return !LiveShown(); }));
    EXPECT_TRUE(WaitUntil([] { return CursorAt({960, 540}); }));
    EXPECT_TRUE(Escape());
    EXPECT_TRUE(WaitUntil(LiveShown));
    EXPECT_TRUE(WaitFor(3.0f, 1000 - 320, 600 - 180, 640, 360));
    PressWithCtrl(kLiveZoomKey); // from Windows 7 on the window is destroyed
    EXPECT_TRUE(WaitUntil([] { return LiveWindow() == nullptr; }));
}

} // namespace
