// The settings store's platform-free rules: the rows read at start and written by each event,
// how stored bytes are taken into a setting and made safe, and the text of the error box.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "options/options_rules.h"
#include "settings/error_text.h"
#include "settings/settings_table.h"
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

// The 40 values in load order with their types and defaults (a DWORD's), written out by hand:
// the registry layout that stored settings, older versions and other tools share. Strings
// default to empty; the typing font's default is the system's, made at start.
constexpr struct {
    const char* name;
    uint32_t type, value;
} kStoredDefaults[kLoadedSettingCount] = {
    {"ShowTrayIcon", kRegDword, 1}, {"OptionShown", kRegDword, 0}, {"HotkeyZoom", kRegDword, 0x231},
    {"AnimateZoom", kRegDword, 1}, {"ZoominSliderLevel", kRegDword, 3},
    {"HotkeyLivezoom", kRegDword, 0x234}, {"HotkeyDraw", kRegDword, 0x232},
    {"PenColor", kRegDword, 0xFF}, {"PenWidth", kRegDword, 3}, {"PenColorR", kRegDword, 0xFF},
    {"PenColorG", kRegDword, 0xFF00}, {"PenColorB", kRegDword, 0xFF0000},
    {"PenColorO", kRegDword, 0x80FF}, {"PenColorY", kRegDword, 0xFFFF},
    {"PenColorP", kRegDword, 0xFF80FF}, {"HighligterSupported", kRegDword, 0},
    {"HighligterOpacity", kRegDword, 50}, {"HighligterWidth", kRegDword, 20},
    {"PadColorW", kRegDword, 0xFFFFFF}, {"PadColorK", kRegDword, 0}, {"UseBKBmpW", kRegDword, 0},
    {"UseBKBmpK", kRegDword, 0}, {"WPadBackgroundFile", kRegSz, 0},
    {"KPadBackgroundFile", kRegSz, 0}, {"Font", kRegBinary, 0}, {"FontScale", kRegDword, 10},
    {"HotkeyBreak", kRegDword, 0x233}, {"BreakTimeout", kRegDword, 10},
    {"ShowExpiredTime", kRegDword, 1}, {"BreakPlaySoundFile", kRegDword, 0},
    {"BreakSoundFile", kRegSz, 0}, {"BreakOpacity", kRegDword, 100},
    {"BreakTimerPosition", kRegDword, 4}, {"BreakShowBackgroundFile", kRegDword, 0},
    {"BreakShowDesktop", kRegDword, 1}, {"BreakBackgroundFile", kRegSz, 0},
    {"BreakBackgroundStretch", kRegDword, 0}, {"BreakOnSecondary", kRegDword, 0},
    {"BreakFontColor", kRegDword, 0xFF}, {"BreakUsePenColor", kRegDword, 1}};

// Composed into a buffer full of garbage, so that a missing terminator shows.
std::u16string ErrorText(std::u16string_view text, std::u16string_view systemText) {
    std::array<Utf16Unit, kErrorTextUnits> out;
    out.fill(u'#');
    ComposeErrorText(text, systemText, out);
    const auto end = std::find(out.begin(), out.end(), Utf16Unit{0});
    EXPECT_NE(end, out.end()) << "not terminated";
    return std::u16string(out.begin(), end);
}

} // namespace

// Each row has the stored name, type and default, and owns a field of its own inside the very
// record it was built from, sized for its type.
TEST(SettingsLoadTable, RowsAreTheStoredLayoutInOrderEachOwningOneField) {
    Settings settings;
    const auto* record = reinterpret_cast<const uint8_t*>(&settings);
    std::map<const uint8_t*, uint32_t> fields; // by address
    const auto rows = SettingsLoadTable(settings);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [name, type, value] = kStoredDefaults[i];
        EXPECT_EQ(std::string_view(rows[i].name), name) << "row " << i;
        EXPECT_EQ(rows[i].type, type) << name;
        EXPECT_EQ(rows[i].size, type == kRegDword ? 4u : type == kRegSz ? 520u : 92u) << name;
        uint32_t stored = 0;
        std::memcpy(&stored, rows[i].data, type == kRegSz ? 2 : type == kRegDword ? 4 : 0);
        EXPECT_EQ(stored, value) << name;
        fields[static_cast<const uint8_t*>(rows[i].data)] = rows[i].size;
    }
    const uint8_t* end = record;
    for (const auto& [data, size] : fields) {
        EXPECT_GE(data, end) << "overlaps the field before it";
        end = data + size;
    }
    EXPECT_EQ(fields.size(), kLoadedSettingCount);
    EXPECT_LE(end, record + sizeof settings);
}

