#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "settings/settings_table.h"

namespace {

uint32_t ReadUint32(const void* data) {
    uint32_t value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

struct ExpectedRow {
    std::string_view name;
    uint32_t type;
    uint32_t size;
    std::size_t offset;     // where the value lives in Settings
    uint32_t initialValue;  // strings and the font start as zeros
};

#define ROW(name, type, size, initial) {#name, type, size, offsetof(Settings, name), initial}
constexpr ExpectedRow kExpectedLoadTable[] = {
    ROW(ShowTrayIcon, kRegDword, 4, 1),
    ROW(OptionShown, kRegDword, 4, 0),
    ROW(HotkeyZoom, kRegDword, 4, 0x131),
    ROW(AnimateZoom, kRegDword, 4, 1),
    ROW(ZoominSliderLevel, kRegDword, 4, 3),
    ROW(HotkeyLivezoom, kRegDword, 4, 0x134),
    ROW(HotkeyDraw, kRegDword, 4, 0x132),
    ROW(PenColor, kRegDword, 4, 0xFF),
    ROW(PenWidth, kRegDword, 4, 3),
    ROW(PenColorR, kRegDword, 4, 0xFF),
    ROW(PenColorG, kRegDword, 4, 0xFF00),
    ROW(PenColorB, kRegDword, 4, 0xFF0000),
    ROW(PenColorO, kRegDword, 4, 0x80FF),
    ROW(PenColorY, kRegDword, 4, 0xFFFF),
    ROW(PenColorP, kRegDword, 4, 0xFF80FF),
    ROW(HighligterSupported, kRegDword, 4, 0),
    ROW(HighligterOpacity, kRegDword, 4, 50),
    ROW(PadColorW, kRegDword, 4, 0xFFFFFF),
    ROW(PadColorK, kRegDword, 4, 0),
    ROW(UseBKBmpW, kRegDword, 4, 0),
    ROW(UseBKBmpK, kRegDword, 4, 0),
    ROW(WPadBackgroundFile, kRegSz, 520, 0),
    ROW(KPadBackgroundFile, kRegSz, 520, 0),
    ROW(Font, kRegBinary, 92, 0),
    ROW(FontScale, kRegDword, 4, 10),
    ROW(HotkeyBreak, kRegDword, 4, 0x133),
    ROW(BreakTimeout, kRegDword, 4, 10),
    ROW(ShowExpiredTime, kRegDword, 4, 1),
    ROW(BreakPlaySoundFile, kRegDword, 4, 0),
    ROW(BreakSoundFile, kRegSz, 520, 0),
    ROW(BreakOpacity, kRegDword, 4, 100),
    ROW(BreakTimerPosition, kRegDword, 4, 4),
    ROW(BreakShowBackgroundFile, kRegDword, 4, 0),
    ROW(BreakShowDesktop, kRegDword, 4, 1),
    ROW(BreakBackgroundFile, kRegSz, 520, 0),
    ROW(BreakBackgroundStretch, kRegDword, 4, 0),
    ROW(BreakOnSecondary, kRegDword, 4, 0),
    ROW(BreakFontColor, kRegDword, 4, 0xFF),
    ROW(BreakUsePenColor, kRegDword, 4, 1),
};
#undef ROW
static_assert(std::size(kExpectedLoadTable) == kLoadedSettingCount);

} // namespace

// Names, types and sizes are what the registry holds, so their order and spelling (including
// "Highligter") must not drift; each row must point at its own field of the very record it was
// built from, and a fresh record must carry the defaults.
TEST(SettingsLoadTable, RowsMatchRegistryLayoutAndDefaults) {
    Settings settings;
    const auto table = SettingsLoadTable(settings);
    const auto* base = reinterpret_cast<const uint8_t*>(&settings);
    for (std::size_t i = 0; i < kLoadedSettingCount; ++i) {
        const ExpectedRow& expected = kExpectedLoadTable[i];
        const SettingEntry& row = table[i];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(std::string_view(row.name), expected.name);
        EXPECT_EQ(row.type, expected.type);
        EXPECT_EQ(row.size, expected.size);
        EXPECT_EQ(static_cast<const uint8_t*>(row.data), base + expected.offset);
        EXPECT_EQ(ReadUint32(row.data), expected.initialValue);
    }
}

TEST(SettingsRows, ExitWritesFontScaleThenPenColor) {
    Settings settings;
    const auto rows = ExitSettingRows(settings);
    EXPECT_EQ(std::string_view(rows[0].name), "FontScale");
    EXPECT_EQ(rows[0].data, &settings.FontScale);
    EXPECT_EQ(std::string_view(rows[1].name), "PenColor");
    EXPECT_EQ(rows[1].data, &settings.PenColor);
    for (const SettingEntry& row : rows) {
        EXPECT_EQ(row.type, kRegDword);
        EXPECT_EQ(row.size, 4u);
    }
}

// A string is written with its terminator and nothing past it; an unterminated buffer is never
// read past its 260 units.
TEST(SettingsRows, StringRowForWriteSizesTheTextWithTerminator) {
    Utf16Unit text[kSettingTextUnits] = {};
    EXPECT_EQ(StringSettingRowForWrite("Filepath", text).size, 2u);

    std::u16string_view path = u"C:\\Tools\\Vistrel64.exe";
    std::copy(path.begin(), path.end(), text);
    const SettingEntry row = StringSettingRowForWrite("Filepath", text);
    EXPECT_EQ(std::string_view(row.name), "Filepath");
    EXPECT_EQ(row.type, kRegSz);
    EXPECT_EQ(row.data, text);
    EXPECT_EQ(row.size, (path.size() + 1) * 2);

    std::fill(std::begin(text), std::end(text), u'x');
    EXPECT_EQ(StringSettingRowForWrite("Filepath", text).size, 520u);
}
