// End to end: live zoom over the desktop with a stand-in magnification library (Wine has none),
// installed into the prefix's system directory before the program starts. The stand-in records
// every transform the program hands it, which tells the level and the source origin.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/program_test.h"
#include "support/magnification_standin/standin_record.h"

namespace {

constexpr const wchar_t* kLiveClass = L"MagnifierClass";
constexpr const wchar_t* kLiveTitle = L"Vistrel Live Zoom";

// The transform for level L and source origin (x, y): L, 0, -x*L; 0, L, -y*L; 0, 0, 1.
struct Transform {
    float level;
    float x; // source origin, screen coordinates
    float y;
    bool operator==(const Transform&) const = default;
};

class LiveZoom : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(InstallStandIn());
        mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(StandInRecord), kStandInMappingName);
        ASSERT_NE(mapping, nullptr);
        record = static_cast<StandInRecord*>(
            MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(StandInRecord)));
        ASSERT_NE(record, nullptr);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        if (record != nullptr) {
            UnmapViewOfFile(record);
        }
        if (mapping != nullptr) {
            CloseHandle(mapping);
        }
    }

    // The stand-in lives in magnification_standin\ beside this test program; the program loads
    // optional libraries from the system directory only.
    static void InstallStandIn() {
        wchar_t source[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, source, MAX_PATH);
        std::wstring path = source;
        path = path.substr(0, path.find_last_of(L'\\') + 1) +
               L"magnification_standin\\magnification.dll";
        wchar_t system[MAX_PATH] = {};
        ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
        const std::wstring target = std::wstring(system) + L"\\magnification.dll";
        ASSERT_TRUE(CopyFileW(path.c_str(), target.c_str(), FALSE)) << GetLastError();
    }

    static HWND LiveWindow() { return FindWindowW(kLiveClass, kLiveTitle); }
    static bool LiveShown() {
        HWND live = LiveWindow();
        return live != nullptr && IsWindowVisible(live);
    }

    std::vector<Transform> Transforms() const {
        std::vector<Transform> all;
        const long count = record->transformCount;
        const long first = count > static_cast<long>(kStandInHistory) ? count - kStandInHistory : 0;
        for (long i = first; i < count; ++i) {
            const float* m = record->transforms[i % kStandInHistory].m;
            all.push_back({m[0], -m[2] / m[0], -m[5] / m[4]});
        }
        return all;
    }
    bool LastTransformIs(Transform expected) const {
        const std::vector<Transform> all = Transforms();
        return !all.empty() && all.back() == expected;
    }
    bool WaitForTransform(Transform expected) const {
        if (WaitUntil([&] { return LastTransformIs(expected); })) {
            return true;
        }
        const std::vector<Transform> all = Transforms();
        if (!all.empty()) {
            ADD_FAILURE() << "last transform: level " << all.back().level << " at " << all.back().x
                          << ", " << all.back().y;
        }
        return false;
    }

    HANDLE mapping = nullptr;
    StandInRecord* record = nullptr;
};

TEST_F(LiveZoom, ShowsOverTheMonitorFollowsTheCursorZoomsAndHides) {
    WriteSettingDword(L"ZoominSliderLevel", 5); // starts at 4.0
    MoveMouseTo(960, 540);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('4');
    ASSERT_TRUE(WaitUntil(LiveShown));
    EXPECT_EQ(record->initializeCalls, 1);
    RECT rect = {};
    GetWindowRect(LiveWindow(), &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 1920);
    EXPECT_EQ(rect.bottom, 1080);

    // At 4.0 the source is 480 x 270 around the cursor.
    ASSERT_TRUE(WaitForTransform({4.0f, 720, 405}));
    // The level grew by a tenth per tick, from 1.1 with composition or 2.09 without.
    std::vector<float> levels;
    for (const Transform& t : Transforms()) {
        if (levels.empty() || levels.back() != t.level) {
            levels.push_back(t.level);
        }
    }
    ASSERT_GE(levels.size(), 2u);
    EXPECT_TRUE(levels[0] == 1.1f || levels[0] == 1.9f * 1.1f) << levels[0];
    for (size_t i = 1; i + 1 < levels.size(); ++i) {
        EXPECT_EQ(levels[i], levels[i - 1] * 1.1f) << i;
    }
    EXPECT_EQ(levels.back(), 4.0f);

    // The source follows the cursor and stays on the monitor in its corners.
    MoveMouseTo(100, 100);
    EXPECT_TRUE(WaitForTransform({4.0f, 0, 0}));
    MoveMouseTo(1900, 1000);
    EXPECT_TRUE(WaitForTransform({4.0f, 1440, 810}));

    PressWithCtrl(VK_UP); // 8.0: the source is 240 x 135
    EXPECT_TRUE(WaitForTransform({8.0f, 1680, 933}));
    PressWithCtrlQueued(VK_DOWN, 2); // both keep their Ctrl: 8 -> 4 -> 2
    EXPECT_TRUE(WaitForTransform({2.0f, 960, 540}));

    // The hotkey again hides the window; from Windows 7 on it is destroyed.
    PressShifted('4');
    EXPECT_TRUE(WaitUntil([] { return LiveWindow() == nullptr; }));
}

TEST_F(LiveZoom, DrawHotkeyTakesOverAndEscapeGivesLiveZoomBack) {
    WriteSettingDword(L"ZoominSliderLevel", 2); // 1.75, and Ctrl+Up makes 3.5
    MoveMouseTo(1000, 600);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('4');
    ASSERT_TRUE(WaitForTransform({1.75f, 1000 - 548, 600 - 308}));
    PressWithCtrl(VK_UP);
    // The source is trunc(1920 / 3.5) = 548 by trunc(1080 / 3.5) = 308.
    ASSERT_TRUE(WaitForTransform({3.5f, 1000 - 274, 600 - 154}));

    // Drawing at 1.0 over the frozen image, the cursor where the magnifier showed it: the
    // source is centred on it, so at the monitor's centre; the pen widened to trunc(3 x 3.5).
    PressShifted('2');
    ASSERT_TRUE(WaitUntil([this] { return IsWindowVisible(mainWindow) != 0; }));
    EXPECT_TRUE(WaitUntil([] { return !LiveShown(); }));
    POINT cursor = {};
    EXPECT_TRUE(WaitUntil([&] {
        GetCursorPos(&cursor);
        return cursor.x == 960 && cursor.y == 540;
    })) << cursor.x
        << ", " << cursor.y;
    EXPECT_EQ(ReadSettingDword(L"PenWidth"), 10u);

    // Escape ends the drawing: the cursor goes back to the source's centre, where it was, and
    // live zoom comes back at 3.0 (the whole part of 3.5) around it; the pen at 3.
    ASSERT_TRUE(WaitUntil([this] { return HasKeyboardFocus(mainWindow); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
    EXPECT_TRUE(WaitUntil(LiveShown));
    EXPECT_TRUE(WaitForTransform({3.0f, 1000 - 320, 600 - 180}));
    EXPECT_TRUE(WaitUntil([] { return ReadSettingDword(L"PenWidth") == 3u; }));
    PressShifted('4');
    EXPECT_TRUE(WaitUntil([] { return LiveWindow() == nullptr; }));
}

} // namespace
