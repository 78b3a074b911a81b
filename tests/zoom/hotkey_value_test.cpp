#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "zoom/hotkey_value.h"

namespace {

// Stands in for the system's key names and records the room each call was offered.
struct FakeKeyNames {
    std::map<uint32_t, std::u16string> names = {
        {0x11, u"Ctrl"}, {0x10, u"Shift"}, {0x12, u"Alt"}, {0x31, u"1"}, {0x2E, u"Delete"}};
    std::vector<int> rooms;
    static int Write(void* context, uint32_t key, bool extended, Utf16Unit* out, int room) {
        auto& self = *static_cast<FakeKeyNames*>(context);
        self.rooms.push_back(room);
        const std::u16string name = self.names[key] + (extended ? u" (ext)" : u"");
        const int count = std::min(static_cast<int>(name.size()), room - 1);
        *std::copy_n(name.begin(), count, out) = 0;
        return count;
    }
    // Composed into a buffer full of garbage, so that a missing terminator shows.
    std::u16string Compose(uint32_t value) {
        std::array<Utf16Unit, kHotkeyNameUnits> out;
        out.fill(u'#');
        ComposeHotkeyName(value, KeyNameSource{&FakeKeyNames::Write, this}, out);
        return std::u16string(out.begin(), std::find(out.begin(), out.end(), Utf16Unit{0}));
    }
};

} // namespace

TEST(TranslateHotkey, SwapsALoneShiftOrAltAndDropsTheExtendedBit) {
    // The value, then RegisterHotKey's modifiers (Alt 1, Ctrl 2, Shift 4) and key.
    const uint32_t cases[][3] = {{0x131, 4, 0x31}, {0x431, 1, 0x31}, {0x531, 5, 0x31},
                                 {0x558, 5, 0x58}, {0x258, 2, 0x58}, {0x358, 6, 0x58},
                                 {0x658, 3, 0x58}, {0x931, 4, 0x31}, {0x070, 0, 0x70}};
    for (const auto& [value, modifiers, key] : cases) {
        const HotkeyRegistration r = TranslateHotkey(value);
        EXPECT_EQ(r.modifiers << 8 | r.virtualKey, modifiers << 8 | key) << std::hex << value;
    }
}

TEST(ComposeHotkeyName, CtrlShiftAltThenTheKeyEachGivenTheRoomLeftAndCutAt127Units) {
    FakeKeyNames names;
    EXPECT_EQ(names.Compose(0x731), u"Ctrl+Shift+Alt+1");
    EXPECT_EQ(names.rooms, (std::vector<int>{128, 123, 117, 113}));
    EXPECT_EQ(names.Compose(0xB2E), u"Ctrl+Shift+Delete (ext)");  // only the key is extended
    EXPECT_EQ(names.Compose(0x3FF), u"Ctrl+Shift+") << "a key without a name";
    names.names[0x11] = std::u16string(126, u'e');  // its "+" is the 127th unit
    EXPECT_EQ(names.Compose(0x231), names.names[0x11] + u"+");
    names.names[0x11] = std::u16string(500, u'h');  // cut at 127 units, no room for more
    EXPECT_EQ(names.Compose(0x731), std::u16string(127, u'h'));
}

TEST(ComposeHotkeyConflictText, FormatsTheMessageWithin259Units) {
    std::array<Utf16Unit, kHotkeyConflictUnits> out;
    ComposeHotkeyConflictText(u"Ctrl+Shift+1", out);
    EXPECT_EQ(std::u16string_view(out.data()),
              u"Hot key Ctrl+Shift+1 is already in use.\nSelect a different hot key.");
    out.fill(u'#');
    ComposeHotkeyConflictText(std::u16string(300, u'k'), out);
    EXPECT_EQ(std::u16string_view(out.data()), u"Hot key " + std::u16string(251, u'k'));
}
