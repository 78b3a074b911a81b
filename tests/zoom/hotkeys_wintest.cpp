// Registering hotkeys (to this thread): silent failures, the extended bit, all four tried despite
// a conflict, and the live-zoom skip. End-to-end tests check the conflict box's text.
#include <gtest/gtest.h>

#include "shell/optional_functions.h"
#include "support/message_box_watcher.h"
#include "zoom/app_state.h"
#include "zoom/hotkeys.h"

namespace {

constexpr int kElsewhere = 0xCAFE;  // an id of "another program" holding a combination

// True when some registration holds the combination (RegisterHotKey's modifiers).
bool Held(UINT modifiers, UINT key) {
    const bool free = RegisterHotKey(nullptr, 0xBEEF, modifiers, key);
    UnregisterHotKey(nullptr, 0xBEEF);
    return !free;
}

class Hotkeys : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        ReleaseOptionalFunctions();  // no magnification library
    }
    void TearDown() override {
        for (int id : {0, 1, 2, 3, kElsewhere}) {
            UnregisterHotKey(nullptr, id);
        }
        ReleaseOptionalFunctions();
    }
    MessageBoxCollector boxes;
};

TEST_F(Hotkeys, ZeroAndUnreportedFailuresAreSilentAndTheExtendedBitIsIgnored) {
    EXPECT_EQ(RegisterHotkeyValue(nullptr, 0, HotkeyId::Zoom, true), 0);
    ASSERT_TRUE(RegisterHotKey(nullptr, kElsewhere, MOD_SHIFT, '1'));
    EXPECT_EQ(RegisterHotkeyValue(nullptr, 0x131, HotkeyId::Zoom, false), 0);
    ASSERT_FALSE(Held(MOD_SHIFT, '2'));
    EXPECT_EQ(RegisterHotkeyValue(nullptr, 0x932, HotkeyId::Draw, true), 1);  // extended Shift+2
    EXPECT_TRUE(Held(MOD_SHIFT, '2'));
    EXPECT_TRUE(boxes.Stop().empty());
}

TEST_F(Hotkeys, AllFourAreTriedDespiteAConflictWhichIsReportedOnce) {
    ASSERT_TRUE(RegisterHotKey(nullptr, kElsewhere, MOD_SHIFT, '2'));
    const HotkeyBinding bindings[4] = {
        {HotkeyId::Zoom, 0x131}, {HotkeyId::LiveZoom, 0}, {HotkeyId::Draw, 0x132},
        {HotkeyId::Break, 0x133}};
    EXPECT_EQ(RegisterAllHotkeys(nullptr, std::span<const HotkeyBinding, 4>(bindings)), 0);
    EXPECT_EQ(boxes.Stop().size(), 1u);
    EXPECT_TRUE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Zoom)));
    EXPECT_TRUE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Break)));
    EXPECT_FALSE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::LiveZoom)));
    EXPECT_FALSE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Draw)));
}

TEST_F(Hotkeys, QuietReRegistrationSkipsLiveZoomWithoutMagnification) {
    RegisterStoredHotkeysQuietly(nullptr);
    EXPECT_TRUE(Held(MOD_SHIFT, '1'));
    EXPECT_TRUE(Held(MOD_SHIFT, '3'));
    EXPECT_FALSE(Held(MOD_SHIFT, '4'));
    optionalFunctions.MagInitialize = []() -> BOOL { return TRUE; };
    RegisterStoredHotkeysQuietly(nullptr);  // the others fail now, silently
    EXPECT_TRUE(Held(MOD_SHIFT, '4'));
    EXPECT_TRUE(boxes.Stop().empty());
}

} // namespace
