// The in-memory settings: every value of the registry settings table with its default. They are
// part of AppState (zoom/app_state.h); the registry store (settings/registry_store.h) reads and
// writes them through the rows of settings/settings_table.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/text_unit.h"

// Registry value types, as the registry numbers them.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

// The pen's width limits in pixels (a live-zoom takeover alone may exceed the largest for a while).
constexpr int32_t kSmallestPenWidth = 2;
constexpr int32_t kLargestPenWidth = 30;
// The highlighter keeps a width of its own within the same limits, wider by default: its stroke
// covers a line of text rather than underlining it.
constexpr int32_t kDefaultHighlighterWidth = 20;
// The highlighter's opacity in percent, as the advanced draw options offer it.
constexpr int32_t kLeastHighlighterOpacity = 10;
constexpr int32_t kMostHighlighterOpacity = 100;

// String settings are zero-terminated buffers of 260 UTF-16 units (520 bytes).
constexpr int kSettingTextUnits = 260;

// The typing font, byte for byte the 92-byte LOGFONTW the registry value `Font` holds. The
// Windows side checks that the layouts agree (zoom/app_state.cpp).
struct FontRecord {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    Utf16Unit lfFaceName[32];
};
static_assert(sizeof(FontRecord) == 92);
static_assert(offsetof(FontRecord, lfFaceName) == 28);

// Field names are the registry value names. Flags hold 0 or 1; colours are COLORREF values
// (red in the low byte); hotkeys use the hotkey-control encoding of zoom/hotkey_value.h.
//
// The default hotkeys are Ctrl+1 to Ctrl+4. A global hotkey takes its keys from every program,
// so a default must be a combination that types nothing: Shift+1 to Shift+4 are "!", "@", "#"
// and "$" on US, UK and German layouts and the digits themselves on French, Belgian, Czech,
// Slovak and Lithuanian ones, and Ctrl+Alt is AltGr, which types on most European layouts.
// Ctrl with a digit types nothing on any common layout, and the digits sit in the same place on
// all of them, so the four keys are next to each other everywhere. (Browsers use Ctrl+1 to
// Ctrl+4 to pick a tab; a presenter loses that, not a character.)
struct Settings {
    int32_t ShowTrayIcon = 1;
    int32_t OptionShown = 0;
    uint32_t HotkeyZoom = 0x231;
    int32_t AnimateZoom = 1;
    uint32_t ZoominSliderLevel = 3;
    uint32_t HotkeyLivezoom = 0x234;
    uint32_t HotkeyDraw = 0x232;
    uint32_t PenColor = 0xFF;
    int32_t PenWidth = 3;
    uint32_t PenColorR = 0xFF;
    uint32_t PenColorG = 0xFF00;
    uint32_t PenColorB = 0xFF0000;
    uint32_t PenColorO = 0x80FF;
    uint32_t PenColorY = 0xFFFF;
    uint32_t PenColorP = 0xFF80FF;
    int32_t HighligterSupported = 0;
    int32_t HighligterOpacity = 50;
    // Spelt as the two values before it, so the highlighter's three settings sit together.
    int32_t HighligterWidth = kDefaultHighlighterWidth;
    uint32_t PadColorW = 0xFFFFFF;
    uint32_t PadColorK = 0;
    int32_t UseBKBmpW = 0;
    int32_t UseBKBmpK = 0;
    Utf16Unit WPadBackgroundFile[kSettingTextUnits] = {};
    Utf16Unit KPadBackgroundFile[kSettingTextUnits] = {};
    FontRecord Font = {};
    int32_t FontScale = 10;
    uint32_t HotkeyBreak = 0x233;
    int32_t BreakTimeout = 10;
    int32_t ShowExpiredTime = 1;
    int32_t BreakPlaySoundFile = 0;
    Utf16Unit BreakSoundFile[kSettingTextUnits] = {};
    int32_t BreakOpacity = 100;
    int32_t BreakTimerPosition = 4;
    int32_t BreakShowBackgroundFile = 0;
    int32_t BreakShowDesktop = 1;
    Utf16Unit BreakBackgroundFile[kSettingTextUnits] = {};
    int32_t BreakBackgroundStretch = 0;
    int32_t BreakOnSecondary = 0;
    uint32_t BreakFontColor = 0xFF;
    int32_t BreakUsePenColor = 1;
};
