// Options dialog arithmetic (see options_rules.h).
#include "options/options_rules.h"

#include <algorithm>
#include <limits>

namespace {

constexpr uint16_t kUsEnglish = 1033;
constexpr uint16_t kEnglishPrimary = 9;

uint16_t Primary(uint16_t language) {
    return language & 0xFF;
}

} // namespace

std::size_t ChooseVersionTranslation(std::span<const VersionTranslation> translations,
                                     uint16_t userLanguage) {
    auto first = [&](auto matches) -> std::ptrdiff_t {
        const auto found = std::find_if(translations.begin(), translations.end(), matches);
        return found == translations.end() ? -1 : found - translations.begin();
    };
    const std::ptrdiff_t candidates[] = {
        first([&](VersionTranslation t) { return t.language == userLanguage; }),
        first([&](VersionTranslation t) { return Primary(t.language) == Primary(userLanguage); }),
        first([](VersionTranslation t) { return t.language == kUsEnglish; }),
        first([](VersionTranslation t) { return Primary(t.language) == kEnglishPrimary; }),
    };
    for (std::ptrdiff_t index : candidates) {
        if (index >= 0) {
            return static_cast<std::size_t>(index);
        }
    }
    return 0;
}

void ComposeVersionQuery(VersionTranslation translation, Utf16View name,
                         std::span<Utf16Unit, kVersionQueryUnits> out) {
    std::fill(out.begin(), out.end(), Utf16Unit{0});
    std::size_t length = 0;
    auto append = [&](Utf16Unit unit) {
        if (length + 1 < out.size()) {
            out[length++] = unit;
        }
    };
    for (Utf16Unit unit : Utf16View(UTF16("\\StringFileInfo\\"))) {
        append(unit);
    }
    const uint32_t both = (uint32_t{translation.language} << 16) | translation.codePage;
    for (int shift = 28; shift >= 0; shift -= 4) {
        append(static_cast<Utf16Unit>(UTF16("0123456789ABCDEF")[(both >> shift) & 0xF]));
    }
    append(UTF16('\\'));
    for (Utf16Unit unit : name) {
        append(unit);
    }
}

uint32_t LinkTextColour(uint32_t systemLinkColour, uint32_t background) {
    // Perceived brightness, 0 to 255 (ITU-R BT.601 weights).
    auto brightness = [](uint32_t c) {
        return (299 * (c & 0xFF) + 587 * ((c >> 8) & 0xFF) + 114 * ((c >> 16) & 0xFF)) / 1000;
    };
    constexpr uint32_t kLinkBlue = 0x00CC6600; // red 0, green 102, blue 204
    constexpr int kLeastContrast = 80;
    const int difference =
        static_cast<int>(brightness(systemLinkColour)) - static_cast<int>(brightness(background));
    return difference >= kLeastContrast || difference <= -kLeastContrast ? systemLinkColour
                                                                         : kLinkBlue;
}

int32_t ParseMinutesText(Utf16View text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == UTF16(' ') || (text[at] >= 9 && text[at] <= 13))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == UTF16('+') || text[at] == UTF16('-'))) {
        negative = text[at] == UTF16('-');
        ++at;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; at < text.size() && text[at] >= UTF16('0') && text[at] <= UTF16('9'); ++at) {
        value = std::min(value * 10 + (text[at] - UTF16('0')), kLimit);
    }
    value = negative ? -value : std::min(value, kLimit - 1);
    return static_cast<int32_t>(value);
}

std::array<SettingEntry, 12> OptionsOkSettingRows(Settings& settings) {
    return {{
        DwordSettingRow("ShowTrayIcon", settings.ShowTrayIcon),
        DwordSettingRow("HotkeyZoom", settings.HotkeyZoom),
        DwordSettingRow("AnimateZoom", settings.AnimateZoom),
        DwordSettingRow("ZoominSliderLevel", settings.ZoominSliderLevel),
        DwordSettingRow("HotkeyLivezoom", settings.HotkeyLivezoom),
        DwordSettingRow("HotkeyDraw", settings.HotkeyDraw),
        DwordSettingRow("HotkeyBreak", settings.HotkeyBreak),
        DwordSettingRow("BreakTimeout", settings.BreakTimeout),
        DwordSettingRow("ShowExpiredTime", settings.ShowExpiredTime),
        DwordSettingRow("BreakFontColor", settings.BreakFontColor),
        DwordSettingRow("BreakUsePenColor", settings.BreakUsePenColor),
        SettingEntry{"Font", kRegBinary, &settings.Font, sizeof settings.Font},
    }};
}
