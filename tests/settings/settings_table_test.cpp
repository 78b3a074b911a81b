#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string_view>

#include "settings/settings_table.h"

// Each row must point at a field of its own inside the very record it was built from, with the
// size its registry type needs, under a name no other row has.
TEST(SettingsLoadTable, EachRowOwnsOneFieldOfTheRecordSizedForItsType) {
    Settings settings;
    const auto* record = reinterpret_cast<const uint8_t*>(&settings);
    std::map<const uint8_t*, uint32_t> fields;  // by address
    std::set<std::string_view> names;
    for (const SettingEntry& row : SettingsLoadTable(settings)) {
        EXPECT_EQ(row.size, row.type == kRegDword ? 4u : row.type == kRegSz ? 520u : 92u)
            << row.name;
        EXPECT_TRUE(row.type == kRegDword || row.type == kRegSz || row.type == kRegBinary);
        EXPECT_TRUE(names.insert(row.name).second) << row.name << " twice";
        fields[static_cast<const uint8_t*>(row.data)] = row.size;
    }
    const uint8_t* end = record;
    for (const auto& [data, size] : fields) {
        EXPECT_GE(data, end) << "overlaps the field before it";
        end = data + size;
    }
    EXPECT_EQ(fields.size(), kLoadedSettingCount);
    EXPECT_LE(end, record + sizeof settings);
}

TEST(SettingsRows, ExitWritesFontScaleThenPenColorAndStringsTheirTextWithItsTerminator) {
    Settings settings;
    const auto exit = ExitSettingRows(settings);
    EXPECT_EQ(std::string_view(exit[0].name), "FontScale");
    EXPECT_EQ(exit[0].data, &settings.FontScale);
    EXPECT_EQ(std::string_view(exit[1].name), "PenColor");
    EXPECT_EQ(exit[1].data, &settings.PenColor);

    Utf16Unit text[kSettingTextUnits] = {};
    EXPECT_EQ(StringSettingRowForWrite("Filepath", text).size, 2u);
    std::copy_n(u"C:\\Vistrel64.exe", 16, text);
    const SettingEntry row = StringSettingRowForWrite("Filepath", text);
    EXPECT_EQ(row.size, 34u);
    EXPECT_EQ(row.type, kRegSz);
    std::fill(std::begin(text), std::end(text), u'x');
    EXPECT_EQ(StringSettingRowForWrite("Filepath", text).size, 520u) << "an unterminated buffer";
}
