// Hotkey registration against the system: which combination a value really holds, the conflict
// box with the system's key names, and the start-up and Cancel registrations.
#include <gtest/gtest.h>

#include <string>

#include "shell/optional_functions.h"
#include "support/message_box_watcher.h"
#include "zoom/app_state.h"
#include "zoom/hotkeys.h"

namespace {

constexpr int kRivalId = 77;

// The system's name of a key, asked the same way the program asks.
std::wstring KeyName(UINT virtualKey, bool extended = false) {
    LONG argument = static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16);
    if (extended) {
        argument |= 0x1000000;
    }
    wchar_t name[128] = {};
    GetKeyNameTextW(argument, name, 128);
    return name;
}

std::wstring ConflictText(const std::wstring& keyName) {
    return L"Hot key " + keyName + L" is already in use.\nSelect a different hot key.";
}

BOOL WINAPI PretendMagInitialize() { return TRUE; }

class Hotkeys : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"HotkeyTestWindow";
        RegisterClassW(&windowClass);
    }

    void SetUp() override {
        ResetAppState();
        ReleaseOptionalFunctions();
        owner_ = CreateWindowW(L"HotkeyTestWindow", L"owner", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        rival_ = CreateWindowW(L"HotkeyTestWindow", L"rival", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        ASSERT_NE(rival_, nullptr);
    }

    void TearDown() override {
        for (int id = 0; id < 4; ++id) {
            UnregisterHotKey(owner_, id);
        }
        UnregisterHotKey(rival_, kRivalId);
        DestroyWindow(owner_);
        DestroyWindow(rival_);
        ReleaseOptionalFunctions();
    }

    // Another window takes the combination (RegisterHotKey's modifiers).
    void Take(UINT modifiers, UINT key) {
        ASSERT_TRUE(RegisterHotKey(rival_, kRivalId, modifiers, key));
    }

    // True when some window holds the combination: then nobody else can register it.
    bool Held(UINT modifiers, UINT key) {
        if (!RegisterHotKey(rival_, kRivalId + 1, modifiers, key)) {
            return true;
        }
        UnregisterHotKey(rival_, kRivalId + 1);
        return false;
    }

    HWND owner_ = nullptr;
    HWND rival_ = nullptr;
};

TEST_F(Hotkeys, ZeroIsNeverRegisteredNorReported) {
    MessageBoxCollector boxes;
    EXPECT_EQ(RegisterHotkeyValue(owner_, 0, HotkeyId::Zoom, true), 0);
    EXPECT_TRUE(boxes.Stop().empty());
}

TEST_F(Hotkeys, ValueHoldsTheTranslatedCombination) {
    struct Case {
        uint32_t value;
        UINT modifiers;
        UINT key;
    };
    const Case cases[] = {
        {0x131, MOD_SHIFT, '1'},
        {0x431, MOD_ALT, '1'},
        {0x558, MOD_ALT | MOD_SHIFT, 'X'},
        {0x258, MOD_CONTROL, 'X'},
        {0x931, MOD_SHIFT, '1'},  // the extended bit registers the same combination
        {0xF2D, MOD_ALT | MOD_CONTROL | MOD_SHIFT, VK_INSERT},
    };
    MessageBoxCollector boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "value 0x" << c.value);
        ASSERT_FALSE(Held(c.modifiers, c.key));
        EXPECT_EQ(RegisterHotkeyValue(owner_, c.value, HotkeyId::Draw, true), 1);
        EXPECT_TRUE(Held(c.modifiers, c.key));
        UnregisterHotKey(owner_, static_cast<int>(HotkeyId::Draw));
    }
    EXPECT_TRUE(boxes.Stop().empty());
}

