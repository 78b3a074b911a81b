// Arithmetic of the options dialog that needs no window: which translation of the version
// resource the version lines read, the query path of one of its strings, and the break minutes
// as the Break page's field holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/settings_table.h"
#include "settings/text_unit.h"

// One pair of the version resource's "\VarFileInfo\Translation" list.
struct VersionTranslation {
    uint16_t language;
    uint16_t codePage;
};

// The index of the translation to read for a user interface language: the exact language, else
// the first with the same primary language (low 8 bits), else US English (1033), else any English
// (primary language 9), else the first. 0 for an empty list.
std::size_t ChooseVersionTranslation(std::span<const VersionTranslation> translations,
                                     uint16_t userLanguage);

// "\StringFileInfo\LLLLCCCC\name" with the language and code page in four upper-case hex digits
// each; cut to fit and always terminated.
constexpr std::size_t kVersionQueryUnits = 128;
void ComposeVersionQuery(VersionTranslation translation, Utf16View name,
                         std::span<Utf16Unit, kVersionQueryUnits> out);

// The minutes field read as a decimal integer: leading blanks and one sign are allowed, reading
// stops at the first non-digit, no digits (an emptied field) give 0; far too large values stop
// at the 32-bit limits.
int32_t ParseMinutesText(Utf16View text);

// The link line's text colour: the system's link colour, unless a colour scheme makes it hard
// to tell from the dialog's background; then a plain link blue. Colours are 0x00BBGGRR.
uint32_t LinkTextColour(uint32_t systemLinkColour, uint32_t background);

// What the Break page's up-down allows.
constexpr int32_t kFewestBreakMinutes = 1;
constexpr int32_t kMostBreakMinutes = 99;

// The twelve values the options dialog's OK writes, in this order: ShowTrayIcon, HotkeyZoom,
// AnimateZoom, ZoominSliderLevel, HotkeyLivezoom, HotkeyDraw, HotkeyBreak, BreakTimeout,
// ShowExpiredTime, BreakFontColor, BreakUsePenColor (REG_DWORD) and Font (REG_BINARY, 92 bytes).
std::array<SettingEntry, 12> OptionsOkSettingRows(Settings& settings);
