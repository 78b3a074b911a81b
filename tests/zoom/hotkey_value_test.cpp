#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "zoom/hotkey_value.h"

namespace {

constexpr uint32_t kShiftKey = 0x10;
constexpr uint32_t kControlKey = 0x11;
constexpr uint32_t kMenuKey = 0x12;

// Stands in for the system's key names and records what it was asked.
struct FakeKeyNames {
    struct Call {
        uint32_t virtualKey;
        bool extended;
        int room;
    };
    std::map<uint32_t, std::u16string> names = {
        {kControlKey, u"Ctrl"}, {kShiftKey, u"Shift"}, {kMenuKey, u"Alt"},
        {0x31, u"1"},           {0x58, u"X"},
    };
    std::vector<Call> calls;

    static int Write(void* context, uint32_t virtualKey, bool extended, Utf16Unit* buffer,
                     int room) {
        auto& self = *static_cast<FakeKeyNames*>(context);
        self.calls.push_back({virtualKey, extended, room});
        std::u16string name = self.names[virtualKey];
        if (extended) {
            name += u" (ext)";
        }
        const int count = std::min(static_cast<int>(name.size()), room - 1);
        std::copy_n(name.begin(), count, buffer);
        buffer[count] = 0;
        return count;
    }

    std::u16string Compose(uint32_t value) {
        std::array<Utf16Unit, kHotkeyNameUnits> out;
        out.fill(u'#');
        ComposeHotkeyName(value, KeyNameSource{&FakeKeyNames::Write, this}, out);
        const auto end = std::find(out.begin(), out.end(), Utf16Unit{0});
        EXPECT_NE(end, out.end()) << "not terminated";
        return std::u16string(out.begin(), end);
    }
};

} // namespace

TEST(TranslateHotkey, SwapsShiftAndAltAndDropsTheExtendedBit) {
    struct Case {
        uint32_t value, modifiers, virtualKey;
    };
    const Case cases[] = {
        {0x131, 4, 0x31}, // Shift+1: Shift is 4 for RegisterHotKey
        {0x431, 1, 0x31}, // Alt+1: Alt is 1
        {0x531, 5, 0x31}, // Shift+Alt stay as they are
        {0x558, 5, 0x58},
        {0x258, 2, 0x58}, // Ctrl is 2 on both sides
        {0x358, 6, 0x58}, // Ctrl+Shift
        {0x658, 3, 0x58}, // Ctrl+Alt
        {0x931, 4, 0x31}, // extended Shift+1 registers as Shift+1
        {0xD58, 5, 0x58},
        {0x070, 0, 0x70}, // F1 without modifiers
    };
    for (const Case& c : cases) {
        const HotkeyRegistration registration = TranslateHotkey(c.value);
        EXPECT_EQ(registration.modifiers, c.modifiers) << std::hex << c.value;
        EXPECT_EQ(registration.virtualKey, c.virtualKey) << std::hex << c.value;
    }
}

TEST(ComposeHotkeyName, ModifiersComeInFixedOrder) {
    FakeKeyNames names;
    EXPECT_EQ(names.Compose(0x731), u"Ctrl+Shift+Alt+1");
    ASSERT_EQ(names.calls.size(), 4u);
    EXPECT_EQ(names.calls[0].virtualKey, kControlKey);
    EXPECT_EQ(names.calls[1].virtualKey, kShiftKey);
    EXPECT_EQ(names.calls[2].virtualKey, kMenuKey);
    EXPECT_EQ(names.calls[3].virtualKey, 0x31u);
    // Each call is offered what is left of the 128 units.
    EXPECT_EQ(names.calls[0].room, 128);
    EXPECT_EQ(names.calls[1].room, 123);
    EXPECT_EQ(names.calls[2].room, 117);
    EXPECT_EQ(names.calls[3].room, 113);

    EXPECT_EQ(names.Compose(0x131), u"Shift+1");
    EXPECT_EQ(names.Compose(0x458), u"Alt+X");
    EXPECT_EQ(names.Compose(0x258), u"Ctrl+X");
}

TEST(ComposeHotkeyName, ExtendedFlagReachesOnlyTheKeyItself) {
    FakeKeyNames names;
    names.names[0x2E] = u"Delete";
    EXPECT_EQ(names.Compose(0xB2E), u"Ctrl+Shift+Delete (ext)");
    ASSERT_EQ(names.calls.size(), 3u);
    EXPECT_FALSE(names.calls[0].extended);
    EXPECT_FALSE(names.calls[1].extended);
    EXPECT_TRUE(names.calls[2].extended);
    EXPECT_EQ(names.calls[2].virtualKey, 0x2Eu);
}

TEST(ComposeHotkeyName, KeyWithoutNameLeavesTrailingPlus) {
    FakeKeyNames names;
    EXPECT_EQ(names.Compose(0x3FF), u"Ctrl+Shift+");
}

TEST(ComposeHotkeyName, LongNamesAreCutAt127Units) {
    FakeKeyNames names;
    names.names[kControlKey] = std::u16string(60, u'c');
    names.names[kShiftKey] = std::u16string(60, u's');
    // 60 + "+" + 60 + "+" leaves room for 5 units of the key name.
    names.names[0x31] = u"OneKey";
    EXPECT_EQ(names.Compose(0x331),
              std::u16string(60, u'c') + u"+" + std::u16string(60, u's') + u"+OneKe");
    EXPECT_EQ(names.calls.back().room, 6);

    FakeKeyNames huge;
    for (uint32_t key : {kControlKey, kShiftKey, kMenuKey, 0x31u}) {
        huge.names[key] = std::u16string(500, u'h');
    }
    EXPECT_EQ(huge.Compose(0x731), std::u16string(127, u'h'));
    for (const auto& call : huge.calls) {
        EXPECT_GE(call.room, 2);
        EXPECT_LE(call.room, 128);
    }

    // A name that ends exactly at the limit leaves no room for its "+".
    FakeKeyNames exact;
    exact.names[kControlKey] = std::u16string(126, u'e');
    EXPECT_EQ(exact.Compose(0x231), std::u16string(126, u'e') + u"+");
}

TEST(ComposeHotkeyConflictText, FormatsTheMessage) {
    std::array<Utf16Unit, kHotkeyConflictUnits> out;
    out.fill(u'#');
    ComposeHotkeyConflictText(u"Ctrl+Shift+1", out);
    EXPECT_EQ(std::u16string_view(out.data()),
              u"Hot key Ctrl+Shift+1 is already in use.\nSelect a different hot key.");

    out.fill(u'#');
    ComposeHotkeyConflictText(std::u16string(300, u'k'), out);
    EXPECT_EQ(out[259], 0);
    EXPECT_EQ(std::u16string_view(out.data()), u"Hot key " + std::u16string(251, u'k'));
}