TEST_F(Hotkeys, TakenCombinationIsReportedOnRequestWithTheSystemKeyNames) {
    Take(MOD_CONTROL, '1');
    MessageBoxCollector collector;
    EXPECT_EQ(RegisterHotkeyValue(owner_, 0x231, HotkeyId::Zoom, true), 0);
    auto boxes = collector.Stop();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Information");
    EXPECT_EQ(boxes[0].Text(), ConflictText(KeyName(VK_CONTROL) + L"+" + KeyName('1')));
    MessageBoxCollector quietCollector;
    EXPECT_EQ(RegisterHotkeyValue(owner_, 0x231, HotkeyId::Zoom, false), 0);
    EXPECT_TRUE(quietCollector.Stop().empty()) << "no report asked for";
    UnregisterHotKey(rival_, kRivalId);

    // All modifiers, in the order Ctrl, Shift, Alt, and the key named as an extended key.
    Take(MOD_ALT | MOD_CONTROL | MOD_SHIFT, VK_INSERT);
    MessageBoxCollector secondCollector;
    EXPECT_EQ(RegisterHotkeyValue(owner_, 0xF2D, HotkeyId::Break, true), 0);
    boxes = secondCollector.Stop();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text(), ConflictText(KeyName(VK_CONTROL) + L"+" + KeyName(VK_SHIFT) +
                                            L"+" + KeyName(VK_MENU) + L"+" +
                                            KeyName(VK_INSERT, true)));
}

TEST_F(Hotkeys, AllAreRegisteredDespiteConflictsEachReportedOnce) {
    Take(MOD_SHIFT, '2');
    ASSERT_TRUE(RegisterHotKey(rival_, kRivalId + 2, MOD_SHIFT, '3'));
    const HotkeyBinding bindings[4] = {{HotkeyId::Zoom, 0x131},
                                       {HotkeyId::LiveZoom, 0},
                                       {HotkeyId::Draw, 0x132},
                                       {HotkeyId::Break, 0x133}};
    MessageBoxCollector collector;
    EXPECT_EQ(RegisterAllHotkeys(owner_, std::span<const HotkeyBinding, 4>(bindings)), 0);
    const auto boxes = collector.Stop();
    UnregisterHotKey(rival_, kRivalId + 2);

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Text(), ConflictText(KeyName(VK_SHIFT) + L"+" + KeyName('2')));
    EXPECT_EQ(boxes[1].Text(), ConflictText(KeyName(VK_SHIFT) + L"+" + KeyName('3')));
    EXPECT_TRUE(Held(MOD_SHIFT, '1'));
    EXPECT_TRUE(UnregisterHotKey(owner_, static_cast<int>(HotkeyId::Zoom)));
    EXPECT_FALSE(UnregisterHotKey(owner_, static_cast<int>(HotkeyId::LiveZoom)));
    EXPECT_FALSE(UnregisterHotKey(owner_, static_cast<int>(HotkeyId::Draw)));
}

TEST_F(Hotkeys, AllFourRegisteredReportsSuccess) {
    MessageBoxCollector boxes;
    EXPECT_EQ(RegisterAllHotkeys(owner_, StoredHotkeyBindings()), 1);
    EXPECT_TRUE(boxes.Stop().empty());
    for (char key : {'1', '2', '3', '4'}) {
        EXPECT_TRUE(Held(MOD_SHIFT, key)) << key;
    }
}

TEST_F(Hotkeys, QuietReRegistrationSkipsLiveZoomWithoutMagnification) {
    ASSERT_EQ(optionalFunctions.MagInitialize, nullptr);
    Take(MOD_SHIFT, '2');
    MessageBoxCollector boxes;
    RegisterStoredHotkeysQuietly(owner_);
    EXPECT_TRUE(Held(MOD_SHIFT, '1'));
    EXPECT_TRUE(Held(MOD_SHIFT, '3'));
    EXPECT_FALSE(Held(MOD_SHIFT, '4')) << "live zoom needs the magnification library";

    for (int id = 0; id < 4; ++id) {
        UnregisterHotKey(owner_, id);
    }
    optionalFunctions.MagInitialize = PretendMagInitialize;
    RegisterStoredHotkeysQuietly(owner_);
    EXPECT_TRUE(Held(MOD_SHIFT, '4'));
    EXPECT_TRUE(boxes.Stop().empty());
}

} // namespace
