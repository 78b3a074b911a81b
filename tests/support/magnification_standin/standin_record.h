// What the stand-in magnification library records, in a named shared mapping that the live-zoom
// tests read from their own process: how often it was initialised, every transform handed to
// it, in order (a ring of the last kStandInHistory), the last source rectangle and whether the
// system cursor is hidden. The tests write the two failure switches to make the next start fail
// as a broken system library would.
#pragma once

#include <cstdint>

constexpr const wchar_t* kStandInMappingName = L"VistrelMagnifierStandIn";
constexpr uint32_t kStandInHistory = 4096;

struct StandInTransform {
    float m[9]; // row by row
};

struct StandInRecord {
    volatile long initializeCalls;
    volatile long uninitializeCalls;
    volatile long transformCount; // raised after the transform is in its slot
    volatile long failInitialize; // MagInitialize answers FALSE
    volatile long failControl;    // a "Magnifier" window fails its creation
    volatile long source[4];      // the last MagSetWindowSource: left, top, right, bottom
    volatile long sourceCount;    // raised after the source is written
    volatile long cursorHidden;   // MagShowSystemCursor(FALSE) was the last call
    StandInTransform transforms[kStandInHistory];
};

// What the stand-in's control paints: a flat grey for the magnified picture and, while it has
// MS_SHOWMAGNIFIEDCURSOR, a block of kStandInCursorColour for the enlarged cursor at its centre.
constexpr unsigned long kStandInPictureColour = 0x808080; // 0x00RRGGBB
constexpr unsigned long kStandInCursorColour = 0x00C8FF;
constexpr int kStandInCursorSize = 48;
