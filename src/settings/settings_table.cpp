// The rows of the settings table (see settings_table.h).
#include "settings/settings_table.h"

#include <algorithm>
#include <cstring>

namespace {

SettingEntry Dword(const char* name, void* value) { return {name, kRegDword, value, 4}; }

SettingEntry Text(const char* name, Utf16Unit* buffer) {
    return {name, kRegSz, buffer, kSettingTextUnits * sizeof(Utf16Unit)};
}

} // namespace

std::array<SettingEntry, kLoadedSettingCount> SettingsLoadTable(Settings& s) {
    return {{
        Dword("ShowTrayIcon", &s.ShowTrayIcon),
        Dword("OptionShown", &s.OptionShown),
        Dword("HotkeyZoom", &s.HotkeyZoom),
        Dword("AnimateZoom", &s.AnimateZoom),
        Dword("ZoominSliderLevel", &s.ZoominSliderLevel),
        Dword("HotkeyLivezoom", &s.HotkeyLivezoom),
        Dword("HotkeyDraw", &s.HotkeyDraw),
        Dword("PenColor", &s.PenColor),
        Dword("PenWidth", &s.PenWidth),
        Dword("PenColorR", &s.PenColorR),
        Dword("PenColorG", &s.PenColorG),
        Dword("PenColorB", &s.PenColorB),
        Dword("PenColorO", &s.PenColorO),
        Dword("PenColorY", &s.PenColorY),
        Dword("PenColorP", &s.PenColorP),
        Dword("HighligterSupported", &s.HighligterSupported),
        Dword("HighligterOpacity", &s.HighligterOpacity),
        Dword("HighligterWidth", &s.HighligterWidth),
        Dword("PadColorW", &s.PadColorW),
        Dword("PadColorK", &s.PadColorK),
        Dword("UseBKBmpW", &s.UseBKBmpW),
        Dword("UseBKBmpK", &s.UseBKBmpK),
        Text("WPadBackgroundFile", s.WPadBackgroundFile),
        Text("KPadBackgroundFile", s.KPadBackgroundFile),
        {"Font", kRegBinary, &s.Font, sizeof(FontRecord)},
        Dword("FontScale", &s.FontScale),
        Dword("HotkeyBreak", &s.HotkeyBreak),
        Dword("BreakTimeout", &s.BreakTimeout),
        Dword("ShowExpiredTime", &s.ShowExpiredTime),
        Dword("BreakPlaySoundFile", &s.BreakPlaySoundFile),
        Text("BreakSoundFile", s.BreakSoundFile),
        Dword("BreakOpacity", &s.BreakOpacity),
        Dword("BreakTimerPosition", &s.BreakTimerPosition),
        Dword("BreakShowBackgroundFile", &s.BreakShowBackgroundFile),
        Dword("BreakShowDesktop", &s.BreakShowDesktop),
        Text("BreakBackgroundFile", s.BreakBackgroundFile),
        Dword("BreakBackgroundStretch", &s.BreakBackgroundStretch),
        Dword("BreakOnSecondary", &s.BreakOnSecondary),
        Dword("BreakFontColor", &s.BreakFontColor),
        Dword("BreakUsePenColor", &s.BreakUsePenColor),
    }};
}

std::array<SettingEntry, 2> ExitSettingRows(Settings& s) {
    return {{Dword("FontScale", &s.FontScale), Dword("PenColor", &s.PenColor)}};
}

SettingEntry DwordSettingRow(const char* name, int32_t& value) { return Dword(name, &value); }

SettingEntry DwordSettingRow(const char* name, uint32_t& value) { return Dword(name, &value); }

SettingEntry StringSettingRowForWrite(const char* name, Utf16Unit* text) {
    std::size_t length = 0;
    while (length < kSettingTextUnits - 1 && text[length] != 0) {
        ++length;
    }
    return {name, kRegSz, text, static_cast<uint32_t>((length + 1) * sizeof(Utf16Unit))};
}

void SanitizeLoadedSettings(Settings& settings) {
    settings.Font.lfFaceName[std::size(settings.Font.lfFaceName) - 1] = 0;
    // The pen's own limits. A width outside them can only come from an edited registry or from
    // an exit during a live-zoom takeover, whose scaled width may exceed 30; a width below 2
    // would let the pen marker outgrow the square saved under it and leave marks behind.
    settings.PenWidth = std::clamp(settings.PenWidth, kSmallestPenWidth, kLargestPenWidth);
    settings.HighligterWidth =
        std::clamp(settings.HighligterWidth, kSmallestPenWidth, kLargestPenWidth);
}
