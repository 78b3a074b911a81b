#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "settings/stored_value.h"

namespace {

// Takes the first `bytes` bytes of `units` (all of them by default) into the setting `value`.
template <typename Value>
bool Take(Value& value, uint32_t type, std::u16string_view units, uint32_t bytes = ~0u) {
    const SettingEntry row = {"", type, &value, sizeof value};
    return TakeStoredValue(row, type, reinterpret_cast<const uint8_t*>(units.data()),
                           std::min<uint32_t>(bytes, units.size() * 2));
}

std::u16string_view TextOf(const Utf16Unit* buffer) { return buffer; }

} // namespace

TEST(TakeStoredValue, NumbersTakeTheStoredBytesOnlyAndNoMoreThanFour) {
    Settings settings;
    settings.PenColor = 0xAABBCCDD;
    EXPECT_TRUE(Take(settings.PenColor, kRegDword, u"\x1234"));
    EXPECT_EQ(settings.PenColor, 0xAABB1234u);
    EXPECT_TRUE(Take(settings.PenColor, kRegDword, u"\x5678\x1234", 3));  // as it stands
    EXPECT_EQ(settings.PenColor, 0xAA345678u);
    EXPECT_FALSE(Take(settings.PenColor, kRegDword, u"\x0001\x0002\x0003", 5));
    EXPECT_EQ(settings.PenColor, 0xAA345678u);
    EXPECT_EQ(settings.PenWidth, 3) << "the neighbour in the record";
}

TEST(TakeStoredValue, StringsEndTerminatedWithinTheirBufferWhateverWasStored) {
    Settings s;
    std::copy_n(u"previous text", 14, s.BreakSoundFile);
    const std::u16string full(kSettingTextUnits, u'y');
    EXPECT_FALSE(Take(s.BreakSoundFile, kRegSz, full + u'\0')) << "longer than 520 bytes";
    EXPECT_EQ(TextOf(s.BreakSoundFile), u"previous text");
    EXPECT_TRUE(Take(s.BreakSoundFile, kRegSz, u"D:\\a.bmp"));  // no terminator; the old rest goes
    EXPECT_EQ(std::u16string_view(s.BreakSoundFile, kSettingTextUnits),
              u"D:\\a.bmp" + std::u16string(kSettingTextUnits - 8, u'\0'));
    EXPECT_TRUE(Take(s.BreakSoundFile, kRegSz, u"abc", 5));  // half a unit is dropped
    EXPECT_EQ(TextOf(s.BreakSoundFile), u"ab");
    s.KPadBackgroundFile[0] = u'K';
    for (uint32_t bytes : {520u, 519u}) {
        EXPECT_TRUE(Take(s.WPadBackgroundFile, kRegSz, full, bytes));
        EXPECT_EQ(TextOf(s.WPadBackgroundFile), full.substr(1)) << bytes;
    }
    EXPECT_EQ(s.KPadBackgroundFile[0], u'K') << "the next buffer is untouched";
    EXPECT_TRUE(Take(s.WPadBackgroundFile, kRegSz, u""));
    EXPECT_EQ(s.WPadBackgroundFile[0], 0);
}

TEST(SanitizeLoadedSettings, TerminatesTheFontFaceAndBringsThePenWidthWithinTwoToThirty) {
    Settings settings;
    std::fill(std::begin(settings.Font.lfFaceName), std::end(settings.Font.lfFaceName), u'F');
    settings.Font.lfHeight = -13;
    const std::pair<int, int> widths[] = {{1, 2}, {-4, 2}, {2, 2}, {30, 30}, {31, 30}};
    for (const auto& [width, safe] : widths) {
        settings.PenWidth = width;
        SanitizeLoadedSettings(settings);
        EXPECT_EQ(settings.PenWidth, safe) << width;
    }
    EXPECT_EQ(TextOf(settings.Font.lfFaceName), std::u16string(31, u'F'));
    EXPECT_EQ(settings.Font.lfHeight, -13);
}