// A written row must be the loaded row of its name: a misspelt name or another field would store
// a value that the next start never reads back.
TEST(SettingsRows, EventsWriteTheirRowsInOrderAsTheyAreLoadedAndStringsWithTheirTerminator) {
    Settings settings;
    const auto loaded = SettingsLoadTable(settings);
    auto namesOf = [&](std::span<const SettingEntry> rows) {
        std::vector<std::string> names;
        for (const SettingEntry& row : rows) {
            names.emplace_back(row.name);
            const auto same = std::find_if(loaded.begin(), loaded.end(), [&](const auto& load) {
                return names.back() == load.name;
            });
            EXPECT_TRUE(same != loaded.end() && same->type == row.type && same->data == row.data &&
                        same->size == row.size)
                << row.name;
        }
        return names;
    };
    EXPECT_EQ(namesOf(ExitSettingRows(settings)), (std::vector<std::string>{"FontScale", "PenColor"}));
    EXPECT_EQ(namesOf(OptionsOkSettingRows(settings)),
              (std::vector<std::string>{"ShowTrayIcon", "HotkeyZoom", "AnimateZoom",
                                        "ZoominSliderLevel", "HotkeyLivezoom", "HotkeyDraw",
                                        "HotkeyBreak", "BreakTimeout", "ShowExpiredTime",
                                        "BreakFontColor", "BreakUsePenColor", "Font"}));
    Utf16Unit text[kSettingTextUnits] = {};
    EXPECT_EQ(StringSettingRowForWrite("Filepath", text).size, 2u);
    std::copy_n(u"C:\\Vistrel64.exe", 16, text);
    const SettingEntry row = StringSettingRowForWrite("Filepath", text);
    EXPECT_EQ(row.size, 34u);
    EXPECT_EQ(row.type, kRegSz);
    std::fill(std::begin(text), std::end(text), u'x');
    EXPECT_EQ(StringSettingRowForWrite("Filepath", text).size, 520u) << "an unterminated buffer";
}

// Numbers take the stored bytes only, no more than four; strings end terminated within their
// buffer whatever was stored.
TEST(TakeStoredValue, NumbersAndStrings) {
    Settings s;
    s.PenColor = 0xAABBCCDD;
    EXPECT_TRUE(Take(s.PenColor, kRegDword, u"\x1234"));
    EXPECT_EQ(s.PenColor, 0xAABB1234u);
    EXPECT_TRUE(Take(s.PenColor, kRegDword, u"\x5678\x1234", 3)); // as it stands
    EXPECT_EQ(s.PenColor, 0xAA345678u);
    EXPECT_FALSE(Take(s.PenColor, kRegDword, u"\x0001\x0002\x0003", 5));
    EXPECT_EQ(s.PenColor, 0xAA345678u);
    EXPECT_EQ(s.PenWidth, 3) << "the neighbour in the record";

    std::copy_n(u"previous text", 14, s.BreakSoundFile);
    const std::u16string full(kSettingTextUnits, u'y');
    EXPECT_FALSE(Take(s.BreakSoundFile, kRegSz, full + u'\0')) << "longer than 520 bytes";
    EXPECT_EQ(TextOf(s.BreakSoundFile), u"previous text");
    EXPECT_TRUE(Take(s.BreakSoundFile, kRegSz, u"D:\\a.bmp")); // no terminator; the old rest goes
    EXPECT_EQ(std::u16string_view(s.BreakSoundFile, kSettingTextUnits),
              u"D:\\a.bmp" + std::u16string(kSettingTextUnits - 8, u'\0'));
    EXPECT_TRUE(Take(s.BreakSoundFile, kRegSz, u"abc", 5)); // half a unit is dropped
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

// An odd first byte is Windows' switch-off; no value lets the entry run.
TEST(StartupApproved, AnOddFirstByteSwitchesTheEntryOff) {
    const std::pair<std::vector<uint8_t>, bool> rows[] = {
        {{}, true}, {{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true}, {{6, 0, 0, 0}, true},
        {{3, 0, 0, 0, 0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0x01}, false}, {{7}, false}};
    for (const auto& [stored, runs] : rows)
        EXPECT_EQ(StartupApprovedAllowsRun(stored), runs) << testing::PrintToString(stored);
    EXPECT_TRUE(StartupApprovedAllowsRun(kStartupApprovedOn));
}

TEST(SanitizeLoadedSettings, TerminatesTheFontFaceAndBringsBothWidthsWithinTwoToThirty) {
    Settings settings;
    std::fill(std::begin(settings.Font.lfFaceName), std::end(settings.Font.lfFaceName), u'F');
    settings.Font.lfHeight = -13;
    for (const auto& [width, safe] : {std::pair{1, 2}, {-4, 2}, {2, 2}, {30, 30}, {31, 30}}) {
        settings.PenWidth = settings.HighligterWidth = width;
        SanitizeLoadedSettings(settings);
        EXPECT_EQ(settings.PenWidth, safe) << width;
        EXPECT_EQ(settings.HighligterWidth, safe) << width;
    }
    EXPECT_EQ(TextOf(settings.Font.lfFaceName), std::u16string(31, u'F'));
    EXPECT_EQ(settings.Font.lfHeight, -13);
}

// The text and the system's text joined, the whole cut to 511 units.
TEST(ComposeErrorText, JoinsAndCuts) {
    EXPECT_EQ(ErrorText(u"Error configuring auto start", u"The file.\r\n"),
              u"Error configuring auto start: The file.\r\n");
    EXPECT_EQ(ErrorText(u"Error configuring auto start", u""), u"Error configuring auto start: ");
    EXPECT_EQ(ErrorText(std::u16string(600, u'a'), u"ignored"), std::u16string(511, u'a'));
    EXPECT_EQ(ErrorText(std::u16string(511, u'a'), u""), std::u16string(511, u'a'));
    const std::u16string systemText(100, u's');
    EXPECT_EQ(ErrorText(std::u16string(500, u't'), systemText),
              std::u16string(500, u't') + u": " + std::u16string(9, u's'));
    // Room for the colon but not the space after it.
    EXPECT_EQ(ErrorText(std::u16string(510, u't'), systemText), std::u16string(510, u't') + u":");
}
