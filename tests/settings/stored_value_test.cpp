#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "settings/stored_value.h"

namespace {

SettingEntry LoadRow(Settings& settings, std::string_view name) {
    for (const SettingEntry& row : SettingsLoadTable(settings)) {
        if (name == row.name) {
            return row;
        }
    }
    ADD_FAILURE() << "no row " << name;
    return {};
}

// The bytes of a stored string, without a terminator unless the text contains one.
std::vector<uint8_t> StoredText(std::u16string_view text) {
    std::vector<uint8_t> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

std::u16string_view TextOf(const Utf16Unit* buffer) { return buffer; }

} // namespace

TEST(TakeStoredValue, DwordTakesOnlyTheStoredBytes) {
    Settings settings;
    settings.PenColor = 0xAABBCCDD;
    const uint8_t twoBytes[] = {0x34, 0x12};
    EXPECT_TRUE(TakeStoredValue(LoadRow(settings, "PenColor"), kRegDword, twoBytes, 2));
    EXPECT_EQ(settings.PenColor, 0xAABB1234u);

    const uint8_t fourBytes[] = {0x78, 0x56, 0x34, 0x12};
    EXPECT_TRUE(TakeStoredValue(LoadRow(settings, "PenColor"), kRegDword, fourBytes, 4));
    EXPECT_EQ(settings.PenColor, 0x12345678u);
    EXPECT_EQ(settings.PenWidth, 3); // the neighbour in the record
}

TEST(TakeStoredValue, ValueLargerThanTheRowIsRefusedAndChangesNothing) {
    Settings settings;
    settings.PenWidth = 9;
    const uint8_t fiveBytes[] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(TakeStoredValue(LoadRow(settings, "PenColor"), kRegDword, fiveBytes, 5));
    EXPECT_EQ(settings.PenColor, 0xFFu);
    EXPECT_EQ(settings.PenWidth, 9);

    std::copy_n(u"kept", 5, settings.BreakSoundFile);
    const auto tooLong = StoredText(std::u16string(kSettingTextUnits, u'x') + u'\0');
    EXPECT_FALSE(TakeStoredValue(LoadRow(settings, "BreakSoundFile"), kRegSz, tooLong.data(),
                                 static_cast<uint32_t>(tooLong.size())));
    EXPECT_EQ(TextOf(settings.BreakSoundFile), u"kept");
}

// A stored string of 260 units without terminator fits the 520 bytes exactly; it is cut at
// unit 259 and nothing beyond the buffer is touched.
TEST(TakeStoredValue, FullStringWithoutTerminatorEndsTerminated) {
    Settings settings;
    settings.KPadBackgroundFile[0] = u'K';
    const auto full = StoredText(std::u16string(kSettingTextUnits, u'w'));
    ASSERT_EQ(full.size(), 520u);
    EXPECT_TRUE(TakeStoredValue(LoadRow(settings, "WPadBackgroundFile"), kRegSz, full.data(), 520));
    EXPECT_EQ(TextOf(settings.WPadBackgroundFile), std::u16string(kSettingTextUnits - 1, u'w'));
    EXPECT_EQ(settings.KPadBackgroundFile[0], u'K');
}

TEST(TakeStoredValue, ShorterStringClearsWhatALongerOneLeft) {
    Settings settings;
    const SettingEntry row = LoadRow(settings, "BreakBackgroundFile");
    const auto longer = StoredText(u"C:\\Pictures\\mountains.png");
    ASSERT_TRUE(TakeStoredValue(row, kRegSz, longer.data(), static_cast<uint32_t>(longer.size())));
    const auto shorter = StoredText(u"D:\\a.bmp"); // stored without its terminator
    ASSERT_TRUE(
        TakeStoredValue(row, kRegSz, shorter.data(), static_cast<uint32_t>(shorter.size())));
    EXPECT_EQ(TextOf(settings.BreakBackgroundFile), u"D:\\a.bmp");
    EXPECT_TRUE(std::all_of(settings.BreakBackgroundFile + 8, std::end(settings.BreakBackgroundFile),
                            [](Utf16Unit unit) { return unit == 0; }));
}

TEST(TakeStoredValue, OddByteCounts) {
    Settings settings;
    const SettingEntry row = LoadRow(settings, "BreakSoundFile");
    std::copy_n(u"previous", 9, settings.BreakSoundFile);
    // "ab" and the low byte of a third unit: the half unit is dropped.
    const uint8_t fiveBytes[] = {'a', 0, 'b', 0, 'c'};
    EXPECT_TRUE(TakeStoredValue(row, kRegSz, fiveBytes, 5));
    EXPECT_EQ(TextOf(settings.BreakSoundFile), u"ab");
    EXPECT_EQ(settings.BreakSoundFile[3], 0);

    // 519 bytes: 259 whole units and half of the last one, still terminated at unit 259.
    const auto nearlyFull = StoredText(std::u16string(kSettingTextUnits, u'z'));
    EXPECT_TRUE(TakeStoredValue(row, kRegSz, nearlyFull.data(), 519));
    EXPECT_EQ(TextOf(settings.BreakSoundFile), std::u16string(kSettingTextUnits - 1, u'z'));

    // An odd count into a number is taken as it stands.
    settings.BreakOpacity = 0x11223344;
    const uint8_t threeBytes[] = {0xAA, 0xBB, 0xCC};
    EXPECT_TRUE(TakeStoredValue(LoadRow(settings, "BreakOpacity"), kRegDword, threeBytes, 3));
    EXPECT_EQ(static_cast<uint32_t>(settings.BreakOpacity), 0x11CCBBAAu);
}

TEST(TakeStoredValue, EmptyStoredStringEmptiesTheSetting) {
    Settings settings;
    std::copy_n(u"old", 4, settings.WPadBackgroundFile);
    EXPECT_TRUE(TakeStoredValue(LoadRow(settings, "WPadBackgroundFile"), kRegSz, nullptr, 0));
    EXPECT_EQ(settings.WPadBackgroundFile[0], 0);
}

// The font is binary and is taken byte for byte; only SanitizeLoadedSettings terminates its
// face name afterwards.
TEST(TakeStoredValue, FontRecordIsTakenWhole) {
    Settings settings;
    FontRecord stored = {};
    stored.lfHeight = -13;
    stored.lfWeight = 700;
    std::fill(std::begin(stored.lfFaceName), std::end(stored.lfFaceName), u'F');
    std::array<uint8_t, sizeof(FontRecord)> bytes;
    std::memcpy(bytes.data(), &stored, bytes.size());
    EXPECT_TRUE(TakeStoredValue(LoadRow(settings, "Font"), kRegBinary, bytes.data(), 92));
    EXPECT_EQ(settings.Font.lfHeight, -13);
    EXPECT_EQ(settings.Font.lfWeight, 700);
    EXPECT_EQ(settings.Font.lfFaceName[31], u'F');
    SanitizeLoadedSettings(settings);
    EXPECT_EQ(settings.Font.lfFaceName[31], 0);
    EXPECT_EQ(settings.Font.lfFaceName[30], u'F');
    EXPECT_EQ(settings.Font.lfHeight, -13);
    EXPECT_EQ(settings.FontScale, 10);
}
